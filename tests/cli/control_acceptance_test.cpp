// The acceptance check itself: short programs, each with exactly the lines the
// control refuses and why, so that a check which refuses nothing, or refuses
// everything, fails here before it is trusted with the jobs' programs.
#include "cli/control_acceptance.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kelvora::acceptance {
namespace {

using Expected = std::vector<std::pair<int, Why>>;

struct Case {
  const char* name;
  Flavour flavour;
  std::string program;
  Expected expected;
};

constexpr Flavour kGrbl = Flavour::kGrbl;
constexpr Flavour kHal = Flavour::kGrblHal;

// A line of exactly `length` characters that the control otherwise reads.
std::string LineOf(std::size_t length) {
  std::string line = "G0X1(";
  line.append(length - line.size() - 1, 'c');
  return line + ")";
}

const Case kCases[] = {
    // Programs the control reads through.
    {"drilling and arcs",
     kGrbl,
     "G90\r\nG0Z3\r\nG0X5Y0\r\nG1Z-1F100\r\nG2X-5Y0I-5J0\r\nG2X5Y0I5\r\nM5\r\nM30\r\n",
     {}},
    {"comments, blanks, lower case", kGrbl, "(start)\ng90 g0 x1 y2 ; first\ng1 x 2 f 100\n", {}},
    {"full circle by its centre", kGrbl, "G0X1Y0\nG3X1Y0I-1F100\n", {}},
    {"arc by R, a half circle", kGrbl, "G0X0Y0\nG2X10Y0R5F100\n", {}},
    {"incremental arc from an unknown start", kGrbl, "G91\nG1X1F100\nG3X2Y2I2\n", {}},
    {"dwell in seconds", kGrbl, "G4P1\nG4P0.5\n", {}},
    {"motion code alone sets the mode", kGrbl, "G1F100\nG0X1\nX2\nG1\nX3\n", {}},
    {"feed set on a line of its own", kGrbl, "F100\nG1X1\n", {}},
    {"coolant and spindle on separate lines", kGrbl, "M3S1000\nM7\nM8\nM9\nM5\n", {}},
    {"line of 79 characters", kGrbl, LineOf(79) + "\n", {}},
    {"arc end within 0.005 mm", kGrbl, "G0X0Y0\nG2X10Y0I5.002F100\n", {}},
    {"arc end 0.4 mm off a 500 mm circle", kGrbl, "G0X0Y0\nG2X1000Y0I500.2F100\n", {}},
    {"position followed through G91", kGrbl, "G0X0Y0\nG91\nG1X5F100\nG90\nG2X15Y0I5\n", {}},
    {"modal arc continues", kGrbl, "G0X0Y0\nG2X10Y0I5F100\nX0Y0I-5\n", {}},
    {"inch arc", kGrbl, "G20\nG0X0Y0\nG2X1Y0I0.5F10\n", {}},
    {"program end makes distances absolute again",
     kGrbl,
     "G0X5Y0\nG91\nM2\nG0X10\nG2X20Y0I5F100\n",
     {}},
    {"arc in the ZX plane", kGrbl, "G18\nG0X0Z0\nG2X10Z0I5F100\n", {}},
    {"A axis on grblHAL", kHal, "G0A90\nG1X1A180F100\n", {}},
    {"tool change and Q on grblHAL", kHal, "T1M6\n", {}},
    {"canned cycles on grblHAL",
     kHal,
     "G0X0Y0Z5\nG98G83X1Y1Z-5R1Q2F100\nX2Y2\nG81X3Y3Z-2R1\nG80\nG0Z5\n",
     {}},
    {"line of 256 characters on grblHAL", kHal, LineOf(256) + "\n", {}},

    // Refusals.
    {"line of 80 characters", kGrbl, "G0X0\n" + LineOf(80) + "\n", {{2, Why::kLineTooLong}}},
    {"line of 257 characters on grblHAL", kHal, LineOf(257) + "\n", {{1, Why::kLineTooLong}}},
    {"percent lines", kGrbl, "%\nG0X1\n%\n", {{1, Why::kPercent}, {3, Why::kPercent}}},
    {"percent lines on grblHAL", kHal, "%\nG0X1\n", {{1, Why::kPercent}}},
    // Bytes the control takes as real-time commands: from 0x80 up anywhere,
    // '?' '!' '~' outside comments.
    {"degree sign in a comment",
     kGrbl,
     "G0X1\n(90\xC2\xB0 turn)\nG0X2\n",
     {{2, Why::kRealTimeByte}}},
    {"byte 0x85 on grblHAL", kHal, "G0X1\x85\n", {{1, Why::kRealTimeByte}}},
    {"status, hold and start",
     kGrbl,
     "G0X1?\n!\nG0X2~\n(ok?)\n;ok!\n",
     {{1, Why::kRealTimeByte}, {2, Why::kRealTimeByte}, {3, Why::kRealTimeByte}}},
    {"A axis", kGrbl, "G0X0\nG0A90\n", {{2, Why::kLetter}}},
    {"Q on GRBL", kGrbl, "G0X1Q2\n", {{1, Why::kLetter}}},
    {"H word", kHal, "G43H1\n", {{1, Why::kLetter}}},
    {"tool change on GRBL", kGrbl, "T1M6\n", {{1, Why::kMCode}}},
    {"user M-code", kGrbl, "M101\n", {{1, Why::kMCode}}},
    {"user M-code on grblHAL", kHal, "M3S100\nM101\n", {{2, Why::kMCode}}},
    {"canned cycle on GRBL", kGrbl, "G0X0Y0Z5\nG98G83X1Y1Z-5R1Q2F100\nX2Y2\n", {{2, Why::kGCode}}},
    {"path blending", kGrbl, "G64\n", {{1, Why::kGCode}}},
    {"cutter compensation on grblHAL", kHal, "G41\n", {{1, Why::kGCode}}},
    {"G code with a wrong fraction", kGrbl, "G1.5X1\n", {{1, Why::kGCode}}},
    {"two motion codes", kGrbl, "G0G1X1F100\n", {{1, Why::kModalGroup}}},
    {"two planes", kGrbl, "G17G18\n", {{1, Why::kModalGroup}}},
    {"two coolant codes", kGrbl, "M7M8\n", {{1, Why::kModalGroup}}},
    {"two stops", kHal, "M0M30\n", {{1, Why::kModalGroup}}},
    {"letter twice", kGrbl, "G1X1X2F100\n", {{1, Why::kRepeatedWord}}},
    {"feed twice", kGrbl, "G1X1F100F200\n", {{1, Why::kRepeatedWord}}},
    {"feed move without a feed rate", kGrbl, "G0X0\nG1X1\n", {{2, Why::kFeedNotSet}}},
    {"feed rate zero", kGrbl, "G1X1F0\n", {{1, Why::kFeedNotSet}}},
    {"arc without a feed rate", kGrbl, "G0X0Y0\nG2X10Y0I5\n", {{2, Why::kFeedNotSet}}},
    {"motion code alone without a feed rate", kGrbl, "G1\nX5\n", {{1, Why::kFeedNotSet}}},
    {"inverse time feed on every line", kGrbl, "G93\nG1X1F10\nX2\n", {{3, Why::kFeedNotSet}}},
    {"a refused line sets nothing",
     kGrbl,
     "G1X1F100Q1\nG1X2\n",
     {{1, Why::kLetter}, {2, Why::kFeedNotSet}}},
    {"dwell without P", kGrbl, "G4\n", {{1, Why::kDwellWithoutP}}},
    {"negative dwell", kGrbl, "G4P-1\n", {{1, Why::kNegativeValue}}},
    {"negative spindle speed", kGrbl, "M3S-100\n", {{1, Why::kNegativeValue}}},
    {"arc without centre", kGrbl, "G0X0Y0\nG2X10Y0F100\n", {{2, Why::kArcNoOffsets}}},
    {"arc with the other plane's offset",
     kGrbl,
     "G0X0Y0\nG2X10Y0K5F100\n",
     {{2, Why::kArcNoOffsets}}},
    {"arc in the ZX plane off its circle",
     kGrbl,
     "G18\nG0X0Z0\nG2X10Z0K5F100\n",
     {{3, Why::kArcRadius}}},
    {"arc in the ZX plane by J", kGrbl, "G18\nG0X0Z0\nG2X10Z0J5F100\n", {{3, Why::kArcNoOffsets}}},
    {"arc with no end in its plane", kGrbl, "G0X0Y0\nG2Z1I5F100\n", {{2, Why::kArcNoPlaneAxis}}},
    {"full circle by centre alone", kGrbl, "G0X5Y0\nG2I-5F100\n", {{2, Why::kArcNoPlaneAxis}}},
    {"centre alone in arc mode",
     kGrbl,
     "G0X5Y0\nG2X5Y0I-5F100\nI-5\n",
     {{3, Why::kUnusedValueWord}}},
    {"G92 after G80", kGrbl, "G80\nG92X0\n", {{2, Why::kAxisWordsUnused}}},
    {"arc end 0.008 mm off a 5 mm circle",
     kGrbl,
     "G0X0Y0\nG2X10Y0I5.004F100\n",
     {{2, Why::kArcRadius}}},
    {"arc end 0.6 mm off a 500 mm circle",
     kGrbl,
     "G0X0Y0\nG2X1000Y0I500.3F100\n",
     {{2, Why::kArcRadius}}},
    {"arc from where an absolute move left",
     kGrbl,
     "G0X0Y0\nG2X15Y0I5F100\n",
     {{2, Why::kArcRadius}}},
    {"modal arc off its circle", kGrbl, "G0X0Y0\nG2X10Y0I5F100\nX0Y0I-4\n", {{3, Why::kArcRadius}}},
    {"inch arc 0.004 in off", kGrbl, "G20\nG0X0Y0\nG2X1Y0I0.504F10\n", {{3, Why::kArcRadius}}},
    {"R too small", kGrbl, "G0X0Y0\nG2X10Y0R4F100\n", {{2, Why::kArcRadius}}},
    {"R full circle", kGrbl, "G0X0Y0\nG1F100\nG2X0Y0R5\n", {{3, Why::kArcRadius}}},
    {"offset on a straight move", kGrbl, "G1X1I5F100\n", {{1, Why::kUnusedValueWord}}},
    {"P on a rapid", kGrbl, "G0X1P2\n", {{1, Why::kUnusedValueWord}}},
    {"axis words after G80", kGrbl, "G80\nX1\n", {{2, Why::kAxisWordsUnused}}},
    {"home and motion on one line", kGrbl, "G28G0X0\n", {{1, Why::kAxisConflict}}},
    {"G92 without axes", kGrbl, "G92\n", {{1, Why::kAxisWordsMissing}}},
    {"G53 with an arc", kGrbl, "G53G2X1Y1I1F100\n", {{1, Why::kG53Motion}}},
    {"letter without its number", kGrbl, "G0X\n", {{1, Why::kNotAWord}}},
    {"two decimal points", kGrbl, "G0X1.2.3\n", {{1, Why::kNotAWord}}},
    {"variables", kGrbl, "#1=5\n", {{1, Why::kNotAWord}}},
    {"cycle started without Z and R", kHal, "G0X0Y0Z5\nG81X1Y1F100\n", {{2, Why::kCycleWords}}},
    {"peck cycle without Q", kHal, "G0X0Y0Z5\nG83X1Y1Z-5R1F100\n", {{2, Why::kCycleWords}}},
    {"new cycle type without its words",
     kHal,
     "G0X0Y0Z5\nG81X1Y1Z-5R1F100\nG83X2Y2\n",
     {{3, Why::kCycleWords}}},
};

TEST(ControlAcceptance, RefusesExactlyWhatTheControlRefuses) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::vector<Refusal> refusals = GrblAccepts(c.program, c.flavour);
    Expected got;
    for (const Refusal& r : refusals) got.emplace_back(r.line, r.why);
    EXPECT_EQ(got, c.expected) << Describe(refusals);
  }
}

TEST(ControlAcceptance, ReasonsNameTheWordAndTheLimit) {
  const struct {
    Flavour flavour;
    std::string program;
    std::string reason;
  } cases[] = {
      {kGrbl, "M101\n", "M101 is not a code this control runs"},
      {kGrbl, "G98G81X1Y1Z-1R1F100\n", "G98 is not a code this control runs"},
      {kGrbl, "G38.2Z-5F10G91.1\n", ""},
      {kHal, "G38.6Z-5\n", "G38.6 is not a code this control runs"},
      {kGrbl, LineOf(90), "90 characters, over the 79 the control reads"},
      {kHal, "G83X1Y1Z-1R1F100\n", "G83 starts without Z and R and Q"},
      {kGrbl, "G0X0Y0\nG2X10Y0I5.004F100\n", "G2 ends 0.008 mm off its circle (radius 5.004 mm)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const auto refusals = GrblAccepts(c.program, c.flavour);
    if (c.reason.empty()) {
      EXPECT_TRUE(refusals.empty()) << Describe(refusals);
      continue;
    }
    ASSERT_EQ(refusals.size(), 1u) << Describe(refusals);
    EXPECT_EQ(refusals[0].reason, c.reason);
  }
}

}  // namespace
}  // namespace kelvora::acceptance
