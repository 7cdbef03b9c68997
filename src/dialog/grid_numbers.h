// Numbering of the list grids' rows in the order the grid shows them (sorted or
// not). The new-row line is not a row and is never numbered in a "#" column.
#pragma once

#include <string_view>

#include "ui/data_grid.h"

namespace kelvora::dialog {

// Writes 1, 2, 3, ... into the "#" cells in display order. The numbers are
// assigned to the rows first and written afterwards, so a grid sorted by "#"
// (which re-sorts as the cells change) still gets each row its display number.
void RenumberColumn(ui::DataGrid& grid, std::string_view column);
void UpdateGrdv(ui::DataGrid& dataGridView1);
void UpdateGrdv3(ui::DataGrid& dataGridView3);
void UpdateGrdv4(ui::DataGrid& dataGridView4);
void UpdateGrdv5(ui::DataGrid& dataGridView5);
// The teach grid has no "#" column: the numbers go into the row headers, the
// new-row line's included (it shows the number the next row will get).
void UpdateGrdv2(ui::DataGrid& dataGridView2);

}  // namespace kelvora::dialog
