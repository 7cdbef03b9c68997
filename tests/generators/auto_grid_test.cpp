#include "generators/auto_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kelvora::generators {
namespace {

using Points = std::vector<std::pair<std::string, std::string>>;

Points Coordinates(const std::vector<PointRow>& rows) {
  Points out;
  for (const PointRow& r : rows) {
    EXPECT_EQ(r.name, "");
    out.emplace_back(r.x, r.y);
  }
  return out;
}

AutoGridParams RowGrid() {
  AutoGridParams p;
  p.NumRow = 2;
  p.NumCol = 3;
  p.RowDist = 10;
  p.ColDist = 5;
  p.byRow = true;
  return p;
}

TEST(AutoGrid, GeneratedPoints) {
  struct Case {
    const char* what;
    AutoGridParams params;
    Points points;
  };
  std::vector<Case> cases;
  cases.push_back({"rows",
                   RowGrid(),
                   {{"0", "0"}, {"5", "0"}, {"10", "0"}, {"0", "10"}, {"5", "10"}, {"10", "10"}}});
  auto p = RowGrid();
  p.EndCont = true;
  cases.push_back({"snaking rows",
                   p,
                   {{"0", "0"}, {"5", "0"}, {"10", "0"}, {"10", "10"}, {"5", "10"}, {"0", "10"}}});
  p = RowGrid();
  p.sub1 = true;
  cases.push_back(
      {"second row one short", p, {{"0", "0"}, {"5", "0"}, {"10", "0"}, {"0", "10"}, {"5", "10"}}});
  p = RowGrid();
  p.soleHang = 2.5;
  cases.push_back(
      {"row stagger",
       p,
       {{"0", "0"}, {"5", "0"}, {"10", "0"}, {"2.5", "10"}, {"7.5", "10"}, {"12.5", "10"}}});
  p = RowGrid();
  p.Xc = 100;
  p.Yc = 20;
  cases.push_back(
      {"start point",
       p,
       {{"100", "20"}, {"105", "20"}, {"110", "20"}, {"100", "30"}, {"105", "30"}, {"110", "30"}}});
  p = RowGrid();
  p.byRow = false;
  p.NumCol = 2;
  p.Dual = true;
  p.DualDist = 2;
  p.EndCont = true;
  cases.push_back({"snaking pairs by column",
                   p,
                   {{"0", "-1"},
                    {"0", "1"},
                    {"0", "9"},
                    {"0", "11"},
                    {"5", "11"},
                    {"5", "9"},
                    {"5", "1"},
                    {"5", "-1"}}});
  p = RowGrid();
  p.Dual = true;
  p.DualDist = 1;
  p.NumRow = 1;
  p.NumCol = 1;
  p.ColDist = 0.333;
  cases.push_back({"pairs by row, lower first", p, {{"0", "-0.5"}, {"0", "0.5"}}});
  p = RowGrid();
  p.byRow = false;
  p.soleCot = 1.255;
  p.sub1 = true;
  p.NumCol = 3;
  cases.push_back({"column stagger, one short, 0.## text",
                   p,
                   {{"0", "0"}, {"0", "10"}, {"5", "1.26"}, {"10", "0"}, {"10", "10"}}});
  p = RowGrid();
  p.NumRow = 0;
  cases.push_back({"no rows", p, {}});
  p = RowGrid();
  p.NumCol = 1;
  p.sub1 = true;
  cases.push_back({"one column, second row empty", p, {{"0", "0"}}});
  p = RowGrid();
  p.NumCol = -3;
  cases.push_back({"negative count", p, {}});

  for (const Case& c : cases) {
    const auto rows = AutoGridGen(c.params);
    ASSERT_TRUE(rows.ok()) << c.what;
    EXPECT_EQ(Coordinates(*rows), c.points) << c.what;
    EXPECT_EQ(AutoGridPointCount(c.params), static_cast<double>(c.points.size())) << c.what;
  }
}

TEST(AutoGrid, ReadingAndLimits) {
  auto p = RowGrid();
  p.NumRow = 32767;
  p.NumCol = 32767;
  const auto rows = AutoGridGen(p);
  ASSERT_FALSE(rows.ok());
  EXPECT_EQ(rows.failure().message.rfind("Too many grid points", 0), 0u);

  const TextLookup texts = [](std::string_view key) -> std::string {
    if (key == "AnyNumOfRow") return "40000";  // beyond 16 bits
    return "0";
  };
  const auto in = ReadAutoGridInputs(texts);
  ASSERT_FALSE(in.ok());
  EXPECT_EQ(in.failure().message, "Parameters error");
  EXPECT_EQ(in.failure().detail, "AnyNumOfRow");
}

// Sizes each within range whose product is not: the last point would be
// written "Infinity", which no reader takes back as a point.
TEST(AutoGrid, APointPastTheLargestNumberRefusesTheGrid) {
  struct Case {
    const char* what;
    void (*change)(AutoGridParams&);
  };
  const Case cases[] = {
      {"columns by row", [](AutoGridParams& p) { p.NumCol = 92, p.ColDist = 1e307; }},
      {"rows by column",
       [](AutoGridParams& p) { p.byRow = false, p.NumRow = 92, p.RowDist = -1e307; }},
      {"stagger", [](AutoGridParams& p) { p.Xc = 1.7e308, p.soleHang = 1.7e308; }},
      {"pairs", [](AutoGridParams& p) { p.Dual = true, p.Yc = -1.7e308, p.DualDist = 1e308; }},
  };
  for (const Case& c : cases) {
    auto p = RowGrid();
    c.change(p);
    const auto rows = AutoGridGen(p);
    ASSERT_FALSE(rows.ok()) << c.what;
    EXPECT_EQ(rows.failure().message, "A coordinate is too large to write") << c.what;
  }
  // At the edge, still finite: the grid is made.
  auto p = RowGrid();
  p.NumCol = 2;
  p.ColDist = 1.7e308;
  ASSERT_TRUE(AutoGridGen(p).ok());
}

}  // namespace
}  // namespace kelvora::generators
