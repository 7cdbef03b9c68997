// One small program per check, with the line and kind each should report, and
// programs written the safe way that must report nothing.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "motion/report.h"

namespace kelvora::motion {
namespace {

using Expected = std::vector<std::pair<std::uint32_t, FindingKind>>;

struct CheckCase {
  std::string name;
  std::string program;
  Expected expected;
  std::function<void(Machine&, CheckOptions&)> setUp = nullptr;
  std::vector<std::string> details = {};  // of the findings in order, when given
};

Machine WithSoftLimits(Machine machine) {
  machine.softLimits = true;
  machine.minimum = {0, 0, -50};
  machine.maximum = {100, 100, 50};
  return machine;
}

TEST(ReportChecks, EachCheckWithItsLine) {
  const auto softLimits = [](Machine& m, CheckOptions&) { m = WithSoftLimits(m); };
  const CheckCase cases[] = {
      {"beyond the travel",
       "G0X50\nG1X120F100\n",
       {{2, FindingKind::kBeyondSoftLimit}},
       softLimits,
       {"X120"}},
      {"an arc's bulge beyond the travel, its ends within",
       "G0X90Y50\nG3X90Y50I6J0F100\n",
       {{2, FindingKind::kBeyondSoftLimit}},
       softLimits,
       {"X102"}},
      {"above the travel",
       "G0X1Y1\nG0Z60\n",
       {{2, FindingKind::kBeyondSoftLimit}},
       softLimits,
       {"Z60"}},
      {"limits off by default", "G0X5000Y-5000Z500\n", {}},
      {"rapid sideways below the top",
       "M3\nG0Z1\nG1Z-1F100\nG0X10\n",
       {{4, FindingKind::kRapidInStock}},
       {},
       {"Z-1"}},
      {"rapid down into uncut stock",
       "M3\nG0X5\nG0Z1\nG0Z-1\n",
       {{4, FindingKind::kRapidInStock}},
       {},
       {"Z-1"}},
      {"rapid down deeper than the hole was fed",
       "M3\nG0Z1\nG1Z-2F100\nG0Z1\nG0Z-3\n",
       {{5, FindingKind::kRapidInStock}}},
      {"rapid down into another X/Y's hole depth",
       "M3\nG0Z1\nG1Z-2F100\nG0Z1\nG0X5\nG0Z-1\n",
       {{6, FindingKind::kRapidInStock}}},
      {"rapid back along the slot, but lower",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X0Z-2\n",
       {{5, FindingKind::kRapidInStock}}},
      {"rapid back, but not along the slot",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X0Y5\n",
       {{5, FindingKind::kRapidInStock}}},
      {"rapid with A below the top", "M3\nG1Z-1F100\nG0A90\n", {{3, FindingKind::kRapidInStock}}},
      {"the stock top set higher",
       "M3\nG0Z5\nG0X10Z3\n",
       {{3, FindingKind::kRapidInStock}},
       [](Machine& m, CheckOptions&) { m.stockTop = 4; }},
      {"feed without F", "M3\nG1X10\n", {{2, FindingKind::kNoFeed}}},
      {"feed at F0", "M3\nG1X10F0\n", {{2, FindingKind::kNoFeed}}},
      {"arc without F", "M3\nG0X10\nG3X-10I-10J0\n", {{3, FindingKind::kNoFeed}}},
      {"cutting with the spindle off: one note",
       "G0Z1\nG1Z-1F100\nG1X10\nG1Y10\n",
       {{2, FindingKind::kSpindleOff}}},
      {"spindle stopped before cutting",
       "M3\nG1Z-1F100\nG0Z1\nM5\nG1Z-1\n",
       {{5, FindingKind::kSpindleOff}}},
      {"rapid halfway back along the slot, lower than its floor",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X20Z-1.5\n",
       {{5, FindingKind::kRapidInStock}}},
      {"rapid down into the slot, deeper than it was cut",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0Z1\nG0X25\nG0Z-1.5\n",
       {{7, FindingKind::kRapidInStock}}},
      {"rapid down beside the slot",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0Z1\nG0X25Y0.5\nG0Z-0.5\n",
       {{7, FindingKind::kRapidInStock}}},
      {"rapid down into a ramp's slot below where it had reached",
       "M3\nG0Z0\nG1X50Z-2F100\nG0Z1\nG0X10\nG0Z-1\n",
       {{6, FindingKind::kRapidInStock}}},
      {"below the stated depth",
       "M3\nG0Z1\nG1Z-5F100\nG0Z1\nG1Z-5.1\n",
       {{5, FindingKind::kBelowDepth}},
       [](Machine&, CheckOptions& o) { o.statedDepth = -5; },
       {"Z-5.1"}},
      {"A move without an A axis",
       "G0A90\n",
       {{1, FindingKind::kNoAAxis}},
       [](Machine& m, CheckOptions&) { m.hasA = false; },
       {"A90"}},
      {"a host macro", "M3\nM101\nG0X1\n", {{2, FindingKind::kHostMacro}}, {}, {"M101"}},
      {"an M-code no control knows",
       "M3\nM200\nG0X1\n",
       {{2, FindingKind::kUnknownWord}},
       {},
       {"M200"}},
      {"a malformed number", "G0X1.2.3\n", {{1, FindingKind::kMalformedNumber}}},
  };
  for (const CheckCase& c : cases) {
    Machine machine;
    CheckOptions options;
    if (c.setUp) c.setUp(machine, options);
    const Report report = CheckProgram(c.program, machine, options);
    Expected found;
    std::vector<std::string> details;
    for (const Finding& finding : report.findings) {
      found.emplace_back(finding.line, finding.kind);
      details.push_back(finding.detail);
    }
    EXPECT_EQ(found, c.expected) << c.name;
    if (!c.details.empty()) {
      EXPECT_EQ(details, c.details) << c.name;
    }
    EXPECT_EQ(report.findingCount, c.expected.size()) << c.name;
  }
}

TEST(ReportChecks, SafeProgramsReportNothing) {
  const std::pair<std::string, std::string> programs[] = {
      {"pecking: re-approach 0.2 above each depth fed",
       "M3\nG0Z3\nG0X5Y5\nG0Z1\nG1Z-2F100\nG0Z1\nG0Z-1.8\nG1Z-4\nG0Z1\nG0Z-3.8\nG1Z-5\nG0Z3\n"
       "M5\nM30\n"},
      {"back to an earlier hole", "M3\nG0Z1\nG1Z-2F100\nG0Z1\nG0X5\nG1Z-3\nG0Z1\nG0X0\nG0Z-1.5\n"},
      {"back through the slot just cut", "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X0\nG0Z5\n"},
      {"halfway back through the slot just cut", "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X20\nG0Z5\n"},
      {"back along the slot, above its floor", "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0X10Z-0.5\n"},
      {"down into the middle of a slot cut deeper",
       "M3\nG0Z1\nG1Z-2F100\nG1X50\nG0Z1\nG0X25\nG0Z-1\n"},
      {"down into a slot cut earlier, back in another",
       "M3\nG0Z1\nG1Z-1F100\nG1X50\nG0Z1\nG0Y10\nG1Z-1\nG1X0\nG0Z1\nG0X25Y0\nG0Z-1\n"},
      {"down into a ramp's slot where it was that deep",
       "M3\nG0Z0\nG1X50Z-2F100\nG0Z1\nG0X40\nG0Z-1\n"},
      {"down into an arc's groove", "M3\nG0X10\nG1Z-1F100\nG3X-10I-10J0\nG0Z1\nG0X0Y10\nG0Z-0.5\n"},
      {"drilling cycle with retract to R", "M3\nG0Z5\nG99G81X10Y10Z-3R1F100\nX20\nX30\nG80\n"},
      {"peck cycle", "M3\nG0Z5\nG98G83X10Y10Z-6R1Q2F100\nX20\nG80\n"},
      {"arcs on their circles", "M3\nG0X10\nG1Z-1F100\nG3X-10I-10J0\nG2X10R10\n"},
      {"inch program", "G20\nM3\nG0Z0.1\nG1Z-0.1F4\nG0Z0.1\nG0Z-0.09\nG1Z-0.2\nG0Z0.5\n"},
  };
  for (const auto& [name, program] : programs) {
    const Report report = CheckProgram(program, Machine{});
    EXPECT_EQ(report.findingCount, 0U) << name;
    for (const Finding& finding : report.findings) {
      ADD_FAILURE() << name << ": line " << finding.line << " kind "
                    << static_cast<int>(finding.kind) << " " << finding.detail;
    }
  }
}

// The arc's end off its circle, against each control's tolerance: a warning
// where the control refuses the arc, a note where it runs it, nothing within
// 0.001 mm. From X R0 round to Y R+off, counter-clockwise about the origin.
TEST(ReportChecks, ArcEndOffItsCircleByEachControlsTolerance) {
  struct ArcCase {
    text::Dialect dialect;
    double radius;
    double off;
    std::optional<FindingKind> expected;
  };
  const auto warn = FindingKind::kArcEndOffCircle;
  const auto note = FindingKind::kArcEndNearCircle;
  const ArcCase cases[] = {
      {text::Dialect::kHost, 10, 0.0009, std::nullopt},
      {text::Dialect::kHost, 10, 0.003, note},      // three decimals' rounding
      {text::Dialect::kHost, 10, 0.0275, note},     // 0.275 %, within 0.028 mm
      {text::Dialect::kHost, 10, 0.03, warn},       // 0.3 % and beyond 0.028 mm
      {text::Dialect::kLinuxCnc, 100, 0.09, note},  // beyond 0.028 mm, 0.09 %
      {text::Dialect::kLinuxCnc, 100, 0.11, warn},
      {text::Dialect::kLinuxCnc, 1000, 0.6, note},  // no limit of its own at 0.5 mm
      {text::Dialect::kGrbl, 10, 0.004, note},
      {text::Dialect::kGrbl, 10, 0.006, note},  // beyond 0.005 mm, but 0.06 %
      {text::Dialect::kGrbl, 10, 0.012, warn},  // 0.12 %
      {text::Dialect::kGrbl, 2, 0.006, warn},   // 0.3 %, where the host reads it
      {text::Dialect::kHost, 2, 0.006, note},
      {text::Dialect::kGrblHal, 100, 0.09, note},
      {text::Dialect::kGrblHal, 100, 0.11, warn},
      {text::Dialect::kGrbl, 1000, 0.6, warn},  // beyond 0.5 mm outright
  };
  for (const ArcCase& c : cases) {
    Machine machine;
    machine.dialect = c.dialect;
    const std::string program = "M3\nG0X" + std::to_string(c.radius) + "\nG3X0Y" +
                                std::to_string(c.radius + c.off) + "I" + std::to_string(-c.radius) +
                                "J0F100\n";
    const Report report = CheckProgram(program, machine);
    const std::string what = std::string(text::RulesOf(c.dialect).name) + " R" +
                             std::to_string(c.radius) + " off " + std::to_string(c.off);
    if (!c.expected) {
      EXPECT_EQ(report.findingCount, 0U) << what;
      continue;
    }
    ASSERT_EQ(report.findings.size(), 1U) << what;
    EXPECT_EQ(report.findings[0].kind, *c.expected) << what;
    EXPECT_EQ(report.findings[0].line, 3U) << what;
    EXPECT_EQ(IsNote(report.findings[0].kind), *c.expected == note) << what;
  }
}

TEST(ReportChecks, LinesCountedWhateverTheirEnds) {
  const std::pair<std::string, std::uint64_t> programs[] = {
      {"", 0},           {"G0X1", 1},           {"G0X1\n", 1},          {"G0X1\r\nG0X2\r\n", 2},
      {"G0X1\rG0X2", 2}, {"G0X1\n\n\nG0X2", 4}, {"G0X1\r\n\r\nM30", 3},
  };
  for (const auto& [program, lines] : programs) {
    EXPECT_EQ(CheckProgram(program, Machine{}).lines, lines) << program;
  }
  // Every mix of line ends at every place, against a count one byte at a time.
  std::uint32_t seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::string program;
    // Short ones, and a few longer than one round of 255 eight-byte words.
    const int size = round < 290 ? round % 40 : 2000 + round * 10;
    for (int i = 0; i < size; ++i) {
      seed = seed * 1103515245U + 12345U;
      program += "\r\nX;"[(seed >> 16) % 4];
    }
    std::uint64_t lines = 0;
    for (std::size_t i = 0; i < program.size(); ++i) {
      const bool pairedReturn =
          program[i] == '\r' && i + 1 < program.size() && program[i + 1] == '\n';
      if ((program[i] == '\r' && !pairedReturn) || program[i] == '\n') ++lines;
    }
    if (!program.empty() && program.back() != '\n' && program.back() != '\r') ++lines;
    EXPECT_EQ(CheckProgram(program, Machine{}).lines, lines) << round;
  }
}

}  // namespace
}  // namespace kelvora::motion
