#include "settings/control_output.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kelvora::settings {
namespace {

using text::Dialect;

struct Case {
  const char* name;
  Dialect dialect;
  JobInputs job;
  std::map<std::string, std::string, std::less<>> boxes;  // the job's typed texts
  std::string program;
  std::string expected;  // the program made for the control, or "" when refused
  std::string message;   // the refusal's message and detail, one line each
};

const Case kCases[] = {
    {"the host's program passes through, whatever it holds",
     Dialect::kHost,
     JobInputs::kCircle,
     {},
     "%\r\nG83X1Z-2R1Q1\r\nM101\r\nA5 E3",
     "%\r\nG83X1Z-2R1Q1\r\nM101\r\nA5 E3",
     ""},
    {"LinuxCNC: G91.1 first, M30 after the end script",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {{"DxfEndScript", "M101"}},
     "G0Z5\r\nG2X1Y0I0.5J0F100\r\nM101\r\n",
     "G91.1\r\nG0Z5\r\nG2X1Y0I0.5J0F100\r\nM101\r\nM30\r\n",
     ""},
    {"LinuxCNC: an end script without its line end still gets M30 on a line of its own",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0Z5\r\nM5",
     "G91.1\r\nG0Z5\r\nM5\r\nM30\r\n",
     ""},
    {"LinuxCNC: a program that ends itself gets no second M30",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "G90\r\nG81X1Y1Z-2R1F50\r\nG80\r\nM5\r\nM30\r\n",
     "G91.1\r\nG90\r\nG81X1Y1Z-2R1F50\r\nG80\r\nM5\r\nM30\r\n",
     ""},
    {"LinuxCNC: between the percent signs, M30 before the closing one",
     Dialect::kLinuxCnc,
     JobInputs::kThread,
     {},
     "%\r\n(Thread)\r\nG0X1A0\r\n%\r\n",
     "%\r\nG91.1\r\n(Thread)\r\nG0X1A0\r\nM30\r\n%\r\n",
     ""},
    {"LinuxCNC: user M-codes and parameters are the control's own",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "M150\r\n#1=[2*3]\r\nM30\r\n",
     "G91.1\r\nM150\r\n#1=[2*3]\r\nM30\r\n",
     ""},
    {"LinuxCNC: a letter it has no word for",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "G0X1\r\nE5\r\n",
     "",
     "LinuxCNC does not read E5\nProgram line 2: E5"},
    {"GRBL: percent lines left out, M30 added",
     Dialect::kGrbl,
     JobInputs::kSurface,
     {},
     "%\r\nG0Z5\r\nG1X10F100\r\n%\r\n",
     "G0Z5\r\nG1X10F100\r\nM30\r\n",
     ""},
    {"GRBL: the operator's M-code named with its box and line",
     Dialect::kGrbl,
     JobInputs::kCircle,
     {{"CirSpOpStr", "M8\r\nM101"}},
     "G0X1Y1\r\nG1Z-2F100\r\nM8\r\nM101\r\nG0Z5\r\nM30\r\n",
     "",
     "GRBL does not read M101\nIn the special operation text (CirSpOpStr), line 2: M101"},
    {"GRBL: a tool change",
     Dialect::kGrbl,
     JobInputs::kPoints,
     {{"AnyEndScript", "T2 M6"}},
     "G0Z5\r\nT2 M6\r\n",
     "",
     "GRBL does not read M6\nIn the closing text of the drilling program (AnyEndScript), line 1: "
     "T2 M6"},
    {"GRBL: the cut lists' end script is the router tab's",
     Dialect::kGrbl,
     JobInputs::kCuts,
     {{"DxfEndScript", "M5\r\nM101"}},
     "G0Z5\r\nM5\r\nM101",
     "",
     "GRBL does not read M101\nIn the end script appended after the program (DxfEndScript), line "
     "2: "
     "M101"},
    {"GRBL: a canned cycle the job should have written as moves",
     Dialect::kGrbl,
     JobInputs::kGrid,
     {},
     "G90\r\nG98G83X1Y1Z-5R1Q1F100\r\n",
     "",
     "GRBL does not read G98\nProgram line 2: G98G83X1Y1Z-5R1Q1F100"},
    {"GRBL: the A axis",
     Dialect::kGrbl,
     JobInputs::kThread,
     {},
     "%\r\nG90 G21\r\nG0X17.000Z2 A0\r\n",
     "",
     "This control has no A axis\nThe thread program turns A. Program line 3: G0X17.000Z2 A0"},
    {"GRBL: 79 characters are read, 80 are not",
     Dialect::kGrbl,
     JobInputs::kTeach,
     {},
     "G1X" + std::string(76, '1') + "\r\nG1Y" + std::string(77, '1') + "\r\n",
     "",
     "GRBL reads at most 79 characters a line\nProgram line 2: G1Y" + std::string(77, '1') +
         " (80 characters)"},
    {"GRBL: a word whose number does not read",
     Dialect::kGrbl,
     JobInputs::kTeach,
     {},
     "G0X1.2.3\r\n",
     "",
     "GRBL does not read X1.2.3\nProgram line 1: G0X1.2.3"},
    {"GRBL: comments and blanks inside words are read as the control reads them",
     Dialect::kGrbl,
     JobInputs::kTeach,
     {},
     "(start) G 1 X 1 0 . 5 F100 ; note\r\nM30\r\n",
     "(start) G 1 X 1 0 . 5 F100 ; note\r\nM30\r\n",
     ""},
    {"grblHAL: cycles, tool changes and A are its own; user M-codes are not",
     Dialect::kGrblHal,
     JobInputs::kTeach,
     {{"tchOp1", "M101"}},
     "G98G83X1Y1Z-5R1Q1F100\r\nG80\r\nT1M6\r\nG0A90\r\nM101\r\n",
     "",
     "grblHAL does not read M101\nProgram line 5: M101"},
    {"grblHAL: percent lines left out",
     Dialect::kGrblHal,
     JobInputs::kThread,
     {},
     "%\r\nG0A90\r\nM30\r\n%\r\n",
     "G0A90\r\nM30\r\n",
     ""},
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class ForControlTest : public ::testing::TestWithParam<Case> {};

TEST_P(ForControlTest, MakesTheProgramOrRefusesIt) {
  const Case& c = GetParam();
  const generators::TextLookup texts = [&c](std::string_view key) {
    const auto it = c.boxes.find(key);
    return it == c.boxes.end() ? std::string() : it->second;
  };
  const Outcome<std::string> made = ForControl(c.program, c.dialect, c.job, texts);
  if (c.message.empty()) {
    ASSERT_TRUE(made) << made.failure().message << "\n" << made.failure().detail;
    EXPECT_EQ(*made, c.expected);
  } else {
    ASSERT_FALSE(made) << *made;
    EXPECT_EQ(made.failure().message + "\n" + made.failure().detail, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ForControlTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           return "case" + std::to_string(param.index);
                         });

}  // namespace
}  // namespace kelvora::settings
