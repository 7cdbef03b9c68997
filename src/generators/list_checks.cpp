#include "generators/list_checks.h"

namespace kelvora::generators {

std::string DataLineWrong(std::string_view rowNumber) {
  return "Data Line:" + std::string(rowNumber) + " wrong";
}

std::vector<NumberedPoint> NumberPoints(const std::vector<PointRow>& rows) {
  std::vector<NumberedPoint> numbered;
  numbered.reserve(rows.size());
  for (const PointRow& row : rows) numbered.push_back({std::to_string(numbered.size() + 1), row});
  return numbered;
}

std::optional<std::string> FindPointWithoutXY(const std::vector<NumberedPoint>& rows) {
  for (const NumberedPoint& row : rows) {
    if (row.point.x.empty() || row.point.y.empty()) return DataLineWrong(row.number);
  }
  return std::nullopt;
}

std::optional<std::string> FindCutWithEmptyCell(CutListKind kind, const std::vector<CutRow>& rows) {
  // Horizontal and vertical cuts need their position; a name may be empty.
  const bool firstNeeded = kind == CutListKind::kGenerated;
  for (const CutRow& row : rows) {
    if ((firstNeeded && row.first.empty()) || row.second.empty()) return DataLineWrong(row.number);
  }
  return std::nullopt;
}

}  // namespace kelvora::generators
