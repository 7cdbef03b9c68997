#include "ui/data_grid.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace kelvora::ui {
namespace {

const Cell kNoValue;

// Cells compared as the sort sees them: no value first, then texts byte by byte.
int CompareCells(const Cell& a, const Cell& b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  const int c = a->compare(*b);
  return (c > 0) - (c < 0);
}

}  // namespace

DataGrid::DataGrid(std::string name, Table& table)
    : Control(ControlKind::kDataGrid, std::move(name)), table_(&table) {
  for (const std::string& column : table.ColumnNames()) {
    GridColumn c;
    c.name = column;
    columns_.push_back(std::move(c));
  }
}

std::optional<std::size_t> DataGrid::ColumnIndex(std::string_view name) const {
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (columns_[c].name == name) return c;
  }
  return std::nullopt;
}

bool DataGrid::SetColumnWidth(std::string_view name, int width) {
  const auto c = ColumnIndex(name);
  if (!c) return false;
  columns_[*c].width = width;
  return true;
}

void DataGrid::RenameColumn(std::size_t column, std::string name) {
  table_->SetColumnName(column, name);
  columns_.at(column).name = std::move(name);
  Notify(Change::kItems);
}

void DataGrid::SetColumnFont(std::size_t column, Font font) {
  columns_.at(column).font = std::move(font);
  Notify(Change::kStyle);
}

void DataGrid::SetColumnItems(std::size_t column, std::vector<std::string> items) {
  GridColumn& c = columns_.at(column);
  c.dropDown = true;
  c.items = std::move(items);
  Notify(Change::kItems);
}

void DataGrid::SetColumnMinimumWidth(std::size_t column, int width) {
  GridColumn& c = columns_.at(column);
  c.minimumWidth = width;
  c.width = std::max(c.width, width);
  Notify(Change::kBounds);
}

void DataGrid::Sync() const {
  if (syncedVersion_ == table_->Version()) return;
  syncedVersion_ = table_->Version();

  const std::size_t rows = table_->RowCount();
  order_.resize(rows);
  std::iota(order_.begin(), order_.end(), std::size_t{0});
  if (sortColumn_ && sortOrder_ != SortOrder::kNone) {
    const std::size_t column = *sortColumn_;
    const bool descending = sortOrder_ == SortOrder::kDescending;
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
      const int c = CompareCells(table_->Get(a, column), table_->Get(b, column));
      return descending ? c > 0 : c < 0;
    });
  }
  where_.assign(rows, 0);
  for (std::size_t d = 0; d < rows; ++d) where_[order_[d]] = d;

  const std::size_t lines = LineCount();
  headers_.resize(lines);
  // Cells beyond the last line move back to it (a removed last row leaves the
  // current cell on the row that is now last); nothing remains in an empty grid.
  auto clamp = [lines](CellPos cell) -> std::optional<CellPos> {
    if (lines == 0) return std::nullopt;
    cell.row = std::min(cell.row, lines - 1);
    return cell;
  };
  if (current_) current_ = clamp(*current_);
  std::vector<CellPos> kept;
  for (const CellPos& cell : selected_) {
    const auto c = clamp(cell);
    if (c && std::find(kept.begin(), kept.end(), *c) == kept.end()) kept.push_back(*c);
  }
  selected_ = std::move(kept);
}

std::size_t DataGrid::RowCount() const {
  return table_->RowCount();
}

std::size_t DataGrid::TableRow(std::size_t displayRow) const {
  Sync();
  return order_.at(displayRow);
}

std::size_t DataGrid::DisplayRow(std::size_t tableRow) const {
  Sync();
  return where_.at(tableRow);
}

std::vector<std::size_t> DataGrid::DisplayOrder() const {
  Sync();
  return order_;
}

const Cell& DataGrid::Value(std::size_t line, std::size_t column) const {
  if (IsNewRowLine(line)) {
    if (column >= columns_.size()) throw std::out_of_range("DataGrid::Value");
    return kNoValue;
  }
  return table_->Get(TableRow(line), column);
}

std::size_t DataGrid::SetValue(std::size_t line, std::size_t column, Cell value) {
  if (column >= columns_.size()) throw std::out_of_range("DataGrid::SetValue");
  std::size_t tableRow = 0;
  const bool added = IsNewRowLine(line);
  if (added) {
    tableRow = table_->AddRow();
  } else {
    tableRow = TableRow(line);
  }
  table_->Set(tableRow, column, std::move(value));
  if (added && onUserAddedRow) onUserAddedRow(*this, DisplayRow(tableRow));
  return DisplayRow(tableRow);
}

void DataGrid::ScrollToLine(std::size_t line) {
  if (LineCount() == 0) return;
  shownLine_ = std::min(line, LineCount() - 1);
  Notify(Change::kValue);
}

void DataGrid::Sort(std::size_t column, SortOrder order) {
  if (order != SortOrder::kNone && column >= columns_.size()) {
    throw std::out_of_range("DataGrid::Sort");
  }
  sortColumn_ = order == SortOrder::kNone ? std::nullopt : std::optional<std::size_t>(column);
  sortOrder_ = order;
  syncedVersion_ = ~table_->Version();
}

void DataGrid::SetAllowUserToAddRows(bool allow) {
  allowUserToAddRows_ = allow;
  syncedVersion_ = ~table_->Version();
}

std::string_view DataGrid::RowHeader(std::size_t line) const {
  Sync();
  return headers_.at(line);
}

void DataGrid::SetRowHeader(std::size_t line, std::string text) {
  Sync();
  headers_.at(line) = std::move(text);
}

bool DataGrid::InGrid(CellPos cell) const {
  return cell.row < LineCount() && cell.column < columns_.size();
}

std::optional<CellPos> DataGrid::CurrentCell() const {
  Sync();
  return current_;
}

bool DataGrid::SetCurrentCell(CellPos cell) {
  Sync();
  if (!InGrid(cell)) return false;
  current_ = cell;
  selected_.assign(1, cell);
  return true;
}

std::vector<CellPos> DataGrid::SelectedCells() const {
  Sync();
  return selected_;
}

bool DataGrid::AddToSelection(CellPos cell) {
  Sync();
  if (!InGrid(cell)) return false;
  std::erase(selected_, cell);
  selected_.insert(selected_.begin(), cell);
  return true;
}

bool DataGrid::SelectRow(std::size_t line) {
  Sync();
  if (line >= LineCount() || columns_.empty()) return false;
  selected_.clear();
  for (std::size_t c = columns_.size(); c-- > 0;) selected_.push_back({line, c});
  current_ = CellPos{line, 0};
  return true;
}

void DataGrid::ClearSelection() {
  Sync();
  selected_.clear();
}

std::optional<std::size_t> DataGrid::FirstSelectedRow() const {
  Sync();
  if (selected_.empty() || IsNewRowLine(selected_.front().row)) return std::nullopt;
  return selected_.front().row;
}

}  // namespace kelvora::ui
