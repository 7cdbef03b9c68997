// Checks and renumbering of the list grids. They walk the rows in the order the
// grid shows them (sorted or not) and return the message to show rather than
// showing it; the new-row line is not a row and is never checked, nor numbered
// in a "#" column.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/data_grid.h"

namespace kelvora::dialog {

// The message for a row with an empty checked cell: "Data Line:" + the row's "#"
// text + " wrong".
std::string DataLineWrong(std::string_view rowNumber);

// nullopt when every checked cell of every row shows text (a text that is not a
// number passes; an empty text and no value are both empty); otherwise the message
// for the first such row in display order. A grid with no rows passes.
std::optional<std::string> VerifyColumns(const ui::DataGrid& grid,
                                         const std::vector<std::size_t>& columns);

// The point list: "X" and "Y".
std::optional<std::string> VerifyGrdv(const ui::DataGrid& dataGridView1);
// Horizontal cuts: "Y".
std::optional<std::string> VerifyGrdv3(const ui::DataGrid& dataGridView3);
// Vertical cuts: "X".
std::optional<std::string> VerifyGrdv4(const ui::DataGrid& dataGridView4);
// Generated cuts: the second and third columns, by position.
std::optional<std::string> VerifyGrdv5(const ui::DataGrid& dataGridView5);

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
