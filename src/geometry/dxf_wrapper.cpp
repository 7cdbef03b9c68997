#include "geometry/dxf_wrapper.h"

namespace kelvora::geometry {

void DxfWraper::InitObjects() {
  lstLines.clear();
  lstPolyLines.clear();
  lstCircles.clear();
  for (const dCLine& l : _dxf->Lines()) {
    lstLines.push_back(std::make_unique<CLine>(UnitPoint(l.x1, l.y1), UnitPoint(l.x2, l.y2)));
  }
  for (const dCPolyLine& p : _dxf->PolyLines()) {
    auto poly = std::make_unique<CPolyLine>();
    poly->m_VertexCount = p.m_VertexCount;
    poly->m_PolyLineFlag = p.m_PolyLineFlag & kPolyLineClosed;
    poly->x.assign(p.x.begin(), p.x.begin() + p.m_VertexCount);
    poly->y.assign(p.y.begin(), p.y.begin() + p.m_VertexCount);
    poly->b.assign(p.b.begin(), p.b.begin() + p.m_VertexCount);
    lstPolyLines.push_back(std::move(poly));
  }
  for (const dCCircle& c : _dxf->Circles()) {
    lstCircles.push_back(std::make_unique<CCircle>(UnitPoint(c.cx, c.cy), c.radius, true));
  }
}

std::optional<Failure> LoadDxf(DxfWraper& dxf, const std::string& path) {
  if (!dxf.LoadFile(path)) return Failure{std::string(kLoadFileFailed), path};
  if (!dxf.Problem().empty()) {
    return Failure{std::string(kLoadFileFailed), path + ": " + dxf.Problem()};
  }
  dxf.InitObjects();
  return std::nullopt;
}

Outcome<DrawList> DxfObjGen(const std::string& path) {
  DxfWraper dxf;
  if (auto f = LoadDxf(dxf, path)) return *f;
  DrawList list;
  list.reserve(dxf.lstPolyLines.size());
  for (auto& p : dxf.lstPolyLines) list.push_back(std::move(p));
  return list;
}

}  // namespace kelvora::geometry
