// The order of the holes: the shortest path found from the first hole, and the
// point list's programs and preview in that order.
#include "generators/hole_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "generators/point_list.h"
#include "text_lookup.h"

namespace kelvora::generators {
namespace {

using testing::MapTexts;

using geometry::UnitPoint;
using Points = std::vector<UnitPoint>;

// The order is a visiting order: every point once, the first point first.
void ExpectPathFromFirst(const Points& points, const std::vector<std::size_t>& order,
                         const std::string& what) {
  ASSERT_EQ(order.size(), points.size()) << what;
  if (order.empty()) return;
  EXPECT_EQ(order.front(), 0u) << what;
  std::vector<std::size_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t k = 0; k < sorted.size(); ++k) ASSERT_EQ(sorted[k], k) << what;
}

// The shortest open path from point 0, by trying every order of the others.
double BruteForceShortest(const Points& points) {
  std::vector<std::size_t> order(points.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  double best = RapidLength(points, order);
  while (std::next_permutation(order.begin() + 1, order.end())) {
    best = std::min(best, RapidLength(points, order));
  }
  return best;
}

TEST(HoleOrder, SmallSetsWithAKnownShortestPath) {
  struct Case {
    const char* what;
    Points points;
    double shortest;
  };
  const std::vector<Case> cases = {
      {"no point", {}, 0},
      {"one point", {{3, 4}}, 0},
      {"two points stay as listed", {{0, 0}, {3, 4}}, 5},
      {"all points equal", {{2, 2}, {2, 2}, {2, 2}, {2, 2}}, 0},
      {"a line given shuffled, first at one end",
       {{0, 0}, {7, 0}, {3, 0}, {9, 0}, {1, 0}, {5, 0}, {2, 0}, {8, 0}, {4, 0}, {6, 0}},
       9},
      {"a line given shuffled, first inside it",
       {{4, 0}, {10, 0}, {0, 0}, {7, 0}, {2, 0}, {9, 0}, {1, 0}},
       14},
      {"a square's corners, diagonals listed first", {{0, 0}, {10, 10}, {10, 0}, {0, 10}}, 30},
      {"ties: four points at the same distance from the first",
       {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}},
       1 + 3 * std::sqrt(2.0)},
      {"pairs of equal points", {{0, 0}, {5, 0}, {0, 0}, {5, 0}, {10, 0}, {10, 0}}, 10},
  };
  for (const Case& c : cases) {
    const auto order = ShortestOrder(c.points);
    ExpectPathFromFirst(c.points, order, c.what);
    EXPECT_NEAR(RapidLength(c.points, order), c.shortest, 1e-9) << c.what;
  }
  EXPECT_DOUBLE_EQ(RapidLength(Points{{0, 0}, {3, 4}, {3, 0}}), 9);
  // Distances that overflow or are no number keep the listed order, every hole in it.
  const double inf = std::numeric_limits<double>::infinity();
  for (const Points& far : {Points{{0, 0}, {1e300, 0}, {5, 0}, {-1e300, 1}},
                            Points{{0, 0}, {inf, 0}, {5, 0}, {-inf, 1}},
                            Points{{0, 0}, {std::nan(""), 0}, {5, 0}, {1, 1}}}) {
    EXPECT_EQ(ShortestOrder(far), (std::vector<std::size_t>{0, 1, 2, 3}));
  }
}

TEST(HoleOrder, RandomSetsNeverLongerThanListed) {
  struct Case {
    unsigned seed;
    std::size_t n;
    bool clustered;
  };
  const std::vector<Case> cases = {{1, 3, false},    {2, 10, false},   {3, 100, false},
                                   {4, 1000, false}, {5, 5000, false}, {6, 1000, true},
                                   {7, 3000, true},  {8, 200, true}};
  for (const Case& c : cases) {
    std::mt19937 rng(c.seed);
    std::uniform_real_distribution<double> u(0, 100);
    Points points;
    for (std::size_t k = 0; k < c.n; ++k) {
      // Clustered sets put the holes in ten tight groups, many on one spot.
      if (c.clustered) {
        const double cx = std::round(u(rng) / 10) * 10;
        points.emplace_back(cx + std::round(u(rng) / 25), cx - std::round(u(rng) / 25));
      } else {
        points.emplace_back(u(rng), u(rng));
      }
    }
    const std::string what = "seed " + std::to_string(c.seed);
    const auto order = ShortestOrder(points);
    ExpectPathFromFirst(points, order, what);
    const double listed = RapidLength(points);
    const double after = RapidLength(points, order);
    EXPECT_LE(after, listed) << what;
    // A random listing of many holes wanders far more than a path through them.
    if (c.n >= 100) {
      EXPECT_LT(after, 0.2 * listed) << what;
    }
  }
}

TEST(HoleOrder, CloseToTheShortestOnSmallRandomSets) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<int> u(0, 20);
  for (int run = 0; run < 200; ++run) {
    Points points;
    for (int k = 0; k < 7; ++k) points.emplace_back(u(rng), u(rng));
    const double best = BruteForceShortest(points);
    const double found = RapidLength(points, ShortestOrder(points));
    EXPECT_LE(found, 1.25 * best + 1e-9) << "run " << run;
  }
}

// ---- The point list's job ------------------------------------------------------

testing::TextMap Drilling(std::string order) {
  return {{"Anyd", "4"},       {"AnyDepth", "2"},  {"AnyStepdown", "2"},  {"AnyFeedrate", "100"},
          {"AnyRetract", "3"}, {"AnyZsafe", "10"}, {"AnySpinSpeed", "0"}, {"AnyOrder", order}};
}

// The holes a program visits: its rapids to X and Y from the safe height 10.
std::vector<std::pair<std::string, std::string>> VisitedHoles(const std::string& program) {
  const std::string rapid = "G0Z10.000\r\nG0X";
  std::vector<std::pair<std::string, std::string>> holes;
  std::size_t at = 0;
  while ((at = program.find(rapid, at)) != std::string::npos) {
    at += rapid.size();
    const std::size_t y = program.find('Y', at);
    const std::size_t end = program.find('\r', y);
    holes.emplace_back(program.substr(at, y - at), program.substr(y + 1, end - y - 1));
  }
  return holes;
}

TEST(HoleOrder, PointsJobVisitsAndShowsTheHolesInTheShortestOrder) {
  std::vector<PointRow> rows;
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> u(-40, 40);
  for (int k = 0; k < 60; ++k) rows.push_back({"", std::to_string(u(rng)), std::to_string(u(rng))});

  for (const bool pocket : {false, true}) {
    auto values = Drilling("Shortest");
    if (pocket) {
      values.insert({{"AnyPocket", "True"},
                     {"AnyRo", "2"},
                     {"AnyHoleSize", "3"},
                     {"AnyStepOvr", "1"},
                     {"AnyFeedrate2", "100"}});
    }
    auto listedValues = values;
    listedValues["AnyOrder"] = "As listed";
    Points shown;
    const auto program = PointsJob(rows, MapTexts(values), [&](const geometry::DrawList& list) {
      for (const auto& obj : list)
        shown.push_back(static_cast<const geometry::CDrill&>(*obj).center);
    });
    const auto listed = PointsJob(rows, MapTexts(listedValues));
    ASSERT_TRUE(program.ok()) << program.failure().message;
    ASSERT_TRUE(listed.ok());
    EXPECT_FALSE(listed->order.has_value());

    const auto visited = VisitedHoles(program->text);
    const auto listedVisits = VisitedHoles(listed->text);
    ASSERT_EQ(visited.size(), rows.size()) << pocket;
    EXPECT_EQ(visited.front(), listedVisits.front()) << pocket;
    EXPECT_NE(visited, listedVisits) << pocket;
    auto a = visited;
    auto b = listedVisits;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b) << "the same holes, each once: " << pocket;

    // The preview receives the holes in the program's order.
    ASSERT_EQ(shown.size(), rows.size());
    for (std::size_t k = 0; k < shown.size(); ++k) {
      EXPECT_DOUBLE_EQ(shown[k].X, std::stod(visited[k].first)) << k;
      EXPECT_DOUBLE_EQ(shown[k].Y, std::stod(visited[k].second)) << k;
    }
    ASSERT_TRUE(program->order.has_value());
    Points listedPoints;
    for (const PointRow& r : rows) listedPoints.emplace_back(std::stod(r.x), std::stod(r.y));
    EXPECT_NEAR(program->order->before, RapidLength(listedPoints), 1e-9);
    EXPECT_NEAR(program->order->after, RapidLength(shown), 1e-9);
    EXPECT_LT(program->order->after, program->order->before);
  }

  EXPECT_EQ(OrderReportText({100.25, 40.1234}),
            "Shortest order: rapids 40.123 mm, listed 100.25 mm");
  const auto bad = PointsJob(rows, MapTexts(Drilling("shortest")));
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.failure().message, "Parameters error");
  EXPECT_EQ(bad.failure().detail, "AnyOrder");
  // An absent key is the listed order, the program of old.
  auto absent = Drilling("");
  absent.erase("AnyOrder");
  const auto old = PointsJob(rows, MapTexts(absent));
  const auto listed = PointsJob(rows, MapTexts(Drilling("As listed")));
  ASSERT_TRUE(old.ok());
  ASSERT_TRUE(listed.ok());
  EXPECT_EQ(old->text, listed->text);
}

}  // namespace
}  // namespace kelvora::generators
