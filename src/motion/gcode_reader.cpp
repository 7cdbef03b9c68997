// The block interpreter: takes each line's words in the control's order of
// execution (feed, speed, tool, tool change, spindle, dwell, units, distance
// modes, retract mode, motion, stop) and keeps the modal state between blocks.
#include "motion/gcode_reader.h"

#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>

#include "motion/machine.h"
#include "motion/reader_state.h"
#include "motion/word_scanner.h"

namespace kelvora::motion {

void ReaderState::Emit(MoveKind kind, double toX, double toY, double toZ, double toA, bool canned,
                       double centreX, double centreY, int extraTurns) {
  // One move reused: every field is set here, and nothing is cleared per move.
  Move& move = scratch;
  move.kind = kind;
  move.start = handedOn;
  move.end = {toX * scale, toY * scale, toZ * scale, toA};
  move.centreX = centreX * scale;
  move.centreY = centreY * scale;
  move.extraTurns = extraTurns;
  move.line = lineNumber;
  move.canned = canned;
  move.known = known;
  if (kind != MoveKind::kRapid) {
    // F is per minute of X/Y/Z path when X, Y or Z moves, of A travel when only A does.
    const bool linear = toX != x || toY != y || toZ != z || kind != MoveKind::kFeed;
    move.feed = linear ? feed * scale : feed;
  } else {
    move.feed = 0.0;
  }
  if (!std::isfinite(move.end.x) || !std::isfinite(move.end.y) || !std::isfinite(move.end.z) ||
      !std::isfinite(move.end.a) || !std::isfinite(move.centreX) || !std::isfinite(move.centreY) ||
      !std::isfinite(move.feed)) {
    NoticeAt(NoticeKind::kMalformedNumber, {0, static_cast<std::uint32_t>(line.size())});
    return;
  }
  x = toX;
  y = toY;
  z = toZ;
  a = toA;
  handedOn = move.end;
  sink->OnMove(move);
}

void ReaderState::Event(EventKind kind, double value) {
  sink->OnEvent({kind, value, lineNumber});
}

void ReaderState::NoticeAt(NoticeKind kind, WordSpan span) const {
  SendNotice(*sink, kind, lineNumber, line, span);
}

namespace {

constexpr double kArcToleranceMm = 0.005;
constexpr double kArcToleranceInch = 0.0005;
constexpr double kMaxArcTurns = 1e6;
constexpr double kQuarterTurn = std::numbers::pi / 2.0;

constexpr std::uint32_t Bit(char letter) {
  return 1U << (letter - 'A');
}
constexpr std::uint32_t kAxisLetters =
    Bit('X') | Bit('Y') | Bit('Z') | Bit('A') | Bit('B') | Bit('C');

bool IsCycle(int mode) {
  return mode == 730 || mode == 810 || mode == 820 || mode == 830;
}

// What a control is sent after the program's end: nothing of it runs, so only
// the words and lines the control does not read are handed on.
class ControlOnlySink final : public MotionSink {
 public:
  explicit ControlOnlySink(MotionSink& sink) : sink_(sink) {}
  void OnMove(const Move&) override {}
  void OnEvent(const Event&) override {}
  void OnNotice(const Notice& notice) override {
    if (notice.kind == NoticeKind::kForeignWord || notice.kind == NoticeKind::kLongLine) {
      sink_.OnNotice(notice);
    }
  }

 private:
  MotionSink& sink_;
};

class BlockReader {
 public:
  BlockReader(MotionSink& sink, const ReaderStart& start) {
    state_.sink = &sink;
    state_.x = start.position.x;
    state_.y = start.position.y;
    state_.z = start.position.z;
    state_.a = start.position.a;
    state_.handedOn = start.position;
    state_.dwellDivisor = start.dwellMilliseconds ? 1000.0 : 1.0;
    // The host's programs are left to the reader's own notices.
    if (start.dialect != text::Dialect::kHost) control_ = &text::RulesOf(start.dialect);
  }

  // Reads the line `text` begins with and returns its length; `ended` is set
  // once the program has ended (M2, M30).
  std::size_t Read(std::string_view text, std::uint32_t lineNumber, bool& ended) {
    state_.lineNumber = lineNumber;
    const std::size_t length = ScanLine(text, lineNumber, *state_.sink, words_, control_);
    state_.line = text.substr(0, length);
    if (control_ != nullptr) CheckLength(length, *control_);
    used_ = 0;
    ended = !Execute();
    return length;
  }

  // Whether the lines after the program's end are still looked at: a control
  // other than the host is sent them all the same (and the finishing pass
  // refuses a word there as anywhere).
  bool ChecksAfterEnd() const { return control_ != nullptr; }
  // A line after the end: its words and length, nothing of it run.
  std::size_t CheckAfterEnd(std::string_view text, std::uint32_t lineNumber) {
    state_.lineNumber = lineNumber;
    ControlOnlySink only(*state_.sink);
    const std::size_t length = ScanLine(text, lineNumber, only, words_, control_);
    CheckLength(length, *control_);
    return length;
  }

 private:
  bool Execute();
  void SetUnits(bool inch);
  void StraightMove(int motion);
  void ArcMove(int motion);
  struct Point {
    double x, y, z, a;
  };
  // Where the block's axis words take the tool (program units, A in degrees).
  Point Target() const {
    const ReaderState& s = state_;
    const std::uint32_t given = words_.letters;
    auto axis = [&](char letter, double current) {
      if ((given & Bit(letter)) == 0) return current;
      const double value = words_.value[static_cast<std::size_t>(letter - 'A')];
      return s.incremental ? current + value : value;
    };
    return {axis('X', s.x), axis('Y', s.y), axis('Z', s.z), axis('A', s.a)};
  }
  void ReportUnused();
  void CheckLength(std::size_t length, const text::DialectRules& rules);

  ReaderState state_;
  BlockWords words_;
  std::uint32_t used_ = 0;                       // letters of the block some code took
  const text::DialectRules* control_ = nullptr;  // the control's, but for the host
};

// A line the control cannot take whole, named with its length and the most it
// reads ("80 > 79" on GRBL): the line end is not counted.
void BlockReader::CheckLength(std::size_t length, const text::DialectRules& rules) {
  if (rules.maxLineLength <= 0 || length <= static_cast<std::size_t>(rules.maxLineLength)) return;
  Notice notice;
  notice.kind = NoticeKind::kLongLine;
  notice.line = state_.lineNumber;
  notice.word = std::to_string(length) + " > " + std::to_string(rules.maxLineLength);
  state_.sink->OnNotice(notice);
}

void BlockReader::SetUnits(bool inch) {
  if (inch == state_.inch) return;
  const double factor = inch ? 1.0 / kMillimetresPerInch : kMillimetresPerInch;
  state_.x *= factor;
  state_.y *= factor;
  state_.z *= factor;
  state_.inch = inch;
  state_.scale = inch ? kMillimetresPerInch : 1.0;
}

void BlockReader::StraightMove(int motion) {
  const Point to = Target();
  state_.Emit(motion == 0 ? MoveKind::kRapid : MoveKind::kFeed, to.x, to.y, to.z, to.a, false);
}

void BlockReader::ArcMove(int motion) {
  ReaderState& s = state_;
  const Point to = Target();
  const double tx = to.x;
  const double ty = to.y;
  const double tz = to.z;
  const double ta = to.a;
  const WordSpan motionSpan = words_.gSpan[static_cast<std::size_t>(GGroup::kMotion)];
  const bool clockwise = motion == 20;
  const double tolerance = s.inch ? kArcToleranceInch : kArcToleranceMm;
  used_ |= Bit('I') | Bit('J') | Bit('R') | Bit('P');
  int extraTurns = 0;
  if (words_.Has('P')) {
    const double turns = words_.Value('P');
    if (turns < 1.0 || turns != std::floor(turns) || turns > kMaxArcTurns) {
      s.NoticeAt(NoticeKind::kBadArc, words_.Span('P'));
      return;
    }
    extraTurns = static_cast<int>(turns) - 1;
  }
  double cx = 0.0;
  double cy = 0.0;
  if (words_.Has('R')) {
    const WordSpan rSpan = words_.Span('R');
    if (words_.Has('I') || words_.Has('J')) {
      s.NoticeAt(NoticeKind::kBadArc, rSpan);
      return;
    }
    // The centre on the side the direction and R's sign choose: a negative R
    // takes the arc of more than half a turn.
    const double radius = words_.Value('R');
    const double absRadius = std::fabs(radius);
    const double midX = (tx + s.x) / 2.0;
    const double midY = (ty + s.y) / 2.0;
    double half = std::hypot(midX - tx, midY - ty);
    if ((tx == s.x && ty == s.y) || absRadius == 0.0 || half - absRadius > tolerance) {
      s.NoticeAt(NoticeKind::kBadArc, rSpan);
      return;
    }
    if (half / absRadius > 1.0 - 1e-12) half = absRadius;
    const double theta = std::atan2(ty - s.y, tx - s.x) +
                         ((clockwise == (radius > 0.0)) ? -kQuarterTurn : kQuarterTurn);
    const double offset = absRadius * std::cos(std::asin(half / absRadius));
    cx = midX + offset * std::cos(theta);
    cy = midY + offset * std::sin(theta);
  } else {
    if (!words_.Has('I') && !words_.Has('J')) {
      s.NoticeAt(NoticeKind::kBadArc, motionSpan.length != 0 ? motionSpan : WordSpan{0, 40});
      return;
    }
    const double i = words_.Has('I') ? words_.Value('I') : 0.0;
    const double j = words_.Has('J') ? words_.Value('J') : 0.0;
    cx = s.arcAbsolute ? i : s.x + i;
    cy = s.arcAbsolute ? j : s.y + j;
    const double startRadius = std::hypot(s.x - cx, s.y - cy);
    const double endRadius = std::hypot(tx - cx, ty - cy);
    if (!(startRadius >= tolerance) || !(endRadius >= tolerance)) {
      s.NoticeAt(NoticeKind::kBadArc, words_.Has('I') ? words_.Span('I') : words_.Span('J'));
      return;
    }
  }
  s.Emit(clockwise ? MoveKind::kArcCw : MoveKind::kArcCcw, tx, ty, tz, ta, false, cx, cy,
         extraTurns);
}

void BlockReader::ReportUnused() {
  constexpr std::uint32_t kChecked =
      Bit('B') | Bit('C') | Bit('I') | Bit('J') | Bit('R') | Bit('Q') | Bit('P') | Bit('L');
  if ((words_.letters & kChecked) == 0) return;
  // B and C are axes this machine model has not: a move of them is reported.
  for (char letter : {'B', 'C'}) {
    if (words_.Has(letter) && words_.Value(letter) != 0.0 && (words_.foreign & Bit(letter)) == 0) {
      state_.NoticeAt(NoticeKind::kUnknownWord, words_.Span(letter));
    }
  }
  // Words that no code of the block takes (an R with G1, a P with G83), but for
  // those already reported as words the control does not read.
  const std::uint32_t unused = words_.letters & ~used_ & ~words_.foreign &
                               (Bit('I') | Bit('J') | Bit('R') | Bit('Q') | Bit('P') | Bit('L'));
  for (char letter : {'I', 'J', 'R', 'Q', 'P', 'L'}) {
    if (unused & Bit(letter)) state_.NoticeAt(NoticeKind::kUnknownWord, words_.Span(letter));
  }
}

bool BlockReader::Execute() {
  ReaderState& s = state_;
  const BlockWords& w = words_;
  // Most blocks are a motion and its axis words: the rest is looked at only when
  // the block holds something of it.
  constexpr std::uint32_t kSettingLetters = Bit('F') | Bit('S') | Bit('T');
  constexpr std::uint32_t kMotionGroup = 1U << static_cast<unsigned>(GGroup::kMotion);
  constexpr std::uint32_t kStopGroup = 1U << static_cast<unsigned>(MGroup::kStop);
  if ((w.letters & kSettingLetters) != 0 || (w.mGiven & ~kStopGroup) != 0 ||
      (w.gGiven & ~kMotionGroup) != 0) {
    // A feed, speed or tool below zero is refused, as the control refuses it.
    auto positive = [&](char letter, double& into) {
      if (!w.Has(letter)) return;
      if (w.Value(letter) < 0.0) {
        s.NoticeAt(NoticeKind::kMalformedNumber, w.Span(letter));
      } else {
        into = w.Value(letter);
      }
    };
    positive('F', s.feed);
    positive('S', s.speed);
    positive('T', s.tool);
    if (w.M(MGroup::kToolChange) == 6) s.Event(EventKind::kToolChange, s.tool);
    switch (w.M(MGroup::kSpindle)) {
      case 3:
        s.Event(EventKind::kSpindleCw, s.speed);
        break;
      case 4:
        s.Event(EventKind::kSpindleCcw, s.speed);
        break;
      case 5:
        s.Event(EventKind::kSpindleStop, 0.0);
        break;
      default:
        break;
    }
    if (w.G(GGroup::kDwell) == 40) {
      used_ |= Bit('P');
      if (!w.Has('P') || w.Value('P') < 0.0) {
        s.NoticeAt(NoticeKind::kMalformedNumber,
                   w.Has('P') ? w.Span('P') : w.gSpan[static_cast<std::size_t>(GGroup::kDwell)]);
      } else {
        s.Event(EventKind::kDwell, w.Value('P') / s.dwellDivisor);
      }
    }
    if (w.G(GGroup::kUnits) != kNoCode) SetUnits(w.G(GGroup::kUnits) == 200);
    if (w.G(GGroup::kDistance) != kNoCode) s.incremental = w.G(GGroup::kDistance) == 910;
    if (w.G(GGroup::kArcDistance) != kNoCode) s.arcAbsolute = w.G(GGroup::kArcDistance) == 901;
    if (w.G(GGroup::kRetract) != kNoCode) s.retractToR = w.G(GGroup::kRetract) == 990;
  }

  const int given = w.G(GGroup::kMotion);
  const bool axes = (w.letters & kAxisLetters) != 0;
  if (given == 800) {
    if (axes)
      s.NoticeAt(NoticeKind::kUnknownWord, w.gSpan[static_cast<std::size_t>(GGroup::kMotion)]);
    s.motionMode = kModeNone;
    s.initialLevelSet = false;
  } else if (given != kNoCode || axes) {
    const int motion = given != kNoCode ? given : s.motionMode;
    if (motion != kModeNone) {
      // The axes this block names are where the program says from now on; a
      // cycle always names its Z levels (R and Z).
      for (int axis = 0; axis < kAxisCount; ++axis) {
        if (w.Has("XYZA"[axis])) s.known |= static_cast<std::uint8_t>(1U << axis);
      }
      if (IsCycle(motion)) s.known |= 1U << kAxisZ;
    }
    if (motion == kModeNone) {
      // Axis words with no motion mode to take them (but for those already
      // reported as words the control does not read).
      for (char letter : {'X', 'Y', 'Z', 'A'}) {
        if (w.Has(letter) && (w.foreign & Bit(letter)) == 0) {
          s.NoticeAt(NoticeKind::kUnknownWord, w.Span(letter));
          break;
        }
      }
    } else if (IsCycle(motion)) {
      used_ |= Bit('R') | Bit('L') | Bit('Q') | (motion == 820 ? Bit('P') : 0U);
      if (RunCannedCycle(s, w, motion)) s.motionMode = motion;
    } else {
      s.initialLevelSet = false;
      if (motion == 0 || motion == 10) {
        StraightMove(motion);
      } else {
        ArcMove(motion);
      }
      s.motionMode = motion;
    }
  }
  ReportUnused();

  if ((w.mGiven & kStopGroup) == 0) return true;
  switch (w.M(MGroup::kStop)) {
    case 0:
    case 1:
      s.Event(EventKind::kPause, 0.0);
      break;
    case 2:
    case 30:
      s.Event(EventKind::kProgramEnd, 0.0);
      return false;
    default:
      break;
  }
  return true;
}

}  // namespace

ReaderStart ReaderStartFor(const Machine& machine) {
  ReaderStart start;
  start.dialect = machine.dialect;
  // Only a control whose dwell unit is a machine setting (the host) counts in
  // milliseconds; the others read seconds whatever the setting says.
  start.dwellMilliseconds = machine.dwellMilliseconds && text::RulesOf(machine.dialect).dwell ==
                                                             text::DwellUnit::kMachineSetting;
  return start;
}

void ReadProgram(std::string_view program, MotionSink& sink, const ReaderStart& start) {
  BlockReader reader(sink, start);
  const std::size_t n = program.size();
  std::size_t begin = 0;
  std::uint32_t lineNumber = 0;
  bool ended = false;
  const bool checksAfterEnd = reader.ChecksAfterEnd();
  while (begin < n && (!ended || checksAfterEnd)) {
    if (lineNumber != UINT32_MAX) ++lineNumber;
    const std::string_view rest = program.substr(begin);
    std::size_t end = begin + (ended ? reader.CheckAfterEnd(rest, lineNumber)
                                     : reader.Read(rest, lineNumber, ended));
    // A CR LF pair ends one line.
    if (end < n && program[end] == '\r' && end + 1 < n && program[end + 1] == '\n') ++end;
    begin = end + 1;
  }
}

}  // namespace kelvora::motion
