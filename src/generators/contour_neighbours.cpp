#include "generators/contour_neighbours.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <numbers>
#include <set>

// Notices from Boost's own moved headers, not ours to act on, are kept out of
// the build's output (as for the pockets).
#define BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_MATH_DISABLE_DEPRECATED_03_WARNING
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "geometry/draw_obj.h"

namespace kelvora::generators {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using BoxPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<BoxPoint>;

constexpr double kTwoPi = 2 * std::numbers::pi;

// An arc's circle and the angles it runs through.
struct Circle {
  double cx = 0, cy = 0, r = 0, start = 0, sweep = 0;
};

Circle CircleOf(const PathSegment& s) {
  const geometry::BulgeArc arc = geometry::ArcFromBulge(s.x0, s.y0, s.x1, s.y1, s.b);
  return {arc.center.X, arc.center.Y, arc.radius,
          std::atan2(s.y0 - arc.center.Y, s.x0 - arc.center.X), 4 * std::atan(s.b)};
}

// Whether the arc passes the point of its circle at `angle`.
bool OnArc(const Circle& c, double angle) {
  double along = c.sweep > 0 ? angle - c.start : c.start - angle;
  along = std::fmod(std::fmod(along, kTwoPi) + kTwoPi, kTwoPi);
  return along <= std::abs(c.sweep) + 1e-12;
}

bool OnArc(const Circle& c, double x, double y) {
  return OnArc(c, std::atan2(y - c.cy, x - c.cx));
}

// Whether two segments cross or touch away from where their ends lie on the
// other (those the distances from the ends find).
bool Meet(const PathSegment& a, const PathSegment& b) {
  if (a.b == 0 && b.b == 0) {
    const double rx = a.x1 - a.x0, ry = a.y1 - a.y0;
    const double sx = b.x1 - b.x0, sy = b.y1 - b.y0;
    const double den = rx * sy - ry * sx;
    if (den == 0) return false;
    const double qx = b.x0 - a.x0, qy = b.y0 - a.y0;
    const double t = (qx * sy - qy * sx) / den;
    const double u = (qx * ry - qy * rx) / den;
    return t >= 0 && t <= 1 && u >= 0 && u <= 1;
  }
  if (a.b != 0 && b.b != 0) {
    const Circle p = CircleOf(a);
    const Circle q = CircleOf(b);
    const double dx = q.cx - p.cx, dy = q.cy - p.cy;
    const double d = std::hypot(dx, dy);
    if (d == 0 || d > p.r + q.r || d < std::abs(p.r - q.r)) return false;
    const double along = (p.r * p.r - q.r * q.r + d * d) / (2 * d);
    const double h = std::sqrt(std::max(0.0, p.r * p.r - along * along));
    const double bx = p.cx + dx / d * along, by = p.cy + dy / d * along;
    for (const double side : {1.0, -1.0}) {
      const double x = bx - dy / d * h * side;
      const double y = by + dx / d * h * side;
      if (OnArc(p, x, y) && OnArc(q, x, y)) return true;
    }
    return false;
  }
  const PathSegment& line = a.b == 0 ? a : b;
  const Circle c = CircleOf(a.b == 0 ? b : a);
  // Where x0 + t dx lies on the circle, for t in [0, 1].
  const double dx = line.x1 - line.x0, dy = line.y1 - line.y0;
  const double fx = line.x0 - c.cx, fy = line.y0 - c.cy;
  const double qa = dx * dx + dy * dy;
  const double qb = 2 * (fx * dx + fy * dy);
  const double qc = fx * fx + fy * fy - c.r * c.r;
  const double disc = qb * qb - 4 * qa * qc;
  if (disc < 0 || qa == 0) return false;
  for (const double sign : {1.0, -1.0}) {
    const double t = (-qb + sign * std::sqrt(disc)) / (2 * qa);
    if (t >= 0 && t <= 1 && OnArc(c, line.x0 + t * dx, line.y0 + t * dy)) return true;
  }
  return false;
}

// The box round a segment, an arc's by the points of its circle it passes.
Box BoxOf(const PathSegment& s) {
  double x0 = std::min(s.x0, s.x1), y0 = std::min(s.y0, s.y1);
  double x1 = std::max(s.x0, s.x1), y1 = std::max(s.y0, s.y1);
  if (s.b != 0) {
    const Circle c = CircleOf(s);
    const std::array<std::array<double, 2>, 4> dirs{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
    for (const auto& d : dirs) {
      if (!OnArc(c, std::atan2(d[1], d[0]))) continue;
      x0 = std::min(x0, c.cx + c.r * d[0]);
      x1 = std::max(x1, c.cx + c.r * d[0]);
      y0 = std::min(y0, c.cy + c.r * d[1]);
      y1 = std::max(y1, c.cy + c.r * d[1]);
    }
  }
  return {{x0, y0}, {x1, y1}};
}

}  // namespace

double SegmentsDistance(const PathSegment& a, const PathSegment& b) {
  if (Meet(a, b)) return 0;
  // Apart, the nearest points are an end of one and its nearest point on the
  // other, or two inner points on one normal to both: on an arc that normal
  // runs through its centre.
  double best = std::min({DistanceToSegment(b, a.x0, a.y0), DistanceToSegment(b, a.x1, a.y1),
                          DistanceToSegment(a, b.x0, b.y0), DistanceToSegment(a, b.x1, b.y1)});
  auto inner = [&](const PathSegment& arc, const PathSegment& other, double ux, double uy) {
    const Circle c = CircleOf(arc);
    for (const double side : {1.0, -1.0}) {
      const double x = c.cx + side * c.r * ux;
      const double y = c.cy + side * c.r * uy;
      if (OnArc(c, x, y)) best = std::min(best, DistanceToSegment(other, x, y));
    }
  };
  for (const auto& [arc, other] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
    if (arc->b == 0) continue;
    if (other->b == 0) {
      // Normal to the line.
      const double len = std::hypot(other->x1 - other->x0, other->y1 - other->y0);
      inner(*arc, *other, -(other->y1 - other->y0) / len, (other->x1 - other->x0) / len);
    } else {
      // Along the line through both centres.
      const Circle p = CircleOf(*arc);
      const Circle q = CircleOf(*other);
      const double d = std::hypot(q.cx - p.cx, q.cy - p.cy);
      if (d > 0) inner(*arc, *other, (q.cx - p.cx) / d, (q.cy - p.cy) / d);
    }
  }
  return best;
}

std::vector<std::pair<std::size_t, std::size_t>> ContoursTooClose(
    const std::vector<NumberedPath>& toolPaths, const std::vector<NumberedPath>& keptOutlines,
    double radius, double tolerance) {
  const double reach = radius - tolerance;
  if (!(reach > 0)) return {};
  struct Piece {
    std::size_t number;
    const PathSegment* seg;
  };
  std::vector<Piece> pieces;
  std::vector<std::pair<Box, std::size_t>> entries;
  for (const NumberedPath& outline : keptOutlines) {
    for (const PathSegment& seg : outline.segs) {
      entries.emplace_back(BoxOf(seg), pieces.size());
      pieces.push_back({outline.number, &seg});
    }
  }
  // Built at once from all the boxes (packed), not one insertion at a time.
  const bgi::rtree<std::pair<Box, std::size_t>, bgi::rstar<16>> tree(entries.begin(),
                                                                     entries.end());
  std::set<std::pair<std::size_t, std::size_t>> found;
  std::vector<std::pair<Box, std::size_t>> hits;
  for (const NumberedPath& path : toolPaths) {
    for (const PathSegment& seg : path.segs) {
      Box q = BoxOf(seg);
      q.min_corner().set<0>(q.min_corner().get<0>() - reach);
      q.min_corner().set<1>(q.min_corner().get<1>() - reach);
      q.max_corner().set<0>(q.max_corner().get<0>() + reach);
      q.max_corner().set<1>(q.max_corner().get<1>() + reach);
      hits.clear();
      tree.query(bgi::intersects(q), std::back_inserter(hits));
      for (const auto& hit : hits) {
        const Piece& piece = pieces[hit.second];
        if (piece.number == path.number) continue;
        const std::pair<std::size_t, std::size_t> key = std::minmax(piece.number, path.number);
        if (found.contains(key)) continue;
        if (SegmentsDistance(seg, *piece.seg) < reach) found.insert(key);
      }
    }
  }
  return {found.begin(), found.end()};
}

}  // namespace kelvora::generators
