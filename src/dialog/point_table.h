// The point list's table and grid: columns "#", "Name", "X", "Y", shown without
// row headers and without a new-row line (rows come only from the buttons, files
// and the automatic grid).
#pragma once

#include <vector>

#include "generators/list_checks.h"
#include "generators/point_list.h"
#include "ui/data_grid.h"
#include "ui/table.h"

namespace kelvora::dialog {

// An empty point table, `dtResult`.
ui::Table MakePointTable();
// Sets up the grid that shows it: widths 50, 90, 100, 100, no row headers, no
// new-row line.
void ConfigurePointGrid(ui::DataGrid& dataGridView1);

// Appends rows with "#" = the running row count, as loading a file does.
void AppendPointRows(ui::Table& dtResult, const std::vector<generators::PointRow>& rows);

// Empties the table, appends the rows and numbers them: what loading a file or
// confirming the automatic grid does to the list (cancelling leaves it alone).
void ReplacePointRows(ui::DataGrid& dataGridView1, const std::vector<generators::PointRow>& rows);

// The rows in the order the grid shows them; a cell with no value reads as "".
std::vector<generators::PointRow> PointRowsOf(const ui::DataGrid& dataGridView1);
// The same rows with the text of their "#" cells, as the list's check takes them.
std::vector<generators::NumberedPoint> NumberedPointsOf(const ui::DataGrid& dataGridView1);

}  // namespace kelvora::dialog
