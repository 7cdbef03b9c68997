// The report of a program read for each control: the words and lines the
// control does not read, with their lines, and the host's dwell unit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "motion/report.h"
#include "motion/report_text.h"
#include "text/gcode_dialect.h"

namespace kelvora::motion {
namespace {

using text::Dialect;

// (line, kind, detail) of each finding, to compare lists at a glance.
using Found = std::vector<std::tuple<std::uint32_t, FindingKind, std::string>>;

Found FindingsOf(const Report& report) {
  Found found;
  for (const Finding& f : report.findings) found.emplace_back(f.line, f.kind, f.detail);
  return found;
}

Machine ForControl(Dialect dialect) {
  Machine machine;
  machine.dialect = dialect;
  return machine;
}

// A rapid and a comment filling the line to `length` characters.
std::string LineOf(std::size_t length) {
  std::string line = "G0X1(";
  line.append(length - line.size() - 1, 'c');
  return line + ")";
}

constexpr FindingKind kForeign = FindingKind::kForeignWord;
constexpr FindingKind kLong = FindingKind::kLongLine;

struct DialectCase {
  const char* name;
  Dialect dialect;
  std::string program;
  Found expected;
};

TEST(ReportDialect, EachControlsRefusalsWithTheirLines) {
  const std::string g83 = "M3\nG0Z5\nG83X0Y0Z-3R1Q1F100\nG80\n";
  const std::string macro = "M3\nM101\n";
  const std::string line81 = LineOf(81) + "\n";
  const std::string line80 = LineOf(80) + "\n";
  const std::string line79 = LineOf(79) + "\n";
  const std::string percents = "%\nG0X1\n%\n";
  const DialectCase cases[] = {
      // GRBL: no canned cycles, no user M-codes, no A, no M6, 79 characters.
      {"GRBL: a canned cycle", Dialect::kGrbl, g83, {{3, kForeign, "G83"}}},
      {"GRBL: a user M-code, no host note", Dialect::kGrbl, macro, {{2, kForeign, "M101"}}},
      {"GRBL: an A word", Dialect::kGrbl, "G0A5\n", {{1, kForeign, "A5"}}},
      {"GRBL: a tool change", Dialect::kGrbl, "T2M6\n", {{1, kForeign, "M6"}}},
      {"GRBL: 80 characters", Dialect::kGrbl, line80, {{1, kLong, "80 > 79"}}},
      {"GRBL: 79 characters", Dialect::kGrbl, line79, {}},
      {"GRBL: 79 characters and CR LF", Dialect::kGrbl, LineOf(79) + "\r\nG0X2", {}},
      {"GRBL: no % delimiters", Dialect::kGrbl, percents, {{1, kForeign, "%"}, {3, kForeign, "%"}}},
      // One finding a line, and the reader's own notices on those words left out.
      {"GRBL: several on one line", Dialect::kGrbl, "G0A5B3E1\n", {{1, kForeign, "A5"}}},
      // A word GRBL reads and the reader does not model stays the reader's.
      {"GRBL: G54 is the reader's",
       Dialect::kGrbl,
       "G54\n",
       {{1, FindingKind::kUnknownWord, "G54"}}},
      {"GRBL: a program of its words",
       Dialect::kGrbl,
       "G21G90G91.1\nG0Z5\nM3S1000\nG1Z-1F100\nG2X10I5J0\nG4P0.5\nM5\nM30\n",
       {}},
      // After the end nothing runs, but the control is sent it all the same.
      {"GRBL: words after the end",
       Dialect::kGrbl,
       "G0X1\nM30\nM101\n" + LineOf(81) + "\n%\n",
       {{3, kForeign, "M101"}, {4, kLong, "81 > 79"}, {5, kForeign, "%"}}},
      {"Host: nothing after the end is read", Dialect::kHost, "G0X1\nM30\nM101\nE1\n", {}},
      // grblHAL runs the cycles, tool changes and A; 256 characters.
      {"grblHAL: a canned cycle", Dialect::kGrblHal, g83, {}},
      {"grblHAL: a user M-code", Dialect::kGrblHal, macro, {{2, kForeign, "M101"}}},
      {"grblHAL: A and a tool change", Dialect::kGrblHal, "G0A5\nT2M6\n", {}},
      {"grblHAL: 81 characters", Dialect::kGrblHal, line81, {}},
      {"grblHAL: 257 characters", Dialect::kGrblHal, LineOf(257) + "\n", {{1, kLong, "257 > 256"}}},
      {"grblHAL: no % delimiters",
       Dialect::kGrblHal,
       percents,
       {{1, kForeign, "%"}, {3, kForeign, "%"}}},
      // LinuxCNC runs its own M100-M199, and reads no E with a feed move.
      {"LinuxCNC: a user M-code", Dialect::kLinuxCnc, macro, {}},
      {"LinuxCNC: an E word", Dialect::kLinuxCnc, "G1X1E2F100\n", {{1, kForeign, "E2"}}},
      {"LinuxCNC: cycles, A and % are its own; a line over 251 characters is not",
       Dialect::kLinuxCnc,
       g83 + "G0A5\n" + percents + LineOf(300) + "\n",
       {{9, FindingKind::kLongLine, "300 > 251"}}},
      // The host: nothing new, the reader's findings as they were.
      {"Host: a user M-code is its macro",
       Dialect::kHost,
       macro,
       {{2, FindingKind::kHostMacro, "M101"}}},
      {"Host: an E word is unknown",
       Dialect::kHost,
       "G1X1 E2F100\n",
       {{1, FindingKind::kUnknownWord, "E2"}}},
      // Right after a number E and digits are its exponent, which no control
      // reads: the number is malformed (LinuxCNC reads an E word, as above).
      {"Host: a number with an exponent",
       Dialect::kHost,
       "G1X1E2F100\n",
       {{1, FindingKind::kMalformedNumber, "X1E2"}}},
      {"Host: cycles, A, %, long lines",
       Dialect::kHost,
       g83 + "G0A5\n" + percents + LineOf(300) + "\n",
       {}},
  };
  for (const DialectCase& c : cases) {
    const Report report = CheckProgram(c.program, ForControl(c.dialect));
    EXPECT_EQ(FindingsOf(report), c.expected) << c.name;
    EXPECT_EQ(report.findingCount, c.expected.size()) << c.name;
    EXPECT_EQ(report.dialect, text::RulesOf(c.dialect).name) << c.name;
  }
}

// A word the control does not read is still read as it stands: the figures of
// a program are the same whatever control it is checked for.
TEST(ReportDialect, ForeignWordsLeaveTheFiguresAlone) {
  const std::string program = "G0Z5\nG83X0Y0Z-3R1Q1F100\nG80\nM101\nG0A45\nG0X10\n";
  const Report host = CheckProgram(program, Machine{});
  for (Dialect dialect : {Dialect::kLinuxCnc, Dialect::kGrbl, Dialect::kGrblHal}) {
    const Report report = CheckProgram(program, ForControl(dialect));
    EXPECT_EQ(report.moves, host.moves) << report.dialect;
    EXPECT_DOUBLE_EQ(report.seconds, host.seconds) << report.dialect;
    EXPECT_DOUBLE_EQ(report.feedLength, host.feedLength) << report.dialect;
    EXPECT_EQ(report.extents.maximum, host.extents.maximum) << report.dialect;
  }
}

TEST(ReportDialect, FindingsStayBoundedAsTheOthers) {
  std::string program;
  for (int line = 0; line < 1500; ++line) program += "M101 A1\n";
  const Report report = CheckProgram(program, ForControl(Dialect::kGrbl));
  EXPECT_EQ(report.findingCount, 1500U);
  EXPECT_EQ(report.findings.size(), kMaxFindings);
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("\nline 1: word this control does not read (M101)\n"), std::string::npos);
  EXPECT_NE(text.find("\nand 500 more not listed\n"), std::string::npos);
}

struct DwellCase {
  const char* name;
  Machine machine;
  std::string program;  // "@" stands for the dwell's P
  std::string p;
  double seconds;  // what the dwells add
};

TEST(ReportDialect, DwellInSecondsOrTheHostsMilliseconds) {
  Machine hostMs;
  hostMs.dwellMilliseconds = true;
  // Milliseconds are the host's own setting: other controls count seconds.
  Machine grblMs = ForControl(Dialect::kGrbl);
  grblMs.dwellMilliseconds = true;
  Machine linuxCncMs = ForControl(Dialect::kLinuxCnc);
  linuxCncMs.dwellMilliseconds = true;
  const std::string g4 = "G0X10\nG4P@\nG0X20\n";
  // Two holes, each waiting at the bottom.
  const std::string g82 = "G0Z5\nG82X0Y0Z-2R1P@F100\nX10\nG80\n";
  const DwellCase cases[] = {
      {"host, seconds", Machine{}, g4, "2", 2.0},
      {"host, milliseconds", hostMs, g4, "2000", 2.0},
      {"host, milliseconds, a small P", hostMs, g4, "2", 0.002},
      {"host, G82 in seconds", Machine{}, g82, "0.5", 1.0},
      {"host, G82 in milliseconds", hostMs, g82, "500", 1.0},
      {"GRBL keeps seconds", grblMs, g4, "2", 2.0},
      {"LinuxCNC keeps seconds", linuxCncMs, g82, "0.5", 1.0},
  };
  const auto with = [](std::string program, const std::string& p) {
    program.replace(program.find('@'), 1, p);
    return program;
  };
  for (const DwellCase& c : cases) {
    const Report dwelling = CheckProgram(with(c.program, c.p), c.machine);
    const Report none = CheckProgram(with(c.program, "0"), c.machine);
    EXPECT_NEAR(dwelling.seconds - none.seconds, c.seconds, 1e-9) << c.name;
    EXPECT_NEAR(dwelling.plainSeconds - none.plainSeconds, c.seconds, 1e-9) << c.name;
    EXPECT_EQ(dwelling.moves, none.moves) << c.name;
  }
}

}  // namespace
}  // namespace kelvora::motion
