// The contour programs read back as a machine runs them: the tool's centre at
// the tool radius from the drawn line on the side asked and never nearer, in the
// direction asked, tabs left standing, no straight plunge into the stock where a
// ramp or helix was chosen, pockets cleared around their islands; and LinuxCNC's
// interpreter reads every one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "generators/dxf_contour.h"
#include "generators/router_inputs.h"
#include "motion/arc_shape.h"
#include "motion/recording_sink.h"
#include "motion/rs274_test.h"
#include "support/polylines.h"

namespace kelvora::generators {
namespace {

using geometry::DrawList;
using motion::Move;
using motion::MoveKind;
using V = geometry::testing::Vertex;

constexpr double kTol = 0.001;

struct Shape {
  const char* name;
  std::vector<V> vertices;
  bool closed;
};

const Shape kSquare{"square", {{0, 0}, {20, 0}, {20, 20}, {0, 20}}, true};
const Shape kSquareCw{"square clockwise", {{0, 0}, {0, 20}, {20, 20}, {20, 0}}, true};
const Shape kCircle{"circle", {{-10, 0, 1}, {10, 0, 1}}, true};
const Shape kCircleCw{"circle clockwise", {{-10, 0, -1}, {10, 0, -1}}, true};
const Shape kRounded{"rounded slot", {{0, 0}, {30, 0, 1}, {30, 10}, {0, 10, 1}}, true};
const Shape kLine{"open line", {{0, 0}, {30, 0}}, false};
const Shape kOpenArc{"open arc", {{0, 0, 0.5}, {20, 0}}, false};
const Shape kCorner{"open corner", {{0, 0}, {20, 0}, {20, 15}}, false};
const Shape kShortLine{"short open line", {{0, 0}, {2, 0}}, false};

DrawList ListOf(const std::vector<const Shape*>& shapes) {
  DrawList list;
  for (const Shape* s : shapes) list.push_back(geometry::testing::Polyline(s->vertices, s->closed));
  return list;
}

struct Point {
  double x, y, z;
};

// The points of a move every `step` or closer, its ends included.
std::vector<Point> Samples(const Move& m, double step = 0.05) {
  std::vector<Point> out;
  if (m.kind == MoveKind::kRapid || m.kind == MoveKind::kFeed) {
    const double len = std::hypot(m.end.x - m.start.x, m.end.y - m.start.y);
    const int n = std::max(1, static_cast<int>(std::ceil(len / step)));
    for (int i = 0; i <= n; ++i) {
      const double t = static_cast<double>(i) / n;
      out.push_back({m.start.x + t * (m.end.x - m.start.x), m.start.y + t * (m.end.y - m.start.y),
                     m.start.z + t * (m.end.z - m.start.z)});
    }
    return out;
  }
  const motion::ArcShape a = motion::ShapeOfArc(m);
  const int n = std::max(2, static_cast<int>(std::ceil(a.planarLength / step)));
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n;
    const double angle = a.startAngle + a.sweep * t;
    const double r = a.radius + t * (a.endRadius - a.radius);
    out.push_back({m.centreX + r * std::cos(angle), m.centreY + r * std::sin(angle),
                   m.start.z + t * (m.end.z - m.start.z)});
  }
  return out;
}

// The drawn contour as dense points, with the direction of travel at each.
struct ContourPoint {
  double x, y, dx, dy;
};

std::vector<ContourPoint> ContourPoints(const Shape& s) {
  std::vector<ContourPoint> out;
  const std::size_t n = s.vertices.size();
  const std::size_t segments = s.closed ? n : n - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    const V& a = s.vertices[i];
    const V& b = s.vertices[(i + 1) % n];
    Move m;
    m.start = {a.x, a.y, 0, 0};
    m.end = {b.x, b.y, 0, 0};
    if (a.b == 0) {
      m.kind = MoveKind::kFeed;
    } else {
      const geometry::BulgeArc arc = geometry::ArcFromBulge(a.x, a.y, b.x, b.y, a.b);
      m.kind = a.b > 0 ? MoveKind::kArcCcw : MoveKind::kArcCw;
      m.centreX = arc.center.X;
      m.centreY = arc.center.Y;
    }
    const std::vector<Point> pts = Samples(m, 0.05);
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
      const double dx = pts[k + 1].x - pts[k].x;
      const double dy = pts[k + 1].y - pts[k].y;
      const double len = std::hypot(dx, dy);
      out.push_back({pts[k].x, pts[k].y, dx / len, dy / len});
    }
    if (!s.closed && i + 1 == segments) out.push_back({b.x, b.y, out.back().dx, out.back().dy});
  }
  return out;
}

// Where a point stands against the drawn contour: its distance to the nearest
// point, how far along the contour that point lies, and on which side of the
// contour's direction (+1 left, -1 right) the point is.
struct Near {
  double distance = INFINITY;
  double along = 0;
  int side = 0;
};

Near Closest(const Shape& s, double x, double y) {
  Near best;
  const std::size_t n = s.vertices.size();
  const std::size_t segments = s.closed ? n : n - 1;
  double start = 0;
  for (std::size_t i = 0; i < segments; ++i) {
    const V& a = s.vertices[i];
    const V& b = s.vertices[(i + 1) % n];
    Near here;
    double length = 0;
    if (a.b == 0) {
      const double dx = b.x - a.x;
      const double dy = b.y - a.y;
      length = std::hypot(dx, dy);
      const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (length * length), 0.0, 1.0);
      here.distance = std::hypot(a.x + t * dx - x, a.y + t * dy - y);
      here.along = start + t * length;
      here.side = dx * (y - a.y) - dy * (x - a.x) > 0 ? 1 : -1;
    } else {
      const geometry::BulgeArc arc = geometry::ArcFromBulge(a.x, a.y, b.x, b.y, a.b);
      const double sweep = 4 * std::atan(a.b);
      const double a0 = std::atan2(a.y - arc.center.Y, a.x - arc.center.X);
      length = std::abs(sweep) * arc.radius;
      double rel = std::atan2(y - arc.center.Y, x - arc.center.X) - a0;
      if (sweep < 0) rel = -rel;
      rel = std::fmod(std::fmod(rel, 2 * std::numbers::pi) + 2 * std::numbers::pi,
                      2 * std::numbers::pi);
      const double fromCentre = std::hypot(x - arc.center.X, y - arc.center.Y);
      if (rel <= std::abs(sweep)) {
        here.distance = std::abs(fromCentre - arc.radius);
        here.along = start + rel * arc.radius;
      } else {
        const double da = std::hypot(x - a.x, y - a.y);
        const double db = std::hypot(x - b.x, y - b.y);
        here.distance = std::min(da, db);
        here.along = da < db ? start : start + length;
      }
      // Counter-clockwise, the centre is on the left: outside the circle is right.
      here.side = (fromCentre > arc.radius) == (sweep > 0) ? -1 : 1;
    }
    if (here.distance < best.distance) best = here;
    start += length;
  }
  return best;
}

double DistanceTo(const Shape& s, double x, double y) {
  return Closest(s, x, y).distance;
}

bool Inside(const std::vector<ContourPoint>& c, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    if ((c[i].y > y) != (c[j].y > y) &&
        x < (c[j].x - c[i].x) * (y - c[i].y) / (c[j].y - c[i].y) + c[i].x) {
      in = !in;
    }
  }
  return in;
}

struct CutRun {
  std::string program;
  std::vector<Move> moves;
  std::vector<std::string> notes;
};

ContourOptions Options(ContourSide side, CutDirection direction = CutDirection::kClimb) {
  ContourOptions o;
  o.side = side;
  o.direction = direction;
  return o;
}

CutRun Cut(const std::vector<const Shape*>& shapes, const ContourOptions& options, double depth = 2,
           double stepdown = 1) {
  CutRun run;
  const auto program =
      DxfGcodeGen(ListOf(shapes), testing::RouterInputs(depth, stepdown), options, &run.notes);
  EXPECT_TRUE(program.ok()) << (program.ok() ? "" : program.failure().message);
  if (!program.ok()) return run;
  run.program = *program;
  run.moves = motion::testing::Read(run.program).moves;
  return run;
}

double PlanarLength(const Move& m) {
  if (m.kind == MoveKind::kRapid || m.kind == MoveKind::kFeed) {
    return std::hypot(m.end.x - m.start.x, m.end.y - m.start.y);
  }
  return motion::ShapeOfArc(m).planarLength;
}

bool Cutting(const Move& m) {
  return m.kind != MoveKind::kRapid && (m.start.z < -1e-9 || m.end.z < -1e-9);
}

// ---- Sides and directions ----

struct SideCase {
  const Shape* shape;
  ContourSide side;
  CutDirection direction;
  int turn;  // closed: +1 counter-clockwise, -1 clockwise; open: +1 drawn direction, -1 reversed
};

const std::vector<SideCase>& SideCases() {
  using enum ContourSide;
  const auto climb = CutDirection::kClimb;
  const auto conv = CutDirection::kConventional;
  static const std::vector<SideCase> cases = {
      {&kSquare, kOutside, climb, -1},   {&kSquare, kInside, climb, +1},
      {&kSquareCw, kOutside, climb, -1}, {&kSquareCw, kInside, conv, -1},
      {&kSquare, kOutside, conv, +1},    {&kCircle, kOutside, climb, -1},
      {&kCircleCw, kInside, climb, +1},  {&kRounded, kOutside, climb, -1},
      {&kRounded, kInside, conv, -1},    {&kLine, kLeft, climb, +1},
      {&kLine, kRight, climb, -1},       {&kLine, kLeft, conv, -1},
      {&kOpenArc, kRight, conv, +1},     {&kOpenArc, kLeft, climb, +1},
      {&kCorner, kLeft, climb, +1},      {&kCorner, kRight, climb, -1},
  };
  return cases;
}

TEST(ContourSides, ToolCentreAtTheRadiusOnTheSideAndInTheDirection) {
  for (const SideCase& c : SideCases()) {
    SCOPED_TRACE(std::string(c.shape->name) + ", side " +
                 std::string(kContourSideNames[static_cast<int>(c.side)]) + ", " +
                 std::string(kCutDirectionNames[static_cast<int>(c.direction)]));
    ContourOptions options = Options(c.side, c.direction);
    options.toolDiameter = 3;
    const double r = 1.5;
    const CutRun run = Cut({c.shape}, options);
    const auto contour = ContourPoints(*c.shape);
    std::vector<Point> floor;  // the last layer's points
    std::vector<double> floorAlong;
    std::size_t cutting = 0;
    for (const Move& m : run.moves) {
      if (!Cutting(m)) continue;
      ++cutting;
      const std::vector<Point> pts = Samples(m, 0.2);
      const double d0 = DistanceTo(*c.shape, m.start.x, m.start.y);
      const double d1 = DistanceTo(*c.shape, m.end.x, m.end.y);
      const bool along = std::abs(d0 - r) < kTol && std::abs(d1 - r) < kTol;
      for (const Point& p : pts) {
        const Near near = Closest(*c.shape, p.x, p.y);
        ASSERT_GE(near.distance, r - kTol)
            << "gouge at " << p.x << "," << p.y << " line " << m.line;
        if (along && m.kind != MoveKind::kFeed) {
          ASSERT_NEAR(near.distance, r, kTol) << "arc leaves the offset at line " << m.line;
        }
        if (c.side == ContourSide::kOutside) {
          ASSERT_FALSE(Inside(contour, p.x, p.y));
        } else if (c.side == ContourSide::kInside) {
          ASSERT_TRUE(Inside(contour, p.x, p.y));
        } else if (near.distance < r + kTol) {
          ASSERT_EQ(near.side, c.side == ContourSide::kLeft ? 1 : -1);
        }
        if (p.z < -2 + 1e-9) {
          floor.push_back(p);
          floorAlong.push_back(near.along);
        }
      }
    }
    ASSERT_GT(cutting, 0u);
    ASSERT_GT(floor.size(), 2u);
    if (c.shape->closed) {
      double area = 0;
      for (std::size_t i = 0; i < floor.size(); ++i) {
        const Point& a = floor[i];
        const Point& b = floor[(i + 1) % floor.size()];
        area += a.x * b.y - b.x * a.y;
      }
      EXPECT_EQ(area > 0 ? 1 : -1, c.turn);
    } else {
      EXPECT_EQ(floorAlong.back() > floorAlong.front() ? 1 : -1, c.turn);
    }
  }
}

TEST(ContourSides, TooSmallForTheToolIsLeftOutAndNamed) {
  const Shape small{"small circle", {{49, 50, 1}, {51, 50, 1}}, true};
  ContourOptions options = Options(ContourSide::kInside);
  options.toolDiameter = 3;
  const CutRun run = Cut({&kSquare, &small}, options);
  for (const Move& m : run.moves) {
    if (!Cutting(m)) continue;
    for (const Point& p : Samples(m, 0.2))
      ASSERT_GT(std::hypot(p.x - 50, p.y - 50), 1 + 1.5 - kTol);
  }
  EXPECT_EQ(run.notes,
            std::vector<std::string>{"Contour 2 is too small for the tool and is not cut."});
}

TEST(ContourSides, OpenContourOutsideIsCutOnTheLineAndNamed) {
  const CutRun outside = Cut({&kLine}, Options(ContourSide::kOutside));
  std::size_t onLine = 0;
  for (const Move& m : outside.moves) {
    if (Cutting(m) && m.kind == MoveKind::kFeed && m.start.y == 0 && m.end.y == 0) ++onLine;
  }
  EXPECT_GT(onLine, 0u);
  EXPECT_EQ(outside.notes,
            std::vector<std::string>{
                "Contour 1 is open: it has no outside or inside and is cut on the line."});
}

// ---- Lead arcs ----

TEST(ContourLeads, ArcsOnTheWasteSideTangentToThePath) {
  struct Case {
    const Shape* shape;
    ContourSide side;
    double lead;
    bool fits;
  };
  const Case cases[] = {
      {&kSquare, ContourSide::kOutside, 3, true},
      {&kSquare, ContourSide::kInside, 3, true},
      {&kCircle, ContourSide::kOutside, 2, true},
      {&kCircle, ContourSide::kInside, 2, true},
      // A lead of 12 cannot turn inside a circle of radius 10.
      {&kCircle, ContourSide::kInside, 12, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.shape->name) +
                 (c.side == ContourSide::kInside ? " inside" : " outside") + " lead " +
                 std::to_string(c.lead));
    ContourOptions options = Options(c.side);
    options.leadRadius = c.lead;
    const CutRun run = Cut({c.shape}, options, 1, 1);
    const auto contour = ContourPoints(*c.shape);
    // The first cutting move leaves the approach: with a lead it starts away
    // from the offset on the waste side.
    const Move* first = nullptr;
    for (const Move& m : run.moves) {
      if (Cutting(m) && (m.start.x != m.end.x || m.start.y != m.end.y)) {
        first = &m;
        break;
      }
    }
    ASSERT_NE(first, nullptr);
    const double d = DistanceTo(*c.shape, first->start.x, first->start.y);
    if (c.fits) {
      EXPECT_GT(d, 1.5 + 1) << "no lead-in";
      EXPECT_EQ(Inside(contour, first->start.x, first->start.y), c.side == ContourSide::kInside);
      EXPECT_NE(first->kind, MoveKind::kFeed);
      EXPECT_TRUE(run.notes.empty());
    } else {
      EXPECT_NEAR(d, 1.5, kTol);
      ASSERT_EQ(run.notes.size(), 1u);
      EXPECT_NE(run.notes[0].find("lead arcs do not fit"), std::string::npos);
    }
    for (const Move& m : run.moves) {
      if (!Cutting(m)) continue;
      for (const Point& p : Samples(m, 0.2)) ASSERT_GE(DistanceTo(*c.shape, p.x, p.y), 1.5 - kTol);
    }
  }
}

// ---- Tabs ----

TEST(ContourTabs, ToolStaysAtTheTabTopOverTabsAndGoesToDepthElsewhere) {
  struct Case {
    const char* name;
    const Shape* shape;
    ContourSide side;
    int count;
    double spacing;
    ContourEntry entry;
    std::size_t tabs;
  };
  const Case cases[] = {
      {"square, four tabs", &kSquare, ContourSide::kOnLine, 4, 0, ContourEntry::kPlunge, 4},
      {"square, a tab every 30", &kSquare, ContourSide::kOnLine, 0, 30, ContourEntry::kPlunge, 2},
      {"circle, three tabs", &kCircle, ContourSide::kOnLine, 3, 0, ContourEntry::kPlunge, 3},
      // Twelve tabs do not fit: every other one is left out, and the first
      // reaches back over the start, where the plunge stops at the tab top.
      {"circle, tabs crowding the start", &kCircle, ContourSide::kOnLine, 12, 0,
       ContourEntry::kPlunge, 6},
      {"open line, two tabs", &kLine, ContourSide::kOnLine, 2, 0, ContourEntry::kPlunge, 2},
      {"square, ramped", &kSquare, ContourSide::kOnLine, 2, 0, ContourEntry::kRamp, 2},
      {"circle, helix", &kCircle, ContourSide::kOnLine, 2, 0, ContourEntry::kHelix, 2},
      {"outside square, four tabs", &kSquare, ContourSide::kOutside, 4, 0, ContourEntry::kRamp, 4},
  };
  const double depth = 3;
  const double tabTop = -depth + 1.5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ContourOptions options = Options(c.side);
    options.tabCount = c.count;
    options.tabSpacing = c.spacing;
    options.tabWidth = 4;
    options.tabHeight = 1.5;
    options.toolDiameter = 2;
    options.entry = c.entry;
    options.rampAngle = 10;
    const CutRun run = Cut({c.shape}, options, depth, 1);
    const auto preview =
        ContourToolPaths(ListOf({c.shape}), testing::RouterInputs(depth, 1), options);
    ASSERT_TRUE(preview.ok());
    std::vector<const geometry::CCircle*> tabs;
    for (const auto& obj : *preview) {
      if (obj->otype == geometry::otCircle)
        tabs.push_back(static_cast<const geometry::CCircle*>(obj.get()));
    }
    ASSERT_EQ(tabs.size(), c.tabs);
    // Over a tab (within half its width and the tool's radius of its middle,
    // less a margin for the path's curve) the tool stays at the tab top on
    // every layer; elsewhere the last layer reaches the full depth.
    const double reach = options.tabWidth / 2 + 1 - 0.05;
    double deepest = 0;
    double atDepth = 0;
    for (const Move& m : run.moves) {
      if (!Cutting(m)) continue;
      for (const Point& p : Samples(m)) {
        deepest = std::min(deepest, p.z);
        if (p.z >= tabTop - 1e-9) continue;
        for (const auto* t : tabs) {
          ASSERT_GE(std::hypot(p.x - t->center.X, p.y - t->center.Y), reach)
              << "below the tab top at " << p.x << "," << p.y << " z " << p.z;
        }
      }
      if (std::abs(m.start.z + depth) < 1e-9 && std::abs(m.end.z + depth) < 1e-9) {
        atDepth += PlanarLength(m);
      }
    }
    EXPECT_NEAR(deepest, -depth, 1e-9);
    EXPECT_GT(atDepth, 0);
    // With a plunge the last layer runs the path once: its length less the tabs
    // (each the width and the tool's diameter along the path) at full depth.
    if (c.entry == ContourEntry::kPlunge) {
      double length = 0;
      const auto contour = ContourPoints(*c.shape);
      for (std::size_t i = 0; i + 1 < contour.size(); ++i) {
        length += std::hypot(contour[i + 1].x - contour[i].x, contour[i + 1].y - contour[i].y);
      }
      if (c.shape->closed)
        length +=
            std::hypot(contour.front().x - contour.back().x, contour.front().y - contour.back().y);
      EXPECT_NEAR(atDepth, length - static_cast<double>(c.tabs) * 6, 0.01);
    }
  }
}

TEST(ContourTabs, LayersAboveTheTabTopAreCutWhole) {
  ContourOptions options = Options(ContourSide::kOnLine);
  options.tabCount = 4;
  options.tabHeight = 1.5;
  const CutRun run = Cut({&kSquare}, options, 3, 1);
  // The first layer (1 deep) lies above the tab top (1.5 above the depth of 3):
  // it never rises.
  for (const Move& m : run.moves) {
    if (m.kind == MoveKind::kFeed && m.start.z == -1 && m.start.x == m.end.x &&
        m.start.y == m.end.y) {
      ADD_FAILURE() << "the first layer rises at line " << m.line;
    }
  }
}

// ---- Entries ----

struct EntryCase {
  const Shape* shape;
  ContourEntry entry;
  double angle;
};

const std::vector<EntryCase>& EntryCases() {
  static const std::vector<EntryCase> cases = {
      {&kSquare, ContourEntry::kRamp, 3},    {&kSquare, ContourEntry::kHelix, 30},
      {&kCircle, ContourEntry::kHelix, 3},   {&kRounded, ContourEntry::kRamp, 10},
      {&kLine, ContourEntry::kRamp, 3},      {&kOpenArc, ContourEntry::kHelix, 5},
      {&kShortLine, ContourEntry::kRamp, 3}, {&kCorner, ContourEntry::kRamp, 45},
  };
  return cases;
}

TEST(ContourEntries, DownAlongThePathNeverStraightIntoTheStock) {
  const double depth = 2.5;
  const double stepdown = 1;
  for (const EntryCase& c : EntryCases()) {
    SCOPED_TRACE(std::string(c.shape->name) + " " +
                 std::string(kContourEntryNames[static_cast<int>(c.entry)]) + " " +
                 std::to_string(c.angle));
    ContourOptions options = Options(ContourSide::kOnLine);
    options.entry = c.entry;
    options.rampAngle = c.angle;
    const CutRun run = Cut({c.shape}, options, depth, stepdown);
    const auto contour = ContourPoints(*c.shape);
    double slope = std::tan(c.angle * std::numbers::pi / 180);
    if (c.entry == ContourEntry::kHelix && c.shape->closed) {
      double lap = 0;
      for (std::size_t i = 0; i < contour.size(); ++i) {
        const auto& a = contour[i];
        const auto& b = contour[(i + 1) % contour.size()];
        lap += std::hypot(b.x - a.x, b.y - a.y);
      }
      slope = std::min(slope, stepdown / lap);  // one step-down a lap at most
    }
    double floorAbove = 0;  // the depth the layers before reached
    double deepest = 0;
    std::vector<Point> atDepth;
    for (const Move& m : run.moves) {
      if (m.kind == MoveKind::kRapid) {
        ASSERT_GE(m.end.z, -1e-9) << "rapid into the stock at line " << m.line;
        if (m.end.z > 5) floorAbove = deepest;  // retracted: the next layer begins
        continue;
      }
      const double run2d = PlanarLength(m);
      const double drop = m.start.z - m.end.z;
      if (m.end.z < -1e-9 && drop > 1e-9) {
        ASSERT_GT(run2d, 1e-6) << "straight plunge at line " << m.line;
        // Into new material no steeper than the entry's angle.
        if (m.end.z < floorAbove - 1e-9) {
          EXPECT_LE(drop / run2d, slope + 1e-3) << "line " << m.line;
        }
      }
      deepest = std::min(deepest, m.end.z);
      if (std::abs(m.start.z + depth) < 1e-9 && std::abs(m.end.z + depth) < 1e-9) {
        for (const Point& p : Samples(m, 0.02)) atDepth.push_back(p);
      }
    }
    EXPECT_NEAR(deepest, -depth, 1e-9);
    // The whole contour is cut at the full depth, the ramped part too.
    for (std::size_t i = 0; i < contour.size(); i += 10) {
      double nearest = INFINITY;
      for (const Point& p : atDepth)
        nearest = std::min(nearest, std::hypot(p.x - contour[i].x, p.y - contour[i].y));
      ASSERT_LT(nearest, 0.02) << "not cut at depth at " << contour[i].x << "," << contour[i].y;
    }
  }
}

// ---- Pockets ----

TEST(ContourPockets, AreaClearedAroundTheIsland) {
  const Shape outer{"outer", {{0, 0}, {40, 0}, {40, 30}, {0, 30}}, true};
  const Shape island{"island", {{15, 10}, {25, 10}, {25, 20}, {15, 20}}, true};
  ContourOptions options = Options(ContourSide::kOnLine);
  options.pocket = true;
  options.toolDiameter = 4;
  options.stepover = 40;
  const CutRun run = Cut({&outer, &island}, options, 1, 1);
  const auto outerPts = ContourPoints(outer);
  const auto islandPts = ContourPoints(island);
  std::vector<Point> cut;
  for (const Move& m : run.moves) {
    if (!Cutting(m)) continue;
    for (const Point& p : Samples(m, 0.2)) {
      ASSERT_FALSE(Inside(islandPts, p.x, p.y)) << "into the island at line " << m.line;
      ASSERT_GE(DistanceTo(island, p.x, p.y), 2 - kTol) << "gouges the island";
      ASSERT_TRUE(Inside(outerPts, p.x, p.y));
      ASSERT_GE(DistanceTo(outer, p.x, p.y), 2 - kTol) << "gouges the wall";
      cut.push_back(p);
    }
  }
  ASSERT_FALSE(cut.empty());
  // Every point of the area the tool can reach lies within its radius of a cut.
  for (double x = 2.5; x < 38; x += 1) {
    for (double y = 2.5; y < 28; y += 1) {
      if (Inside(islandPts, x, y) || DistanceTo(island, x, y) < 2.5) continue;
      double nearest = INFINITY;
      for (const Point& p : cut) nearest = std::min(nearest, std::hypot(p.x - x, p.y - y));
      ASSERT_LE(nearest, 2 + 0.05) << "uncleared at " << x << "," << y;
    }
  }
}

// ---- LinuxCNC reads them all ----

class ContourRs274 : public motion::testing::Rs274Test {};

TEST_F(ContourRs274, ReadsEveryProgram) {
  std::vector<std::string> programs;
  for (const SideCase& c : SideCases()) {
    ContourOptions o = Options(c.side, c.direction);
    o.entry = ContourEntry::kHelix;
    o.leadRadius = c.shape->closed ? 2 : 0;
    o.tabCount = 2;
    o.tabHeight = 0.5;
    programs.push_back(Cut({c.shape}, o).program);
  }
  for (const EntryCase& c : EntryCases()) {
    ContourOptions o = Options(ContourSide::kOnLine);
    o.entry = c.entry;
    o.rampAngle = c.angle;
    o.tabCount = 3;
    o.tabHeight = 1;
    programs.push_back(Cut({c.shape}, o, 2.5, 1).program);
  }
  ContourOptions pocket = Options(ContourSide::kOnLine);
  pocket.pocket = true;
  pocket.entry = ContourEntry::kRamp;
  programs.push_back(Cut({&kSquare, &kCircle}, pocket).program);
  for (const std::string& program : programs) {
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(ReadsAlike(program + "M30\r\n")) << program;
  }
}

}  // namespace
}  // namespace kelvora::generators
