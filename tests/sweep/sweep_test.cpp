// The sweep over every job: seeded random inputs of the kinds the boxes accept
// (every option on and off, no operator text), the default program of every
// job and every command of the samples' README, each written for every control.
// Every program must come with a report that holds no warning; LinuxCNC's must
// read in rs274 to its end, GRBL's and grblHAL's pass the acceptance check of
// those controls. A job may refuse its inputs when the message names the box;
// such refusals are counted apart. Failures are grouped by cause, each with
// the shortest command line that reproduces it.
//
// KELVORA_SWEEP_SEED and KELVORA_SWEEP_COUNT (runs per job) set a larger sweep
// (scripts/sweep.sh); without them the seeded size fits a CI run.
// KELVORA_SWEEP_SHRINK_SECONDS bounds the time spent shrinking the causes'
// command lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli.h"
#include "cli/cli_run.h"
#include "cli/control_acceptance.h"
#include "motion/rs274_runner.h"
#include "motion/rs274_test.h"
#include "settings/settings_keys.h"

namespace kelvora::cli {
namespace {

using testing::CliRun;
using testing::DataPath;
using testing::RunArgs;

constexpr unsigned kCiSeed = 35u;
constexpr int kCiRunsPerJob = 12;

// One command line of a job, without --dialect.
struct Case {
  std::vector<std::string> args;  // the job's name first
  const std::string& Job() const { return args.front(); }
};

struct Dialect {
  const char* name;  // as --dialect takes it
  enum class Check { kNone, kRs274, kGrbl, kGrblHal } check;
};
constexpr Dialect kDialects[] = {
    {"Host", Dialect::Check::kNone},
    {"LinuxCNC", Dialect::Check::kRs274},
    {"GRBL", Dialect::Check::kGrbl},
    {"grblHAL", Dialect::Check::kGrblHal},
};

std::string Sample(const std::string& name) {
  return DataPath("../samples/" + name);
}

// ---------------------------------------------------------------------------
// Random inputs.

class Draw {
 public:
  explicit Draw(unsigned seed) : random_(seed) {}
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Coin() { return Int(0, 1) == 1; }
  // A number from `low` to `high` on the boxes' grid of three decimals; one
  // time in eight the range's low end itself (a radius of 0, a retract at the
  // surface, the slowest feed).
  double Real(double low, double high) {
    if (Int(0, 7) == 0) return low;
    const double v = std::uniform_real_distribution<double>(low, high)(random_);
    return static_cast<double>(static_cast<long long>(v * 1000.0)) / 1000.0;
  }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Int(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  std::mt19937 random_;
};

std::string Text(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

struct Builder {
  Draw& draw;
  Case c;

  void Key(const std::string& key, const std::string& value) {
    c.args.push_back(key + "=" + value);
  }
  void Num(const std::string& key, double low, double high) {
    Key(key, Text(draw.Real(low, high)));
  }
  void Int(const std::string& key, int low, int high) {
    Key(key, std::to_string(draw.Int(low, high)));
  }
  void Bool(const std::string& key) { Key(key, draw.Coin() ? "True" : "False"); }
  // A drop-down: one of the choices its row lists.
  void Choice(const std::string& key) {
    const settings::SettingsKey* row = settings::FindSettingsKey(key);
    ASSERT_NE(row, nullptr) << key;
    ASSERT_FALSE(row->choices.empty()) << key;
    const auto& choices = row->choices;
    Key(key,
        std::string(
            choices[static_cast<std::size_t>(draw.Int(0, static_cast<int>(choices.size()) - 1))]));
  }
  // An option: left at its default half the time, else set by `set`.
  void Option(const std::function<void()>& set) {
    if (draw.Coin()) set();
  }
  void File(const std::string& option, const std::string& path) {
    c.args.push_back(option);
    c.args.push_back(path);
  }
  // A retract height and a safe height at or above it.
  void Heights(const std::string& retract, const std::string& safe) {
    const double r = draw.Real(0, 5);
    Key(retract, Text(r));
    Key(safe, Text(r + draw.Real(0, 20)));
  }
};

// The drilling tab's motion and its Options form; `p` is "Cir", "Grid" or "Any".
void Drilling(Builder& b, const std::string& p, const std::string& depth, const std::string& step,
              const std::string& feed, const std::string& spin, const std::string& enSpin,
              const std::string& special) {
  b.Num(depth, 0.1, 20);
  b.Num(step, 0.2, 8);
  b.Num(feed, 1, 2000);
  b.Heights(p + "Retract", p + "Zsafe");
  b.Num(spin, 100, 24000);
  b.Bool(enSpin);
  b.Option([&] { b.Bool(special); });
  b.Option([&] { b.Choice(p + "Scheme"); });
  b.Option([&] { b.Num(p + "Dwell", 0, 3); });
  b.Option([&] { b.Num(p + "BackOff", 0.05, 1); });
  b.Option([&] { b.Int(p + "FullEvery", 0, 6); });
  b.Option([&] { b.Num(p + "PeckFactor", 0.1, 0.95); });
  b.Option([&] { b.Num(p + "MinPeck", 0.1, 2); });
  b.Option([&] { b.Bool(p + "Canned"); });
  b.Option([&] { b.Choice(p + "Return"); });
}

void Circle(Builder& b) {
  b.Num("CirXc", -100, 100);
  b.Num("CirYc", -100, 100);
  b.Num("CirR", 0, 200);
  b.Int("Cirn", 1, 12);
  b.Option([&] { b.Num("CirA", 0, 360); });
  b.Num("Cird", 0.5, 10);
  Drilling(b, "Cir", "CirDepth", "CirStep", "CirFeedrate", "CirSpinSpeed", "CirEnSpin",
           "CirEnSpecialOp");
}

void Grid(Builder& b) {
  b.Num("GridXc", -100, 100);
  b.Num("GridYc", -100, 100);
  b.Int("Gridn", 1, 5);
  b.Int("Gridm", 1, 5);
  b.Num("GridXm", 1, 50);
  b.Num("GridYn", 1, 50);
  b.Num("Gridd", 0.5, 10);
  b.Option([&] { b.Num("GridZigzac", 0, 10); });
  b.Option([&] { b.Bool("GridSub1"); });
  Drilling(b, "Grid", "GridDepth", "GridStep", "GridFeedrate", "GridSpinSpeed", "GridEnSpin",
           "GridEnSpecialOp");
}

void Surface(Builder& b) {
  b.Num("MsqrXc", -100, 100);
  b.Num("MsqrYc", -100, 100);
  b.Num("MsqrLx", 1, 300);
  b.Num("MsqrLy", 1, 300);
  b.Num("MsqrStep", 0.5, 20);
  b.Num("MsqrDepth", 0.1, 5);
  b.Num("MsqrStepdown", 0.1, 3);
  b.Num("MsqrFeedrate", 1, 6000);
  b.Num("MsqrPlugFeed", 1, 1000);
  b.Heights("MsqrRetract", "MsqrZsafe");
  b.Num("MsqrSpinSpeed", 100, 24000);
  b.Option([&] { b.Num("Msqrd", 0, 20); });
  b.Option([&] { b.Bool("MsqrEnSpin"); });
  b.Option([&] { b.Bool("MsqrFlip"); });
  b.Option([&] { b.Bool("MsqrGotoZero"); });
}

// The router tab's machining and its contour options, read by the drawing and
// the cut lists alike.
void Router(Builder& b) {
  b.Num("DxfDepth", 0.1, 10);
  b.Num("DxfStepdown", 0.2, 4);
  b.Num("DxfFeedrate", 1, 3000);
  b.Num("DxfPlugFeed", 1, 1000);
  b.Heights("DxfRetract", "DxfZsafe");
  b.Num("DxfSpinSpeed", 100, 24000);
  b.Option([&] { b.Bool("DxfEnSpin"); });
  b.Option([&] { b.Bool("DxfEnSpOp"); });
  b.Option([&] { b.Choice("DxfOutlines"); });
  b.Option([&] { b.Num("DxfJoinTol", 0.001, 0.5); });
  b.Option([&] { b.Num("DxfChordTol", 0.002, 0.2); });
  b.Option([&] { b.Choice("DxfOrder"); });
  b.Option([&] { b.Choice("DxfSide"); });
  b.Option([&] { b.Num("DxfToolDia", 0.5, 8); });
  b.Option([&] { b.Choice("DxfDirection"); });
  b.Option([&] { b.Choice("DxfEntry"); });
  b.Option([&] { b.Num("DxfRampAngle", 1, 30); });
  b.Option([&] { b.Num("DxfLeadIn", 0, 5); });
  b.Option([&] { b.Int("DxfTabCount", 0, 4); });
  b.Option([&] { b.Num("DxfTabSpacing", 0, 100); });
  b.Option([&] { b.Num("DxfTabWidth", 1, 10); });
  b.Option([&] { b.Num("DxfTabHeight", 0.2, 3); });
  b.Option([&] { b.Bool("DxfPocket"); });
  b.Option([&] { b.Num("DxfStepover", 10, 90); });
}

void Drawing(Builder& b) {
  b.File("--dxf", b.draw.Pick(std::vector<std::string>{
                      Sample("bracket.dxf"), DataPath("geometry/dxf/square.dxf"),
                      DataPath("geometry/dxf/r2000_contours.dxf"),
                      DataPath("geometry/dxf/r2007_edge_cases.dxf"),
                      DataPath("geometry/dxf/many_vertices.dxf"),
                      DataPath("geometry/dxf/outline_entities.dxf"),
                      DataPath("geometry/dxf/r12_entities.dxf")}));
  Router(b);
}

void Cuts(Builder& b) {
  b.File("--cuts", b.draw.Pick(std::vector<std::string>{
                       Sample("cuts-horizontal-shelves.csv"), Sample("cuts-vertical-dividers.csv"),
                       Sample("cuts-strips.csv"), DataPath("generators/lists/horizontal_one.csv"),
                       DataPath("generators/lists/generated.csv"),
                       DataPath("generators/lists/vertical.csv")}));
  b.Num("CutToolDia", 0.5, 8);
  b.Option([&] { b.Bool("CutZigZac"); });
  b.Option([&] { b.Bool("Cut2Way"); });
  Router(b);
}

void Points(Builder& b) {
  Draw& d = b.draw;
  if (d.Int(0, 9) < 3) {
    b.File("--dxf", d.Coin() ? Sample("bracket.dxf") : DataPath("geometry/dxf/r12_entities.dxf"));
  } else {
    b.File("--points", d.Pick(std::vector<std::string>{Sample("points-cover-plate.csv"),
                                                       DataPath("generators/points/drill.csv"),
                                                       DataPath("generators/points/origin.csv")}));
  }
  b.Num("Anyd", 0.5, 8);
  Drilling(b, "Any", "AnyDepth", "AnyStepdown", "AnyFeedrate", "AnySpinSpeed", "AnyEnSpin",
           "AnyEnSpOp");
  b.Option([&] { b.Choice("AnyOrder"); });
  b.Option([&] {
    b.Key("AnyPocket", "True");
    const double r1 = d.Real(0, 3);
    b.Key("AnyRo", Text(r1));
    b.Key("AnyHoleSize", Text(r1 + d.Real(0.5, 10)));
    b.Num("AnyStepOvr", 0.2, 2);
    b.Num("AnyFeedrate2", 1, 2000);
    b.Option([&] { b.Choice("AnyEntry"); });
  });
}

void Thread(Builder& b) {
  b.Num("Pitch", 0.5, 5);
  b.Num("Length", 1, 50);
  b.Num("MajorDia", 3, 40);
  b.Int("Passes", 1, 10);
  b.Num("Feed", 1, 500);
  b.Option([&] { b.Bool("LeftHand"); });
  b.Option([&] { b.Bool("AutoDepth"); });
  b.Num("PitDepth", 0.1, 3);
  b.Option([&] { b.Key("Xaxis", b.draw.Coin() ? "X" : "Y"); });
  b.Option([&] { b.Int("Spin", 100, 24000); });
}

// The sample's taught frame with the sample's operations; the steps' words are
// the operator's, so only the opening's distance mode varies.
void Teach(Builder& b) {
  b.File("--teach", Sample("teach-frame.csv"));
  b.Key("tchOp1", "MOVE*G1");
  b.Key("tchOp2", "SPINDLE ON*M3 S12000");
  b.Key("tchOp3", "SPINDLE OFF*M5");
  b.Key("TchPrefix", b.draw.Coin() ? "G90G21" : "G91G21");
  b.Key("TchSurfix", "M30");
}

std::vector<Case> RandomCases(unsigned seed, int perJob) {
  const std::vector<std::pair<std::string, void (*)(Builder&)>> jobs = {
      {"circle", Circle}, {"grid", Grid},     {"surface", Surface}, {"dxf", Drawing},
      {"points", Points}, {"thread", Thread}, {"cuts", Cuts},       {"teach", Teach},
  };
  Draw draw(seed);
  std::vector<Case> cases;
  for (const auto& [job, make] : jobs) {
    for (int i = 0; i < perJob; ++i) {
      Builder b{draw, {{job}}};
      make(b);
      cases.push_back(std::move(b.c));
    }
  }
  return cases;
}

// The default program of every job that writes one: every box at its default,
// with the sample file a job with a file needs. The teach job is left to its
// sample's command: its operation definitions default to placeholders
// ("Op1*Op1Val") the operator replaces with G-code, operator text like the
// script boxes the sweep leaves empty.
std::vector<Case> DefaultCases() {
  const std::map<FileOption, std::string> files = {
      {FileOption::kDxf, Sample("bracket.dxf")},
      {FileOption::kPoints, Sample("points-cover-plate.csv")},
      {FileOption::kCuts, Sample("cuts-strips.csv")},
      {FileOption::kTeach, Sample("teach-frame.csv")},
  };
  std::vector<Case> cases;
  for (const Job& job : Jobs()) {
    if (!job.writesProgram || job.name == std::string_view("teach")) continue;
    Case c{{std::string(job.name)}};
    if (!job.files.empty()) {
      const FileOption f = job.files.front();
      for (const FileOptionRow& row : kFileOptions) {
        if (row.option == f) c.args.push_back(std::string(row.name));
      }
      c.args.push_back(files.at(f));
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

// The words of a command line as a command prompt splits them: blanks apart,
// double quotes around a word that holds blanks.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

// Every "kelvora JOB ..." command of the samples' README, its sample paths
// made into this tree's.
std::vector<Case> SampleCases() {
  std::ifstream in(Sample("README.txt"), std::ios::binary);
  std::vector<Case> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto start = line.find_first_not_of(' ');
    if (start == std::string::npos || line.compare(start, 8, "kelvora ") != 0) continue;
    std::vector<std::string> words = Words(line.substr(start));
    Case c;
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::string w = words[i];
      if (w.rfind("samples\\", 0) == 0) w = Sample(w.substr(8));
      c.args.push_back(w);
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

// ---------------------------------------------------------------------------
// The checks.

// Numbers in a message made into '#', so that one cause is one group.
std::string Shape(const std::string& text) {
  static const std::regex kNumber(R"([-+]?[0-9]+(\.[0-9]+)?)");
  return std::regex_replace(text, kNumber, "#");
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

// The host's macros M100-M199 run files of the configuration's folder, which
// the standalone interpreter has none of: they are blanked for the reading.
std::string WithoutUserMCodes(const std::string& program) {
  static const std::regex kUserMCode("[Mm]1[0-9][0-9](?![0-9.])");
  return std::regex_replace(program, kUserMCode, "");
}

// The warnings of the report that --report writes after the program: its
// finding lines without "note: ", each as its text (the detail in brackets
// left out).
struct Warning {
  std::string text;
  std::string line;  // the report's line, detail and all
};

std::vector<Warning> ReportWarnings(const std::string& err) {
  static const std::regex kFinding(R"(^line [0-9]+: (.*)$)");
  std::vector<Warning> warnings;
  std::stringstream lines(err);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, kFinding)) continue;
    std::string text = m[1].str();
    if (text.rfind("note: ", 0) == 0) continue;
    if (!text.empty() && text.back() == ')') {
      const auto open = text.rfind(" (");
      if (open != std::string::npos) text.resize(open);
    }
    warnings.push_back({text, line});
  }
  return warnings;
}

// What rs274 said when it stopped: the lines it printed that are not its
// canonical calls (the message, then the line it stopped at).
std::vector<std::string> Rs274Said(const motion::testing::Rs274Run& run) {
  static const std::regex kCall(R"(^\s*[0-9]+ N\.\.\.\.\. )");
  std::vector<std::string> said;
  std::stringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line == "executing" || std::regex_search(line, kCall)) continue;
    said.push_back(line);
  }
  if (said.empty()) said.push_back("stopped before the end");
  return said;
}

// One thing wrong with a case on one control.
struct Problem {
  std::string check;  // "report", "rs274", "acceptance", "refusal"
  std::string cause;  // the message, its numbers made '#'
  std::string detail;
};

// What one case gave on one control.
struct Result {
  enum class Kind { kProgram, kRefused, kControlRefused } kind = Kind::kProgram;
  std::string program;
  std::string refusal;  // the refused key
  std::vector<Problem> problems;
};

// Whether the refusal names a box the job reads: "Parameters error" and the
// key, or a message with the key in it.
std::string RefusedKey(const std::string& job, const std::string& err) {
  for (const Job& j : Jobs()) {
    if (j.name != job) continue;
    for (const JobKey& k : j.keys) {
      const std::regex word("(^|[^A-Za-z0-9])" + std::string(k.key) + "([^A-Za-z0-9]|$)");
      if (std::regex_search(err, word)) return std::string(k.key);
    }
  }
  return {};
}

// The case written for the control: the report, and, for GRBL and grblHAL,
// the acceptance check. LinuxCNC's program is left to the caller for rs274.
Result Generate(const Case& c, const Dialect& dialect) {
  std::vector<std::string> args = c.args;
  args.insert(args.end(), {"--dialect", dialect.name, "--report"});
  const CliRun run = RunArgs(args);
  Result r;
  if (run.status == kExitUsage) {
    r.kind = Result::Kind::kRefused;
    r.problems.push_back({"usage", FirstLine(run.err), run.err});
    return r;
  }
  if (run.status != kExitOk) {
    r.kind = Result::Kind::kRefused;
    // The thread turns A, which GRBL has not: refused by the control, rightly.
    if (c.Job() == "thread" && dialect.check == Dialect::Check::kGrbl &&
        run.err.rfind("This control has no A axis\n", 0) == 0) {
      r.kind = Result::Kind::kControlRefused;
      return r;
    }
    r.refusal = RefusedKey(c.Job(), run.err);
    // Canned output refused for the drilling scheme, dwell or special
    // operation it cannot stand for: the message names the option it concerns.
    if (r.refusal.empty() && run.err.find("canned cycle") != std::string::npos) {
      r.refusal = "canned output with " + FirstLine(run.err);
    }
    if (r.refusal.empty()) {
      r.problems.push_back({"refusal", Shape(FirstLine(run.err)), run.err});
    }
    return r;
  }
  r.program = run.out;
  // The finding's line of the report, and the program's line it names.
  std::vector<std::string> programLines;
  {
    std::stringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      programLines.push_back(line);
    }
  }
  for (const Warning& w : ReportWarnings(run.err)) {
    const auto number = static_cast<std::size_t>(std::atol(w.line.c_str() + 5));
    std::string detail = w.line;
    if (number >= 1 && number <= programLines.size()) {
      detail += "\n  " + programLines[number - 1];
    }
    r.problems.push_back({"report", w.text, detail});
  }
  if (dialect.check == Dialect::Check::kGrbl || dialect.check == Dialect::Check::kGrblHal) {
    const auto flavour = dialect.check == Dialect::Check::kGrbl ? acceptance::Flavour::kGrbl
                                                                : acceptance::Flavour::kGrblHal;
    for (const acceptance::Refusal& refusal : acceptance::GrblAccepts(run.out, flavour)) {
      r.problems.push_back({"acceptance", Shape(refusal.reason),
                            "line " + std::to_string(refusal.line) + ": " + refusal.reason});
    }
  }
  return r;
}

void AddRs274(Result& r, const motion::testing::Rs274Run& reading) {
  if (reading.ended) return;
  const std::vector<std::string> said = Rs274Said(reading);
  std::string detail;
  for (const std::string& line : said) detail += line + "\n";
  r.problems.push_back({"rs274", Shape(said.front()), detail});
}

// The command line that reproduces a case, to paste in the source folder.
std::string CommandLine(const Case& c, const Dialect& dialect) {
  const std::string data = DataPath("");
  std::string line = "kelvora";
  std::vector<std::string> args = c.args;
  args.insert(args.end(), {"--dialect", dialect.name, "--report"});
  for (std::string a : args) {
    if (a.rfind(data, 0) == 0) a = "tests/" + a.substr(data.size());
    if (a.rfind("tests/../samples/", 0) == 0) a = a.substr(9);
    const bool plain = a.find_first_of(" *'\"\\$&;|<>()") == std::string::npos && !a.empty();
    line += plain ? " " + a : " '" + a + "'";
  }
  return line;
}

// One cause and every case that showed it.
struct Group {
  std::set<std::string> dialects;
  int count = 0;
  Case shortest;
  const Dialect* dialect = nullptr;
  std::string detail;
};

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value == nullptr || *value == '\0' ? fallback : std::atoi(value);
}

class Sweep : public motion::testing::Rs274Test {
 protected:
  // Every case on every control; a failure of the test for every cause found.
  void Run(const std::vector<Case>& cases, const std::string& what) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::pair<std::size_t, const Dialect*>> linuxCnc;
    std::vector<std::string> linuxCncPrograms;
    std::vector<std::vector<Result>> results(cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      for (const Dialect& d : kDialects) {
        results[i].push_back(Generate(cases[i], d));
        Result& r = results[i].back();
        if (d.check == Dialect::Check::kRs274 && r.kind == Result::Kind::kProgram) {
          linuxCnc.emplace_back(i, &d);
          linuxCncPrograms.push_back(WithoutUserMCodes(r.program));
        }
      }
    }
    const auto readings = motion::testing::RunRs274Batch(rs274_, linuxCncPrograms);
    for (std::size_t k = 0; k < linuxCnc.size(); ++k) {
      AddRs274(results[linuxCnc[k].first][static_cast<std::size_t>(linuxCnc[k].second - kDialects)],
               readings[k]);
    }

    int programs = 0;
    int refused = 0;
    int controlRefused = 0;
    std::map<std::string, int> refusedKeys;
    std::map<std::string, Group> groups;
    for (std::size_t i = 0; i < cases.size(); ++i) {
      for (std::size_t d = 0; d < std::size(kDialects); ++d) {
        const Result& r = results[i][d];
        if (r.kind == Result::Kind::kProgram) ++programs;
        if (r.kind == Result::Kind::kControlRefused) ++controlRefused;
        if (r.kind == Result::Kind::kRefused && !r.refusal.empty()) {
          ++refused;
          ++refusedKeys[cases[i].Job() + " " + r.refusal];
        }
        std::set<std::string> seen;
        for (const Problem& p : r.problems) {
          const std::string key = p.check + " | " + cases[i].Job() + " | " + p.cause;
          if (!seen.insert(key).second) continue;
          Group& g = groups[key];
          g.dialects.insert(kDialects[d].name);
          ++g.count;
          const std::string line = CommandLine(cases[i], kDialects[d]);
          if (g.dialect == nullptr || line.size() < CommandLine(g.shortest, *g.dialect).size()) {
            g.shortest = cases[i];
            g.dialect = &kDialects[d];
            g.detail = p.detail;
          }
        }
      }
    }
    const int runs = static_cast<int>(cases.size() * std::size(kDialects));
    std::string refusals;
    for (const auto& [key, n] : refusedKeys) {
      refusals += "\n  " + key + " x" + std::to_string(n);
    }
    std::printf(
        "%s: %zu cases, %d runs: %d programs, %d refused naming a key, %d refused by "
        "the control (thread's A on GRBL), %zu causes of failure\n",
        what.c_str(), cases.size(), runs, programs, refused, controlRefused, groups.size());
    if (!refusals.empty()) std::printf("refusals:%s\n", refusals.c_str());
    // Most runs make a program: the sweep is of programs, not of refusals.
    EXPECT_GT(programs, (runs - controlRefused) * 3 / 4) << what;

    std::printf("%s: checked in %lld s\n", what.c_str(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count()));
    // Each cause's case shrunk to the inputs it needs, while time allows
    // (KELVORA_SWEEP_SHRINK_SECONDS, 20 by default).
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::seconds(EnvInt("KELVORA_SWEEP_SHRINK_SECONDS", 20));
    for (auto& [key, g] : groups) {
      const std::string problemKey = key;
      if (std::chrono::steady_clock::now() < deadline) Shrink(g, problemKey);
      std::string dialects;
      for (const std::string& d : g.dialects) dialects += (dialects.empty() ? "" : ", ") + d;
      ADD_FAILURE() << key << "\n  " << g.count << " of " << runs << " runs, on " << dialects
                    << "\n  " << CommandLine(g.shortest, *g.dialect) << "\n"
                    << Excerpt(g.detail);
    }
  }

  // Whether the case on the control still shows the problem of `key`.
  bool Shows(const Case& c, const Dialect& d, const std::string& key) {
    Result r = Generate(c, d);
    if (d.check == Dialect::Check::kRs274 && r.kind == Result::Kind::kProgram) {
      AddRs274(r, motion::testing::RunRs274(rs274_, WithoutUserMCodes(r.program)));
    }
    for (const Problem& p : r.problems) {
      if (p.check + " | " + c.Job() + " | " + p.cause == key) return true;
    }
    return false;
  }

  // The group's case with every input dropped back to its default that the
  // problem does not need.
  void Shrink(Group& g, const std::string& key) {
    Case c = g.shortest;
    for (std::size_t i = c.args.size(); i-- > 1;) {
      if (c.args[i].find('=') == std::string::npos) continue;  // a file option
      Case fewer = c;
      fewer.args.erase(fewer.args.begin() + static_cast<std::ptrdiff_t>(i));
      if (Shows(fewer, *g.dialect, key)) c = std::move(fewer);
    }
    g.shortest = std::move(c);
  }

  static std::string Excerpt(const std::string& detail) {
    std::string text;
    std::stringstream lines(detail);
    std::string line;
    for (int n = 0; n < 6 && std::getline(lines, line); ++n) text += "    " + line + "\n";
    return text;
  }
};

TEST_F(Sweep, RandomInputsOnEveryControl) {
  const auto seed = static_cast<unsigned>(EnvInt("KELVORA_SWEEP_SEED", kCiSeed));
  const int perJob = EnvInt("KELVORA_SWEEP_COUNT", kCiRunsPerJob);
  const std::vector<Case> cases = RandomCases(seed, perJob);
  ASSERT_EQ(cases.size(), static_cast<std::size_t>(perJob) * 8);
  Run(cases, "seed " + std::to_string(seed) + ", " + std::to_string(perJob) + " runs a job");
}

TEST_F(Sweep, DefaultsAndSamplesOnEveryControl) {
  const std::vector<Case> defaults = DefaultCases();
  ASSERT_EQ(defaults.size(), 7u);  // every job but the point grid and the teach program
  const std::vector<Case> samples = SampleCases();
  ASSERT_EQ(samples.size(), 7u);  // the README's seven commands
  std::vector<Case> cases = defaults;
  cases.insert(cases.end(), samples.begin(), samples.end());
  Run(cases, "defaults and samples");
}

}  // namespace
}  // namespace kelvora::cli
