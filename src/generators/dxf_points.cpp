#include "generators/dxf_points.h"

#include <cmath>

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

Outcome<std::vector<DxfPointRow>> DxfCircleRowsFromFile(const std::string& path,
                                                        geometry::DrawingUnits units,
                                                        std::vector<std::string>* notes) {
  geometry::DxfWraper dxf;
  if (auto f = geometry::LoadDxf(dxf, path, geometry::kDxfCircles, units, notes)) return *f;
  // A centre past the largest number has no text a point list could hold.
  for (const auto& c : dxf.lstCircles) {
    if (!std::isfinite(c->center.X) || !std::isfinite(c->center.Y)) {
      return Failure{std::string(geometry::kNotFiniteNumber), "CIRCLE"};
    }
  }
  return DxfCircleRows(dxf.lstCircles);
}

}  // namespace kelvora::generators
