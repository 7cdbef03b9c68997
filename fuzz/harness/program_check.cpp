#include "program_check.h"

#include <algorithm>

namespace kelvora::fuzz {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
  return c >= 'A' && c <= 'Z';
}

// Length of the number at the start of `s`, or 0: "-"? digits ("." digits)?.
// Every shorter prefix that is itself a number is also offered to the caller
// through `ends`, so a word's number may stop where the next word's letter text
// begins (an axis text made of digits).
void NumberEnds(std::string_view s, std::vector<std::size_t>& ends) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  const std::size_t digitsStart = i;
  while (i < s.size() && IsDigit(s[i])) {
    ++i;
    ends.push_back(i);
  }
  if (i == digitsStart) return;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      ++i;
      ends.push_back(i);
    }
  }
}

// The common case, without the operator's letter texts: a letter, then the
// longest number, again and again. Nothing is ambiguous there.
bool IsPlainWordRun(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (!IsLetter(line[i])) return false;
    ++i;
    if (i < line.size() && line[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < line.size() && IsDigit(line[i])) ++i;
    if (i == digits) return false;
    if (i < line.size() && line[i] == '.') {
      const std::size_t fraction = ++i;
      while (i < line.size() && IsDigit(line[i])) ++i;
      if (i == fraction) return false;
    }
  }
  return !line.empty();
}

// Whether `line` is a run of words, with single blanks between them under the
// thread layout. Letters are A-Z or one of the operator's letter texts, numbers
// plain numbers or one of the operator's value texts. Positions already shown
// not to start a run are remembered, so the search stays polynomial however the
// texts overlap.
bool IsWordRun(std::string_view line, const ProgramRules& rules) {
  const bool blanks = rules.threadLayout;
  if (rules.letterTexts.empty() && rules.valueTexts.empty() && !blanks) {
    return IsPlainWordRun(line);
  }
  std::vector<std::size_t> stack{0};
  std::vector<char> seen(line.size() + 1, 0);
  // Depth-first over positions where a word may start.
  while (!stack.empty()) {
    const std::size_t pos = stack.back();
    stack.pop_back();
    if (pos == line.size()) return true;
    if (seen[pos]) continue;
    seen[pos] = 1;
    // One blank between words (the thread layout).
    if (blanks && pos > 0 && pos + 1 < line.size() && line[pos] == ' ' && line[pos - 1] != ' ') {
      stack.push_back(pos + 1);
    }
    std::vector<std::size_t> letterEnds;
    if (IsLetter(line[pos])) letterEnds.push_back(pos + 1);
    for (const std::string& t : rules.letterTexts) {
      if (line.substr(pos, t.size()) == t) letterEnds.push_back(pos + t.size());
    }
    for (std::size_t afterLetter : letterEnds) {
      std::vector<std::size_t> ends;
      NumberEnds(line.substr(afterLetter), ends);
      for (std::size_t e : ends) stack.push_back(afterLetter + e);
      for (const std::string& v : rules.valueTexts) {
        if (v.empty() ? afterLetter == line.size() && afterLetter > pos
                      : line.substr(afterLetter, v.size()) == v) {
          stack.push_back(afterLetter + v.size());
        }
      }
    }
  }
  return false;
}

bool IsCommentLine(std::string_view line) {
  return line.size() >= 2 && line.front() == '(' && line.back() == ')' &&
         line.find_first_of("()", 1) == line.size() - 1;
}

// The line with the operator's letter and value texts blanked out, in lower
// case: what is left is ours, and must not hold "--", "nan" or "inf".
std::string OurPart(std::string_view line, const ProgramRules& rules) {
  // Every place any text stands in the line is blanked, found in the line as
  // written: blanking one text first must not hide another that overlaps it.
  std::string out(line);
  for (const auto* texts : {&rules.letterTexts, &rules.valueTexts}) {
    for (const std::string& t : *texts) {
      if (t.empty()) continue;
      for (std::size_t at = line.find(t); at != std::string::npos; at = line.find(t, at + 1)) {
        out.replace(at, t.size(), t.size(), ' ');
      }
    }
  }
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::optional<std::string> CheckLine(std::string_view line, const ProgramRules& rules) {
  // Ours alone: words of A-Z letters and plain numbers cannot spell "nan", "inf"
  // or "--", so the word check says everything.
  if (rules.letterTexts.empty() && rules.valueTexts.empty() && !rules.threadLayout) {
    if (line.empty() || IsPlainWordRun(line)) return std::nullopt;
  }
  const std::string ours = OurPart(line, rules);
  if (ours.find("--") != std::string::npos) return "a \"--\"";
  if (ours.find("nan") != std::string::npos || ours.find("inf") != std::string::npos) {
    return "a number that is not finite";
  }
  if (rules.threadLayout) {
    if (line.empty() || line == "%" || IsCommentLine(line)) return std::nullopt;
    if (!IsWordRun(line, rules)) return "not made of words";
    return std::nullopt;
  }
  // An empty line is a blank block (an end script left empty gives one).
  if (line.empty()) return std::nullopt;
  if (!IsWordRun(line, rules)) return "not made of words";
  return std::nullopt;
}

// The length of the operator's block that stands at the start of `rest`, with the
// line end the program adds after a block that does not end with a line feed; 0
// when none does.
std::size_t UserBlockAt(std::string_view rest, const ProgramRules& rules) {
  std::size_t best = 0;
  for (const std::string& b : rules.userBlocks) {
    if (b.empty()) continue;
    if (rest.substr(0, b.size()) != b) continue;
    std::size_t len = b.size();
    if (rest.substr(len, 2) == "\r\n") {
      len += 2;
    } else if (b.back() != '\n' && len != rest.size()) {
      continue;  // the block would end inside a line: that line is ours
    }
    best = std::max(best, len);
  }
  return best;
}

}  // namespace

bool IsPlainNumber(std::string_view text) {
  std::vector<std::size_t> ends;
  NumberEnds(text, ends);
  if (ends.empty() || ends.back() != text.size()) return false;
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) return false;
  return true;
}

std::optional<std::string> CheckProgram(std::string_view program, const ProgramRules& rules) {
  std::size_t pos = 0;
  double lines = 0;
  while (pos < program.size()) {
    const std::string_view rest = program.substr(pos);
    if (const std::size_t block = UserBlockAt(rest, rules)) {
      pos += block;
      continue;
    }
    ++lines;
    const std::size_t end = rest.find("\r\n");
    const std::string_view line = rest.substr(0, end);
    auto where = [&] {
      return "line " + std::to_string(static_cast<long long>(lines)) + " \"" +
             std::string(line.substr(0, 80)) + "\"";
    };
    if (end == std::string_view::npos) return where() + " has no line end";
    if (line.find_first_of("\r\n") != std::string_view::npos) {
      return where() + " holds a lone line break";
    }
    if (auto wrong = CheckLine(line, rules)) return where() + " is " + *wrong;
    pos += end + 2;
  }
  if (lines > rules.maxLines) {
    return "more lines than the limit allows: " + std::to_string(static_cast<long long>(lines));
  }
  return std::nullopt;
}

}  // namespace kelvora::fuzz
