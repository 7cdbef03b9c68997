// The reader's fuzz properties themselves: they must catch what they are for.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "harness.h"
#include "motion/gcode_reader.h"

namespace kelvora::fuzz {
namespace {

TEST(GcodeTarget, AJobProgramWithAWordTheReaderDoesNotTakeIsCaught) {
  EXPECT_EQ(CheckProgramReads("G90\r\nG0X1Y2\r\nG1Z-1F100\r\nM30\r\n"), std::nullopt);
  const auto unknown = CheckProgramReads("G90\r\nG54\r\nM30\r\n");
  ASSERT_TRUE(unknown);
  EXPECT_NE(unknown->find("line 2: \"G54\""), std::string::npos) << *unknown;
  // The host's own macros read: the report notes them.
  EXPECT_EQ(CheckProgramReads("G90\r\nM101\r\nM30\r\n"), std::nullopt);
  const auto malformed = CheckProgramReads("G90\r\nG1Z--2F100\r\n");
  ASSERT_TRUE(malformed);
  EXPECT_NE(malformed->find("\"Z--2\""), std::string::npos) << *malformed;
  // A negative spindle speed or feed from the job's inputs reads as a word; the
  // control refuses its value, and the report shows that.
  EXPECT_EQ(CheckProgramReads("G90\r\nM3S-1.0\r\nG1Z-1F-100\r\nM30\r\n"), std::nullopt);
}

TEST(GcodeTarget, DamagedInputReadsToTheEndWithFiniteMoves) {
  const char* inputs[] = {
      "",
      "G0 X1e999\n",
      "G91 G0 X99999999999999999999999999999999999999999999999999999999999999999999999999\nX"
      "99999999999999999999999999999999999999999999999999999999999999999999999999999999\n",
      "G83 X1 Z-99999999 R0 Q0.000001 F1\n",
      "G91 G81 X1 Z-1 R1 L99999999 F1\n",
      "G2 X1 I0.0000001\n(\n\r\r\n%%%\n",
  };
  for (const char* input : inputs) EXPECT_EQ(FuzzGcode(input), std::nullopt) << input;
}

// Counts the moves of a reading and stops it (by throwing) past `limit`, so a
// reading that would not end fails here instead of hanging.
class CountingSink final : public motion::MotionSink {
 public:
  explicit CountingSink(std::uint64_t limit) : limit_(limit) {}
  void OnMove(const motion::Move&) override {
    if (++moves > limit_) throw std::runtime_error("too many moves");
  }
  void OnEvent(const motion::Event&) override {}
  void OnNotice(const motion::Notice&) override {}
  std::uint64_t moves = 0;

 private:
  std::uint64_t limit_;
};

// A peck far from zero that is smaller than the spacing of the numbers there
// leaves the depth where it was: the pecks are bounded by the count the block
// was budgeted for (100 here, 3 moves each), not by the depth reaching the
// bottom, so the reading ends.
TEST(GcodeTarget, APeckLostInTheNumbersPrecisionEnds) {
  const struct {
    const char* cycle;
    std::uint64_t moves;  // the most a hole may take: rapids in and out, 3 a peck
  } cases[] = {
      {"G83", 5 + 3 * 101},
      {"G73", 5 + 2 * 101},
  };
  for (const auto& c : cases) {
    const std::string program = std::string("G90 G0 Z100000000000000000\nG98 ") + c.cycle +
                                " X1 Y1 Z99999999999999900 R100000000000000000 Q1 F100\nM30\n";
    CountingSink sink(1'000'000);
    EXPECT_NO_THROW(motion::ReadProgram(program, sink)) << c.cycle;
    EXPECT_LE(sink.moves, 1 + c.moves) << c.cycle;
    EXPECT_GT(sink.moves, 3u) << c.cycle;  // the hole is still drilled
  }
}

}  // namespace
}  // namespace kelvora::fuzz
