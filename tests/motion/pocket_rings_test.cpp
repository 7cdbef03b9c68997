// Point-list pockets over a grid of inner and outer radii with a 4 mm tool, both
// entries, read by the reader (and by rs274): no arc of radius zero, the tool's
// edge never beyond R2, no rapid below what is already cut, the floor at the
// depth asked; a pocket narrower than the tool is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "generators/point_list.h"
#include "motion/recording_sink.h"
#include "motion/rs274_test.h"

namespace kelvora::motion {
namespace {

// Printed numbers are within half their last decimal of their values.
constexpr double kSlack = 0.0005 + 1e-9;
constexpr double kToolRadius = 2.0;

struct Pocket {
  std::string R1, R2, stepOver, depth, stepdown, entry;
  std::string Label() const {
    return entry + " R1=" + R1 + " R2=" + R2 + " W=" + stepOver + " depth " + depth + "/" +
           stepdown;
  }
};

Outcome<generators::PointsProgram> Generate(const Pocket& p) {
  const std::map<std::string, std::string, std::less<>> texts = {{"AnyPocket", "True"},
                                                                 {"AnyEntry", p.entry},
                                                                 {"AnyOrder", "As listed"},
                                                                 {"Anyd", "4"},
                                                                 {"AnyRo", p.R1},
                                                                 {"AnyHoleSize", p.R2},
                                                                 {"AnyStepOvr", p.stepOver},
                                                                 {"AnyDepth", p.depth},
                                                                 {"AnyStepdown", p.stepdown},
                                                                 {"AnyRetract", "1"},
                                                                 {"AnyZsafe", "5"},
                                                                 {"AnyFeedrate", "50"},
                                                                 {"AnyFeedrate2", "300"},
                                                                 {"AnySpinSpeed", "10000"},
                                                                 {"AnyEnSpin", "False"}};
  return generators::PointsJob({{"p", "10", "10"}}, [&texts](std::string_view key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  });
}

// The first broken property of the pocket at (10, 10) as the reader reads it,
// or "".
std::string FirstFault(const Pocket& p, const std::string& program) {
  const double R2 = std::stod(p.R2);
  const double depth = std::stod(p.depth);
  const testing::RecordingSink read = testing::Read(program);
  if (!read.notices.empty()) return "notice " + testing::Describe(read.notices.front());
  double cut = 0;  // the deepest Z cut so far (the stock top: 0)
  for (const Move& m : read.moves) {
    const std::string at = "line " + std::to_string(m.line) + ": ";
    const bool arc = m.kind == MoveKind::kArcCw || m.kind == MoveKind::kArcCcw;
    if (arc) {
      const double radius = std::hypot(m.start.x - m.centreX, m.start.y - m.centreY);
      if (radius < kSlack) return at + "an arc of radius zero";
      if (std::hypot(m.centreX - 10, m.centreY - 10) > kSlack) return at + "an arc off the centre";
      if (radius + kToolRadius > R2 + 2 * kSlack) return at + "the tool's edge beyond R2";
    } else if (std::min(m.start.z, m.end.z) < 0 &&
               std::hypot(m.end.x - 10, m.end.y - 10) + kToolRadius > R2 + kSlack) {
      return at + "the tool's edge beyond R2";
    }
    if (m.kind == MoveKind::kRapid && m.end.z < cut - kSlack) return at + "a rapid into stock";
    cut = std::min(cut, m.end.z);
  }
  const double asked = -std::round(depth * 1000) / 1000;
  if (std::fabs(cut - asked) > kSlack) return "the floor at " + std::to_string(cut);
  return {};
}

std::vector<Pocket> Grid() {
  std::vector<Pocket> pockets;
  for (const char* entry : {"Plunge", "Helix"}) {
    for (const char* r1 : {"0", "0.5", "1", "1.5", "2", "2.5", "3"}) {
      for (const char* r2 : {"2.05", "2.5", "3", "4", "5.3"}) {
        for (const char* w : {"0.5", "1", "1.5", "3"}) {
          pockets.push_back({r1, r2, w, "2.05", "1", entry});
        }
      }
    }
  }
  return pockets;
}

TEST(PocketRings, EveryRingFitsTheToolAndTheFloorIsTheDepthAsked) {
  int checked = 0;
  for (const Pocket& p : Grid()) {
    SCOPED_TRACE(p.Label());
    const auto program = Generate(p);
    ASSERT_TRUE(program) << program.failure().message << " " << program.failure().detail;
    const std::string fault = FirstFault(p, program->text);
    ASSERT_EQ(fault, "") << program->text;
    ++checked;
  }
  EXPECT_EQ(checked, 280);
}

// The property check catches each of the faults it looks for.
TEST(PocketRings, TheChecksCatchAZeroArcAWideRingARapidAndAShortFloor) {
  const Pocket p{"0", "3", "1", "1", "1", "Plunge"};
  const std::string start = "G90\nG0Z5\nG0X10Y10\nG0Z1\n";
  EXPECT_EQ(FirstFault(p, start + "G1Z-1F50\nG1X11Y10\nG3X11Y10I-1\nM30\n"), "");
  EXPECT_EQ(FirstFault(p, start + "G1Z-1F50\nG3X10Y10I0\nM30\n").substr(0, 7), "notice ");
  EXPECT_EQ(FirstFault(p, start + "G1Z-1F50\nG1X11.5Y10\nG3X11.5Y10I-1.5\nM30\n"),
            "line 6: the tool's edge beyond R2");
  EXPECT_EQ(FirstFault(p, start + "G0Z-1\nM30\n"), "line 5: a rapid into stock");
  EXPECT_EQ(FirstFault(p, start + "G1Z-0.9F50\nM30\n").substr(0, 12), "the floor at");
}

// A pocket narrower than the tool cannot be cut: refused, with the key.
TEST(PocketRings, APocketNarrowerThanTheToolIsRefused) {
  struct Case {
    Pocket p;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"0", "1.9", "1", "1", "1", "Plunge"}, "Parameters error"},
      {{"2", "1.5", "1", "1", "1", "Plunge"}, "Parameters error"},
      {{"0", "1.9", "1", "1", "1", "Helix"}, "Tool diameter>R1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.p.Label());
    const auto program = Generate(c.p);
    ASSERT_FALSE(program);
    EXPECT_EQ(program.failure().message, c.message);
    EXPECT_EQ(program.failure().detail, "AnyHoleSize");
  }
  // As wide as the tool: a plunge at the centre and nothing else.
  const auto hole = Generate({"0", "2", "1", "1", "1", "Plunge"});
  ASSERT_TRUE(hole);
  EXPECT_NE(hole->text.find("G0X10.000Y10.000\r\nG1Z-1.000F50.000\r\nG0Z1.000"), std::string::npos)
      << hole->text;
}

using PocketRingsRs274 = testing::Rs274Test;

// LinuxCNC reads every program of the grid to its end, as the reader reads it.
TEST_F(PocketRingsRs274, TheGridReadsCleanly) {
  int checked = 0;
  for (const Pocket& p : Grid()) {
    SCOPED_TRACE(p.Label());
    const auto program = Generate(p);
    ASSERT_TRUE(program);
    ASSERT_TRUE(ReadsAlike(program->text));
    ++checked;
  }
  EXPECT_EQ(checked, 280);
}

}  // namespace
}  // namespace kelvora::motion
