#include "ui/table.h"

#include <stdexcept>

namespace kelvora::ui {

std::string_view CellText(const Cell& cell) {
  return cell ? std::string_view(*cell) : std::string_view();
}

bool IsEmptyCell(const Cell& cell) {
  return CellText(cell).empty();
}

Table::Table(std::vector<std::string> columnNames) : columns_(std::move(columnNames)) {}

std::optional<std::size_t> Table::ColumnIndex(std::string_view name) const {
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (columns_[c] == name) return c;
  }
  return std::nullopt;
}

const Cell& Table::Get(std::size_t row, std::size_t column) const {
  return rows_.at(row).at(column);
}

void Table::Set(std::size_t row, std::size_t column, Cell value) {
  rows_.at(row).at(column) = std::move(value);
  ++version_;
}

std::vector<Cell> Table::Fit(std::vector<Cell> cells) const {
  cells.resize(columns_.size());
  return cells;
}

std::size_t Table::AddRow(std::vector<Cell> cells) {
  rows_.push_back(Fit(std::move(cells)));
  ++version_;
  ++structureVersion_;
  return rows_.size() - 1;
}

void Table::InsertRow(std::size_t at, std::vector<Cell> cells) {
  if (at > rows_.size()) throw std::out_of_range("Table::InsertRow");
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), Fit(std::move(cells)));
  ++version_;
  ++structureVersion_;
}

void Table::RemoveRow(std::size_t row) {
  if (row >= rows_.size()) throw std::out_of_range("Table::RemoveRow");
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  ++version_;
  ++structureVersion_;
}

void Table::Clear() {
  rows_.clear();
  ++version_;
  ++structureVersion_;
}

void Table::SetColumnName(std::size_t column, std::string name) {
  columns_.at(column) = std::move(name);
  ++version_;
}

}  // namespace kelvora::ui
