#include "geometry/dxf_outlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "geometry/dxf_wrapper.h"
#include "geometry/outline_geometry.h"

namespace kelvora::geometry {
namespace {

using outline_test::Area;
using outline_test::Contour;
using outline_test::Deviation;
using outline_test::Drawing;
using outline_test::G;
using outline_test::Num;

constexpr double kPi = std::numbers::pi;

G Line(double x1, double y1, double x2, double y2, const std::string& layer = "0") {
  return {{0, "LINE"}, {8, layer}, {10, Num(x1)}, {20, Num(y1)}, {11, Num(x2)}, {21, Num(y2)}};
}

G Arc(double cx, double cy, double r, double a0, double a1, const std::string& layer = "0") {
  return {{0, "ARC"},   {8, layer},    {10, Num(cx)}, {20, Num(cy)},
          {40, Num(r)}, {50, Num(a0)}, {51, Num(a1)}};
}

G Circle(double cx, double cy, double r, const std::string& layer = "0") {
  return {{0, "CIRCLE"}, {8, layer}, {10, Num(cx)}, {20, Num(cy)}, {40, Num(r)}};
}

G LwSquare(double x, double y, double size, const std::string& layer = "0") {
  return {{0, "LWPOLYLINE"},   {8, layer},          {90, "4"},           {70, "1"},
          {10, Num(x)},        {20, Num(y)},        {10, Num(x + size)}, {20, Num(y)},
          {10, Num(x + size)}, {20, Num(y + size)}, {10, Num(x)},        {20, Num(y + size)}};
}

G Insert(const std::string& block, double x, double y, double sx = 1, double sy = 1,
         double rotation = 0, const std::string& layer = "0") {
  return {{0, "INSERT"}, {8, layer},    {2, block},    {10, Num(x)},
          {20, Num(y)},  {41, Num(sx)}, {42, Num(sy)}, {50, Num(rotation)}};
}

G Block(const std::string& name, double bx, double by, const G& body) {
  G g = {{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, Num(bx)}, {20, Num(by)}};
  g.insert(g.end(), body.begin(), body.end());
  g.push_back({0, "ENDBLK"});
  return g;
}

G Join(std::initializer_list<G> parts) {
  G all;
  for (const G& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Outlines All(const std::string& text, OutlineOptions options = {}) {
  CDxf dxf;
  dxf.LoadText(text);
  EXPECT_EQ(dxf.GetProblem(), "");
  options.source = OutlineSource::kAllEntities;
  return OutlinesOf(dxf, options);
}

bool HasNote(const Outlines& o, const std::string& part) {
  for (const std::string& n : o.notes) {
    if (n.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(ChainPieces, JoinsReversesAndEndsAtBranches) {
  const double gapUnder = 0.0009;
  const double gapOver = 0.0011;
  struct Case {
    const char* name;
    G entities;
    std::vector<bool> closed;   // per contour, in order
    std::vector<double> areas;  // absolute, per closed contour (0: not checked)
    bool branch;
  };
  const std::vector<Case> cases = {
      {"square scrambled, two pieces reversed",
       Join({Line(10, 10, 0, 10), Line(0, 0, 10, 0), Line(0, 0, 0, 10), Line(10, 10, 10, 0)}),
       {true},
       {100},
       false},
      {"gap just under the tolerance",
       Join({Line(0, 0, 10, 0), Line(10 + gapUnder, 0, 10, 10), Line(10, 10, 0, 10),
             Line(0, 10, 0, 0)}),
       {true},
       {100},
       false},
      {"gap just over the tolerance",
       Join({Line(0, 0, 10, 0), Line(10 + gapOver, 0, 10, 10), Line(10, 10, 0, 10),
             Line(0, 10, 0, 0)}),
       {false},
       {0},
       false},
      {"T-junction",
       Join({Line(-5, 0, 0, 0), Line(0, 0, 5, 0), Line(0, 0, 0, 5)}),
       {false, false, false},
       {0, 0, 0},
       true},
      {"figure eight: two squares on one corner",
       Join({Line(0, 0, 10, 0), Line(10, 0, 10, 10), Line(10, 10, 0, 10), Line(0, 10, 0, 0),
             Line(0, 0, -10, 0), Line(-10, 0, -10, -10), Line(-10, -10, 0, -10),
             Line(0, -10, 0, 0)}),
       {true, true},
       {100, 100},
       true},
      {"a whole circle as one ARC", Arc(3, 4, 5, 0, 360), {true}, {kPi * 25}, false},
      {"zero-length pieces dropped",
       Join({Line(0, 0, 10, 0), Line(10, 0, 10, 0), Line(10, 0, 10, 10), Line(10, 10, 0, 0),
             Arc(0, 0, 1, 30, 30.00001)}),
       {true},
       {50},
       false},
      {"half disc of a line and an arc",
       Join({Arc(0, 0, 10, 0, 180), Line(-10, 0, 10, 0)}),
       {true},
       {kPi * 50},
       false},
      {"three-quarter arc closed by two lines",
       Join({Line(0, 0, 10, 0), Arc(0, 0, 10, 0, 270), Line(0, -10, 0, 0)}),
       {true},
       {kPi * 75},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outlines o = All(Drawing(c.entities));
    ASSERT_EQ(o.contours.size(), c.closed.size());
    for (std::size_t i = 0; i < c.closed.size(); ++i) {
      const CPolyLine& p = Contour(o, i);
      EXPECT_EQ(p.IsClosed(), c.closed[i]) << i;
      EXPECT_EQ(p.m_VertexCount, p.x.size());
      for (double b : p.b) EXPECT_LE(std::fabs(b), 1.0 + 1e-12);
      if (c.areas[i] > 0) {
        // A gap within the tolerance closes with a short straight step.
        EXPECT_NEAR(std::fabs(Area(p)), c.areas[i], 0.01) << i;
      }
    }
    EXPECT_EQ(HasNote(o, "Three or more ends meet"), c.branch);
  }
}

TEST(ChainPieces, OpenChainRunsFromEndToEnd) {
  // An open chain of three pieces read out of order starts at a free end and
  // keeps every piece.
  const Outlines o =
      All(Drawing(Join({Line(20, 0, 10, 0), Line(0, 0, 10, 0), Arc(25, 0, 5, 0, 180)})));
  ASSERT_EQ(o.contours.size(), 1u);
  const CPolyLine& p = Contour(o, 0);
  EXPECT_FALSE(p.IsClosed());
  ASSERT_EQ(p.x.size(), 4u);
  const bool fromLeft = p.x.front() == 0;
  EXPECT_DOUBLE_EQ(p.x.back(), fromLeft ? 30 : 0);
  // The arc keeps its side: counter-clockwise from (30, 0) to (20, 0) over the top.
  const std::size_t arcStart = fromLeft ? 2 : 0;
  EXPECT_NEAR(p.b[arcStart], fromLeft ? -1.0 : 1.0, 1e-12);
}

double EllipseDeviation(const CPolyLine& p, double cx, double cy, double a, double b, double rot,
                        double t0, double t1) {
  double worst = 0;
  for (int i = 0; i <= 4000; ++i) {
    const double t = t0 + (t1 - t0) * i / 4000.0;
    const double x = a * std::cos(t);
    const double y = b * std::sin(t);
    worst = std::max(worst, Deviation(p, cx + x * std::cos(rot) - y * std::sin(rot),
                                      cy + x * std::sin(rot) + y * std::cos(rot)));
  }
  return worst;
}

TEST(CurveApproximation, EllipsesStayWithinTheChordTolerance) {
  const double rot = 20 * kPi / 180;
  struct Case {
    const char* name;
    double tolerance, t0, t1;
    bool closed;
  };
  const std::vector<Case> cases = {
      {"whole ellipse", 0.01, 0, 2 * kPi, true},
      {"whole ellipse, fine", 0.001, 0, 2 * kPi, true},
      {"elliptical arc", 0.01, 0.3, 2.0, false},
      {"arc over the parameter's zero", 0.05, 5.5, 1.0 + 2 * kPi, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const G e = {{0, "ELLIPSE"},
                 {8, "0"},
                 {10, "5"},
                 {20, "-3"},
                 {11, Num(30 * std::cos(rot))},
                 {21, Num(30 * std::sin(rot))},
                 {40, "0.5"},
                 {41, Num(c.t0)},
                 {42, Num(std::fmod(c.t1, 2 * kPi))}};
    OutlineOptions options;
    options.chordTolerance = c.tolerance;
    const Outlines o = All(Drawing(e), options);
    ASSERT_EQ(o.contours.size(), 1u);
    const CPolyLine& p = Contour(o, 0);
    EXPECT_EQ(p.IsClosed(), c.closed);
    EXPECT_LE(EllipseDeviation(p, 5, -3, 30, 15, rot, c.t0, c.t1), c.tolerance);
    // Arcs follow an ellipse closely: far fewer pieces than lines would need.
    EXPECT_LT(p.x.size(), c.tolerance < 0.005 ? 120u : 60u);
  }
}

// A circle as a rational quadratic spline: nine control points, the corners
// weighted by cos 45 degrees.
G RationalCircle(double r) {
  const double w = std::sqrt(0.5);
  const double px[] = {r, r, 0, -r, -r, -r, 0, r, r};
  const double py[] = {0, r, r, r, 0, -r, -r, -r, 0};
  const double knots[] = {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4};
  G g = {{0, "SPLINE"}, {8, "0"}, {70, "13"}, {71, "2"}, {72, "12"}, {73, "9"}, {74, "0"}};
  for (double k : knots) g.push_back({40, Num(k)});
  for (int i = 0; i < 9; ++i) {
    g.push_back({10, Num(px[i])});
    g.push_back({20, Num(py[i])});
  }
  for (int i = 0; i < 9; ++i) g.push_back({41, Num(i % 2 == 1 ? w : 1.0)});
  return g;
}

TEST(CurveApproximation, SplinesWithinToleranceAndRoundOnesAsFewArcs) {
  {
    SCOPED_TRACE("circle-like spline");
    const Outlines o = All(Drawing(RationalCircle(20)));
    ASSERT_EQ(o.contours.size(), 1u);
    const CPolyLine& p = Contour(o, 0);
    EXPECT_TRUE(p.IsClosed());
    EXPECT_LE(p.x.size(), 8u);
    EXPECT_LE(EllipseDeviation(p, 0, 0, 20, 20, 0, 0, 2 * kPi), 0.01);
  }
  {
    SCOPED_TRACE("cubic Bezier, against its Bernstein form");
    const double px[] = {0, 10, 30, 40};
    const double py[] = {0, 40, -40, 0};
    G g = {{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}};
    for (double k : {0, 0, 0, 0, 1, 1, 1, 1}) g.push_back({40, Num(k)});
    for (int i = 0; i < 4; ++i) {
      g.push_back({10, Num(px[i])});
      g.push_back({20, Num(py[i])});
    }
    const Outlines o = All(Drawing(g));
    ASSERT_EQ(o.contours.size(), 1u);
    const CPolyLine& p = Contour(o, 0);
    EXPECT_FALSE(p.IsClosed());
    double worst = 0;
    for (int i = 0; i <= 2000; ++i) {
      const double t = i / 2000.0;
      const double s = 1 - t;
      const double w[] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
      double x = 0, y = 0;
      for (int k = 0; k < 4; ++k) {
        x += w[k] * px[k];
        y += w[k] * py[k];
      }
      worst = std::max(worst, Deviation(p, x, y));
    }
    EXPECT_LE(worst, 0.01);
    EXPECT_LT(p.x.size(), 40u);
  }
}

TEST(CurveApproximation, SplinesWithoutUsableNumbersAreLeftOutWithANote) {
  struct Case {
    const char* name;
    G spline;
    std::size_t contours;
    const char* note;
  };
  const G head = {{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "3"}};
  auto with = [&](G extra) {
    G g = head;
    g.insert(g.end(), extra.begin(), extra.end());
    return g;
  };
  const std::vector<Case> cases = {
      {"no points", head, 0, "SPLINE (no points)"},
      {"knots out of order",
       with({{40, "0"},
             {40, "0"},
             {40, "0"},
             {40, "1"},
             {40, "0.5"},
             {40, "1"},
             {40, "1"},
             {40, "1"},
             {10, "0"},
             {20, "0"},
             {10, "1"},
             {20, "1"},
             {10, "2"},
             {20, "0"},
             {10, "3"},
             {20, "1"}}),
       0, "SPLINE (knots out of order or too few)"},
      {"too few knots", with({{40, "0"}, {40, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}}), 0,
       "SPLINE (knots out of order or too few)"},
      {"bad knots, but fit points",
       with({{40, "3"},
             {40, "1"},
             {11, "0"},
             {21, "0"},
             {11, "5"},
             {21, "2"},
             {11, "10"},
             {21, "0"}}),
       1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outlines o = All(Drawing(c.spline));
    EXPECT_EQ(o.contours.size(), c.contours);
    if (c.note != nullptr) {
      EXPECT_TRUE(HasNote(o, c.note)) << (o.notes.empty() ? "" : o.notes[0]);
    }
  }
}

std::vector<std::pair<double, double>> Vertices(const CPolyLine& p) {
  std::vector<std::pair<double, double>> v;
  for (std::size_t i = 0; i < p.x.size(); ++i) v.emplace_back(p.x[i], p.y[i]);
  return v;
}

void ExpectVertices(const CPolyLine& p, const std::vector<std::pair<double, double>>& want) {
  const auto got = Vertices(p);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].first, want[i].first, 1e-9) << i;
    EXPECT_NEAR(got[i].second, want[i].second, 1e-9) << i;
  }
}

TEST(Blocks, PlacedByPositionScaleRotationArraysAndNesting) {
  const G square = Block("SQ", 5, 5, LwSquare(0, 0, 10));
  {
    SCOPED_TRACE("turned a quarter and doubled");
    const Outlines o = All(Drawing(Insert("SQ", 100, 0, 2, 2, 90), square));
    ASSERT_EQ(o.contours.size(), 1u);
    ExpectVertices(Contour(o, 0), {{110, -10}, {110, 10}, {90, 10}, {90, -10}});
    EXPECT_TRUE(Contour(o, 0).IsClosed());
  }
  {
    SCOPED_TRACE("nested twice");
    const G two = Block("TWO", 0, 0, Join({Insert("SQ", 5, 5), Insert("SQ", 25, 5)}));
    const Outlines o = All(Drawing(Insert("two", 0, 100), Join({square, two})));
    ASSERT_EQ(o.contours.size(), 2u);
    EXPECT_DOUBLE_EQ(Contour(o, 0).x[0], 0);
    EXPECT_DOUBLE_EQ(Contour(o, 0).y[0], 100);
    EXPECT_DOUBLE_EQ(Contour(o, 1).x[0], 20);
  }
  {
    SCOPED_TRACE("an array of 3 columns and 2 rows");
    G ins = Insert("SQ", 5, 5);
    ins.insert(ins.end(), {{70, "3"}, {71, "2"}, {44, "30"}, {45, "40"}});
    const Outlines o = All(Drawing(ins, square));
    ASSERT_EQ(o.contours.size(), 6u);
    std::vector<std::pair<double, double>> starts;
    for (std::size_t i = 0; i < 6; ++i) starts.emplace_back(Contour(o, i).x[0], Contour(o, i).y[0]);
    const std::vector<std::pair<double, double>> want = {{0, 0},  {30, 0},  {60, 0},
                                                         {0, 40}, {30, 40}, {60, 40}};
    EXPECT_EQ(starts, want);
  }
  {
    SCOPED_TRACE("mirrored by a negative X scale: arcs turn the other way");
    const G half = Block("HALF", 0, 0, Join({Arc(0, 0, 10, 0, 180), Line(-10, 0, 10, 0)}));
    const Outlines plain = All(Drawing(Insert("HALF", 50, 0), half));
    const Outlines mirrored = All(Drawing(Insert("HALF", 50, 0, -1, 1), half));
    ASSERT_EQ(plain.contours.size(), 1u);
    ASSERT_EQ(mirrored.contours.size(), 1u);
    EXPECT_NEAR(Area(Contour(plain, 0)), -Area(Contour(mirrored, 0)), 1e-9);
    EXPECT_NEAR(std::fabs(Area(Contour(mirrored, 0))), kPi * 50, 1e-6);
    EXPECT_LE(Deviation(Contour(mirrored, 0), 50, 10), 1e-9);
  }
  {
    SCOPED_TRACE("stretched: a circle becomes an ellipse");
    OutlineOptions options;
    options.chordTolerance = 0.01;
    const Outlines o =
        All(Drawing(Insert("C", 0, 0, 2, 1, 30), Block("C", 0, 0, Circle(0, 0, 10))), options);
    ASSERT_EQ(o.contours.size(), 1u);
    EXPECT_TRUE(Contour(o, 0).IsClosed());
    EXPECT_LE(EllipseDeviation(Contour(o, 0), 0, 0, 20, 10, 30 * kPi / 180, 0, 2 * kPi), 0.01);
    EXPECT_GT(Area(Contour(o, 0)), 0);  // counter-clockwise
  }
}

TEST(Blocks, BadInsertsAreRefusedOrLeftOut) {
  struct Case {
    const char* name;
    G entities, blocks;
    const char* refusal;  // null: read, with the note
    const char* note;
  };
  G huge = Insert("SQ", 0, 0);
  huge.insert(huge.end(), {{70, "100000"}, {71, "100000"}, {44, "1"}, {45, "1"}});
  const G square = Block("SQ", 0, 0, LwSquare(0, 0, 1));
  // 1.5 million placements of two entities each: within the bound alone, past it
  // four times over.
  G huge3000 = Insert("SQ", 0, 0);
  huge3000.insert(huge3000.end(), {{70, "1000"}, {71, "1500"}, {44, "1"}, {45, "1"}});
  const std::vector<Case> cases = {
      {"a block that inserts itself", Insert("SELF", 0, 0),
       Block("SELF", 0, 0, Insert("SELF", 1, 1)), "The block \"SELF\" inserts itself", nullptr},
      {"a cycle through two blocks", Insert("A", 0, 0),
       Join({Block("A", 0, 0, Insert("B", 0, 0)), Block("B", 0, 0, Insert("A", 0, 0))}),
       "inserts itself", nullptr},
      {"a huge array", huge, square, "place more than 10000000 entities", nullptr},
      {"nested arrays multiplying out", Join({Insert("OUTER", 0, 0), Insert("OUTER", 0, 0)}),
       Join({square, Block("OUTER", 0, 0, Join({huge3000, huge3000}))}),
       "place more than 10000000 entities", nullptr},
      {"a number past the largest",
       {{0, "LINE"}, {10, "0"}, {20, "1e999"}, {11, "1"}, {21, "1"}},
       square,
       "The drawing holds a number that is not finite",
       nullptr},
      {"scale zero", Insert("SQ", 0, 0, 0, 1), square, nullptr, "INSERT scaled by zero"},
      {"an undefined block", Insert("NONE", 0, 0), square, nullptr,
       "INSERT of a block the drawing does not define"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outlines o = All(Drawing(c.entities, c.blocks));
    EXPECT_TRUE(o.contours.empty());
    ASSERT_FALSE(o.notes.empty());
    if (c.refusal != nullptr) {
      EXPECT_NE(o.notes[0].find(c.refusal), std::string::npos) << o.notes[0];
    } else {
      EXPECT_TRUE(HasNote(o, c.note));
    }
  }
}

TEST(Layers, ChosenLayersOnlyAndHiddenOnesNever) {
  const G layers = {{0, "LAYER"}, {2, "Frozen"}, {70, "1"},    {62, "7"},  {0, "LAYER"}, {2, "Off"},
                    {70, "0"},    {62, "-7"},    {0, "LAYER"}, {2, "Cut"}, {70, "0"},    {62, "1"}};
  const std::string text = Drawing(
      Join({LwSquare(0, 0, 1, "CUT"), LwSquare(10, 0, 1, "frozen"), LwSquare(20, 0, 1, "OFF"),
            Circle(0, 50, 1, "cut"), Circle(10, 50, 1, "Drill")}),
      {}, layers);
  struct Case {
    const char* name;
    OutlineSource source;
    std::vector<std::string> layers;
    std::vector<double> startX;
  };
  const std::vector<Case> cases = {
      {"all layers, LWPOLYLINEs", OutlineSource::kLwPolylines, {}, {0}},
      {"all layers, all entities", OutlineSource::kAllEntities, {}, {0, 1, 11}},
      {"one layer, any case", OutlineSource::kAllEntities, {"cUt"}, {0, 1}},
      {"a frozen layer chosen stays hidden",
       OutlineSource::kAllEntities,
       {"Frozen", "Drill"},
       {11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(text);
    OutlineOptions options;
    options.source = c.source;
    options.layers = c.layers;
    const Outlines o = OutlinesOf(dxf, options);
    std::vector<double> starts;
    for (std::size_t i = 0; i < o.contours.size(); ++i) starts.push_back(Contour(o, i).x[0]);
    EXPECT_EQ(starts, c.startX);
  }
  EXPECT_EQ(ParseLayerList(" Cut , ,Drill Holes,"),
            (std::vector<std::string>{"Cut", "Drill Holes"}));
}

TEST(OrderContours, ShortestTakesTheNearestEndAndTurnsOpenContoursRound) {
  // Contours as read: a far closed square, an open arc whose end is near the
  // origin, an open line beyond the arc.
  const std::string text = Drawing(Join(
      {LwSquare(100, 100, 5),
       {{0, "LWPOLYLINE"},
        {90, "2"},
        {70, "0"},
        {10, "20"},
        {20, "0"},
        {42, "0.5"},
        {10, "1"},
        {20, "0"}},
       {{0, "LWPOLYLINE"}, {90, "2"}, {70, "0"}, {10, "50"}, {20, "0"}, {10, "30"}, {20, "0"}}}));
  CDxf dxf;
  dxf.LoadText(text);
  OutlineOptions options;
  Outlines asRead = OutlinesOf(dxf, options);
  options.order = ContourOrder::kShortest;
  Outlines shortest = OutlinesOf(dxf, options);
  ASSERT_EQ(shortest.contours.size(), 3u);
  EXPECT_DOUBLE_EQ(Contour(asRead, 0).x[0], 100);
  // The arc turned round: from (1, 0) to (20, 0), its bulge negated.
  const CPolyLine& arc = Contour(shortest, 0);
  EXPECT_DOUBLE_EQ(arc.x[0], 1);
  EXPECT_DOUBLE_EQ(arc.x[1], 20);
  EXPECT_DOUBLE_EQ(arc.b[0], -0.5);
  EXPECT_NEAR(Area(arc), -Area(Contour(asRead, 1)), 1e-12);
  // From (20, 0) the line's start (30, 0) is nearer than its end; the closed
  // square keeps its start.
  EXPECT_DOUBLE_EQ(Contour(shortest, 1).x[0], 30);
  EXPECT_DOUBLE_EQ(Contour(shortest, 2).x[0], 100);
}

TEST(OrderContours, ContoursOnOnePointGoInTheirOrderBesideAFarOne) {
  // Thousands of closed contours starting on the origin (a block inserted over
  // and over on one place) and one far away, which makes the whole drawing one
  // cell of the search: the lowest contour is taken first among equals.
  DrawList contours;
  const int count = 3000;
  for (int i = 0; i <= count; ++i) {
    auto p = std::make_unique<CPolyLine>();
    const double x0 = i == count / 2 ? 1e69 : 0;
    p->x = {x0, x0 + i + 1, x0};
    p->y = {0, 0, 1};
    p->b = {0, 0, 0};
    p->m_VertexCount = 3;
    p->m_PolyLineFlag = kPolyLineClosed;
    contours.push_back(std::move(p));
  }
  OrderContours(contours, ContourOrder::kShortest);
  ASSERT_EQ(contours.size(), static_cast<std::size_t>(count + 1));
  for (int k = 0; k < count; ++k) {
    const int expected = k < count / 2 ? k : k + 1;
    ASSERT_DOUBLE_EQ(static_cast<const CPolyLine&>(*contours[k]).x[1], expected + 1) << k;
  }
  EXPECT_DOUBLE_EQ(static_cast<const CPolyLine&>(*contours[count]).x[0], 1e69);
}

TEST(OrderContours, EachNextContourStartsNearestToWhereTheLastEnded) {
  // Many contours, some open, some closed, some on one point: after ordering,
  // no contour left at any step had an end nearer than the one taken.
  DrawList contours;
  unsigned seed = 26;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) % 10000) / 10.0;
  };
  for (int i = 0; i < 400; ++i) {
    auto p = std::make_unique<CPolyLine>();
    const double x = i % 50 == 0 ? 500 : next();
    const double y = i % 50 == 0 ? 500 : next();
    p->x = {x, x + next() / 20, x + 3};
    p->y = {y, y + next() / 20, y - 1};
    p->b = {0, 0.3, 0};
    p->m_VertexCount = 3;
    p->m_PolyLineFlag = i % 3 == 0 ? kPolyLineClosed : 0;
    contours.push_back(std::move(p));
  }
  OrderContours(contours, ContourOrder::kShortest, 7, 7);
  ASSERT_EQ(contours.size(), 400u);
  double x = 7, y = 7;
  for (std::size_t k = 0; k < contours.size(); ++k) {
    const auto& taken = static_cast<const CPolyLine&>(*contours[k]);
    const double d = std::hypot(taken.x[0] - x, taken.y[0] - y);
    for (std::size_t j = k + 1; j < contours.size(); ++j) {
      const auto& other = static_cast<const CPolyLine&>(*contours[j]);
      EXPECT_LE(d, std::hypot(other.x.front() - x, other.y.front() - y) + 1e-12) << k;
      if (!other.IsClosed()) {
        EXPECT_LE(d, std::hypot(other.x.back() - x, other.y.back() - y) + 1e-12) << k;
      }
    }
    x = taken.IsClosed() ? taken.x[0] : taken.x.back();
    y = taken.IsClosed() ? taken.y[0] : taken.y.back();
  }
}

std::string Fixture(const std::string& name) {
  return std::string(KELVORA_TEST_DATA) + "/geometry/dxf/" + name;
}

TEST(ReadOutlines, DefaultsGiveTodaysListAndLwPolylineDrawingsTheSameWithAllEntities) {
  for (const char* file : {"square.dxf", "r2000_contours.dxf", "r2007_edge_cases.dxf", "crlf.dxf",
                           "many_vertices.dxf", "r12_entities.dxf"}) {
    SCOPED_TRACE(file);
    auto today = DxfObjGen(Fixture(file));
    ASSERT_TRUE(today.ok());
    auto outlines = ReadOutlines(Fixture(file), {});
    ASSERT_TRUE(outlines.ok());
    std::vector<const DrawList*> lists = {&outlines->contours};
    OutlineOptions all;
    all.source = OutlineSource::kAllEntities;
    auto everything = ReadOutlines(Fixture(file), all);
    ASSERT_TRUE(everything.ok());
    // With every entity the LWPOLYLINEs still come first, unchanged.
    ASSERT_GE(everything->contours.size(), today->size());
    for (std::size_t i = 0; i < today->size(); ++i) {
      const auto& want = static_cast<const CPolyLine&>(*(*today)[i]);
      for (const Outlines* o : {&*outlines, &*everything}) {
        const CPolyLine& got = Contour(*o, i);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.b, want.b);
        EXPECT_EQ(got.m_VertexCount, want.m_VertexCount);
        EXPECT_EQ(got.m_PolyLineFlag, want.m_PolyLineFlag);
      }
    }
    EXPECT_EQ(outlines->contours.size(), today->size());
    // A drawing of LWPOLYLINEs alone gives the same list either way.
    if (std::string(file) == "square.dxf") {
      EXPECT_EQ(everything->contours.size(), today->size());
    }
  }
}

TEST(ReadOutlines, NotesNameWhatTheDrawingHoldsAndWhatWasSkipped) {
  struct Case {
    const char* name;
    std::string text;
    OutlineSource source;
    std::vector<std::string> notes;
  };
  const G text = {{0, "TEXT"}, {8, "0"}, {1, "LINE"}};
  const G hatch = {{0, "HATCH"}, {8, "0"}};
  const std::vector<Case> cases = {
      {"nothing at all",
       Drawing(text),
       OutlineSource::kLwPolylines,
       {"The drawing holds no LWPOLYLINE", "Skipped: 1 TEXT"}},
      {"lines and arcs only",
       Drawing(Join({Line(0, 0, 1, 0), Line(1, 0, 1, 1), Arc(0, 0, 1, 0, 90), Circle(5, 5, 1), text,
                     hatch, text})),
       OutlineSource::kLwPolylines,
       {"The drawing holds no LWPOLYLINE: it holds 2 LINE, 1 ARC, 1 CIRCLE: choose all outline "
        "entities",
        "Skipped: 2 TEXT, 1 HATCH"}},
      {"all entities of the same",
       Drawing(Join({Line(0, 0, 1, 0), text})),
       OutlineSource::kAllEntities,
       {"Skipped: 1 TEXT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(c.text);
    OutlineOptions options;
    options.source = c.source;
    EXPECT_EQ(OutlinesOf(dxf, options).notes, c.notes);
  }
}

TEST(ReadOutlines, ADrawingOfEveryOutlineKindAndOneThatInsertsItself) {
  // Two open splines; a plate of lines and an arc with three hole circles from
  // a nested block, placed once stretched and turned, and as a 2 x 2 array
  // turned over; an old-style polyline; an ellipse; a line on a frozen layer.
  OutlineOptions all;
  all.source = OutlineSource::kAllEntities;
  auto o = ReadOutlines(Fixture("outline_entities.dxf"), all);
  ASSERT_TRUE(o.ok()) << o.failure().message;
  ASSERT_EQ(o->contours.size(), 24u);
  std::size_t open = 0;
  for (std::size_t i = 0; i < o->contours.size(); ++i) open += Contour(*o, i).IsClosed() ? 0 : 1;
  EXPECT_EQ(open, 2u);
  EXPECT_EQ(o->notes, (std::vector<std::string>{"Skipped: 1 TEXT, 1 3DFACE"}));

  auto lw = ReadOutlines(Fixture("outline_entities.dxf"), {});
  ASSERT_TRUE(lw.ok());
  EXPECT_TRUE(lw->contours.empty());
  EXPECT_EQ(lw->notes, (std::vector<std::string>{
                           "The drawing holds no LWPOLYLINE: it holds 1 POLYLINE, 1 ELLIPSE, 2 "
                           "SPLINE, 2 INSERT: choose all outline entities",
                           "Skipped: 1 TEXT, 1 3DFACE"}));

  auto self = ReadOutlines(Fixture("self_insert.dxf"), all);
  ASSERT_FALSE(self.ok());
  EXPECT_EQ(self.failure().message, "The block \"A\" inserts itself");
  // The default reads LWPOLYLINEs only and never places a block.
  EXPECT_TRUE(ReadOutlines(Fixture("self_insert.dxf"), {}).ok());
}

}  // namespace
}  // namespace kelvora::geometry
