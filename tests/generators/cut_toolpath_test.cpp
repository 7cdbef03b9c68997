#include "generators/cut_toolpath.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "generators/router_inputs.h"
#include "text/csv.h"

namespace kelvora::generators {
namespace {

// The spindle on at 5000; by default two layers, 1 deep in steps of 0.5.
DxfMachiningInputs ExampleInputs(double depth = 1, double stepdown = 0.5) {
  DxfMachiningInputs in = testing::RouterInputs(depth, stepdown);
  in.spindle = 5000;
  in.enSpin = true;
  return in;
}

// One horizontal cut at Y 20 from X 0 to X 100 (the list's default start and end).
geometry::DrawList OneCut() {
  const CutListInputs list;
  return std::move(InitObjectCutHorizone({{"c", "20"}}, list).value());
}

std::vector<std::string> Lines(const std::string& program) {
  EXPECT_TRUE(program.empty() || program.ends_with("\r\n"));
  return text::SplitLines(program);
}

TEST(CutToolpath, TwoWayExample) {
  const auto program = GcodeGenHoriz(OneCut(), ExampleInputs(), true);
  ASSERT_TRUE(program.ok());
  EXPECT_EQ(*program,
            "G90\r\nM3S5000\r\nG0Z10\r\nG0X0Y20\r\nG0Z2.5\r\nG1Z-0.5F100\r\nG1X100Y20F200\r\n"
            "G0X100Y20\r\nG0Z2\r\nG1Z-1F100\r\nG1X0Y20F200\r\nG0Z10\r\n");
}

TEST(CutToolpath, OneWayReturnsToVertexZeroEveryPass) {
  const auto program = GcodeGenHoriz(OneCut(), ExampleInputs(), false);
  ASSERT_TRUE(program.ok());
  EXPECT_EQ(Lines(*program),
            (std::vector<std::string>{"G90", "M3S5000", "G0Z10", "G0X0Y20", "G0Z2.5", "G1Z-0.5F100",
                                      "G1X100Y20F200", "G0X0Y20", "G0Z2", "G1Z-1F100",
                                      "G1X100Y20F200", "G0Z10"}));
}

// The plunge depths of the program, in order.
std::vector<std::string> Plunges(const std::string& program) {
  std::vector<std::string> out;
  for (const std::string& l : Lines(program)) {
    if (l.starts_with("G1Z")) out.push_back(l.substr(3, l.find('F') - 3));
  }
  return out;
}

TEST(CutToolpath, PassDepths) {
  struct Case {
    double depth, step;
    std::vector<std::string> plunges;
  };
  const std::vector<Case> cases = {
      {5, 0.5, {"-0.5", "-1", "-1.5", "-2", "-2.5", "-3", "-3.5", "-4", "-4.5", "-5"}},
      {1.25, 0.5, {"-0.5", "-1", "-1.25"}},
      {1.005, 0.5, {"-0.5", "-1"}},
      // Never deeper than asked: one pass at the depth, not at the step-down.
      {0.3, 0.5, {"-0.3"}},
      {0.6, 0.2, {"-0.2", "-0.4", "-0.6"}},
      {2, 0, {"-2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.depth << "/" << c.step);
    const auto program = GcodeGenHoriz(OneCut(), ExampleInputs(c.depth, c.step), false);
    ASSERT_TRUE(program.ok());
    EXPECT_EQ(Plunges(*program), c.plunges);
  }
}

TEST(CutToolpath, RemainderPassApproachesFromRetractAboveTheDepth) {
  DxfMachiningInputs in = ExampleInputs(1.25);
  in.retract = 1;
  const auto program = GcodeGenHoriz(OneCut(), in, true);
  ASSERT_TRUE(program.ok());
  const std::vector<std::string> lines = Lines(*program);
  // Third pass is odd again: from vertex 0, approach 1 - 1.25.
  EXPECT_EQ(
      std::vector<std::string>(lines.end() - 5, lines.end()),
      (std::vector<std::string>{"G0X0Y20", "G0Z-0.25", "G1Z-1.25F100", "G1X100Y20F200", "G0Z10"}));
}

TEST(CutToolpath, EmptyListGivesTheHeaderOnly) {
  DxfMachiningInputs in = ExampleInputs();
  EXPECT_EQ(GcodeGenHoriz({}, in, false).value(), "G90\r\nM3S5000\r\nG0Z10\r\n");
  in.enSpin = false;
  EXPECT_EQ(GcodeGenHoriz({}, in, true).value(), "G90\r\nG0Z10\r\n");
}

TEST(CutToolpath, SpecialOperationTexts) {
  struct Case {
    const char* name;
    std::string on, off;
    std::vector<std::string> pass;
  };
  const std::vector<Case> cases = {
      {"blocks without line end get one",
       "M8",
       "M9",
       {"G0X0Y20", "G0Z2", "G1Z-1F100", "M8", "G1X100Y20F200", "M9"}},
      {"block ending in a line feed is inserted once",
       "M8\r\nG4P1\r\n",
       "M9",
       {"G0X0Y20", "G0Z2", "G1Z-1F100", "M8", "G4P1", "G1X100Y20F200", "M9"}},
      {"empty blocks insert nothing", "", "", {"G0X0Y20", "G0Z2", "G1Z-1F100", "G1X100Y20F200"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DxfMachiningInputs in = ExampleInputs();
    in.enSpin = false;
    in.stepdown = 1;
    in.enSpecialOp = true;
    in.specialOpOn = c.on;
    in.specialOpOff = c.off;
    std::vector<std::string> expected = {"G90", "G0Z10"};
    expected.insert(expected.end(), c.pass.begin(), c.pass.end());
    expected.push_back("G0Z10");
    EXPECT_EQ(Lines(GcodeGenHoriz(OneCut(), in, false).value()), expected);
  }
}

TEST(CutToolpath, TooManyLayersIsRefused) {
  const auto program = GcodeGenHoriz(OneCut(), ExampleInputs(1000, 0.0001), false);
  ASSERT_FALSE(program.ok());
  EXPECT_NE(program.failure().message.find("Too many layers"), std::string::npos);
}

TEST(CutsJob, EndScriptFollowsVerbatimAndInputsAreChecked) {
  std::map<std::string, std::string, std::less<>> texts = {
      {"DxfFeedrate", "200"}, {"DxfRetract", "3"},    {"DxfZsafe", "10"},
      {"DxfDepth", "1"},      {"DxfStepdown", "1"},   {"DxfSpinSpeed", "5000"},
      {"DxfPlugFeed", "100"}, {"DxfEnSpin", "False"}, {"DxfEndScript", "M5\r\nM30"},
      {"CutToolDia", "4"},    {"CutZigZac", "True"},  {"Cut2Way", "False"}};
  const TextLookup lookup = [&texts](std::string_view key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  };
  const auto program = CutsJob(CutListKind::kVertical, {{"a", "5"}, {"b", "6"}}, "0", "50", lookup);
  ASSERT_TRUE(program.ok());
  EXPECT_EQ(*program,
            "G90\r\nG0Z10\r\nG0X5Y0\r\nG0Z2\r\nG1Z-1F100\r\nG1X5Y50F200\r\nG0Z10\r\n"
            "G0X6Y50\r\nG0Z2\r\nG1Z-1F100\r\nG1X6Y0F200\r\nG0Z10\r\nM5\r\nM30");

  texts["DxfDepth"] = "deep";
  const auto bad = CutsJob(CutListKind::kVertical, {{"a", "5"}}, "0", "50", lookup);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.failure().message, "Parameters error");
  EXPECT_EQ(bad.failure().detail, "DxfDepth");
  // The rows are checked first, as the grid check runs before the emitter.
  const auto badRow = CutsJob(CutListKind::kVertical, {{"a", ""}}, "0", "50", lookup);
  ASSERT_FALSE(badRow.ok());
  EXPECT_EQ(badRow.failure().message, "Data Line:1 wrong");
}

}  // namespace
}  // namespace kelvora::generators
