// Every job's program written for GRBL and for grblHAL, worked examples and
// random inputs, held against the acceptance check of those controls: each is
// either refused with a message the inputs explain (the A axis on GRBL, a word
// of an operator's script box the control does not read), or read through by
// the check without one refusal. Canned drilling stays a cycle on grblHAL and
// becomes moves on GRBL.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/control_acceptance.h"
#include "cli/job_runs.h"
#include "text/gcode_dialect.h"

namespace kelvora::cli {
namespace {

using acceptance::Describe;
using acceptance::Flavour;
using acceptance::GrblAccepts;
using acceptance::Refusal;
using acceptance::Why;
using testing::CliRun;
using testing::JobRun;
using testing::RunArgs;

struct Control {
  const char* name;  // as given to --dialect
  Flavour flavour;
};
constexpr Control kGrbl{"grbl", Flavour::kGrbl};
constexpr Control kGrblHal{"GRBLhal", Flavour::kGrblHal};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    at = end + 1;
  }
  return lines;
}

bool IsWordRefusal(Why why) {
  return why == Why::kLetter || why == Why::kGCode || why == Why::kMCode || why == Why::kNotAWord ||
         why == Why::kLineTooLong || why == Why::kRealTimeByte;
}

// Why a refusal of the run is the right answer, or an empty text when nothing
// in the inputs explains it. `hostProgram` is the job's program for the host.
std::string ExplainedBy(const JobRun& run, const std::string& hostProgram, const std::string& err,
                        const Control& control) {
  if (err.rfind("This control has no A axis\n", 0) == 0) {
    if (control.flavour != Flavour::kGrbl) return {};
    for (const Refusal& r : GrblAccepts(hostProgram, Flavour::kGrbl)) {
      if (r.reason == "the letter A is not read") return "the program turns A";
    }
    return {};
  }
  // A move the control refuses (a feed move without a feed rate, an arc it
  // cannot make): the acceptance check finds it too in the host's program
  // opened as the control's programs are.
  const struct {
    const char* message;
    std::vector<Why> whys;
  } kMoves[] = {
      {"refuses a feed move without a feed rate", {Why::kFeedNotSet}},
      {"refuses an arc", {Why::kArcRadius, Why::kArcNoOffsets}},
      {"refuses axis words with no motion", {Why::kAxisWordsUnused}},
  };
  for (const auto& move : kMoves) {
    if (err.find(move.message) == std::string::npos) continue;
    const std::string opened =
        std::string(text::RulesOf(text::Dialect::kGrbl).opening) + "\r\n" + hostProgram;
    for (const Refusal& r : GrblAccepts(opened, control.flavour)) {
      for (const Why why : move.whys) {
        if (r.why == why) return "the control refuses line " + std::to_string(r.line);
      }
    }
    return {};
  }
  // "Program line 5: M3S": the thread's spindle speed, written as typed, left
  // empty; the control refuses the line even when it stands alone.
  static const std::regex kSpindleLine(R"(Program line \d+: (M3S.*)\n)");
  std::smatch match;
  if (std::regex_search(err, match, kSpindleLine) && run.args.front() == "thread" &&
      match[1].str() == "M3S" + testing::ValueOf(run, "Spin").value_or("15000")) {
    for (const Refusal& r : GrblAccepts(match[1].str(), control.flavour)) {
      if (IsWordRefusal(r.why)) return "the spindle speed typed as '" + match[1].str() + "'";
    }
    return {};
  }
  // "... (CirSpOpStr), line 2: M101": a line of an operator's box, which the
  // control refuses even when it stands alone. A box the command line does not
  // set (a stored profile's) is taken as the message shows its line.
  static const std::regex kBoxLine(R"(\((\w+)\), line (\d+): (.*)\n)");
  std::string line;
  if (std::regex_search(err, match, kBoxLine)) {
    line = match[3].str();
    if (const auto box = testing::ValueOf(run, match[1].str())) {
      const std::vector<std::string> lines = Lines(*box);
      const std::size_t number = std::stoul(match[2].str());
      if (number == 0 || number > lines.size()) return {};
      line = lines[number - 1];
    }
  }
  if (line.empty()) return {};
  // Bytes the control takes as real-time commands, in a box's line.
  if (err.find("as a real-time command") != std::string::npos) {
    for (const char c : line) {
      if (static_cast<unsigned char>(c) >= 0x80 || c == '?' || c == '!' || c == '~') {
        return "a script box holds a real-time byte: '" + line + "'";
      }
    }
    return {};
  }
  for (const Refusal& r : GrblAccepts(line, control.flavour)) {
    if (IsWordRefusal(r.why)) return "a script box holds '" + line + "'";
  }
  return {};
}

bool HasCycle(const std::set<std::string>& codes) {
  for (const char* cycle : {"G73", "G81", "G82", "G83", "G85", "G86", "G89", "G98", "G99"}) {
    if (codes.count(cycle) != 0) return true;
  }
  return false;
}

// The run's program for `control` against the check; counts what happened.
struct Tally {
  int read = 0;     // programs the check read through
  int refused = 0;  // refusals the inputs explain
  int known = 0;    // programs of a known fault
};

void Walk(const JobRun& run, const Control& control, Tally& tally) {
  SCOPED_TRACE(run.label + " --dialect " + control.name);
  const CliRun host = RunArgs(run.args);
  std::vector<std::string> args = run.args;
  args.insert(args.end(), {"--dialect", control.name});
  const CliRun got = RunArgs(args);
  if (host.status != kExitOk) {
    // The job's own refusal comes first, whatever the control.
    EXPECT_EQ(got.status, host.status) << got.err;
    EXPECT_EQ(got.err, host.err);
    return;
  }
  if (const auto fault = testing::KnownFault(run); fault && got.status == kExitOk) {
    bool found = false;
    for (const Refusal& r : GrblAccepts(got.out, control.flavour)) {
      found = found || r.why == Why::kFeedNotSet;
    }
    EXPECT_TRUE(found) << *fault << " no longer found: mended?\n" << got.out;
    ++tally.known;
    return;
  }
  if (got.status == kExitRefused) {
    EXPECT_EQ(got.out, "");
    const std::string why = ExplainedBy(run, host.out, got.err, control);
    EXPECT_FALSE(why.empty()) << "refused, and nothing in the inputs says why:\n" << got.err;
    ++tally.refused;
    return;
  }
  ASSERT_EQ(got.status, kExitOk) << got.err;
  const std::vector<Refusal> refusals = GrblAccepts(got.out, control.flavour);
  EXPECT_TRUE(refusals.empty()) << Describe(refusals) << "in the program:\n" << got.out;
  if (run.canned) {
    const auto hostCodes = acceptance::CodesUsed(host.out, 'G');
    const auto codes = acceptance::CodesUsed(got.out, 'G');
    ASSERT_TRUE(HasCycle(hostCodes)) << "no cycle in the host's program:\n" << host.out;
    if (control.flavour == Flavour::kGrbl) {
      EXPECT_FALSE(HasCycle(codes)) << got.out;
    } else {
      for (const std::string& code : hostCodes) {
        EXPECT_EQ(codes.count(code), 1u) << code << " lost:\n" << got.out;
      }
    }
  }
  ++tally.read;
}

TEST(GrblWalk, WorkedExamplesAreReadOrRefusedForAReason) {
  const std::vector<JobRun> runs = testing::WorkedExamples();
  ASSERT_GE(runs.size(), 40u);
  for (const Control& control : {kGrbl, kGrblHal}) {
    Tally tally;
    for (const JobRun& run : runs) Walk(run, control, tally);
    // Most of them are read through: the thread cases turn A, a stored script
    // calls a host macro.
    EXPECT_GT(tally.read, static_cast<int>(runs.size()) * 3 / 4) << control.name;
  }
}

TEST(GrblWalk, RandomInputsAreReadOrRefusedForAReason) {
  const std::vector<JobRun> runs = testing::RandomRuns(30, 25u, testing::ScriptTexts());
  for (const Control& control : {kGrbl, kGrblHal}) {
    Tally tally;
    for (const JobRun& run : runs) {
      Walk(run, control, tally);
      if (HasFatalFailure()) return;
    }
    EXPECT_GT(tally.read, static_cast<int>(runs.size()) / 3) << control.name;
    EXPECT_GT(tally.refused, 0) << control.name;
  }
}

// Each refusal the control has, with its message: the first line names what
// the control cannot do, the second where it stands.
TEST(GrblWalk, RefusalsSayWhatAndWhere) {
  const struct {
    std::vector<std::string> args;
    const char* control;
    const char* err;
  } cases[] = {
      {{"thread", "Passes=1"},
       "grbl",
       "This control has no A axis\nThe thread program turns A. Program line 6: G0X17.000Z2 A0\n"},
      {{"circle", "Cirn=1", "CirScheme=Single plunge", "CirEnSpecialOp=True",
        "CirSpOpStr=M8\nM101"},
       "grbl",
       "GRBL does not read M101\nIn the special operation text (CirSpOpStr), line 2: M101\n"},
      {{"circle", "Cirn=1", "CirScheme=Single plunge", "CirEnSpecialOp=True", "CirSpOpStr=T2M6"},
       "grbl",
       "GRBL does not read M6\nIn the special operation text (CirSpOpStr), line 1: T2M6\n"},
      {{"points", "--points", testing::DataPath("generators/points/drill.csv"), "AnyFeedrate=100",
        "AnyEndScript=M101"},
       "grblhal",
       "grblHAL does not read M101\nIn the closing text of the drilling program "
       "(AnyEndScript), line 1: M101\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--dialect", c.control});
    SCOPED_TRACE(args[0] + " " + args.back());
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitRefused);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  // A script line longer than GRBL reads is named; grblHAL reads it.
  const std::string longLine = "(" + std::string(90, 'c') + ")";
  const CliRun grbl =
      RunArgs({"dxf", "--dxf", testing::DataPath("geometry/dxf/square.dxf"), "DxfDepth=1",
               "DxfStepdown=1", "DxfEndScript=" + longLine, "--dialect", "grbl"});
  EXPECT_EQ(grbl.status, kExitRefused);
  EXPECT_NE(grbl.err.find("(DxfEndScript), line 1"), std::string::npos) << grbl.err;
  const CliRun hal =
      RunArgs({"dxf", "--dxf", testing::DataPath("geometry/dxf/square.dxf"), "DxfDepth=1",
               "DxfStepdown=1", "DxfEndScript=" + longLine, "--dialect", "grblhal"});
  EXPECT_EQ(hal.status, kExitOk) << hal.err;
}

}  // namespace
}  // namespace kelvora::cli
