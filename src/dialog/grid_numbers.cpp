#include "dialog/grid_numbers.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvora::dialog {
namespace {

std::size_t Column(const ui::DataGrid& grid, std::string_view name) {
  const auto c = grid.ColumnIndex(name);
  if (!c) throw std::logic_error("grid " + grid.Name() + " has no column " + std::string(name));
  return *c;
}

}  // namespace

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
