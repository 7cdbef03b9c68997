#include "geometry/draw_all.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/picture_items.h"
#include "support/polylines.h"

namespace kelvora::geometry {
namespace {

using kelvora::testing::ItemsOf;

DrawList Holes(std::initializer_list<CDrill> holes) {
  DrawList list;
  for (const CDrill& h : holes) list.push_back(std::make_unique<CDrill>(h));
  return list;
}

std::unique_ptr<CPolyLine> Poly(std::vector<UnitPoint> pts, std::vector<double> bulges,
                                bool closed = false) {
  std::vector<testing::Vertex> vertices;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    vertices.push_back({pts[i].X, pts[i].Y, i < bulges.size() ? bulges[i] : 0.0});
  }
  return testing::Polyline(vertices, closed);
}

const PreviewBox kBox{451, 397, 0, 0};

TEST(DrawAll, EmptyListGivesBlankPictureInEveryRenderer) {
  const DrawList empty;
  const PreviewBox box{300, 200, 0, 0};
  for (const Picture& p :
       {DrawAll::DrawListDrill(empty, box, 1), DrawAll::DrawListPocket(empty, box, 2, 1, 2),
        DrawAll::DrawListLine(empty, box, 2), DrawAll::DrawListPLine(empty, box, 1)}) {
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 200);
    EXPECT_EQ(p.background, kWhite);
    EXPECT_TRUE(p.items.empty());
  }
}

TEST(DrawAll, SingleHoleIsScaledIntoTheBox) {
  const DrawList list = Holes({CDrill({0, 0}, 5, 5, 1)});
  const Picture p = DrawAll::DrawListDrill(list, kBox, 0);
  ASSERT_EQ(p.items.size(), 1u);  // mode 0: no marker
  const auto arcs = ItemsOf<ArcPrim>(p);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_EQ(arcs[0].x, 188);
  EXPECT_EQ(arcs[0].y, 163);
  EXPECT_EQ(arcs[0].width, 72);
  EXPECT_EQ(arcs[0].height, 72);
  EXPECT_EQ(arcs[0].sweepAngle, 360.0);
  EXPECT_EQ(arcs[0].pen, (Pen{kBlue, 2.0}));
}

TEST(DrawAll, MarkersOfModeOneAndTwo) {
  struct Case {
    const char* name;
    DrawList list;
    int mode;
    int circleX, circleY, crossX, crossY;
    double labelX, labelY;
  };
  std::vector<Case> cases;
  // Odd height: the centre marker sits at py0 = 198, one pixel above the hole's
  // mapped centre at 397 - 198 = 199 where the first-hole marker goes.
  cases.push_back({"centre", Holes({CDrill({0, 0}, 1, 1, 1)}), 1, 223, 196, 225, 198, 191, 182});
  cases.push_back(
      {"first hole", Holes({CDrill({0, 0}, 1, 1, 1)}), 2, 223, 197, 225, 199, 191, 183});
  // s = 21.05, centre (5, 1.5): the first hole maps to (119.75, 230.575).
  cases.push_back({"first hole off centre",
                   Holes({CDrill({0, 0}, 1, 1, 1), CDrill({10, 3}, 1, 1, 1)}), 2, 117, 228, 119,
                   230, 85.75, 214.575});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Picture p = DrawAll::DrawListDrill(c.list, kBox, c.mode);
    // The marker comes first: circle, vertical line, horizontal line, label.
    ASSERT_GE(p.items.size(), 4u);
    const auto* circle = std::get_if<EllipsePrim>(&p.items[0]);
    const auto* vertical = std::get_if<LinePrim>(&p.items[1]);
    const auto* horizontal = std::get_if<LinePrim>(&p.items[2]);
    const auto* label = std::get_if<TextPrim>(&p.items[3]);
    ASSERT_TRUE(circle && vertical && horizontal && label);
    EXPECT_EQ(circle->x, c.circleX);
    EXPECT_EQ(circle->y, c.circleY);
    EXPECT_EQ(circle->width, 4);
    EXPECT_EQ(circle->pen, (Pen{kRed, 1.0}));
    EXPECT_EQ((std::vector<int>{vertical->x1, vertical->y1, vertical->x2, vertical->y2}),
              (std::vector<int>{c.crossX, 0, c.crossX, 397}));
    EXPECT_EQ((std::vector<int>{horizontal->x1, horizontal->y1, horizontal->x2, horizontal->y2}),
              (std::vector<int>{0, c.crossY, 451, c.crossY}));
    EXPECT_NEAR(label->x, c.labelX, 1e-4);
    EXPECT_NEAR(label->y, c.labelY, 1e-4);
    EXPECT_EQ(label->Text(), "Xc=@  Yc=@");
    EXPECT_EQ(label->TextFont(), (Font{"Arial", 8.0, true}));
    EXPECT_EQ(label->Brush(), kDeepPink);
  }
}

TEST(DrawAll, TinyHolesAreDrawnAtFourPixels) {
  // Two holes 1000 apart: a radius of 0.01 maps to well under a pixel.
  const DrawList list = Holes({CDrill({0, 0}, 1, 1, 0.01), CDrill({1000, 0}, 1, 1, 0.01)});
  const auto arcs = ItemsOf<ArcPrim>(DrawAll::DrawListDrill(list, kBox, 0));
  ASSERT_EQ(arcs.size(), 2u);
  EXPECT_EQ((std::vector<int>{arcs[0].x, arcs[0].y, arcs[0].width}),
            (std::vector<int>{13, 197, 4}));
  EXPECT_EQ((std::vector<int>{arcs[1].x, arcs[1].y, arcs[1].width}),
            (std::vector<int>{432, 197, 4}));
}

TEST(DrawAll, ObjectsOfOtherKindsCountInTheExtentButAreNotDrawn) {
  DrawList list = Holes({CDrill({100, 100}, 1, 1, 1)});
  list.push_back(std::make_unique<CCircle>(UnitPoint(50, 50), 3, true));  // bounds all 0
  list.push_back(std::make_unique<CLine>(UnitPoint(0, 0), UnitPoint(0, 0)));
  const Picture p = DrawAll::DrawListDrill(list, kBox, 0);
  const auto arcs = ItemsOf<ArcPrim>(p);
  ASSERT_EQ(p.items.size(), 1u);
  // Extent 0 ... 105 on both axes: the hole lies in the upper right, not centred.
  EXPECT_GT(arcs[0].x, 225);
  EXPECT_LT(arcs[0].y + arcs[0].height, 198);
}

TEST(DrawAll, PocketDrawsBothRadiiAndWidensTheExtent) {
  const DrawList list = Holes({CDrill({0, 0}, 0, 0, 0.5)});
  const auto arcs = ItemsOf<ArcPrim>(DrawAll::DrawListPocket(list, kBox, 0, 2, 4));
  ASSERT_EQ(arcs.size(), 2u);
  // Extent -3.5 ... 3.5 widened by 4: dy = 15, s = 367 / 15.
  const double s = 367.0 / 15.0;
  EXPECT_EQ(arcs[0].width, 2 * static_cast<int>(std::floor(2 * s)));
  EXPECT_EQ(arcs[1].width, 2 * static_cast<int>(std::floor(4 * s)));
  EXPECT_EQ(arcs[1].x, 225 + static_cast<int>(std::floor(-4 * s)));
}

// The way between holes runs from each hole's centre to the next in list order,
// in thin grey, for holes and pockets alike; without it nothing else changes.
TEST(DrawAll, ThePathJoinsTheHolesInListOrder) {
  const DrawList list =
      Holes({CDrill({0, 0}, 0, 0, 0.5), CDrill({10, 0}, 0, 0, 0.5), CDrill({10, 10}, 0, 0, 0.5)});
  for (const bool pocket : {false, true}) {
    const Picture plain = pocket ? DrawAll::DrawListPocket(list, kBox, 0, 1, 2)
                                 : DrawAll::DrawListDrill(list, kBox, 0);
    const Picture path = pocket ? DrawAll::DrawListPocket(list, kBox, 0, 1, 2, true)
                                : DrawAll::DrawListDrill(list, kBox, 0, true);
    EXPECT_TRUE(ItemsOf<LinePrim>(plain).empty());
    const auto lines = ItemsOf<LinePrim>(path);
    ASSERT_EQ(lines.size(), 2u) << pocket;
    EXPECT_EQ(ItemsOf<ArcPrim>(path).size(), ItemsOf<ArcPrim>(plain).size());
    for (const LinePrim& l : lines) EXPECT_EQ(l.pen, (Pen{kGray, 1.0}));
    // Each segment starts where the one before ended: (0,0) -> (10,0) -> (10,10).
    EXPECT_EQ(lines[0].x2, lines[1].x1);
    EXPECT_EQ(lines[0].y2, lines[1].y1);
    EXPECT_EQ(lines[0].y1, lines[0].y2);  // the first runs along X
    EXPECT_EQ(lines[1].x1, lines[1].x2);  // the second along Y
    EXPECT_LT(lines[1].y2, lines[1].y1);  // upwards on the screen
  }
}

std::vector<LinePrim> LinesOf(DrawList& list, PreviewBox box) {
  return ItemsOf<LinePrim>(DrawAll::DrawListLine(list, box, 2));
}

TEST(DrawAll, ScaleFitsBothAxes) {
  struct Case {
    const char* name;
    double w, h;
    PreviewBox box;
    std::vector<int> corners;  // x, y of (0, 0) and of (w, h)
  };
  const std::vector<Case> cases = {
      // The other axis decides: s = 170 / 90, the rectangle spans 15 ... 185.
      {"taller than the box allows", 100, 90, {451, 200, 0, 0}, {130, 185, 319, 15}},
      // The larger extent's scale also fits the other axis: s = 421 / 100.
      {"wide and flat", 100, 10, {451, 397, 0, 0}, {14, 220, 435, 177}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrawList list;
    list.push_back(std::make_unique<CLine>(UnitPoint(0, 0), UnitPoint(c.w, 0)));
    list.push_back(std::make_unique<CLine>(UnitPoint(c.w, 0), UnitPoint(c.w, c.h)));
    const auto lines = LinesOf(list, c.box);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ((std::vector<int>{lines[0].x1, lines[0].y1, lines[1].x2, lines[1].y2}), c.corners);
    for (const LinePrim& l : lines) {
      EXPECT_TRUE(l.x1 >= 0 && l.x2 <= c.box.width && l.y2 >= 0 && l.y1 <= c.box.height);
    }
  }
}

TEST(DrawAll, LineEndsAreTruncatedTowardZeroAndFollowTheBoxPosition) {
  // Extent 0 ... 1 on X: s = 421. A box 300 pixels left of its panel's origin puts
  // the centre at -75, so x = 0 maps to -285.5, which truncates to -285 (rounding
  // down would give -286).
  DrawList list;
  list.push_back(std::make_unique<CLine>(UnitPoint(0, 0), UnitPoint(1, 0)));
  const auto lines = ItemsOf<LinePrim>(DrawAll::DrawListLine(list, {451, 397, -300, 0}, 0));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].x1, -285);
  EXPECT_EQ(lines[0].x2, 135);
  EXPECT_EQ(lines[0].y1, 199);
}

TEST(DrawAll, CoordinatesThatOverflowStayDefined) {
  // The extent overflows to infinity and the scale to 0: mapped positions are not
  // numbers, and must not turn into arbitrary integers.
  const DrawList list = Holes({CDrill({1e308, 0}, 1, 1, 1), CDrill({-1e308, 0}, 1, 1, 1)});
  for (int mode : {1, 2}) {
    const Picture p = DrawAll::DrawListDrill(list, kBox, mode);
    std::vector<int> coords;
    for (const auto& a : ItemsOf<ArcPrim>(p)) coords.insert(coords.end(), {a.x, a.y, a.width});
    for (const auto& l : ItemsOf<LinePrim>(p))
      coords.insert(coords.end(), {l.x1, l.y1, l.x2, l.y2});
    ASSERT_EQ(ItemsOf<ArcPrim>(p).size(), 2u);
    for (int c : coords) EXPECT_LE(std::abs(static_cast<long long>(c)), 200'000'000);
    for (const auto& t : ItemsOf<TextPrim>(p)) {
      EXPECT_TRUE(std::isfinite(t.x) && std::isfinite(t.y)) << t.x << ", " << t.y;
    }
  }
  // Finite holes whose extent overflows only when their width is taken.
  const DrawList wide = Holes({CDrill({0, 0}, 1, 1, 1e308), CDrill({1, 0}, 1, 1, 1e308)});
  const auto labels = ItemsOf<TextPrim>(DrawAll::DrawListDrill(wide, kBox, 2));
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_TRUE(std::isfinite(labels[0].x) && std::isfinite(labels[0].y));
}

TEST(DrawAll, BulgesWithoutAFiniteArcAreDrawnStraight) {
  for (double bulge : {1e308, -1e308, 1e-320}) {
    SCOPED_TRACE(bulge);
    DrawList list;
    list.push_back(Poly({{0, 0}, {2, 0}}, {bulge}));
    const Picture p = DrawAll::DrawListPLine(list, kBox, 1);
    for (const auto& a : ItemsOf<ArcPrim>(p)) {
      EXPECT_TRUE(std::isfinite(a.startAngle) && std::isfinite(a.sweepAngle));
    }
    EXPECT_EQ(p.items.size(), 1u);
  }
}

TEST(DrawAll, BulgedSegmentsBecomeArcsWithScreenAngles) {
  struct Case {
    const char* name;
    UnitPoint p1, p2;
    double bulge;
    double start, sweep;
  };
  const double quarter = std::tan(std::numbers::pi / 8);  // a 90-degree arc
  const std::vector<Case> cases = {
      // Counter-clockwise from 180 to 360 degrees: below the chord.
      {"half circle, positive bulge", {0, 0}, {2, 0}, 1.0, -180, -180},
      {"half circle, negative bulge", {0, 0}, {2, 0}, -1.0, -180, 180},
      {"quarter counter-clockwise", {1, 0}, {0, 1}, quarter, 0, -90},
      {"quarter clockwise", {0, 1}, {1, 0}, -quarter, -90, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrawList list;
    list.push_back(Poly({c.p1, c.p2}, {c.bulge}));
    const auto arcs = ItemsOf<ArcPrim>(DrawAll::DrawListPLine(list, kBox, 1));
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NEAR(arcs[0].startAngle, c.start, 1e-9);
    EXPECT_NEAR(arcs[0].sweepAngle, c.sweep, 1e-9);
  }
}

TEST(DrawAll, HalfCircleSquareFollowsTheCircleRule) {
  // Extent X 0 ... 2, Y -1 ... 0: s = 421 / 2 = 210.5, centre (1, -0.5).
  DrawList list;
  list.push_back(Poly({{0, 0}, {2, 0}}, {1.0}));
  const auto arcs = ItemsOf<ArcPrim>(DrawAll::DrawListPLine(list, kBox, 1));
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_EQ((std::vector<int>{arcs[0].x, arcs[0].y, arcs[0].width, arcs[0].height}),
            (std::vector<int>{14, -116, 420, 420}));
}

TEST(DrawAll, PolylineSegmentsAndClosingSegment) {
  const std::vector<UnitPoint> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  struct Case {
    const char* name;
    std::unique_ptr<CPolyLine> pl;
    std::size_t lines, arcs;
  };
  std::vector<Case> cases;
  cases.push_back({"open", Poly(square, {}), 3, 0});
  cases.push_back({"closed", Poly(square, {}, true), 4, 0});
  cases.push_back({"closed, last vertex on the first",
                   Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, {}, true), 4, 0});
  cases.push_back(
      {"closed with a bulge on the last vertex", Poly(square, {0, 0, 0, 0.5}, true), 3, 1});
  cases.push_back({"open ignores the last bulge", Poly(square, {0, 0, 0, 0.5}), 3, 0});
  cases.push_back({"one vertex", Poly({{5, 5}}, {}, true), 0, 0});
  cases.push_back({"no vertex", Poly({}, {}), 0, 0});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrawList list;
    list.push_back(std::move(c.pl));
    list.push_back(Poly({{-1, -1}, {11, 11}}, {}));  // keeps the extent the same
    const Picture p = DrawAll::DrawListPLine(list, kBox, 1);
    EXPECT_EQ(ItemsOf<LinePrim>(p).size(), c.lines + 1);
    EXPECT_EQ(ItemsOf<ArcPrim>(p).size(), c.arcs);
    EXPECT_TRUE(ItemsOf<EllipsePrim>(p).empty());  // no marker
  }
}

TEST(DrawAll, ClosingSegmentJoinsLastVertexToFirst) {
  DrawList list;
  list.push_back(Poly({{0, 0}, {10, 0}, {10, 10}}, {}, true));
  const auto lines = ItemsOf<LinePrim>(DrawAll::DrawListPLine(list, kBox, 1));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].x1, lines[1].x2);
  EXPECT_EQ(lines[2].y1, lines[1].y2);
  EXPECT_EQ(lines[2].x2, lines[0].x1);
  EXPECT_EQ(lines[2].y2, lines[0].y1);
}

TEST(PolyLineBounds, ArcsCountWithTheirTrueExtent) {
  struct Case {
    const char* name;
    std::unique_ptr<CPolyLine> pl;
    double minX, maxX, minY, maxY;
  };
  std::vector<Case> cases;
  // Half circle of radius 1 around (1, 0), counter-clockwise: below the chord.
  cases.push_back({"half circle", Poly({{0, 0}, {2, 0}}, {1.0}), 0, 2, -1, 0});
  // More than a half circle: centre (1, -0.75), radius 1.25, reaching y = -2.
  cases.push_back({"bulge 2", Poly({{0, 0}, {2, 0}}, {2.0}), -0.25, 2.25, -2, 0});
  cases.push_back({"bulge -2 mirrors it", Poly({{0, 0}, {2, 0}}, {-2.0}), -0.25, 2.25, 0, 2});
  cases.push_back(
      {"bulge on the last vertex is ignored", Poly({{0, 0}, {2, 0}}, {0, 1.0}), 0, 2, 0, 0});
  cases.push_back(
      {"closing arc of a closed polyline", Poly({{0, 0}, {2, 0}}, {0, 1.0}, true), 0, 2, 0, 1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(c.pl->MinX(), c.minX, 1e-12);
    EXPECT_NEAR(c.pl->MaxX(), c.maxX, 1e-12);
    EXPECT_NEAR(c.pl->MinY(), c.minY, 1e-12);
    EXPECT_NEAR(c.pl->MaxY(), c.maxY, 1e-12);
  }
}

TEST(PolyLineBounds, WideArcStaysInAFlatBox) {
  // Vertex +/- radius bounds would stop 0.75 units above this arc's lowest point,
  // and in a flat box that point would fall below the bottom edge.
  DrawList list;
  list.push_back(Poly({{0, 0}, {2, 0}}, {2.0}));
  const auto arcs = ItemsOf<ArcPrim>(DrawAll::DrawListPLine(list, {800, 100, 0, 0}, 1));
  ASSERT_EQ(arcs.size(), 1u);
  // The arc passes through the leftmost, rightmost and lowest points of its circle.
  EXPECT_GE(arcs[0].x, 0);
  EXPECT_LE(arcs[0].x + arcs[0].width, 800);
  EXPECT_LE(arcs[0].y + arcs[0].height, 100);
}

}  // namespace
}  // namespace kelvora::geometry
