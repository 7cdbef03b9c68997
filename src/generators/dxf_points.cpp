#include "generators/dxf_points.h"

#include "geometry/dxf_wrapper.h"
#include "text/number_format.h"

namespace kelvora::generators {

std::vector<DxfPointRow> DxfCircleRows(
    const std::vector<std::unique_ptr<geometry::CCircle>>& circles) {
  std::vector<DxfPointRow> rows;
  rows.reserve(circles.size());
  for (const auto& c : circles) {
    rows.push_back({std::to_string(rows.size() + 1), std::string(),
                    text::FormatNumber(c->center.X, text::NumberFormat::kMax3),
                    text::FormatNumber(c->center.Y, text::NumberFormat::kMax3)});
  }
  return rows;
}

Outcome<std::vector<DxfPointRow>> DxfCircleRowsFromFile(const std::string& path) {
  geometry::DxfWraper dxf;
  if (auto f = geometry::LoadDxf(dxf, path, geometry::kDxfCircles)) return *f;
  return DxfCircleRows(dxf.lstCircles);
}

}  // namespace kelvora::generators
