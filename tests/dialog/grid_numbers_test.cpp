#include "dialog/grid_numbers.h"
#include "dialog/point_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvora::dialog {
namespace {

using ui::Cell;
using ui::DataGrid;
using ui::SortOrder;
using ui::Table;

Table Make(std::vector<std::string> columns, const std::vector<std::vector<Cell>>& rows) {
  Table t(std::move(columns));
  for (const auto& r : rows) t.AddRow(r);
  return t;
}

// The point grid hands its rows to the list check in display order, a cell with
// no value read as empty.
TEST(PointTable, RowsReachTheCheckInDisplayOrder) {
  struct Case {
    const char* what;
    std::vector<std::vector<Cell>> rows;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"all filled, names empty", {{"1", "", "0", "0"}, {"2", {}, "a", "b"}}, std::nullopt},
      {"X with no value", {{"1", "", {}, "0"}}, "Data Line:1 wrong"},
  };
  for (const Case& c : cases) {
    Table t = Make({"#", "Name", "X", "Y"}, c.rows);
    DataGrid g("dataGridView1", t);
    g.SetAllowUserToAddRows(false);
    EXPECT_EQ(generators::FindPointWithoutXY(NumberedPointsOf(g)), c.expected) << c.what;
  }

  // Sorted by "Name", row 3 is shown before row 2: its number is the one named.
  Table t = Make({"#", "Name", "X", "Y"},
                 {{"1", "c", "0", "0"}, {"2", "b", "", "0"}, {"3", "a", "0", ""}});
  DataGrid g("dataGridView1", t);
  g.Sort(1, SortOrder::kAscending);
  EXPECT_EQ(generators::FindPointWithoutXY(NumberedPointsOf(g)), "Data Line:3 wrong");
}

TEST(GridNumbers, RenumberingFollowsDisplayOrder) {
  struct Case {
    const char* what;
    std::size_t sortColumn;
    SortOrder order;
    std::vector<std::string> numbersByTableRow;
  };
  // Names a..l (12 rows) inserted in the order below; X holds numbers as text.
  const std::vector<Case> cases = {
      {"unsorted",
       0,
       SortOrder::kNone,
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
      // Sorted by Name descending: table row 0 ("l") is shown first.
      {"by name descending",
       1,
       SortOrder::kDescending,
       {"1", "12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2"}},
      // Sorted by "#" itself (1, 10, 11, 12, 2, ...): the numbers are assigned by
      // the order before the re-sort, so each row gets the place it was shown at.
      {"by number as text",
       0,
       SortOrder::kAscending,
       {"1", "5", "6", "7", "8", "9", "10", "11", "12", "2", "3", "4"}},
  };
  for (const Case& c : cases) {
    Table t({"#", "Name", "X", "Y"});
    const std::vector<std::string> names = {"l", "a", "b", "c", "d", "e",
                                            "f", "g", "h", "i", "j", "k"};
    for (std::size_t i = 0; i < names.size(); ++i) {
      t.AddRow({std::to_string(i + 1), names[i], "0", "0"});
    }
    DataGrid g("dataGridView1", t);
    g.Sort(c.sortColumn, c.order);
    UpdateGrdv(g);
    std::vector<std::string> got;
    for (std::size_t r = 0; r < t.RowCount(); ++r) got.emplace_back(*t.Get(r, 0));
    EXPECT_EQ(got, c.numbersByTableRow) << c.what;
  }
}

TEST(GridNumbers, RenumberingOfEachListAndTheTeachHeaders) {
  Table cuts = Make({"#", "Name", "Y"}, {{{}, "", "1"}, {"9", "", "2"}});
  DataGrid g3("dataGridView3", cuts);
  UpdateGrdv3(g3);
  EXPECT_EQ(*cuts.Get(0, 0), "1");
  EXPECT_EQ(*cuts.Get(1, 0), "2");

  Table teach({"Operation", "X", "Y", "Z", "A", "B", "C", "Fdrate"});
  teach.AddRow({"MOVE"});
  teach.AddRow({"M3"});
  DataGrid g2("dataGridView2", teach);  // shows its new-row line
  g2.SetRowHeader(2, "stale");
  UpdateGrdv2(g2);
  EXPECT_EQ(g2.RowHeader(0), "1");
  EXPECT_EQ(g2.RowHeader(1), "2");
  EXPECT_EQ(g2.RowHeader(2), "3");  // the new-row line is numbered too
}

TEST(PointTable, ReplacingRowsNumbersThemAndReadsBackInDisplayOrder) {
  Table dtResult = MakePointTable();
  DataGrid dataGridView1("dataGridView1", dtResult);
  ConfigurePointGrid(dataGridView1);
  EXPECT_EQ(dataGridView1.LineCount(), 0u);
  dtResult.AddRow({"1", "old", "9", "9"});
  ReplacePointRows(dataGridView1, {{"b", "1", "2"}, {"a", "3", ""}});
  ASSERT_EQ(dtResult.RowCount(), 2u);
  EXPECT_EQ(*dtResult.Get(1, 0), "2");
  EXPECT_EQ(generators::FindPointWithoutXY(NumberedPointsOf(dataGridView1)), "Data Line:2 wrong");
  dataGridView1.Sort(1, SortOrder::kAscending);
  const auto rows = PointRowsOf(dataGridView1);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (generators::PointRow{"a", "3", ""}));
}

}  // namespace
}  // namespace kelvora::dialog
