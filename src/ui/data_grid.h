// A grid that shows a Table: its columns with widths, the order in which it shows
// the rows (table order, or sorted by one column as text), the current cell and
// the selection, the optional new-row line and the row headers.
//
// Everything that walks "the rows as the operator sees them" (grid checks,
// renumbering, Get, Copy/Paste, the program builders) walks the grid, not the
// table: a row's display position and its table position differ once the
// operator has sorted the grid.
//
// Positions:
// - A display row is 0 .. RowCount() - 1, in display order.
// - A line is a display row, or, when AllowUserToAddRows() is on, the new-row line
//   LineCount() - 1 == RowCount() after the last row. The new-row line holds no
//   table row; giving one of its cells a value appends a table row, which becomes
//   the last line shown and the new-row line moves below it.
// - Columns are positions in the table's column order.
//
// The grid follows its table: when the table changes (directly, or through the
// grid) the display order is rebuilt on the next access; a sort stays in force,
// so a row whose sort cell changes moves to its sorted place. The current cell and
// the selection are display positions; after rows are removed they are moved back
// into range (or dropped when the grid is empty). Row headers belong to display
// lines: they keep their line when rows change and are rewritten by renumbering.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/table.h"

namespace kelvora::ui {

inline constexpr int kDefaultColumnWidth = 100;

struct GridColumn {
  std::string name;  // the table column's name
  int width = kDefaultColumnWidth;
  std::optional<Font> font;  // the cells' font, when not the grid's own
  // A drop-down column offers these texts in each cell; a text column offers none.
  bool dropDown = false;
  std::vector<std::string> items;
  int minimumWidth = 0;  // the narrowest the operator can make it
};

// A cell by display line and column position.
struct CellPos {
  std::size_t row = 0;
  std::size_t column = 0;
  friend bool operator==(const CellPos&, const CellPos&) = default;
};

enum class SortOrder { kNone, kAscending, kDescending };

class DataGrid : public Control {
 public:
  // The grid shows `table`, which must outlive it. Columns are taken from the
  // table, one per table column, with the default width; row headers are shown
  // and the new-row line is on, as a fresh platform grid has them.
  DataGrid(std::string name, Table& table);

  Table& GetTable() { return *table_; }
  const Table& GetTable() const { return *table_; }

  // Columns.
  const std::vector<GridColumn>& Columns() const { return columns_; }
  std::optional<std::size_t> ColumnIndex(std::string_view name) const;
  // Returns false when no column has that name.
  bool SetColumnWidth(std::string_view name, int width);
  // Renames a column of the grid and of its table (the header shows the new name).
  void RenameColumn(std::size_t column, std::string name);
  void SetColumnFont(std::size_t column, Font font);
  // Makes a column a drop-down of `items` (the cells keep their texts).
  void SetColumnItems(std::size_t column, std::vector<std::string> items);
  void SetColumnMinimumWidth(std::size_t column, int width);

  // Rows and lines.
  std::size_t RowCount() const;
  std::size_t LineCount() const { return RowCount() + (allowUserToAddRows_ ? 1 : 0); }
  bool IsNewRowLine(std::size_t line) const { return allowUserToAddRows_ && line == RowCount(); }
  // The table position of a display row.
  std::size_t TableRow(std::size_t displayRow) const;
  // The display row of a table row.
  std::size_t DisplayRow(std::size_t tableRow) const;
  // The table positions of all rows, in display order.
  std::vector<std::size_t> DisplayOrder() const;

  // Cell values by display line. The new-row line's cells have no value.
  const Cell& Value(std::size_t line, std::size_t column) const;
  std::string_view Text(std::size_t line, std::size_t column) const {
    return CellText(Value(line, column));
  }
  // Sets a cell, as an edit in the grid does. On the new-row line this first
  // appends a table row (with no values) and sets its cell. Returns the display
  // row that now holds the value (it may move when the grid is sorted).
  std::size_t SetValue(std::size_t line, std::size_t column, Cell value);

  // Sorting by one column, comparing the cells' texts byte by byte ("10" comes
  // before "2"); a cell with no value comes before every text, also the empty one.
  // Rows with equal texts keep their table order. kNone shows table order.
  void Sort(std::size_t column, SortOrder order);
  std::optional<std::size_t> SortColumn() const { return sortColumn_; }
  SortOrder GetSortOrder() const { return sortOrder_; }

  // The new-row line.
  bool AllowUserToAddRows() const { return allowUserToAddRows_; }
  void SetAllowUserToAddRows(bool allow);

  // Row headers: whether they are shown, and their texts by display line.
  bool RowHeadersVisible() const { return rowHeadersVisible_; }
  // Showing or hiding the row headers adds or removes a column in a back-end's grid,
  // so it is told as a change of the columns.
  void SetRowHeadersVisible(bool visible) {
    if (visible == rowHeadersVisible_) return;
    rowHeadersVisible_ = visible;
    Notify(Change::kItems);
  }
  std::string_view RowHeader(std::size_t line) const;
  void SetRowHeader(std::size_t line, std::string text);

  // The current cell (where typing goes); nullopt when there is none.
  std::optional<CellPos> CurrentCell() const;
  // Makes `cell` current and the only selected cell, as clicking it does.
  // Returns false (and changes nothing) when the cell is outside the grid.
  bool SetCurrentCell(CellPos cell);
  // The selected cells, most recently selected first, as the platform's grid lists
  // them: "the first selected cell" is the one picked last.
  std::vector<CellPos> SelectedCells() const;
  // Adds a cell to the selection (as a control-click does) without moving the
  // current cell. Returns false when outside the grid.
  bool AddToSelection(CellPos cell);
  // Selects every cell of a line (as clicking its row header does) and makes its
  // first cell current.
  bool SelectRow(std::size_t line);
  void ClearSelection();
  // The display row of the first selected cell; nullopt when nothing is selected
  // or that cell lies on the new-row line.
  std::optional<std::size_t> FirstSelectedRow() const;

  // Scrolls so that `line` is shown; the back-end follows ShownLine().
  void ScrollToLine(std::size_t line);
  std::optional<std::size_t> ShownLine() const { return shownLine_; }

  // Raised after an edit on the new-row line started a row, with its display row.
  std::function<void(DataGrid&, std::size_t)> onUserAddedRow;

 private:
  void Sync() const;
  bool InGrid(CellPos cell) const;

  Table* table_;
  std::vector<GridColumn> columns_;
  bool allowUserToAddRows_ = true;
  bool rowHeadersVisible_ = true;
  std::optional<std::size_t> sortColumn_;
  SortOrder sortOrder_ = SortOrder::kNone;
  std::optional<std::size_t> shownLine_;

  // Rebuilt from the table when its version changes.
  mutable std::uint64_t syncedVersion_ = ~std::uint64_t{0};
  mutable std::vector<std::size_t> order_;  // display row -> table row
  mutable std::vector<std::size_t> where_;  // table row -> display row
  mutable std::vector<std::string> headers_;
  mutable std::optional<CellPos> current_;
  mutable std::vector<CellPos> selected_;  // most recent first
};

}  // namespace kelvora::ui
