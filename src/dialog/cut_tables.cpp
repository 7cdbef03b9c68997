#include "dialog/cut_tables.h"

#include "dialog/grid_numbers.h"
#include "generators/list_checks.h"

namespace kelvora::dialog {

using generators::CutListKind;
using generators::CutRow;

namespace {

constexpr std::size_t kNumber = 0;  // "#"
constexpr std::size_t kFirst = 1;   // "Name" or "KichThuoc"
constexpr std::size_t kSecond = 2;  // position or "SoLuong"

std::optional<std::size_t> FirstSelectedLine(const ui::DataGrid& grid) {
  const std::vector<ui::CellPos> cells = grid.SelectedCells();
  if (cells.empty() || grid.IsNewRowLine(cells.front().row)) return std::nullopt;
  return cells.front().row;
}

void Renumber(ui::DataGrid& grid) {
  RenumberColumn(grid, "#");
}

// A new row: its number and two empty texts.
std::vector<ui::Cell> EmptyRow(const ui::Table& table) {
  return {std::to_string(table.RowCount() + 1), std::string(), std::string()};
}

}  // namespace

std::vector<std::string> CutTableColumns(CutListKind kind) {
  switch (kind) {
    case CutListKind::kHorizontal:
      return {"#", "Name", "Y"};
    case CutListKind::kVertical:
      return {"#", "Name", "X"};
    case CutListKind::kGenerated:
      return {"#", "KichThuoc", "SoLuong"};
  }
  return {};
}

std::vector<int> CutTableWidths(CutListKind kind) {
  return kind == CutListKind::kGenerated ? std::vector<int>{50, 100, 90}
                                         : std::vector<int>{50, 90, 100};
}

std::vector<CutRow> CutRowsOf(const ui::DataGrid& grid) {
  std::vector<CutRow> rows;
  rows.reserve(grid.RowCount());
  for (std::size_t line = 0; line < grid.RowCount(); ++line) {
    rows.push_back({std::string(grid.Text(line, kFirst)), std::string(grid.Text(line, kSecond)),
                    std::string(grid.Text(line, kNumber))});
  }
  return rows;
}

std::vector<CutRow> CutRowsInTableOrder(const ui::Table& table) {
  std::vector<CutRow> rows;
  rows.reserve(table.RowCount());
  for (std::size_t r = 0; r < table.RowCount(); ++r) {
    rows.push_back({std::string(ui::CellText(table.Get(r, kFirst))),
                    std::string(ui::CellText(table.Get(r, kSecond))),
                    std::string(ui::CellText(table.Get(r, kNumber)))});
  }
  return rows;
}

void LoadCutRows(ui::DataGrid& grid, const std::vector<CutRow>& rows) {
  ui::Table& table = grid.GetTable();
  table.Clear();
  for (const CutRow& r : rows) {
    table.AddRow({std::to_string(table.RowCount() + 1), r.first, r.second});
  }
  Renumber(grid);
}

void AddCutRow(ui::DataGrid& grid) {
  grid.GetTable().AddRow(EmptyRow(grid.GetTable()));
  Renumber(grid);
}

void InsertCutRow(ui::DataGrid& grid) {
  const auto line = FirstSelectedLine(grid);
  if (grid.GetTable().RowCount() == 0 || !line) return;
  grid.GetTable().InsertRow(grid.TableRow(*line), EmptyRow(grid.GetTable()));
  Renumber(grid);
}

void DeleteCutRow(ui::DataGrid& grid) {
  const auto line = FirstSelectedLine(grid);
  if (grid.GetTable().RowCount() == 0 || !line) return;
  grid.GetTable().RemoveRow(grid.TableRow(*line));
  Renumber(grid);
}

Outcome<geometry::DrawList> BuildCuts(CutListKind kind, const ui::DataGrid& grid,
                                      const generators::CutListInputs& in) {
  std::vector<CutRow> rows = CutRowsOf(grid);
  if (auto wrong = generators::FindCutWithEmptyCell(kind, rows)) return Failure{*wrong, {}};
  return generators::InitObjectCut(kind, rows, in);
}

}  // namespace kelvora::dialog
