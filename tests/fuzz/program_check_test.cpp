#include "program_check.h"

#include <gtest/gtest.h>

namespace kelvora::fuzz {
namespace {

ProgramRules Plain() {
  ProgramRules r;
  r.maxLines = 100;
  return r;
}

TEST(ProgramCheck, AcceptsProgramsMadeOfWordsAndTheOperatorsBlocks) {
  ProgramRules withBlocks = Plain();
  withBlocks.userBlocks = {"M8 (coolant)", "free\ntext\n", "M30"};
  ProgramRules thread = Plain();
  thread.threadLayout = true;
  ProgramRules axes = thread;
  axes.letterTexts = {"U 1", ""};
  // Axis texts that overlap: the longer one ends in a minus sign.
  ProgramRules overlapping = thread;
  overlapping.letterTexts = {"12.5", "12.5-"};
  const struct {
    const char* program;
    const ProgramRules& rules;
  } cases[] = {
      {"G90\r\nM3S1000.0\r\nG0Z3\r\nG1Z-2F100\r\nG0X-1.5Y0.25\r\n", Plain()},
      {"", Plain()},
      {"G90\r\n\r\nM30\r\n", Plain()},
      {"G1Z-5F100\r\nM8 (coolant)\r\nG0Z3\r\n", withBlocks},
      {"G1Z-5F100\r\nfree\ntext\nG0Z3\r\nM30", withBlocks},
      {"%\r\n(Thread Generation)\r\nG90 G21\r\n\r\nG0X17.000Z2 A0\r\n", thread},
      {"G1 U 114.000 F200\r\nG1 -22.500 A1620.000 F200.0\r\n", axes},
      {"G1 12.5--30.000 A230.400 F12.5\r\n", overlapping},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckProgram(c.program, c.rules), std::nullopt) << c.program;
  }
}

TEST(ProgramCheck, RefusesWhatNoControllerReads) {
  ProgramRules withBlocks = Plain();
  withBlocks.userBlocks = {"G"};
  ProgramRules thread = Plain();
  thread.threadLayout = true;
  const struct {
    const char* program;
    const ProgramRules& rules;
    const char* why;
  } cases[] = {
      {"G1Z--2F100\r\n", Plain(), "--"},
      {"G0XNaN\r\n", Plain(), "not finite"},
      {"G0X-Infinity\r\n", Plain(), "not finite"},
      {"G0X1e+20\r\n", Plain(), "not made of words"},
      {"G0X1.\r\n", Plain(), "not made of words"},
      {"G0X-\r\n", Plain(), "not made of words"},
      {"G0 X1\r\n", Plain(), "not made of words"},
      {"g0x1\r\n", Plain(), "not made of words"},
      {"G0X1\nG0X2\r\n", Plain(), "lone line break"},
      {"G0X1\r\nG0X2", Plain(), "no line end"},
      {"G0X1\r\nG0Z\r\n", withBlocks, "not made of words"},
      {"G1  X1\r\n", thread, "not made of words"},
      {"G1 X1 \r\n", thread, "not made of words"},
      {"G1 Xnan\r\n", thread, "not finite"},
  };
  for (const auto& c : cases) {
    const auto verdict = CheckProgram(c.program, c.rules);
    ASSERT_NE(verdict, std::nullopt) << c.program;
    EXPECT_NE(verdict->find(c.why), std::string::npos) << *verdict;
  }
}

// What the dialog's sweep gives the check: the thread layout, the operator's
// blocks, and the thread page's axis and spindle texts as letter and value texts.
TEST(ProgramCheck, TakesTheOperatorsTextsWhereLettersAndNumbersStand) {
  ProgramRules blocks = Plain();
  blocks.threadLayout = true;
  blocks.userBlocks = {"M3 (spindle)\r\nM8", "END"};
  // The thread's axis and spindle boxes, one of them empty.
  ProgramRules thread = Plain();
  thread.threadLayout = true;
  thread.letterTexts = {"NaN", "", "1e9"};
  thread.valueTexts = {"1e9", ""};
  ProgramRules dashAxis = Plain();
  dashAxis.threadLayout = true;
  dashAxis.letterTexts = {"-"};
  dashAxis.valueTexts = {"5", "--5"};
  const struct {
    const char* program;
    bool sound;
    const ProgramRules& rules;
  } cases[] = {
      {"G0X10Y-2.5\r\nM30\r\n", true, blocks},
      {"%\r\n(Thread M6)\r\nG1 X1.000 Z-2.000 F200\r\n\r\n%\r\n", true, blocks},
      {"M3 (spindle)\r\nM8\r\nG0X1\r\nEND", true, blocks},  // the end script last
      {"G0Z--2\r\n", false, blocks},
      {"G0XNaN\r\n", false, blocks},
      {"G1Xinf\r\n", false, blocks},
      {"G0X\r\n", false, blocks},       // a letter without its number
      {"G0X1.\r\n", false, blocks},     // a point without digits
      {"G0X1e+20\r\n", false, blocks},  // an exponent
      {"G0X1\r\nG0X2", false, blocks},  // the last line without its end
      {"G0X1\nG0X2\r\n", false, blocks},
      {"g0x1\r\n", false, blocks},
      {"G0  X1\r\n", false, blocks},
      {"END G0X1\r\n", false, blocks},  // a block only counts as a whole line
      // The operator's axis and spindle texts, as typed.
      {"G0 NaN17.000 Z2\r\nG1 17.000\r\nM3S1e9\r\nM3S\r\n", true, thread},
      {"G0 NaN17.000 Z--2\r\n", false, thread},  // "--" that no operator's text brings
      {"G0XY1\r\n", false, thread},              // an empty spindle text only at the end
      {"G0X1 Xinf\r\n", false, thread},
      // An axis text of digits right after a number, and a "-" axis before a
      // negative number: the operator's, as typed.
      {"G0X17.0001e92 A0\r\nG1 NaN-22.5\r\n", true, thread},
      {"G1 --22.5\r\nM3S--5\r\n", true, dashAxis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!CheckProgram(c.program, c.rules).has_value(), c.sound) << c.program;
  }
}

TEST(ProgramCheck, CountsTheLinesAgainstTheLimit) {
  ProgramRules rules = Plain();
  rules.maxLines = 2;
  EXPECT_EQ(CheckProgram("G90\r\nM30\r\n", rules), std::nullopt);
  EXPECT_NE(CheckProgram("G90\r\nM5\r\nM30\r\n", rules), std::nullopt);
}

TEST(ProgramCheck, PlainNumbers) {
  for (const char* good : {"0", "12", "-1.5", "0.001", "100000000000000000000"}) {
    EXPECT_TRUE(IsPlainNumber(good)) << good;
  }
  for (const char* bad : {"", "-", "-0", "-0.000", "1e5", "1E-05", ".5", "1.", "NaN", "Infinity",
                          "1,5", " 1", "--1"}) {
    EXPECT_FALSE(IsPlainNumber(bad)) << bad;
  }
}

}  // namespace
}  // namespace kelvora::fuzz
