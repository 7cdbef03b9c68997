// The drilling jobs the equivalence and hole tests run: the circle, grid and
// point-list tabs' worked examples with every canned cycle, and random jobs on
// the boxes' number grids; each gives its canned program as the tab writes it
// and the moves the control makes for it, or any scheme's moves program.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "generators/circle.h"
#include "generators/drill_schemes.h"
#include "generators/grid.h"
#include "generators/point_list.h"
#include "motion/drill_steps.h"

namespace kelvora::motion::testing {

using generators::DrillProgramInputs;
using generators::DrillScheme;
using generators::HoleReturn;
using generators::PointRow;

enum class Tab { kCircle, kGrid, kPoints };

struct TabKeys {
  const char* prefix;
  const char* depth;
  const char* step;
  const char* feed;
  const char* retract;
  const char* zsafe;
  const char* spin;
  const char* enSpin;
  const char* enSpecialOp;
  text::NumberFormat numbers;  // how the tab writes its coordinates
};

inline const TabKeys& KeysOf(Tab tab) {
  static const TabKeys kCircle{
      "Cir",      "CirDepth",     "CirStep",   "CirFeedrate",    "CirRetract",
      "CirZsafe", "CirSpinSpeed", "CirEnSpin", "CirEnSpecialOp", text::NumberFormat::kMax3};
  static const TabKeys kGrid{
      "Grid",      "GridDepth",     "GridStep",   "GridFeedrate",    "GridRetract",
      "GridZsafe", "GridSpinSpeed", "GridEnSpin", "GridEnSpecialOp", text::NumberFormat::kFixed3};
  static const TabKeys kPoints{
      "Any",      "AnyDepth",     "AnyStepdown", "AnyFeedrate", "AnyRetract",
      "AnyZsafe", "AnySpinSpeed", "AnyEnSpin",   "AnyEnSpOp",   text::NumberFormat::kFixed3};
  return tab == Tab::kCircle ? kCircle : tab == Tab::kGrid ? kGrid : kPoints;
}

inline std::string Fixed3(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// The motion inputs every drilling tab has, numbers on the boxes' 3-decimal grid.
struct Motion {
  double depth = 5, step = 2, feed = 100, retract = 1, zsafe = 3, spindle = 1000;
  bool enSpin = true;
};

// A scheme with a canned cycle, and where the tool waits between holes.
struct Variant {
  DrillScheme scheme = DrillScheme::kSinglePlunge;
  double dwell = 0;
  HoleReturn holeReturn = HoleReturn::kStartHeight;
  double backOff = 0.1;  // the operator's, which G73 does not use
  int fullEvery = 0;     // likewise
  // The words the canned program's first hole starts with.
  std::string Cycle() const {
    std::string words = holeReturn == HoleReturn::kStartHeight ? "G98" : "G99";
    if (scheme == DrillScheme::kFullRetract) return words + "G83";
    if (scheme == DrillScheme::kChipBreak) return words + "G73";
    return words + (dwell > 0 ? "G82" : "G81");
  }
};

struct DrillCase {
  std::string label;
  Tab tab = Tab::kCircle;
  std::map<std::string, std::string, std::less<>> texts;
  std::vector<PointRow> rows;  // the point list's
  DrillProgramInputs in;       // the same inputs as values, for the moves program
  std::string cycle;
};

// The case's texts: the pattern's, the motion inputs, the options with canned
// output on.
inline DrillCase MakeCase(std::string label, Tab tab,
                          std::map<std::string, std::string, std::less<>> pattern, const Motion& m,
                          const Variant& v) {
  const TabKeys& k = KeysOf(tab);
  const std::string p = k.prefix;
  DrillCase c;
  c.label = std::move(label);
  c.tab = tab;
  c.texts = std::move(pattern);
  c.texts[k.depth] = Fixed3(m.depth);
  c.texts[k.step] = Fixed3(m.step);
  c.texts[k.feed] = Fixed3(m.feed);
  c.texts[k.retract] = Fixed3(m.retract);
  c.texts[k.zsafe] = Fixed3(m.zsafe);
  c.texts[k.spin] = Fixed3(m.spindle);
  c.texts[k.enSpin] = m.enSpin ? "True" : "False";
  c.texts[k.enSpecialOp] = "False";
  c.texts[p + "Scheme"] = std::string(generators::kDrillSchemeNames[static_cast<int>(v.scheme)]);
  c.texts[p + "Dwell"] = Fixed3(v.dwell);
  c.texts[p + "BackOff"] = Fixed3(v.backOff);
  c.texts[p + "FullEvery"] = std::to_string(v.fullEvery);
  c.texts[p + "PeckFactor"] = "0.8";
  c.texts[p + "MinPeck"] = Fixed3(m.step / 2);
  c.texts[p + "Canned"] = "True";
  c.texts[p + "Return"] = std::string(generators::kHoleReturnNames[static_cast<int>(v.holeReturn)]);
  if (tab == Tab::kPoints) {
    c.texts.try_emplace("Anyd", "3");
    c.texts.try_emplace("AnyPocket", "False");
    c.texts.try_emplace("AnyEndScript", "M30");
    c.texts.try_emplace("AnyOrder", "As listed");
    c.texts.try_emplace("AnyEntry", "Plunge");
  }
  c.in.depth = m.depth;
  c.in.pass = m.step;
  c.in.feed = m.feed;
  c.in.retract = m.retract;
  c.in.zsafe = m.zsafe;
  c.in.spindle = m.spindle;
  c.in.enSpin = m.enSpin;
  c.in.scheme.scheme = v.scheme;
  c.in.scheme.dwell = v.dwell;
  c.in.scheme.backOff = v.backOff;
  c.in.scheme.fullEvery = v.fullEvery;
  c.in.scheme.factor = 0.8;
  c.in.scheme.minPeck = m.step / 2;
  c.in.scheme.canned = true;
  c.in.scheme.holeReturn = v.holeReturn;
  c.cycle = v.Cycle();
  return c;
}

struct Programs {
  std::string canned;  // from the tab's job, as the button writes it
  std::string moves;   // the same holes as moves with the control's distances
  std::size_t holes = 0;
};

using Texts = std::map<std::string, std::string, std::less<>>;

// The tab's job, as its button runs it, on `texts`.
inline Outcome<std::string> RunTab(const DrillCase& c, const Texts& texts,
                                   const generators::ListSink& sink = {}) {
  const auto lookup = [&texts](std::string_view key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  };
  if (c.tab == Tab::kPoints) {
    auto program = generators::PointsJob(c.rows, lookup, sink);
    if (!program) return program.failure();
    return program->text;
  }
  return c.tab == Tab::kCircle ? generators::CircleJob(lookup, sink)
                               : generators::GridJob(lookup, sink);
}

inline ::testing::AssertionResult Refused(const char* what, const Failure& f) {
  return ::testing::AssertionFailure() << what << ": " << f.message << " " << f.detail;
}

// Both programs of a case, or a failure naming what refused.
inline ::testing::AssertionResult MakePrograms(const DrillCase& c, Programs& out) {
  geometry::DrawList holes;
  const generators::ListSink keep = [&holes](const geometry::DrawList& list) {
    holes.clear();
    for (const auto& o : list) {
      holes.push_back(std::make_unique<geometry::CDrill>(static_cast<const geometry::CDrill&>(*o)));
    }
  };
  const auto canned = RunTab(c, c.texts, keep);
  if (!canned) return Refused("canned program", canned.failure());
  out.canned = *canned;
  if (holes.empty()) return ::testing::AssertionFailure() << "the job handed on no holes";
  out.holes = holes.size();
  std::optional<std::string_view> endScript;
  if (c.tab == Tab::kPoints) endScript = c.texts.at("AnyEndScript");
  const auto moves = generators::ControlEquivalent(holes, c.in, KeysOf(c.tab).numbers, endScript);
  if (!moves) return Refused("moves program", moves.failure());
  out.moves = *moves;
  if (out.canned.find(c.cycle) == std::string::npos) {
    return ::testing::AssertionFailure() << "no " << c.cycle << " in the canned program";
  }
  return ::testing::AssertionSuccess();
}

// The moves program the tab writes for the case's holes with `scheme` (canned
// output off; the tab's own distances, back-off and N).
inline ::testing::AssertionResult MakeMovesProgram(const DrillCase& c, DrillScheme scheme,
                                                   std::string& out) {
  Texts texts = c.texts;
  const std::string p = KeysOf(c.tab).prefix;
  texts[p + "Scheme"] = std::string(generators::kDrillSchemeNames[static_cast<int>(scheme)]);
  texts[p + "Canned"] = "False";
  const auto program = RunTab(c, texts);
  if (!program) return Refused("moves program", program.failure());
  out = *program;
  return ::testing::AssertionSuccess();
}

inline constexpr DrillScheme kEveryScheme[] = {DrillScheme::kStandard, DrillScheme::kFullRetract,
                                               DrillScheme::kChipBreak, DrillScheme::kDecreasing,
                                               DrillScheme::kSinglePlunge};

inline StepSink ReadSteps(const std::string& program) {
  StepSink sink;
  ReadProgram(program, sink);
  return sink;
}

// The reader's moves of both programs agree after the normalisation in
// drill_steps.h: moves that end where the tool stands are dropped from both, and
// the control's degenerate last peck from the canned program's.
inline ::testing::AssertionResult SameMotion(const Programs& p) {
  const StepSink canned = ReadSteps(p.canned);
  const StepSink moves = ReadSteps(p.moves);
  if (!canned.notices.empty()) {
    return ::testing::AssertionFailure() << "canned program: notice " << canned.notices.front();
  }
  if (!moves.notices.empty()) {
    return ::testing::AssertionFailure() << "moves program: notice " << moves.notices.front();
  }
  const auto a = WithoutDegeneratePecks(WithoutStandingMoves(canned.steps));
  const auto b = WithoutStandingMoves(moves.steps);
  // Every hole is at least reached, fed into and left.
  if (b.size() < 3 * p.holes) return ::testing::AssertionFailure() << "too few moves: " << b.size();
  const std::string difference = FirstStepDifference(a, b);
  if (!difference.empty()) return ::testing::AssertionFailure() << difference;
  return ::testing::AssertionSuccess();
}

// ---- The cases -------------------------------------------------------------------

inline const std::vector<Variant>& EveryCycle() {
  static const std::vector<Variant> variants = [] {
    std::vector<Variant> v;
    for (HoleReturn r : {HoleReturn::kStartHeight, HoleReturn::kRetract}) {
      // The tab's own back-off and N (0.5, every 5), which G73 leaves aside.
      v.push_back({DrillScheme::kSinglePlunge, 0, r, 0.5, 5});
      v.push_back({DrillScheme::kSinglePlunge, 0.5, r, 0.5, 5});
      v.push_back({DrillScheme::kFullRetract, 0, r, 0.5, 5});
      v.push_back({DrillScheme::kChipBreak, 0, r, 0.5, 5});
    }
    return v;
  }();
  return variants;
}

inline std::vector<PointRow> DrillCsvRows() {
  return {{"Hole, left", "10", "5"}, {"mid", "25.5", "5"}, {"right", "-3.25", "12.125"}};
}

// The golden cases' inputs of the three tabs, with every cycle.
inline std::vector<DrillCase> WorkedExamples() {
  struct Example {
    const char* label;
    Tab tab;
    std::map<std::string, std::string, std::less<>> pattern;
    Motion motion;
  };
  const Example examples[] = {
      {"circle peck four",
       Tab::kCircle,
       {{"CirXc", "5"},
        {"CirYc", "5"},
        {"CirR", "20"},
        {"Cirn", "4"},
        {"CirA", "90"},
        {"Cird", "3"}},
       {5, 2, 100, 1, 3, 800, true}},
      {"circle example",
       Tab::kCircle,
       {{"CirXc", "30"},
        {"CirYc", "30"},
        {"CirR", "20"},
        {"Cirn", "2"},
        {"CirA", "0"},
        {"Cird", "3"}},
       {5, 5, 100, 3, 10, 5000, true}},
      {"grid staggered",
       Tab::kGrid,
       {{"GridXc", "0"},
        {"GridYc", "0"},
        {"Gridm", "3"},
        {"Gridn", "3"},
        {"GridXm", "10"},
        {"GridYn", "5"},
        {"GridZigzac", "5"},
        {"GridSub1", "True"},
        {"Gridd", "3"}},
       {1, 1, 100, 1, 3, 1000, false}},
      {"grid example",
       Tab::kGrid,
       {{"GridXc", "0"},
        {"GridYc", "0"},
        {"Gridm", "1"},
        {"Gridn", "1"},
        {"GridXm", "1"},
        {"GridYn", "1"},
        {"GridZigzac", "0"},
        {"GridSub1", "False"},
        {"Gridd", "3"}},
       {2, 2, 100, 3, 10, 1000, false}},
      {"points drill peck", Tab::kPoints, {{"Anyd", "3"}}, {5, 2, 120, 1, 8, 1000, false}},
  };
  std::vector<DrillCase> cases;
  for (const Example& e : examples) {
    for (const Variant& v : EveryCycle()) {
      DrillCase c = MakeCase(std::string(e.label) + " " + v.Cycle(), e.tab, e.pattern, e.motion, v);
      if (e.tab == Tab::kPoints) c.rows = DrillCsvRows();
      cases.push_back(std::move(c));
    }
  }
  return cases;
}

// A random job of one of the three tabs: numbers on the boxes' 3-decimal grid,
// the retract height at or below the safe height, the bottom below the retract
// height, a peck that divides the depth below the retract plane exactly in a
// third of the cases (where the control's depth loop may add its degenerate
// peck), any of the four cycles with G98 or G99, the point list's holes as
// listed or in the shortest order.
inline DrillCase RandomCase(std::mt19937& random, int index) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto th = [&](int low, int high) { return pick(low, high) / 1000.0; };
  const Tab tab = static_cast<Tab>(index % 3);
  Motion m;
  const int q = pick(300, 3000);
  m.step = q / 1000.0;
  int r = pick(-2000, 5000);
  int below = pick(0, 2) == 0 ? q * pick(1, 6) : pick(50, 12000);  // R down to the bottom
  if (below - r < 1) below = r + pick(1, 3000);                    // the depth is positive
  m.retract = r / 1000.0;
  m.depth = (below - r) / 1000.0;
  m.zsafe = pick(0, 9) == 0 ? m.retract : (r + pick(1, 10000)) / 1000.0;
  m.feed = pick(10, 1000);
  m.spindle = pick(100, 24000);
  m.enSpin = pick(0, 1) == 1;
  Variant v;
  switch (pick(0, 3)) {
    case 0:
      v.scheme = DrillScheme::kSinglePlunge;
      break;
    case 1:
      v.scheme = DrillScheme::kSinglePlunge;
      v.dwell = th(1, 3000);
      break;
    case 2:
      v.scheme = DrillScheme::kFullRetract;
      break;
    default:
      v.scheme = DrillScheme::kChipBreak;
      break;
  }
  v.holeReturn = pick(0, 1) == 0 ? HoleReturn::kStartHeight : HoleReturn::kRetract;
  v.backOff = th(1, q - 1);
  v.fullEvery = pick(0, 6);
  std::map<std::string, std::string, std::less<>> pattern;
  std::vector<PointRow> rows;
  if (tab == Tab::kCircle) {
    pattern = {{"CirXc", Fixed3(th(-50000, 50000))}, {"CirYc", Fixed3(th(-50000, 50000))},
               {"CirR", Fixed3(th(1000, 80000))},    {"Cirn", std::to_string(pick(1, 8))},
               {"CirA", Fixed3(th(0, 359999))},      {"Cird", "3"}};
  } else if (tab == Tab::kGrid) {
    pattern = {{"GridXc", Fixed3(th(-50000, 50000))},
               {"GridYc", Fixed3(th(-50000, 50000))},
               {"Gridm", std::to_string(pick(1, 4))},
               {"Gridn", std::to_string(pick(1, 4))},
               {"GridXm", Fixed3(th(-20000, 20000))},
               {"GridYn", Fixed3(th(-20000, 20000))},
               {"GridZigzac", Fixed3(pick(0, 500) / 100.0)},
               {"GridSub1", pick(0, 1) ? "True" : "False"},
               {"Gridd", "3"}};
  } else {
    // "Shortest" reorders the holes; the job hands the reordered list to its
    // sink, so the moves program drills them in the canned program's order.
    pattern["AnyOrder"] = pick(0, 1) ? "Shortest" : "As listed";
    for (int i = pick(1, 8); i > 0; --i) {
      rows.push_back(
          {"p" + std::to_string(i), Fixed3(th(-100000, 100000)), Fixed3(th(-100000, 100000))});
    }
  }
  DrillCase c = MakeCase("random " + std::to_string(index) + " " + v.Cycle(), tab, pattern, m, v);
  c.rows = rows;
  return c;
}

inline std::vector<DrillCase> RandomCases(unsigned seed, int count) {
  std::mt19937 random(seed);
  std::vector<DrillCase> cases;
  for (int i = 0; i < count; ++i) cases.push_back(RandomCase(random, i));
  return cases;
}

// Cases whose programs differ: how many, which, and the first few in full (a
// fault tends to show in many cases at once; the count says how far it goes).
class Differences {
 public:
  void Add(const std::string& label, const std::string& detail) {
    if (labels_.size() < 3) details_ += "--- " + label + ": " + detail + "\n";
    labels_.push_back(label);
  }
  bool empty() const { return labels_.empty(); }
  friend std::ostream& operator<<(std::ostream& out, const Differences& d) {
    out << d.labels_.size() << " cases differ:";
    for (const std::string& label : d.labels_) out << " [" << label << "]";
    return out << "\n" << d.details_;
  }

 private:
  std::vector<std::string> labels_;
  std::string details_;
};

}  // namespace kelvora::motion::testing
