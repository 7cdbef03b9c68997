#include "dialog/teach_table.h"

#include "dialog/grid_numbers.h"

namespace kelvora::dialog {
namespace {

// The line of the first selected cell, which may be the new-row line.
std::optional<std::size_t> SelectedLine(const ui::DataGrid& grid) {
  const std::vector<ui::CellPos> cells = grid.SelectedCells();
  if (cells.empty()) return std::nullopt;
  return cells.front().row;
}

// Writes the position into X … C of `line`. On the new-row line the first value
// starts a table row; the later values follow that row wherever a sort puts it.
void WritePosition(ui::DataGrid& grid, std::size_t line, const TeachPosition& position) {
  for (std::size_t i = 0; i < position.size(); ++i) {
    line = grid.SetValue(line, kTchX + i, position[i]);
  }
}

// Where a row inserted "above the selected line" goes in the table.
std::size_t InsertPosition(const ui::DataGrid& grid, std::size_t line) {
  return grid.IsNewRowLine(line) ? grid.GetTable().RowCount() : grid.TableRow(line);
}

}  // namespace

std::vector<std::string> TeachTableColumns() {
  return {"Operation", "X", "Y", "Z", "A", "B", "C", "Fdrate"};
}

std::optional<std::string> GetManual(ui::DataGrid& dataGridView2, const TeachPosition& position) {
  dataGridView2.SetAllowUserToAddRows(true);
  const auto line = SelectedLine(dataGridView2);
  if (!line) return std::string(kNoRowSelected);
  WritePosition(dataGridView2, *line, position);
  return std::nullopt;
}

void EnterAutoMode(ui::DataGrid& dataGridView2) {
  dataGridView2.SetAllowUserToAddRows(false);
  if (dataGridView2.GetTable().RowCount() == 0) dataGridView2.GetTable().AddRow();
  UpdateGrdv2(dataGridView2);
}

void AddRow(ui::DataGrid& dataGridView2) {
  ui::Table& table = dataGridView2.GetTable();
  table.AddRow();
  UpdateGrdv2(dataGridView2);
  dataGridView2.ClearSelection();
  dataGridView2.SetCurrentCell({dataGridView2.DisplayRow(table.RowCount() - 1), kTchOperation});
}

std::optional<std::string> GetPos(ui::DataGrid& dataGridView2, const TeachPosition& position) {
  const auto line = SelectedLine(dataGridView2);
  if (!line) return std::string(kNoRowSelected);
  WritePosition(dataGridView2, *line, position);
  AddRow(dataGridView2);
  return std::nullopt;
}

std::optional<std::string> SetOp(ui::DataGrid& dataGridView2, const generators::TeachOpLists& lists,
                                 std::size_t definition) {
  const auto line = SelectedLine(dataGridView2);
  if (!line || definition < 1 || definition > lists.tempOpList.size()) {
    return std::string(kNoRowSelected);
  }
  dataGridView2.SetValue(*line, kTchOperation, lists.tempOpList[definition - 1]);
  return std::nullopt;
}

std::optional<std::string> SetOp1(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists) {
  return SetOp(dataGridView2, lists, 1);
}
std::optional<std::string> SetOp2(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists) {
  return SetOp(dataGridView2, lists, 2);
}
std::optional<std::string> SetOp3(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists) {
  return SetOp(dataGridView2, lists, 3);
}

std::optional<std::string> InsertTeachRow(ui::DataGrid& dataGridView2) {
  const auto line = SelectedLine(dataGridView2);
  if (!line) return std::string(kPleaseSelectRow);
  dataGridView2.GetTable().InsertRow(InsertPosition(dataGridView2, *line));
  UpdateGrdv2(dataGridView2);
  return std::nullopt;
}

std::optional<std::string> DeleteTeachRow(ui::DataGrid& dataGridView2) {
  const auto line = SelectedLine(dataGridView2);
  if (!line || dataGridView2.IsNewRowLine(*line)) return std::string(kPleaseSelectRow);
  dataGridView2.GetTable().RemoveRow(dataGridView2.TableRow(*line));
  UpdateGrdv2(dataGridView2);
  return std::nullopt;
}

std::optional<std::string> TeachRowClipboard::Copy(const ui::DataGrid& dataGridView2) {
  const auto line = SelectedLine(dataGridView2);
  if (!line) return std::string(kNoRowSelected);
  std::vector<ui::Cell> cells;
  for (std::size_t c = 0; c < dataGridView2.GetTable().ColumnCount(); ++c) {
    cells.push_back(dataGridView2.Value(*line, c));
  }
  cpydrRow_ = std::move(cells);
  return std::nullopt;
}

std::optional<std::string> TeachRowClipboard::Paste(ui::DataGrid& dataGridView2) {
  const auto line = SelectedLine(dataGridView2);
  if (!line || !cpydrRow_) return std::string(kNoRowSelected);
  dataGridView2.GetTable().InsertRow(InsertPosition(dataGridView2, *line), std::move(*cpydrRow_));
  cpydrRow_.reset();
  UpdateGrdv2(dataGridView2);
  return std::nullopt;
}

std::vector<generators::TeachRow> TeachRowsOf(const ui::Table& table) {
  std::vector<generators::TeachRow> rows;
  rows.reserve(table.RowCount());
  for (std::size_t r = 0; r < table.RowCount(); ++r) {
    generators::TeachRow row;
    row.operation = ui::CellText(table.Get(r, kTchOperation));
    for (std::size_t c = 0; c < generators::kTeachCellCount; ++c) {
      row.cells[c] = ui::CellText(table.Get(r, kTchX + c));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<generators::TeachRow> TeachProgramRows(const ui::DataGrid& dataGridView2) {
  std::vector<generators::TeachRow> rows = TeachRowsOf(dataGridView2.GetTable());
  if (!dataGridView2.AllowUserToAddRows() && !rows.empty()) rows.pop_back();
  return rows;
}

void RemoveAllButLast(ui::DataGrid& dataGridView2) {
  ui::Table& table = dataGridView2.GetTable();
  if (dataGridView2.AllowUserToAddRows()) {
    table.Clear();
  } else {
    while (table.RowCount() > 1) table.RemoveRow(0);
  }
  UpdateGrdv2(dataGridView2);
}

void AppendTeachRows(ui::DataGrid& dataGridView2, const std::vector<generators::TeachRow>& rows) {
  ui::Table& table = dataGridView2.GetTable();
  for (const generators::TeachRow& r : rows) {
    std::vector<ui::Cell> cells;
    cells.reserve(kTchColumnCount);
    cells.emplace_back(r.operation);
    for (const std::string& c : r.cells) cells.emplace_back(c);
    table.AddRow(std::move(cells));
  }
  UpdateGrdv2(dataGridView2);
}

std::optional<TeachAction> TeachSignalLatch::Step(const TeachSignals& signals) {
  std::optional<TeachAction> action;
  if (signals.record) {
    action = TeachAction::kGetPos;
  } else if (signals.op1) {
    action = TeachAction::kSetOp1;
  } else if (signals.op2) {
    action = TeachAction::kSetOp2;
  } else if (signals.op3) {
    action = TeachAction::kSetOp3;
  }
  if (!action) {
    GetBtn_pressed_ = false;
    return std::nullopt;
  }
  if (GetBtn_pressed_) return std::nullopt;
  GetBtn_pressed_ = true;
  return action;
}

}  // namespace kelvora::dialog
