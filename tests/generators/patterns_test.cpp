// The pattern builders and the jobs' input handling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "generators/circle.h"
#include "generators/grid.h"
#include "generators/surface.h"

namespace kelvora::generators {
namespace {

using geometry::CDrill;
using geometry::CLine;
using geometry::DrawList;
using geometry::UnitPoint;

std::vector<UnitPoint> Centres(const DrawList& list) {
  std::vector<UnitPoint> out;
  for (const auto& o : list) out.push_back(static_cast<const CDrill&>(*o).center);
  return out;
}

void ExpectPoints(const std::vector<UnitPoint>& got, const std::vector<UnitPoint>& want,
                  const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].X, want[i].X, 1e-9) << what << " point " << i;
    EXPECT_NEAR(got[i].Y, want[i].Y, 1e-9) << what << " point " << i;
  }
}

// A lookup over explicit texts; keys not given read as the empty text.
TextLookup Texts(std::map<std::string, std::string, std::less<>> values) {
  return [values = std::move(values)](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
}

TEST(CirclePattern, HolesRunCounterClockwiseFromTheStartAngle) {
  CirclePatternInputs in;
  in.diameter = 20;
  in.Xc = 5;
  in.Yc = 5;
  in.toolDia = 3;
  in.n = 4;
  in.startAngle = 90;
  ExpectPoints(Centres(CirclePatternGen(in)), {{5, 15}, {-5, 5}, {5, -5}, {15, 5}}, "n=4 at 90");
  in.n = 1;
  in.startAngle = 0;
  ExpectPoints(Centres(CirclePatternGen(in)), {{15, 5}}, "n=1");
  in.n = 7;
  const DrawList seven = CirclePatternGen(in);
  ASSERT_EQ(seven.size(), 7u);
  const UnitPoint last = static_cast<const CDrill&>(*seven.back()).center;
  EXPECT_NEAR(last.X, 5 + 10 * std::cos(-2 * 3.141592653589793 / 7), 1e-9);
  EXPECT_NEAR(last.Y, 5 + 10 * std::sin(-2 * 3.141592653589793 / 7), 1e-9);
  EXPECT_DOUBLE_EQ(static_cast<const CDrill&>(*seven.front()).radius, 1.5);
  for (int n : {0, -3}) {
    in.n = n;
    EXPECT_TRUE(CirclePatternGen(in).empty()) << n;
  }
}

TEST(GridPattern, SerpentineWithShiftedShortRows) {
  GridPatternInputs in;
  in.m = 3;
  in.n = 2;
  in.Xm = 10;
  in.Yn = 5;
  in.zigZac = 2;
  ExpectPoints(Centres(GridPatternGen(in)), {{0, 0}, {10, 0}, {20, 0}, {22, 5}, {12, 5}, {2, 5}},
               "staggered");
  in.sub1 = true;
  ExpectPoints(Centres(GridPatternGen(in)), {{0, 0}, {10, 0}, {20, 0}, {12, 5}, {2, 5}}, "-1");
  EXPECT_EQ(GridHoleCount(in), 5);
  in.m = 1;
  in.n = 3;
  ExpectPoints(Centres(GridPatternGen(in)), {{0, 0}, {0, 10}}, "m=1 with -1: shifted rows empty");
  EXPECT_EQ(GridHoleCount(in), 2);
  in.m = 3;
  in.n = 1;
  ExpectPoints(Centres(GridPatternGen(in)), {{0, 0}, {10, 0}, {20, 0}}, "one row");
  in.Xm = -10;
  ExpectPoints(Centres(GridPatternGen(in)), {{0, 0}, {-10, 0}, {-20, 0}}, "mirrored");
  in.n = 0;
  EXPECT_TRUE(GridPatternGen(in).empty());
  EXPECT_EQ(GridHoleCount(in), 0);
  // Rows without holes, as many as a box takes: nothing, and not row by row.
  in.n = std::numeric_limits<std::int32_t>::max();
  for (int m : {0, -4}) {
    in.m = m;
    EXPECT_TRUE(GridPatternGen(in).empty()) << m;
    EXPECT_EQ(GridHoleCount(in), 0) << m;
  }
}

std::vector<std::pair<UnitPoint, UnitPoint>> Segments(const DrawList& list) {
  std::vector<std::pair<UnitPoint, UnitPoint>> out;
  for (const auto& o : list) {
    const auto& l = static_cast<const CLine&>(*o);
    out.emplace_back(l.P1, l.P2);
  }
  return out;
}

TEST(SurfacePattern, RowsStepsAndRemainder) {
  SurfMillPatternInputs in;
  in.Lx = 10;
  in.Ly = 4;
  in.step = 2;
  using Seg = std::pair<UnitPoint, UnitPoint>;
  EXPECT_EQ(Segments(SurfMillPatternGen(in)), (std::vector<Seg>{{{0, 0}, {10, 0}},
                                                                {{10, 0}, {10, 2}},
                                                                {{10, 2}, {0, 2}},
                                                                {{0, 2}, {0, 4}},
                                                                {{0, 4}, {10, 4}}}));
  in.Ly = 1.5;  // smaller than the step: one row, then up by Ly and back
  EXPECT_EQ(Segments(SurfMillPatternGen(in)),
            (std::vector<Seg>{{{0, 0}, {10, 0}}, {{10, 0}, {10, 1.5}}, {{10, 1.5}, {0, 1.5}}}));
  in.Ly = 0.005;  // nothing worth a second row
  EXPECT_EQ(Segments(SurfMillPatternGen(in)), (std::vector<Seg>{{{0, 0}, {10, 0}}}));
  in.Ly = 2;
  in.flip = true;
  EXPECT_EQ(Segments(SurfMillPatternGen(in)),
            (std::vector<Seg>{{{0, 0}, {-10, 0}}, {{-10, 0}, {-10, 2}}, {{-10, 2}, {0, 2}}}));
}

TEST(Jobs, InputsThatDoNotConvertProduceNoProgram) {
  struct Case {
    const char* what;
    Outcome<std::string> result;
    const char* message;
    const char* key;
  };
  const Case cases[] = {
      {"circle count with a fraction", CircleJob(Texts({{"Cirn", "2.5"}})), "Parameters error",
       "CirR"},
      {"circle count", CircleJob(Texts({{"CirR", "10"}, {"Cirn", "2.5"}})), "Parameters error",
       "Cirn"},
      {"circle count out of 16-bit range", CircleJob(Texts({{"CirR", "10"}, {"Cirn", "40000"}})),
       "Parameters error", "Cirn"},
      {"grid pattern", GridJob(Texts({{"GridXc", "x"}})), "Parameter error", "GridXc"},
      {"surface emitter",
       SurfMillJob(Texts({{"MsqrXc", "0"},
                          {"MsqrYc", "0"},
                          {"MsqrDepth", "1"},
                          {"MsqrStep", "2"},
                          {"MsqrStepdown", "1"},
                          {"MsqrLx", "1"},
                          {"MsqrLy", "1"},
                          {"MsqrFeedrate", "Infinity"}})),
       "Parameters error", "MsqrFeedrate"},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.result.ok()) << c.what;
    EXPECT_EQ(c.result.failure().message, c.message) << c.what;
    EXPECT_EQ(c.result.failure().detail, c.key) << c.what;
  }
}

// Lines of the program that begin with `prefix`.
std::size_t LinesStartingWith(const std::string& program, const std::string& prefix) {
  std::size_t count = program.starts_with(prefix) ? 1 : 0;
  for (std::size_t at = program.find("\n" + prefix); at != std::string::npos;
       at = program.find("\n" + prefix, at + 1)) {
    ++count;
  }
  return count;
}

TEST(Jobs, ThePreviewGetsTheListTheProgramWasMadeFrom) {
  using Values = std::map<std::string, std::string, std::less<>>;
  Values circle = {{"CirR", "20"},      {"Cirn", "3"},     {"CirXc", "0"},
                   {"CirYc", "0"},      {"CirDepth", "1"}, {"CirStep", "1"},
                   {"Cird", "2"},       {"CirA", "0"},     {"CirFeedrate", "100"},
                   {"CirRetract", "1"}, {"CirZsafe", "5"}, {"CirSpinSpeed", "1000"}};
  Values grid = {{"GridXc", "0"},     {"GridYc", "0"},       {"GridDepth", "1"},
                 {"GridStep", "1"},   {"GridXm", "5"},       {"GridYn", "5"},
                 {"Gridm", "4"},      {"Gridn", "2"},        {"Gridd", "3"},
                 {"GridZigzac", "0"}, {"GridFeedrate", "1"}, {"GridRetract", "1"},
                 {"GridZsafe", "1"},  {"GridSpinSpeed", "1"}};
  Values surface = {{"MsqrXc", "0"},    {"MsqrYc", "0"},        {"MsqrDepth", "1"},
                    {"MsqrStep", "2"},  {"MsqrStepdown", "1"},  {"MsqrLx", "10"},
                    {"MsqrLy", "4"},    {"MsqrFeedrate", "1"},  {"MsqrRetract", "1"},
                    {"MsqrZsafe", "1"}, {"MsqrSpinSpeed", "1"}, {"MsqrPlugFeed", "1"}};
  auto with = [](Values texts, const std::string& key, const std::string& value) {
    texts[key] = value;
    return texts;
  };
  struct Case {
    const char* name;
    std::function<Outcome<std::string>(const ListSink&)> run;
    std::size_t objects;    // 0: the program is refused and nothing is drawn
    const char* perObject;  // the line each object begins in the program
  };
  const std::vector<Case> cases = {
      {"circle", [&](const ListSink& s) { return CircleJob(Texts(circle), s); }, 3, "G0X"},
      {"grid", [&](const ListSink& s) { return GridJob(Texts(grid), s); }, 8, "G0X"},
      {"surface", [&](const ListSink& s) { return SurfMillJob(Texts(surface), s); }, 5, "X"},
      {"circle refused by its emitter",
       [&](const ListSink& s) { return CircleJob(Texts(with(circle, "CirZsafe", "x")), s); }, 0,
       ""},
      {"grid over the hole limit",
       [&](const ListSink& s) {
         return GridJob(Texts(with(with(grid, "Gridm", "2000"), "Gridn", "1000")), s);
       },
       0, ""},
      {"surface refused by its pattern",
       [&](const ListSink& s) { return SurfMillJob(Texts(with(surface, "MsqrLx", "")), s); }, 0,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int calls = 0;
    std::size_t objects = 0;
    const auto program = c.run([&](const DrawList& list) {
      ++calls;
      objects = list.size();
    });
    if (c.objects == 0) {
      EXPECT_FALSE(program.ok());
      EXPECT_EQ(calls, 0);
      continue;
    }
    ASSERT_TRUE(program.ok()) << program.failure().message;
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(objects, c.objects);
    // The surface's first line of every layer is a "G1X" cut; the rest are "X".
    const std::size_t extra = std::string(c.perObject) == "X" ? 1 : 0;
    EXPECT_EQ(LinesStartingWith(*program, c.perObject) + extra, c.objects);
  }
}

TEST(Jobs, AMillionHolesAreARealJob) {
  // A perforated sheet: 1000 x 1000 holes in one plunge each is 6,000,005 lines.
  struct Case {
    double holes, depth, pass;
    const char* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {1e6, 2, 2, nullptr},
      {1e6, 3, 1, nullptr},  // four plunges: 15,000,005 lines
      {1e6, 4, 1, "Too many program lines: 18000005 (limit 16000000)"},
      {1e6 + 1, 2, 2, "Too many holes: 1000001 (limit 1000000)"},
  };
  for (const Case& c : cases) {
    const auto refused = CheckDrillLimits(c.holes, c.depth, c.pass);
    if (c.refusal == nullptr) {
      EXPECT_FALSE(refused.has_value()) << c.holes << " " << c.depth << "/" << c.pass;
    } else {
      ASSERT_TRUE(refused.has_value()) << c.holes << " " << c.depth << "/" << c.pass;
      EXPECT_EQ(refused->message, c.refusal);
    }
  }
}

TEST(Jobs, SizesOverALimitAreRefusedBeforeGenerating) {
  std::map<std::string, std::string, std::less<>> grid = {
      {"GridXc", "0"},    {"GridYc", "0"},       {"GridDepth", "1"},    {"GridStep", "1"},
      {"GridXm", "1"},    {"GridYn", "1"},       {"Gridm", "100000"},   {"Gridn", "100000"},
      {"Gridd", "3"},     {"GridZigzac", "0"},   {"GridFeedrate", "1"}, {"GridRetract", "1"},
      {"GridZsafe", "1"}, {"GridSpinSpeed", "1"}};
  const auto tooMany = GridJob(Texts(grid));
  ASSERT_FALSE(tooMany.ok());
  EXPECT_EQ(tooMany.failure().message, "Too many holes: 10000000000 (limit 1000000)");

  grid["Gridm"] = "10";
  grid["Gridn"] = "10";
  grid["GridDepth"] = "1000";
  grid["GridStep"] = "1e-9";
  const auto deep = GridJob(Texts(grid));
  ASSERT_FALSE(deep.ok());
  EXPECT_NE(deep.failure().message.find("passes per hole"), std::string::npos);

  SurfMillPatternInputs surface;
  surface.Ly = 100;
  surface.step = 1e-9;
  ASSERT_TRUE(CheckSurfMillPattern(surface).has_value());
  surface.step = 0;
  EXPECT_TRUE(CheckSurfMillPattern(surface).has_value());
  surface.Ly = 0;
  EXPECT_TRUE(CheckSurfMillPattern(surface).has_value()) << "0 / 0 rows";
  surface.step = 2;
  EXPECT_FALSE(CheckSurfMillPattern(surface).has_value());

  SurfMillProgramInputs program;
  program.depth = 1000;
  program.stepdown = 1e-9;
  const DrawList lines = SurfMillPatternGen({});
  EXPECT_FALSE(SurfMillGcodeGen(lines, program).ok());
}

}  // namespace
}  // namespace kelvora::generators
