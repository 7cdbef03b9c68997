// The canned-cycle programs of the circle, grid and point-list tabs against the
// moves they stand for: G81 and G82 against "Single plunge", G83 against "Full
// retract", G73 against "Chip break", each with G98 and G99, the moves written
// with the control's own distances (0.254 above the last depth, 0.254 back-off,
// no full retract in chip break). Both programs are read by the reader, which
// expands the cycles with the control's arithmetic, and, where LinuxCNC's rs274
// is installed, by rs274 as well; the tab's worked examples and a few hundred
// random jobs are compared move for move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "motion/drill_cases.h"
#include "motion/rs274_runner.h"
#include "motion/rs274_test.h"

namespace kelvora::motion {
namespace {

using namespace testing;  // NOLINT: the drilling cases and step tools

// ---- Through the reader ----------------------------------------------------------

void ExpectSameMotion(const std::vector<DrillCase>& cases) {
  Differences differences;
  for (const DrillCase& c : cases) {
    Programs p;
    ASSERT_TRUE(MakePrograms(c, p)) << c.label;
    const auto same = SameMotion(p);
    if (!same) {
      differences.Add(
          c.label, std::string(same.message()) + "\ncanned:\n" + p.canned + "moves:\n" + p.moves);
    }
  }
  EXPECT_TRUE(differences.empty()) << differences;
}

TEST(DrillEquivalence, WorkedExamplesMoveAsTheSchemeTheirCycleStandsFor) {
  const auto cases = WorkedExamples();
  ASSERT_EQ(cases.size(), 40U);
  ExpectSameMotion(cases);
}

TEST(DrillEquivalence, RandomJobsMoveAsTheSchemeTheirCycleStandsFor) {
  ExpectSameMotion(RandomCases(20261210, 300));
}

// A step, retract or depth with more decimals than the program writes: the
// canned line states Q0.333, so the moves standing for it, and the tab's own
// expanded program, peck by 0.333 too; by 0.3333 they would drift from the cycle
// by 0.0003 a peck.
TEST(DrillEquivalence, StepsWithMoreDecimalsThanWrittenPeckAsTheCycleStatesThem) {
  std::vector<DrillCase> cases;
  for (const Tab tab : {Tab::kCircle, Tab::kGrid, Tab::kPoints}) {
    for (const DrillScheme scheme : {DrillScheme::kFullRetract, DrillScheme::kChipBreak}) {
      const auto examples = WorkedExamples();
      const auto example = std::find_if(examples.begin(), examples.end(),
                                        [tab](const DrillCase& c) { return c.tab == tab; });
      ASSERT_NE(example, examples.end());
      Variant v;
      v.scheme = scheme;
      DrillCase c = MakeCase("four decimals", tab, {}, Motion{}, v);
      for (const auto& [key, value] : example->texts) c.texts.try_emplace(key, value);
      c.rows = example->rows;
      const TabKeys& k = KeysOf(tab);
      c.texts[k.step] = "0.3333";
      c.texts[k.retract] = "1.0004";
      c.texts[k.depth] = "12.0004";
      c.in.pass = 0.3333;
      c.in.retract = 1.0004;
      c.in.depth = 12.0004;
      c.label = std::string(k.prefix) + " " + c.cycle + " step 0.3333";
      cases.push_back(c);

      Programs p;
      ASSERT_TRUE(MakePrograms(c, p)) << c.label;
      EXPECT_NE(p.canned.find("Q0.333"), std::string::npos) << p.canned;
      // The tab's expanded program feeds to 1 - k * 0.333: after 36 pecks to
      // -10.988 (by 0.3333: -10.999).
      std::string moves;
      ASSERT_TRUE(MakeMovesProgram(c, scheme, moves));
      EXPECT_NE(moves.find("G1Z-10.988F"), std::string::npos) << c.label << "\n" << moves;
    }
  }
  ExpectSameMotion(cases);
}

// After G80 the canned program rapids to the safe height, where the tool waits
// at the end; the moves the control makes for it must end there too, with G99 as
// with G98 (the holes' returns to the retract height do not end the program).
TEST(DrillEquivalence, TheMovesOfACannedProgramEndAtTheSafeHeight) {
  const auto examples = WorkedExamples();
  for (const DrillCase& c : examples) {
    SCOPED_TRACE(c.label);
    Programs p;
    ASSERT_TRUE(MakePrograms(c, p));
    const auto canned = testing::WithoutStandingMoves(ReadSteps(p.canned).steps);
    const auto moves = testing::WithoutStandingMoves(ReadSteps(p.moves).steps);
    const auto lastZ = [](const std::vector<Step>& steps) {
      const auto last = std::find_if(steps.rbegin(), steps.rend(), testing::IsMove);
      return last == steps.rend() ? std::nan("") : last->z;
    };
    EXPECT_NEAR(lastZ(canned), c.in.zsafe, testing::kStepTolerance);
    EXPECT_NEAR(lastZ(moves), c.in.zsafe, testing::kStepTolerance);
  }
}

// The random runs do meet the control's extra peck (so the normalisation above
// is at work, not idle), and only in the cases of a peck that divides the depth
// below the retract plane.
TEST(DrillEquivalence, TheRandomRunsMeetTheControlsExtraPeck) {
  int extraPecks = 0;
  for (const DrillCase& c : RandomCases(20261210, 300)) {
    Programs p;
    ASSERT_TRUE(MakePrograms(c, p)) << c.label;
    const auto canned = testing::WithoutStandingMoves(ReadSteps(p.canned).steps);
    if (canned.size() == testing::WithoutDegeneratePecks(canned).size()) continue;
    ++extraPecks;
    const long long below = std::llround((c.in.retract + c.in.depth) * 1000);
    EXPECT_EQ(below % std::llround(c.in.pass * 1000), 0) << c.label << "\n" << p.canned;
  }
  EXPECT_GT(extraPecks, 0);
}

// ---- Through rs274 ---------------------------------------------------------------

class DrillEquivalenceRs274 : public testing::Rs274Test {
 protected:
  // Both programs of every case read cleanly by rs274, its calls the reader's,
  // and the canned program's calls the moves program's after the normalisation.
  void CompareAll(const std::vector<DrillCase>& cases) {
    Differences differences;
    for (const DrillCase& c : cases) {
      Programs p;
      ASSERT_TRUE(MakePrograms(c, p)) << c.label;
      testing::Rs274Run canned;
      testing::Rs274Run moves;
      const auto cannedRead = ReadsAlike(p.canned, 1.0, &canned);
      const auto movesRead = ReadsAlike(p.moves, 1.0, &moves);
      ++compared_;
      if (!cannedRead || !movesRead) {
        differences.Add(c.label,
                        std::string(cannedRead ? movesRead.message() : cannedRead.message()) +
                            "\ncanned:\n" + p.canned + "moves:\n" + p.moves);
        continue;
      }
      const auto a = testing::WithoutDegeneratePecks(
          testing::WithoutStandingMoves(testing::StepsOf(canned.calls)));
      const auto b = testing::WithoutStandingMoves(testing::StepsOf(moves.calls));
      const std::string difference = testing::FirstStepDifference(a, b);
      if (!difference.empty()) {
        differences.Add(c.label,
                        difference + "\ncanned:\n" + canned.output + "moves:\n" + moves.output);
      }
    }
    EXPECT_TRUE(differences.empty()) << differences;
  }

  std::size_t compared_ = 0;
};

TEST_F(DrillEquivalenceRs274, WorkedExamplesReadAndMoveAlikeInTheControlsInterpreter) {
  const auto cases = WorkedExamples();
  CompareAll(cases);
  EXPECT_EQ(compared_, cases.size());
}

// The first 60 of the reader's random jobs: rs274 takes 25 to 70 ms a program
// here (more on a busy machine), 120 programs 3 to 8 s.
TEST_F(DrillEquivalenceRs274, RandomJobsReadAndMoveAlikeInTheControlsInterpreter) {
  const auto cases = RandomCases(20261210, 60);
  CompareAll(cases);
  EXPECT_EQ(compared_, cases.size());
}

// Every scheme's moves program as the tab writes it: of the worked examples
// (with G98 and no dwell, and with G99 and a dwell of 0.5), and of the first 50
// random jobs, one scheme each in turn. rs274 reads each to its end, as the
// reader reads it.
TEST_F(DrillEquivalenceRs274, EverySchemesMovesProgramReadsCleanly) {
  std::vector<std::pair<DrillCase, DrillScheme>> jobs;
  const auto examples = WorkedExamples();
  for (std::size_t i = 0; i < examples.size(); ++i) {
    // Each example's variants start with G98 G81 (no dwell); the sixth is G99 G82.
    if (i % 8 != 0 && i % 8 != 5) continue;
    for (const DrillScheme scheme : kEveryScheme) jobs.emplace_back(examples[i], scheme);
  }
  const auto random = RandomCases(20261210, 50);
  for (std::size_t i = 0; i < random.size(); ++i) jobs.emplace_back(random[i], kEveryScheme[i % 5]);
  Differences differences;
  for (const auto& [c, scheme] : jobs) {
    std::string program;
    ASSERT_TRUE(MakeMovesProgram(c, scheme, program)) << c.label;
    const auto read = ReadsAlike(program);
    const std::string name(generators::kDrillSchemeNames[static_cast<int>(scheme)]);
    if (!read) differences.Add(c.label + " " + name, std::string(read.message()) + "\n" + program);
    ++compared_;
  }
  EXPECT_TRUE(differences.empty()) << differences;
  EXPECT_EQ(compared_, 100U);
}

}  // namespace
}  // namespace kelvora::motion
