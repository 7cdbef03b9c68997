#include "dialog/teach_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvora::dialog {
namespace {

using generators::TeachOpLists;
using generators::TeachRow;
using ui::Cell;
using ui::CellPos;
using ui::DataGrid;
using ui::Table;

const TeachPosition kHere = {"1.000", "2.000", "3.000", "0.000", "0.000", "0.000"};

TeachOpLists Lists() {
  generators::TeachDefinitions defs{};
  defs[0] = "MOVE*G1";
  defs[1] = "Spin*M3";
  defs[2] = "Cool*M8";
  return generators::updateTchGrid(defs);
}

struct TeachGrid {
  Table table{TeachTableColumns()};
  DataGrid grid{"dataGridView2", table};
};

std::vector<std::string> Ops(const Table& t) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < t.RowCount(); ++r) out.emplace_back(ui::CellText(t.Get(r, 0)));
  return out;
}

TEST(TeachSignalLatchTest, EachPressActsOnce) {
  const TeachSignals none;
  TeachSignals record;
  record.record = true;
  TeachSignals op2;
  op2.op2 = true;
  TeachSignals recordAndOp1;
  recordAndOp1.record = true;
  recordAndOp1.op1 = true;
  TeachSignals op1AndOp3;
  op1AndOp3.op1 = true;
  op1AndOp3.op3 = true;
  using A = std::optional<TeachAction>;
  struct Step {
    TeachSignals in;
    A out;
  };
  const std::vector<Step> steps = {
      {none, std::nullopt},
      {record, TeachAction::kGetPos},
      {record, std::nullopt},  // held: nothing more
      {record, std::nullopt},
      {recordAndOp1, std::nullopt},  // a second signal while one is held
      {op2, std::nullopt},           // still not all released
      {none, std::nullopt},
      {op2, TeachAction::kSetOp2},
      {none, std::nullopt},
      {recordAndOp1, TeachAction::kGetPos},  // the record signal is looked at first
      {none, std::nullopt},
      {op1AndOp3, TeachAction::kSetOp1},
      {none, std::nullopt},
      {record, TeachAction::kGetPos},  // released and pressed again
  };
  TeachSignalLatch latch;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(latch.Step(steps[i].in), steps[i].out);
  }
}

TEST(TeachTableTest, HeldRecordSignalAddsExactlyOneRow) {
  TeachGrid g;
  EnterAutoMode(g.grid);
  ASSERT_EQ(g.table.RowCount(), 1u);
  EXPECT_FALSE(g.grid.AllowUserToAddRows());
  g.grid.SetCurrentCell({0, kTchOperation});
  TeachSignalLatch latch;
  TeachSignals record;
  record.record = true;
  const TeachOpLists lists = Lists();
  auto cycle = [&](const TeachSignals& s, const TeachPosition& at) {
    const auto action = latch.Step(s);
    if (action == TeachAction::kGetPos) {
      EXPECT_EQ(GetPos(g.grid, at), std::nullopt);
    }
    if (action == TeachAction::kSetOp1) {
      EXPECT_EQ(SetOp1(g.grid, lists), std::nullopt);
    }
  };
  for (int i = 0; i < 5; ++i) cycle(record, kHere);
  EXPECT_EQ(g.table.RowCount(), 2u);
  cycle({}, kHere);
  TeachSignals op1;
  op1.op1 = true;
  cycle(op1, kHere);
  cycle({}, kHere);
  cycle(record, {"4", "5", "6", "7", "8", "9"});
  ASSERT_EQ(g.table.RowCount(), 3u);
  EXPECT_EQ(ui::CellText(g.table.Get(0, kTchX)), "1.000");
  EXPECT_EQ(ui::CellText(g.table.Get(1, 0)), "MOVE");
  EXPECT_EQ(ui::CellText(g.table.Get(1, kTchX + 5)), "9");
  // The new last row waits for the next position, with its Operation cell selected.
  EXPECT_EQ(g.grid.SelectedCells(), (std::vector<CellPos>{{2, kTchOperation}}));
  EXPECT_EQ(g.grid.RowHeader(2), "3");
  // The waiting row is not part of the program.
  EXPECT_EQ(TeachProgramRows(g.grid).size(), 2u);
}

TEST(TeachTableTest, ActionsWithoutASelectedRow) {
  TeachGrid g;
  g.table.AddRow({"MOVE"});
  const TeachOpLists lists = Lists();
  TeachRowClipboard clip;
  EXPECT_EQ(GetPos(g.grid, kHere), std::string(kNoRowSelected));
  EXPECT_EQ(GetManual(g.grid, kHere), std::string(kNoRowSelected));
  EXPECT_EQ(SetOp2(g.grid, lists), std::string(kNoRowSelected));
  EXPECT_EQ(clip.Copy(g.grid), std::string(kNoRowSelected));
  EXPECT_EQ(clip.Paste(g.grid), std::string(kNoRowSelected));
  EXPECT_EQ(InsertTeachRow(g.grid), std::string(kPleaseSelectRow));
  EXPECT_EQ(DeleteTeachRow(g.grid), std::string(kPleaseSelectRow));
  g.grid.SetCurrentCell({1, 0});  // the new-row line
  EXPECT_EQ(DeleteTeachRow(g.grid), std::string(kPleaseSelectRow));
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"MOVE"}));
}

TEST(TeachTableTest, SetOpNamesTheFirstThreeDefinitions) {
  TeachGrid g;
  g.table.AddRow();
  g.grid.SetCurrentCell({0, 3});
  const TeachOpLists lists = Lists();
  EXPECT_EQ(SetOp3(g.grid, lists), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"Cool"}));
  EXPECT_EQ(SetOp2(g.grid, lists), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"Spin"}));
}

TEST(TeachTableTest, ManualGetOnTheNewRowLineStartsARow) {
  TeachGrid g;
  g.table.AddRow({"Spin", "9", {}, {}, {}, {}, {}, "100"});
  g.grid.SetCurrentCell({0, 0});
  EXPECT_EQ(GetManual(g.grid, kHere), std::nullopt);
  // Operation and feed stay.
  EXPECT_EQ(ui::CellText(g.table.Get(0, 0)), "Spin");
  EXPECT_EQ(ui::CellText(g.table.Get(0, kTchX)), "1.000");
  EXPECT_EQ(ui::CellText(g.table.Get(0, kTchFeed)), "100");
  g.grid.SetCurrentCell({1, 2});
  EXPECT_EQ(GetManual(g.grid, kHere), std::nullopt);
  ASSERT_EQ(g.table.RowCount(), 2u);
  EXPECT_EQ(ui::CellText(g.table.Get(1, kTchX + 2)), "3.000");
  EXPECT_FALSE(g.table.Get(1, 0).has_value());
  // In manual mode every table row is a step.
  EXPECT_EQ(TeachProgramRows(g.grid).size(), 2u);
}

TEST(TeachTableTest, CopiedRowIsPastedOnce) {
  TeachGrid g;
  g.table.AddRow({"MOVE", "1"});
  g.table.AddRow({"Spin"});
  g.table.AddRow({"Cool"});
  TeachRowClipboard clip;
  g.grid.SetCurrentCell({0, 1});
  EXPECT_EQ(clip.Copy(g.grid), std::nullopt);
  g.grid.SetCurrentCell({2, 0});
  EXPECT_EQ(clip.Paste(g.grid), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"MOVE", "Spin", "MOVE", "Cool"}));
  EXPECT_EQ(ui::CellText(g.table.Get(2, kTchX)), "1");
  EXPECT_EQ(g.grid.RowHeader(3), "4");
  EXPECT_EQ(clip.Paste(g.grid), std::string(kNoRowSelected));
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"MOVE", "Spin", "MOVE", "Cool"}));
  // Copy again to paste again; on the new-row line the row goes to the end.
  EXPECT_EQ(clip.Copy(g.grid), std::nullopt);
  g.grid.SetCurrentCell({4, 0});
  EXPECT_EQ(clip.Paste(g.grid), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"MOVE", "Spin", "MOVE", "Cool", "MOVE"}));
}

TEST(TeachTableTest, InsertAndDelete) {
  TeachGrid g;
  g.table.AddRow({"MOVE"});
  g.table.AddRow({"Spin"});
  g.grid.SetCurrentCell({1, 0});
  EXPECT_EQ(InsertTeachRow(g.grid), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"MOVE", "", "Spin"}));
  g.grid.SetCurrentCell({0, 0});
  EXPECT_EQ(DeleteTeachRow(g.grid), std::nullopt);
  EXPECT_EQ(Ops(g.table), (std::vector<std::string>{"", "Spin"}));
  EXPECT_EQ(g.grid.RowHeader(1), "2");
  EXPECT_EQ(g.grid.RowHeader(2), "3");  // the new-row line
}

TEST(TeachTableTest, FileRowsRoundTripThroughTheTable) {
  const TeachOpLists lists = Lists();
  TeachGrid g;
  g.table.AddRow({"MOVE", "1", {}, "", {}, {}, {}, "100"});
  g.table.AddRow({"Cool"});
  const std::string file = generators::WriteTchCsv(TeachRowsOf(g.table), lists);
  const generators::TeachCsvContent read = generators::LoadTchCsv(file, lists);
  ASSERT_TRUE(read.report.clean());

  TeachGrid back;
  back.table.AddRow({"Spin"});
  RemoveAllButLast(back.grid);
  EXPECT_EQ(back.table.RowCount(), 0u);
  AppendTeachRows(back.grid, read.rows);
  ASSERT_EQ(back.table.RowCount(), 2u);
  // An empty cell comes back as an empty text, not as a cell without a value.
  EXPECT_EQ(back.table.Get(0, kTchX + 1), Cell(""));
  EXPECT_EQ(TeachRowsOf(back.table), TeachRowsOf(g.table));
  EXPECT_EQ(back.grid.RowHeader(1), "2");
}

TEST(TeachTableTest, AutomaticModeKeepsTheWaitingRowOnNew) {
  TeachGrid g;
  g.table.AddRow({"MOVE"});
  g.table.AddRow({"Spin"});
  g.table.AddRow({"", "waiting"});
  EnterAutoMode(g.grid);
  RemoveAllButLast(g.grid);
  ASSERT_EQ(g.table.RowCount(), 1u);
  EXPECT_EQ(ui::CellText(g.table.Get(0, kTchX)), "waiting");
  EXPECT_TRUE(TeachProgramRows(g.grid).empty());
}

}  // namespace
}  // namespace kelvora::dialog
