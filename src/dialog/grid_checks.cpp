#include "dialog/grid_checks.h"

#include <stdexcept>

namespace kelvora::dialog {
namespace {

std::size_t Column(const ui::DataGrid& grid, std::string_view name) {
  const auto c = grid.ColumnIndex(name);
  if (!c) throw std::logic_error("grid " + grid.Name() + " has no column " + std::string(name));
  return *c;
}

}  // namespace

std::string DataLineWrong(std::string_view rowNumber) {
  return "Data Line:" + std::string(rowNumber) + " wrong";
}

std::optional<std::string> VerifyColumns(const ui::DataGrid& grid,
                                         const std::vector<std::size_t>& columns) {
  const auto number = grid.ColumnIndex("#");
  for (std::size_t row = 0; row < grid.RowCount(); ++row) {
    for (std::size_t column : columns) {
      if (!ui::IsEmptyCell(grid.Value(row, column))) continue;
      return DataLineWrong(number ? grid.Text(row, *number) : std::string_view());
    }
  }
  return std::nullopt;
}

std::optional<std::string> VerifyGrdv(const ui::DataGrid& dataGridView1) {
  return VerifyColumns(dataGridView1, {Column(dataGridView1, "X"), Column(dataGridView1, "Y")});
}

std::optional<std::string> VerifyGrdv3(const ui::DataGrid& dataGridView3) {
  return VerifyColumns(dataGridView3, {Column(dataGridView3, "Y")});
}

std::optional<std::string> VerifyGrdv4(const ui::DataGrid& dataGridView4) {
  return VerifyColumns(dataGridView4, {Column(dataGridView4, "X")});
}

std::optional<std::string> VerifyGrdv5(const ui::DataGrid& dataGridView5) {
  return VerifyColumns(dataGridView5, {1, 2});
}

void RenumberColumn(ui::DataGrid& grid, std::string_view column) {
  const std::size_t c = Column(grid, column);
  const std::vector<std::size_t> order = grid.DisplayOrder();
  ui::Table& table = grid.GetTable();
  for (std::size_t i = 0; i < order.size(); ++i) table.Set(order[i], c, std::to_string(i + 1));
}

void UpdateGrdv(ui::DataGrid& dataGridView1) {
  RenumberColumn(dataGridView1, "#");
}

void UpdateGrdv3(ui::DataGrid& dataGridView3) {
  RenumberColumn(dataGridView3, "#");
}

void UpdateGrdv4(ui::DataGrid& dataGridView4) {
  RenumberColumn(dataGridView4, "#");
}

void UpdateGrdv5(ui::DataGrid& dataGridView5) {
  RenumberColumn(dataGridView5, "#");
}

void UpdateGrdv2(ui::DataGrid& dataGridView2) {
  for (std::size_t line = 0; line < dataGridView2.LineCount(); ++line) {
    dataGridView2.SetRowHeader(line, std::to_string(line + 1));
  }
}

}  // namespace kelvora::dialog
