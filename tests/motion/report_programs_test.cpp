// Whole small programs timed by the report against a step-by-step simulation
// written here: the tool starts each block at rest, speeds up at the axis's
// acceleration until it reaches its speed or must slow down to stop at the
// block's end. The programs move one axis a block, so each block's limits are
// that axis's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "motion/report.h"

namespace kelvora::motion {
namespace {

// Seconds to travel `length` from rest to rest, integrated in small steps.
double Simulate(double length, double velocity, double acceleration) {
  constexpr double kStep = 1e-5;
  double travelled = 0;
  double speed = 0;
  double seconds = 0;
  while (travelled < length) {
    // As fast as the axis allows, but never faster than it can still stop from
    // within the length left.
    const double stoppable = std::sqrt(2 * acceleration * (length - travelled));
    speed = std::min({speed + acceleration * kStep, velocity, stoppable});
    travelled += speed * kStep;
    seconds += kStep;
  }
  return seconds;
}

struct Block {
  double length;    // mm along one axis
  double velocity;  // mm/s
  double acceleration;
};

struct ProgramCase {
  std::string name;
  std::string program;
  std::vector<Block> blocks;
  double waits;  // dwells and spin-up
};

TEST(ReportPrograms, RunTimeMatchesAStepByStepSimulation) {
  // The default machine: X/Y 50 mm/s and 250 mm/s², Z 25 mm/s and 150 mm/s².
  const Block xRapid{0, 50, 250};
  const auto x = [](double length, double velocity) { return Block{length, velocity, 250}; };
  const auto z = [](double length, double velocity) { return Block{length, velocity, 150}; };
  const ProgramCase cases[] = {
      {"a slot",
       "G21 G90\nM3 S10000\nG0 Z5\nG0 X100\nG0 Z1\nG1 Z-2 F120\nG1 X150 F600\nG1 Y-20\nG0 Z5\n"
       "M5\nM30\n",
       {z(5, 25), {100, 50, 250}, z(4, 25), z(3, 2), x(50, 10), x(20, 10), z(7, 25)},
       2.0},
      {"pecks with a dwell",
       "M3\nG0Z3\nG1Z-1F300\nG4P0.5\nG0Z1\nG0Z-0.8\nG1Z-2\nG4P0.5\nG0Z3\nM30\n",
       {z(3, 25), z(4, 5), z(2, 25), z(1.8, 25), z(1.2, 5), z(5, 25)},
       3.0},
      {"short moves that never reach speed",
       "M3\nG1X0.2F3000\nG1X0.4\nG1X0.5\nG0X0.6\nG0Z0.3\n",
       {x(0.2, 50),
        x(0.2, 50),
        x(0.1, 50),
        {0.1, xRapid.velocity, xRapid.acceleration},
        z(0.3, 25)},
       2.0},
      {"inch program",
       "G20\nM3\nG0Z0.1\nG1Z-0.1F10\nG0Z1\n",
       {z(2.54, 25), z(5.08, 10 * 25.4 / 60), z(27.94, 25)},
       2.0},
  };
  Machine machine;
  machine.spinUpSeconds = 2;
  for (const ProgramCase& c : cases) {
    double expected = c.waits;
    for (const Block& block : c.blocks) {
      expected += Simulate(block.length, block.velocity, block.acceleration);
    }
    const Report report = CheckProgram(c.program, machine);
    EXPECT_NEAR(report.seconds, expected, 1e-3) << c.name;
    EXPECT_EQ(report.moves, c.blocks.size()) << c.name;
  }
}

}  // namespace
}  // namespace kelvora::motion
