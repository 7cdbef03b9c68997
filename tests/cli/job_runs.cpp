#include "cli/job_runs.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "cli/cli_run.h"

namespace kelvora::cli::testing {
namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, separator)) fields.push_back(field);
  return fields;
}

std::string Replaced(std::string text, std::string_view from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// Random texts on the boxes' grids.
class Draw {
 public:
  explicit Draw(unsigned seed) : random_(seed) {}

  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Coin(int inTen = 5) { return Int(0, 9) < inTen; }
  // A number from `low` to `high` with three decimals at most.
  double Real(double low, double high) {
    const double v = std::uniform_real_distribution<double>(low, high)(random_);
    return static_cast<double>(static_cast<long long>(v * 1000.0)) / 1000.0;
  }
  std::string Num(double low, double high) { return Text(Real(low, high)); }
  static std::string Text(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
  }
  std::string Bool(int inTen = 5) { return Coin(inTen) ? "True" : "False"; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Int(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  std::mt19937 random_;
};

struct Builder {
  Draw& draw;
  const std::vector<std::string>& scripts;
  JobRun run;

  void Key(const std::string& key, const std::string& value) {
    run.args.push_back(key + "=" + value);
  }
  void File(const std::string& option, const std::string& relative) {
    run.args.push_back(option);
    run.args.push_back(DataPath(relative));
  }
  // A script box: empty, or one or two of the scripts, with either line end.
  void Script(const std::string& key) {
    if (scripts.empty() || draw.Coin(3)) return Key(key, "");
    std::string text = draw.Pick(scripts);
    if (draw.Coin(3)) text += (draw.Coin() ? "\r\n" : "\n") + draw.Pick(scripts);
    Key(key, text);
  }
  // The motion inputs every drilling tab shares; `prefix` is "Cir", "Grid", "Any".
  void Drilling(const std::string& prefix, const std::string& depth, const std::string& step,
                const std::string& feed, const std::string& spin, const std::string& enSpin) {
    static const std::vector<std::string> kSchemes = {"Standard", "Full retract", "Chip break",
                                                      "Decreasing", "Single plunge"};
    const double retract = draw.Real(0, 5);
    Key(depth, draw.Num(0.1, 20));
    Key(step, draw.Num(0.2, 8));
    Key(feed, draw.Num(10, 2000));
    Key(prefix + "Retract", Draw::Text(retract));
    Key(prefix + "Zsafe", Draw::Text(retract + draw.Real(0, 20)));
    Key(spin, draw.Num(100, 24000));
    Key(enSpin, draw.Bool());
    static const std::vector<std::string> kCannedSchemes = {"Single plunge", "Full retract",
                                                            "Chip break"};
    // Canned output stands for the schemes that have a cycle, and a cycle
    // dwells only with a single plunge.
    run.canned = draw.Coin();
    const std::string& scheme = draw.Pick(run.canned ? kCannedSchemes : kSchemes);
    Key(prefix + "Scheme", scheme);
    const bool dwells = !run.canned || scheme == "Single plunge";
    Key(prefix + "Dwell", dwells && draw.Coin(3) ? draw.Num(0.1, 3) : "0");
    Key(prefix + "BackOff", draw.Num(0.05, 1));
    Key(prefix + "FullEvery", std::to_string(draw.Int(0, 6)));
    Key(prefix + "PeckFactor", draw.Num(0.1, 0.95));
    Key(prefix + "MinPeck", draw.Num(0.1, 2));
    Key(prefix + "Canned", run.canned ? "True" : "False");
    Key(prefix + "Return", draw.Coin() ? "G98" : "G99");
  }
};

using Maker = std::function<void(Builder&)>;

void Circle(Builder& b) {
  Draw& d = b.draw;
  b.Key("CirXc", d.Num(-100, 100));
  b.Key("CirYc", d.Num(-100, 100));
  b.Key("CirR", d.Num(0, 200));
  b.Key("Cirn", std::to_string(d.Int(1, 12)));
  b.Key("CirA", d.Num(0, 360));
  b.Key("Cird", d.Num(0.5, 10));
  b.Drilling("Cir", "CirDepth", "CirStep", "CirFeedrate", "CirSpinSpeed", "CirEnSpin");
  // The special operation cannot stand inside a cycle.
  b.Key("CirEnSpecialOp", b.run.canned ? "False" : d.Bool());
  b.Script("CirSpOpStr");
}

void Grid(Builder& b) {
  Draw& d = b.draw;
  b.Key("GridXc", d.Num(-100, 100));
  b.Key("GridYc", d.Num(-100, 100));
  b.Key("Gridn", std::to_string(d.Int(1, 5)));
  b.Key("Gridm", std::to_string(d.Int(1, 5)));
  b.Key("GridXm", d.Num(1, 50));
  b.Key("GridYn", d.Num(1, 50));
  b.Key("Gridd", d.Num(0.5, 10));
  b.Key("GridZigzac", d.Coin() ? "0" : d.Num(0, 10));
  b.Key("GridSub1", d.Bool());
  b.Drilling("Grid", "GridDepth", "GridStep", "GridFeedrate", "GridSpinSpeed", "GridEnSpin");
  b.Key("GridEnSpecialOp", b.run.canned ? "False" : d.Bool());
  b.Script("GridSpOpStr");
}

void Surface(Builder& b) {
  Draw& d = b.draw;
  const double retract = d.Real(0, 5);
  b.Key("MsqrXc", d.Num(-100, 100));
  b.Key("MsqrYc", d.Num(-100, 100));
  b.Key("MsqrLx", d.Num(1, 300));
  b.Key("MsqrLy", d.Num(1, 300));
  b.Key("MsqrStep", d.Num(0.5, 20));
  b.Key("MsqrDepth", d.Num(0.1, 5));
  b.Key("MsqrStepdown", d.Num(0.1, 3));
  b.Key("MsqrFeedrate", d.Num(100, 6000));
  b.Key("MsqrPlugFeed", d.Num(10, 1000));
  b.Key("MsqrRetract", Draw::Text(retract));
  b.Key("MsqrZsafe", Draw::Text(retract + d.Real(0, 20)));
  b.Key("MsqrSpinSpeed", d.Num(100, 24000));
  b.Key("MsqrEnSpin", d.Bool());
  b.Key("MsqrFlip", d.Bool());
  b.Key("MsqrGotoZero", d.Bool());
}

// The inputs the contour and cut-list jobs share.
void ContourMotion(Builder& b) {
  Draw& d = b.draw;
  const double retract = d.Real(0, 5);
  b.Key("DxfDepth", d.Num(0.1, 5));
  b.Key("DxfStepdown", d.Num(0.2, 3));
  b.Key("DxfFeedrate", d.Num(10, 3000));
  b.Key("DxfPlugFeed", d.Num(10, 1000));
  b.Key("DxfRetract", Draw::Text(retract));
  b.Key("DxfZsafe", Draw::Text(retract + d.Real(0, 20)));
  b.Key("DxfSpinSpeed", d.Num(100, 24000));
  b.Key("DxfEnSpin", d.Bool());
  b.Key("DxfEnSpOp", d.Bool());
  b.Script("DxfSpOpStr");
  b.Script("DxfSpOpStrOff");
  b.Script("DxfEndScript");
}

void Contour(Builder& b) {
  b.File("--dxf", b.draw.Pick(std::vector<std::string>{
                      "geometry/dxf/square.dxf", "geometry/dxf/r2000_contours.dxf",
                      "geometry/dxf/r2007_edge_cases.dxf", "geometry/dxf/many_vertices.dxf"}));
  ContourMotion(b);
}

void Cuts(Builder& b) {
  Draw& d = b.draw;
  b.File("--cuts", d.Pick(std::vector<std::string>{"generators/lists/horizontal_one.csv",
                                                   "generators/lists/generated.csv",
                                                   "generators/lists/vertical.csv"}));
  b.Key("CutToolDia", d.Num(0.5, 8));
  b.Key("CutZigZac", d.Bool());
  b.Key("Cut2Way", d.Bool());
  ContourMotion(b);
}

void Points(Builder& b) {
  Draw& d = b.draw;
  if (d.Coin(3)) {
    b.File("--dxf", "geometry/dxf/r12_entities.dxf");
  } else {
    b.File("--points", d.Pick(std::vector<std::string>{"generators/points/drill.csv",
                                                       "generators/points/origin.csv"}));
  }
  const bool pocket = d.Coin(4);
  b.Key("AnyPocket", pocket ? "True" : "False");
  b.Drilling("Any", "AnyDepth", "AnyStepdown", "AnyFeedrate", "AnySpinSpeed", "AnyEnSpin");
  if (pocket) {
    b.run.canned = false;  // pockets are milled, not drilled
    const double r1 = d.Real(0, 3);
    b.Key("AnyRo", Draw::Text(r1));
    b.Key("AnyHoleSize", Draw::Text(r1 + d.Real(0.5, 10)));
    b.Key("AnyStepOvr", d.Num(0.2, 2));
    b.Key("Anyd", d.Num(0.5, 4));
    b.Key("AnyFeedrate2", d.Num(10, 2000));
    b.Key("AnyEntry", d.Coin() ? "Plunge" : "Helix");
  } else {
    b.Key("Anyd", d.Num(0.5, 10));
  }
  b.Key("AnyOrder", d.Coin() ? "As listed" : "Shortest");
  b.Key("AnyEnSpOp", b.run.canned ? "False" : d.Bool());
  b.Script("AnySpOpStr");
  b.Script("AnyEndScript");
}

void Thread(Builder& b) {
  Draw& d = b.draw;
  b.Key("Pitch", d.Num(0.5, 5));
  b.Key("Length", d.Num(1, 50));
  b.Key("MajorDia", d.Num(3, 40));
  b.Key("Passes", std::to_string(d.Int(1, 10)));
  b.Key("Feed", d.Num(10, 500));
  b.Key("LeftHand", d.Bool());
  b.Key("AutoDepth", d.Bool());
  b.Key("PitDepth", d.Num(0.1, 3));
  const bool swapped = d.Coin(2);
  b.Key("Zaxis", "Z");
  b.Key("Xaxis", swapped ? "Y" : "X");
  b.Key("Spin", d.Coin(2) ? "" : std::to_string(d.Int(100, 24000)));
}

void Teach(Builder& b) {
  Draw& d = b.draw;
  b.File("--teach", d.Pick(std::vector<std::string>{"generators/lists/teach_example.csv",
                                                    "generators/lists/teach_reports.csv"}));
  b.Key("tchOp1", d.Pick(std::vector<std::string>{"MOVE*G1", "RAPID*G0"}));
  b.Key("tchOp2", d.Pick(std::vector<std::string>{"Spin*M3S8000", "Cool*M8", "Wait*G4P1"}));
  b.Key("tchOp3", d.Pick(std::vector<std::string>{"*M8", "Off*M9", "Stop*M5"}));
  b.Key("TchPrefix", d.Pick(std::vector<std::string>{"G91G21", "G90G21", "G91G21F500"}));
  b.Script("TchSurfix");
}

}  // namespace

const std::vector<std::string>& ScriptTexts() {
  static const std::vector<std::string> scripts = {
      "M8", "M9",   "M7",   "G4P0.5", "(clamp check)",
      "M6", "M101", "T2M6", "G64",    "(" + std::string(90, 'c') + ")"};
  return scripts;
}

std::vector<JobRun> WorkedExamples() {
  std::vector<JobRun> runs;
  std::ifstream in(DataPath("cli/cases.txt"));
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    std::vector<std::string> fields = Split(Replaced(line, "@DATA@", DataPath("")), '|');
    if (fields.size() < 3 || fields[1] != "0") continue;
    const std::string& job = fields[2];
    if (job == "check" || job == "autogrid") continue;  // no program of a job
    bool own = false;
    for (const std::string& a : fields) {
      own = own || a == "-o" || a == "--preview" || a == "--dialect";
    }
    if (own) continue;
    JobRun run;
    run.label = "cases.txt line " + std::to_string(number) + ": " + line;
    run.args.assign(fields.begin() + 2, fields.end());
    for (const std::string& a : run.args) {
      run.canned =
          run.canned || a == "CirCanned=True" || a == "GridCanned=True" || a == "AnyCanned=True";
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

std::vector<JobRun> RandomRuns(int perJob, unsigned seed, const std::vector<std::string>& scripts) {
  const std::vector<std::pair<std::string, Maker>> makers = {
      {"circle", Circle}, {"grid", Grid},     {"surface", Surface}, {"dxf", Contour},
      {"points", Points}, {"thread", Thread}, {"cuts", Cuts},       {"teach", Teach},
  };
  Draw draw(seed);
  std::vector<JobRun> runs;
  for (const auto& [job, make] : makers) {
    for (int i = 0; i < perJob; ++i) {
      Builder b{draw, scripts, {}};
      b.run.args.push_back(job);
      make(b);
      b.run.label = "random " + job + " #" + std::to_string(i) + ":";
      for (std::size_t a = 1; a < b.run.args.size(); ++a) b.run.label += " '" + b.run.args[a] + "'";
      runs.push_back(std::move(b.run));
    }
  }
  return runs;
}

std::optional<std::string> KnownFault(const JobRun& run) {
  const std::string& job = run.args.front();
  if (job == "points") {
    // The drilling feed left at its default 0: the program moves at F0, which
    // the host only reports ("No Feedrate").
    const auto feed = ValueOf(run, "AnyFeedrate");
    if (!feed || std::strtod(feed->c_str(), nullptr) == 0.0) return "feed moves at F0";
  }
  if (job == "teach") {
    // A teach file whose first feed rows leave F blank, under a prefix with no
    // F: the first G1 has no feed rate.
    bool blankFeeds = false;
    for (const std::string& a : run.args) {
      blankFeeds = blankFeeds || a.find("teach_reports.csv") != std::string::npos;
    }
    const std::string move = ValueOf(run, "tchOp1").value_or("");
    const std::string prefix = ValueOf(run, "TchPrefix").value_or("G91G21");
    if (blankFeeds && move.find("G1") != std::string::npos &&
        prefix.find('F') == std::string::npos) {
      return "G1 before any feed rate";
    }
  }
  return std::nullopt;
}

std::optional<std::string> ValueOf(const JobRun& run, std::string_view key) {
  std::optional<std::string> value;
  const std::string prefix = std::string(key) + "=";
  for (const std::string& a : run.args) {
    if (a.rfind(prefix, 0) == 0) value = a.substr(prefix.size());
  }
  return value;
}

}  // namespace kelvora::cli::testing
