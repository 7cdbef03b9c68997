#include "geometry/dxf_outlines.h"

#include "geometry/dxf_wrapper.h"
#include "text/parse.h"

namespace kelvora::geometry {

std::vector<std::string> ParseLayerList(std::string_view text) {
  std::vector<std::string> layers;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view name = text::TrimBlanks(text.substr(0, comma));
    if (!name.empty()) layers.emplace_back(name);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return layers;
}

Outlines OutlinesOf(const CDxf& dxf, const OutlineOptions& options) {
  Outlines out;
  for (const dCPolyLine& p : dxf.PolyLines()) {
    auto poly = std::make_unique<CPolyLine>();
    poly->m_VertexCount = p.m_VertexCount;
    poly->m_PolyLineFlag = p.m_PolyLineFlag & kPolyLineClosed;
    poly->x.assign(p.x.begin(), p.x.begin() + p.m_VertexCount);
    poly->y.assign(p.y.begin(), p.y.begin() + p.m_VertexCount);
    poly->b.assign(p.b.begin(), p.b.begin() + p.m_VertexCount);
    out.contours.push_back(std::move(poly));
  }
  OrderContours(out.contours, options.order);
  return out;
}

Outcome<Outlines> ReadOutlines(const std::string& path, const OutlineOptions& options) {
  DxfWraper dxf;
  if (auto f = LoadDxf(dxf, path, 0)) return *f;
  return OutlinesOf(dxf.Reader(), options);
}

void OrderContours(DrawList& /*contours*/, ContourOrder /*order*/, double /*x0*/, double /*y0*/) {}

}  // namespace kelvora::geometry
