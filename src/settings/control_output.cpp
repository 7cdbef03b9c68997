#include "settings/control_output.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>

#include "motion/word_scanner.h"

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

// "0.04" for a length in millimetres, as a refusal shows it.
std::string Millimetres(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

// The G codes of a line, as far as following the machine needs them beyond
// what the motion reader's scanner keeps: the plane, the feed mode, and the
// codes after which the position in the program's coordinates is not known.
struct LineCodes {
  std::optional<bool> xyPlane;      // G17: true; G17.1 G18 G18.1 G19 G19.1: false
  std::optional<bool> inverseTime;  // G93: true; G94 G95: false
  bool takesAxisWords = false;      // G10 G28 G30 G92: the axis words are not a move
  bool forgetsPosition = false;     // those, G38.x, G53, G54-G59.3, the other motions
  bool forgetsZ = false;            // G43 G43.1 G49
  bool otherMotion = false;         // a motion the follower does not model (G33, G76, G85 ...)
  bool stopsFollowing = false;      // LinuxCNC's flow control (O words)
};

void NoteCode(double code, LineCodes& codes) {
  const auto tenths = static_cast<int>(std::lround(code * 10.0));
  switch (tenths) {
    case 170:
      codes.xyPlane = true;
      return;
    case 171:
    case 180:
    case 181:
    case 190:
    case 191:
      codes.xyPlane = false;
      return;
    case 930:
      codes.inverseTime = true;
      return;
    case 940:
    case 950:
      codes.inverseTime = false;
      return;
    case 100:
    case 280:
    case 300:
    case 920:
      codes.takesAxisWords = true;
      codes.forgetsPosition = true;
      return;
    case 430:
    case 431:
    case 490:
      codes.forgetsZ = true;
      return;
    case 50:
    case 51:
    case 52:
    case 53:
    case 330:
    case 331:
    case 760:
    case 840:
    case 850:
    case 860:
    case 870:
    case 880:
    case 890:
      codes.otherMotion = true;
      codes.forgetsPosition = true;
      return;
    default:
      break;
  }
  if ((tenths >= 382 && tenths <= 385) || tenths == 281 || tenths == 301 || tenths == 530 ||
      (tenths >= 540 && tenths <= 593) || (tenths >= 921 && tenths <= 923)) {
    codes.forgetsPosition = true;
  }
}

// The motion reader's scanner reports what it cannot read; the follower only
// needs to know that a line held numbers it could not read (LinuxCNC's
// parameters and expressions), after which the machine is no longer followed.
class ScanNotices final : public motion::MotionSink {
 public:
  void OnMove(const motion::Move&) override {}
  void OnEvent(const motion::Event&) override {}
  void OnNotice(const motion::Notice& notice) override {
    const bool letter = !notice.word.empty() && IsLetter(notice.word.front());
    if (notice.kind == motion::NoticeKind::kMalformedNumber ||
        (notice.kind == motion::NoticeKind::kUnknownWord && !letter)) {
      unreadable = true;
    }
  }
  bool unreadable = false;
};

constexpr int kArcCw = 20;  // G codes as the scanner holds them: ten times the number
constexpr int kArcCcw = 30;
constexpr int kCancelCycle = 800;
constexpr double kMillimetresPerInch = 25.4;
// An end a hair beyond what R reaches is the rounding of the written numbers.
constexpr double kRadiusReach = 1e-4;
// Above the control's own difference, an end off its circle is refused when it
// is also 0.1 % of the radius, and always beyond 0.5 mm.
constexpr double kArcRelativeDifference = 0.001;
constexpr double kArcLargeDifference = 0.5;

bool IsFeedMotion(int code) {
  return code == 10 || code == kArcCw || code == kArcCcw || code == 730 ||
         (code >= 810 && code <= 830);
}

// The machine as the control would be after each line, followed from the
// opening line's modes: enough to refuse a feed move without a feed rate and
// an arc the control cannot make. Where the program leaves what can be
// followed (parameters, expressions, coordinate changes), what is not known is
// not checked.
class Follower {
 public:
  explicit Follower(const DialectRules& rules) : rules_(rules) {}

  // Why the control refuses the line, or nothing; the state moves on either way.
  std::optional<std::string> Line(std::string_view text, std::uint32_t number,
                                  const LineCodes& codes) {
    if (!followed_) return std::nullopt;
    ScanNotices notices;
    motion::BlockWords words;
    motion::ScanLine(text, number, notices, words);
    if (notices.unreadable || codes.stopsFollowing) {
      followed_ = false;
      return std::nullopt;
    }
    if (codes.xyPlane) xyPlane_ = *codes.xyPlane;
    if (codes.inverseTime) inverseTime_ = *codes.inverseTime;
    if (const int units = words.G(motion::GGroup::kUnits); units != motion::kNoCode) {
      inch_ = units == 200;
    }
    if (const int distance = words.G(motion::GGroup::kDistance); distance != motion::kNoCode) {
      incremental_ = distance == 910;
    }
    if (const int centres = words.G(motion::GGroup::kArcDistance); centres != motion::kNoCode) {
      absoluteCentres_ = centres == 901;
    }
    const int given = words.G(motion::GGroup::kMotion);
    if (given != motion::kNoCode) motion_ = given;
    if (codes.otherMotion) motion_ = motion::kNoCode;

    bool axisWords = false;
    for (const char axis : {'X', 'Y', 'Z', 'A', 'B', 'C'}) axisWords = axisWords || words.Has(axis);
    const bool motionCommand =
        !codes.takesAxisWords && (axisWords || given != motion::kNoCode || codes.otherMotion);
    std::optional<std::string> refusal;
    if (motionCommand && motion_ == kCancelCycle && axisWords) {
      refusal = "axis words with no motion in force (G80)";
    } else if (motionCommand && IsFeedMotion(motion_)) {
      const bool lineFeed = words.Has('F');
      const double feed = lineFeed ? words.Value('F') : (inverseTime_ ? 0.0 : feed_);
      if (!(feed > 0.0)) {
        refusal = "a feed move without a feed rate (F 0, or none set)";
      } else if ((motion_ == kArcCw || motion_ == kArcCcw) && xyPlane_) {
        refusal = Arc(words);
      }
    }
    if (words.Has('F') && !inverseTime_) feed_ = words.Value('F');
    Move(words, codes);
    if (codes.forgetsPosition) at_ = {};
    if (codes.forgetsZ) at_[2].reset();
    return refusal;
  }

 private:
  double Length(const motion::BlockWords& words, char letter) const {
    return words.Value(letter) * (inch_ ? kMillimetresPerInch : 1.0);
  }

  // How far the line's end lies from its start along X, Y (index 0, 1), where known.
  std::optional<double> Delta(const motion::BlockWords& words, int axis) const {
    const char letter = static_cast<char>('X' + axis);
    if (!words.Has(letter)) return 0.0;
    if (incremental_) return Length(words, letter);
    const auto& start = at_[static_cast<std::size_t>(axis)];
    if (!start) return std::nullopt;
    return Length(words, letter) - *start;
  }

  std::optional<std::string> Arc(const motion::BlockWords& words) const {
    const std::optional<double> dx = Delta(words, 0);
    const std::optional<double> dy = Delta(words, 1);
    const bool ends = dx && dy;
    if (words.Has('R')) {
      const double r = std::fabs(Length(words, 'R'));
      if (r == 0.0 || r < rules_.minArcRadius)
        return "an arc of zero radius (R" + Millimetres(r) + ")";
      if (ends && *dx == 0.0 && *dy == 0.0) return "an arc given by R that ends where it starts";
      if (ends && std::hypot(*dx, *dy) / 2.0 > r + kRadiusReach) {
        return "an arc whose R" + Millimetres(r) + " does not reach its end";
      }
      return std::nullopt;
    }
    if (!words.Has('I') && !words.Has('J')) return "an arc with neither I nor J nor R";
    const double i = words.Has('I') ? Length(words, 'I') : 0.0;
    const double j = words.Has('J') ? Length(words, 'J') : 0.0;
    // The centre from the start: I and J themselves, or (G90.1) less the start.
    double cx = i;
    double cy = j;
    if (absoluteCentres_) {
      if (!at_[0] || !at_[1]) return std::nullopt;
      cx -= *at_[0];
      cy -= *at_[1];
    }
    const double startRadius = std::hypot(cx, cy);
    if (startRadius == 0.0 || startRadius < rules_.minArcRadius) {
      return "an arc of zero radius (" + Millimetres(startRadius) + " mm)";
    }
    if (!ends) return std::nullopt;
    const double endRadius = std::hypot(*dx - cx, *dy - cy);
    if (endRadius < rules_.minArcRadius) {
      return "an arc of zero radius (" + Millimetres(endRadius) + " mm at its end)";
    }
    const double difference = std::fabs(endRadius - startRadius);
    if ((difference > rules_.arcEndDifference &&
         difference > kArcRelativeDifference * startRadius) ||
        difference > kArcLargeDifference) {
      return "an arc whose end is " + Millimetres(difference) + " mm off its circle (radius " +
             Millimetres(startRadius) + " mm)";
    }
    return std::nullopt;
  }

  void Move(const motion::BlockWords& words, const LineCodes& codes) {
    if (codes.takesAxisWords || motion_ == kCancelCycle) return;
    for (int axis = 0; axis < 3; ++axis) {
      const char letter = static_cast<char>('X' + axis);
      if (!words.Has(letter)) continue;
      auto& p = at_[static_cast<std::size_t>(axis)];
      if (motion_ == motion::kNoCode || (IsFeedMotion(motion_) && motion_ > kArcCcw && axis == 2)) {
        p.reset();  // a cycle ends at its retract height
      } else if (incremental_) {
        if (p) p = *p + Length(words, letter);
      } else {
        p = Length(words, letter);
      }
    }
  }

  const DialectRules& rules_;
  bool followed_ = true;
  // The opening line's modes.
  int motion_ = kCancelCycle;
  bool inch_ = false;
  bool incremental_ = false;
  bool absoluteCentres_ = false;
  bool xyPlane_ = true;
  bool inverseTime_ = false;
  double feed_ = 0.0;                        // none set
  std::array<std::optional<double>, 3> at_;  // X Y Z in mm, where known
};

// The first byte of `text` the control takes as a real-time command wherever
// it stands: 0x80-0xFF and the control characters other than tab. npos: none.
std::size_t RealTimeByte(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80 || byte == 0x7F || (byte < 0x20 && byte != '\t')) return i;
  }
  return std::string_view::npos;
}

std::string ByteText(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
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
  Follower follower(rules);
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
    if (rules.realTimeBytes) {
      if (const std::size_t at = RealTimeByte(line.text); at != std::string_view::npos) {
        found.refusal = Failure{name +
                                    " takes every byte 0x80-0xFF and every control character as a "
                                    "real-time command, comments included",
                                Where(line, number, job, texts) + " (byte " +
                                    ByteText(static_cast<unsigned char>(line.text[at])) + ")"};
        return false;
      }
    }
    LineCodes codes;
    ForEachWord(line.text, rules, [&](const Word& w) {
      const bool realTime = w.text == "?" || w.text == "!" || w.text == "~";
      if (w.letter == 'A' && !rules.aAxis) {
        found.refusal = Failure{std::string(kNoAAxis), "The " + std::string(JobName(job)) +
                                                           " program turns A. " +
                                                           Where(line, number, job, texts)};
      } else if (w.letter == 0 && realTime && rules.realTimeBytes) {
        found.refusal = Failure{name + " takes " + std::string(w.text) + " as a real-time command",
                                Where(line, number, job, texts)};
      } else if (w.letter == 0 || !text::AcceptsWord(rules, w.letter, w.number)) {
        found.refusal = Failure{name + " does not read " + std::string(Trim(w.text)),
                                Where(line, number, job, texts)};
      } else if (EndsProgram(w)) {
        found.hasEnd = true;
      } else if (w.letter == 'G') {
        NoteCode(w.number, codes);
      } else if (w.letter == 'O') {
        codes.stopsFollowing = true;
      }
      return !found.refusal;
    });
    if (!found.refusal && rules.arcEndDifference > 0.0) {
      if (auto refused = follower.Line(line.text, static_cast<std::uint32_t>(number), codes)) {
        found.refusal = Failure{name + " refuses " + *refused, Where(line, number, job, texts)};
      }
    }
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
                                const generators::TextLookup& texts, bool hostStatesModes) {
  const bool host = dialect == text::Dialect::kHost;
  if (host && !hostStatesModes) return program;
  const DialectRules& rules = text::RulesOf(dialect);
  Reading found;
  if (!host) found = ReadFor(program, rules, job, texts);
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
  // The opening line, then G91.1, after an opening "%", which must stay the first line.
  std::string opening(rules.opening);
  opening += "\r\n";
  if (rules.statesArcCentres) opening += "G91.1\r\n";
  std::size_t at = 0;
  ForEachLine(program, [&](const Line& line, std::size_t) {
    if (IsPercentLine(line.text)) at = line.text.size() + line.end.size();
    return false;
  });
  if (at > 0 && program[at - 1] != '\n' && program[at - 1] != '\r') {
    program.insert(at, "\r\n");
    at += 2;
  }
  program.insert(at, opening);
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
