// The pre-flight report on the command line: `kelvora check`, and --report,
// --report-json and --machine on the jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli.h"
#include "cli/cli_run.h"
#include "motion/report.h"
#include "motion/report_text.h"
#include "settings/machine_settings.h"
#include "settings/settings_profile.h"
#include "settings/stated_depth.h"
#include "support/scratch_folder.h"
#include "text/files.h"

namespace kelvora::cli {
namespace {

using motion::FindingKind;
using testing::CliRun;
using testing::RunArgs;

using testing::DataPath;

std::string Text(FindingKind kind) {
  return std::string(motion::FindingText(kind));
}

std::string WriteFile(const kelvora::testing::ScratchFolder& dir, const std::string& name,
                      const std::string& bytes) {
  const std::string path = text::PathToUtf8(dir.Path() / name);
  EXPECT_TRUE(text::WriteFileAtomic(text::PathFromUtf8(path), bytes));
  return path;
}

TEST(CliReport, CheckReadsAnyProgramAndWarningsAreNoFailure) {
  const kelvora::testing::ScratchFolder dir("cli_check");
  // Line 3 moves sideways with the tool 1 mm inside the stock.
  const std::string warned = WriteFile(dir, "warned.nc", "G90\r\nG0Z-1\r\nG0X10Y10\r\nM30\r\n");
  const std::string zeros = WriteFile(dir, "zeros.nc", std::string(4096, '\0'));
  const std::string zeroLines = WriteFile(dir, "zero_lines.nc", std::string("\0\0\r\n\0 \n", 7));
  const std::string zeroAndWord = WriteFile(dir, "zero_word.nc", std::string("\0G0X1\n", 7));
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> outHas;  // texts standard output holds
    std::string errHas;               // a text standard error holds
  } cases[] = {
      {"a golden program",
       {"check", DataPath("generators/golden/circle_example.nc")},
       kExitOk,
       {motion::SummaryLine(motion::CheckProgram(*text::ReadFileBytes(text::PathFromUtf8(DataPath(
                                                     "generators/golden/circle_example.nc"))),
                                                 motion::Machine{}))},
       ""},
      {"a program with a warning",
       {"check", warned},
       kExitOk,
       {"line 3", Text(FindingKind::kRapidInStock)},
       ""},
      {"a missing file",
       {"check", DataPath("cli/no_such_program.nc")},
       kExitRefused,
       {},
       "no_such_program.nc"},
      {"a folder", {"check", DataPath("cli")}, kExitRefused, {}, "cannot be read"},
      {"a missing machine",
       {"check", warned, "--machine", DataPath("cli/profiles/absent.xml")},
       kExitRefused,
       {},
       "absent.xml"},
      {"NUL bytes are no program", {"check", zeros}, kExitRefused, {}, "Not a program"},
      {"NUL bytes and line ends", {"check", zeroLines}, kExitRefused, {}, "Not a program"},
      {"a NUL beside a word is read as a program",
       {"check", zeroAndWord},
       kExitOk,
       {"line 1: " + Text(FindingKind::kUnknownWord)},
       ""},
      {"no program named", {"check"}, kExitUsage, {}, ""},
      {"--report belongs to the jobs", {"check", warned, "--report"}, kExitUsage, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliRun r = RunArgs(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& has : c.outHas) EXPECT_NE(r.out.find(has), std::string::npos) << r.out;
    if (c.status != kExitOk) {
      EXPECT_EQ(r.out.find("line "), std::string::npos) << r.out;
    }
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
  }
}

// Every golden program reads without an unknown word.
TEST(CliReport, CheckReadsEveryGoldenProgramWithoutAnUnknownWord) {
  const kelvora::testing::ScratchFolder dir("cli_check_golden");
  const std::string json = text::PathToUtf8(dir.Path() / "report.json");
  int checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KELVORA_TEST_DATA)) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || path.extension() != ".nc") continue;
    if (path.string().find("golden") == std::string::npos) continue;
    SCOPED_TRACE(path.string());
    const CliRun r = RunArgs({"check", text::PathToUtf8(path), "--report-json", json});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out.find(Text(FindingKind::kUnknownWord)), std::string::npos) << r.out;
    const auto written = text::ReadFileBytes(text::PathFromUtf8(json));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->find(motion::FindingName(FindingKind::kUnknownWord)), std::string::npos)
        << *written;
    ++checked;
  }
  EXPECT_GT(checked, 30);
}

TEST(CliReport, ReportLeavesTheProgramAloneAndAgreesWithItsJson) {
  const kelvora::testing::ScratchFolder dir("cli_report");
  const std::string json = text::PathToUtf8(dir.Path() / "report.json");
  const struct {
    const char* name;
    std::vector<std::string> args;
    settings::JobInputs inputs;
    std::map<std::string, std::string, std::less<>> texts;  // those the stated depth reads
  } cases[] = {
      {"circle",
       {"circle", "CirDepth=5", "CirStep=2"},
       settings::JobInputs::kCircle,
       {{"CirDepth", "5"}, {"CirStep", "2"}}},
      // The drilling schemes and canned cycles: the report reads the cycles'
      // moves and raises no alarm over their rapids inside the hole.
      {"circle chip break with a dwell",
       {"circle", "CirScheme=Chip break", "CirDwell=0.5", "CirFullEvery=2"},
       settings::JobInputs::kCircle,
       {{"CirDepth", "5"}}},
      {"circle canned G83 returning to R",
       {"circle", "CirScheme=Full retract", "CirCanned=True", "CirReturn=G99"},
       settings::JobInputs::kCircle,
       {{"CirDepth", "5"}}},
      {"grid canned G73",
       {"grid", "GridScheme=Chip break", "GridCanned=True", "Gridn=2", "Gridm=2"},
       settings::JobInputs::kGrid,
       {{"GridDepth", "5"}}},
      {"surface",
       {"surface", "MsqrDepth=1.2", "MsqrStepdown=0.5"},
       settings::JobInputs::kSurface,
       {{"MsqrDepth", "1.2"}, {"MsqrStepdown", "0.5"}}},
      {"thread", {"thread"}, settings::JobInputs::kThread, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliRun plain = RunArgs(c.args);
    ASSERT_EQ(plain.status, kExitOk) << plain.err;
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--report", "--report-json", json});
    const CliRun r = RunArgs(args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, plain.out);
    // Both are the report of the very bytes written, held to the job's depth.
    const generators::TextLookup texts = [&c](std::string_view key) {
      const auto it = c.texts.find(key);
      return it == c.texts.end() ? std::string() : it->second;
    };
    const motion::Report expected =
        motion::CheckProgram(r.out, motion::Machine{}, settings::JobCheckOptions(c.inputs, texts));
    EXPECT_EQ(r.err, motion::ReportText(expected));
    EXPECT_EQ(text::ReadFileBytes(text::PathFromUtf8(json)), motion::ReportJson(expected));
    EXPECT_GT(expected.moves, 0u);
    // What the jobs write raises no alarm; the thread's Z runs along the part,
    // below a mill's stock top.
    EXPECT_EQ(expected.findingCount, 0u) << r.err;
  }
}

TEST(CliReport, MachineComesFromMachineElseProfileAndIsRefusedWhenUnreadable) {
  const kelvora::testing::ScratchFolder dir("cli_machine");
  const std::string json = text::PathToUtf8(dir.Path() / "report.json");
  // Holes at X 10 and X 50; the soft-limit machine ends at X 35.
  const std::vector<std::string> circle = {"circle",  "CirXc=30", "CirYc=30",
                                           "CirR=40", "Cirn=2",   "--report"};
  const std::string soft = DataPath("cli/profiles/machine_soft_limits.xml");
  const std::string beyond = Text(FindingKind::kBeyondSoftLimit);
  const struct {
    const char* name;
    std::vector<std::string> extra;
    int status;
    bool beyondLimit;
    std::string errHas;
  } cases[] = {
      {"defaults: no soft limits", {}, kExitOk, false, ""},
      {"--machine with soft limits", {"--machine", soft}, kExitOk, true, beyond},
      {"--profile holding the machine", {"--profile", soft}, kExitOk, true, beyond},
      {"--machine before --profile",
       {"--profile", soft, "--machine", DataPath("cli/profiles/no_section.xml")},
       kExitOk,
       false,
       ""},
      {"--machine missing",
       {"--machine", DataPath("cli/profiles/absent.xml")},
       kExitRefused,
       false,
       "absent.xml"},
      {"--machine malformed",
       {"--machine", DataPath("cli/profiles/malformed.xml")},
       kExitRefused,
       false,
       "malformed.xml"},
      {"--machine with a decimal comma",
       {"--machine", DataPath("cli/profiles/machine_bad_value.xml")},
       kExitRefused,
       false,
       "MachZVel"},
      {"--machine with a speed of 0",
       {"--machine", DataPath("cli/profiles/machine_zero_speed.xml")},
       kExitRefused,
       false,
       "MachXVel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = circle;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(beyond) != std::string::npos, c.beyondLimit) << r.err;
    // A refused machine leaves no program behind.
    if (c.status == kExitOk) {
      EXPECT_EQ(r.out.rfind("G90\r\n", 0), 0u);
    } else {
      EXPECT_EQ(r.out, "");
    }
  }
}

// `check` reads a program as the control of the machine's profile reads it:
// the words and lines that control does not take, with their lines, and the
// host's dwell unit.
TEST(CliReport, CheckReadsAsTheMachinesControl) {
  const kelvora::testing::ScratchFolder dir("cli_check_control");
  const auto profile = [&dir](const std::string& name, const std::string& keys) {
    return WriteFile(dir, name,
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<profile>\n  <Kelvora>" + keys +
                         "</Kelvora>\n</profile>\n");
  };
  const std::string grbl = profile("grbl.xml", "<MachDialect>GRBL</MachDialect>");
  const std::string grblMs =
      profile("grbl_ms.xml", "<MachDialect>grbl</MachDialect><MachDwellMs>True</MachDwellMs>");
  const std::string hostMs = profile("host_ms.xml", "<MachDwellMs>True</MachDwellMs>");
  const std::string program =
      WriteFile(dir, "mixed.nc",
                "G90\r\nM3S1000\r\nG0Z5\r\nG83X0Y0Z-3R1Q1F100\r\nG80\r\nG0X1(" +
                    std::string(80, 'c') + ")\r\nM101\r\nG4P3000\r\nM30\r\n");
  const std::string json = text::PathToUtf8(dir.Path() / "report.json");
  const struct {
    const char* name;
    std::vector<std::string> extra;  // --machine, --dialect
    std::vector<std::string> outHas;
    std::string summaryHas;  // the run time: the dwell in seconds or in ms
  } cases[] = {
      {"the host",
       {},
       {"\nControl: Host\n", "\nline 7: note: macro of the host control"},
       " · 50 min "},
      {"GRBL",
       {"--machine", grbl},
       {"\nControl: GRBL\n", "\nline 4: word this control does not read (G83)\n",
        "\nline 6: line longer than the control reads (86 > 79)\n",
        "\nline 7: word this control does not read (M101)\n"},
       " · 50 min "},
      {"GRBL counts seconds whatever the host's unit",
       {"--machine", grblMs},
       {"\nControl: GRBL\n"},
       " · 50 min "},
      {"the host in milliseconds", {"--machine", hostMs}, {"\nControl: Host\n"}, " · 8 s · "},
      {"--dialect names the control",
       {"--dialect", "grblhal"},
       {"\nControl: grblHAL\n", "\nline 7: word this control does not read (M101)\n"},
       " · 50 min "},
      {"--dialect over the machine's control, its dwell unit the host's alone",
       {"--machine", hostMs, "--dialect", "LinuxCNC"},
       {"\nControl: LinuxCNC\n"},
       " · 50 min "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"check", program, "--report-json", json};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    for (const std::string& has : c.outHas) EXPECT_NE(r.out.find(has), std::string::npos) << r.out;
    EXPECT_NE(r.out.substr(0, r.out.find('\n')).find(c.summaryHas), std::string::npos) << r.out;
    const auto written = text::ReadFileBytes(text::PathFromUtf8(json));
    ASSERT_TRUE(written.has_value());
    const std::string control = r.out.substr(r.out.find("Control: ") + 9);
    EXPECT_EQ(written->rfind("{\"control\": \"" + control.substr(0, control.find('\n')) + "\"", 0),
              0u)
        << *written;
  }
}

TEST(CliReport, ReportOptionsMisusedAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"circle", "--report", "--machine", ""},
      {"circle", "--machine", ""},
      {"circle", "--report-json", ""},
      {"autogrid", "--report"},  // a point file, not a program
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.out.find("G90"), std::string::npos);
  }
  // Without a report the machine still names the control: the program alone.
  const CliRun alone =
      RunArgs({"circle", "--machine", DataPath("cli/profiles/machine_soft_limits.xml")});
  EXPECT_EQ(alone.status, kExitOk) << alone.err;
  EXPECT_EQ(alone.out, RunArgs({"circle"}).out);
  EXPECT_EQ(alone.err, "");
}

TEST(CliReport, ReportJsonIsWholeOrUntouched) {
  const kelvora::testing::ScratchFolder dir("cli_report_json");
  const std::string json = WriteFile(dir, "report.json", "earlier");
  // A refused job writes no report.
  CliRun r = RunArgs({"circle", "CirDepth=abc", "--report-json", json});
  EXPECT_EQ(r.status, kExitRefused);
  EXPECT_EQ(text::ReadFileBytes(text::PathFromUtf8(json)), "earlier");
  // A report that cannot be written refuses the run before the program goes out.
  r = RunArgs({"circle", "--report-json", text::PathToUtf8(dir.Path() / "missing" / "r.json")});
  EXPECT_EQ(r.status, kExitRefused);
  EXPECT_EQ(r.out, "");
}

TEST(CliReport, HelpNamesTheReportOptions) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> has;
  } cases[] = {
      {{"--help"}, {"check", "--report", "--report-json", "--machine"}},
      {{"grid", "--help"}, {"--report", "--report-json", "--machine", "also when the report"}},
      {{"check", "--help"}, {"--report-json", "--machine"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const CliRun r = RunArgs(c.args);
    EXPECT_EQ(r.status, kExitOk);
    for (const std::string& has : c.has) EXPECT_NE(r.out.find(has), std::string::npos) << has;
  }
}

}  // namespace
}  // namespace kelvora::cli
