#include "geometry/draw_obj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/util.h"

namespace kelvora::geometry {
namespace {

struct Bounds {
  double minX, maxX, minY, maxY;
};

Bounds BoundsOf(const DrawObj& o) {
  return {o.MinX(), o.MaxX(), o.MinY(), o.MaxY()};
}

void ExpectBounds(const DrawObj& o, Bounds e, const char* what) {
  const Bounds b = BoundsOf(o);
  EXPECT_DOUBLE_EQ(b.minX, e.minX) << what;
  EXPECT_DOUBLE_EQ(b.maxX, e.maxX) << what;
  EXPECT_DOUBLE_EQ(b.minY, e.minY) << what;
  EXPECT_DOUBLE_EQ(b.maxY, e.maxY) << what;
}

struct Vertex {
  double x, y, b;
};

CPolyLine MakePolyLine(std::initializer_list<Vertex> vertices, bool closed = false) {
  CPolyLine p;
  p.m_VertexCount = static_cast<std::uint32_t>(vertices.size());
  p.InitVertex(p.m_VertexCount);
  std::size_t i = 0;
  for (const Vertex& v : vertices) {
    p.x[i] = v.x;
    p.y[i] = v.y;
    p.b[i] = v.b;
    ++i;
  }
  if (closed) p.m_PolyLineFlag |= kPolyLineClosed;
  return p;
}

TEST(DrawObj, KindsAndDefaults) {
  const CLine line({0, 0}, {1, 1});
  EXPECT_EQ(line.otype, otLine);
  EXPECT_EQ(line.m_Layer, "0");
  const CCircle circle({1, 2}, 3, true);
  EXPECT_EQ(circle.otype, otCircle);
  const CDrill drill({1, 2}, 5, 2, 1.5);
  EXPECT_EQ(drill.otype, otDrill);
  EXPECT_EQ(drill.m_Layer, "");
  const CPolyLine poly;
  EXPECT_EQ(poly.otype, otPolyLine);
  EXPECT_EQ(poly.m_VertexCount, 0u);
}

TEST(DrawObj, Bounds) {
  ExpectBounds(CDrill({10, 20}, 5, 2, 1.5), {3.5, 16.5, 13.5, 26.5}, "drill with margin");
  ExpectBounds(CLine({0, 0}, {1e6, 5}), {0, 99999.0, 0, 5}, "line clipped at 99999");
  ExpectBounds(CLine({3, -4}, {-1, 7}), {-1, 3, -4, 7}, "line");
  ExpectBounds(CLine({-2e5, -3e5}, {-1e6, -4e5}), {-99999.0, -99999.0, -99999.0, -99999.0},
               "line far off clipped on both sides");
  ExpectBounds(CCircle({5, 5}, 2, true), {0, 0, 0, 0}, "circle keeps the base rule");
  ExpectBounds(CArc(), {0, 0, 0, 0}, "arc");
  ExpectBounds(COp1({1, 1}, 2), {0, 0, 0, 0}, "op");
  ExpectBounds(CSpline(), {0, 0, 0, 0}, "spline");
  ExpectBounds(CPolyLine(), {99999.0, -99999.0, 99999.0, -99999.0}, "empty polyline");
}

TEST(CPolyLineBounds, ArcsContributeTheirTrueExtent) {
  const double quarter = std::tan(std::numbers::pi / 8);  // bulge of a quarter circle
  struct Case {
    const char* what;
    CPolyLine poly;
    Bounds expected;
  };
  const Case cases[] = {
      {"straight chain", MakePolyLine({{0, 0, 0}, {4, 1, 0}, {2, -3, 0}}), {0, 4, -3, 1}},
      // Counter-clockwise half circle from (0,0) to (2,0) dips below the chord.
      {"half circle ccw", MakePolyLine({{0, 0, 1}, {2, 0, 0}}), {0, 2, -1, 0}},
      {"half circle cw", MakePolyLine({{0, 0, -1}, {2, 0, 0}}), {0, 2, 0, 1}},
      // Bulge 2 sweeps more than a half circle: it reaches y = -2 (radius 1.25).
      {"large arc", MakePolyLine({{0, 0, 2}, {2, 0, 0}}), {-0.25, 2.25, -2, 0}},
      {"quarter circle", MakePolyLine({{10, 0, quarter}, {0, 10, 0}}), {0, 10, 0, 10}},
      {"bulge on last vertex ignored", MakePolyLine({{0, 0, 0}, {2, 0, 1}}), {0, 2, 0, 0}},
      // A closed polyline also spans its closing segment, arc included.
      {"closed with closing arc", MakePolyLine({{2, 0, 0}, {0, 0, -1}}, true), {0, 2, 0, 1}},
      {"open: no closing arc", MakePolyLine({{2, 0, 0}, {0, 0, -1}}), {0, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    const Bounds b = BoundsOf(c.poly);
    EXPECT_NEAR(b.minX, c.expected.minX, 1e-12) << c.what;
    EXPECT_NEAR(b.maxX, c.expected.maxX, 1e-12) << c.what;
    EXPECT_NEAR(b.minY, c.expected.minY, 1e-12) << c.what;
    EXPECT_NEAR(b.maxY, c.expected.maxY, 1e-12) << c.what;
  }
}

TEST(CPolyLine, ClosingSegment) {
  EXPECT_TRUE(MakePolyLine({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, true).HasClosingSegment());
  EXPECT_FALSE(MakePolyLine({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, false).HasClosingSegment());
  EXPECT_FALSE(MakePolyLine({{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}, true).HasClosingSegment())
      << "the drawing already repeats the first vertex";
  EXPECT_FALSE(MakePolyLine({{5, 5, 0}}, true).HasClosingSegment());
}

TEST(Util, DistanceAndAngles) {
  EXPECT_EQ(Util::Distance({0, 0}, {3, 4}, true), 5);
  EXPECT_EQ(Util::Distance({0, 0}, {0, -2}, true), 2);
  EXPECT_EQ(Util::Distance({0, 0}, {0, -2}, false), 2);
  EXPECT_EQ(Util::Distance({1, 0}, {3, 0}, false), -2);
  EXPECT_DOUBLE_EQ(Util::DegreeToRad(180), 3.141592653589793);
  EXPECT_DOUBLE_EQ(Util::RadToDegree(3.141592653589793 / 2), 90);

  struct AngleCase {
    UnitPoint to;
    double expected;
  };
  const AngleCase angles[] = {
      {{1, 0}, 0.0},
      {{-1, 0}, std::numbers::pi},
      {{0, 1}, std::numbers::pi / 2},
      {{0, -1}, 3 * std::numbers::pi / 2},
      {{1, -1}, 7 * std::numbers::pi / 4},
      {{-1, -1}, 5 * std::numbers::pi / 4},
      {{0, 0}, 0.0},
  };
  for (const AngleCase& c : angles) {
    EXPECT_NEAR(Util::LineAngleR({0, 0}, c.to, 0), c.expected, 1e-12) << c.to.X << "," << c.to.Y;
  }
  // Snapping rounds to the nearest multiple; the vertical results are not snapped.
  EXPECT_NEAR(Util::LineAngleR({0, 0}, {1, 1.1}, std::numbers::pi / 2), std::numbers::pi / 2,
              1e-12);
  EXPECT_EQ(Util::LineAngleR({0, 0}, {1, 0.9}, std::numbers::pi / 2), 0.0);
  EXPECT_DOUBLE_EQ(Util::LineAngleR({0, 0}, {0, 1}, 1.0), 1.5707963267948966);
}

}  // namespace
}  // namespace kelvora::geometry
