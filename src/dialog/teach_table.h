// The teach tab's table (dataGridView2) and what acts on it: recording positions
// with Get and the automatic mode's signals, setting operations, adding,
// inserting, deleting, copying and pasting rows, and the rows handed to the
// teach file and program. Each action returns the message to show, if any.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/teach.h"
#include "ui/data_grid.h"
#include "ui/table.h"

namespace kelvora::dialog {

inline constexpr std::string_view kNoRowSelected = "No row selected!";
inline constexpr std::string_view kPleaseSelectRow = "Please select a row";

// Column positions of the teach table: Operation, X, Y, Z, A, B, C, feed.
inline constexpr std::size_t kTchOperation = 0;
inline constexpr std::size_t kTchX = 1;
inline constexpr std::size_t kTchFeed = 7;
inline constexpr std::size_t kTchColumnCount = 8;

// The column names, as the table and its headers carry them.
std::vector<std::string> TeachTableColumns();

// The texts of the position boxes txtTchX … txtTchC.
using TeachPosition = std::array<std::string, 6>;

// "Get" in manual mode: the new-row line is shown and the position goes into the
// X … C cells of the selected row (operation and feed untouched). On the new-row
// line the cells start a new row.
std::optional<std::string> GetManual(ui::DataGrid& dataGridView2, const TeachPosition& position);

// "Get_Auto": the new-row line is hidden (rows come only from the signals) and,
// when the table is empty, one empty row is added.
void EnterAutoMode(ui::DataGrid& dataGridView2);

// Renumbers, appends one empty row, and selects the new last row's Operation cell.
void AddRow(ui::DataGrid& dataGridView2);

// The automatic mode's record action: the position into the selected row's X … C
// cells, then AddRow.
std::optional<std::string> GetPos(ui::DataGrid& dataGridView2, const TeachPosition& position);

// The selected row's operation becomes the name of definition 1, 2 or 3.
std::optional<std::string> SetOp(ui::DataGrid& dataGridView2, const generators::TeachOpLists& lists,
                                 std::size_t definition);
std::optional<std::string> SetOp1(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists);
std::optional<std::string> SetOp2(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists);
std::optional<std::string> SetOp3(ui::DataGrid& dataGridView2,
                                  const generators::TeachOpLists& lists);

// "Insert": one empty row above the selected row; "Please select a row" without one.
std::optional<std::string> InsertTeachRow(ui::DataGrid& dataGridView2);
// "Delete" (after the operator confirmed): removes the selected row; "Please select
// a row" when nothing or the new-row line is selected.
std::optional<std::string> DeleteTeachRow(ui::DataGrid& dataGridView2);

// Copy and Paste of one row (cpydrRow). A copied row is pasted once; copy again to
// paste again.
class TeachRowClipboard {
 public:
  // Copies the selected row's values; "No row selected!" without a selected row.
  std::optional<std::string> Copy(const ui::DataGrid& dataGridView2);
  // Inserts the copied row above the selected row (at the end when the new-row
  // line is selected) and renumbers; "No row selected!" without a selected cell,
  // without a copied row, or when it was pasted already.
  std::optional<std::string> Paste(ui::DataGrid& dataGridView2);
  bool HasRow() const { return cpydrRow_.has_value(); }

 private:
  std::optional<std::vector<ui::Cell>> cpydrRow_;
};

// The table's rows in table order, as texts (a cell without a value is empty).
std::vector<generators::TeachRow> TeachRowsOf(const ui::Table& table);
// The rows the program is built from: every row of the table but its last one (the
// new-row line in manual mode, the row waiting for a position in automatic mode).
std::vector<generators::TeachRow> TeachProgramRows(const ui::DataGrid& dataGridView2);

// Opening a file or "New"/"Update": every row but the last one is removed (in
// manual mode the last line is the new-row line, so all rows go).
void RemoveAllButLast(ui::DataGrid& dataGridView2);
// Appends rows read from a teach file and renumbers.
void AppendTeachRows(ui::DataGrid& dataGridView2, const std::vector<generators::TeachRow>& rows);

// The automatic mode's input signals, in the order they are looked at.
struct TeachSignals {
  bool record = false;  // record the position and advance (GetPos)
  bool op1 = false;     // SetOp1
  bool op2 = false;     // SetOp2
  bool op3 = false;     // SetOp3
};

enum class TeachAction { kGetPos, kSetOp1, kSetOp2, kSetOp3 };

// The latch of the signals (GetBtn_pressed): the first active signal acts once;
// nothing acts again until all four have been seen released.
class TeachSignalLatch {
 public:
  std::optional<TeachAction> Step(const TeachSignals& signals);
  bool Pressed() const { return GetBtn_pressed_; }

 private:
  bool GetBtn_pressed_ = false;
};

}  // namespace kelvora::dialog
