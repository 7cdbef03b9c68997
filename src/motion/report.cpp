#include "motion/report.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "motion/arc_shape.h"
#include "motion/checks.h"
#include "motion/run_time.h"

namespace kelvora::motion {
namespace {

// How far below a Z must be to count as below it, against rounding in the
// reader's arithmetic (incremental moves, inch programs).
constexpr double kZTolerance = 1e-6;
// How far an arc's end may lie off its circle before a note says so.
constexpr double kOffCircle = 0.001;

// When the control refuses an arc whose end lies off its circle: the end's
// radius differs from the start's by more than `absolute` and by more than
// `relative` of the radius, or by more than `outright`. GRBL and grblHAL state
// theirs (0.005 mm and 0.1 %, or 0.5 mm). LinuxCNC's interpreter, measured,
// refuses beyond 0.02828 mm and 0.1 % however large the radius; the host is
// taken to read arcs as LinuxCNC does. 0.028 stays just inside that.
struct ArcTolerance {
  double absolute;
  double relative;
  double outright;
};

ArcTolerance ArcToleranceOf(text::Dialect dialect) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  switch (dialect) {
    case text::Dialect::kGrbl:
    case text::Dialect::kGrblHal:
      return {0.005, 0.001, 0.5};
    case text::Dialect::kHost:
    case text::Dialect::kLinuxCnc:
      break;
  }
  return {0.028, 0.001, kNone};
}

bool ControlRefusesArc(const ArcTolerance& tolerance, double radius, double endRadius) {
  const double off = std::fabs(endRadius - radius);
  const double relative = tolerance.relative * std::min(radius, endRadius);
  return off > tolerance.outright || (off > tolerance.absolute && off > relative);
}

FindingKind KindOfNotice(NoticeKind kind) {
  switch (kind) {
    case NoticeKind::kUnknownWord:
      return FindingKind::kUnknownWord;
    case NoticeKind::kMalformedNumber:
      return FindingKind::kMalformedNumber;
    case NoticeKind::kBadArc:
      return FindingKind::kBadArc;
    case NoticeKind::kBadCycle:
      return FindingKind::kBadCycle;
    case NoticeKind::kUnclosedComment:
      return FindingKind::kUnclosedComment;
    case NoticeKind::kHostMacro:
      return FindingKind::kHostMacro;
    case NoticeKind::kForeignWord:
      return FindingKind::kForeignWord;
    case NoticeKind::kLongLine:
      return FindingKind::kLongLine;
  }
  return FindingKind::kUnknownWord;
}

bool IsArc(const Move& move) {
  return move.kind == MoveKind::kArcCw || move.kind == MoveKind::kArcCcw;
}

std::string_view MoveWord(MoveKind kind) {
  switch (kind) {
    case MoveKind::kRapid:
      return "G0";
    case MoveKind::kFeed:
      return "G1";
    case MoveKind::kArcCw:
      return "G2";
    case MoveKind::kArcCcw:
      return "G3";
  }
  return "G1";
}

}  // namespace

bool IsNote(FindingKind kind) {
  return kind == FindingKind::kSpindleOff || kind == FindingKind::kHostMacro ||
         kind == FindingKind::kArcEndNearCircle;
}

struct ReportBuilder::State {
  explicit State(const Machine& machine) : timer(machine) {}
  LineTimer timer;
  bool spindleOn = false;
  EventKind spindleTurn = EventKind::kSpindleStop;  // M3, M4 or stopped
  bool spindleNoted = false;
  // One finding per line and kind: the kinds already found on `findingLine`.
  std::uint32_t findingLine = 0;
  std::uint32_t kindsOnLine = 0;
  DeepestFeeds deepestFeeds;
  // The feeds just cut below the top: a rapid back along one, no lower, or
  // straight down into one already that deep, runs through cut material.
  RecentCuts recentCuts;
};

ReportBuilder::ReportBuilder(const Machine& machine, const CheckOptions& options)
    : machine_(machine), options_(options), state_(std::make_unique<State>(machine)) {}

ReportBuilder::~ReportBuilder() = default;

void ReportBuilder::Add(FindingKind kind, std::uint32_t line, std::string detail) {
  State& state = *state_;
  if (line != state.findingLine) {
    state.findingLine = line;
    state.kindsOnLine = 0;
  }
  const std::uint32_t bit = 1U << static_cast<unsigned>(kind);
  if ((state.kindsOnLine & bit) != 0) return;
  state.kindsOnLine |= bit;
  ++report_.findingCount;
  if (IsNote(kind)) ++report_.noteCount;
  if (report_.findings.size() < kMaxFindings) {
    report_.findings.push_back({kind, line, std::move(detail)});
  }
}

void ReportBuilder::Flag(FindingKind kind, std::uint32_t line, std::string detail) {
  if (!IsNote(kind)) lastFlagged_ = true;
  Add(kind, line, std::move(detail));
}

void ReportBuilder::OnNotice(const Notice& notice) {
  Add(KindOfNotice(notice.kind), notice.line, notice.word);
}

void ReportBuilder::OnEvent(const Event& event) {
  State& state = *state_;
  switch (event.kind) {
    case EventKind::kSpindleCw:
    case EventKind::kSpindleCcw:
      // The spindle comes up to speed when it starts or reverses; an M3 while
      // it already turns that way (a new S) waits nothing more.
      if (state.spindleTurn != event.kind) {
        ++report_.spinUps;
        report_.spinUpSeconds += machine_.spinUpSeconds;
        report_.seconds += machine_.spinUpSeconds;
      }
      state.spindleOn = true;
      state.spindleTurn = event.kind;
      break;
    case EventKind::kSpindleStop:
    case EventKind::kProgramEnd:
      state.spindleOn = false;
      state.spindleTurn = EventKind::kSpindleStop;
      break;
    case EventKind::kDwell:
      if (event.value > 0.0) {
        report_.seconds += event.value;
        report_.plainSeconds += event.value;
      }
      break;
    case EventKind::kToolChange:
    case EventKind::kPause:
      break;
  }
}

void ReportBuilder::OnMove(const Move& move) {
  lastFlagged_ = false;
  ++report_.moves;
  MoveTime time;
  double length = 0.0;
  ArcShape arcShape;
  // A straight move adds its end: its start is where the move before ended, or
  // where the machine is before the program, which the program does not say.
  double low[3] = {move.end.x, move.end.y, move.end.z};
  double high[3] = {move.end.x, move.end.y, move.end.z};
  if (IsArc(move)) {
    const ArcShape shape = ShapeOfArc(move);
    const PlanarBox box = ArcBox(move, shape);
    low[0] = box.minX;
    low[1] = box.minY;
    low[2] = std::min(move.start.z, move.end.z);
    high[0] = box.maxX;
    high[1] = box.maxY;
    high[2] = std::max(move.start.z, move.end.z);
    length = shape.length;
    time = TimeOfArc(move, state_->timer.Rates(), shape);
    arcShape = shape;
    if (std::fabs(shape.endRadius - shape.radius) > kOffCircle) {
      const bool refused =
          ControlRefusesArc(ArcToleranceOf(machine_.dialect), shape.radius, shape.endRadius);
      Flag(refused ? FindingKind::kArcEndOffCircle : FindingKind::kArcEndNearCircle, move.line,
           AxisDetail('R', shape.radius) + "/" + AxisDetail('R', shape.endRadius));
    }
  } else {
    time = state_->timer.Time(move, length);
  }
  report_.seconds += time.seconds;
  report_.plainSeconds += time.plainSeconds;
  (move.kind == MoveKind::kRapid ? report_.rapidLength : report_.feedLength) += length;

  Extents& extents = report_.extents;
  const double lows[kAxisCount] = {low[0], low[1], low[2], move.end.a};
  const double highs[kAxisCount] = {high[0], high[1], high[2], move.end.a};
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if ((move.known & (1U << axis)) == 0) continue;
    if (!extents.known[axis]) {
      extents.known[axis] = true;
      extents.any = true;
      extents.minimum[axis] = lows[axis];
      extents.maximum[axis] = highs[axis];
    } else {
      extents.minimum[axis] = std::min(extents.minimum[axis], lows[axis]);
      extents.maximum[axis] = std::max(extents.maximum[axis], highs[axis]);
    }
  }
  CheckMove(move, arcShape, low, high);
}

void ReportBuilder::CheckMove(const Move& move, const ArcShape& arcShape, const double (&low)[3],
                              const double (&high)[3]) {
  State& state = *state_;
  if (machine_.softLimits) {
    static constexpr char kLetters[3] = {'X', 'Y', 'Z'};
    for (int axis = 0; axis < 3; ++axis) {
      if (low[axis] < machine_.minimum[axis]) {
        Flag(FindingKind::kBeyondSoftLimit, move.line, AxisDetail(kLetters[axis], low[axis]));
        break;
      }
      if (high[axis] > machine_.maximum[axis]) {
        Flag(FindingKind::kBeyondSoftLimit, move.line, AxisDetail(kLetters[axis], high[axis]));
        break;
      }
    }
  }
  if (move.end.a != move.start.a && !machine_.hasA) {
    Flag(FindingKind::kNoAAxis, move.line, AxisDetail('A', move.end.a));
  }
  if (options_.statedDepth && low[2] < *options_.statedDepth - kZTolerance) {
    Flag(FindingKind::kBelowDepth, move.line, AxisDetail('Z', low[2]));
  }
  if (move.kind == MoveKind::kRapid) {
    if (options_.stockChecks) CheckRapid(move);
    return;
  }
  if (move.feed <= 0.0) {
    Flag(FindingKind::kNoFeed, move.line, std::string(MoveWord(move.kind)));
  }
  const double stockTop = machine_.stockTop - kZTolerance;
  if (options_.stockChecks && low[2] < stockTop) {
    if (!state.spindleOn && !state.spindleNoted) {
      state.spindleNoted = true;
      Flag(FindingKind::kSpindleOff, move.line, AxisDetail('Z', low[2]));
    }
    // A plunge, or a whole turn of a circle or helix (it ends where it began):
    // what a later rapid may come straight back down into.
    if (move.end.x == move.start.x && move.end.y == move.start.y) {
      state.deepestFeeds.Record(move.end.x, move.end.y, low[2]);
    }
    // The path cut, for a rapid back along it or down into it. A cut that
    // turns A is not kept: the part has turned under it.
    if (move.end.a == move.start.a) {
      if (IsArc(move)) {
        state.recentCuts.AddArc(move.centreX, move.centreY, arcShape.radius, arcShape.startAngle,
                                arcShape.sweep, move.start.z, move.end.z);
      } else {
        state.recentCuts.AddLine({move.start.x, move.start.y, move.start.z},
                                 {move.end.x, move.end.y, move.end.z});
      }
    }
  }
}

void ReportBuilder::CheckRapid(const Move& move) {
  const double stockTop = machine_.stockTop - kZTolerance;
  const double lowest = std::min(move.start.z, move.end.z);
  if (lowest >= stockTop) return;
  State& state = *state_;
  const RecentCuts::Point from{move.start.x, move.start.y, move.start.z};
  const RecentCuts::Point to{move.end.x, move.end.y, move.end.z};
  const bool sideways =
      move.end.x != move.start.x || move.end.y != move.start.y || move.end.a != move.start.a;
  if (sideways) {
    // Back along a slot just cut, no lower than its floor.
    if (move.end.a == move.start.a && state.recentCuts.Holds(from, to)) return;
    Flag(FindingKind::kRapidInStock, move.line, AxisDetail('Z', lowest));
    return;
  }
  // Straight down below the top: only into a hole already fed at least as deep,
  // or into a slot cut at least as deep there.
  if (move.end.z < move.start.z &&
      !state.deepestFeeds.ReachedAt(move.end.x, move.end.y, move.end.z) &&
      !state.recentCuts.Holds(from, to)) {
    Flag(FindingKind::kRapidInStock, move.line, AxisDetail('Z', move.end.z));
  }
}

Report ReportBuilder::Finish(std::uint64_t lines) {
  Report report = report_;
  report.dialect = text::RulesOf(machine_.dialect).name;
  report.lines = lines;
  return report;
}

}  // namespace kelvora::motion
