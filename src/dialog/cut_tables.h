// The router tab's cut-list grids (dataGridView3, 4, 5): rows in and out of the
// tables, the row buttons, and the checked build of the cuts. Each action returns
// the message to show, if any.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generators/cut_lists.h"
#include "text/outcome.h"
#include "ui/data_grid.h"
#include "ui/table.h"

namespace kelvora::dialog {

// "#" and the list's two columns: "Name","Y" / "Name","X" / "KichThuoc","SoLuong".
std::vector<std::string> CutTableColumns(generators::CutListKind kind);
// The column widths the list's grid shows, in column order.
std::vector<int> CutTableWidths(generators::CutListKind kind);

// The rows as the grid shows them (the cuts are built in this order).
std::vector<generators::CutRow> CutRowsOf(const ui::DataGrid& grid);
// The rows in the table's own order (Save writes this order).
std::vector<generators::CutRow> CutRowsInTableOrder(const ui::Table& table);

// Opening a file: the list is emptied, the rows appended and numbered.
void LoadCutRows(ui::DataGrid& grid, const std::vector<generators::CutRow>& rows);

// "Add": an empty row at the end. "Insert": an empty row above the first selected
// cell's row; nothing without rows or without a selected row. "Delete" (after the
// operator confirmed): removes the first selected cell's row. All renumber.
void AddCutRow(ui::DataGrid& grid);
void InsertCutRow(ui::DataGrid& grid);
void DeleteCutRow(ui::DataGrid& grid);

// Preview and GCodeGen: the list's grid check, then its cuts.
Outcome<geometry::DrawList> BuildCuts(generators::CutListKind kind, const ui::DataGrid& grid,
                                      const generators::CutListInputs& in);

}  // namespace kelvora::dialog
