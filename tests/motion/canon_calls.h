// The reader's moves as rs274 prints its canonical calls, and the comparison of
// two call lists one for one: shared by every test that holds the reader
// against LinuxCNC's interpreter.
#pragma once

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "motion/gcode_reader.h"
#include "motion/rs274_runner.h"

namespace kelvora::motion::testing {

// rs274 prints four decimals.
inline constexpr double kCanonTolerance = 1e-4;

// The reader's output as rs274 would print it: program units, in order.
class CanonSink final : public MotionSink {
 public:
  explicit CanonSink(double scale) : scale_(scale) {}
  void OnMove(const Move& m) override {
    if (m.kind == MoveKind::kRapid || m.kind == MoveKind::kFeed) {
      calls.push_back(
          {m.kind == MoveKind::kRapid ? CanonCall::Kind::kTraverse : CanonCall::Kind::kFeed,
           {m.end.x / scale_, m.end.y / scale_, m.end.z / scale_, m.end.a}});
    } else {
      const double turns = (m.extraTurns + 1) * (m.kind == MoveKind::kArcCcw ? 1.0 : -1.0);
      calls.push_back({CanonCall::Kind::kArc,
                       {m.end.x / scale_, m.end.y / scale_, m.centreX / scale_, m.centreY / scale_,
                        turns, m.end.z / scale_, m.end.a}});
    }
  }
  void OnEvent(const Event& e) override {
    if (e.kind == EventKind::kDwell) calls.push_back({CanonCall::Kind::kDwell, {e.value}});
  }
  void OnNotice(const Notice& n) override {
    notices.push_back(n.word + "@" + std::to_string(n.line));
  }

  std::vector<CanonCall> calls;
  std::vector<std::string> notices;

 private:
  double scale_;
};

// The first difference between the reader's calls and rs274's, or the empty
// text when they agree one for one (kind and every value the reader gives;
// rs274 adds B and C, and for arcs A B C after the end Z).
inline std::string FirstCanonDifference(const std::vector<CanonCall>& ours,
                                        const std::vector<CanonCall>& theirs) {
  std::ostringstream out;
  if (ours.size() != theirs.size()) {
    out << "the reader makes " << ours.size() << " calls, rs274 " << theirs.size();
    return out.str();
  }
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const CanonCall& mine = ours[i];
    const CanonCall& other = theirs[i];
    if (mine.kind != other.kind) {
      out << "call " << i << ": kind " << static_cast<int>(mine.kind) << " against "
          << static_cast<int>(other.kind);
      return out.str();
    }
    if (mine.values.size() > other.values.size()) {
      out << "call " << i << ": rs274 prints only " << other.values.size() << " values";
      return out.str();
    }
    for (std::size_t k = 0; k < mine.values.size(); ++k) {
      if (!(std::fabs(mine.values[k] - other.values[k]) <= kCanonTolerance)) {
        out << "call " << i << " value " << k << ": " << mine.values[k] << " against "
            << other.values[k];
        return out.str();
      }
    }
  }
  return {};
}

}  // namespace kelvora::motion::testing
