// Pockets inside closed contours: every reachable point of the area cut, no
// move into a wall or island, rings ordered inside out with the boundary last,
// and the contours that cannot be cleared named.
#include "generators/contour_pocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace kelvora::generators {
namespace {

constexpr double kPi = std::numbers::pi;

toolpath::Path Rect(double x0, double y0, double w, double h) {
  return {{{x0, y0, 0}, {x0 + w, y0, 0}, {x0 + w, y0 + h, 0}, {x0, y0 + h, 0}}, true};
}

// Two half circles, counter-clockwise; clockwise when `reversed`.
toolpath::Path Circle(double cx, double cy, double r, bool reversed = false) {
  const double b = reversed ? -1 : 1;
  return {{{cx - r, cy, b}, {cx + r, cy, b}}, true};
}

toolpath::Path Reversed(toolpath::Path p) {
  // The bulge leaving each vertex becomes, negated, the bulge leaving the
  // vertex after it.
  toolpath::Path out;
  out.closed = p.closed;
  const std::size_t n = p.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = p.v[n - 1 - i];
    const toolpath::Vertex& before = p.v[(2 * n - 2 - i) % n];
    out.v.push_back({a.x, a.y, -before.bulge});
  }
  return out;
}

struct Pt {
  double x;
  double y;
};

double SegmentDistance(Pt p, Pt a, Pt b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// A contour's pieces, exactly: segments and circular arcs.
struct Piece {
  Pt a;
  Pt b;
  bool arc = false;
  Pt c{};
  double radius = 0;
  double start = 0;
  double sweep = 0;
};

std::vector<Piece> PiecesOf(const toolpath::Path& path) {
  std::vector<Piece> out;
  const std::size_t n = path.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    Piece piece{{a.x, a.y}, {b.x, b.y}};
    if (a.bulge != 0) {
      // Radius from the chord and the included angle; the centre at the
      // radius from both ends, on the side the arc turns to.
      const double sweep = 4 * std::atan(a.bulge);
      const double chord = std::hypot(b.x - a.x, b.y - a.y);
      const double radius = chord / (2 * std::sin(std::abs(sweep) / 2));
      const double h = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
      const double side = (std::abs(sweep) < kPi) == (sweep > 0) ? 1 : -1;
      const double ux = (b.x - a.x) / chord;
      const double uy = (b.y - a.y) / chord;
      piece.arc = true;
      piece.c = {(a.x + b.x) / 2 - side * h * uy, (a.y + b.y) / 2 + side * h * ux};
      piece.radius = radius;
      piece.start = std::atan2(a.y - piece.c.y, a.x - piece.c.x);
      piece.sweep = sweep;
    }
    out.push_back(piece);
  }
  return out;
}

double PieceDistance(Pt p, const Piece& piece) {
  if (!piece.arc) return SegmentDistance(p, piece.a, piece.b);
  const double angle = std::atan2(p.y - piece.c.y, p.x - piece.c.x);
  double along = piece.sweep > 0 ? angle - piece.start : piece.start - angle;
  along = std::fmod(std::fmod(along, 2 * kPi) + 2 * kPi, 2 * kPi);
  if (along <= std::abs(piece.sweep)) {
    return std::abs(std::hypot(p.x - piece.c.x, p.y - piece.c.y) - piece.radius);
  }
  return std::min(std::hypot(p.x - piece.a.x, p.y - piece.a.y),
                  std::hypot(p.x - piece.b.x, p.y - piece.b.y));
}

// Dense points along a contour, for inside tests.
std::vector<Pt> Dense(const std::vector<Piece>& pieces) {
  std::vector<Pt> out;
  for (const Piece& p : pieces) {
    if (!p.arc) {
      out.push_back(p.a);
      continue;
    }
    const int n = 720;
    for (int k = 0; k < n; ++k) {
      const double t = p.start + p.sweep * k / n;
      out.push_back({p.c.x + p.radius * std::cos(t), p.c.y + p.radius * std::sin(t)});
    }
  }
  return out;
}

bool InsidePolygon(Pt p, const std::vector<Pt>& poly) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[i];
    const Pt& b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
      in = !in;
    }
  }
  return in;
}

// One pocket's area as the test sees it: inside `outer`, outside `islands`.
struct Area {
  std::vector<std::vector<Piece>> walls;  // the outer contour first
  std::vector<std::vector<Pt>> dense;

  Area(const std::vector<toolpath::Path>& contours, std::size_t outer,
       const std::vector<std::size_t>& islands) {
    walls.push_back(PiecesOf(contours[outer]));
    for (std::size_t i : islands) walls.push_back(PiecesOf(contours[i]));
    for (const auto& w : walls) dense.push_back(Dense(w));
  }

  double WallDistance(Pt p) const {
    double d = std::numeric_limits<double>::infinity();
    for (const auto& w : walls) {
      for (const Piece& piece : w) d = std::min(d, PieceDistance(p, piece));
    }
    return d;
  }

  bool Contains(Pt p) const {
    if (!InsidePolygon(p, dense[0])) return false;
    for (std::size_t i = 1; i < dense.size(); ++i) {
      if (InsidePolygon(p, dense[i])) return false;
    }
    return true;
  }
};

struct Segment {
  Pt a;
  Pt b;
};

std::vector<Segment> SegmentsOf(const PocketPlan& plan, std::size_t contour) {
  std::vector<Segment> out;
  for (const PocketPath& p : plan.pockets) {
    if (p.contour != contour) continue;
    for (std::size_t i = 0; i + 1 < p.path.v.size(); ++i) {
      out.push_back({{p.path.v[i].x, p.path.v[i].y}, {p.path.v[i + 1].x, p.path.v[i + 1].y}});
    }
  }
  return out;
}

// Every cutting move keeps the tool inside the area, at the tool radius from
// every wall and island at the least. (A move that keeps its distance from
// every wall cannot cross one: one point of it inside is enough.)
void ExpectNoGouge(const Area& area, const std::vector<Segment>& segments, double radius,
                   const std::string& name) {
  int reported = 0;
  for (const Segment& s : segments) {
    if (reported >= 5) return;
    if (!area.Contains(s.a)) {
      ADD_FAILURE() << name << ": the tool at (" << s.a.x << ", " << s.a.y << ") is outside";
      ++reported;
    }
    const double length = std::hypot(s.b.x - s.a.x, s.b.y - s.a.y);
    const int n = std::max(1, static_cast<int>(std::ceil(length / 0.05)));
    for (int k = 0; k <= n && reported < 5; ++k) {
      const Pt p{s.a.x + (s.b.x - s.a.x) * k / n, s.a.y + (s.b.y - s.a.y) * k / n};
      const double d = area.WallDistance(p);
      if (d < radius - 0.001) {
        ADD_FAILURE() << name << ": the tool at (" << p.x << ", " << p.y << ") is " << d
                      << " from a wall";
        ++reported;
      }
    }
  }
}

// The cutting moves sorted into square cells, to find those near a point.
class SegmentGrid {
 public:
  SegmentGrid(const std::vector<Segment>& segments, double cell) : cell_(cell) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
      const Segment& s = segments[i];
      const long x0 = Cell(std::min(s.a.x, s.b.x));
      const long x1 = Cell(std::max(s.a.x, s.b.x));
      const long y0 = Cell(std::min(s.a.y, s.b.y));
      const long y1 = Cell(std::max(s.a.y, s.b.y));
      for (long x = x0; x <= x1; ++x) {
        for (long y = y0; y <= y1; ++y) cells_[{x, y}].push_back(&s);
      }
    }
  }

  // The distance from `q` to the nearest move, where that is within a cell.
  double Nearest(Pt q) const {
    double d = std::numeric_limits<double>::infinity();
    const long cx = Cell(q.x);
    const long cy = Cell(q.y);
    for (long x = cx - 1; x <= cx + 1; ++x) {
      for (long y = cy - 1; y <= cy + 1; ++y) {
        const auto it = cells_.find({x, y});
        if (it == cells_.end()) continue;
        for (const Segment* s : it->second) d = std::min(d, SegmentDistance(q, s->a, s->b));
      }
    }
    return d;
  }

 private:
  long Cell(double v) const { return static_cast<long>(std::floor(v / cell_)); }

  double cell_;
  std::map<std::pair<long, long>, std::vector<const Segment*>> cells_;
};

// Every point of the area the tool can reach (within the tool radius of a
// centre that stays the tool radius from every wall) is within the tool
// radius, plus the chord tolerance, of some cutting move.
void ExpectCovered(const Area& area, const std::vector<Segment>& segments, double radius,
                   double tol, const std::string& name) {
  const double h = 0.25;
  const double allowed = radius + tol + 0.001;
  const SegmentGrid near(segments, allowed);
  double x0 = std::numeric_limits<double>::infinity();
  double y0 = x0;
  double x1 = -x0;
  double y1 = -x0;
  for (const Pt& p : area.dense[0]) {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  const int nx = static_cast<int>((x1 - x0) / h) + 1;
  const int ny = static_cast<int>((y1 - y0) / h) + 1;
  std::vector<char> inside(static_cast<std::size_t>(nx * ny), 0);
  // Centres on the grid the tool may stand on, with a margin for the grid.
  std::vector<char> centre(static_cast<std::size_t>(nx * ny), 0);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const Pt c{x0 + i * h, y0 + j * h};
      const std::size_t k = static_cast<std::size_t>(i * ny + j);
      inside[k] = area.Contains(c);
      centre[k] = inside[k] && area.WallDistance(c) >= radius + 0.01;
    }
  }
  const int reach = static_cast<int>(radius / h);
  int reported = 0;
  int checked = 0;
  for (int i = 0; i < nx && reported < 5; ++i) {
    for (int j = 0; j < ny && reported < 5; ++j) {
      if (!inside[static_cast<std::size_t>(i * ny + j)]) continue;
      bool reachable = false;
      for (int di = -reach; di <= reach && !reachable; ++di) {
        for (int dj = -reach; dj <= reach && !reachable; ++dj) {
          const int ci = i + di;
          const int cj = j + dj;
          if (ci < 0 || cj < 0 || ci >= nx || cj >= ny) continue;
          reachable = centre[static_cast<std::size_t>(ci * ny + cj)] &&
                      std::hypot(di * h, dj * h) <= radius;
        }
      }
      if (!reachable) continue;
      ++checked;
      const Pt q{x0 + i * h, y0 + j * h};
      const double d = near.Nearest(q);
      if (d > allowed) {
        ADD_FAILURE() << name << ": (" << q.x << ", " << q.y << ") is " << d
                      << " from the nearest cutting move";
        ++reported;
      }
    }
  }
  EXPECT_GT(checked, 0) << name << ": no point of the area was checked";
}

double LoopArea(const std::vector<toolpath::Vertex>& v, std::size_t from, std::size_t to) {
  double twice = 0;
  for (std::size_t i = from; i < to; ++i) twice += v[i].x * v[i + 1].y - v[i + 1].x * v[i].y;
  return twice / 2;
}

struct PocketCase {
  const char* name;
  std::vector<toolpath::Path> contours;
  double radius;
  double stepover;
  // Each pocket: its contour and the islands in it.
  std::vector<std::pair<std::size_t, std::vector<std::size_t>>> pockets;
};

// An L: a 40 x 40 square without its upper right 25 x 25.
toolpath::Path LShape() {
  return {{{0, 0, 0}, {40, 0, 0}, {40, 15, 0}, {15, 15, 0}, {15, 40, 0}, {0, 40, 0}}, true};
}

const std::vector<PocketCase>& PocketCases() {
  static const std::vector<PocketCase> cases = {
      {"square", {Rect(0, 0, 30, 30)}, 3, 2.4, {{0, {}}}},
      {"square at a full step-over", {Rect(0, 0, 30, 30)}, 3, 6, {{0, {}}}},
      {"square at a small step-over", {Rect(0, 0, 20, 20)}, 3, 0.6, {{0, {}}}},
      {"circle", {Circle(15, 15, 13)}, 3, 2.4, {{0, {}}}},
      // The innermost ring at 4 from the centre leaves a middle of radius 1.
      {"circle at a full step-over", {Circle(15, 15, 13)}, 3, 6, {{0, {}}}},
      {"square with a round island", {Rect(0, 0, 40, 40), Circle(20, 20, 6)}, 3, 2.4, {{0, {1}}}},
      {"square with two islands, one drawn clockwise",
       {Rect(0, 0, 50, 30), Circle(14, 15, 5, true), Reversed(Rect(30, 8, 10, 14))},
       2.5,
       2,
       {{0, {1, 2}}}},
      {"L-shape", {LShape()}, 3, 2.4, {{0, {}}}},
      {"L-shape at a full step-over", {LShape()}, 3, 6, {{0, {}}}},
      {"contour in an island, its own pocket",
       {Rect(0, 0, 60, 60), Rect(15, 15, 30, 30), Circle(30, 30, 8)},
       2,
       1.6,
       {{0, {1}}, {2, {}}}},
  };
  return cases;
}

TEST(PlanPockets, CoversTheAreaWithoutGouging) {
  const double tol = 0.01;
  for (const PocketCase& c : PocketCases()) {
    const PocketPlan plan = PlanPockets(c.contours, c.radius, c.stepover, tol);
    ASSERT_FALSE(plan.failure) << c.name << ": " << plan.failure->message;
    EXPECT_TRUE(plan.notes.empty()) << c.name << ": " << plan.notes.front();
    for (const auto& [outer, islands] : c.pockets) {
      const Area area(c.contours, outer, islands);
      const std::vector<Segment> segments = SegmentsOf(plan, outer);
      ASSERT_FALSE(segments.empty()) << c.name << ": no path for contour " << outer + 1;
      ExpectNoGouge(area, segments, c.radius, c.name);
      ExpectCovered(area, segments, c.radius, tol, c.name);
    }
    // Nothing cut for a contour that bounds no pocket (an island).
    for (const PocketPath& p : plan.pockets) {
      const bool bounds = std::any_of(c.pockets.begin(), c.pockets.end(),
                                      [&](const auto& k) { return k.first == p.contour; });
      EXPECT_TRUE(bounds) << c.name << ": a path for contour " << p.contour + 1;
    }
  }
}

// A path is loops written out in full: each ring returns to its first vertex
// before the straight link to the next; the last loop is the boundary ring,
// at the tool radius from the wall all round, running counter-clockwise for
// climb milling (the wall on the tool's right) and clockwise otherwise; each ring's start is near
// the end of the one before.
TEST(PlanPockets, RingsInsideOutWithTheBoundaryLast) {
  const std::vector<toolpath::Path> square{Rect(0, 0, 30, 20)};
  for (const bool climb : {true, false}) {
    const PocketPlan plan = PlanPockets(square, 3, 2.4, 0.01, climb);
    ASSERT_EQ(plan.pockets.size(), 1u);
    const std::vector<toolpath::Vertex>& v = plan.pockets[0].path.v;
    ASSERT_GE(v.size(), 2u);
    EXPECT_FALSE(plan.pockets[0].path.closed);
    // The loops: from each vertex to where the path comes back to it.
    std::vector<std::pair<std::size_t, std::size_t>> loops;
    for (std::size_t i = 0; i < v.size();) {
      std::size_t j = i + 1;
      while (j < v.size() && !(v[j].x == v[i].x && v[j].y == v[i].y)) ++j;
      ASSERT_LT(j, v.size()) << "the ring from vertex " << i << " does not close";
      loops.push_back({i, j});
      i = j + 1;
    }
    // The ring levels of a 30 x 20 square at 3 and 2.4: 3, 5.4, 7.8 from the
    // wall (10.2 is past the middle).
    ASSERT_EQ(loops.size(), 3u) << (climb ? "climb" : "conventional");
    const auto [from, to] = loops.back();
    for (std::size_t i = from; i <= to; ++i) {
      const double d = std::min({v[i].x, 30 - v[i].x, v[i].y, 20 - v[i].y});
      EXPECT_NEAR(d, 3, 1e-6) << "boundary ring vertex " << i;
    }
    EXPECT_NEAR(std::abs(LoopArea(v, from, to)), 24 * 14, 1e-6);
    EXPECT_EQ(LoopArea(v, from, to) > 0, climb);
    for (std::size_t k = 1; k < loops.size(); ++k) {
      const toolpath::Vertex& end = v[loops[k - 1].second];
      const toolpath::Vertex& start = v[loops[k].first];
      // The next ring starts at its point nearest to the last: a step-over
      // straight across.
      EXPECT_NEAR(std::hypot(start.x - end.x, start.y - end.y), 2.4, 1e-4);
      const double inner = std::abs(LoopArea(v, loops[k - 1].first, loops[k - 1].second));
      EXPECT_LT(inner, std::abs(LoopArea(v, loops[k].first, loops[k].second)));
    }
  }
}

// What cannot be cleared is named, one sentence for each kind, and the rest
// is still planned.
TEST(PlanPockets, NamesWhatItCannotClear) {
  struct Case {
    const char* name;
    std::vector<toolpath::Path> contours;
    std::vector<std::string> notes;
    std::vector<std::size_t> pocketsOf;  // the contour of each path, in order
  };
  // Two 20 x 20 rooms joined by a passage 4 wide: a 6 mm tool cannot pass.
  const toolpath::Path rooms{{{0, 0, 0},
                              {20, 0, 0},
                              {20, 8, 0},
                              {30, 8, 0},
                              {30, 0, 0},
                              {50, 0, 0},
                              {50, 20, 0},
                              {30, 20, 0},
                              {30, 12, 0},
                              {20, 12, 0},
                              {20, 20, 0},
                              {0, 20, 0}},
                             true};
  const std::vector<Case> cases = {
      {"a contour smaller than the tool",
       {Rect(0, 0, 30, 30), Rect(40, 0, 5, 5)},
       {"Contour 2 is too small for the tool and is not cleared"},
       {0}},
      {"two contours smaller than the tool",
       {Circle(0, 0, 2.9), Rect(40, 0, 30, 30), Rect(0, 10, 4, 40)},
       {"Contours 1 and 3 are too small for the tool and are not cleared"},
       {1}},
      {"an island leaving too little room",
       {Rect(0, 0, 20, 20), Rect(2, 2, 16, 16)},
       {"Contour 1 is too small for the tool and is not cleared"},
       {}},
      {"a single point",
       {toolpath::Path{{{5, 5, 0}}, true}, Rect(10, 0, 20, 20)},
       {"Contour 1 is too small for the tool and is not cleared"},
       {1}},
      {"a zero-area contour",
       {toolpath::Path{{{5, 5, 0}, {5, 5, 0}}, true}, Rect(10, 0, 20, 20)},
       {"Contour 1 is too small for the tool and is not cleared"},
       {1}},
      {"a neck",
       {rooms},
       {"Contour 1 narrows below the tool's width: the necks are not cleared"},
       {0, 0}},
      {"a figure eight",
       {toolpath::Path{{{0, 0, 0}, {20, 20, 0}, {20, 0, 0}, {0, 20, 0}}, true},
        Rect(30, 0, 20, 20)},
       {"Contour 1 crosses itself and is not cleared"},
       {1}},
      {"the same contour twice",
       {Rect(0, 0, 20, 20), Reversed(Rect(0, 0, 20, 20))},
       {"Contour 2 repeats another contour and is cleared once"},
       {0}},
  };
  for (const Case& c : cases) {
    const PocketPlan plan = PlanPockets(c.contours, 3, 2.4, 0.01);
    ASSERT_FALSE(plan.failure) << c.name;
    EXPECT_EQ(plan.notes, c.notes) << c.name;
    std::vector<std::size_t> of;
    for (const PocketPath& p : plan.pockets) of.push_back(p.contour);
    EXPECT_EQ(of, c.pocketsOf) << c.name;
  }
}

// Both rooms of the neck case are cleared, each by a path of its own (the
// tool does not feed through the neck's stock).
TEST(PlanPockets, RegionsSplitAtANeckAreClearedApart) {
  const toolpath::Path rooms{{{0, 0, 0},
                              {20, 0, 0},
                              {20, 8, 0},
                              {30, 8, 0},
                              {30, 0, 0},
                              {50, 0, 0},
                              {50, 20, 0},
                              {30, 20, 0},
                              {30, 12, 0},
                              {20, 12, 0},
                              {20, 20, 0},
                              {0, 20, 0}},
                             true};
  const PocketPlan plan = PlanPockets({rooms}, 3, 2.4, 0.01);
  ASSERT_EQ(plan.pockets.size(), 2u);
  for (const PocketPath& p : plan.pockets) {
    const bool left = p.path.v.front().x < 25;
    for (const toolpath::Vertex& v : p.path.v) {
      EXPECT_EQ(v.x < 25, left) << "a path crosses the neck at (" << v.x << ", " << v.y << ")";
    }
  }
}

// Counts past the limits are refused before any work, never planned for an
// hour; bad sizes are refused too.
TEST(PlanPockets, RefusesBeyondTheLimits) {
  struct Case {
    const char* name;
    std::vector<toolpath::Path> contours;
    double radius;
    double stepover;
    double tol;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"rings", {Rect(0, 0, 1e6, 1e6)}, 1, 0.001, 0.01, "Too many pocket rings"},
      {"vertices of a fine circle", {Circle(0, 0, 1e7)}, 1, 1, 1e-9, "Too many vertices"},
      {"a coordinate that is not a number",
       {toolpath::Path{{{0, 0, 0}, {std::nan(""), 1, 0}, {1, 1, 0}}, true}},
       1,
       1,
       0.01,
       "A coordinate is too large to write"},
      {"no tool", {Rect(0, 0, 10, 10)}, 0, 1, 0.01, "Parameters error"},
      {"no step-over", {Rect(0, 0, 10, 10)}, 1, 0, 0.01, "Parameters error"},
  };
  for (const Case& c : cases) {
    const PocketPlan plan = PlanPockets(c.contours, c.radius, c.stepover, c.tol);
    ASSERT_TRUE(plan.failure) << c.name;
    EXPECT_EQ(plan.failure->message.substr(0, c.message.size()), c.message) << c.name;
    EXPECT_TRUE(plan.pockets.empty()) << c.name;
  }
}

}  // namespace
}  // namespace kelvora::generators
