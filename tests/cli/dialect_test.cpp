// Programs for other controls on the command line: every job's worked examples
// written for every control hold only the words that control reads, refusals
// leave nothing behind, and the control comes from --dialect, the machine or
// the profile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli.h"
#include "cli/cli_run.h"
#include "settings/control_output.h"
#include "support/scratch_folder.h"
#include "text/files.h"
#include "text/gcode_dialect.h"

namespace kelvora::cli {
namespace {

using testing::CliRun;
using testing::DataPath;
using testing::RunArgs;

// One word of a program: the letter (upper case) and its number, or the letter
// '?' for text that is neither a word nor a comment.
struct Word {
  std::size_t line;  // 1-based
  char letter;
  double number;
  std::string text;
};

std::vector<std::string> Lines(const std::string& program) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < program.size()) {
    std::size_t end = program.find_first_of("\r\n", at);
    if (end == std::string::npos) end = program.size();
    lines.push_back(program.substr(at, end - at));
    at = end;
    if (at < program.size() && program[at] == '\r') ++at;
    if (at < program.size() && program[at] == '\n') ++at;
  }
  return lines;
}

// The words of a program, split as a control reads them: a letter and the
// number after it, blanks between words, comments in parentheses and after
// ";" left out, and "%" lines skipped.
std::vector<Word> Words(const std::vector<std::string>& lines) {
  std::vector<Word> words;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (!line.empty() && line[0] == '%') continue;
    std::size_t i = 0;
    while (i < line.size()) {
      const char c = line[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '(') {
        const std::size_t close = line.find(')', i);
        i = close == std::string::npos ? line.size() : close + 1;
      } else if (c == ';') {
        break;
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        // A sign, digits and at most one point; strtod alone would read
        // "0X40" as a hexadecimal number.
        std::size_t end = i + 1;
        if (end < line.size() && (line[end] == '-' || line[end] == '+')) ++end;
        bool digits = false;
        bool point = false;
        while (end < line.size()) {
          if (std::isdigit(static_cast<unsigned char>(line[end]))) {
            digits = true;
          } else if (line[end] == '.' && !point) {
            point = true;
          } else {
            break;
          }
          ++end;
        }
        const std::string text = line.substr(i, end - i);
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        words.push_back({n + 1, digits ? letter : '?', std::atof(text.c_str() + 1), text});
        i = end;
      } else {
        words.push_back({n + 1, '?', 0, line.substr(i, 1)});
        ++i;
      }
    }
  }
  return words;
}

// Whether a word names the letter with the number (G83, M30).
bool Holds(const std::vector<Word>& words, char letter, double number) {
  return std::any_of(words.begin(), words.end(),
                     [&](const Word& w) { return w.letter == letter && w.number == number; });
}

// Checks a program written for `rules` against the table: only words it reads,
// no line longer than it reads, the control's opening line first and "G91.1"
// after it where it states arc centres, an
// M2 or M30 last where it adds the program end, and no "%" where it takes none.
void ExpectFitsControl(const std::string& program, const text::DialectRules& rules) {
  std::vector<std::string> lines = Lines(program);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  ASSERT_FALSE(lines.empty());
  for (const Word& w : Words(lines)) {
    EXPECT_TRUE(w.letter != '?' && text::AcceptsWord(rules, w.letter, w.number))
        << "line " << w.line << ": " << w.text << " in \"" << lines[w.line - 1] << "\"";
  }
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (rules.maxLineLength > 0) {
      EXPECT_LE(lines[n].size(), static_cast<std::size_t>(rules.maxLineLength)) << "line " << n + 1;
    }
    if (!rules.keepsPercent) {
      EXPECT_NE(lines[n].rfind('%', 0), 0u) << "line " << n + 1;
    }
  }
  // First after the "%" that opens a delimited program.
  const std::size_t first = lines.size() > 1 && lines[0] == "%" ? 1 : 0;
  if (rules.dialect != text::Dialect::kHost) {
    EXPECT_EQ(lines[first], rules.opening);
    if (rules.statesArcCentres) {
      ASSERT_GT(lines.size(), first + 1);
      EXPECT_EQ(lines[first + 1], "G91.1");
    }
  }
  if (rules.addsProgramEnd) {
    std::size_t last = lines.size();
    while (last > 0 && lines[last - 1].rfind('%', 0) == 0) --last;
    ASSERT_GT(last, 0u);
    const std::vector<Word> end = Words({lines[last - 1]});
    EXPECT_TRUE(Holds(end, 'M', 2) || Holds(end, 'M', 30)) << lines[last - 1];
  }
}

// A worked example of a job: its arguments after the job's name, and the
// controls that refuse its program (with the start of their message).
struct Example {
  std::vector<std::string> args;
  std::map<text::Dialect, std::string> refusedBy = {};
};

const std::map<std::string, std::vector<Example>>& Examples() {
  using text::Dialect;
  static const std::map<std::string, std::vector<Example>> examples = {
      {"circle",
       {{{"CirXc=30", "CirYc=30", "CirR=20", "Cirn=2", "CirDepth=5", "CirStep=5", "CirRetract=3",
          "CirZsafe=10", "CirSpinSpeed=5000", "CirEnSpin=True"}},
        {{"Cirn=4", "CirDepth=5", "CirStep=2", "CirRetract=1", "CirScheme=Full retract",
          "CirCanned=True"}},
        {{"Cirn=2", "CirDepth=3", "CirScheme=Single plunge", "CirDwell=0.5", "CirCanned=True",
          "CirReturn=G99"}},
        {{"Cirn=3", "CirDepth=4", "CirStep=1", "CirScheme=Chip break", "CirBackOff=0.3",
          "CirEnSpecialOp=True", "CirSpOpStr=M8"}}}},
      {"grid",
       {{{"Gridm=3", "Gridn=2", "GridDepth=2", "GridStep=2", "GridEnSpin=False"}},
        {{"Gridm=2", "Gridn=2", "GridDepth=7", "GridStep=2", "GridRetract=1",
          "GridScheme=Chip break", "GridCanned=True", "GridReturn=G99"}},
        {{"Gridm=1", "Gridn=2", "GridDepth=2", "GridScheme=Single plunge", "GridDwell=1.5"}}}},
      {"surface",
       {{{"MsqrLx=10", "MsqrLy=4", "MsqrStep=2", "MsqrDepth=1.2", "MsqrStepdown=0.5",
          "MsqrEnSpin=True", "MsqrSpinSpeed=800"}}}},
      {"dxf",
       {{{"--dxf", DataPath("geometry/dxf/square.dxf"), "DxfDepth=1", "DxfStepdown=0.5"}},
        {{"--dxf", DataPath("geometry/dxf/r2000_contours.dxf"), "DxfDepth=1", "DxfStepdown=0.4",
          "DxfEndScript=M30"}},
        {{"--dxf", DataPath("geometry/dxf/many_vertices.dxf"), "DxfDepth=2", "DxfStepdown=2",
          "DxfEnSpOp=True", "DxfSpOpStr=M8", "DxfSpOpStrOff=M9", "DxfEndScript=M5"}}}},
      {"points",
       {{{"--points", DataPath("generators/points/drill.csv"), "AnyDepth=5", "AnyStepdown=2",
          "AnyFeedrate=100", "AnyEndScript=G0X0Y0"}},
        {{"--points", DataPath("generators/points/drill.csv"), "AnyDepth=2", "AnyFeedrate=100",
          "AnyScheme=Single plunge", "AnyCanned=True", "AnyEndScript=M30"}},
        {{"--points", DataPath("generators/points/origin.csv"), "AnyPocket=True", "AnyRo=2",
          "AnyHoleSize=5", "AnyStepOvr=1", "Anyd=4", "AnyDepth=1", "AnyStepdown=1",
          "AnyFeedrate=50", "AnyFeedrate2=100"}},
        {{"--points", DataPath("generators/points/origin.csv"), "AnyPocket=True", "AnyRo=1",
          "AnyHoleSize=4", "AnyStepOvr=0.5", "Anyd=2", "AnyDepth=1", "AnyStepdown=0.5",
          "AnyFeedrate=50", "AnyFeedrate2=200", "AnyRetract=2", "AnyZsafe=6", "AnyEntry=Helix"}},
        {{"--dxf", DataPath("geometry/dxf/r12_entities.dxf"), "AnyDepth=3", "AnyStepdown=1.5",
          "AnyFeedrate=80", "AnyEndScript=M30"}}}},
      {"thread",
       {{{}, {{Dialect::kGrbl, std::string(settings::kNoAAxis)}}},
        {{"LeftHand=True", "Passes=2"}, {{Dialect::kGrbl, std::string(settings::kNoAAxis)}}}}},
      {"cuts",
       {{{"--cuts", DataPath("generators/lists/horizontal_one.csv"), "Cut2Way=True"}},
        {{"--cuts", DataPath("generators/lists/generated.csv"), "CutToolDia=4", "CutZigZac=True",
          "DxfEndScript=M30"}},
        {{"--cuts", DataPath("generators/lists/vertical.csv"), "DxfEnSpOp=True", "DxfSpOpStr=M8",
          "DxfSpOpStrOff=M9"}}}},
      {"teach",
       {{{"--teach", DataPath("cli/lists/teach_xyz.csv"), "tchOp1=MOVE*G1"}},
        // The worked teach file holds A, B and C at 0: GRBL gets no word of them.
        {{"--teach", DataPath("generators/lists/teach_example.csv"), "tchOp1=MOVE*G1"}}}},
  };
  return examples;
}

TEST(CliDialect, EveryJobOnEveryControlHoldsOnlyItsWords) {
  for (const Job& job : Jobs()) {
    if (!job.writesProgram) continue;
    const std::string name(job.name);
    const auto examples = Examples().find(name);
    ASSERT_NE(examples, Examples().end()) << "no worked example for the job " << name;
    for (std::size_t e = 0; e < examples->second.size(); ++e) {
      const Example& example = examples->second[e];
      std::vector<std::string> args = {name};
      args.insert(args.end(), example.args.begin(), example.args.end());
      const CliRun host = RunArgs(args);
      ASSERT_EQ(host.status, kExitOk) << name << " example " << e << ": " << host.err;
      const std::vector<Word> hostWords = Words(Lines(host.out));
      for (const text::DialectRules& rules : text::kDialects) {
        SCOPED_TRACE(name + " example " + std::to_string(e) + " for " + std::string(rules.name));
        // Names are taken in any case.
        std::string given(rules.name);
        if (e % 2 == 1) {
          for (char& c : given) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::vector<std::string> withDialect = args;
        withDialect.insert(withDialect.end(), {"--dialect", given});
        const CliRun run = RunArgs(withDialect);
        const auto refused = example.refusedBy.find(rules.dialect);
        if (refused != example.refusedBy.end()) {
          // Only where the table says so: the host's program holds a word this
          // control does not read.
          EXPECT_TRUE(std::any_of(hostWords.begin(), hostWords.end(), [&](const Word& w) {
            return !text::AcceptsWord(rules, w.letter, w.number);
          }));
          EXPECT_EQ(run.status, kExitRefused) << run.out;
          EXPECT_EQ(run.out, "");
          EXPECT_EQ(run.err.rfind(refused->second, 0), 0u) << run.err;
          EXPECT_NE(run.err, "");
          continue;
        }
        ASSERT_EQ(run.status, kExitOk) << run.err;
        if (rules.dialect == text::Dialect::kHost) {
          EXPECT_EQ(run.out, host.out);
        }
        ExpectFitsControl(run.out, rules);
      }
    }
  }
}

// Canned cycles stay where the control runs them; GRBL gets the moves.
TEST(CliDialect, CannedCyclesWhereTheControlRunsThem) {
  const std::vector<std::string> canned = {"circle",        "Cirn=3",
                                           "CirDepth=5",    "CirStep=2",
                                           "CirRetract=1",  "CirScheme=Full retract",
                                           "CirCanned=True"};
  const struct {
    const char* dialect;
    bool cycle;
  } cases[] = {{"Host", true}, {"LinuxCNC", true}, {"grblHAL", true}, {"GRBL", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialect);
    std::vector<std::string> args = canned;
    args.insert(args.end(), {"--dialect", c.dialect});
    const CliRun r = RunArgs(args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    // The words after the opening line, whose G80 is not the cycle's.
    std::vector<std::string> lines = Lines(r.out);
    if (!lines.empty() && lines.front() == "G21G90G94G17G40G49G80") lines.erase(lines.begin());
    const std::vector<Word> words = Words(lines);
    EXPECT_EQ(Holds(words, 'G', 83), c.cycle) << r.out;
    EXPECT_EQ(Holds(words, 'G', 80), c.cycle) << r.out;
    // Every hole is drilled either way: three rapids to the holes, or the
    // cycle's first hole and two more positions.
    const auto feeds = std::count_if(
        words.begin(), words.end(), [](const Word& w) { return w.letter == 'G' && w.number == 1; });
    EXPECT_EQ(feeds, c.cycle ? 0 : 9) << r.out;
  }
}

TEST(CliDialect, RefusalsSayWhyAndWriteNothing) {
  const kelvora::testing::ScratchFolder dir("cli_dialect_refusals");
  const std::string program = text::PathToUtf8(dir.Path() / "out.nc");
  const std::string preview = text::PathToUtf8(dir.Path() / "out.svg");
  const std::string json = text::PathToUtf8(dir.Path() / "out.json");
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> errHas;
  } cases[] = {
      {"the thread on GRBL",
       {"thread", "--dialect", "GRBL", "--preview", preview},
       kExitRefused,
       {std::string(settings::kNoAAxis), "The thread program turns A"}},
      {"a user M-code in the special operation on GRBL",
       {"circle", "Cirn=2", "CirDepth=2", "CirEnSpecialOp=True", "CirSpOpStr=M101", "--dialect",
        "grbl", "--preview", preview},
       kExitRefused,
       {"GRBL does not read M101", "special operation text (CirSpOpStr), line 1: M101"}},
      {"a user M-code in a cut list's script on grblHAL",
       {"cuts", "--cuts", DataPath("generators/lists/vertical.csv"), "DxfEnSpOp=True",
        "DxfSpOpStrOff=M101", "--dialect", "grblhal", "--preview", preview},
       kExitRefused,
       {"grblHAL does not read M101", "(DxfSpOpStrOff), line 1: M101"}},
      {"a teach row turning A on GRBL",
       {"teach", "--teach", DataPath("cli/lists/teach_a_turn.csv"), "tchOp1=MOVE*G1", "--dialect",
        "GRBL"},
       kExitRefused,
       {std::string(settings::kNoAAxis), "G1X3Y4A90"}},
      {"a Vietnamese special operation text on GRBL: its bytes are real-time commands",
       {"circle", "Cirn=1", "CirDepth=1", "CirStep=5", "CirEnSpecialOp=True",
        "CirSpOpStr=(Khoan lỗ Ø6 – đáy)", "--dialect", "GRBL", "--preview", preview},
       kExitRefused,
       {"GRBL takes every byte 0x80-0xFF", "(CirSpOpStr), line 1: (Khoan lỗ Ø6 – đáy)"}},
      {"the same on grblHAL",
       {"circle", "Cirn=1", "CirDepth=1", "CirStep=5", "CirEnSpecialOp=True",
        "CirSpOpStr=(Khoan lỗ Ø6 – đáy)", "--dialect", "grblHAL"},
       kExitRefused,
       {"grblHAL takes every byte 0x80-0xFF", "(CirSpOpStr), line 1"}},
      {"a feed hold in an end script on GRBL",
       {"points", "--points", DataPath("generators/points/drill.csv"), "AnyDepth=2",
        "AnyFeedrate=100", "AnyEndScript=M5 !", "--dialect", "GRBL"},
       kExitRefused,
       {"GRBL takes ! as a real-time command", "(AnyEndScript), line 1: M5 !"}},
      {"a feed move at F0 in a script on LinuxCNC",
       {"circle", "Cirn=1", "CirDepth=1", "CirStep=5", "CirEnSpecialOp=True", "CirSpOpStr=G1Z-1F0",
        "--dialect", "LinuxCNC"},
       kExitRefused,
       {"LinuxCNC refuses a feed move without a feed rate", "(CirSpOpStr), line 1: G1Z-1F0"}},
      {"a line longer than LinuxCNC reads",
       {"circle", "Cirn=1", "CirDepth=1", "CirStep=5", "CirEnSpecialOp=True",
        "CirSpOpStr=(" + std::string(250, 'x') + ")", "--dialect", "LinuxCNC"},
       kExitRefused,
       {"LinuxCNC reads at most 251 characters a line", "(CirSpOpStr), line 1",
        "(252 characters)"}},
      {"a line longer than GRBL reads",
       {"circle", "Cirn=1", "CirDepth=2", "CirEnSpecialOp=True",
        "CirSpOpStr=(" + std::string(90, 'x') + ")", "--dialect", "GRBL", "--report-json", json},
       kExitRefused,
       {"GRBL reads at most 79 characters a line", "(CirSpOpStr), line 1", "(92 characters)"}},
      {"a control that is none of the dialects",
       {"circle", "--dialect", "foo"},
       kExitUsage,
       {"--dialect takes one of Host, LinuxCNC, GRBL, grblHAL, got: foo"}},
      {"an empty control name", {"circle", "--dialect", ""}, kExitUsage, {"got: \n"}},
      {"the check of a control that is none of the dialects",
       {"check", DataPath("generators/golden/circle_example.nc"), "--dialect", "Fanuc"},
       kExitUsage,
       {"--dialect takes one of Host, LinuxCNC, GRBL, grblHAL, got: Fanuc"}},
      {"a point file is no program", {"autogrid", "--dialect", "GRBL"}, kExitUsage, {"--dialect"}},
      {"a stored control that is none of the dialects",
       {"circle", "--profile", DataPath("cli/profiles/unknown_control.xml")},
       kExitRefused,
       {"Parameters error\nMachDialect\n"}},
      {"a machine file whose control is none of the dialects",
       {"circle", "--machine", DataPath("cli/profiles/unknown_control.xml"), "--dialect", "Host"},
       kExitRefused,
       {"MachDialect"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // What an earlier case left does not count against this one.
    for (const std::string& path : {program, preview, json}) {
      std::filesystem::remove(text::PathFromUtf8(path));
    }
    std::vector<std::string> args = c.args;
    if (c.status == kExitRefused && args.front() != "check")
      args.insert(args.end(), {"-o", program});
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
    for (const std::string& has : c.errHas) EXPECT_NE(r.err.find(has), std::string::npos) << r.err;
    for (const std::string& path : {program, preview, json}) {
      EXPECT_FALSE(std::filesystem::exists(text::PathFromUtf8(path))) << path;
    }
  }
  // Once the control reads the program, it is written.
  const CliRun hal = RunArgs({"thread", "--dialect", "grblHAL", "-o", program});
  EXPECT_EQ(hal.status, kExitOk) << hal.err;
  EXPECT_TRUE(std::filesystem::exists(text::PathFromUtf8(program)));
}

// The control of a run: --dialect, else the machine of --machine, else the
// profile's stored one, else the host.
TEST(CliDialect, TheControlComesFromTheOptionTheMachineOrTheProfile) {
  const std::string grblMachine = DataPath("cli/profiles/machine_grbl.xml");
  const std::string linuxCncProfile = DataPath("cli/profiles/stored_linuxcnc.xml");
  const std::vector<std::string> canned = {"circle", "Cirn=2", "CirDepth=5", "CirStep=2",
                                           "CirRetract=1"};
  const std::vector<std::string> cannedOn = {"CirScheme=Full retract", "CirCanned=True"};
  auto with = [&](std::vector<std::string> more, bool cannedKeys = true) {
    std::vector<std::string> args = canned;
    if (cannedKeys) args.insert(args.end(), cannedOn.begin(), cannedOn.end());
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const CliRun grbl = RunArgs(with({"--dialect", "GRBL"}));
  const CliRun linuxCnc = RunArgs(with({"--dialect", "LinuxCNC"}));
  const CliRun host = RunArgs(with({}));
  for (const CliRun* r : {&grbl, &linuxCnc, &host}) ASSERT_EQ(r->status, kExitOk) << r->err;
  ASSERT_NE(grbl.out, host.out);
  ASSERT_NE(linuxCnc.out, host.out);
  const struct {
    const char* what;
    std::vector<std::string> args;
    const CliRun& expected;
  } cases[] = {
      {"the machine's control", with({"--machine", grblMachine}), grbl},
      {"--dialect over the machine's", with({"--machine", grblMachine, "--dialect", "host"}), host},
      {"the profile's stored control", with({"--profile", linuxCncProfile}, false), linuxCnc},
      {"the machine's over the profile's",
       with({"--profile", linuxCncProfile, "--machine", grblMachine}, false), grbl},
      {"--dialect over the profile's",
       with({"--profile", linuxCncProfile, "--dialect", "GRBL"}, false), grbl},
      {"the machine of the report", with({"--machine", grblMachine, "--report"}), grbl},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CliRun r = RunArgs(c.args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, c.expected.out);
  }
}

// Every program for a control states its units and modes before the job's own
// lines; the host's only where its machine settings ask.
TEST(CliDialect, ProgramsStateTheirUnitsAndModes) {
  const std::vector<std::string> circle = {"circle", "Cirn=2", "CirDepth=2", "CirStep=2"};
  const CliRun host = RunArgs(circle);
  ASSERT_EQ(host.status, kExitOk) << host.err;
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> args = circle;
    args.insert(args.end(), more.begin(), more.end());
    return RunArgs(args);
  };
  const std::string opening = "G21G90G94G17G40G49G80\r\n";
  const struct {
    const char* what;
    std::vector<std::string> more;
    std::string expected;
  } cases[] = {
      {"the host, the setting stored False",
       {"--machine", DataPath("cli/profiles/host_states_modes_off.xml")},
       host.out},
      {"the host, --machine asking for the modes",
       {"--machine", DataPath("cli/profiles/host_states_modes.xml")},
       opening + host.out},
      {"the host, --profile asking for the modes",
       {"--profile", DataPath("cli/profiles/host_states_modes.xml")},
       opening + host.out},
      {"LinuxCNC, G91.1 after the opening", {"--dialect", "LinuxCNC"}, {}},
      {"GRBL", {"--dialect", "GRBL"}, {}},
      {"grblHAL whatever the host's setting",
       {"--machine", DataPath("cli/profiles/host_states_modes.xml"), "--dialect", "grblHAL"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CliRun r = with(c.more);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    if (!c.expected.empty()) {
      EXPECT_EQ(r.out, c.expected);
    } else {
      EXPECT_EQ(r.out.rfind(opening, 0), 0u) << r.out;
    }
  }
}

// The teach sample of samples/README.txt: its A, B and C columns hold 0, so a
// control without those axes gets no word of them; an A that turns is refused.
TEST(CliDialect, TeachColumnsOfZeroWriteNoWordWhereTheControlHasNoAxis) {
  const std::vector<std::string> teach = {"teach",
                                          "--teach",
                                          DataPath("../samples/teach-frame.csv"),
                                          "tchOp1=MOVE*G1",
                                          "tchOp2=SPINDLE ON*M3 S12000",
                                          "tchOp3=SPINDLE OFF*M5",
                                          "TchPrefix=G90G21",
                                          "TchSurfix=M30"};
  const struct {
    const char* dialect;
    bool rotaryWords;  // A0.000 B0.000 C0.000 stay
  } cases[] = {{"Host", true}, {"LinuxCNC", true}, {"grblHAL", true}, {"GRBL", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialect);
    std::vector<std::string> args = teach;
    args.insert(args.end(), {"--dialect", c.dialect});
    const CliRun r = RunArgs(args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("G1X20.000Y15.000Z-1.500"), std::string::npos) << r.out;
    for (const char* word : {"A0.000", "B0.000", "C0.000"}) {
      EXPECT_EQ(r.out.find(word) != std::string::npos, c.rotaryWords) << word << "\n" << r.out;
    }
  }
  const CliRun turns = RunArgs({"teach", "--teach", DataPath("cli/lists/teach_a_turn.csv"),
                                "tchOp1=MOVE*G1", "--dialect", "GRBL"});
  EXPECT_EQ(turns.status, kExitRefused);
  EXPECT_EQ(turns.err.rfind(std::string(settings::kNoAAxis), 0), 0u) << turns.err;
}

// The teach program starts absolute by default, as its rows are machine
// positions; a start stored in the profile stays as stored.
TEST(CliDialect, TheTeachStartIsAbsoluteUnlessStoredOtherwise) {
  const std::vector<std::string> teach = {"teach", "--teach", DataPath("cli/lists/teach_xyz.csv"),
                                          "tchOp1=MOVE*G1"};
  const CliRun fresh = RunArgs(teach);
  ASSERT_EQ(fresh.status, kExitOk) << fresh.err;
  EXPECT_EQ(fresh.out.rfind("G90G21\r\n", 0), 0u) << fresh.out;
  std::vector<std::string> stored = teach;
  stored.insert(stored.end(), {"--profile", DataPath("cli/profiles/teach_prefix_g91.xml")});
  const CliRun kept = RunArgs(stored);
  ASSERT_EQ(kept.status, kExitOk) << kept.err;
  EXPECT_EQ(kept.out.rfind("G91G21\r\n", 0), 0u) << kept.out;
}

// A pocket whose plunge feed is left at its default: a LinuxCNC program never
// holds the feed move at F0 that rs274 refuses. The job refuses the feed box
// before any program is written; the finishing pass's own refusal of such a
// line is held in the control output tests.
TEST(CliDialect, NoFeedMoveAtZeroFeedReachesLinuxCnc) {
  const CliRun r = RunArgs({"points", "--points", DataPath("generators/points/origin.csv"),
                            "AnyPocket=True", "AnyRo=2", "AnyHoleSize=5", "AnyStepOvr=1", "Anyd=4",
                            "AnyDepth=1", "AnyStepdown=1", "--dialect", "LinuxCNC"});
  EXPECT_EQ(r.status, kExitRefused) << r.out;
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_EQ(r.err.rfind("Parameters error\nAnyFeedrate\n", 0), 0u) << r.err;
}

TEST(CliDialect, HelpNamesTheOption) {
  const CliRun job = RunArgs({"circle", "--help"});
  EXPECT_EQ(job.status, kExitOk);
  EXPECT_NE(job.out.find("--dialect NAME"), std::string::npos) << job.out;
  EXPECT_NE(job.out.find(std::string(text::DialectNameList())), std::string::npos) << job.out;
  const CliRun top = RunArgs({"--help"});
  EXPECT_NE(top.out.find("--dialect NAME"), std::string::npos) << top.out;
  const CliRun points = RunArgs({"autogrid", "--help"});
  EXPECT_EQ(points.out.find("--dialect"), std::string::npos) << points.out;
}

}  // namespace
}  // namespace kelvora::cli
