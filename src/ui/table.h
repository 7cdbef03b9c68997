// A list as the dialog keeps it: named columns of text cells. A cell holds a text,
// possibly empty, or no value at all (a row added without that cell). Grids show
// tables; the table knows nothing of display order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::ui {

// nullopt is "no value"; an empty string is a cell that holds an empty text.
using Cell = std::optional<std::string>;

// The text a cell shows: its text, or nothing for "no value".
std::string_view CellText(const Cell& cell);
// True when the cell shows no text, whether it holds "" or no value.
bool IsEmptyCell(const Cell& cell);

class Table {
 public:
  explicit Table(std::vector<std::string> columnNames = {});

  std::size_t ColumnCount() const { return columns_.size(); }
  std::size_t RowCount() const { return rows_.size(); }
  const std::string& ColumnName(std::size_t column) const { return columns_.at(column); }
  const std::vector<std::string>& ColumnNames() const { return columns_; }
  // Renames a column; its cells stay as they are.
  void SetColumnName(std::size_t column, std::string name);
  // Position of the column with this name, nullopt when there is none.
  std::optional<std::size_t> ColumnIndex(std::string_view name) const;

  // Cells by row and column position. Out-of-range positions throw
  // std::out_of_range: callers walk the rows they were given, so that is a bug.
  const Cell& Get(std::size_t row, std::size_t column) const;
  void Set(std::size_t row, std::size_t column, Cell value);

  // Appends a row; missing trailing cells have no value, extra cells are dropped.
  // Returns the new row's position.
  std::size_t AddRow(std::vector<Cell> cells = {});
  // Inserts a row before position `at` (at == RowCount() appends).
  void InsertRow(std::size_t at, std::vector<Cell> cells = {});
  void RemoveRow(std::size_t row);
  void Clear();

  // Increases with every change, so grids and back-ends can tell when to refresh.
  std::uint64_t Version() const { return version_; }
  // Increases only when rows are added, inserted, removed or cleared.
  std::uint64_t StructureVersion() const { return structureVersion_; }

 private:
  std::vector<Cell> Fit(std::vector<Cell> cells) const;

  std::vector<std::string> columns_;
  std::vector<std::vector<Cell>> rows_;
  std::uint64_t version_ = 0;
  std::uint64_t structureVersion_ = 0;
};

}  // namespace kelvora::ui
