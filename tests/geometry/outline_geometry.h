// Helpers of the outline tests: drawings written as group pairs, and the
// geometry of a contour (its area, the distance of a point from it) measured
// independently of the code under test.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "geometry/dxf_outlines.h"

namespace kelvora::geometry::outline_test {

using G = std::vector<std::pair<int, std::string>>;

inline std::string Num(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// A drawing: the layer table's entries, the blocks and the entities.
inline std::string Drawing(const G& entities, const G& blocks = {}, const G& layers = {}) {
  G all;
  if (!layers.empty()) {
    all.insert(all.end(), {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}});
    all.insert(all.end(), layers.begin(), layers.end());
    all.insert(all.end(), {{0, "ENDTAB"}, {0, "ENDSEC"}});
  }
  if (!blocks.empty()) {
    all.insert(all.end(), {{0, "SECTION"}, {2, "BLOCKS"}});
    all.insert(all.end(), blocks.begin(), blocks.end());
    all.push_back({0, "ENDSEC"});
  }
  all.insert(all.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
  all.insert(all.end(), entities.begin(), entities.end());
  all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
  std::string text;
  for (const auto& [code, value] : all) text += std::to_string(code) + "\n" + value + "\n";
  return text;
}

inline const CPolyLine& Contour(const Outlines& o, std::size_t i) {
  return static_cast<const CPolyLine&>(*o.contours.at(i));
}

struct Segment {
  double x0, y0, x1, y1, b;
};

inline std::vector<Segment> Segments(const CPolyLine& p) {
  std::vector<Segment> s;
  const std::size_t n = p.x.size();
  for (std::size_t i = 0; i + 1 < n; ++i)
    s.push_back({p.x[i], p.y[i], p.x[i + 1], p.y[i + 1], p.b[i]});
  if (p.IsClosed() && n > 1) s.push_back({p.x[n - 1], p.y[n - 1], p.x[0], p.y[0], p.b[n - 1]});
  return s;
}

// Signed area (counter-clockwise positive): the polygon of the vertices plus
// each arc's segment between its chord and the arc.
inline double Area(const CPolyLine& p) {
  double area = 0;
  for (const Segment& s : Segments(p)) {
    area += (s.x0 * s.y1 - s.x1 * s.y0) / 2;
    if (s.b == 0) continue;
    const double theta = 4 * std::atan(s.b);
    const double chord = std::hypot(s.x1 - s.x0, s.y1 - s.y0);
    const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
    const double segment = r * r / 2 * (std::fabs(theta) - std::sin(std::fabs(theta)));
    area += s.b > 0 ? segment : -segment;
  }
  return area;
}

// The distance of (x, y) from the nearest point of the contour.
inline double Deviation(const CPolyLine& p, double x, double y) {
  double best = INFINITY;
  for (const Segment& s : Segments(p)) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double len2 = dx * dx + dy * dy;
    if (s.b == 0 || len2 == 0) {
      const double t =
          len2 > 0 ? std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / len2, 0.0, 1.0) : 0;
      best = std::min(best, std::hypot(x - s.x0 - t * dx, y - s.y0 - t * dy));
      continue;
    }
    // The arc's centre lies on the chord's perpendicular: to the left for a
    // counter-clockwise arc of less than half a turn, to the right for a
    // clockwise one.
    const double theta = 4 * std::atan(s.b);
    const double chord = std::sqrt(len2);
    const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
    const double d = r * std::cos(theta / 2) * (theta > 0 ? 1 : -1);
    const double cx = (s.x0 + s.x1) / 2 - dy / chord * d;
    const double cy = (s.y0 + s.y1) / 2 + dx / chord * d;
    const double a0 = std::atan2(s.y0 - cy, s.x0 - cx);
    const double a = std::atan2(y - cy, x - cx);
    double along = theta > 0 ? a - a0 : a0 - a;
    along = std::fmod(along, 2 * std::numbers::pi);
    if (along < 0) along += 2 * std::numbers::pi;
    if (along <= std::fabs(theta)) {
      best = std::min(best, std::fabs(std::hypot(x - cx, y - cy) - r));
    } else {
      best = std::min({best, std::hypot(x - s.x0, y - s.y0), std::hypot(x - s.x1, y - s.y1)});
    }
  }
  return best;
}

// Points along the contour: every vertex and `per` - 1 more on each segment,
// on the arc for a bulged one.
inline std::vector<std::pair<double, double>> Samples(const CPolyLine& p, int per = 40) {
  std::vector<std::pair<double, double>> out;
  for (const Segment& s : Segments(p)) {
    const double theta = 4 * std::atan(s.b);
    for (int k = 0; k < per; ++k) {
      const double t = static_cast<double>(k) / per;
      if (s.b == 0) {
        out.emplace_back(s.x0 + t * (s.x1 - s.x0), s.y0 + t * (s.y1 - s.y0));
        continue;
      }
      // Turning the start about the centre by t of the arc's angle.
      const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
      const double chord = std::hypot(dx, dy);
      const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
      const double d = r * std::cos(theta / 2) * (theta > 0 ? 1 : -1);
      const double cx = (s.x0 + s.x1) / 2 - dy / chord * d;
      const double cy = (s.y0 + s.y1) / 2 + dx / chord * d;
      const double a = std::atan2(s.y0 - cy, s.x0 - cx) + t * theta;
      out.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
  }
  if (!p.IsClosed() && !p.x.empty()) out.emplace_back(p.x.back(), p.y.back());
  return out;
}

}  // namespace kelvora::geometry::outline_test
