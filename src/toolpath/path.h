// A tool path in the plane as the contour jobs build it before writing it: a
// chain of vertices, each with the bulge of the segment that leaves it (0 a
// straight line, positive counter-clockwise, negative clockwise, the tangent of
// a quarter of the arc's angle), open or closed.
#pragma once

#include <memory>
#include <vector>

#include "geometry/draw_obj.h"
#include "geometry/plane.h"

namespace kelvora::toolpath {

using geometry::Point;
using geometry::Vertex;

// A closed path does not repeat its first vertex at its end: its last vertex's
// bulge is that of the closing segment. An open path's last bulge is unused.
struct Path {
  std::vector<Vertex> v;
  bool closed = false;
};

// The path of a drawn polyline: its vertices in order; a closed polyline (or one
// whose last vertex repeats its first) becomes a closed path without the repeat.
Path PathOf(const geometry::CPolyLine& polyline);

// The polyline a path draws as (closed paths with their closed flag), for
// previews.
std::unique_ptr<geometry::CPolyLine> PolyLineOf(const Path& path);

}  // namespace kelvora::toolpath
