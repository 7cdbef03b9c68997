// Offsets of one contour, checked by sampling the returned paths against the
// contour: no point nearer than the distance (no gouge), every point at the
// distance (the path follows the contour), the direction kept, arcs kept as
// arcs, and the areas of shapes whose offsets are known in closed form.
#include "generators/contour_offset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "offset_shapes.h"

namespace kelvora::generators {
namespace {

using namespace testing;  // NOLINT: the shapes
constexpr double kPi = std::numbers::pi;
constexpr double kTol = 0.001;

// One piece of a path for sampling, worked out from the bulge here rather than
// with the code under test: the arc's centre from the chord and the sagitta.
struct Piece {
  double ax, ay, bx, by, bulge;
};

std::vector<Piece> PiecesOf(const toolpath::Path& p) {
  std::vector<Piece> out;
  const std::size_t n = p.v.size();
  const std::size_t count = p.closed ? n : (n == 0 ? 0 : n - 1);
  for (std::size_t i = 0; i < count; ++i) {
    const toolpath::Vertex& a = p.v[i];
    const toolpath::Vertex& b = p.v[(i + 1) % n];
    if (a.x == b.x && a.y == b.y) continue;
    out.push_back({a.x, a.y, b.x, b.y, a.bulge});
  }
  return out;
}

struct Arc {
  double cx, cy, r, start, sweep;
};

Arc ArcOf(const Piece& s) {
  const double theta = 4 * std::atan(s.bulge);
  const double chord = std::hypot(s.bx - s.ax, s.by - s.ay);
  const double r = chord / (2 * std::sin(std::abs(theta) / 2));
  // The sagitta runs from the chord's middle to the arc's middle, to the right
  // of the chord for a counter-clockwise arc.
  const double sag = s.bulge * chord / 2;
  const double mx = (s.ax + s.bx) / 2 + sag * (s.by - s.ay) / chord;
  const double my = (s.ay + s.by) / 2 - sag * (s.bx - s.ax) / chord;
  // The centre lies r from the arc's middle, back across the chord.
  const double ux = ((s.ax + s.bx) / 2 - mx);
  const double uy = ((s.ay + s.by) / 2 - my);
  const double ul = std::hypot(ux, uy);
  const double cx = mx + ux / ul * r;
  const double cy = my + uy / ul * r;
  return {cx, cy, r, std::atan2(s.ay - cy, s.ax - cx), theta};
}

std::vector<std::array<double, 2>> Sample(const toolpath::Path& p, double step) {
  std::vector<std::array<double, 2>> pts;
  for (const Piece& s : PiecesOf(p)) {
    if (std::abs(s.bulge) < 1e-12) {
      const double len = std::hypot(s.bx - s.ax, s.by - s.ay);
      const int k = std::max(2, static_cast<int>(len / step));
      for (int i = 0; i <= k; ++i) {
        const double t = static_cast<double>(i) / k;
        pts.push_back({s.ax + (s.bx - s.ax) * t, s.ay + (s.by - s.ay) * t});
      }
    } else {
      const Arc a = ArcOf(s);
      const int k = std::max(4, static_cast<int>(a.r * std::abs(a.sweep) / step));
      for (int i = 0; i <= k; ++i) {
        const double ang = a.start + a.sweep * i / k;
        pts.push_back({a.cx + a.r * std::cos(ang), a.cy + a.r * std::sin(ang)});
      }
    }
  }
  return pts;
}

double DistToPiece(const Piece& s, double x, double y) {
  if (std::abs(s.bulge) < 1e-12) {
    const double dx = s.bx - s.ax, dy = s.by - s.ay;
    const double t =
        std::clamp(((x - s.ax) * dx + (y - s.ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - s.ax - dx * t, y - s.ay - dy * t);
  }
  const Arc a = ArcOf(s);
  double rel = std::atan2(y - a.cy, x - a.cx) - a.start;
  if (a.sweep < 0) rel = -rel;
  rel = std::fmod(rel, 2 * kPi);
  if (rel < 0) rel += 2 * kPi;
  if (rel <= std::abs(a.sweep)) return std::abs(std::hypot(x - a.cx, y - a.cy) - a.r);
  return std::min(std::hypot(x - s.ax, y - s.ay), std::hypot(x - s.bx, y - s.by));
}

double DistToContour(const toolpath::Path& c, double x, double y) {
  double best = std::numeric_limits<double>::infinity();
  for (const Piece& s : PiecesOf(c)) best = std::min(best, DistToPiece(s, x, y));
  return best;
}

// Every sampled point of every path is at the distance from the contour.
void ExpectAtDistance(const toolpath::Path& contour, const OffsetResult& r, double d,
                      const std::string& what) {
  for (std::size_t k = 0; k < r.paths.size(); ++k) {
    double nearest = std::numeric_limits<double>::infinity();
    double farthest = 0;
    for (const auto& p : Sample(r.paths[k], 0.05)) {
      const double dist = DistToContour(contour, p[0], p[1]);
      nearest = std::min(nearest, dist);
      farthest = std::max(farthest, dist);
    }
    EXPECT_GE(nearest, std::abs(d) - kTol) << what << " path " << k << ": gouges";
    EXPECT_LE(farthest, std::abs(d) + kTol) << what << " path " << k << ": leaves the contour";
  }
}

int ArcCount(const toolpath::Path& p) {
  int arcs = 0;
  for (const Piece& s : PiecesOf(p)) arcs += std::abs(s.bulge) > 1e-9 ? 1 : 0;
  return arcs;
}

TEST(ContourOffset, ClosedShapesLieAtTheDistance) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    std::string name;
    toolpath::Path contour;
    double d;
    std::size_t paths;
    double area;   // expected total |area|, NaN where not worked out
    int vertices;  // of the first path, -1 where not checked
    bool leftOut;
  };
  const double sq = 100 + 4 * 10 * 2 + kPi * 4;
  // The major arc moved in by 2.5: a circle of radius 3 sqrt(2) - 2.5 about
  // (3, 0) less its part left of x = 2.5.
  const double ra = 3 * std::sqrt(2.0) - 2.5;
  const double major =
      kPi * ra * ra - (ra * ra * std::acos(0.5 / ra) - 0.5 * std::sqrt(ra * ra - 0.25));
  const std::vector<Case> cases = {
      {"square inside", Rectangle(10, 10), 2, 1, 36, 4, false},
      {"square outside", Rectangle(10, 10), -2, 1, sq, 8, false},
      {"square cw outside", Reversed(Rectangle(10, 10)), 2, 1, sq, 8, false},
      {"square cw inside", Reversed(Rectangle(10, 10)), -2, 1, 36, 4, false},
      {"rectangle inside", Rectangle(20, 6), 2.5, 1, 15, 4, false},
      {"rectangle too narrow", Rectangle(20, 6), 3.5, 0, 0, -1, true},
      {"slot outside", Slot(20, 5), -1, 1, 20 * 12 + kPi * 36, 4, false},
      {"slot inside", Slot(20, 5), 2, 1, 20 * 6 + kPi * 9, 4, false},
      {"slot narrower than tool", Slot(20, 5), 6, 0, 0, -1, true},
      {"circle outside", Circle(3, 4, 5), -1, 1, kPi * 36, 2, false},
      {"circle inside", Circle(3, 4, 5), 2, 1, kPi * 9, 2, false},
      {"circle smaller than tool", Circle(3, 4, 5), 5.5, 0, 0, -1, true},
      {"circle cw outside", Reversed(Circle(0, 0, 5)), 1, 1, kPi * 36, 2, false},
      {"l-shape inside", LShape(), 2, 1, 160 - kPi, 7, false},
      {"l-shape outside", LShape(), -2, 1, nan, 11, false},
      {"star inside", Star(5, 10, 4), 1, 1, nan, -1, false},
      {"star outside", Star(5, 10, 4), -1, 1, nan, -1, false},
      {"star tips cut off", Star(5, 10, 4), 2.5, 1, nan, -1, true},
      {"dumbbell splits at its waist", Dumbbell(), 1.5, 2, nan, -1, true},
      {"dumbbell outside", Dumbbell(), -1.5, 1, nan, -1, false},
      {"rounded corners tighter than tool", RoundedRectangle(20, 12, 2), 3, 1, 14 * 6, 4, true},
      {"major arc inside", MajorArc(), 2.5, 1, major, 2, false},
      {"major arc outside", MajorArc(), -1, 1, nan, 4, false},
      {"rounded corners outside", RoundedRectangle(20, 12, 2), -3, 1, nan, 8, false},
  };
  for (const Case& c : cases) {
    const OffsetResult r = OffsetContour(c.contour, c.d);
    ASSERT_EQ(r.paths.size(), c.paths) << c.name;
    EXPECT_EQ(r.partsLeftOut, c.leftOut) << c.name;
    ExpectAtDistance(c.contour, r, c.d, c.name);
    double total = 0;
    for (const toolpath::Path& p : r.paths) {
      EXPECT_TRUE(p.closed) << c.name;
      // The path runs the contour's way round.
      EXPECT_GT(SignedArea(p) * SignedArea(c.contour), 0) << c.name;
      total += std::abs(SignedArea(p));
    }
    if (!std::isnan(c.area)) {
      EXPECT_NEAR(total, c.area, 1e-6) << c.name;
    }
    if (c.vertices >= 0 && !r.paths.empty()) {
      EXPECT_EQ(r.paths[0].v.size(), static_cast<std::size_t>(c.vertices)) << c.name;
    }
  }
}

TEST(ContourOffset, ArcsStayArcs) {
  // A circle's offset is its two halves moved, not a chain of chords; a slot
  // keeps its two ends; a square's outside corners are single arcs.
  struct Case {
    std::string name;
    toolpath::Path contour;
    double d;
    int arcs;
    double radius;  // of every arc
  };
  const std::vector<Case> cases = {
      {"circle out", Circle(0, 0, 5), -1, 2, 6},
      {"circle in", Circle(0, 0, 5), 2, 2, 3},
      {"slot out", Slot(20, 5), -1, 2, 6},
      {"square corners", Rectangle(10, 10), -2, 4, 2},
  };
  for (const Case& c : cases) {
    const OffsetResult r = OffsetContour(c.contour, c.d);
    ASSERT_EQ(r.paths.size(), 1u) << c.name;
    EXPECT_EQ(ArcCount(r.paths[0]), c.arcs) << c.name;
    for (const Piece& s : PiecesOf(r.paths[0])) {
      if (std::abs(s.bulge) > 1e-9) {
        EXPECT_NEAR(ArcOf(s).r, c.radius, 1e-9) << c.name;
      }
    }
  }
}

TEST(ContourOffset, OpenContoursHaveNoCaps) {
  struct Case {
    std::string name;
    toolpath::Path contour;
    double d;
    std::size_t paths;
    bool leftOut;
  };
  const std::vector<Case> cases = {
      {"line left", Open({{0, 0, 0}, {10, 0, 0}}), 1, 1, false},
      {"line right", Open({{0, 0, 0}, {10, 0, 0}}), -1, 1, false},
      {"ccw arc outward", Open({{0, 0, 0.5}, {10, 0, 0}}), -1, 1, false},
      {"ccw arc inward", Open({{0, 0, 0.5}, {10, 0, 0}}), 1, 1, false},
      {"cw arc outward", Open({{0, 0, -0.5}, {10, 0, 0}}), 1, 1, false},
      {"cw arc inward", Open({{0, 0, -0.5}, {10, 0, 0}}), -1, 1, false},
      {"half circle collapses", Open({{0, 0, 1}, {10, 0, 0}}), 6, 0, true},
      {"zigzag above", Zigzag(), 1, 1, false},
      {"zigzag below", Zigzag(), -1, 1, false},
      {"zigzag deep", Zigzag(), 8, 1, true},
      {"u narrower than tool", Open({{0, 10, 0}, {0, 0, 0}, {2, 0, 0}, {2, 10, 0}}), 1.5, 0, true},
      {"u outside", Open({{0, 10, 0}, {0, 0, 0}, {2, 0, 0}, {2, 10, 0}}), -1.5, 1, false},
      {"turning back", Open({{0, 0, 0}, {10, 0, 0}, {0, 0.0, 0}}), 1, 1, false},
  };
  for (const Case& c : cases) {
    const OffsetResult r = OffsetContour(c.contour, c.d);
    ASSERT_EQ(r.paths.size(), c.paths) << c.name;
    EXPECT_EQ(r.partsLeftOut, c.leftOut) << c.name;
    ExpectAtDistance(c.contour, r, c.d, c.name);
    if (c.leftOut || r.paths.empty()) continue;
    // Whole: from the first vertex moved to the last vertex moved, as long as
    // the contour (lines) or longer/shorter by the turned angle (corner arcs).
    const toolpath::Path& p = r.paths[0];
    EXPECT_FALSE(p.closed) << c.name;
    const Piece first = PiecesOf(c.contour).front();
    const double len = std::hypot(first.bx - first.ax, first.by - first.ay);
    double tx = (first.bx - first.ax) / len, ty = (first.by - first.ay) / len;
    if (std::abs(first.bulge) > 1e-12) {
      // The start tangent of an arc turns from the chord by half the sweep.
      const double half = -2 * std::atan(first.bulge);
      const double c0 = std::cos(half), s0 = std::sin(half);
      const double rx = tx * c0 - ty * s0, ry = tx * s0 + ty * c0;
      tx = rx;
      ty = ry;
    }
    EXPECT_NEAR(p.v.front().x, first.ax - ty * c.d, 1e-9) << c.name;
    EXPECT_NEAR(p.v.front().y, first.ay + tx * c.d, 1e-9) << c.name;
  }
}

TEST(ContourOffset, OpenArcKeepsItsCentre) {
  // A half circle about (5, 0) of radius 5, moved both ways, in both directions.
  struct Case {
    toolpath::Path contour;
    double d;
    double radius;
  };
  const std::vector<Case> cases = {
      {Open({{0, 0, 1}, {10, 0, 0}}), 1, 4},
      {Open({{0, 0, 1}, {10, 0, 0}}), -1, 6},
      {Open({{10, 0, -1}, {0, 0, 0}}), 1, 6},
      {Open({{10, 0, -1}, {0, 0, 0}}), -1, 4},
  };
  for (const Case& c : cases) {
    const OffsetResult r = OffsetContour(c.contour, c.d);
    ASSERT_EQ(r.paths.size(), 1u);
    ASSERT_EQ(r.paths[0].v.size(), 2u);
    const Arc a = ArcOf(PiecesOf(r.paths[0]).front());
    EXPECT_NEAR(a.cx, 5, 1e-9);
    EXPECT_NEAR(a.cy, 0, 1e-9);
    EXPECT_NEAR(a.r, c.radius, 1e-9);
    EXPECT_NEAR(PathLength(r.paths[0]), kPi * c.radius, 1e-9);
  }
}

TEST(ContourOffset, DegenerateInput) {
  const OffsetResult plain = OffsetContour(Rectangle(10, 10), -2);
  const toolpath::Path repeated =
      Closed({{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 0}});
  const OffsetResult r = OffsetContour(repeated, -2);
  ASSERT_EQ(r.paths.size(), 1u);
  EXPECT_EQ(r.paths[0].v.size(), plain.paths[0].v.size());
  EXPECT_NEAR(SignedArea(r.paths[0]), SignedArea(plain.paths[0]), 1e-9);

  for (const toolpath::Path& tiny :
       {Closed({}), Closed({{1, 1, 0}}), Closed({{1, 1, 0.5}, {1, 1, 0}}),
        Open({{2, 2, 0}, {2, 2, 0}, {2, 2, 0}})}) {
    EXPECT_TRUE(OffsetContour(tiny, 1).paths.empty());
  }
  for (const double d :
       {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    const OffsetResult none = OffsetContour(Rectangle(10, 10), d);
    EXPECT_TRUE(none.paths.empty());
    EXPECT_TRUE(none.partsLeftOut);
  }
  // A closed contour that runs out and back along one line encloses nothing:
  // its offset runs round the line at the distance.
  const toolpath::Path there = Closed({{0, 0, 0}, {10, 0, 0}});
  const OffsetResult round = OffsetContour(there, 1);
  ASSERT_EQ(round.paths.size(), 1u);
  ExpectAtDistance(there, round, 1, "out and back");
  EXPECT_NEAR(std::abs(SignedArea(round.paths[0])), 20 + kPi, 1e-9);
}

TEST(ContourOffset, AreaAndLength) {
  struct Case {
    std::string name;
    toolpath::Path path;
    double area, length;
  };
  const std::vector<Case> cases = {
      {"square", Rectangle(10, 10), 100, 40},
      {"square cw", Reversed(Rectangle(10, 10)), -100, 40},
      {"circle", Circle(1, 2, 5), kPi * 25, 2 * kPi * 5},
      {"circle cw", Reversed(Circle(1, 2, 5)), -kPi * 25, 2 * kPi * 5},
      {"slot", Slot(20, 5), 200 + kPi * 25, 40 + 2 * kPi * 5},
      {"open l", Open({{0, 0, 0}, {3, 0, 0}, {3, 4, 0}}), 6, 7},
      {"open half circle", Open({{0, 0, 1}, {10, 0, 0}}), kPi * 12.5, kPi * 5},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(SignedArea(c.path), c.area, 1e-9) << c.name;
    EXPECT_NEAR(PathLength(c.path), c.length, 1e-9) << c.name;
  }
}

TEST(ContourOffset, ContoursThatCrossThemselves) {
  // A bow-tie and a figure of eight of two circles: the left of the direction
  // is inside one loop and outside the other; the offset must stay clear of
  // both loops all the same.
  const toolpath::Path bowtie = Closed({{0, 0, 0}, {10, 10, 0}, {10, 0, 0}, {0, 10, 0}});
  const toolpath::Path eight = Closed({{0, 0, 1}, {10, 0, 1}, {0, 0, -1}, {-10, 0, -1}});
  for (const toolpath::Path& c : {bowtie, eight}) {
    for (const double d : {1.0, -1.0, 0.3}) {
      const OffsetResult r = OffsetContour(c, d);
      EXPECT_FALSE(r.paths.empty()) << d;
      ExpectAtDistance(c, r, d, "crossing d " + std::to_string(d));
      // Where the offset breaks into open runs, the caller is told.
      for (const toolpath::Path& p : r.paths) {
        if (!p.closed) {
          EXPECT_TRUE(r.partsLeftOut) << d;
        }
      }
    }
  }
}

TEST(ContourOffset, RandomShapesNeverGouge) {
  // Star-shaped contours of random radii and bulges, closed and open, both
  // directions, random distances: every path stays at the distance.
  std::mt19937 rng(26);
  std::uniform_real_distribution<double> radius(3, 12), bulge(-0.6, 0.6), dist(-4, 4);
  for (int shape = 0; shape < 200; ++shape) {
    toolpath::Path c;
    c.closed = shape % 3 != 0;
    const int n = 5 + shape % 17;
    for (int k = 0; k < n; ++k) {
      const double a = 2 * kPi * k / n;
      const double r = radius(rng);
      c.v.push_back({r * std::cos(a), r * std::sin(a), shape % 2 == 0 ? bulge(rng) : 0.0});
    }
    if (shape % 4 == 1) c = Reversed(c);
    const double d = dist(rng);
    const std::string what = "shape " + std::to_string(shape) + " d " + std::to_string(d);
    const OffsetResult r = OffsetContour(c, d);
    ExpectAtDistance(c, r, d, what);
    for (const toolpath::Path& p : r.paths) {
      EXPECT_GE(p.v.size(), p.closed ? 1u : 2u) << what;
    }
  }
}

TEST(ContourOffset, ManyShortPieces) {
  // Rings of 20000 short pieces, smooth and wavy (waves finer than the tool:
  // bridged outside, cut off inside), offset both ways: one path between the
  // circles the waves' crests and troughs move to, however the pieces cross.
  for (const double wave : {0.0, 0.5}) {
    toolpath::Path ring;
    ring.closed = true;
    const int n = 20000;
    for (int k = 0; k < n; ++k) {
      const double a = 2 * kPi * k / n;
      const double r = 500 + wave * std::sin(2000 * a);
      ring.v.push_back({r * std::cos(a), r * std::sin(a), 0});
    }
    for (const double d : {3.0, -3.0}) {
      const OffsetResult r = OffsetContour(ring, d);
      ASSERT_EQ(r.paths.size(), 1u) << wave << " " << d;
      const double area = std::abs(SignedArea(r.paths[0]));
      const double lo = kPi * std::pow(500 - std::abs(d) - wave - 1e-3, 2);
      const double hi = kPi * std::pow(500 + std::abs(d) + wave + 1e-3, 2);
      if (d > 0) {
        EXPECT_GT(area, lo) << wave;
        EXPECT_LT(area, kPi * std::pow(500 - d + wave + 1e-3, 2)) << wave;
      } else {
        EXPECT_LT(area, hi) << wave;
        EXPECT_GT(area, kPi * std::pow(500 - d - wave - 1e-3, 2)) << wave;
      }
      EXPECT_EQ(r.partsLeftOut, wave > 0) << wave << " " << d;
    }
  }
}

}  // namespace
}  // namespace kelvora::generators
