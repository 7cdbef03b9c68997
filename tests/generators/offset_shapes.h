// Contours for the offset tests and the comparison with a polygon library: the
// shapes a router cuts (squares, slots, circles, L-shapes, stars, a part with a
// narrow waist), built as paths with bulges.
#pragma once

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "toolpath/path.h"

namespace kelvora::generators::testing {

inline toolpath::Path Closed(std::vector<toolpath::Vertex> v) {
  return toolpath::Path{std::move(v), true};
}
inline toolpath::Path Open(std::vector<toolpath::Vertex> v) {
  return toolpath::Path{std::move(v), false};
}

inline toolpath::Path Reversed(const toolpath::Path& p) {
  toolpath::Path r;
  r.closed = p.closed;
  const std::size_t n = p.v.size();
  if (p.closed) {
    // Vertex i's outgoing piece becomes vertex i+1's, run the other way.
    for (std::size_t k = 0; k < n; ++k) {
      const toolpath::Vertex& to = p.v[(n - k) % n];
      const toolpath::Vertex& from = p.v[(2 * n - k - 1) % n];
      r.v.push_back({to.x, to.y, -from.bulge});
    }
  } else {
    for (std::size_t k = 0; k < n; ++k) {
      const toolpath::Vertex& v = p.v[n - 1 - k];
      r.v.push_back({v.x, v.y, k + 1 < n ? -p.v[n - 2 - k].bulge : 0});
    }
  }
  return r;
}

inline toolpath::Path Rectangle(double w, double h) {
  return Closed({{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}});
}

// Two half circles of radius r joined by straight sides of length `length`,
// counter-clockwise.
inline toolpath::Path Slot(double length, double r) {
  return Closed({{0, -r, 0}, {length, -r, 1}, {length, r, 0}, {0, r, 1}});
}

// A circle as two half arcs, counter-clockwise.
inline toolpath::Path Circle(double cx, double cy, double r) {
  return Closed({{cx - r, cy, 1}, {cx + r, cy, 1}});
}

inline toolpath::Path LShape() {
  return Closed({{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {10, 10, 0}, {10, 20, 0}, {0, 20, 0}});
}

// A star of `points` points with tight inside corners.
inline toolpath::Path Star(int points, double outer, double inner) {
  toolpath::Path p;
  p.closed = true;
  for (int k = 0; k < 2 * points; ++k) {
    const double a = std::numbers::pi * k / points;
    const double r = k % 2 == 0 ? outer : inner;
    p.v.push_back({r * std::cos(a), r * std::sin(a), 0});
  }
  return p;
}

// Two 10 mm squares joined by a bar 10 mm long and 2 mm wide.
inline toolpath::Path Dumbbell() {
  return Closed({{0, 0, 0},
                 {10, 0, 0},
                 {10, 4, 0},
                 {20, 4, 0},
                 {20, 0, 0},
                 {30, 0, 0},
                 {30, 10, 0},
                 {20, 10, 0},
                 {20, 6, 0},
                 {10, 6, 0},
                 {10, 10, 0},
                 {0, 10, 0}});
}

// A rounded rectangle: corners of radius r as quarter arcs.
inline toolpath::Path RoundedRectangle(double w, double h, double r) {
  const double q = std::tan(std::numbers::pi / 8);
  return Closed({{r, 0, 0},
                 {w - r, 0, q},
                 {w, r, 0},
                 {w, h - r, q},
                 {w - r, h, 0},
                 {r, h, q},
                 {0, h - r, 0},
                 {0, r, q}});
}

// A square ring open on one side by a mouth 2 mm wide: grown by more than 1 mm
// the mouth closes and the inside becomes a hole.
inline toolpath::Path CShape() {
  return Closed({{0, 0, 0},
                 {20, 0, 0},
                 {20, 20, 0},
                 {0, 20, 0},
                 {0, 11, 0},
                 {4, 11, 0},
                 {4, 16, 0},
                 {16, 16, 0},
                 {16, 4, 0},
                 {4, 4, 0},
                 {4, 9, 0},
                 {0, 9, 0}});
}

// Three quarters of a circle about (3, 0) closed by its chord on x = 0: a
// bulge above 1.
inline toolpath::Path MajorArc() {
  return Closed({{0, -3, std::tan(3 * std::numbers::pi / 8)}, {0, 3, 0}});
}

inline toolpath::Path Zigzag() {
  return Open({{0, 0, 0}, {5, 5, 0}, {10, 0, 0}, {15, 5, 0}, {20, 0, 0}});
}

struct NamedShape {
  std::string name;
  toolpath::Path path;
};

// The closed shapes compared with the polygon library's buffer.
inline std::vector<NamedShape> ComparedShapes() {
  return {{"square", Rectangle(10, 10)},
          {"rectangle", Rectangle(20, 6)},
          {"slot", Slot(20, 5)},
          {"circle", Circle(3, 4, 5)},
          {"lshape", LShape()},
          {"star", Star(5, 10, 4)},
          {"dumbbell", Dumbbell()},
          {"rounded", RoundedRectangle(20, 12, 2)},
          {"cshape", CShape()},
          {"majorarc", MajorArc()},
          {"majorarc_cw", Reversed(MajorArc())},
          {"square_cw", Reversed(Rectangle(10, 10))}};
}

}  // namespace kelvora::generators::testing
