#include "generators/contour_cut.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

namespace kelvora::generators {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Arc {
  double cx, cy, radius, start, sweep;
};

Arc ArcOf(double x0, double y0, double x1, double y1, double b) {
  const geometry::BulgeArc arc = geometry::ArcFromBulge(x0, y0, x1, y1, b);
  return {arc.center.X, arc.center.Y, arc.radius, std::atan2(y0 - arc.center.Y, x0 - arc.center.X),
          4 * std::atan(b)};
}

double LineDistance(double ax, double ay, double bx, double by, double x, double y) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(ax + t * dx - x, ay + t * dy - y);
}

double SegmentDistance(const PathSegment& seg, double x, double y) {
  if (seg.b == 0) return LineDistance(seg.x0, seg.y0, seg.x1, seg.y1, x, y);
  const Arc arc = ArcOf(seg.x0, seg.y0, seg.x1, seg.y1, seg.b);
  const double angle = std::atan2(y - arc.cy, x - arc.cx);
  double along = arc.sweep > 0 ? angle - arc.start : arc.start - angle;
  along = std::fmod(std::fmod(along, kTwoPi) + kTwoPi, kTwoPi);
  if (along <= std::abs(arc.sweep))
    return std::abs(std::hypot(x - arc.cx, y - arc.cy) - arc.radius);
  return std::min(std::hypot(x - seg.x0, y - seg.y0), std::hypot(x - seg.x1, y - seg.y1));
}

// The distance from a to b going forward round a closed path of length `length`.
double Ahead(double a, double b, double length) {
  const double d = std::fmod(b - a, length);
  return d < 0 ? d + length : d;
}

}  // namespace

double SegmentLength(double x0, double y0, double x1, double y1, double b) {
  const double chord = std::hypot(x1 - x0, y1 - y0);
  if (b == 0 || chord == 0) return chord;
  const Arc arc = ArcOf(x0, y0, x1, y1, b);
  return std::abs(arc.sweep) * arc.radius;
}

std::vector<PathSegment> SegmentsOf(const toolpath::Path& path) {
  std::vector<PathSegment> segs;
  const std::size_t n = path.v.size();
  if (n < 2) return segs;
  const std::size_t count = path.closed ? n : n - 1;
  double s = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    PathSegment seg{a.x, a.y, b.x, b.y, a.bulge, SegmentLength(a.x, a.y, b.x, b.y, a.bulge), s};
    // Pieces shorter than a micrometre (a closing vertex a rounding away from
    // the first) and arcs without a chord (which would read as whole circles)
    // are passed over.
    if (seg.length < 1e-6 || std::hypot(b.x - a.x, b.y - a.y) < 1e-6) continue;
    s += seg.length;
    segs.push_back(seg);
  }
  return segs;
}

toolpath::Point PointOn(const PathSegment& seg, double t) {
  if (t <= 0) return {seg.x0, seg.y0};
  if (t >= 1) return {seg.x1, seg.y1};
  if (seg.b == 0) return {seg.x0 + t * (seg.x1 - seg.x0), seg.y0 + t * (seg.y1 - seg.y0)};
  const Arc arc = ArcOf(seg.x0, seg.y0, seg.x1, seg.y1, seg.b);
  const double a = arc.start + arc.sweep * t;
  return {arc.cx + arc.radius * std::cos(a), arc.cy + arc.radius * std::sin(a)};
}

toolpath::Point DirectionOn(const PathSegment& seg, double t) {
  if (seg.b == 0) {
    const double len = std::hypot(seg.x1 - seg.x0, seg.y1 - seg.y0);
    return {(seg.x1 - seg.x0) / len, (seg.y1 - seg.y0) / len};
  }
  const Arc arc = ArcOf(seg.x0, seg.y0, seg.x1, seg.y1, seg.b);
  const double a = arc.start + arc.sweep * t;
  return arc.sweep > 0 ? toolpath::Point{-std::sin(a), std::cos(a)}
                       : toolpath::Point{std::sin(a), -std::cos(a)};
}

PathSegment PartOf(const PathSegment& seg, double t0, double t1) {
  const toolpath::Point a = PointOn(seg, t0);
  const toolpath::Point b = PointOn(seg, t1);
  double bulge = 0;
  if (seg.b != 0) bulge = std::tan(4 * std::atan(seg.b) * (t1 - t0) / 4);
  return {a.x, a.y, b.x, b.y, bulge, std::abs(t1 - t0) * seg.length, seg.s + t0 * seg.length};
}

toolpath::Path Reversed(const toolpath::Path& path) {
  toolpath::Path out;
  out.closed = path.closed;
  const std::size_t n = path.v.size();
  out.v.reserve(n);
  if (path.closed) {
    // v0, vn-1, ..., v1: the segment from vk to vk-1 is the one vk-1 started.
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = (n - k) % n;
      const std::size_t before = (i + n - 1) % n;
      out.v.push_back({path.v[i].x, path.v[i].y, -path.v[before].bulge});
    }
  } else {
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = n - 1 - k;
      out.v.push_back({path.v[i].x, path.v[i].y, i > 0 ? -path.v[i - 1].bulge : 0.0});
    }
  }
  return out;
}

toolpath::Path StartedMidway(const toolpath::Path& path) {
  const std::size_t n = path.v.size();
  if (!path.closed || n < 2) return path;
  // The vertex starting the chosen segment.
  std::size_t best = n;
  double bestLength = -1;
  bool bestStraight = false;
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    const double length = SegmentLength(a.x, a.y, b.x, b.y, a.bulge);
    const bool straight = a.bulge == 0;
    if ((straight && !bestStraight) || (straight == bestStraight && length > bestLength)) {
      best = i;
      bestLength = length;
      bestStraight = straight;
    }
  }
  const toolpath::Vertex& a = path.v[best];
  const toolpath::Vertex& b = path.v[(best + 1) % n];
  const PathSegment seg{a.x, a.y, b.x, b.y, a.bulge, bestLength, 0};
  const PathSegment first = PartOf(seg, 0, 0.5);
  const PathSegment second = PartOf(seg, 0.5, 1);
  toolpath::Path out;
  out.closed = true;
  out.v.push_back({second.x0, second.y0, second.b});
  for (std::size_t k = 1; k < n; ++k) out.v.push_back(path.v[(best + k) % n]);
  out.v.push_back({a.x, a.y, first.b});
  return out;
}

double DistanceToSegment(const PathSegment& seg, double x, double y) {
  return SegmentDistance(seg, x, y);
}

double DistanceToPath(const toolpath::Path& path, double x, double y) {
  if (path.v.size() == 1) return std::hypot(path.v[0].x - x, path.v[0].y - y);
  double best = INFINITY;
  for (const PathSegment& seg : SegmentsOf(path)) best = std::min(best, SegmentDistance(seg, x, y));
  return best;
}

toolpath::Path LeadIn(double x, double y, double dx, double dy, double radius, bool left) {
  // The centre lies a radius to the chosen side; the arc turns towards it
  // (counter-clockwise to the left) and arrives running along the direction.
  const double nx = left ? -dy : dy;
  const double ny = left ? dx : -dx;
  const double bulge = (left ? 1 : -1) * std::tan(std::numbers::pi / 8);
  toolpath::Path lead;
  lead.v.push_back({x + radius * (nx - dx), y + radius * (ny - dy), bulge});
  lead.v.push_back({x, y, 0});
  return lead;
}

toolpath::Path LeadOut(double x, double y, double dx, double dy, double radius, bool left) {
  const double nx = left ? -dy : dy;
  const double ny = left ? dx : -dx;
  const double bulge = (left ? 1 : -1) * std::tan(std::numbers::pi / 8);
  toolpath::Path lead;
  lead.v.push_back({x, y, bulge});
  lead.v.push_back({x + radius * (nx + dx), y + radius * (ny + dy), 0});
  return lead;
}

double TabsDue(double length, int count, double spacing) {
  if (spacing > 0) return std::max(1.0, std::floor(length / spacing));
  return std::max(count, 0);
}

std::vector<double> CornersOf(const std::vector<PathSegment>& segs, bool closed) {
  // Turns up to this (radians, about 5 degrees) are no corner: tangent joins
  // of lines and arcs, rounding, curves drawn as fine chords.
  constexpr double kCornerTurn = 5 * std::numbers::pi / 180;
  std::vector<double> corners;
  const std::size_t n = segs.size();
  for (std::size_t i = closed ? 0 : 1; i < n; ++i) {
    const PathSegment& before = segs[(i + n - 1) % n];
    const toolpath::Point a = DirectionOn(before, 1);
    const toolpath::Point b = DirectionOn(segs[i], 0);
    const double turn = std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
    if (std::abs(turn) > kCornerTurn) corners.push_back(segs[i].s);
  }
  return corners;
}

std::vector<TabSpan> PlaceTabs(const std::vector<PathSegment>& segs, double length, bool closed,
                               int count, double spacing, double width) {
  std::vector<TabSpan> tabs;
  if (length <= 0 || width <= 0 || width >= length) return tabs;
  const double due = TabsDue(length, count, spacing);
  if (due < 1) return tabs;
  const auto n = static_cast<std::size_t>(due);
  const double pitch = length / static_cast<double>(n);
  const double shifts[] = {0, -length, length};
  const std::span<const double> wraps(shifts, closed ? 3 : 1);
  const std::vector<double> corners = CornersOf(segs, closed);
  // The stretches between corners long enough to hold a tab, as the ranges of
  // the tab's middle (on a closed path the last runs over the start).
  std::vector<std::pair<double, double>> smooth;
  if (!corners.empty()) {
    std::vector<double> ends = corners;
    if (closed) {
      ends.push_back(corners.front() + length);
    } else {
      ends.insert(ends.begin(), 0.0);
      ends.push_back(length);
    }
    for (std::size_t k = 0; k + 1 < ends.size(); ++k) {
      if (ends[k + 1] - ends[k] >= width)
        smooth.emplace_back(ends[k] + width / 2, ends[k + 1] - width / 2);
    }
  }
  // The tab whose middle lies at `centre`.
  auto spanAt = [&](double centre) {
    TabSpan tab{centre - width / 2, centre + width / 2};
    if (closed) {
      const double from = std::fmod(std::fmod(tab.from, length) + length, length);
      tab = {from, from + width};
    } else if (tab.from < 0 || tab.to > length) {
      tab = {std::max(0.0, tab.from), std::min(length, tab.to)};
    }
    return tab;
  };
  // Whether a corner lies within the tab, away from its ends.
  constexpr double kAtEnd = 1e-6;
  auto spansCorner = [&](const TabSpan& tab) {
    return std::ranges::any_of(corners, [&](double q) {
      const double into = closed ? Ahead(tab.from, q, length) : q - tab.from;
      return into > kAtEnd && into < tab.to - tab.from - kAtEnd;
    });
  };
  // The tabs come in order along the path (none moves by more than half a
  // pitch), so a tab can only overlap the one placed last, or on a closed
  // path the first.
  auto overlaps = [&](const TabSpan& tab) {
    auto overlap = [&](const TabSpan& t) {
      if (!closed) return tab.from < t.to && t.from < tab.to;
      return Ahead(t.from, tab.from, length) < t.to - t.from ||
             Ahead(tab.from, t.from, length) < tab.to - tab.from;
    };
    return !tabs.empty() && (overlap(tabs.back()) || overlap(tabs.front()));
  };
  for (std::size_t i = 0; i < n; ++i) {
    const double wanted = (static_cast<double>(i) + 0.5) * pitch;
    // The nearest place within half a pitch where the whole tab lies on one
    // straight segment.
    double centre = wanted;
    double nearest = pitch / 2;
    for (const PathSegment& seg : segs) {
      if (seg.b != 0 || seg.length < width) continue;
      const double lo = seg.s + width / 2;
      const double hi = seg.s + seg.length - width / 2;
      for (const double shift : wraps) {
        const double at = std::clamp(wanted + shift, lo, hi);
        const double off = std::abs(at - wanted - shift);
        if (off < nearest) {
          nearest = off;
          centre = at;
        }
      }
    }
    TabSpan tab = spanAt(centre);
    if (spansCorner(tab)) {
      // Across a corner: the nearest place on a stretch without one, within
      // half a pitch of where the tab was due, clear of the tab before it.
      double best = pitch / 2;
      for (const auto& [lo, hi] : smooth) {
        for (const double shift : wraps) {
          const double at = std::clamp(centre + shift, lo, hi);
          const double moved = std::abs(at - centre - shift) + std::abs(centre - wanted);
          const TabSpan candidate = spanAt(at);
          if (moved < best && !overlaps(candidate)) {
            best = moved;
            tab = candidate;
          }
        }
      }
    }
    if (!overlaps(tab)) tabs.push_back(tab);
  }
  return tabs;
}

}  // namespace kelvora::generators
