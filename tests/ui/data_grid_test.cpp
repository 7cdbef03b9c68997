#include "ui/data_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::ui {
namespace {

Table Points(const std::vector<std::vector<Cell>>& rows) {
  Table t({"#", "Name", "X", "Y"});
  for (const auto& r : rows) t.AddRow(r);
  return t;
}

std::vector<std::string> Column(const DataGrid& g, std::size_t column) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < g.RowCount(); ++r) out.emplace_back(g.Text(r, column));
  return out;
}

TEST(Table, CellsHoldTextEmptyTextOrNoValue) {
  Table t({"#", "Name"});
  t.AddRow({"1"});  // the missing cell has no value
  t.AddRow({"2", "", "dropped"});
  EXPECT_EQ(t.ColumnCount(), 2u);
  EXPECT_FALSE(t.Get(0, 1).has_value());
  ASSERT_TRUE(t.Get(1, 1).has_value());
  EXPECT_EQ(*t.Get(1, 1), "");
  EXPECT_TRUE(IsEmptyCell(t.Get(0, 1)));
  EXPECT_TRUE(IsEmptyCell(t.Get(1, 1)));
  EXPECT_FALSE(IsEmptyCell(t.Get(0, 0)));
  EXPECT_EQ(t.ColumnIndex("Name"), 1u);
  EXPECT_EQ(t.ColumnIndex("X"), std::nullopt);
  EXPECT_THROW(t.Get(2, 0), std::out_of_range);
  EXPECT_THROW(t.RemoveRow(5), std::out_of_range);
}

TEST(DataGrid, SortsByColumnAsTextAndKeepsSortWhenCellsChange) {
  struct Case {
    const char* what;
    SortOrder order;
    std::vector<std::string> names;  // display order of the Name column
  };
  const std::vector<Case> cases = {
      {"table order", SortOrder::kNone, {"e", "d", "b", "a", "c"}},
      // "10" before "2" (text, not number); no value before the empty text; equal
      // texts keep their table order.
      {"ascending", SortOrder::kAscending, {"e", "d", "b", "c", "a"}},
      {"descending", SortOrder::kDescending, {"a", "b", "c", "d", "e"}},
  };
  for (const Case& c : cases) {
    Table t =
        Points({{"1", "e"}, {"2", "d", ""}, {"3", "b", "10"}, {"4", "a", "2"}, {"5", "c", "10"}});
    DataGrid g("dataGridView1", t);
    g.Sort(2, c.order);
    EXPECT_EQ(Column(g, 1), c.names) << c.what;
  }

  Table t = Points({{"1", "a", "3"}, {"2", "b", "1"}, {"3", "c", "2"}});
  DataGrid g("g", t);
  g.Sort(2, SortOrder::kAscending);
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ(g.TableRow(0), 1u);
  EXPECT_EQ(g.DisplayRow(0), 2u);
  // An edit of the sort column moves the row to its sorted place.
  EXPECT_EQ(g.SetValue(0, 2, "9"), 2u);
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"c", "a", "b"}));
  // Rows added to the table directly are placed by the sort too.
  t.AddRow({"4", "d", "0"});
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"d", "c", "a", "b"}));
}

TEST(DataGrid, NewRowLineAppendsARowWhenEdited) {
  Table t({"Operation", "X"});
  DataGrid g("dataGridView2", t);
  EXPECT_EQ(g.RowCount(), 0u);
  EXPECT_EQ(g.LineCount(), 1u);
  EXPECT_TRUE(g.IsNewRowLine(0));
  EXPECT_FALSE(g.Value(0, 1).has_value());
  EXPECT_EQ(g.SetValue(0, 1, "5"), 0u);
  EXPECT_EQ(t.RowCount(), 1u);
  EXPECT_EQ(g.LineCount(), 2u);
  EXPECT_FALSE(t.Get(0, 0).has_value());  // the other cell of the new row has no value
  EXPECT_TRUE(g.IsNewRowLine(1));

  g.SetAllowUserToAddRows(false);
  EXPECT_EQ(g.LineCount(), 1u);
  EXPECT_FALSE(g.IsNewRowLine(1));
  EXPECT_THROW(g.SetValue(1, 0, "x"), std::out_of_range);
}

TEST(DataGrid, SelectionAndCurrentCellFollowRowChanges) {
  Table t = Points({{"1"}, {"2"}, {"3"}});
  DataGrid g("g", t);
  g.SetAllowUserToAddRows(false);
  EXPECT_EQ(g.CurrentCell(), std::nullopt);
  EXPECT_EQ(g.FirstSelectedRow(), std::nullopt);

  EXPECT_TRUE(g.SetCurrentCell({2, 1}));
  EXPECT_TRUE(g.AddToSelection({0, 3}));
  // The cell picked last is the first selected one.
  EXPECT_EQ(g.FirstSelectedRow(), 0u);
  EXPECT_EQ(g.SelectedCells().size(), 2u);
  EXPECT_EQ(g.CurrentCell(), (CellPos{2, 1}));
  EXPECT_FALSE(g.SetCurrentCell({3, 0}));
  EXPECT_FALSE(g.AddToSelection({0, 4}));

  // Removing the last row moves the current cell onto the row that is now last.
  t.RemoveRow(2);
  EXPECT_EQ(g.CurrentCell(), (CellPos{1, 1}));
  t.Clear();
  EXPECT_EQ(g.CurrentCell(), std::nullopt);
  EXPECT_TRUE(g.SelectedCells().empty());

  t.AddRow({"1"});
  EXPECT_TRUE(g.SelectRow(0));
  EXPECT_EQ(g.SelectedCells().size(), 4u);
  EXPECT_EQ(g.CurrentCell(), (CellPos{0, 0}));
  g.ClearSelection();
  EXPECT_EQ(g.FirstSelectedRow(), std::nullopt);

  // A selection on the new-row line names no row.
  g.SetAllowUserToAddRows(true);
  EXPECT_TRUE(g.SetCurrentCell({1, 0}));
  EXPECT_EQ(g.FirstSelectedRow(), std::nullopt);
}

TEST(DataGrid, ColumnsAndRowHeaders) {
  Table t = Points({{"1"}, {"2"}});
  DataGrid g("dataGridView1", t);
  ASSERT_EQ(g.Columns().size(), 4u);
  EXPECT_EQ(g.Columns()[2].name, "X");
  EXPECT_EQ(g.Columns()[2].width, kDefaultColumnWidth);
  EXPECT_TRUE(g.SetColumnWidth("#", 50));
  EXPECT_FALSE(g.SetColumnWidth("Z", 50));
  EXPECT_EQ(g.Columns()[0].width, 50);

  EXPECT_TRUE(g.RowHeadersVisible());
  g.SetRowHeader(1, "2");
  EXPECT_EQ(g.RowHeader(1), "2");
  EXPECT_EQ(g.RowHeader(0), "");
  t.AddRow({"3"});
  EXPECT_EQ(g.RowHeader(1), "2");  // headers keep their line
  EXPECT_EQ(g.RowHeader(2), "");

  // A back-end shows row headers as a column of its own, so hiding them must reach
  // it as a change of the columns (the dialog hides them after the window exists).
  std::vector<Change> seen;
  g.onChanged = [&](Control&, Change c) { seen.push_back(c); };
  g.SetRowHeadersVisible(false);
  g.SetRowHeadersVisible(false);
  EXPECT_FALSE(g.RowHeadersVisible());
  EXPECT_EQ(seen, std::vector<Change>{Change::kItems});
}

}  // namespace
}  // namespace kelvora::ui
