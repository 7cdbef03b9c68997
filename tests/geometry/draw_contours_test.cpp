// The contour picture: the drawing and the tool's paths scaled together, each
// contour's start and direction, the tabs; and when the plain picture is kept.
#include "geometry/draw_contours.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/picture_items.h"
#include "support/polylines.h"

namespace kelvora::geometry {
namespace {

using kelvora::testing::ItemsOf;
using testing::Polyline;

template <typename T>
std::vector<T> OfColor(const Picture& p, Rgb color) {
  std::vector<T> out;
  for (const T& item : ItemsOf<T>(p)) {
    if (item.pen.color == color) out.push_back(item);
  }
  return out;
}

TEST(DrawContours, NothingToDrawGivesABlankPictureOfTheBoxSize) {
  const DrawList none;
  DrawList emptyPolyline;
  emptyPolyline.push_back(Polyline({}));
  for (const DrawList* list : std::vector<const DrawList*>{&none, &emptyPolyline}) {
    const Picture p = DrawContours(*list, none, {300, 200, 0, 0});
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 200);
    EXPECT_TRUE(p.items.empty());
  }
}

TEST(DrawContours, DrawingPathsStartsAndTabsInTheirColours) {
  // A 10 mm square run counter-clockwise from (0, 0), the tool's path 1.5 mm
  // outside it, and two tabs on the path.
  DrawList contours;
  contours.push_back(Polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true));
  DrawList paths;
  paths.push_back(Polyline({{-1.5, -1.5}, {11.5, -1.5}, {11.5, 11.5}, {-1.5, 11.5}}, true));
  paths.push_back(std::make_unique<CCircle>(UnitPoint(5, -1.5), 1.5, true));
  paths.push_back(std::make_unique<CCircle>(UnitPoint(5, 11.5), 1.5, true));
  const PreviewBox box{400, 300, 0, 0};
  const Picture p = DrawContours(contours, paths, box);

  EXPECT_EQ(OfColor<LinePrim>(p, kBlue).size(), 4u);
  // The path's four sides and its arrow (a shaft and two barbs).
  EXPECT_EQ(OfColor<LinePrim>(p, kToolPathColor).size(), 4u + 3u);
  EXPECT_EQ(OfColor<ArcPrim>(p, kTabColor).size(), 2u);
  // Everything fits the box: the tabs reach 1.5 mm past the path's 13 mm, and
  // the 16 mm so spanned fill the box's height less the margin.
  int minX = box.width, maxX = 0, minY = box.height, maxY = 0;
  const auto green = OfColor<LinePrim>(p, kToolPathColor);
  // The sides come first, the arrow over them.
  for (const LinePrim& l : std::vector<LinePrim>(green.begin(), green.begin() + 4)) {
    for (auto [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  EXPECT_GE(minX, 0);
  EXPECT_LE(maxX, box.width);
  EXPECT_GE(minY, 0);
  EXPECT_LE(maxY, box.height);
  EXPECT_NEAR(maxY - minY, (box.height - 30) * 13.0 / 16.0, 2);

  // The start: a small red circle on (0, 0), the drawing's lower left corner,
  // and a red arrow from it along the first side (+X, level on the screen).
  const auto marks = OfColor<ArcPrim>(p, kRed);
  ASSERT_EQ(marks.size(), 1u);
  const auto arrow = OfColor<LinePrim>(p, kRed);
  ASSERT_EQ(arrow.size(), 3u);
  EXPECT_NEAR(marks[0].x + marks[0].width / 2.0, arrow[0].x1, 1.5);
  EXPECT_NEAR(marks[0].y + marks[0].height / 2.0, arrow[0].y1, 1.5);
  EXPECT_GT(arrow[0].x2 - arrow[0].x1, 10);
  EXPECT_NEAR(arrow[0].y2, arrow[0].y1, 1);
  // The corner lies left of and below the box's centre.
  EXPECT_LT(arrow[0].x1, box.width / 2);
  EXPECT_GT(arrow[0].y1, box.height / 2);
}

TEST(DrawContours, TheArrowFollowsTheFirstSegmentsWay) {
  // Where the first segment leaves the start, on the screen (Y down): a line's
  // own way, an arc's tangent.
  const struct {
    const char* what;
    std::vector<testing::Vertex> vertices;
    int dx, dy;  // signs of the arrow's shaft on the screen
  } cases[] = {
      {"line right", {{0, 0}, {10, 0}}, 1, 0},
      {"line up", {{0, 0}, {0, 10}}, 0, -1},
      {"line left and down", {{0, 0}, {-10, -10}}, -1, 1},
      // A half circle to (10, 0): counter-clockwise it passes below the chord,
      // leaving straight down; clockwise straight up.
      {"counter-clockwise half circle", {{0, 0, 1}, {10, 0}}, 0, 1},
      {"clockwise half circle", {{0, 0, -1}, {10, 0}}, 0, -1},
  };
  const auto sign = [](int v) { return v > 2 ? 1 : v < -2 ? -1 : 0; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DrawList contours;
    contours.push_back(Polyline(c.vertices));
    const auto arrow = OfColor<LinePrim>(DrawContours(contours, {}, {400, 300, 0, 0}), kRed);
    ASSERT_EQ(arrow.size(), 3u);
    EXPECT_EQ(sign(arrow[0].x2 - arrow[0].x1), c.dx);
    EXPECT_EQ(sign(arrow[0].y2 - arrow[0].y1), c.dy);
  }
}

TEST(DrawContours, ThePlainPictureOnlyForTodaysCut) {
  const OutlineOptions defaults;
  OutlineOptions all;
  all.source = OutlineSource::kAllEntities;
  OutlineOptions layers;
  layers.layers = {"Cut"};
  OutlineOptions shortest;
  shortest.order = ContourOrder::kShortest;
  OutlineOptions tolerances;
  tolerances.joinTolerance = 0.1;
  tolerances.chordTolerance = 0.5;
  const struct {
    const char* what;
    const OutlineOptions& outlines;
    bool cutAsToday;
    bool plain;
  } cases[] = {
      {"defaults", defaults, true, true},
      // Tolerances join and approximate what LWPOLYLINEs never need.
      {"tolerances", tolerances, true, true},
      {"a side, an entry, tabs or a pocket", defaults, false, false},
      {"all outline entities", all, true, false},
      {"layers", layers, true, false},
      {"shortest order", shortest, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlainContourPicture(c.outlines, c.cutAsToday), c.plain) << c.what;
  }
}

}  // namespace
}  // namespace kelvora::geometry
