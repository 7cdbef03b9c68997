// Point-list pockets entered along a helix, read by the reader (and by rs274
// where it is installed): the tool centre stays inside the pocket less the tool's
// radius, every arc is a true circle round a point inside it, no turn of the
// descent drops more than the step-down, and no straight move goes below what
// the helix has already cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "generators/point_list.h"
#include "motion/recording_sink.h"
#include "motion/rs274_test.h"

namespace kelvora::motion {
namespace {

using generators::PointRow;

// Printed numbers are within half their last decimal (0.0005) of their values.
constexpr double kSlack = 0.0005 + 1e-9;

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

struct Pocket {
  std::map<std::string, std::string, std::less<>> texts;
  std::vector<PointRow> rows;
  std::vector<std::pair<double, double>> centres;
  double room = 0;  // R2 less the tool's radius: how far the centre may go
  double stepdown = 0;
  std::string label;
};

// Random pockets on the boxes' grids (R1, R2 and the step-over 0.##, the tool
// 0.#, depths 0.###), one to three of them 1000 mm apart so that every move
// belongs to the nearest centre; some holes barely wider than the tool, some
// step-overs wider than the whole ring (the helix then runs on the edge).
Pocket RandomPocket(std::mt19937& random, int index) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  Pocket p;
  const double tool = pick(5, 60) / 10.0;
  const double t = tool / 2;
  const double r2 = pick(0, 3) == 0 ? std::ceil((t + 0.01) * 100) / 100 + pick(0, 5) / 100.0
                                    : std::ceil(t * 100) / 100 + pick(1, 1200) / 100.0;
  // R1 at least the tool's radius, as the tab's R1 correction leaves it (with a
  // smaller R1 the pocket's own rings, helix or not, run wider than R2 - t).
  const int r1Low = static_cast<int>(std::ceil(t * 100 - 1e-9));
  const double r1 =
      pick(r1Low, std::max(r1Low, static_cast<int>(std::lround(r2 * 100)) - 1)) / 100.0;
  const double stepdown = pick(100, 3000) / 1000.0;
  const double retract = pick(100, 5000) / 1000.0;
  p.texts = {{"AnyPocket", "True"},
             {"AnyEntry", "Helix"},
             {"AnyOrder", "As listed"},
             {"Anyd", Fixed(tool, 1)},
             {"AnyRo", Fixed(r1, 2)},
             {"AnyHoleSize", Fixed(r2, 2)},
             {"AnyStepOvr", Fixed(pick(10, 300) / 100.0, 2)},
             {"AnyDepth", Fixed(pick(100, 6000) / 1000.0, 3)},
             {"AnyStepdown", Fixed(stepdown, 3)},
             {"AnyRetract", Fixed(retract, 3)},
             {"AnyZsafe", Fixed(retract + pick(0, 10000) / 1000.0, 3)},
             {"AnyFeedrate", std::to_string(pick(10, 500))},
             {"AnyFeedrate2", std::to_string(pick(10, 2000))},
             {"AnySpinSpeed", std::to_string(pick(1000, 24000))},
             {"AnyEnSpin", pick(0, 1) ? "True" : "False"}};
  for (int i = pick(1, 3); i > 0; --i) {
    const double x = 1000.0 * i + pick(-50000, 50000) / 1000.0;
    const double y = pick(-50000, 50000) / 1000.0;
    p.rows.push_back({"p", Fixed(x, 3), Fixed(y, 3)});
    p.centres.emplace_back(x, y);
  }
  p.room = r2 - t;
  p.stepdown = stepdown;
  p.label = "pocket " + std::to_string(index);
  for (const auto& [key, value] : p.texts) p.label += " " + key + "=" + value;
  return p;
}

std::string Generate(const Pocket& p) {
  const auto program = generators::PointsJob(p.rows, [&p](std::string_view key) {
    const auto it = p.texts.find(key);
    return it == p.texts.end() ? std::string() : it->second;
  });
  EXPECT_TRUE(program) << (program ? ""
                                   : program.failure().message + " " + program.failure().detail);
  return program ? program->text : std::string();
}

double Distance(double x, double y, const std::pair<double, double>& c) {
  return std::hypot(x - c.first, y - c.second);
}

const std::pair<double, double>& Nearest(const Pocket& p, double x, double y) {
  return *std::min_element(p.centres.begin(), p.centres.end(), [&](const auto& a, const auto& b) {
    return Distance(x, y, a) < Distance(x, y, b);
  });
}

// The first broken property of a pocket program as the reader gives it, or "".
std::string FirstFault(const Pocket& p, const std::string& program) {
  const testing::RecordingSink read = testing::Read(program);
  if (!read.notices.empty()) return "notice " + testing::Describe(read.notices.front());
  double floor = 0;  // the deepest Z the tool has cut so far (the stock top: 0)
  int helixTurns = 0;
  for (const Move& m : read.moves) {
    const std::string at = "line " + std::to_string(m.line) + ": ";
    const bool arc = m.kind == MoveKind::kArcCw || m.kind == MoveKind::kArcCcw;
    if (arc) {
      const auto& c = Nearest(p, m.end.x, m.end.y);
      const double from = std::hypot(m.start.x - m.centreX, m.start.y - m.centreY);
      const double to = std::hypot(m.end.x - m.centreX, m.end.y - m.centreY);
      // Start and end are printed separately from the centre's offset.
      if (std::fabs(from - to) > 3 * kSlack) return at + "the arc's ends lie on two circles";
      if (Distance(m.centreX, m.centreY, c) + std::max(from, to) > p.room + 3 * kSlack) {
        return at + "the arc leaves the pocket";
      }
      const double drop = (m.start.z - m.end.z) / (m.extraTurns + 1);
      if (drop < -kSlack) return at + "an arc rises";
      if (drop > kSlack) {
        ++helixTurns;
        // Full circles: one turn a block, unless the block says more turns.
        if (drop > p.stepdown + kSlack) return at + "a turn drops more than the step-down";
      }
      floor = std::min(floor, m.end.z);
      continue;
    }
    if (std::min(m.start.z, m.end.z) < 0) {
      const auto& c = Nearest(p, m.end.x, m.end.y);
      if (Distance(m.end.x, m.end.y, c) > p.room + kSlack) {
        return at + "the tool centre leaves the pocket";
      }
    }
    // Straight moves never go below what is already cut: the helix does the
    // going down.
    if (m.end.z < m.start.z && m.end.z < floor - kSlack) return at + "a plunge below the cut floor";
    floor = std::min(floor, m.end.z);
  }
  if (helixTurns == 0) return "no helical turn at all";
  return {};
}

std::vector<Pocket> RandomPockets(unsigned seed, int count) {
  std::mt19937 random(seed);
  std::vector<Pocket> pockets;
  for (int i = 0; i < count; ++i) pockets.push_back(RandomPocket(random, i));
  return pockets;
}

TEST(PocketHelix, RandomHelixesStayInsideAndDescendNoFasterThanTheStepDown) {
  int checked = 0;
  for (const Pocket& p : RandomPockets(1210, 300)) {
    SCOPED_TRACE(p.label);
    const std::string program = Generate(p);
    ASSERT_FALSE(program.empty());
    const std::string fault = FirstFault(p, program);
    ASSERT_TRUE(fault.empty()) << fault << "\n" << program;
    ++checked;
  }
  EXPECT_EQ(checked, 300);
}

// The property check itself: a plunge, an arc beyond the pocket and a turn too
// steep are each caught.
TEST(PocketHelix, TheChecksCatchAPlungeAWideArcAndASteepTurn) {
  Pocket p;
  p.centres = {{0, 0}};
  p.room = 2;
  p.stepdown = 1;
  const std::string start = "G90\nG0Z5\nG0X1Y0\nG0Z1\n";
  EXPECT_EQ(FirstFault(p, start + "G3X1Y0Z0I-1F50\nG3X1Y0Z-1I-1\nG3X1Y0I-1\nM30\n"), "");
  EXPECT_EQ(FirstFault(p, start + "G1Z-1F50\nG3X1Y0I-1\nM30\n"),
            "line 5: a plunge below the cut floor");
  EXPECT_EQ(FirstFault(p, start + "G3X1Y0Z-1I-2F50\nM30\n"), "line 5: the arc leaves the pocket");
  EXPECT_EQ(FirstFault(p, start + "G3X1Y0Z-1.5I-1F50\nM30\n"),
            "line 5: a turn drops more than the step-down");
}

using PocketHelixRs274 = testing::Rs274Test;

// rs274 reads the first 40 of the random helical pockets to their end, every
// call (arcs with their centres and turns) the reader's.
TEST_F(PocketHelixRs274, RandomHelixesReadCleanlyAndAsTheReaderReadsThem) {
  int checked = 0;
  for (const Pocket& p : RandomPockets(1210, 40)) {
    SCOPED_TRACE(p.label);
    const std::string program = Generate(p);
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(ReadsAlike(program));
    ++checked;
  }
  EXPECT_EQ(checked, 40);
}

}  // namespace
}  // namespace kelvora::motion
