// The machine's control in the drilling programs: canned cycles where the
// control runs them and the moves it would make where it does not, and the unit
// of a dwell's P.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generators/circle.h"
#include "generators/drill_schemes.h"
#include "generators/grid.h"
#include "generators/job_inputs.h"
#include "generators/point_list.h"
#include "text/gcode_dialect.h"
#include "text_lookup.h"

namespace kelvora::generators {
namespace {

using testing::MapTexts;
using testing::TextMap;

TextMap With(TextMap texts, const TextMap& changes) {
  for (const auto& [key, value] : changes) texts[key] = value;
  return texts;
}

std::string Program(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// One hole at (10, 0): depth 5, peck 2, retract 1, safe 10, feed 100, the
// spindle at 800.
TextMap Circle(const TextMap& changes) {
  return With({{"Cirn", "1"},
               {"CirR", "20"},
               {"CirXc", "0"},
               {"CirYc", "0"},
               {"CirA", "0"},
               {"Cird", "3"},
               {"CirDepth", "5"},
               {"CirStep", "2"},
               {"CirFeedrate", "100"},
               {"CirRetract", "1"},
               {"CirZsafe", "10"},
               {"CirSpinSpeed", "800"},
               {"CirEnSpin", "True"}},
              changes);
}

// The circle's program around what it writes for its hole.
std::string CircleProgram(const std::vector<std::string>& hole) {
  std::vector<std::string> lines = {"G90", "M3S800.0", "G0Z10"};
  lines.insert(lines.end(), hole.begin(), hole.end());
  lines.insert(lines.end(), {"M5", "M30"});
  return Program(lines);
}

TEST(DrillControl, TheControlDecidesCyclesAndTheDwellUnit) {
  const TextMap g83 = {{"CirScheme", "Full retract"}, {"CirCanned", "True"}};
  const TextMap g82 = {{"CirScheme", "Single plunge"}, {"CirCanned", "True"}, {"CirDwell", "0.5"}};
  const TextMap dwellMoves = {{"CirScheme", "Single plunge"}, {"CirDwell", "0.5"}};
  const std::vector<std::string> cannedG83 = {"G98G83X10Y0Z-5R1Q2F100", "G80", "G0Z10"};
  // G83 as the control runs it: back down to 0.254 above the depth drilled.
  const std::vector<std::string> movesG83 = {"G0X10Y0",   "G0Z1",      "G1Z-1F100", "G0Z1",
                                             "G0Z-0.746", "G1Z-3F100", "G0Z1",      "G0Z-2.746",
                                             "G1Z-5F100", "G0Z10"};
  struct Case {
    const char* what;
    TextMap options;
    const char* dialect;
    const char* dwellMs;
    std::vector<std::string> hole;
  };
  const std::vector<Case> cases = {
      {"no control named: the host", g83, nullptr, nullptr, cannedG83},
      {"the host by name", g83, "Host", "False", cannedG83},
      {"LinuxCNC runs G83", g83, "LinuxCNC", "False", cannedG83},
      {"grblHAL runs G83", g83, "grblHAL", "False", cannedG83},
      {"GRBL is given the moves", g83, "GRBL", "False", movesG83},
      {"a name in any case", g83, "grbl", nullptr, movesG83},
      {"canned output off: the same moves everywhere",
       {{"CirScheme", "Full retract"}},
       "LinuxCNC",
       nullptr,
       {"G0X10Y0", "G0Z1", "G1Z-1F100", "G0Z1", "G0Z-0.8", "G1Z-3F100", "G0Z1", "G0Z-2.8",
        "G1Z-5F100", "G0Z10"}},
      {"host dwell in seconds", g82, "Host", "False", {"G98G82X10Y0Z-5R1P0.5F100", "G80", "G0Z10"}},
      {"host dwell in milliseconds",
       g82,
       "Host",
       "True",
       {"G98G82X10Y0Z-5R1P500F100", "G80", "G0Z10"}},
      {"a dwell move in milliseconds",
       dwellMoves,
       "",
       "True",
       {"G0X10Y0", "G0Z1", "G1Z-5F100", "G4P500", "G0Z10"}},
      {"LinuxCNC counts seconds whatever the host's setting",
       g82,
       "LinuxCNC",
       "True",
       {"G98G82X10Y0Z-5R1P0.5F100", "G80", "G0Z10"}},
      {"grblHAL counts seconds",
       g82,
       "grblHAL",
       "True",
       {"G98G82X10Y0Z-5R1P0.5F100", "G80", "G0Z10"}},
      {"GRBL: G82 as moves, the dwell in seconds",
       g82,
       "GRBL",
       "True",
       {"G0X10Y0", "G0Z1", "G1Z-5F100", "G4P0.5", "G0Z10"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextMap texts = Circle(c.options);
    if (c.dialect) texts[std::string(kMachineDialectKey)] = c.dialect;
    if (c.dwellMs) texts[std::string(kMachineDwellMsKey)] = c.dwellMs;
    const auto program = CircleJob(MapTexts(texts));
    ASSERT_TRUE(program.ok()) << program.failure().message << " " << program.failure().detail;
    EXPECT_EQ(*program, CircleProgram(c.hole));
  }
}

// A choice the operator made behaves alike on every control: what the canned
// program refuses, the moves standing for it refuse too.
TEST(DrillControl, RefusalsAreTheSameOnEveryControl) {
  struct Case {
    const char* what;
    TextMap options;
    std::string message;
    std::string key;
  };
  const std::vector<Case> cases = {
      {"the peck scheme", {{"CirCanned", "True"}}, std::string(kNoCannedCycle), ""},
      {"a pecking cycle with a dwell",
       {{"CirScheme", "Chip break"}, {"CirCanned", "True"}, {"CirDwell", "1"}},
       std::string(kCannedDwell),
       ""},
      {"the special operation",
       {{"CirScheme", "Single plunge"}, {"CirCanned", "True"}, {"CirEnSpecialOp", "True"}},
       std::string(kCannedSpecialOp),
       ""},
      {"retract above the safe height",
       {{"CirScheme", "Full retract"}, {"CirCanned", "True"}, {"CirRetract", "11"}},
       std::string(kParametersError),
       "CirRetract"},
  };
  for (const Case& c : cases) {
    for (const text::DialectRules& rules : text::kDialects) {
      SCOPED_TRACE(std::string(c.what) + " on " + std::string(rules.name));
      TextMap texts = Circle(c.options);
      texts[std::string(kMachineDialectKey)] = std::string(rules.name);
      const auto program = CircleJob(MapTexts(texts));
      ASSERT_FALSE(program.ok());
      EXPECT_EQ(program.failure().message, c.message);
      EXPECT_EQ(program.failure().detail, c.key);
    }
  }
}

TEST(DrillControl, EveryDrillingJobReadsTheControl) {
  const TextMap grid = {{"GridXc", "0"},       {"GridYc", "0"},         {"GridDepth", "2"},
                        {"GridStep", "2"},     {"GridXm", "5"},         {"GridYn", "5"},
                        {"Gridm", "1"},        {"Gridn", "1"},          {"Gridd", "3"},
                        {"GridZigzac", "0"},   {"GridSpinSpeed", "0"},  {"GridFeedrate", "50"},
                        {"GridRetract", "1"},  {"GridZsafe", "5"},      {"GridEnSpin", "False"},
                        {"GridDwell", "0.25"}, {"GridEnSpecialOp", ""}, {"MachDwellMs", "True"}};
  // The grid's three decimals hold the milliseconds too.
  const auto inMs = GridJob(MapTexts(grid));
  ASSERT_TRUE(inMs.ok()) << inMs.failure().message << " " << inMs.failure().detail;
  EXPECT_NE(inMs->find("G4P250.000\r\n"), std::string::npos) << *inMs;
  const auto inSeconds = GridJob(MapTexts(With(grid, {{"MachDwellMs", "False"}})));
  ASSERT_TRUE(inSeconds.ok());
  EXPECT_NE(inSeconds->find("G4P0.250\r\n"), std::string::npos) << *inSeconds;

  const TextMap points = {
      {"Anyd", "3"},         {"AnySpinSpeed", "0"},  {"AnyDepth", "2"},
      {"AnyStepdown", "2"},  {"AnyFeedrate", "100"}, {"AnyRetract", "1"},
      {"AnyZsafe", "10"},    {"AnyEnSpin", "False"}, {"AnyScheme", "Single plunge"},
      {"AnyCanned", "True"}, {"AnyEndScript", "M2"}, {"MachDialect", "GRBL"}};
  const auto moves = PointsJob({{"", "1", "2"}}, MapTexts(points));
  ASSERT_TRUE(moves.ok()) << moves.failure().message << " " << moves.failure().detail;
  EXPECT_EQ(moves->text, Program({"G90", "G0Z10.000", "G0X1.000Y2.000", "G0Z1.000",
                                  "G1Z-2.000F100.000", "G0Z10.000", "M2"}));
  const auto canned =
      PointsJob({{"", "1", "2"}}, MapTexts(With(points, {{"MachDialect", "grblHAL"}})));
  ASSERT_TRUE(canned.ok());
  EXPECT_NE(canned->text.find("G98G81X1.000Y2.000Z-2.000R1.000F100.000\r\n"), std::string::npos)
      << canned->text;
}

// Seconds that fit a number may not fit as milliseconds: refused, never "inf".
TEST(DrillControl, ADwellTooLongInMillisecondsIsRefused) {
  for (const char* canned : {"False", "True"}) {
    SCOPED_TRACE(canned);
    const TextMap texts = Circle({{"CirScheme", "Single plunge"},
                                  {"CirCanned", canned},
                                  {"CirDwell", "1e306"},
                                  {"MachDwellMs", "True"}});
    const auto program = CircleJob(MapTexts(texts));
    ASSERT_FALSE(program.ok()) << *program;
    EXPECT_EQ(program.failure().message, "A coordinate is too large to write");
    ASSERT_TRUE(CircleJob(MapTexts(With(texts, {{"MachDwellMs", "False"}}))).ok());
  }
}

TEST(DrillControl, AControlThatIsNoneOfTheDialectsIsRefused) {
  for (const char* name : {"Fanuc", "GRBL ", "Host,GRBL"}) {
    SCOPED_TRACE(name);
    int drawn = 0;
    const auto program =
        CircleJob(MapTexts(Circle({{"MachDialect", name}})), [&](const auto&) { ++drawn; });
    ASSERT_FALSE(program.ok());
    EXPECT_EQ(program.failure().message, kParametersError);
    EXPECT_EQ(program.failure().detail, kMachineDialectKey);
    EXPECT_EQ(drawn, 0);
  }
}

}  // namespace
}  // namespace kelvora::generators
