// Drilling programs reduced to what the machine does, to hold a canned-cycle
// program against the moves it stands for: every rapid and feed with its end
// point (and feed rate where the reader knows it), every dwell and every other
// event, in order. Line numbers and the blocks the moves came from are left
// out, as they differ by design between the two forms.
#pragma once

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "motion/gcode_reader.h"
#include "motion/rs274_runner.h"

namespace kelvora::motion::testing {

// Program numbers carry three decimals; the control's cycles work out their
// levels exactly. Positions agree within half the last decimal.
inline constexpr double kStepTolerance = 0.0005 + 1e-9;

struct Step {
  enum class Kind { kRapid, kFeed, kArc, kDwell, kEvent } kind = Kind::kRapid;
  double x = 0, y = 0, z = 0;
  double feed = -1;  // mm/min; -1 where it is not known (rs274's calls)
  double value = 0;  // dwell seconds, the event's value
  int event = 0;     // EventKind of a kEvent
};

class StepSink final : public MotionSink {
 public:
  void OnMove(const Move& m) override {
    Step s;
    s.kind = m.kind == MoveKind::kRapid  ? Step::Kind::kRapid
             : m.kind == MoveKind::kFeed ? Step::Kind::kFeed
                                         : Step::Kind::kArc;
    s.x = m.end.x;
    s.y = m.end.y;
    s.z = m.end.z;
    s.feed = m.feed;
    steps.push_back(s);
  }
  void OnEvent(const Event& e) override {
    Step s;
    s.kind = e.kind == EventKind::kDwell ? Step::Kind::kDwell : Step::Kind::kEvent;
    s.value = e.value;
    s.event = static_cast<int>(e.kind);
    steps.push_back(s);
  }
  void OnNotice(const Notice& n) override {
    notices.push_back(n.word + "@" + std::to_string(n.line));
  }

  std::vector<Step> steps;
  std::vector<std::string> notices;
};

// rs274's traverses, feeds and dwells as steps (it prints no feed rate with a
// feed, and its spindle and end calls are not taken).
inline std::vector<Step> StepsOf(const std::vector<CanonCall>& calls) {
  std::vector<Step> steps;
  for (const CanonCall& c : calls) {
    Step s;
    if (c.kind == CanonCall::Kind::kDwell) {
      s.kind = Step::Kind::kDwell;
      s.value = c.values.at(0);
    } else if (c.kind == CanonCall::Kind::kArc) {
      s.kind = Step::Kind::kArc;
      s.x = c.values.at(0);
      s.y = c.values.at(1);
      s.z = c.values.at(5);
    } else {
      s.kind = c.kind == CanonCall::Kind::kTraverse ? Step::Kind::kRapid : Step::Kind::kFeed;
      s.x = c.values.at(0);
      s.y = c.values.at(1);
      s.z = c.values.at(2);
    }
    steps.push_back(s);
  }
  return steps;
}

inline bool SamePoint(const Step& a, const Step& b) {
  return std::fabs(a.x - b.x) <= kStepTolerance && std::fabs(a.y - b.y) <= kStepTolerance &&
         std::fabs(a.z - b.z) <= kStepTolerance;
}

inline bool IsMove(const Step& s) {
  return s.kind <= Step::Kind::kArc;
}

// Drops straight moves that end where the tool already stands: a G99 program's
// "G0Z" retract height at a hole it reached at that height does nothing, and the
// control leaves out the same moves, or not, as its own code goes.
inline std::vector<Step> WithoutStandingMoves(const std::vector<Step>& steps) {
  std::vector<Step> kept;
  bool placed = false;
  Step at;
  for (const Step& s : steps) {
    if (IsMove(s)) {
      const bool standing = placed && s.kind != Step::Kind::kArc && SamePoint(at, s);
      at = s;
      placed = true;
      if (standing) continue;
    }
    kept.push_back(s);
  }
  return kept;
}

// Drops the control's degenerate last peck. Its depth loop steps from the
// retract plane in floating point, so where the peck divides the depth exactly
// the last level can come out a hair above the bottom: it feeds there, retracts
// or backs off, and feeds the last hair to the bottom. The moves program treats
// a level within 0.0005 of the bottom as the bottom itself. A feed whose end
// lies within that of the next feed's end, with only rapids between, is that
// extra peck: it and the rapids after it go.
inline std::vector<Step> WithoutDegeneratePecks(const std::vector<Step>& steps) {
  std::vector<Step> kept;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].kind == Step::Kind::kFeed) {
      std::size_t next = i + 1;
      while (next < steps.size() && steps[next].kind == Step::Kind::kRapid) ++next;
      if (next > i + 1 && next < steps.size() && steps[next].kind == Step::Kind::kFeed &&
          SamePoint(steps[i], steps[next])) {
        i = next - 1;  // the loop's ++i lands on the feed to the bottom
        continue;
      }
    }
    kept.push_back(steps[i]);
  }
  return kept;
}

// The first difference between two step lists, or the empty text.
inline std::string FirstStepDifference(const std::vector<Step>& canned,
                                       const std::vector<Step>& moves) {
  std::ostringstream out;
  const std::size_t n = std::min(canned.size(), moves.size());
  for (std::size_t i = 0; i < n; ++i) {
    const Step& a = canned[i];
    const Step& b = moves[i];
    bool same = a.kind == b.kind;
    if (same && IsMove(a)) {
      same = SamePoint(a, b) && (a.feed < 0 || b.feed < 0 || std::fabs(a.feed - b.feed) < 1e-9);
    } else if (same) {
      same = a.event == b.event && std::fabs(a.value - b.value) < 1e-9;
    }
    if (!same) {
      out << "step " << i << ": canned kind " << static_cast<int>(a.kind) << " (" << a.x << ", "
          << a.y << ", " << a.z << ") F" << a.feed << " value " << a.value << ", moves kind "
          << static_cast<int>(b.kind) << " (" << b.x << ", " << b.y << ", " << b.z << ") F"
          << b.feed << " value " << b.value;
      return out.str();
    }
  }
  if (canned.size() != moves.size()) {
    out << "the canned program makes " << canned.size() << " steps, the moves " << moves.size();
  }
  return out.str();
}

}  // namespace kelvora::motion::testing
