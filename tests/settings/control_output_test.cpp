#include "settings/control_output.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kelvora::settings {
namespace {

using text::Dialect;

// The lines every program for these controls opens with.
const std::string kGrblOpening = "G21G90G94G17G40G49G80\r\n";
const std::string kLinuxCncOpening = kGrblOpening + "G91.1\r\n";

struct Case {
  const char* name;
  Dialect dialect;
  JobInputs job;
  std::map<std::string, std::string, std::less<>> boxes;  // the job's typed texts
  std::string program;
  std::string expected;  // the program made for the control, or "" when refused
  std::string message;   // the refusal's message and detail, one line each
  bool hostStatesModes = false;
};

// A LinuxCNC program's refusal: the message, then the program line it names.
std::string LinuxCncRefuses(const std::string& what, int line, const std::string& text) {
  return "LinuxCNC refuses " + what + "\nProgram line " + std::to_string(line) + ": " + text;
}

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
     kLinuxCncOpening + "G0Z5\r\nG2X1Y0I0.5J0F100\r\nM101\r\nM30\r\n",
     ""},
    {"LinuxCNC: an end script without its line end still gets M30 on a line of its own",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0Z5\r\nM5",
     kLinuxCncOpening + "G0Z5\r\nM5\r\nM30\r\n",
     ""},
    {"LinuxCNC: a program that ends itself gets no second M30",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "G90\r\nG81X1Y1Z-2R1F50\r\nG80\r\nM5\r\nM30\r\n",
     kLinuxCncOpening + "G90\r\nG81X1Y1Z-2R1F50\r\nG80\r\nM5\r\nM30\r\n",
     ""},
    {"LinuxCNC: between the percent signs, M30 before the closing one",
     Dialect::kLinuxCnc,
     JobInputs::kThread,
     {},
     "%\r\n(Thread)\r\nG0X1A0\r\n%\r\n",
     "%\r\n" + kLinuxCncOpening + "(Thread)\r\nG0X1A0\r\nM30\r\n%\r\n",
     ""},
    {"LinuxCNC: user M-codes and parameters are the control's own",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "M150\r\n#1=[2*3]\r\nM30\r\n",
     kLinuxCncOpening + "M150\r\n#1=[2*3]\r\nM30\r\n",
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
     kGrblOpening + "G0Z5\r\nG1X10F100\r\nM30\r\n",
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
     "G0X" + std::string(76, '1') + "\r\nG0Y" + std::string(77, '1') + "\r\n",
     "",
     "GRBL reads at most 79 characters a line\nProgram line 2: G0Y" + std::string(77, '1') +
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
     kGrblOpening + "(start) G 1 X 1 0 . 5 F100 ; note\r\nM30\r\n",
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
     kGrblOpening + "G0A90\r\nM30\r\n",
     ""},
    // The host's programs state their modes only when the machine's settings ask.
    {"the host with its modes stated: the opening after the first %, nothing refused",
     Dialect::kHost,
     JobInputs::kCircle,
     {},
     "%\r\nG83X1Z-2R1Q1\r\nM101\r\nG1X1F0",
     "%\r\n" + kGrblOpening + "G83X1Z-2R1Q1\r\nM101\r\nG1X1F0",
     "",
     true},
    {"the job's own modes come after the opening and win: G91 arcs are checked as increments",
     Dialect::kGrbl,
     JobInputs::kTeach,
     {},
     "G91G21\r\nG2X10Y0I5J0F100\r\nM30\r\n",
     kGrblOpening + "G91G21\r\nG2X10Y0I5J0F100\r\nM30\r\n",
     ""},
    // Feed moves need a feed rate: on the line or in force from an earlier one.
    {"LinuxCNC: F0",
     Dialect::kLinuxCnc,
     JobInputs::kSurface,
     {},
     "G0X0Y0\r\nG1X1F0\r\n",
     "",
     LinuxCncRefuses("a feed move without a feed rate (F 0, or none set)", 2, "G1X1F0")},
    {"LinuxCNC: no feed rate set yet, even with no axis word",
     Dialect::kLinuxCnc,
     JobInputs::kSurface,
     {},
     "G0X0Y0\r\nG1\r\n",
     "",
     LinuxCncRefuses("a feed move without a feed rate (F 0, or none set)", 2, "G1")},
    {"GRBL: a feed rate carries to the next lines, cycles need one too",
     Dialect::kGrblHal,
     JobInputs::kGrid,
     {},
     "G1X1F100\r\nG1X2\r\nG0Z5\r\nG1Z1F0\r\n",
     "",
     "grblHAL refuses a feed move without a feed rate (F 0, or none set)\nProgram line 4: G1Z1F0"},
    {"grblHAL: a drilling cycle with F0",
     Dialect::kGrblHal,
     JobInputs::kGrid,
     {},
     "G0X0Y0Z5\r\nG99G81X1Y1Z-2R1F0\r\n",
     "",
     "grblHAL refuses a feed move without a feed rate (F 0, or none set)\nProgram line 2: "
     "G99G81X1Y1Z-2R1F0"},
    // Arcs: zero radius, and an end off its circle beyond each control's tolerance.
    {"LinuxCNC: an arc of zero radius",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0X0Y0\r\nG2X0Y0I0J0F100\r\n",
     "",
     LinuxCncRefuses("an arc of zero radius (0 mm)", 2, "G2X0Y0I0J0F100")},
    {"LinuxCNC: the 0.001 mm arc three decimals can write is a zero radius to it",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0X5Y5\r\nG3X5.001Y5I0.001J0F100\r\n",
     "",
     LinuxCncRefuses("an arc of zero radius (0.001 mm)", 2, "G3X5.001Y5I0.001J0F100")},
    {"LinuxCNC: R0",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0X0Y0\r\nG2X1Y0R0F100\r\n",
     "",
     LinuxCncRefuses("an arc of zero radius (R0)", 2, "G2X1Y0R0F100")},
    {"LinuxCNC: an end 0.06 mm off its circle",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0X0Y0\r\nG2X10Y0I5.03J0F100\r\n",
     "",
     LinuxCncRefuses("an arc whose end is 0.06 mm off its circle (radius 5.03 mm)", 2,
                     "G2X10Y0I5.03J0F100")},
    {"LinuxCNC: 0.02 mm off its circle is within its tolerance",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G0X0Y0\r\nG2X10Y0I5.01J0F100\r\nM30\r\n",
     kLinuxCncOpening + "G0X0Y0\r\nG2X10Y0I5.01J0F100\r\nM30\r\n",
     ""},
    {"GRBL: 0.02 mm off its circle is not",
     Dialect::kGrbl,
     JobInputs::kContour,
     {},
     "G0X0Y0\r\nG2X10Y0I5.01J0F100\r\n",
     "",
     "GRBL refuses an arc whose end is 0.02 mm off its circle (radius 5.01 mm)\nProgram line 2: "
     "G2X10Y0I5.01J0F100"},
    {"LinuxCNC: in inches the same numbers are 25.4 times as far off",
     Dialect::kLinuxCnc,
     JobInputs::kContour,
     {},
     "G20\r\nG0X0Y0\r\nG2X1Y0I0.5015J0F10\r\n",
     "",
     LinuxCncRefuses("an arc whose end is 0.0762 mm off its circle (radius 12.74 mm)", 3,
                     "G2X1Y0I0.5015J0F10")},
    {"GRBL: axis words with no motion in force after the opening's G80",
     Dialect::kGrbl,
     JobInputs::kTeach,
     {},
     "X1Y1\r\n",
     "",
     "GRBL refuses axis words with no motion in force (G80)\nProgram line 1: X1Y1"},
    {"LinuxCNC: 251 characters are read, 252 are not",
     Dialect::kLinuxCnc,
     JobInputs::kTeach,
     {},
     "G0X" + std::string(248, '1') + "\r\nG0Y" + std::string(249, '1') + "\r\n",
     "",
     "LinuxCNC reads at most 251 characters a line\nProgram line 2: G0Y" + std::string(249, '1') +
         " (252 characters)"},
    // Real-time bytes of the serial controls.
    {"GRBL: a Vietnamese special operation text, comment and all",
     Dialect::kGrbl,
     JobInputs::kCircle,
     {{"CirSpOpStr", "(Khoan lỗ Ø6 – đáy)"}},
     "G0X1Y1\r\n(Khoan lỗ Ø6 – đáy)\r\nM30\r\n",
     "",
     "GRBL takes every byte 0x80-0xFF and every control character as a real-time command, "
     "comments included\nIn the special operation text (CirSpOpStr), line 1: (Khoan lỗ Ø6 – đáy) "
     "(byte 0xE1)"},
    {"grblHAL: a feed hold",
     Dialect::kGrblHal,
     JobInputs::kCircle,
     {},
     "G0X1 !\r\n",
     "",
     "grblHAL takes ! as a real-time command\nProgram line 1: G0X1 !"},
    {"LinuxCNC reads the same comment as a comment",
     Dialect::kLinuxCnc,
     JobInputs::kCircle,
     {},
     "(Khoan lỗ Ø6 – đáy)\r\nM30\r\n",
     kLinuxCncOpening + "(Khoan lỗ Ø6 – đáy)\r\nM30\r\n",
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
  const Outcome<std::string> made =
      ForControl(c.program, c.dialect, c.job, texts, c.hostStatesModes);
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
