// Run time of single moves, worked by hand with the default machine:
// X and Y 3000 mm/min (50 mm/s) and 250 mm/s², Z 1500 mm/min (25 mm/s) and
// 150 mm/s², A 7200 deg/min (120 deg/s) and 720 deg/s².
// From rest to rest: when L·a ≥ v² the speed is reached (a trapezoid) and the
// time is L/v + v/a, otherwise it is a triangle taking 2·√(L/a).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "motion/report.h"
#include "motion/run_time.h"

namespace kelvora::motion {
namespace {

Move Line(MoveKind kind, Position end, double feed) {
  Move move;
  move.kind = kind;
  move.end = end;
  move.feed = feed;
  return move;
}

struct TimeCase {
  std::string name;
  Move move;
  double seconds;
  double plainSeconds;
};

TEST(RunTime, SingleMovesAsWorkedByHand) {
  const double pi = std::numbers::pi;
  Move halfCircle;  // r 1 from (1,0) round to (-1,0), counter-clockwise
  halfCircle.kind = MoveKind::kArcCcw;
  halfCircle.start = {1, 0, 0, 0};
  halfCircle.end = {-1, 0, 0, 0};
  halfCircle.feed = 3000;
  Move helix = halfCircle;  // the same half turn rising 2: length √(π² + 4)
  helix.end.z = 2;
  helix.feed = 600;
  const double helixLength = std::sqrt(pi * pi + 4);
  const TimeCase cases[] = {
      // 100 mm at 10 mm/s: ramps take 0.4 mm, so 100/10 + 10/250.
      {"feed trapezoid", Line(MoveKind::kFeed, {100, 0, 0, 0}, 600), 10.04, 10.0},
      // 0.1 mm cannot reach 50 mm/s (needs 10 mm): 2·√(0.1/250) = 0.04.
      {"feed triangle", Line(MoveKind::kFeed, {0.1, 0, 0, 0}, 3000), 0.04, 0.002},
      // F 6000 is above X's 50 mm/s: 100/50 + 50/250; the plain figure keeps F.
      {"feed above the axis", Line(MoveKind::kFeed, {0, 100, 0, 0}, 6000), 2.2, 1.0},
      // Rapid at X's 50 mm/s: 100/50 + 50/250.
      {"rapid trapezoid", Line(MoveKind::kRapid, {100, 0, 0, 0}, 0), 2.2, 2.0},
      // Z 1 mm at 25 mm/s needs 4.17 mm to reach it: 2·√(1/150).
      {"rapid triangle", Line(MoveKind::kRapid, {0, 0, -1, 0}, 0), 2 * std::sqrt(1.0 / 150), 0.04},
      // X30 Z40 (50 mm, u = 0.6, 0, 0.8): speed min(50/0.6, 25/0.8) = 31.25,
      // acceleration min(250/0.6, 150/0.8) = 187.5: 50/31.25 + 31.25/187.5.
      {"diagonal rapid held by Z", Line(MoveKind::kRapid, {30, 0, 40, 0}, 0), 1.6 + 31.25 / 187.5,
       1.6},
      // Half circle r 1 (length π) at F 3000 capped by √(250·1) = 15.81 mm/s:
      // π/15.81 + 15.81/250; plain π/50.
      {"arc at its √(a·r) cap", halfCircle, pi / std::sqrt(250.0) + std::sqrt(250.0) / 250,
       pi / 50},
      // Helix at 10 mm/s (under every cap; Z carries 10·2/3.72 = 5.4 mm/s);
      // acceleration min(250·3.72/π, 150·3.72/2) = min(296.4, 279.3): Z holds it.
      {"helix with its rise", helix, helixLength / 10 + 10 / (150 * helixLength / 2),
       helixLength / 10},
      // A 90° alone at F 3600 deg/min (60 deg/s): 90/60 + 60/720.
      {"A alone at F", Line(MoveKind::kFeed, {0, 0, 0, 90}, 3600), 1.5 + 60.0 / 720, 1.5},
      // X 10 with A 180°: A turns 18° a millimetre, so its 120 deg/s and 720
      // deg/s² cap the path at 6.667 mm/s and 40 mm/s²: 10/6.667 + 6.667/40.
      // The plain figure is the length at F, 10/10.
      {"X and A: A takes longer", Line(MoveKind::kFeed, {10, 0, 0, 180}, 600), 1.5 + 120.0 / 720,
       1.0},
      // X 10 A 100 F 600: F is within A's speed (10° a mm: 100 deg/s) but not
      // its acceleration (72 mm/s² on the path): 10/10 + 10/72 = 1.139, not
      // the 1.04 of X alone or A's 1.0 alone.
      {"X and A: A's ramp holds the path", Line(MoveKind::kFeed, {10, 0, 0, 100}, 600),
       1.0 + 10.0 / 72, 1.0},
      // X 100 at 10 mm/s (10.04 s) with A 10°: 2·√(10/720) = 0.236, X sets the time.
      {"X and A: X takes longer", Line(MoveKind::kFeed, {100, 0, 0, 10}, 600), 10.04, 10.0},
      // A feed move without F runs at the axis' limit, as a rapid would.
      {"feed without F", Line(MoveKind::kFeed, {100, 0, 0, 0}, 0), 2.2, 2.0},
      {"no motion", Line(MoveKind::kFeed, {0, 0, 0, 0}, 100), 0.0, 0.0},
  };
  const Machine machine;
  for (const TimeCase& c : cases) {
    const MoveTime time = TimeOfMove(c.move, machine);
    EXPECT_NEAR(time.seconds, c.seconds, 1e-9) << c.name;
    EXPECT_NEAR(time.plainSeconds, c.plainSeconds, 1e-9) << c.name;
  }
}

TEST(RunTime, AccelerationOfTheSlowerAxisShapesTheProfile) {
  Machine machine;
  machine.axes[kAxisY].maxAcceleration = 10;  // a slow Y: 50 mm/s needs 125 mm to reach
  // Y 100 at 50 mm/s: a triangle, 2·√(100/10) = 6.32 s.
  EXPECT_NEAR(TimeOfMove(Line(MoveKind::kRapid, {0, 100, 0, 0}, 0), machine).seconds,
              2 * std::sqrt(10.0), 1e-9);
  // Along X nothing changes: 2.2 s.
  EXPECT_NEAR(TimeOfMove(Line(MoveKind::kRapid, {100, 0, 0, 0}, 0), machine).seconds, 2.2, 1e-9);
}

TEST(RunTime, DwellsAndSpinUpAddTheirSeconds) {
  Machine machine;
  machine.spinUpSeconds = 3;
  ReportBuilder builder(machine, {});
  builder.OnEvent({EventKind::kSpindleCw, 12000, 1});
  builder.OnEvent({EventKind::kDwell, 2.5, 2});
  builder.OnEvent({EventKind::kSpindleStop, 0, 3});
  builder.OnEvent({EventKind::kSpindleCcw, 0, 4});
  const Report report = builder.Finish(4);
  // Two spin-ups of 3 s and the dwell; the plain figure has only the dwell.
  EXPECT_NEAR(report.seconds, 8.5, 1e-12);
  EXPECT_NEAR(report.plainSeconds, 2.5, 1e-12);
  EXPECT_EQ(report.moves, 0U);
  EXPECT_FALSE(report.extents.any);
}

// The spin-up is waited when the spindle starts or reverses, not at an M3 that
// only gives a new speed to a spindle already turning that way.
TEST(RunTime, SpinUpOnlyWhenTheSpindleStartsOrReverses) {
  const std::pair<std::string, std::uint64_t> programs[] = {
      {"S1000 M3\nG4 P1\n", 1}, {"S1000 M3\nS2000 M3\nS3000 M3\n", 1},  // new speeds while it turns
      {"M3\nM4\nM3\n", 3},                                              // every reversal
      {"M3\nM5\nM3\n", 2},                                              // stopped and started again
      {"M4\nM4\n", 1},          {"M5\n", 0},
  };
  Machine machine;
  machine.spinUpSeconds = 2;
  for (const auto& [program, starts] : programs) {
    const Report report = CheckProgram(program, machine);
    EXPECT_EQ(report.spinUps, starts) << program;
    const double dwell = program.find("G4") != std::string::npos ? 1.0 : 0.0;
    EXPECT_NEAR(report.seconds, 2.0 * static_cast<double>(starts) + dwell, 1e-9) << program;
    EXPECT_NEAR(report.spinUpSeconds, 2.0 * static_cast<double>(starts), 1e-9) << program;
  }
}

}  // namespace
}  // namespace kelvora::motion
