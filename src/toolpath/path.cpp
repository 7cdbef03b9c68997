#include "toolpath/path.h"

namespace kelvora::toolpath {

Path PathOf(const geometry::CPolyLine& polyline) {
  Path path;
  const std::uint32_t n = polyline.m_VertexCount;
  path.v.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    path.v.push_back({polyline.x[i], polyline.y[i], polyline.b[i]});
  }
  path.closed = polyline.IsClosed();
  if (path.v.size() > 1 && path.v.front().x == path.v.back().x &&
      path.v.front().y == path.v.back().y) {
    path.v.pop_back();
    path.closed = true;
  }
  return path;
}

std::unique_ptr<geometry::CPolyLine> PolyLineOf(const Path& path) {
  auto p = std::make_unique<geometry::CPolyLine>();
  p->m_VertexCount = static_cast<std::uint32_t>(path.v.size());
  for (const Vertex& v : path.v) {
    p->x.push_back(v.x);
    p->y.push_back(v.y);
    p->b.push_back(v.bulge);
  }
  p->m_PolyLineFlag = path.closed ? geometry::kPolyLineClosed : 0u;
  return p;
}

}  // namespace kelvora::toolpath
