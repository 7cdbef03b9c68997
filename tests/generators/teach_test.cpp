#include "generators/teach.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::generators {
namespace {

TeachDefinitions Definitions(std::vector<std::string> first) {
  TeachDefinitions d{};
  for (std::size_t i = 0; i < first.size(); ++i) d[i] = first[i];
  return d;
}

TeachRow Row(std::string op, std::array<std::string, kTeachCellCount> cells = {}) {
  return TeachRow{std::move(op), std::move(cells)};
}

TEST(TeachDefinitionsTest, SplitRules) {
  struct Case {
    std::string definition, name, value;
  };
  const std::vector<Case> cases = {
      {"Op1*Op1Val", "Op1", "Op1Val"},
      {"MOVE*G1", "MOVE", "G1"},
      {"Drill*G81R1\r\nG80", "Drill", "G81R1\r\nG80"},
      // A name typed with "*" is cut there; the rest of it becomes the value.
      {"A*B*C", "A", "B"},
      {"*G0", "", "G0"},
      {"Spindle*", "Spindle", ""},
      {"NoStar", "NoStar", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definition);
    const auto [name, value] = SplitTeachDefinition(c.definition);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(value, c.value);
  }
}

TEST(TeachDefinitionsTest, ListsKeepEveryPositionAndFillDefaults) {
  TeachDefinitions defs = Definitions({"MOVE*G1", "", "Cool", "MOVE*G0", "Stop*M5"});
  const TeachOpLists lists = updateTchGrid(defs);
  EXPECT_EQ(defs[1], "Op2*Op2Val");
  EXPECT_EQ(defs[9], "Op10*Op10Val");
  ASSERT_EQ(lists.tempOpList.size(), 10u);
  ASSERT_EQ(lists.Oplist.size(), 10u);
  EXPECT_EQ(lists.tempOpList[0], "MOVE");
  EXPECT_EQ(lists.tempOpList[2], "Cool");
  EXPECT_EQ(lists.tempOpList[3], "MOVE");
  EXPECT_EQ(lists.tempOpList[9], "Op10");
  // The first definition of a repeated name gives its value and position.
  EXPECT_EQ(*lists.ValueOf("MOVE"), "G1");
  EXPECT_EQ(lists.PositionOf("MOVE"), 0);
  EXPECT_EQ(*lists.ValueOf("Cool"), "");
  EXPECT_EQ(lists.PositionOf("Stop"), 4);
  EXPECT_EQ(lists.ValueOf("Nothing"), nullptr);
  EXPECT_EQ(lists.PositionOf("Nothing"), -1);
  EXPECT_EQ(lists.Oplist[3], (std::pair<std::string, std::string>{"MOVE", "G0"}));
}

TEST(TeachDefinitionsTest, UpdateStoresNameStarValue) {
  TeachDefinitions defs{};
  updateTchGrid(defs);
  UpdateTeachDefinition(defs, std::nullopt, "X", "Y");
  UpdateTeachDefinition(defs, 10, "X", "Y");
  EXPECT_EQ(defs[0], "Op1*Op1Val");
  UpdateTeachDefinition(defs, 1, "Drill", "G81\r\nG80");
  // A name typed with "*" is cut there and its rest becomes the value; a value
  // with "*" is cut at its first "*".
  UpdateTeachDefinition(defs, 2, "A*B", "val");
  UpdateTeachDefinition(defs, 3, "Cut", "G1*X");
  const TeachOpLists lists = updateTchGrid(defs);
  EXPECT_EQ(lists.Oplist[1], (std::pair<std::string, std::string>{"Drill", "G81\r\nG80"}));
  EXPECT_EQ(lists.Oplist[2], (std::pair<std::string, std::string>{"A", "B"}));
  EXPECT_EQ(lists.Oplist[3], (std::pair<std::string, std::string>{"Cut", "G1"}));
}

TEST(TeachCsv, RoundTrip) {
  TeachDefinitions defs = Definitions({"MOVE*G1", "Spin*M3"});
  const TeachOpLists lists = updateTchGrid(defs);
  const std::vector<TeachRow> rows = {
      Row("MOVE", {"1.000", "2.000", "", "", "", "", "100"}),
      Row("Spin"),
      Row("Op7", {"a,b", "say \"hi\"", "", "", "", "", ""}),
  };
  const std::string file = WriteTchCsv(rows, lists);
  EXPECT_EQ(file,
            "Operation,X,Y,Z,A,B,C,F\r\n0,1.000,2.000,,,,,100\r\n1,,,,,,,\r\n"
            "6,\"a,b\",\"say \"\"hi\"\"\",,,,,\r\n");
  const TeachCsvContent back = LoadTchCsv(file, lists);
  EXPECT_EQ(back.rows, rows);
  EXPECT_TRUE(back.report.clean());
}

TEST(TeachCsv, WritingSkipsRowsWithoutOperationAndMarksUnknownNames) {
  TeachDefinitions defs{};
  const TeachOpLists lists = updateTchGrid(defs);
  const std::string file =
      WriteTchCsv({Row(""), Row("Gone", {"1", "", "", "", "", "", ""}), Row("Op2")}, lists);
  EXPECT_EQ(file, "Operation,X,Y,Z,A,B,C,F\r\n-1,1,,,,,,\r\n1,,,,,,,\r\n");
}

TEST(TeachCsv, DefinitionsChangedBetweenSaveAndLoad) {
  TeachDefinitions before = Definitions({"MOVE*G1", "Spin*M3"});
  const std::string file =
      WriteTchCsv({Row("Spin"), Row("MOVE", {"1", "", "", "", "", "", ""})}, updateTchGrid(before));
  TeachDefinitions after = Definitions({"GO*G0", "Laser*M10"});
  const TeachCsvContent back = LoadTchCsv(file, updateTchGrid(after));
  ASSERT_EQ(back.rows.size(), 2u);
  EXPECT_EQ(back.rows[0].operation, "Laser");
  EXPECT_EQ(back.rows[1].operation, "GO");
  EXPECT_EQ(back.rows[1].cells[0], "1");
}

TEST(TeachCsv, ReadingRules) {
  TeachDefinitions defs{};
  const TeachOpLists lists = updateTchGrid(defs);
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> ops;
    std::vector<int> skipped;
    int stoppedAt = 0;
    int ignoredFirst = 0;
  };
  const std::string h = "Operation,X,Y,Z,A,B,C,F\r\n";
  const std::vector<Case> cases = {
      {"header only", h, {}, {}},
      {"seven fields skipped, nine use the first eight",
       h + "0,1,2,3,4,5,6\r\n1,1,2,3,4,5,6,7,8,9\r\n",
       {"Op2"},
       {2}},
      {"empty middle line ends the reading", h + "0,,,,,,,\r\n\r\n1,,,,,,,\r\n", {"Op1"}, {}, 0, 4},
      {"position not a number ends the reading",
       h + "0,,,,,,,\r\nx,,,,,,,\r\n1,,,,,,,\r\n",
       {"Op1"},
       {},
       3},
      {"position outside the list ends the reading",
       h + "2,,,,,,,\r\n10,,,,,,,\r\n1,,,,,,,\r\n",
       {"Op3"},
       {},
       3},
      {"position -1 (a name that was not defined) ends the reading",
       h + "-1,,,,,,,\r\n",
       {},
       {},
       2},
      {"short line before a bad position", h + "0,1\r\n-5,,,,,,,\r\n", {}, {2}, 3},
      {"CR-only line ends",
       "Operation,X,Y,Z,A,B,C,F\r0,1,2,3,4,5,6,7\r1,,,,,,,\r",
       {"Op1", "Op2"},
       {}},
      {"CR-only empty line ends the reading",
       "Operation,X,Y,Z,A,B,C,F\r0,,,,,,,\r\r1,,,,,,,\r",
       {"Op1"},
       {},
       0,
       4},
      {"a quoted cell across a line end keeps the line numbers",
       h + "0,\"1\r\n\",,,,,,\r\n1,2\r\n",
       {"Op1"},
       {4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TeachCsvContent r = LoadTchCsv(c.content, lists);
    std::vector<std::string> ops;
    for (const TeachRow& row : r.rows) ops.push_back(row.operation);
    EXPECT_EQ(ops, c.ops);
    EXPECT_EQ(r.report.skipped, c.skipped);
    EXPECT_EQ(r.report.stoppedAt, c.stoppedAt);
    EXPECT_EQ(r.report.ignoredFirst, c.ignoredFirst);
  }
  const TeachCsvContent nine = LoadTchCsv(h + "1,1,2,3,4,5,6,7,8,9\r\n", lists);
  EXPECT_EQ(nine.rows.at(0).cells,
            (std::array<std::string, kTeachCellCount>{"1", "2", "3", "4", "5", "6", "7"}));
  const TeachCsvContent stopped = LoadTchCsv(h + "0,,,,,,,\r\nx,,,,,,,\r\n", lists);
  EXPECT_EQ(stopped.report.Messages().at(0).substr(0, 24), "Reading ended at line 3:");
}

TEST(TeachProgramTest, WorkedExample) {
  TeachDefinitions defs = Definitions({"MOVE*G1"});
  const TeachOpLists lists = updateTchGrid(defs);
  const TeachProgram p = BuildTeachProgram("G91G21", "M30",
                                           {Row("MOVE", {"1", "2", "0", "0", "0", "0", "100"}),
                                            Row("MOVE", {"3", "4", "0", "0", "0", "0", ""})},
                                           lists)
                             .value();
  EXPECT_EQ(p.text, "G91G21\r\nG1X1Y2Z0A0B0C0F100\r\nG1X3Y4Z0A0B0C0\r\nM30\r\n");
  EXPECT_TRUE(p.reports.empty());
}

TEST(TeachProgramTest, Cases) {
  TeachDefinitions defs = Definitions({"MOVE*G1", "Spin*M3S1000\r\nG4P2", "", "MOVE*G0"});
  const TeachOpLists lists = updateTchGrid(defs);
  struct Case {
    const char* name;
    std::vector<TeachRow> rows;
    std::string body;
    std::vector<std::string> reports;
  };
  const std::string noFeed(kNoFeedrate);
  const std::vector<Case> cases = {
      {"no rows", {}, "", {noFeed}},
      {"empty Y gives no Y word",
       {Row("MOVE", {"1.000", "", "-2.500", "", "", "", "80"})},
       "G1X1.000Z-2.500F80\r\n",
       {}},
      {"other operations ignore positions and feed",
       {Row("Spin", {"1", "2", "3", "4", "5", "6", "7"})},
       "M3S1000\r\nG4P2\r\n",
       {noFeed}},
      {"feed in the first of three rows only: it stays in force",
       {Row("MOVE", {"1", "", "", "", "", "", "50"}), Row("MOVE", {"2", "", "", "", "", "", ""}),
        Row("MOVE", {"3", "", "", "", "", "", ""})},
       "G1X1F50\r\nG1X2\r\nG1X3\r\n",
       {}},
      {"a repeated name is the motion and takes the first value",
       {Row("MOVE", {"", "", "", "", "", "", "9"})},
       "G1F9\r\n",
       {}},
      {"rows without a defined operation are left out and reported",
       {Row("", {"1", "", "", "", "", "", "100"}), Row("MOVE", {"1", "", "", "", "", "", "100"}),
        Row("Gone")},
       "G1X1F100\r\n",
       {"Row 1 left out: it has no operation",
        "Row 3 left out: the operation \"Gone\" is not defined"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TeachProgram p = BuildTeachProgram("G91G21", "M30", c.rows, lists).value();
    EXPECT_EQ(p.text, "G91G21\r\n" + c.body + "M30\r\n");
    EXPECT_EQ(p.reports, c.reports);
  }
}

// A control refuses a feed move with no feed in force, and a feed of 0: the row
// that would write one is refused; a feed set before it (in the prefix, an
// earlier row or an operation's own text) is in force.
TEST(TeachProgramTest, AFeedMoveWithoutAFeedRefusesItsRow) {
  TeachDefinitions defs =
      Definitions({"MOVE*G1", "Rapid*G0X0Y0", "Cut*G1X5", "Slow*F20", "Note*(G1X1)", "Halt*F0"});
  const TeachOpLists lists = updateTchGrid(defs);
  auto move = [](std::string x, std::string f) {
    return Row("MOVE", {std::move(x), "", "", "", "", "", std::move(f)});
  };
  struct Case {
    const char* what;
    std::string prefix;
    std::vector<TeachRow> rows;
    const char* refused;  // nullptr: the program is made
  };
  const std::vector<Case> cases = {
      {"first move without a feed",
       "G91G21",
       {move("1", ""), move("2", "100")},
       "Data Line:1 wrong"},
      {"a rapid between moves keeps the feed",
       "G91G21",
       {move("1", "100"), Row("Rapid"), move("2", "")},
       nullptr},
      {"feed only after the moves",
       "G91G21",
       {move("1", ""), move("2", "50")},
       "Data Line:1 wrong"},
      {"a feed of 0", "G91G21", {move("1", "0")}, "Data Line:1 wrong"},
      {"a negative feed after a good one",
       "G91G21",
       {move("1", "100"), move("2", "-5")},
       "Data Line:2 wrong"},
      {"F0 in an operation's text ends the feed in force",
       "G91G21F100",
       {move("1", ""), Row("Halt"), move("2", "")},
       "Data Line:3 wrong"},
      {"the feed set in the prefix", "G91G21F300", {move("1", "")}, nullptr},
      {"the prefix's feed move mode without a feed",
       "G91G1",
       {Row("Rapid"), Row("Cut")},
       "Data Line:2 wrong"},
      {"another operation's own feed move", "G90", {Row("Cut")}, "Data Line:1 wrong"},
      {"another operation's own feed", "G90", {Row("Slow"), Row("Cut")}, nullptr},
      {"a comment is no move", "G90", {Row("Note")}, nullptr},
      {"rapids need no feed", "G90", {Row("Rapid"), Row("Rapid")}, nullptr},
      {"a motion row without axis words moves nothing", "G90", {move("", "")}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto p = BuildTeachProgram(c.prefix, "M30", c.rows, lists);
    if (c.refused == nullptr) {
      EXPECT_TRUE(p.ok()) << p.failure().message;
      continue;
    }
    ASSERT_FALSE(p.ok());
    EXPECT_EQ(p.failure().message, c.refused);
  }
}

TEST(TeachProgramTest, MultiLinePrefixAndSuffixAreCopiedAsTheyStand) {
  TeachDefinitions defs{};
  const TeachProgram p =
      BuildTeachProgram("G90\r\nG21", "M5\r\nM30", {}, updateTchGrid(defs)).value();
  EXPECT_EQ(p.text, "G90\r\nG21\r\nM5\r\nM30\r\n");
}

// Only the motion's words reach the program, so only there is a decimal comma
// refused; another operation's cells are not written and pass.
TEST(TeachProgramTest, ADecimalCommaInAWrittenWordRefusesItsRow) {
  TeachDefinitions defs = Definitions({"MOVE*G1", "Spin*M3"});
  const TeachOpLists lists = updateTchGrid(defs);
  const auto refused =
      BuildTeachProgram("G91G21", "M30",
                        {Row("MOVE", {"1", "", "", "", "", "", "100"}), Row("Spin", {"1,5"}),
                         Row("MOVE", {"1", "", "", "", "", "", "1,5"})},
                        lists);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.failure().message, "Data Line:3 wrong");
  EXPECT_EQ(refused.failure().row, 2u);
  const auto passed = BuildTeachProgram(
      "G91G21", "M30", {Row("MOVE", {"1.5", "", "", "", "", "", "100"}), Row("Spin", {"1,5"})},
      lists);
  ASSERT_TRUE(passed);
  EXPECT_EQ(passed->text, "G91G21\r\nG1X1.5F100\r\nM3\r\nM30\r\n");
}

}  // namespace
}  // namespace kelvora::generators

namespace kelvora::generators {
namespace {

TEST(TeachCsvFile, PathRules) {
  TeachDefinitions defs{};
  defs[0] = "MOVE*G1";
  const TeachOpLists lists = updateTchGrid(defs);
  EXPECT_EQ(LoadTchCsvFile(" ", lists).failure().message, "Please select csv file");
  EXPECT_EQ(LoadTchCsvFile("/nonexistent/t.csv", lists).failure().detail, "/nonexistent/t.csv");
  const auto r =
      LoadTchCsvFile(std::string(KELVORA_TEST_DATA) + "/generators/lists/teach_example.csv", lists);
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(r->rows.size(), 2u);
  EXPECT_EQ(r->rows[1].operation, "MOVE");
  EXPECT_EQ(r->rows[1].cells[1], "4");
}

}  // namespace
}  // namespace kelvora::generators
