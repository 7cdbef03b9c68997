// The reader against LinuxCNC's interpreter: random drilling-cycle runs and
// random arcs, each program read by both, and every move's end point (arc
// centres and directions too) and every dwell compared one for one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "motion/canon_calls.h"
#include "motion/gcode_reader.h"
#include "motion/rs274_runner.h"
#include "motion/rs274_test.h"

namespace kelvora::motion {
namespace {

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

class Rs274Cross : public testing::Rs274Test {
 protected:
  // Reads `program` both ways and compares; `inch` says its units.
  void Compare(const std::string& program, bool inch) {
    SCOPED_TRACE(program);
    ASSERT_TRUE(ReadsAlike(program, inch ? 25.4 : 1.0));
    testing::CanonSink ours(inch ? 25.4 : 1.0);
    ReadProgram(program, ours);
    EXPECT_TRUE(ours.notices.empty()) << ours.notices.front();
    ++compared_;
  }

  // `count` programs from `make` (seeded), every `inchEvery`-th one in inches
  // (starting at `firstInch`).
  template <typename Make>
  void CompareMany(unsigned seed, int count, int firstInch, Make make) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
      const bool inch = i % 3 == firstInch;
      Compare(make(random, inch), inch);
      if (HasFatalFailure()) return;
    }
    EXPECT_EQ(compared_, count);
  }

  int compared_ = 0;
};

// A run of drilling-cycle blocks from a random start: G81/G82/G83/G73, G98 and
// G99, absolute (R above or below the start) and incremental with L, Q that
// divides the depth exactly and Q that does not, in millimetres and inches.
std::string RandomCycleProgram(std::mt19937& random, bool inch) {
  const double unit = inch ? 0.04 : 1.0;  // inches keep the same shapes, smaller
  const int decimals = inch ? 4 : 3;
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto length = [&](int low, int high) { return Fixed(pick(low, high) * unit / 4.0, decimals); };
  std::string p = inch ? "G20 G17 G90\n" : "G21 G17 G90\n";
  p += "G0 X" + length(-40, 40) + " Y" + length(-40, 40) + " Z" + length(-8, 40) + "\n";
  const int blocks = pick(1, 5);
  const char* cycles[] = {"G81", "G82", "G83", "G73"};
  int previous = -1;
  bool incremental = false;
  for (int b = 0; b < blocks; ++b) {
    if (pick(0, 5) == 0) {
      p += "G0 Z" + length(-4, 40) + "\n";  // ends the run: the next begins here
      previous = -1;
    }
    const int cycle = pick(0, 3);
    const bool newCycle = cycle != previous || pick(0, 3) == 0;
    const bool wantIncremental = pick(0, 2) == 0;
    std::string block;
    if (wantIncremental != incremental) {
      block += wantIncremental ? "G91 " : "G90 ";
      incremental = wantIncremental;
    }
    block += pick(0, 1) ? "G98 " : "G99 ";
    if (newCycle) block += std::string(cycles[cycle]) + " ";
    // R and the bottom in thousandths, so that Q can divide the depth exactly.
    const int rSteps = pick(-8, 24);
    const int qSteps = pick(2, 12);
    const int pecks = pick(1, 5);
    const bool exact = pick(0, 1) == 0;
    const int depthSteps = qSteps * pecks + (exact ? 0 : pick(1, qSteps - 1));
    auto steps = [&](int count) { return Fixed(count * unit / 4.0, decimals); };
    if (incremental) {
      block += "X" + length(-20, 20) + " Y" + length(-20, 20);
      block += " R" + steps(rSteps) + " Z" + steps(-depthSteps);
      if (pick(0, 1)) block += " L" + std::to_string(pick(1, 4));
    } else {
      block += "X" + length(-40, 40) + " Y" + length(-40, 40);
      block += " R" + steps(rSteps) + " Z" + steps(rSteps - depthSteps);
    }
    if (cycle >= 2) block += " Q" + steps(qSteps);
    if (cycle == 1) block += " P" + Fixed(pick(0, 20) / 10.0, 1);
    if (b == 0 || pick(0, 3) == 0) block += " F" + std::to_string(pick(20, 500));
    p += block + "\n";
    previous = cycle;
    // Further holes of the same cycle: only X/Y (modal).
    for (int more = pick(0, 2); more > 0; --more) {
      p += (incremental ? "X" + length(-20, 20) : "X" + length(-40, 40)) + "\n";
    }
    if (pick(0, 4) == 0) p += "M8\n";  // a block between holes keeps the run
  }
  p += "G80\nM2\n";
  return p;
}

TEST_F(Rs274Cross, DrillingCyclesMoveAsTheControlsInterpreterMovesThem) {
  CompareMany(20261209, 48, 2, RandomCycleProgram);
}

// Arcs from random starts: I/J incremental (the default and G91.1) or absolute
// (G90.1), or R with either sign; G2 and G3; some with a helix in Z.
std::string RandomArcProgram(std::mt19937& random, bool inch) {
  const double unit = inch ? 0.04 : 1.0;
  const int decimals = 4;
  std::uniform_real_distribution<double> coordinate(-50.0 * unit, 50.0 * unit);
  std::uniform_real_distribution<double> radiusOf(2.0 * unit, 30.0 * unit);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * 3.141592653589793);
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::string p = inch ? "G20 G17 G90\n" : "G21 G17 G90\n";
  // Start exactly on the decimals written, so that the circle is the one rs274 sees.
  double x = std::stod(Fixed(coordinate(random), decimals));
  double y = std::stod(Fixed(coordinate(random), decimals));
  p += "G0 X" + Fixed(x, decimals) + " Y" + Fixed(y, decimals) + " Z0\nF300\n";
  int arcMode = 0;  // 0 incremental by default, 1 G91.1, 2 G90.1
  for (int a = 0; a < 6; ++a) {
    const double radius = radiusOf(random);
    const double from = angle(random);
    const double to = angle(random);
    const double cx = x - radius * std::cos(from);
    const double cy = y - radius * std::sin(from);
    const double ex = std::stod(Fixed(cx + radius * std::cos(to), decimals));
    const double ey = std::stod(Fixed(cy + radius * std::sin(to), decimals));
    std::string block = pick(0, 1) ? "G2" : "G3";
    block += " X" + Fixed(ex, decimals) + " Y" + Fixed(ey, decimals);
    if (pick(0, 3) == 0) block += " Z" + Fixed(-pick(0, 20) * unit / 4.0, decimals);
    const int form = pick(0, 3);
    if (form == 3) {
      // R form: the chord fits the radius; the sign picks the short or long way.
      const double chord = std::hypot(ex - x, ey - y);
      if (chord < 1e-3) continue;
      const double r = std::max(radius, chord / 2.0 + 0.01 * unit);
      block += " R" + std::string(pick(0, 1) ? "-" : "") + Fixed(r, decimals);
    } else {
      // 0: whatever incremental mode holds, 1: G91.1 said again, 2: G90.1.
      if ((form == 0 && arcMode == 2) || form == 1) {
        p += "G91.1\n";
        arcMode = 1;
      } else if (form == 2 && arcMode != 2) {
        p += "G90.1\n";
        arcMode = 2;
      }
      const double i = arcMode == 2 ? cx : cx - x;
      const double j = arcMode == 2 ? cy : cy - y;
      block += " I" + Fixed(i, decimals) + " J" + Fixed(j, decimals);
      if (pick(0, 5) == 0) block += " P" + std::to_string(pick(2, 3));
    }
    p += block + "\n";
    x = ex;
    y = ey;
  }
  p += "M2\n";
  return p;
}

TEST_F(Rs274Cross, ArcsInBothCentreFormsEndAndCentreAsTheControlsInterpreterSays) {
  CompareMany(1209, 36, 1, RandomArcProgram);
}

}  // namespace
}  // namespace kelvora::motion
