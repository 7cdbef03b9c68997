#include "geometry/dxf_wrapper.h"

#include <algorithm>
#include <iterator>

namespace kelvora::geometry {

void DxfWraper::InitObjects(unsigned kinds) {
  lstLines.clear();
  lstPolyLines.clear();
  lstCircles.clear();
  if ((kinds & kDxfLines) != 0) InitLines();
  if ((kinds & kDxfPolyLines) != 0) InitPolyLines();
  if ((kinds & kDxfCircles) != 0) InitCircles();
}

void DxfWraper::InitLines() {
  lstLines.reserve(_dxf->Lines().size());
  for (const dCLine& l : _dxf->Lines()) {
    lstLines.push_back(std::make_unique<CLine>(UnitPoint(l.x1, l.y1), UnitPoint(l.x2, l.y2)));
  }
}

void DxfWraper::InitPolyLines() {
  lstPolyLines.reserve(_dxf->PolyLines().size());
  for (const dCPolyLine& p : _dxf->PolyLines()) lstPolyLines.push_back(PolyLineOf(p));
}

std::unique_ptr<CPolyLine> PolyLineOf(const dCPolyLine& p) {
  auto poly = std::make_unique<CPolyLine>();
  poly->m_VertexCount = p.m_VertexCount;
  poly->m_PolyLineFlag = p.m_PolyLineFlag & kPolyLineClosed;
  poly->x.assign(p.x.begin(), p.x.begin() + p.m_VertexCount);
  poly->y.assign(p.y.begin(), p.y.begin() + p.m_VertexCount);
  poly->b.assign(p.b.begin(), p.b.begin() + p.m_VertexCount);
  return poly;
}

void DxfWraper::InitCircles() {
  lstCircles.reserve(_dxf->Circles().size());
  for (const dCCircle& c : _dxf->Circles()) {
    lstCircles.push_back(std::make_unique<CCircle>(UnitPoint(c.cx, c.cy), c.radius, true));
  }
}

namespace {

// The units $INSUNITS declares, by their code.
constexpr std::string_view kUnitNames[] = {"",
                                           "inches",
                                           "feet",
                                           "miles",
                                           "millimetres",
                                           "centimetres",
                                           "metres",
                                           "kilometres",
                                           "microinches",
                                           "mils",
                                           "yards",
                                           "angstroms",
                                           "nanometres",
                                           "micrometres",
                                           "decimetres",
                                           "decametres",
                                           "hectometres",
                                           "gigametres",
                                           "astronomical units",
                                           "light years",
                                           "parsecs",
                                           "US survey feet",
                                           "US survey inches",
                                           "US survey yards",
                                           "US survey miles"};
constexpr long long kInchesCode = 1;
constexpr long long kMillimetresCode = 4;

}  // namespace

std::string ApplyDrawingUnits(CDxf& dxf, DrawingUnits units) {
  const long long declared = dxf.GetInsUnits();
  const bool inches = units == DrawingUnits::kInches ||
                      (units == DrawingUnits::kFromDrawing && declared == kInchesCode);
  if (inches) dxf.ScaleLengths(kMillimetresPerInch);
  // No header, or one that declares no unit (0), says nothing to compare.
  if (declared <= 0 || declared == (inches ? kInchesCode : kMillimetresCode)) return {};
  const std::string name = declared < static_cast<long long>(std::size(kUnitNames))
                               ? std::string(kUnitNames[declared])
                               : "of the code " + std::to_string(declared);
  return "The drawing's units are " + name + "; its numbers were read as " +
         (inches ? "inches" : "millimetres");
}

std::optional<Failure> LoadDxf(DxfWraper& dxf, const std::string& path, unsigned kinds,
                               DrawingUnits units, std::vector<std::string>* notes) {
  if (!dxf.LoadFile(path)) return Failure{std::string(kLoadFileFailed), path};
  if (!dxf.Problem().empty()) {
    return Failure{std::string(kLoadFileFailed), path + ": " + dxf.Problem()};
  }
  std::string note = ApplyDrawingUnits(*dxf._dxf, units);
  if (notes && !note.empty()) notes->push_back(std::move(note));
  dxf.InitObjects(kinds);
  return std::nullopt;
}

Outcome<DrawList> DxfObjGen(const std::string& path) {
  DxfWraper dxf;
  if (auto f = LoadDxf(dxf, path, kDxfPolyLines)) return *f;
  DrawList list;
  list.reserve(dxf.lstPolyLines.size());
  for (auto& p : dxf.lstPolyLines) list.push_back(std::move(p));
  return list;
}

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letters A to Z match either case; every other byte (UTF-8 names too) only itself.
bool SameLayerName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

bool LayerTaken(std::string_view layer, const std::vector<std::string>& layers) {
  if (layers.empty()) return true;
  return std::any_of(layers.begin(), layers.end(),
                     [layer](const std::string& name) { return SameLayerName(layer, name); });
}

Outcome<std::vector<std::unique_ptr<CCircle>>> DxfCirclesOnLayers(
    const std::string& path, const std::vector<std::string>& layers, DrawingUnits units,
    std::vector<std::string>* notes) {
  DxfWraper dxf;
  if (auto f = LoadDxf(dxf, path, kDxfCircles, units, notes)) return *f;
  // The objects are built one per record, in record order.
  const auto& records = dxf.Reader().Circles();
  std::vector<std::unique_ptr<CCircle>> taken;
  for (std::size_t i = 0; i < dxf.lstCircles.size() && i < records.size(); ++i) {
    if (LayerTaken(records[i].m_Layer, layers)) taken.push_back(std::move(dxf.lstCircles[i]));
  }
  return taken;
}

}  // namespace kelvora::geometry
