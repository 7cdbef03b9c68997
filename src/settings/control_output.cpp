#include "settings/control_output.h"

#include <cstdlib>
#include <optional>
#include <vector>

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

std::vector<Line> SplitLines(std::string_view program) {
  std::vector<Line> lines;
  std::size_t at = 0;
  while (at < program.size()) {
    std::size_t stop = program.find_first_of("\r\n", at);
    if (stop == std::string_view::npos) {
      lines.push_back({program.substr(at), {}});
      break;
    }
    std::size_t next = stop + 1;
    if (program[stop] == '\r' && next < program.size() && program[next] == '\n') ++next;
    lines.push_back({program.substr(at, stop - at), program.substr(stop, next - stop)});
    at = next;
  }
  return lines;
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
std::vector<Word> WordsOf(std::string_view text, const DialectRules& rules) {
  std::vector<Word> words;
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
      if (close == std::string_view::npos) break;
      i = close + 1;
      continue;
    }
    if (c == ';') break;
    if (rules.dialect == text::Dialect::kLinuxCnc && (c == '#' || c == '[')) break;
    const std::size_t start = i;
    if (!IsLetter(c)) {
      words.push_back({0, 0.0, text.substr(i, 1)});
      ++i;
      continue;
    }
    ++i;
    skipBlanks();
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    while (i < text.size() && (IsDigit(text[i]) || text[i] == '.' || text[i] == ' ')) {
      if (text[i] != ' ') number += text[i];
      ++i;
    }
    const std::string_view shown = Trim(text.substr(start, i - start));
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    const bool reads = !number.empty() && end == number.c_str() + number.size() &&
                       number.find_first_of("0123456789") != std::string::npos;
    words.push_back({reads ? Upper(c) : '\0', value, shown});
  }
  return words;
}

// "the special operation text (CirSpOpStr), line 2" when `lineText` is a line
// of one of the operator's script boxes of `job`; nothing otherwise.
std::optional<std::string> ScriptLineOf(std::string_view lineText, JobInputs job,
                                        const generators::TextLookup& texts) {
  const std::string_view wanted = Trim(lineText);
  if (wanted.empty()) return std::nullopt;
  for (const InputRow& row : InputsOf(job)) {
    if (row.type != KeyType::kString || row.shownAs != ShownAs::kText || !row.choices.empty()) {
      continue;
    }
    const std::string box = texts(row.key);
    int number = 0;
    for (const Line& line : SplitLines(box)) {
      ++number;
      if (Trim(line.text) == wanted) {
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

// The refusal of the first line the control cannot read, if any; `hasEnd` is
// set when a line holds M2 or M30.
std::optional<Failure> FirstRefusal(const std::vector<Line>& lines, const DialectRules& rules,
                                    JobInputs job, const generators::TextLookup& texts,
                                    bool& hasEnd) {
  const std::string name(rules.name);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (IsPercentLine(line.text)) continue;
    if (rules.maxLineLength > 0 &&
        line.text.size() > static_cast<std::size_t>(rules.maxLineLength)) {
      return Failure{
          name + " reads at most " + std::to_string(rules.maxLineLength) + " characters a line",
          Where(line, i + 1, job, texts) + " (" + std::to_string(line.text.size()) +
              " characters)"};
    }
    for (const Word& w : WordsOf(line.text, rules)) {
      if (w.letter == 'A' && !rules.aAxis) {
        return Failure{std::string(kNoAAxis), "The " + std::string(JobName(job)) +
                                                  " program turns A. " +
                                                  Where(line, i + 1, job, texts)};
      }
      if (w.letter == 0 || !text::AcceptsWord(rules, w.letter, w.number)) {
        return Failure{name + " does not read " + std::string(w.text),
                       Where(line, i + 1, job, texts)};
      }
      if (EndsProgram(w)) hasEnd = true;
    }
  }
  return std::nullopt;
}

}  // namespace

Outcome<std::string> ForControl(std::string program, text::Dialect dialect, JobInputs job,
                                const generators::TextLookup& texts) {
  const DialectRules& rules = text::RulesOf(dialect);
  if (dialect == text::Dialect::kHost) return program;
  const std::vector<Line> lines = SplitLines(program);
  bool hasEnd = false;
  if (auto refused = FirstRefusal(lines, rules, job, texts, hasEnd)) return *refused;

  // The closing "%" of a program that keeps it: M30 goes before it.
  std::size_t closing = lines.size();
  if (rules.keepsPercent) {
    for (std::size_t i = lines.size(); i-- > 0;) {
      if (Trim(lines[i].text).empty()) continue;
      if (i > 0 && IsPercentLine(lines[i].text)) closing = i;
      break;
    }
  }
  std::string out;
  out.reserve(program.size() + 16);
  bool opened = !rules.statesArcCentres;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const bool percent = IsPercentLine(line.text);
    if (!opened && !(percent && i == 0)) {
      out += "G91.1\r\n";
      opened = true;
    }
    if (i == closing && rules.addsProgramEnd && !hasEnd) {
      out += "M30\r\n";
      hasEnd = true;
    }
    if (percent && !rules.keepsPercent) continue;
    out += line.text;
    out += line.end;
  }
  if (!opened) out += "G91.1\r\n";
  if (rules.addsProgramEnd && !hasEnd) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += "M30\r\n";
  }
  return out;
}

}  // namespace kelvora::settings
