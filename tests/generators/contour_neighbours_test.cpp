// The least distance between lines and arcs, against a dense sampling of them,
// and the pairs of contours found too close for the tool.
#include "generators/contour_neighbours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace kelvora::generators {
namespace {

PathSegment Seg(double x0, double y0, double x1, double y1, double b = 0) {
  return {x0, y0, x1, y1, b, SegmentLength(x0, y0, x1, y1, b), 0};
}

// The least distance from points every micrometre or so along one segment to
// the other, both ways round: never below the true distance, and above it by
// at most half the step.
double Sampled(const PathSegment& a, const PathSegment& b) {
  double best = INFINITY;
  for (const auto& [p, q] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
    const int n = std::max(1000, static_cast<int>(p->length / 0.001));
    for (int i = 0; i <= n; ++i) {
      const toolpath::Point pt = PointOn(*p, static_cast<double>(i) / n);
      best = std::min(best, DistanceToSegment(*q, pt.x, pt.y));
    }
  }
  return best;
}

TEST(SegmentsDistance, IsTheLeastDistanceBetweenLinesAndArcs) {
  struct Case {
    const char* name;
    PathSegment a, b;
    double expected;
  };
  const std::vector<Case> cases = {
      {"parallel lines", Seg(0, 0, 10, 0), Seg(2, 3, 8, 3), 3},
      {"crossing lines", Seg(0, 0, 10, 10), Seg(0, 10, 10, 0), 0},
      {"a line's end near another's middle", Seg(0, 0, 10, 0), Seg(5, 2, 5, 9), 2},
      // The nearest points are inside both: the arc's top under the line.
      {"a line over a half circle", Seg(5, 0, -5, 0, 1), Seg(-10, 7, 10, 7), 2},
      {"a line through an arc", Seg(5, 0, -5, 0, 1), Seg(0, -1, 0, 9), 0},
      {"half circles facing each other", Seg(0, -5, 0, 5, 1), Seg(16, 5, 16, -5, 1), 6},
      {"concentric arcs", Seg(5, 0, -5, 0, 1), Seg(0, 8, -8, 0, 1), 3},
      {"concentric arcs side by side", Seg(5, 0, 0, 5, std::tan(std::numbers::pi / 8)),
       Seg(-8, 0, 0, -8, std::tan(std::numbers::pi / 8)), -1},
      // Two upper half circles crossing at (4, 3).
      {"crossing arcs", Seg(-5, 0, 5, 0, -1), Seg(3, 0, 13, 0, -1), 0},
      // An upper and a lower half circle: their circles cross, the arcs do not.
      {"arcs whose circles cross elsewhere", Seg(-5, 0, 5, 0, -1), Seg(3, 0, 13, 0, 1), -1},
      {"a clockwise arc under a line", Seg(0, 0, 10, 0, -0.5), Seg(0, 6, 10, 6), 3.5},
  };
  // An expected distance of -1: the sampling's alone.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double d = SegmentsDistance(c.a, c.b);
    const double sampled = Sampled(c.a, c.b);
    if (c.expected >= 0) {
      EXPECT_NEAR(d, c.expected, 1e-9);
    }
    EXPECT_LE(d, sampled + 1e-9);
    EXPECT_GE(d, sampled - 0.001);
    EXPECT_NEAR(SegmentsDistance(c.b, c.a), d, 1e-9);
  }
}

TEST(ContoursTooClose, NamesEachPairOnceAndNotAContourWithItself) {
  // Paths 1 and 2 run 1 from outline 3, path 2 2 from outline 1, path 4 3
  // from outline 3 and 2 from outline 1; path 1 also runs along its own.
  const std::vector<NumberedPath> paths = {{1, {Seg(0, 1, 10, 1)}},
                                           {1, {Seg(0, 0.5, 10, 0.5)}},
                                           {2, {Seg(0, -1, 10, -1)}},
                                           {4, {Seg(0, 3, 10, 3)}}};
  const std::vector<NumberedPath> outlines = {{3, {Seg(0, 0, 10, 0)}}, {1, {Seg(0, 1, 10, 1)}}};
  using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
  EXPECT_EQ(ContoursTooClose(paths, outlines, 1.5, 0.001), (Pairs{{1, 3}, {2, 3}}));
  EXPECT_EQ(ContoursTooClose(paths, outlines, 1.0, 0.001), (Pairs{{1, 3}}));
  EXPECT_EQ(ContoursTooClose(paths, outlines, 3.5, 0.001),
            (Pairs{{1, 2}, {1, 3}, {1, 4}, {2, 3}, {3, 4}}));
  EXPECT_TRUE(ContoursTooClose(paths, outlines, 0, 0.001).empty());
}

}  // namespace
}  // namespace kelvora::generators
