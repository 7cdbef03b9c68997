// Points and bulge vertices in the plane: what the drawing reader's curve
// approximation produces and what every tool path is built of, one type each.
#pragma once

namespace kelvora::geometry {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A vertex of a path with the bulge of the segment that leaves it: 0 a straight
// line, positive counter-clockwise, negative clockwise, the tangent of a quarter
// of the arc's angle.
struct Vertex {
  double x = 0;
  double y = 0;
  double bulge = 0;
  Point point() const { return {x, y}; }
  friend bool operator==(const Vertex&, const Vertex&) = default;
};

}  // namespace kelvora::geometry
