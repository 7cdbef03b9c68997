// The drilling schemes, the dwell, the return between holes and the canned
// cycles of the circle, grid and point-list programs, and the refusal of their
// options.
#include "generators/drill_schemes.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "generators/circle.h"
#include "generators/grid.h"
#include "generators/point_list.h"

namespace kelvora::generators {
namespace {

using geometry::CDrill;
using geometry::DrawList;
using geometry::UnitPoint;
using Texts = std::map<std::string, std::string, std::less<>>;

TextLookup Lookup(Texts values) {
  return [values = std::move(values)](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
}

Texts With(Texts texts, const Texts& changes) {
  for (const auto& [key, value] : changes) texts[key] = value;
  return texts;
}

DrawList Holes(const std::vector<UnitPoint>& centres) {
  DrawList holes;
  for (const UnitPoint& c : centres) holes.push_back(std::make_unique<CDrill>(c, 5, 2, 1.5));
  return holes;
}

std::string Program(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Depth 5, peck 2, retract 1, safe 10, feed 100, spindle off.
DrillProgramInputs Worked(DrillScheme scheme) {
  DrillProgramInputs in;
  in.feed = 100;
  in.retract = 1;
  in.zsafe = 10;
  in.depth = 5;
  in.pass = 2;
  in.scheme.scheme = scheme;
  return in;
}

// The one hole of the worked example at (10, 0): what the program writes between
// its rapid and "M5".
std::vector<std::string> OneHole(const std::vector<std::string>& moves) {
  std::vector<std::string> lines = {"G90", "G0Z10", "G0X10Y0"};
  lines.insert(lines.end(), moves.begin(), moves.end());
  lines.push_back("M5");
  lines.push_back("M30");
  return lines;
}

TEST(DrillSchemes, MovesWorkedByHand) {
  struct Case {
    const char* what;
    DrillProgramInputs in;
    std::vector<std::string> moves;
  };
  auto in = [](DrillScheme scheme, auto change) {
    DrillProgramInputs i = Worked(scheme);
    change(i);
    return i;
  };
  auto same = [](DrillProgramInputs&) {};
  using S = DrillScheme;
  const std::vector<Case> cases = {
      {"full retract: levels 1-2, 1-4, then the bottom",
       in(S::kFullRetract, same),
       {"G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8", "G1Z-3F100", "G0Z1", "G0Z-2.8", "G1Z-5F100",
        "G0Z10"}},
      {"chip break without full retracts",
       in(S::kChipBreak, [](auto& i) { i.scheme.backOff = 0.5; }),
       {"G0Z1", "G1Z-1F100", "G0Z-0.5", "G1Z-3F100", "G0Z-2.5", "G1Z-5F100", "G0Z10"}},
      {"chip break, a full retract after every second peck",
       in(S::kChipBreak,
          [](auto& i) {
            i.depth = 9;
            i.scheme.backOff = 0.5;
            i.scheme.fullEvery = 2;
          }),
       {"G0Z1", "G1Z-1F100", "G0Z-0.5", "G1Z-3F100", "G0Z1", "G0Z-2.8", "G1Z-5F100", "G0Z-4.5",
        "G1Z-7F100", "G0Z1", "G0Z-6.8", "G1Z-9F100", "G0Z10"}},
      {"decreasing: 2, 1, then the minimum 0.5",
       in(S::kDecreasing,
          [](auto& i) {
            i.depth = 3;
            i.scheme.factor = 0.5;
            i.scheme.minPeck = 0.5;
          }),
       {"G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8", "G1Z-2F100", "G0Z1", "G0Z-1.8", "G1Z-2.5F100",
        "G0Z1", "G0Z-2.3", "G1Z-3F100", "G0Z10"}},
      {"single plunge with dwell and special operation, back to the retract height",
       in(S::kSinglePlunge,
          [](auto& i) {
            i.scheme.dwell = 0.5;
            i.scheme.holeReturn = HoleReturn::kRetract;
            i.enSpecialOp = true;
            i.specialOp = "M8";
          }),
       {"G0Z1", "G1Z-5F100", "G4P0.5", "M8", "G0Z1"}},
      {"a level 0.0004 above the bottom is the bottom",
       in(S::kFullRetract, [](auto& i) { i.depth = 3.0004; }),
       {"G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8", "G1Z-3F100", "G0Z10"}},
      {"a level 0.001 above the bottom is a peck of its own",
       in(S::kFullRetract, [](auto& i) { i.depth = 3.001; }),
       {"G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8", "G1Z-3F100", "G0Z1", "G0Z-2.8", "G1Z-3.001F100",
        "G0Z10"}},
      {"the peck scheme with a dwell after its last plunge to the depth",
       in(S::kStandard, [](auto& i) { i.scheme.dwell = 0.5; }),
       {"G0Z1", "G1Z-2F100", "G0Z1", "G0Z-1.8", "G1Z-4F100", "G0Z1", "G0Z-3.8", "G1Z-5F100",
        "G4P0.5", "G0Z10"}},
      {"the peck scheme's deepest pass is its last full one when 0.05 remains",
       in(S::kStandard,
          [](auto& i) {
            i.depth = 4.05;
            i.scheme.dwell = 2;
          }),
       {"G0Z1", "G1Z-2F100", "G0Z1", "G0Z-1.8", "G1Z-4F100", "G4P2", "G0Z1", "G0Z10"}},
      {"the peck scheme's single plunge: dwell before the special operation, G99",
       in(S::kStandard,
          [](auto& i) {
            i.pass = 5;
            i.scheme.dwell = 1;
            i.scheme.holeReturn = HoleReturn::kRetract;
            i.enSpecialOp = true;
            i.specialOp = "M101";
          }),
       {"G0Z1", "G1Z-5F100", "G4P1", "M101", "G0Z1"}},
  };
  const DrawList hole = Holes({{10, 0}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto program = EmitDrillProgram(hole, c.in, text::NumberFormat::kMax3);
    ASSERT_TRUE(program.ok()) << program.failure().message;
    std::vector<std::string> moves = c.moves;
    // A program waiting at the retract height between holes still ends at the
    // safe height.
    if (c.in.scheme.holeReturn == HoleReturn::kRetract) moves.push_back("G0Z10");
    EXPECT_EQ(*program, Program(OneHole(moves)));
  }
}

TEST(DrillSchemes, TheDistancesBetweenPecksAreValues) {
  const DrawList hole = Holes({{10, 0}});
  DrillProgramInputs in = Worked(DrillScheme::kChipBreak);
  in.scheme.backOff = 0.5;
  in.scheme.fullEvery = 1;
  // The control's distances replace the operator's back-off and N and the
  // clearance of the moves program.
  const auto control = ControlEquivalent(hole, in, text::NumberFormat::kMax3);
  ASSERT_TRUE(control.ok());
  EXPECT_EQ(*control, Program(OneHole({"G0Z1", "G1Z-1F100", "G0Z-0.746", "G1Z-3F100", "G0Z-2.746",
                                       "G1Z-5F100", "G0Z10"})));
  in.scheme.scheme = DrillScheme::kFullRetract;
  const auto g83 = ControlEquivalent(hole, in, text::NumberFormat::kMax3);
  ASSERT_TRUE(g83.ok());
  EXPECT_EQ(*g83, Program(OneHole({"G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.746", "G1Z-3F100", "G0Z1",
                                   "G0Z-2.746", "G1Z-5F100", "G0Z10"})));
  const auto chosen = EmitDrillMoves(hole, in, text::NumberFormat::kMax3, {0.1, 0.3, 0});
  ASSERT_TRUE(chosen.ok());
  EXPECT_NE(chosen->find("G0Z-0.9\r\n"), std::string::npos) << *chosen;
  // The canned program written, the moves are still the expanded ones.
  in.scheme.canned = true;
  const auto moves = EmitDrillMoves(hole, in, text::NumberFormat::kMax3, MovesConstants(in.scheme));
  ASSERT_TRUE(moves.ok());
  EXPECT_NE(moves->find("G0Z-0.8\r\n"), std::string::npos) << *moves;
  // No cycle stands for the tab's own peck scheme: nothing for the control to do.
  in.scheme.scheme = DrillScheme::kStandard;
  const auto none = ControlEquivalent(hole, in, text::NumberFormat::kMax3);
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.failure().message, kNoCannedCycle);
}

TEST(DrillSchemes, CannedCyclesWorkedByHand) {
  struct Case {
    const char* what;
    DrillScheme scheme;
    double dwell;
    HoleReturn back;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"G83, back to the start height",
       DrillScheme::kFullRetract,
       0,
       HoleReturn::kStartHeight,
       {"G98G83X10Y0Z-5R1Q2F100", "X20Y5"}},
      {"G73, back to the retract plane",
       DrillScheme::kChipBreak,
       0,
       HoleReturn::kRetract,
       {"G99G73X10Y0Z-5R1Q2F100", "X20Y5"}},
      {"G81",
       DrillScheme::kSinglePlunge,
       0,
       HoleReturn::kStartHeight,
       {"G98G81X10Y0Z-5R1F100", "X20Y5"}},
      {"G82 with its dwell",
       DrillScheme::kSinglePlunge,
       0.5,
       HoleReturn::kRetract,
       {"G99G82X10Y0Z-5R1P0.5F100", "X20Y5"}},
  };
  const DrawList holes = Holes({{10, 0}, {20, 5}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DrillProgramInputs in = Worked(c.scheme);
    in.scheme.dwell = c.dwell;
    in.scheme.holeReturn = c.back;
    in.scheme.canned = true;
    std::vector<std::string> lines = {"G90", "G0Z10"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    lines.insert(lines.end(), {"G80", "G0Z10", "M5", "M30"});
    const auto program = EmitDrillProgram(holes, in, text::NumberFormat::kMax3);
    ASSERT_TRUE(program.ok()) << program.failure().message;
    EXPECT_EQ(*program, Program(lines));
  }
}

// The worked circle: one hole at (10, 0), depth 5, peck 2, retract 1, safe 10.
Texts CircleTexts(const Texts& changes = {}) {
  return With({{"Cirn", "1"},          {"CirR", "20"},
               {"CirXc", "0"},         {"CirYc", "0"},
               {"CirA", "0"},          {"Cird", "3"},
               {"CirDepth", "5"},      {"CirStep", "2"},
               {"CirFeedrate", "100"}, {"CirRetract", "1"},
               {"CirZsafe", "10"},     {"CirSpinSpeed", "800"},
               {"CirEnSpin", "True"},  {"CirScheme", "Standard"},
               {"CirDwell", "0"},      {"CirBackOff", "0.5"},
               {"CirFullEvery", "5"},  {"CirPeckFactor", "0.8"},
               {"CirMinPeck", "0.5"},  {"CirCanned", "False"},
               {"CirReturn", "G98"}},
              changes);
}

TEST(DrillSchemes, JobsWriteTheirSchemeInTheirOwnNumbers) {
  // The grid writes three decimals, the point list ends with its script.
  const Texts grid = {{"GridXc", "0"},        {"GridYc", "0"},        {"GridDepth", "2"},
                      {"GridStep", "2"},      {"GridXm", "5"},        {"GridYn", "5"},
                      {"Gridm", "2"},         {"Gridn", "1"},         {"Gridd", "3"},
                      {"GridZigzac", "0"},    {"GridFeedrate", "50"}, {"GridRetract", "1"},
                      {"GridZsafe", "5"},     {"GridSpinSpeed", "0"}, {"GridScheme", "Chip break"},
                      {"GridBackOff", "0.2"}, {"GridFullEvery", "0"}, {"GridCanned", "True"},
                      {"GridReturn", "G99"}};
  const auto canned = GridJob(Lookup(grid));
  ASSERT_TRUE(canned.ok()) << canned.failure().message << canned.failure().detail;
  EXPECT_EQ(*canned, Program({"G90", "G0Z5.000", "G99G73X0.000Y0.000Z-2.000R1.000Q2.000F50.000",
                              "X5.000Y0.000", "G80", "G0Z5.000", "M5", "M30"}));
  const auto moves = GridJob(Lookup(With(grid, {{"GridCanned", "False"}})));
  ASSERT_TRUE(moves.ok());
  EXPECT_EQ(*moves, Program({"G90", "G0Z5.000", "G0X0.000Y0.000", "G0Z1.000", "G1Z-1.000F50.000",
                             "G0Z-0.800", "G1Z-2.000F50.000", "G0Z1.000", "G0X5.000Y0.000",
                             "G0Z1.000", "G1Z-1.000F50.000", "G0Z-0.800", "G1Z-2.000F50.000",
                             "G0Z1.000", "G0Z5.000", "M5", "M30"}));

  const Texts points = {
      {"Anyd", "3"},          {"AnyDepth", "2"},     {"AnyStepdown", "1"},
      {"AnyFeedrate", "100"}, {"AnyRetract", "1"},   {"AnyZsafe", "10"},
      {"AnyEnSpin", "False"}, {"AnySpinSpeed", "0"}, {"AnyScheme", "Single plunge"},
      {"AnyDwell", "0.25"},   {"AnyCanned", "True"}, {"AnyEndScript", "M2"}};
  const auto point = PointsJob({{"", "1", "2"}}, Lookup(points));
  ASSERT_TRUE(point.ok()) << point.failure().message << point.failure().detail;
  EXPECT_EQ(point->text,
            Program({"G90", "G0Z10.000", "G98G82X1.000Y2.000Z-2.000R1.000P0.250F100.000", "G80",
                     "G0Z10.000", "M2"}));

  const auto circle = CircleJob(Lookup(CircleTexts({{"CirScheme", "Full retract"}})));
  ASSERT_TRUE(circle.ok());
  EXPECT_EQ(*circle,
            Program({"G90", "M3S800.0", "G0Z10", "G0X10Y0", "G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8",
                     "G1Z-3F100", "G0Z1", "G0Z-2.8", "G1Z-5F100", "G0Z10", "M5", "M30"}));
}

TEST(DrillSchemes, OptionsTheProgramCannotBeMadeWithAreRefused) {
  struct Case {
    const char* what;
    Texts changes;
    const char* message;  // nullptr: a program is written
    const char* key;
  };
  const char* const kParams = "Parameters error";
  const std::vector<Case> cases = {
      {"scheme not one of the texts", {{"CirScheme", "full retract"}}, kParams, "CirScheme"},
      {"return not one of the texts", {{"CirReturn", "G97"}}, kParams, "CirReturn"},
      {"negative dwell on the peck scheme", {{"CirDwell", "-1"}}, kParams, "CirDwell"},
      {"dwell not a number", {{"CirDwell", "1s"}}, kParams, "CirDwell"},
      {"the peck scheme keeps a step of 0", {{"CirStep", "0"}}, nullptr, ""},
      {"the peck scheme does not read unused options",
       {{"CirBackOff", "x"}, {"CirPeckFactor", "7"}},
       nullptr,
       ""},
      {"options not given: the peck scheme", {{"CirScheme", ""}, {"CirDwell", ""}}, nullptr, ""},
      {"peck of 0", {{"CirScheme", "Full retract"}, {"CirStep", "0"}}, kParams, "CirStep"},
      {"negative peck", {{"CirScheme", "Decreasing"}, {"CirStep", "-2"}}, kParams, "CirStep"},
      {"a single plunge takes no peck",
       {{"CirScheme", "Single plunge"}, {"CirStep", "0"}},
       nullptr,
       ""},
      {"depth of 0", {{"CirScheme", "Single plunge"}, {"CirDepth", "0"}}, kParams, "CirDepth"},
      {"bottom not below the retract height",
       {{"CirScheme", "Full retract"}, {"CirRetract", "-6"}},
       kParams,
       "CirDepth"},
      {"factor 0", {{"CirScheme", "Decreasing"}, {"CirPeckFactor", "0"}}, kParams, "CirPeckFactor"},
      {"factor over 1",
       {{"CirScheme", "Decreasing"}, {"CirPeckFactor", "1.5"}},
       kParams,
       "CirPeckFactor"},
      {"factor 1", {{"CirScheme", "Decreasing"}, {"CirPeckFactor", "1"}}, nullptr, ""},
      {"minimum peck of 0",
       {{"CirScheme", "Decreasing"}, {"CirMinPeck", "0"}},
       kParams,
       "CirMinPeck"},
      {"minimum peck larger than the first",
       {{"CirScheme", "Decreasing"}, {"CirMinPeck", "2.5"}},
       kParams,
       "CirMinPeck"},
      {"minimum peck as large as the first",
       {{"CirScheme", "Decreasing"}, {"CirMinPeck", "2"}},
       nullptr,
       ""},
      {"back-off of 0", {{"CirScheme", "Chip break"}, {"CirBackOff", "0"}}, kParams, "CirBackOff"},
      {"back-off as large as the peck",
       {{"CirScheme", "Chip break"}, {"CirBackOff", "2"}},
       kParams,
       "CirBackOff"},
      {"negative N",
       {{"CirScheme", "Chip break"}, {"CirFullEvery", "-1"}},
       kParams,
       "CirFullEvery"},
      {"N not a whole number",
       {{"CirScheme", "Chip break"}, {"CirFullEvery", "2.5"}},
       kParams,
       "CirFullEvery"},
      {"G73 backs off by its own distance",
       {{"CirScheme", "Chip break"}, {"CirBackOff", "2"}, {"CirCanned", "True"}},
       nullptr,
       ""},
      {"canned: retract height above the safe height",
       {{"CirScheme", "Full retract"}, {"CirCanned", "True"}, {"CirRetract", "11"}},
       kParams,
       "CirRetract"},
      {"canned: bottom not below the retract plane",
       {{"CirScheme", "Single plunge"}, {"CirCanned", "True"}, {"CirRetract", "-5"}},
       kParams,
       "CirRetract"},
      {"canned: the peck scheme", {{"CirCanned", "True"}}, kNoCannedCycle.data(), ""},
      {"canned: decreasing pecks",
       {{"CirScheme", "Decreasing"}, {"CirCanned", "True"}},
       kNoCannedCycle.data(),
       ""},
      {"canned: a pecking cycle with a dwell",
       {{"CirScheme", "Chip break"}, {"CirCanned", "True"}, {"CirDwell", "1"}},
       kCannedDwell.data(),
       ""},
      {"canned: the special operation",
       {{"CirScheme", "Single plunge"}, {"CirCanned", "True"}, {"CirEnSpecialOp", "True"}},
       kCannedSpecialOp.data(),
       ""},
      {"a minimum peck far too small",
       {{"CirScheme", "Decreasing"}, {"CirDepth", "1000"}, {"CirMinPeck", "0.0001"}},
       "Too many passes per hole",
       ""},
      {"a peck far too small",
       {{"CirScheme", "Chip break"},
        {"CirStep", "0.001"},
        {"CirDepth", "1000"},
        {"CirBackOff", "0.0001"}},
       "Too many passes per hole",
       ""},
      {"a canned cycle of too many pecks",
       {{"CirScheme", "Full retract"},
        {"CirStep", "0.001"},
        {"CirDepth", "1000"},
        {"CirCanned", "True"}},
       "Too many passes per hole",
       ""},
      // Q is written in three decimals: a peck written as 0 would never reach
      // the bottom, in the cycle or in the moves planned from it.
      {"a peck written as 0",
       {{"CirScheme", "Chip break"}, {"CirStep", "0.0004"}, {"CirCanned", "True"}},
       kParams,
       "CirStep"},
      {"a feed of 0", {{"CirFeedrate", "0"}}, kParams, "CirFeedrate"},
      {"a negative feed",
       {{"CirScheme", "Full retract"}, {"CirFeedrate", "-50"}},
       kParams,
       "CirFeedrate"},
      {"a feed written as 0", {{"CirFeedrate", "0.0001"}}, kParams, "CirFeedrate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int drawn = 0;
    const auto program =
        CircleJob(Lookup(CircleTexts(c.changes)), [&](const DrawList&) { ++drawn; });
    if (c.message == nullptr) {
      EXPECT_TRUE(program.ok()) << program.failure().message << " " << program.failure().detail;
      continue;
    }
    ASSERT_FALSE(program.ok());
    // The limit's message goes on with the count and the limit.
    EXPECT_EQ(program.failure().message.rfind(c.message, 0), 0u) << program.failure().message;
    EXPECT_EQ(program.failure().detail, c.key);
    EXPECT_EQ(drawn, 0);
  }
  // Each tab names its own keys.
  auto motion = [](const std::string& p, const std::string& step, Texts options) {
    return With({{p + "Feedrate", "100"},
                 {p + "Retract", "1"},
                 {p + "Zsafe", "10"},
                 {p + "Depth", "1"},
                 {p + step, "1"},
                 {p + "SpinSpeed", "0"}},
                options);
  };
  const auto grid = ReadGridProgramInputs(
      Lookup(motion("Grid", "Step", {{"GridScheme", "Full retract"}, {"GridStep", "0"}})));
  ASSERT_FALSE(grid.ok());
  EXPECT_EQ(grid.failure().detail, "GridStep");
  const auto points = ReadAnyDrillInputs(Lookup(
      motion("Any", "Stepdown",
             {{"AnyScheme", "Decreasing"}, {"AnyPeckFactor", "0.5"}, {"AnyMinPeck", "-1"}})));
  ASSERT_FALSE(points.ok());
  EXPECT_EQ(points.failure().detail, "AnyMinPeck");
}

TEST(DrillSchemes, TheLimitsCountThePecksTheProgramMakes) {
  struct Case {
    DrillScheme scheme;
    double depth, pass, retract, factor, minPeck;
  };
  using S = DrillScheme;
  const std::vector<Case> cases = {
      {S::kFullRetract, 5, 2, 1, 1, 0},       {S::kChipBreak, 10, 3, 2, 1, 0},
      {S::kFullRetract, 3.0004, 2, 1, 1, 0},  {S::kFullRetract, 0.3, 5, 1, 1, 0},
      {S::kDecreasing, 3, 2, 1, 0.5, 0.5},    {S::kDecreasing, 40, 3, 2, 0.8, 0.5},
      {S::kDecreasing, 40, 3, 2, 0.8, 3},     {S::kDecreasing, 2, 3, 1, 0.9, 0.1},
      {S::kDecreasing, 100, 1, 0, 0.99, 0.2}, {S::kSinglePlunge, 5, 0, 1, 1, 0},
  };
  for (const Case& c : cases) {
    DrillProgramInputs in = Worked(c.scheme);
    in.depth = c.depth;
    in.pass = c.pass;
    in.retract = c.retract;
    in.scheme.factor = c.factor;
    in.scheme.minPeck = c.minPeck;
    const double levels = static_cast<double>(PeckLevels(in).size());
    EXPECT_EQ(SchemePeckCount(in), levels) << "depth " << c.depth << " peck " << c.pass;
  }
  // The holes and the lines they write together over the program-line limit.
  DrillProgramInputs many = Worked(DrillScheme::kFullRetract);
  many.pass = 0.5;
  const auto refused = CheckSchemeLimits(1'000'000, many);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->message.rfind("Too many program lines", 0), 0u) << refused->message;
  many.scheme.canned = true;
  EXPECT_FALSE(CheckSchemeLimits(1'000'000, many).has_value());
}

}  // namespace
}  // namespace kelvora::generators
