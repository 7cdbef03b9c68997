// The reader's words and modal rules: each case a small program and the exact
// moves, events and notices it must give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "motion/reader_state.h"
#include "motion/recording_sink.h"

namespace kelvora::motion {
namespace {

using Lines = std::vector<std::string>;

struct Case {
  const char* name;
  const char* program;
  Lines moves;
  Lines events;
  Lines notices;
};

const Case kCases[] = {
    {"straight moves, modal motion and feed",
     "G0 X10 Y20\nG1 Z-1 F100\nX5\nG0 Z5\n",
     {"G0 10,20,0,0 @1", "G1 10,20,-1,0 F100 @2", "G1 5,20,-1,0 F100 @3", "G0 5,20,5,0 @4"},
     {},
     {}},
    {"a feed move before any F still moves, with feed 0", "G1 X1\n", {"G1 1,0,0,0 F0 @1"}, {}, {}},
    {"a motion code alone moves to where the tool is",
     "G0 X1\nG1\n",
     {"G0 1,0,0,0 @1", "G1 1,0,0,0 F0 @2"},
     {},
     {}},
    {"inches are converted, feed too; G21 goes back",
     "G20\nG0 X1 Y2\nG1 Z-0.5 F10\nG21\nX3\n",
     {"G0 25.4,50.8,0,0 @2", "G1 25.4,50.8,-12.7,0 F254 @3", "G1 3,50.8,-12.7,0 F10 @5"},
     {},
     {}},
    {"incremental distances, then absolute again",
     "G91\nG0 X1 Y-1\nX1 Z2\nG90 X5\n",
     {"G0 1,-1,0,0 @2", "G0 2,-1,2,0 @3", "G0 5,-1,2,0 @4"},
     {},
     {}},
    {"A stays in degrees; F is per degree when only A moves",
     "G1 A90 F360\nG20 G1 X1 A100 F10\n",
     {"G1 0,0,0,90 F360 @1", "G1 25.4,0,0,100 F254 @2"},
     {},
     {}},
    {"I/J from the start by default, absolute after G90.1, back after G91.1",
     "G0 X10\nG3 X0 Y10 I-10 F100\nG90.1 G2 X10 Y0 I0 J0\nG91.1 G3 X20 I5\n",
     {"G0 10,0,0,0 @1", "G3 0,10,0,0 C0,0 F100 @2", "G2 10,0,0,0 C0,0 F100 @3",
      "G3 20,0,0,0 C15,0 F100 @4"},
     {},
     {}},
    {"R arcs: the short way for R > 0, the long way for R < 0",
     "G2 X10 R10 F100\nG0 X0\nG2 X10 R-10\nG0 X0\nG3 X10 R10\nG0 X0\nG3 X10 R5\n",
     {"G2 10,0,0,0 C5,-8.6603 F100 @1", "G0 0,0,0,0 @2", "G2 10,0,0,0 C5,8.6603 F100 @3",
      "G0 0,0,0,0 @4", "G3 10,0,0,0 C5,8.6603 F100 @5", "G0 0,0,0,0 @6",
      "G3 10,0,0,0 C5,0 F100 @7"},
     {},
     {}},
    {"a full circle, a helix with turns, in inches",
     "G20 G0 X1\nG2 I-1 F5\nG3 I-1 Z-0.1 P3\n",
     {"G0 25.4,0,0,0 @1", "G2 25.4,0,0,0 C0,0 F127 @2", "G3 25.4,0,-2.54,0 C0,0 +2 F127 @3"},
     {},
     {}},
    {"comments, spaces inside words, lower case, N words, % and blank lines",
     "%\n(only a comment)\n\nn10 g 0 x 1 0 . 5 (move) y-.5 ; X99\nN20G1Z-1.F50\n%\n",
     {"G0 10.5,-0.5,0,0 @4", "G1 10.5,-0.5,-1,0 F50 @5"},
     {},
     {}},
    {"numbers of more than 15 digits, with and without blanks inside",
     "G0 X12.34567890123456789 Z-2600000000000000000000\n"
     "G0 Y - 1 2 . 5 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n",
     {"G0 12.3457,0,-2600000000000000000000,0 @1", "G0 12.3457,-12.5,-2600000000000000000000,0 @2"},
     {},
     {}},
    {"CR, LF and CR LF line ends count one line each",
     "G0 X1\rG0 X2\r\nG0 X3\n\r\nG0 X4",
     {"G0 1,0,0,0 @1", "G0 2,0,0,0 @2", "G0 3,0,0,0 @3", "G0 4,0,0,0 @5"},
     {},
     {}},
    {"spindle, tool, dwell, pause and end events; nothing after the end is read",
     "T2 M6\nS1200 M3\nG4 P1.5\nM4\nM5\nM0\nM1\nM30\nG0 X1\n",
     {},
     {"tool 2 @1", "M3 1200 @2", "dwell 1.5 @3", "M4 1200 @4", "M5 0 @5", "pause 0 @6",
      "pause 0 @7", "end 0 @8"},
     {}},
    {"coolant, G17, G40, G49 and zero B/C words are read without a trace",
     "G17 G40 G49 M8\nG1 X1 B0 C0 F10\nM9\nM2\n",
     {"G1 1,0,0,0 F10 @2"},
     {"end 0 @4"},
     {}},
    {"malformed numbers leave the word out and read the rest",
     "G1 X1.2.3 Y2 F10\nG0 X1,5 Y3\nG0 X Y4\nG0 Z--2\n",
     {"G1 0,2,0,0 F10 @1", "G0 0,3,0,0 @2", "G0 0,4,0,0 @3", "G0 0,4,0,0 @4"},
     {},
     {"malformed@1:X1.2.3", "malformed@2:X1,5", "malformed@3:X", "malformed@4:Z--2"}},
    {"a number with an exponent is malformed, named whole; E after a blank is a word",
     "G1 X1e3 Y2 F10\nG0 Y1E-2\nG0 Z1.5e+1X3\nG0 X4 e3\nG0 X5e\n",
     {"G1 0,2,0,0 F10 @1", "G0 0,2,0,0 @2", "G0 3,2,0,0 @3", "G0 4,2,0,0 @4", "G0 5,2,0,0 @5"},
     {},
     {"malformed@1:X1e3", "malformed@2:Y1E-2", "malformed@3:Z1.5e+1", "unknown@4:e3",
      "malformed@5:e"}},
    {"a feed, speed or tool below zero is refused and the last one stays",
     "G1 X1 F100\nX2 F-5\nS-1 T-2 M3\n",
     {"G1 1,0,0,0 F100 @1", "G1 2,0,0,0 F100 @2"},
     {"M3 0 @3"},
     {"malformed@2:F-5", "malformed@3:S-1", "malformed@3:T-2"}},
    {"unknown codes, letters, parameters and repeated words",
     "M200\nG54 G0 X1\n#1=5\nG0 X2 X3\nG0 G1 Y1\nG1 X1 R5 F10\nD2 X4\nG18\n",
     {"G0 1,0,0,0 @2", "G0 2,0,0,0 @4", "G0 2,1,0,0 @5", "G1 1,1,0,0 F10 @6", "G1 4,1,0,0 F10 @7"},
     {},
     {"unknown@1:M200", "unknown@2:G54", "unknown@3:#1=5", "unknown@4:X3", "unknown@5:G1",
      "unknown@6:R5", "unknown@7:D2", "unknown@8:G18"}},
    {"the host's macros M100-M199 are notices of their own, and the block goes on",
     "M100\nM199 G0 X1\nm101\n",
     {"G0 1,0,0,0 @2"},
     {},
     {"host@1:M100", "host@2:M199", "host@3:m101"}},
    {"codes with leading zeros, and codes that are not whole",
     "G01 X1 F5\nG1.5 M3.5\nG0001 G 0 X2\n",
     {"G1 1,0,0,0 F5 @1", "G1 2,0,0,0 F5 @3"},
     {},
     {"unknown@2:G1.5", "unknown@2:M3.5", "unknown@3:G 0"}},
    {"an unclosed comment ends its line",
     "G0 X1 (no end Y5\nG0 Y2\n",
     {"G0 1,0,0,0 @1", "G0 1,2,0,0 @2"},
     {},
     {"comment@1:(no end Y5"}},
    {"arcs that cannot be made do not move",
     "G2 X10 R4 F10\nG2 X0 Y0 R5\nG3 X1\nG2 X1 I0 J0\nG2 X10 I5 R5\nG2 X10 I5 P0\n",
     {},
     {},
     {"arc@1:R4", "arc@2:R5", "arc@3:G3", "arc@4:I0", "arc@5:R5", "arc@6:P0"}},
    {"axis words with no motion mode, and with G80",
     "X1\nG80 Y1\nG0 X2\n",
     {"G0 2,0,0,0 @3"},
     {},
     {"unknown@1:X1", "unknown@2:G80"}},
    {"B and C moves are beyond this machine model",
     "G0 X1 B5\n",
     {"G0 1,0,0,0 @1"},
     {},
     {"unknown@1:B5"}},
    {"G4 without P, and a P no code takes",
     "G4\nG1 X1 P2 F5\n",
     {"G1 1,0,0,0 F5 @2"},
     {},
     {"malformed@1:G4", "unknown@2:P2"}},
    {"G81: initial level, R, the hole, back to R (G99); modal holes; G80 ends it",
     "G0 Z10\nG81 X1 Y2 Z-3 R2 F50\nX4\nG80\nX5\n",
     {"G0 0,0,10,0 @1", "G0 1,2,10,0 @2*", "G0 1,2,2,0 @2*", "G1 1,2,-3,0 F50 @2*",
      "G0 1,2,2,0 @2*", "G0 4,2,2,0 @3*", "G1 4,2,-3,0 F50 @3*", "G0 4,2,2,0 @3*"},
     {},
     {"unknown@5:X5"}},
    {"G98 returns to the level the run began at; below R it rises to R first",
     "G0 Z1\nG98 G81 X1 Y1 Z-2 R5 F10\nX2\n",
     {"G0 0,0,1,0 @1", "G0 0,0,5,0 @2*", "G0 1,1,5,0 @2*", "G1 1,1,-2,0 F10 @2*", "G0 1,1,5,0 @2*",
      "G0 1,1,5,0 @3*", "G0 2,1,5,0 @3*", "G1 2,1,-2,0 F10 @3*", "G0 2,1,5,0 @3*"},
     {},
     {}},
    {"G82 dwells at the bottom; P stays for the next hole",
     "G0 Z3\nG82 X1 Z-2 R1 P0.5 F10\nX3\n",
     {"G0 0,0,3,0 @1", "G0 1,0,3,0 @2*", "G0 1,0,1,0 @2*", "G1 1,0,-2,0 F10 @2*", "G0 1,0,1,0 @2*",
      "G0 3,0,1,0 @3*", "G1 3,0,-2,0 F10 @3*", "G0 3,0,1,0 @3*"},
     {"dwell 0.5 @2", "dwell 0.5 @3"},
     {}},
    {"G83 retracts to R and comes back 0.254 above the last depth",
     "G0 Z3\nG83 X1 Z-2.5 R0 Q1 F10\n",
     {"G0 0,0,3,0 @1", "G0 1,0,3,0 @2*", "G0 1,0,0,0 @2*", "G1 1,0,-1,0 F10 @2*", "G0 1,0,0,0 @2*",
      "G0 1,0,-0.746,0 @2*", "G1 1,0,-2,0 F10 @2*", "G0 1,0,0,0 @2*", "G0 1,0,-1.746,0 @2*",
      "G1 1,0,-2.5,0 F10 @2*", "G0 1,0,0,0 @2*"},
     {},
     {}},
    {"G73 backs off 0.010 inch between pecks",
     "G20 G0 Z0.1\nG73 X1 Z-0.2 R0.1 Q0.2 F10\n",
     {"G0 0,0,2.54,0 @1", "G0 25.4,0,2.54,0 @2*", "G1 25.4,0,-2.54,0 F254 @2*",
      "G0 25.4,0,-2.286,0 @2*", "G1 25.4,0,-5.08,0 F254 @2*", "G0 25.4,0,2.54,0 @2*"},
     {},
     {}},
    {"G91 cycles: R from the initial level, Z from R, L holes by the increments",
     "G0 Z3\nG91 G98 G81 X1 Y2 Z-2 R-1 L2 F10\n",
     {"G0 0,0,3,0 @1", "G0 1,2,3,0 @2*", "G0 1,2,2,0 @2*", "G1 1,2,0,0 F10 @2*", "G0 1,2,3,0 @2*",
      "G0 2,4,3,0 @2*", "G0 2,4,2,0 @2*", "G1 2,4,0,0 F10 @2*", "G0 2,4,3,0 @2*"},
     {},
     {}},
    {"cycles without their words",
     "G0 Z5\nG81 X1 Y1 Z-1\nG81 X1 R1\nG83 X1 Z-1 R1\nG73 X1 Z-1 R1 Q0\nG82 X1 Z-1 R1\n"
     "G81 X1 Z2 R1\nG81 X1 Z-1 R1 L0\nG81 X1 Z-1 R1 A5\nG83 X1 Z-1 R1 Q1 P1 F5\n",
     {"G0 0,0,5,0 @1", "G0 1,0,5,0 @10*", "G0 1,0,1,0 @10*", "G1 1,0,0,0 F5 @10*",
      "G0 1,0,1,0 @10*", "G0 1,0,0.254,0 @10*", "G1 1,0,-1,0 F5 @10*", "G0 1,0,1,0 @10*"},
     {},
     {"cycle@2:G81", "cycle@3:G81", "cycle@4:G83", "cycle@5:Q0", "cycle@6:G82", "cycle@7:R1",
      "cycle@8:L0", "cycle@9:A5", "unknown@10:P1"}},
};

class ReaderWords : public ::testing::TestWithParam<Case> {};

TEST_P(ReaderWords, GivesExactlyTheseMovesEventsAndNotices) {
  const Case& c = GetParam();
  const auto sink = testing::Read(c.program);
  EXPECT_EQ(testing::DescribeAll(sink.moves), c.moves);
  EXPECT_EQ(testing::DescribeAll(sink.events), c.events);
  EXPECT_EQ(testing::DescribeAll(sink.notices), c.notices);
  // Moves chain: each starts where the one before ended.
  Position at;
  for (const Move& move : sink.moves) {
    EXPECT_EQ(move.start, at) << testing::Describe(move);
    at = move.end;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderWords, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           return "case" + std::to_string(param.index);
                         });

TEST(ReaderStartTest, TheFirstMoveStartsWhereTheMachineIs) {
  ReaderStart start;
  start.position = {1.0, 2.0, 30.0, 45.0};
  const auto sink = testing::Read("G91 G0 X1\n", start);
  ASSERT_EQ(sink.moves.size(), 1U);
  EXPECT_EQ(sink.moves[0].start, start.position);
  EXPECT_EQ(testing::Describe(sink.moves[0]), "G0 2,2,30,45 @1");
}

// Damaged repeat counts spread over many blocks: each block alone is within
// what one program's cycles may make, together they are not. The reader makes
// the cycles while the budget lasts, then refuses the rest, and ends.
TEST(ReaderCycleBudgetTest, ManyLargeRepeatsStopAtTheProgramsBudget) {
  class Counting final : public MotionSink {
   public:
    void OnMove(const Move& move) override { feeds += move.kind == MoveKind::kFeed ? 1 : 0; }
    void OnEvent(const Event&) override {}
    void OnNotice(const Notice& notice) override { notices.push_back(testing::Describe(notice)); }
    long feeds = 0;
    std::vector<std::string> notices;
  } sink;
  // A G81 hole counts as 5 moves, so each block is a fifth of the budget and a hole.
  const long holes = static_cast<long>(kMaxCycleMoves / 5.0 / 5.0) + 1;
  std::string program = "G0 Z5\nG91 G81 X0.001 Z-1 R-1 F10 L" + std::to_string(holes) + "\n";
  for (int block = 0; block < 6; ++block) program += "X0.001 L" + std::to_string(holes) + "\n";
  ReadProgram(program, sink);
  // Four blocks fit; the fifth and every later one are refused, each named.
  EXPECT_EQ(sink.feeds, 4 * holes);
  EXPECT_EQ(sink.notices,
            (std::vector<std::string>{"cycle@6:X0.001", "cycle@7:X0.001", "cycle@8:X0.001"}));
}

}  // namespace
}  // namespace kelvora::motion
