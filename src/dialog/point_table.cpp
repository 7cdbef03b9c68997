#include "dialog/point_table.h"

#include <string>

#include "dialog/grid_numbers.h"

namespace kelvora::dialog {

ui::Table MakePointTable() {
  return ui::Table({"#", "Name", "X", "Y"});
}

void ConfigurePointGrid(ui::DataGrid& dataGridView1) {
  dataGridView1.SetColumnWidth("#", 50);
  dataGridView1.SetColumnWidth("Name", 90);
  dataGridView1.SetColumnWidth("X", 100);
  dataGridView1.SetColumnWidth("Y", 100);
  dataGridView1.SetRowHeadersVisible(false);
  dataGridView1.SetAllowUserToAddRows(false);
}

void AppendPointRows(ui::Table& dtResult, const std::vector<generators::PointRow>& rows) {
  for (const generators::PointRow& r : rows) {
    dtResult.AddRow({std::to_string(dtResult.RowCount() + 1), r.name, r.x, r.y});
  }
}

void ReplacePointRows(ui::DataGrid& dataGridView1, const std::vector<generators::PointRow>& rows) {
  ui::Table& dtResult = dataGridView1.GetTable();
  dtResult.Clear();
  AppendPointRows(dtResult, rows);
  UpdateGrdv(dataGridView1);
}

std::vector<generators::NumberedPoint> NumberedPointsOf(const ui::DataGrid& dataGridView1) {
  const std::size_t number = dataGridView1.ColumnIndex("#").value();
  const std::size_t name = dataGridView1.ColumnIndex("Name").value();
  const std::size_t x = dataGridView1.ColumnIndex("X").value();
  const std::size_t y = dataGridView1.ColumnIndex("Y").value();
  std::vector<generators::NumberedPoint> rows;
  rows.reserve(dataGridView1.RowCount());
  for (std::size_t r = 0; r < dataGridView1.RowCount(); ++r) {
    rows.push_back(
        {std::string(dataGridView1.Text(r, number)),
         {std::string(dataGridView1.Text(r, name)), std::string(dataGridView1.Text(r, x)),
          std::string(dataGridView1.Text(r, y))}});
  }
  return rows;
}

std::vector<generators::PointRow> PointRowsOf(const ui::DataGrid& dataGridView1) {
  std::vector<generators::PointRow> rows;
  for (generators::NumberedPoint& row : NumberedPointsOf(dataGridView1)) {
    rows.push_back(std::move(row.point));
  }
  return rows;
}

}  // namespace kelvora::dialog
