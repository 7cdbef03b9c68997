#include "settings/control_output.h"

#include <charconv>
#include <optional>
#include <system_error>

namespace kelvora::settings {
namespace {

using text::DialectRules;

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One line of the program: its text without the line end, and the line end.
struct Line {
  std::string_view text;
  std::string_view end;
};

// Calls visit(line, offset) for each line of `text` (any of CR LF, LF or CR
// ends; a last line without its end too), until it returns false.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t stop = at;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    if (stop == text.size()) {
      visit(Line{text.substr(at), {}}, at);
      return;
    }
    std::size_t next = stop + 1;
    if (text[stop] == '\r' && next < text.size() && text[next] == '\n') ++next;
    if (!visit(Line{text.substr(at, stop - at), text.substr(stop, next - stop)}, at)) return;
    at = next;
  }
}

// A word of a line as the control reads it: a letter and its number ("M101"),
// or a character that is neither (`letter` 0, `text` the character).
struct Word {
  char letter = 0;
  double number = 0.0;
  std::string_view text;
};

bool IsPercentLine(std::string_view text) {
  return Trim(text) == "%";
}

// The words of `text`, comments in parentheses and after ";" left out. Blanks
// may stand inside a word ("G 1"), as the controls read them. A line of
// LinuxCNC's parameters or expressions ("#1=2", "[") is read up to them: their
// words are the control's own.
// Calls visit(word) for each, until it returns false.
template <class Visit>
void ForEachWord(std::string_view text, const DialectRules& rules, Visit visit) {
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  while (true) {
    skipBlanks();
    if (i >= text.size()) break;
    const char c = text[i];
    if (c == '(') {
      const std::size_t close = text.find(')', i);
      if (close == std::string_view::npos) {
        visit(Word{0, 0.0, text.substr(i)});  // a comment that never closes
        return;
      }
      i = close + 1;
      continue;
    }
    if (c == ';') break;
    if (rules.dialect == text::Dialect::kLinuxCnc && (c == '#' || c == '[')) break;
    const std::size_t start = i;
    if (!IsLetter(c)) {
      if (!visit(Word{0, 0.0, text.substr(i, 1)})) return;
      ++i;
      continue;
    }
    ++i;
    skipBlanks();
    // The number's characters without blanks and without a plus sign.
    char number[40];
    std::size_t length = 0;
    bool fits = true;
    bool digits = false;
    int points = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-') number[length++] = '-';
      ++i;
    }
    while (i < text.size() && (IsDigit(text[i]) || text[i] == '.' || text[i] == ' ')) {
      if (text[i] != ' ') {
        digits = digits || IsDigit(text[i]);
        points += text[i] == '.' ? 1 : 0;
        if (length < sizeof number) {
          number[length++] = text[i];
        } else {
          fits = false;
        }
      }
      ++i;
    }
    const std::string_view shown = text.substr(start, i - start);  // trimmed where shown
    // Only a code's number matters beyond whether it reads: "1.2.3" does not.
    bool reads = digits && points <= 1;
    double value = 0.0;
    const char letter = Upper(c);
    if (reads && (letter == 'G' || letter == 'M')) {
      const auto [end, error] = std::from_chars(number, number + length, value);
      reads = fits && error == std::errc() && end == number + length;
    }
    if (!visit(Word{reads ? letter : '\0', value, shown})) return;
  }
}

// "the special operation text (CirSpOpStr), line 2" when `lineText` is a line
// of one of the operator's script boxes of `job`; nothing otherwise.
std::optional<std::string> ScriptLineOf(std::string_view lineText, JobInputs job,
                                        const generators::TextLookup& texts) {
  const std::string_view wanted = Trim(lineText);
  if (wanted.empty()) return std::nullopt;
  // The cut lists are cut with the router tab's machining inputs, scripts included.
  for (const JobInputs table : {job, job == JobInputs::kCuts ? JobInputs::kContour : job}) {
    for (const InputRow& row : InputsOf(table)) {
      if (row.type != KeyType::kString || row.shownAs != ShownAs::kText || !row.choices.empty()) {
        continue;
      }
      const std::string box = texts(row.key);
      int number = 0;
      bool found = false;
      ForEachLine(box, [&](const Line& line, std::size_t) {
        ++number;
        found = Trim(line.text) == wanted;
        return !found;
      });
      if (found) {
        const std::string_view what = row.help.empty() ? std::string_view("script") : row.help;
        return "In the " + std::string(what) + " (" + std::string(row.key) + "), line " +
               std::to_string(number);
      }
    }
  }
  return std::nullopt;
}

std::string_view JobName(JobInputs job) {
  switch (job) {
    case JobInputs::kCircle:
      return "circle";
    case JobInputs::kGrid:
      return "grid";
    case JobInputs::kSurface:
      return "surface";
    case JobInputs::kContour:
      return "DXF contour";
    case JobInputs::kCuts:
      return "cut list";
    case JobInputs::kPoints:
      return "point list";
    case JobInputs::kAutoGrid:
      return "point grid";
    case JobInputs::kTeach:
      return "teach";
    case JobInputs::kThread:
      return "thread";
    default:
      return "job's";
  }
}

// Where a refused line stands: the operator's box and its line, or the program's line.
std::string Where(const Line& line, std::size_t number, JobInputs job,
                  const generators::TextLookup& texts) {
  if (auto box = ScriptLineOf(line.text, job, texts))
    return *box + ": " + std::string(Trim(line.text));
  return "Program line " + std::to_string(number) + ": " + std::string(Trim(line.text));
}

bool EndsProgram(const Word& w) {
  return w.letter == 'M' && (w.number == 2.0 || w.number == 30.0);
}

// What reading the program for a control found: the refusal of the first line
// it cannot read, whether a line holds M2 or M30, whether a line is "%".
struct Reading {
  std::optional<Failure> refusal;
  bool hasEnd = false;
  bool hasPercent = false;
};

Reading ReadFor(std::string_view program, const DialectRules& rules, JobInputs job,
                const generators::TextLookup& texts) {
  Reading found;
  const std::string name(rules.name);
  std::size_t number = 0;
  ForEachLine(program, [&](const Line& line, std::size_t) {
    ++number;
    if (IsPercentLine(line.text)) {
      found.hasPercent = true;
      return true;
    }
    if (rules.maxLineLength > 0 &&
        line.text.size() > static_cast<std::size_t>(rules.maxLineLength)) {
      found.refusal = Failure{
          name + " reads at most " + std::to_string(rules.maxLineLength) + " characters a line",
          Where(line, number, job, texts) + " (" + std::to_string(line.text.size()) +
              " characters)"};
      return false;
    }
    ForEachWord(line.text, rules, [&](const Word& w) {
      if (w.letter == 'A' && !rules.aAxis) {
        found.refusal = Failure{std::string(kNoAAxis), "The " + std::string(JobName(job)) +
                                                           " program turns A. " +
                                                           Where(line, number, job, texts)};
      } else if (w.letter == 0 || !text::AcceptsWord(rules, w.letter, w.number)) {
        found.refusal = Failure{name + " does not read " + std::string(Trim(w.text)),
                                Where(line, number, job, texts)};
      } else if (EndsProgram(w)) {
        found.hasEnd = true;
      }
      return !found.refusal;
    });
    return !found.refusal;
  });
  return found;
}

// Where a line that is "%" alone closes the program (the last line that is not
// blank, and not the first line): its offset, or npos.
std::size_t ClosingPercent(std::string_view program) {
  std::size_t closing = std::string_view::npos;
  std::size_t number = 0;
  ForEachLine(program, [&](const Line& line, std::size_t offset) {
    ++number;
    if (Trim(line.text).empty()) return true;
    closing = number > 1 && IsPercentLine(line.text) ? offset : std::string_view::npos;
    return true;
  });
  return closing;
}

}  // namespace

Outcome<std::string> ForControl(std::string program, text::Dialect dialect, JobInputs job,
                                const generators::TextLookup& texts) {
  if (dialect == text::Dialect::kHost) return program;
  const DialectRules& rules = text::RulesOf(dialect);
  const Reading found = ReadFor(program, rules, job, texts);
  if (found.refusal) return *found.refusal;

  // The program is changed in place: it may be hundreds of megabytes.
  if (found.hasPercent && !rules.keepsPercent) {
    std::string kept;
    kept.reserve(program.size());
    ForEachLine(program, [&](const Line& line, std::size_t) {
      if (!IsPercentLine(line.text)) kept.append(line.text).append(line.end);
      return true;
    });
    program = std::move(kept);
  }
  if (rules.statesArcCentres) {
    // After an opening "%", which must stay the first line.
    std::size_t at = 0;
    ForEachLine(program, [&](const Line& line, std::size_t) {
      if (IsPercentLine(line.text)) at = line.text.size() + line.end.size();
      return false;
    });
    if (at > 0 && program[at - 1] != '\n' && program[at - 1] != '\r') {
      program.insert(at, "\r\n");
      at += 2;
    }
    program.insert(at, "G91.1\r\n");
  }
  if (rules.addsProgramEnd && !found.hasEnd) {
    const std::size_t closing = rules.keepsPercent ? ClosingPercent(program) : std::string::npos;
    if (closing != std::string::npos) {
      program.insert(closing, "M30\r\n");
    } else {
      if (!program.empty() && program.back() != '\n' && program.back() != '\r') {
        program += "\r\n";
      }
      program += "M30\r\n";
    }
  }
  return program;
}

}  // namespace kelvora::settings
