// A small sanity check of a generated program, independent of the generators:
// it knows only what any program of ours may look like, so it catches words no
// controller could read ("Z--2", "XNaN", "F1e+20", "G0X") whoever produced them.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::dialog::testing {

struct ProgramRules {
  // Texts the operator typed that a program copies verbatim (special operations,
  // end scripts): where one stands at the start of a line, up to its end, it is
  // skipped, not checked.
  std::vector<std::string> userBlocks;
  // Texts the operator typed that stand where a word's letter stands (the thread
  // job's axis letters); an empty one lets a number stand alone.
  std::vector<std::string> letterTexts;
  // Texts the operator typed that stand where a word's number stands (the thread
  // job's spindle text); an empty one only at the end of a line.
  std::vector<std::string> valueTexts;
};

namespace detail {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of a number at the start of `s` ("-"? digits ("." digits)?), or 0.
inline std::size_t NumberLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i == digits) return 0;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fraction = ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i == fraction) return 0;
  }
  return i;
}

// Whether `line` is made of words, a letter (A-Z or one of the operator's letter
// texts) and a number (or one of the operator's value texts) each, back to back
// or with single blanks between them. Every way of reading the operator's texts
// is tried: the positions a word can end at are marked from left to right.
inline bool IsWordRun(std::string_view line, const ProgramRules& rules) {
  if (rules.letterTexts.empty() && rules.valueTexts.empty()) {
    // Nothing of the operator's: a letter, a number, again and again.
    std::size_t pos = 0;
    while (pos < line.size()) {
      if (pos > 0 && line[pos] == ' ' && line[pos - 1] != ' ') ++pos;
      if (pos >= line.size() || line[pos] < 'A' || line[pos] > 'Z') return false;
      const std::size_t n = NumberLength(line.substr(pos + 1));
      if (n == 0) return false;
      pos += 1 + n;
    }
    return !line.empty();
  }
  std::vector<char> reached(line.size() + 1, 0);
  reached[0] = 1;
  for (std::size_t pos = 0; pos < line.size(); ++pos) {
    if (!reached[pos]) continue;
    if (pos > 0 && line[pos] == ' ' && line[pos - 1] != ' ' && pos + 1 < line.size()) {
      reached[pos + 1] = 1;
    }
    std::vector<std::size_t> letters;
    if (line[pos] >= 'A' && line[pos] <= 'Z') letters.push_back(1);
    for (const std::string& t : rules.letterTexts) {
      if (line.substr(pos, t.size()) == t) letters.push_back(t.size());
    }
    for (std::size_t letter : letters) {
      const std::string_view after = line.substr(pos + letter);
      // Every shorter number too: the next word may begin with an operator's
      // text made of digits.
      for (std::size_t n = NumberLength(after); n > 0; --n) {
        if (NumberLength(after.substr(0, n)) == n) reached[pos + letter + n] = 1;
      }
      for (const std::string& v : rules.valueTexts) {
        if (v.empty() ? after.empty() && letter > 0 : after.substr(0, v.size()) == v) {
          reached[pos + letter + v.size()] = 1;
        }
      }
    }
  }
  return !line.empty() && reached[line.size()];
}

inline bool HasNoCase(std::string_view text, std::string_view lower) {
  for (std::size_t i = 0; i + lower.size() <= text.size(); ++i) {
    bool same = true;
    for (std::size_t j = 0; same && j < lower.size(); ++j) {
      char c = text[i + j];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      same = c == lower[j];
    }
    if (same) return true;
  }
  return false;
}

// What of "--", "nan" and "inf" a text holds.
inline std::string Forbidden(std::string_view text) {
  std::string found;
  for (const char* bad : {"--", "nan", "inf"}) {
    if (HasNoCase(text, bad)) found += bad;
  }
  return found;
}

}  // namespace detail

// nullopt for a sound program; otherwise what is wrong on which line. Every line
// ends with CR LF (the program may end inside an operator's block) and is empty,
// "%", a "(...)" comment, or words; none holds "--", "nan" or "inf" outside the
// operator's texts.
inline std::optional<std::string> CheckProgram(std::string_view program,
                                               const ProgramRules& rules) {
  std::size_t pos = 0;
  int number = 0;
  while (pos < program.size()) {
    const std::string_view rest = program.substr(pos);
    bool skipped = false;
    for (const std::string& b : rules.userBlocks) {
      if (b.empty() || rest.substr(0, b.size()) != b) continue;
      if (rest.size() == b.size()) return std::nullopt;  // ends the program
      if (rest.substr(b.size(), 2) == "\r\n" || b.back() == '\n') {
        pos += b.size() + (rest.substr(b.size(), 2) == "\r\n" ? 2 : 0);
        skipped = true;
        break;
      }
    }
    if (skipped) continue;
    ++number;
    const std::size_t end = rest.find("\r\n");
    const std::string_view line = rest.substr(0, end);
    const auto where = [&] {
      return "line " + std::to_string(number) + " \"" + std::string(line.substr(0, 80)) + "\" ";
    };
    if (end == std::string_view::npos) return where() + "has no line end";
    pos += end + 2;
    if (line.empty() || line == "%") continue;
    if (line.front() == '(' && line.back() == ')') continue;
    // "--", "nan" and "inf" only where the operator's texts bring them: they are
    // blanked out before the line is searched.
    if (!detail::Forbidden(line).empty()) {
      std::string ours(line);
      // Longer texts first, so a shorter one inside a longer one does not break it.
      std::vector<std::string> texts(rules.letterTexts);
      texts.insert(texts.end(), rules.valueTexts.begin(), rules.valueTexts.end());
      std::sort(texts.begin(), texts.end(),
                [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
      for (const std::string& t : texts) {
        if (t.empty()) continue;
        for (auto at = ours.find(t); at != std::string::npos; at = ours.find(t, at + t.size())) {
          ours.replace(at, t.size(), t.size(), ' ');
        }
      }
      if (!detail::Forbidden(ours).empty()) return where() + "holds \"--\", \"nan\" or \"inf\"";
    }
    if (!detail::IsWordRun(line, rules)) return where() + "is not made of words";
  }
  return std::nullopt;
}

}  // namespace kelvora::dialog::testing
