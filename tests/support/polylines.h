// Polylines as the drawing reader makes them, built from a list of vertices.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/draw_obj.h"

namespace kelvora::geometry::testing {

// A vertex and the bulge of the segment that starts at it (0: straight).
struct Vertex {
  double x, y, b = 0;
};

inline std::unique_ptr<CPolyLine> Polyline(const std::vector<Vertex>& vertices,
                                           bool closed = false) {
  auto p = std::make_unique<CPolyLine>();
  p->m_VertexCount = static_cast<std::uint32_t>(vertices.size());
  p->InitVertex(p->m_VertexCount);
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    p->x[i] = vertices[i].x;
    p->y[i] = vertices[i].y;
    p->b[i] = vertices[i].b;
  }
  if (closed) p->m_PolyLineFlag = kPolyLineClosed;
  return p;
}

}  // namespace kelvora::geometry::testing
