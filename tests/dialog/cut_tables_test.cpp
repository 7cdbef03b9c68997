#include "dialog/cut_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/draw_obj.h"

namespace kelvora::dialog {
namespace {

using generators::CutListKind;
using generators::CutRow;
using ui::DataGrid;
using ui::SortOrder;
using ui::Table;

struct CutGrid {
  explicit CutGrid(CutListKind kind) : table(CutTableColumns(kind)), grid("grid", table) {
    grid.SetAllowUserToAddRows(false);
    grid.SetRowHeadersVisible(false);
  }
  Table table;
  DataGrid grid;
};

std::vector<std::string> Column(const Table& t, std::size_t c) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < t.RowCount(); ++r) out.emplace_back(ui::CellText(t.Get(r, c)));
  return out;
}

TEST(CutTables, SortedGridBuildsInDisplayOrderAndSavesInTableOrder) {
  CutGrid g(CutListKind::kHorizontal);
  LoadCutRows(g.grid, {{"a", "20"}, {"b", "100"}, {"c", "3"}});
  EXPECT_EQ(Column(g.table, 0), (std::vector<std::string>{"1", "2", "3"}));
  g.grid.Sort(2, SortOrder::kAscending);  // as text: "100" < "20" < "3"
  EXPECT_EQ(CutRowsOf(g.grid),
            (std::vector<CutRow>{{"b", "100", "2"}, {"a", "20", "1"}, {"c", "3", "3"}}));
  EXPECT_EQ(CutRowsInTableOrder(g.table),
            (std::vector<CutRow>{{"a", "20", "1"}, {"b", "100", "2"}, {"c", "3", "3"}}));
  generators::CutListInputs in;
  const auto cuts = BuildCuts(CutListKind::kHorizontal, g.grid, in);
  ASSERT_TRUE(cuts.ok());
  std::vector<double> ys;
  for (const auto& obj : *cuts) ys.push_back(static_cast<const geometry::CPolyLine&>(*obj).y[0]);
  EXPECT_EQ(ys, (std::vector<double>{100, 20, 3}));
}

TEST(CutTables, GridCheckComesFirst) {
  struct Case {
    CutListKind kind;
    std::vector<CutRow> rows;
    std::string message;
  };
  const std::vector<Case> cases = {
      {CutListKind::kHorizontal, {{"a", "1"}, {"b", ""}, {"c", ""}}, "Data Line:2 wrong"},
      {CutListKind::kVertical, {{"", ""}}, "Data Line:1 wrong"},
      {CutListKind::kGenerated, {{"10", "1"}, {"10", ""}}, "Data Line:2 wrong"},
      // Text that is not a number passes the check and is refused by the builder.
      {CutListKind::kGenerated, {{"10", "x"}}, "Data Line:1 wrong"},
  };
  for (const Case& c : cases) {
    CutGrid g(c.kind);
    LoadCutRows(g.grid, c.rows);
    const auto cuts = BuildCuts(c.kind, g.grid, {});
    ASSERT_FALSE(cuts.ok());
    EXPECT_EQ(cuts.failure().message, c.message);
  }
}

TEST(CutTables, ASortedRowIsNamedByItsNumberByCheckAndBuilderAlike) {
  // Loaded as #1 c, #2 a, #3 b; sorted by the first column, #2 is shown first.
  struct Case {
    const char* what;
    CutListKind kind;
    std::vector<CutRow> rows;
  };
  const std::vector<Case> cases = {
      {"empty cell, found by the grid check",
       CutListKind::kHorizontal,
       {{"c", "1"}, {"a", ""}, {"b", "2"}}},
      {"not a number, found by the builder",
       CutListKind::kHorizontal,
       {{"c", "1"}, {"a", "x"}, {"b", "2"}}},
      {"vertical list", CutListKind::kVertical, {{"c", "1"}, {"a", "x"}, {"b", "2"}}},
      {"generated list", CutListKind::kGenerated, {{"9", "1"}, {"10", "x"}, {"11", "2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CutGrid g(c.kind);
    LoadCutRows(g.grid, c.rows);
    g.grid.Sort(1, SortOrder::kAscending);
    ASSERT_EQ(g.grid.Text(0, 0), "2");
    const auto cuts = BuildCuts(c.kind, g.grid, {});
    ASSERT_FALSE(cuts.ok());
    EXPECT_EQ(cuts.failure().message, "Data Line:2 wrong");
  }
}

TEST(CutTables, RowButtons) {
  CutGrid g(CutListKind::kGenerated);
  InsertCutRow(g.grid);  // no rows: nothing
  DeleteCutRow(g.grid);
  EXPECT_EQ(g.table.RowCount(), 0u);
  AddCutRow(g.grid);
  AddCutRow(g.grid);
  g.table.Set(0, 1, std::string("100"));
  g.table.Set(1, 1, std::string("50"));
  InsertCutRow(g.grid);  // nothing selected: nothing
  EXPECT_EQ(g.table.RowCount(), 2u);
  g.grid.SetCurrentCell({1, 2});
  InsertCutRow(g.grid);
  EXPECT_EQ(Column(g.table, 1), (std::vector<std::string>{"100", "", "50"}));
  EXPECT_EQ(Column(g.table, 0), (std::vector<std::string>{"1", "2", "3"}));
  g.grid.SetCurrentCell({0, 0});
  DeleteCutRow(g.grid);
  EXPECT_EQ(Column(g.table, 1), (std::vector<std::string>{"", "50"}));
  EXPECT_EQ(Column(g.table, 0), (std::vector<std::string>{"1", "2"}));
}

}  // namespace
}  // namespace kelvora::dialog
