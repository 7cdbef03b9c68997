#include "generators/contour_nesting.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "generators/contour_cut.h"
#include "generators/contour_offset.h"

namespace kelvora::generators {
namespace {

// Pieces an arc is followed by when its inside is tested: fine enough that a
// point tested (on another contour, never nearer than a cut's width) is not
// misplaced by the chords.
constexpr int kArcPieces = 32;
// A point this near a contour lies on its line: it tells nothing of inside.
constexpr double kOnLine = 1e-6;

struct Outline {
  std::vector<toolpath::Point> ring;    // the contour's points, arcs followed closely
  std::vector<toolpath::Point> probes;  // the points tested against the others
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  double area = 0;
  bool closed = false;
};

Outline OutlineOf(const toolpath::Path& path) {
  Outline o;
  o.closed = path.closed;
  if (!path.closed) return o;
  for (const PathSegment& seg : SegmentsOf(path)) {
    const int pieces = seg.b == 0 ? 1 : kArcPieces;
    for (int k = 0; k < pieces; ++k)
      o.ring.push_back(PointOn(seg, static_cast<double>(k) / pieces));
    // The vertex and the middle of every segment.
    o.probes.push_back(PointOn(seg, 0));
    o.probes.push_back(PointOn(seg, 0.5));
  }
  if (o.ring.size() < 3) {
    o.closed = false;
    return o;
  }
  o.minX = o.minY = std::numeric_limits<double>::infinity();
  o.maxX = o.maxY = -o.minX;
  for (const toolpath::Point& p : o.ring) {
    o.minX = std::min(o.minX, p.x);
    o.minY = std::min(o.minY, p.y);
    o.maxX = std::max(o.maxX, p.x);
    o.maxY = std::max(o.maxY, p.y);
  }
  o.area = std::abs(SignedArea(path));
  return o;
}

// Crossings of a ray from p toward +x with the ring: odd inside.
bool InRing(const std::vector<toolpath::Point>& ring, toolpath::Point p) {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const toolpath::Point& a = ring[i];
    const toolpath::Point& b = ring[j];
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside;
}

bool Holds(const Outline& outer, const toolpath::Path& outerPath, const Outline& inner) {
  if (!(outer.area > inner.area)) return false;
  if (inner.minX < outer.minX || inner.maxX > outer.maxX || inner.minY < outer.minY ||
      inner.maxY > outer.maxY) {
    return false;
  }
  std::size_t in = 0;
  std::size_t out = 0;
  for (const toolpath::Point& p : inner.probes) {
    if (InRing(outer.ring, p)) {
      ++in;
    } else {
      ++out;
    }
  }
  // Points on the outer line (a slot drawn against the edge) are set aside
  // only when the count is close, so the distance is seldom measured.
  if (in > 0 && out > 0 && in <= out) {
    in = out = 0;
    for (const toolpath::Point& p : inner.probes) {
      if (DistanceToPath(outerPath, p.x, p.y) <= kOnLine) continue;
      if (InRing(outer.ring, p)) {
        ++in;
      } else {
        ++out;
      }
    }
  }
  return in > out;
}

// Whether two closed contours lie on one line: the same extent and area.
bool SameOutline(const Outline& a, const Outline& b) {
  const double size = std::max({a.maxX - a.minX, a.maxY - a.minY, 1.0});
  const double tol = 1e-9 * size;
  return std::abs(a.minX - b.minX) <= tol && std::abs(a.maxX - b.maxX) <= tol &&
         std::abs(a.minY - b.minY) <= tol && std::abs(a.maxY - b.maxY) <= tol &&
         std::abs(a.area - b.area) <= 1e-9 * std::max(a.area, 1.0);
}

}  // namespace

std::vector<int> NestingDepths(const std::vector<toolpath::Path>& contours) {
  std::vector<Outline> outlines;
  outlines.reserve(contours.size());
  for (const toolpath::Path& c : contours) outlines.push_back(OutlineOf(c));
  // A contour drawn twice holds what it holds once: the later copies are
  // not counted.
  std::vector<bool> copy(contours.size(), false);
  for (std::size_t j = 0; j < contours.size(); ++j) {
    for (std::size_t k = 0; k < j && outlines[j].closed && !copy[j]; ++k) {
      copy[j] = outlines[k].closed && !copy[k] && SameOutline(outlines[j], outlines[k]);
    }
  }
  std::vector<int> depths(contours.size(), 0);
  for (std::size_t i = 0; i < contours.size(); ++i) {
    if (!outlines[i].closed) continue;
    for (std::size_t j = 0; j < contours.size(); ++j) {
      if (j != i && outlines[j].closed && !copy[j] &&
          Holds(outlines[j], contours[j], outlines[i])) {
        ++depths[i];
      }
    }
  }
  return depths;
}

}  // namespace kelvora::generators
