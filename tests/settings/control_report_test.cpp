// The finishing pass and the pre-flight report read a program for a control
// each in its own way; they must agree on what that control does not read: a
// program the pass refuses draws a warning on its words or moves (a feed move
// without a feed, an arc the control cannot make) from the report, and
// the program the pass makes draws no finding of a word or line the control
// does not read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "motion/report.h"
#include "settings/control_output.h"

namespace kelvora::settings {
namespace {

using motion::FindingKind;
using text::Dialect;

constexpr Dialect kControls[] = {Dialect::kLinuxCnc, Dialect::kGrbl, Dialect::kGrblHal};

// The report's findings of `program` read for `dialect` among `kinds`.
int Found(const std::string& program, Dialect dialect, std::vector<FindingKind> kinds) {
  motion::Machine machine;
  machine.dialect = dialect;
  int found = 0;
  for (const motion::Finding& finding : motion::CheckProgram(program, machine).findings) {
    for (FindingKind kind : kinds) found += finding.kind == kind ? 1 : 0;
  }
  return found;
}

// Checks one program both ways; returns whether the pass refused it.
bool Agree(const std::string& program, Dialect dialect, const std::string& name) {
  const generators::TextLookup none = [](std::string_view) { return std::string(); };
  const Outcome<std::string> made = ForControl(program, dialect, JobInputs::kCircle, none);
  const std::string what = std::string(text::RulesOf(dialect).name) + ": " + name;
  if (!made) {
    // A word the control does not read, one that does not read at all, or a
    // move the control refuses.
    EXPECT_GT(Found(program, dialect,
                    {FindingKind::kForeignWord, FindingKind::kLongLine,
                     FindingKind::kMalformedNumber, FindingKind::kUnknownWord, FindingKind::kNoFeed,
                     FindingKind::kBadArc, FindingKind::kArcEndOffCircle}),
              0)
        << what << "\n"
        << made.failure().message;
    return true;
  }
  EXPECT_EQ(Found(*made, dialect, {FindingKind::kForeignWord, FindingKind::kLongLine}), 0) << what;
  return false;
}

TEST(ControlReport, TheReportFindsWhatThePassRefuses) {
  const std::string long80 = "G0X1(" + std::string(74, 'c') + ")";
  const std::string long81 = "G0X1(" + std::string(75, 'c') + ")";
  const std::string long257 = "G0X1(" + std::string(251, 'c') + ")";
  const std::vector<std::string> programs = {
      "G90\r\nG0X1Y2\r\nM30\r\n",
      "G83X0Y0Z-3R1Q1F100\r\n",
      "g83 x0 y0 z-3 r1 q1 f100\r\n",
      "G 8 3X0Y0Z-3R1Q1F100\r\n",
      "G81X0Y0Z-3R1F100\r\nG98\r\n",
      "M101\r\n",
      "M6T2\r\n",
      "M56\r\n",
      "G0A0\r\n",
      "G0A5\r\n",
      "G1X1E2F100\r\n",
      "G0B1\r\n",
      "G43H1\r\n",
      "G43.1Z1\r\n",
      "G91.1\r\nG2X1Y0I0.5J0F100\r\n",
      "G90.1\r\n",
      "G41D1\r\n",
      "G54\r\nG10L2P1X0\r\n",
      "(M101 in a comment)\r\nG0X1;M6 after a semicolon\r\n",
      long80 + "\r\n",
      long81 + "\r\n",
      long257 + "\r\n",
      "G0X1\r\nG4P0.5\r\nM30\r\n",
      "#1=5\r\nG0X#1\r\n",
      "M3S\r\nG0X1.2.3\r\n",
      "%\r\nG0X1\r\n%\r\n",
      "G0X1\r\nM30\r\nM101\r\n",
      "G0X0Y0\r\nG1X1F0\r\n",
      "G0X0Y0\r\nG1X1\r\n",
      "G0X0Y0\r\nG2X0Y0I0J0F100\r\n",
      "G0X0Y0\r\nG2X10Y0I5.1J0F100\r\n",
      "G0X0Y0\r\nG2X10Y0I5J0F100\r\n",
  };
  int refused = 0;
  for (Dialect dialect : kControls) {
    for (const std::string& program : programs) refused += Agree(program, dialect, program);
  }
  // Both sides of the agreement are seen.
  EXPECT_GT(refused, 15);
  EXPECT_LT(refused, 3 * static_cast<int>(programs.size()) - 15);
}

// The host's programs of every job's worked examples, read for each control.
TEST(ControlReport, EveryGoldenProgramAsThePassAndTheReportSeeIt) {
  int programs = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(KELVORA_TEST_DATA "/generators/golden")) {
    if (!entry.is_regular_file() || entry.path().extension() != ".nc") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string program{std::istreambuf_iterator<char>(file), {}};
    for (Dialect dialect : kControls) Agree(program, dialect, entry.path().filename().string());
    ++programs;
  }
  EXPECT_GT(programs, 30);
}

}  // namespace
}  // namespace kelvora::settings
