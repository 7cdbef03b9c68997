#include "program_sanity.h"

#include <gtest/gtest.h>

namespace kelvora::dialog::testing {
namespace {

// The sweep's check must refuse what no controller could read, and take what
// our programs and the operator's blocks look like.
TEST(ProgramSanity, RefusesUnreadableWordsAndTakesOurLayouts) {
  const ProgramRules blocks{{"M3 (spindle)\r\nM8", "END"}, {}, {}};
  // The thread's axis and spindle boxes, one of them empty.
  const ProgramRules thread{{}, {"NaN", "", "1e9"}, {"1e9", ""}};
  const ProgramRules dashAxis{{}, {"-"}, {"5", "--5"}};
  const struct {
    const char* program;
    bool sound;
    const ProgramRules* rules = nullptr;  // the blocks' rules unless given
  } cases[] = {
      {"G0X10Y-2.5\r\nM30\r\n", true},
      {"%\r\n(Thread M6)\r\nG1 X1.000 Z-2.000 F200\r\n\r\n%\r\n", true},
      {"M3 (spindle)\r\nM8\r\nG0X1\r\nEND", true},  // the operator's blocks, the end script last
      {"G0Z--2\r\n", false},
      {"G0XNaN\r\n", false},
      {"G1Xinf\r\n", false},
      {"G0X\r\n", false},       // a letter without its number
      {"G0X1.\r\n", false},     // a point without digits
      {"G0X1e+20\r\n", false},  // an exponent
      {"G0X1\r\nG0X2", false},  // the last line without its end
      {"G0X1\nG0X2\r\n", false},
      {"g0x1\r\n", false},
      {"G0  X1\r\n", false},
      {"END G0X1\r\n", false},  // a block only counts as a whole line
      // The operator's axis and spindle texts, as typed.
      {"G0 NaN17.000 Z2\r\nG1 17.000\r\nM3S1e9\r\nM3S\r\n", true, &thread},
      {"G0 NaN17.000 Z--2\r\n", false, &thread},  // "--" that no operator's text brings
      {"G0XY1\r\n", false, &thread},              // an empty spindle text only at the end
      {"G0X1 Xinf\r\n", false, &thread},
      // An axis text of digits right after a number, and a "-" axis before a
      // negative number: the operator's, as typed.
      {"G0X17.0001e92 A0\r\nG1 NaN-22.5\r\n", true, &thread},
      {"G1 --22.5\r\nM3S--5\r\n", true, &dashAxis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!CheckProgram(c.program, c.rules ? *c.rules : blocks).has_value(), c.sound)
        << c.program;
  }
}

}  // namespace
}  // namespace kelvora::dialog::testing
