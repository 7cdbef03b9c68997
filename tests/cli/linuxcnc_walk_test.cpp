// Every job's program written for LinuxCNC, worked examples and random inputs,
// read by LinuxCNC's own interpreter (rs274) to its end. Canned drilling stays
// a cycle there, and the holes rs274 drills for the cycle are the holes it
// drills for GRBL's moves of the same tab.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_run.h"
#include "cli/control_acceptance.h"
#include "cli/job_runs.h"
#include "motion/rs274_runner.h"
#include "motion/rs274_test.h"
#include "text/gcode_dialect.h"

namespace kelvora::cli {
namespace {

using motion::testing::CanonCall;
using motion::testing::Rs274Run;
using testing::CliRun;
using testing::JobRun;
using testing::RunArgs;

// The host's macros M100-M199 run files of the configuration's folder, which
// the standalone interpreter has none of: they are blanked for the reading.
std::string WithoutUserMCodes(const std::string& program) {
  static const std::regex kUserMCode("[Mm]1[0-9][0-9](?![0-9.])");
  return std::regex_replace(program, kUserMCode, "");
}

// Where the tool reaches its deepest feed: the holes of a drilling program, as
// X Y pairs on a 0.001 grid, and that depth.
struct Bottoms {
  double depth = 0;
  std::set<std::pair<long long, long long>> holes;
};

Bottoms BottomsOf(const Rs274Run& run) {
  Bottoms b;
  bool any = false;
  for (const CanonCall& c : run.calls) {
    if (c.kind != CanonCall::Kind::kFeed || c.values.size() < 3) continue;
    if (!any || c.values[2] < b.depth) b.depth = c.values[2];
    any = true;
  }
  for (const CanonCall& c : run.calls) {
    if (c.kind != CanonCall::Kind::kFeed || c.values.size() < 3) continue;
    if (std::fabs(c.values[2] - b.depth) > 1e-4) continue;
    b.holes.emplace(std::llround(c.values[0] * 1000), std::llround(c.values[1] * 1000));
  }
  return b;
}

// The dwells the run asks for, in seconds: the drilling tab's at the bottom of
// every hole (0 when none), and any G4 P an operator's script holds.
struct Dwells {
  double holes = 0;
  std::set<long long> allowed;  // milliseconds
};

Dwells DwellsOf(const JobRun& run) {
  Dwells d;
  for (const char* key : {"CirDwell", "GridDwell", "AnyDwell"}) {
    if (const auto text = testing::ValueOf(run, key)) d.holes = std::stod(*text);
  }
  if (testing::ValueOf(run, "AnyPocket") == "True") d.holes = 0;  // pockets do not dwell
  d.allowed.insert(std::llround(d.holes * 1000));
  static const std::regex kScriptDwell("G4P([0-9.]+)");
  for (const std::string& a : run.args) {
    for (auto it = std::sregex_iterator(a.begin(), a.end(), kScriptDwell);
         it != std::sregex_iterator(); ++it) {
      d.allowed.insert(std::llround(std::stod((*it)[1].str()) * 1000));
    }
  }
  return d;
}

class LinuxCncWalk : public motion::testing::Rs274Test {
 protected:
  // The run written for LinuxCNC and read by rs274; counts the programs read.
  void Walk(const JobRun& run) {
    SCOPED_TRACE(run.label + " --dialect linuxcnc");
    const CliRun host = RunArgs(run.args);
    std::vector<std::string> args = run.args;
    args.insert(args.end(), {"--dialect", "LinuxCNC"});
    const CliRun got = RunArgs(args);
    if (host.status != kExitOk) {
      EXPECT_EQ(got.status, host.status) << got.err;
      EXPECT_EQ(got.err, host.err);
      return;
    }
    // A thread's spindle speed typed empty writes "M3S", which no control reads.
    if (got.status == kExitRefused && run.args.front() == "thread" &&
        testing::ValueOf(run, "Spin") == "") {
      EXPECT_NE(got.err.find(": M3S\n"), std::string::npos) << got.err;
      return;
    }
    // A move LinuxCNC refuses (a feed move without a feed rate, an arc it
    // cannot make) is refused with its line; rs274 stops on the host's program
    // opened as LinuxCNC's programs are.
    if (got.status == kExitRefused && got.err.find("LinuxCNC refuses ") != std::string::npos) {
      EXPECT_NE(got.err.find("line "), std::string::npos) << got.err;
      const std::string opened =
          std::string(text::RulesOf(text::Dialect::kLinuxCnc).opening) + "\r\nG91.1\r\n" + host.out;
      const Rs274Run hostReading = motion::testing::RunRs274(rs274_, WithoutUserMCodes(opened));
      EXPECT_FALSE(hostReading.ended) << "refused, yet rs274 reads it:\n" << got.err << opened;
      ++(testing::KnownFault(run) ? known_ : refused_);
      return;
    }
    // LinuxCNC reads every other word the jobs and the scripts here write.
    ASSERT_EQ(got.status, kExitOk) << got.err;
    const Rs274Run reading = motion::testing::RunRs274(rs274_, WithoutUserMCodes(got.out));
    if (const auto fault = testing::KnownFault(run)) {
      EXPECT_FALSE(reading.ended) << *fault << " no longer found: mended?\n" << got.out;
      ++known_;
      return;
    }
    ASSERT_TRUE(reading.ended) << "rs274 stopped before the end:\n"
                               << reading.output << "\nof the program:\n"
                               << got.out;
    ++read_;
    // LinuxCNC counts a dwell in seconds, whatever the host's unit is.
    const Dwells dwells = DwellsOf(run);
    bool holeDwell = false;
    for (const CanonCall& c : reading.calls) {
      if (c.kind != CanonCall::Kind::kDwell) continue;
      const long long ms = std::llround(c.values.at(0) * 1000);
      EXPECT_EQ(dwells.allowed.count(ms), 1u) << "DWELL(" << c.values[0] << ")\n" << got.out;
      holeDwell = holeDwell || ms == std::llround(dwells.holes * 1000);
    }
    if (dwells.holes > 0) {
      EXPECT_TRUE(holeDwell) << got.out;
    }
    if (!run.canned) return;
    // The cycle stays, and its holes are the holes of GRBL's moves.
    const auto hostCodes = acceptance::CodesUsed(host.out, 'G');
    const auto codes = acceptance::CodesUsed(got.out, 'G');
    for (const char* cycle : {"G73", "G81", "G82", "G83", "G98", "G99"}) {
      EXPECT_EQ(codes.count(cycle), hostCodes.count(cycle)) << cycle << "\n" << got.out;
    }
    args[args.size() - 1] = "grbl";
    const CliRun grbl = RunArgs(args);
    if (grbl.status == kExitRefused) return;  // a script word GRBL does not read
    ASSERT_EQ(grbl.status, kExitOk) << grbl.err;
    const Rs274Run moves = motion::testing::RunRs274(rs274_, grbl.out);
    ASSERT_TRUE(moves.ended) << moves.output;
    const Bottoms cycle = BottomsOf(reading);
    const Bottoms expanded = BottomsOf(moves);
    EXPECT_FALSE(cycle.holes.empty());
    EXPECT_NEAR(cycle.depth, expanded.depth, 1e-4);
    EXPECT_EQ(cycle.holes, expanded.holes) << "LinuxCNC:\n" << got.out << "GRBL:\n" << grbl.out;
    ++canned_;
  }

  int read_ = 0;
  int canned_ = 0;
  int known_ = 0;
  int refused_ = 0;  // moves LinuxCNC refuses that the inputs ask for
};

TEST_F(LinuxCncWalk, WorkedExamplesAreReadToTheEnd) {
  const std::vector<JobRun> runs = testing::WorkedExamples();
  ASSERT_GE(runs.size(), 40u);
  for (const JobRun& run : runs) Walk(run);
  EXPECT_GT(read_, static_cast<int>(runs.size()) * 3 / 4);
  EXPECT_GE(canned_, 1);
}

TEST_F(LinuxCncWalk, RandomInputsAreReadToTheEnd) {
  const std::vector<JobRun> runs = testing::RandomRuns(30, 274u, testing::ScriptTexts());
  for (const JobRun& run : runs) {
    Walk(run);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(read_, static_cast<int>(runs.size()) * 3 / 4);
  EXPECT_GT(canned_, 10);
}

// The canned circle of the worked examples: G83 in LinuxCNC's program, and
// rs274's calls drill each hole in pecks down to the bottom.
TEST_F(LinuxCncWalk, CannedCircleIsACycleThatRs274Drills) {
  const CliRun got =
      RunArgs({"circle", "Cirn=2", "CirR=20", "CirXc=0", "CirYc=0", "CirA=0", "CirDepth=5",
               "CirStep=2", "CirRetract=1", "CirZsafe=10", "CirFeedrate=100", "CirEnSpin=False",
               "CirScheme=Full retract", "CirCanned=True", "--dialect", "linuxcnc"});
  ASSERT_EQ(got.status, kExitOk) << got.err;
  EXPECT_EQ(acceptance::CodesUsed(got.out, 'G').count("G83"), 1u) << got.out;
  const Rs274Run reading = motion::testing::RunRs274(rs274_, got.out);
  ASSERT_TRUE(reading.ended) << reading.output;
  // Each hole: pecks of Q2 from R1 down to Z-5.
  std::vector<double> feedDepths;
  for (const CanonCall& c : reading.calls) {
    if (c.kind == CanonCall::Kind::kFeed) feedDepths.push_back(c.values[2]);
  }
  EXPECT_EQ(feedDepths, (std::vector<double>{-1, -3, -5, -1, -3, -5}));
  const Bottoms b = BottomsOf(reading);
  EXPECT_EQ(b.holes, (std::set<std::pair<long long, long long>>{{10000, 0}, {-10000, 0}}));
}

}  // namespace
}  // namespace kelvora::cli
