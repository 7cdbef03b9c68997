// Every drilling program, whatever its scheme, read by the reader: feeds go
// straight down or up the hole, every hole reaches the bottom and no deeper,
// rapids below the stock top go only where the drill has already been, and a
// dwell waits at the bottom. Run on every scheme's moves program and the canned
// program of the random jobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "motion/drill_cases.h"

namespace kelvora::motion {
namespace {

using namespace testing;  // NOLINT: the drilling cases and step tools

// The case's texts, one "KEY=VALUE" a line, for a failure message.
std::string Inputs(const DrillCase& c) {
  std::string text;
  for (const auto& [key, value] : c.texts) text += key + "=" + value + "\n";
  return text;
}

// What every drilling program must do, whatever its scheme: feeds go straight
// down or up the hole (never sideways), every hole reaches the bottom and no
// deeper, rapids below the stock top (or the retract height, where the operator
// set it lower) go only where the drill has already been, and a dwell waits at
// the bottom. "Standard" leaves a last remainder of 0.1 or less uncut, as the
// tab always has: its holes may stop that much short. The first fault, or "".
std::string HoleFault(const std::string& program, const DrillProgramInputs& in,
                      DrillScheme scheme) {
  const testing::StepSink read = ReadSteps(program);
  if (!read.notices.empty()) return "notice " + read.notices.front();
  struct Hole {
    double x, y, deepest;
  };
  std::vector<Hole> holes;
  auto holeAt = [&holes](const Step& s) -> Hole* {
    for (Hole& h : holes) {
      if (std::fabs(h.x - s.x) <= testing::kStepTolerance &&
          std::fabs(h.y - s.y) <= testing::kStepTolerance) {
        return &h;
      }
    }
    return nullptr;
  };
  const double bottom = -in.depth;
  const double shortBy = scheme == DrillScheme::kStandard ? 0.1 : 0.0;
  const double top = std::min(0.0, in.retract);
  Step at;
  for (std::size_t i = 0; i < read.steps.size(); ++i) {
    const Step& s = read.steps[i];
    const std::string step = "step " + std::to_string(i) + ": ";
    if (s.kind == Step::Kind::kDwell) {
      // At the bottom the scheme reached: below it the feed check speaks.
      if (at.z > bottom + shortBy + testing::kStepTolerance) {
        return step + "a dwell above the bottom";
      }
      continue;
    }
    if (s.kind == Step::Kind::kEvent) continue;
    if (s.kind == Step::Kind::kArc) return step + "an arc";
    Hole* hole = holeAt(s);
    if (s.kind == Step::Kind::kFeed) {
      if (std::fabs(at.x - s.x) + std::fabs(at.y - s.y) > 0) return step + "a feed sideways";
      if (s.z < bottom - testing::kStepTolerance) return step + "a feed below the bottom";
      if (hole == nullptr) {
        holes.push_back({s.x, s.y, s.z});
      } else {
        hole->deepest = std::min(hole->deepest, s.z);
      }
    } else if (s.z < top && s.z < at.z) {
      const double cut = hole == nullptr ? top : std::min(top, hole->deepest);
      if (s.z < cut - testing::kStepTolerance) return step + "a rapid into uncut stock";
    }
    at = s;
  }
  if (holes.empty()) return "no hole drilled";
  for (const Hole& h : holes) {
    if (h.deepest < bottom - testing::kStepTolerance ||
        h.deepest > bottom + shortBy + testing::kStepTolerance) {
      return "the hole at (" + std::to_string(h.x) + ", " + std::to_string(h.y) + ") stops at " +
             std::to_string(h.deepest);
    }
  }
  return {};
}

// Every scheme's moves program as the tab writes it, and the canned program,
// on the random jobs.
TEST(DrillHoles, EverySchemeDrillsEveryHoleToTheBottomOnly) {
  Differences differences;
  int checked = 0;
  for (const DrillCase& c : RandomCases(20261210, 300)) {
    for (const DrillScheme scheme : kEveryScheme) {
      std::string program;
      ASSERT_TRUE(MakeMovesProgram(c, scheme, program)) << c.label;
      const std::string fault = HoleFault(program, c.in, scheme);
      const std::string name(generators::kDrillSchemeNames[static_cast<int>(scheme)]);
      if (!fault.empty()) differences.Add(c.label + " " + name, fault + "\n" + Inputs(c) + program);
      ++checked;
    }
    Programs p;
    ASSERT_TRUE(MakePrograms(c, p)) << c.label;
    const std::string fault = HoleFault(p.canned, c.in, c.in.scheme.scheme);
    if (!fault.empty()) differences.Add(c.label + " canned", fault + "\n" + Inputs(c) + p.canned);
    ++checked;
  }
  EXPECT_TRUE(differences.empty()) << differences;
  EXPECT_EQ(checked, 300 * 6);
}

// The property check itself catches what it looks for (depth 5, retract 1).
TEST(DrillHoles, TheCheckCatchesWhatItLooksFor) {
  DrillProgramInputs in;
  in.depth = 5;
  in.retract = 1;
  const std::string start = "G90\nG0Z3\nG0X1Y1\nG0Z1\n";
  const struct {
    const char* moves;
    DrillScheme scheme;
    const char* fault;
  } cases[] = {
      {"G1Z-2F100\nG0Z1\nG0Z-1.8\nG1Z-5\nG4P1\nG0Z3\nM30\n", DrillScheme::kFullRetract, ""},
      {"G1Z-5F100\nG1X2\nM30\n", DrillScheme::kSinglePlunge, "step 4: a feed sideways"},
      {"G1Z-2F100\nG0Z1\nG0Z-2.5\nG1Z-5\nM30\n", DrillScheme::kFullRetract,
       "step 5: a rapid into uncut stock"},
      {"G1Z-5F100\nG0Z1\nG4P1\nM30\n", DrillScheme::kSinglePlunge,
       "step 5: a dwell above the bottom"},
      {"G1Z-4.95F100\nG0Z3\nM30\n", DrillScheme::kSinglePlunge,
       "the hole at (1.000000, 1.000000) stops at -4.950000"},
      // The tab's own scheme may leave 0.1 uncut, no more.
      {"G1Z-4.95F100\nG0Z3\nM30\n", DrillScheme::kStandard, ""},
      {"G1Z-4.85F100\nG0Z3\nM30\n", DrillScheme::kStandard,
       "the hole at (1.000000, 1.000000) stops at -4.850000"},
      {"G1Z-5.1F100\nM30\n", DrillScheme::kStandard, "step 3: a feed below the bottom"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HoleFault(start + c.moves, in, c.scheme), c.fault) << c.moves;
  }
}

}  // namespace
}  // namespace kelvora::motion
