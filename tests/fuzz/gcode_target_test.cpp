// The reader's fuzz properties themselves: they must catch what they are for.
#include <gtest/gtest.h>

#include "harness.h"

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

}  // namespace
}  // namespace kelvora::fuzz
