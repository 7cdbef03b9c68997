#include <gtest/gtest.h>

#include <filesystem>

#include "dialog/teach_page.h"
#include "dialog_fixture.h"
#include "text/files.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;
using ui::CellPos;

using testing::Data;
using testing::GoldenFile;

// A dialog opened as the plug-in opens it: shown, then the stored definitions read.
struct TeachHarness : DialogHarness {
  explicit TeachHarness(std::vector<std::string> definitions = {"MOVE*G1", "Spin*M3", "Cool*M8"}) {
    dlg.ShowAndFocus();
    std::vector<StoredValue> values;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
      values.push_back({"tchOp" + std::to_string(i + 1), "", definitions[i]});
    }
    dlg.LoadParam(values);
    prompts.ClearLog();
  }
  ui::DataGrid& Grid() { return dlg.Get<ui::DataGrid>("dataGridView2"); }
  ui::Table& Table() { return Grid().GetTable(); }
  std::string Cell(std::size_t row, std::size_t column) {
    return std::string(ui::CellText(Table().Get(row, column)));
  }
  std::vector<std::string> Operations() {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < Table().RowCount(); ++r) out.push_back(Cell(r, 0));
    return out;
  }
  void Select(std::size_t line, std::size_t column = 0) {
    ASSERT_TRUE(Grid().SetCurrentCell({line, column}));
  }
  void Open(const std::string& path) {
    prompts.PickOpenFile(path);
    Click("btnTchOpen");
  }
};

TEST(TeachPage, ControlsStartAsDesigned) {
  DialogHarness h;
  const std::pair<const char*, const char*> starts[] = {
      {"btnTchUpdate", "Update"},
      {"btnTchNew", "New"},
      {"btnTchOpen", "OpenFile"},
      {"btnTchSave", "Save"},
      {"btnTchCopy", "Copy"},
      {"btnTchPaste", "Paste"},
      {"btnTchInsert", "Insert"},
      {"btnTchDelete", "Delete"},
      {"btnTchGet", "Get"},
      {"btnGetAuto", "Get_Auto"},
      {"btnTchGc_gen", "GCode Gen "},
      {"btnTchLoad", "Load"},
      {"btnClose", "Close"},
      {"lblTchFile", "File:"},
      {"lblTchPrefix", "Begin"},
      {"lblTchSurfix", "End"},
      {"txtTchPrefix", "G90G21"},
      {"txtTchSurfix", "M30"},
      {"lblTchX", "X"},
      {"lblTchC", "C"},
      {"txtTchGCode", ""},
  };
  for (const auto& [name, text] : starts) EXPECT_EQ(h.Text(name), text) << name;
  for (const char* box : {"txtTchX", "txtTchY", "txtTchZ", "txtTchA", "txtTchB", "txtTchC"}) {
    EXPECT_TRUE(h.dlg.Get<ui::TextBox>(box).ReadOnly()) << box;
  }
  for (const char* box : {"txtTchOpVal", "txtTchPrefix", "txtTchSurfix", "txtTchGCode"}) {
    EXPECT_TRUE(h.dlg.Get<ui::TextBox>(box).Multiline()) << box;
  }
  EXPECT_EQ(h.dlg.Get<ui::ComboBox>("cmbTchOpList").Style(), ui::ComboStyle::kDropDownList);
  EXPECT_EQ(h.dlg.ControlOfKey("TchPrefix"), "txtTchPrefix");
  EXPECT_EQ(h.dlg.ControlOfKey("TchSurfix"), "txtTchSurfix");

  const auto& grid = h.dlg.Get<ui::DataGrid>("dataGridView2");
  const std::vector<std::string> headers = {"Operation", "X", "Y", "Z", "A", "B", "C", "Fdrate"};
  ASSERT_EQ(grid.Columns().size(), headers.size());
  for (std::size_t c = 0; c < headers.size(); ++c) {
    EXPECT_EQ(grid.Columns()[c].name, headers[c]);
    EXPECT_EQ(grid.Columns()[c].width, c == 0 ? 150 : 70) << headers[c];
    EXPECT_EQ(grid.Columns()[c].dropDown, c == 0) << headers[c];
  }
  EXPECT_EQ(grid.Columns()[7].minimumWidth, 40);
  // Before the definitions are read the Operation column offers the fixed list.
  const auto& items = grid.Columns()[0].items;
  ASSERT_EQ(items.size(), 19u);
  EXPECT_EQ(items.front(), "MOVE");
  EXPECT_EQ(items[6], "M9");
  EXPECT_EQ(items[7], "M1500");
  EXPECT_EQ(items.back(), "M1511");
  EXPECT_TRUE(grid.RowHeadersVisible());
  EXPECT_TRUE(grid.AllowUserToAddRows());

  // Load gives the cells their fonts and colours "Get" green.
  h.dlg.ShowAndFocus();
  EXPECT_EQ(grid.Columns()[0].font, (ui::Font{"Microsoft Sans Serif", 8, true}));
  EXPECT_EQ(grid.Columns()[3].font, (ui::Font{"Microsoft Sans Serif", 8, false}));
  EXPECT_EQ(h.dlg.Get<ui::Button>("btnTchGet").BackColor(), (ui::Rgb{0, 128, 0}));
}

TEST(TeachPage, DefinitionsFillTheChooserAndTheOperationColumn) {
  TeachHarness h({"MOVE*G1", "", "Cool*M8"});
  EXPECT_TRUE(h.dlg.Find<ui::Control>("cmbTchOpList") != nullptr);
  const std::vector<std::string> names = {"MOVE", "Op2", "Cool", "Op4", "Op5",
                                          "Op6",  "Op7", "Op8",  "Op9", "Op10"};
  EXPECT_EQ(h.dlg.Get<ui::ComboBox>("cmbTchOpList").Items(), names);
  EXPECT_EQ(h.Grid().Columns()[0].items, names);
  EXPECT_EQ(h.dlg.tempOpList, names);
  EXPECT_EQ(h.dlg.Oplist.at("Cool"), "M8");
  // The empty definition took its default, which is what shutdown stores.
  EXPECT_EQ(h.dlg.MirrorValue("tchOp2"), "Op2*Op2Val");
  EXPECT_EQ(h.dlg.MirrorValue("tchOp10"), "Op10*Op10Val");

  // The editor shows the first definition, so "Update" right away keeps it.
  auto& chooser = h.dlg.Get<ui::ComboBox>("cmbTchOpList");
  EXPECT_EQ(chooser.SelectedIndex(), 0);
  EXPECT_EQ(h.Text("txtTchOpName"), "MOVE");
  EXPECT_EQ(h.Text("txtTchOpVal"), "G1");
  h.prompts.AnswerYes();
  h.Click("btnTchUpdate");
  EXPECT_EQ(h.dlg.MirrorValue("tchOp1"), "MOVE*G1");

  chooser.SetSelectedIndex(2);
  EXPECT_EQ(h.Text("txtTchOpName"), "Cool");
  EXPECT_EQ(h.Text("txtTchOpVal"), "M8");
}

TEST(TeachPage, TheWorkedExamplesFromTheirButtonsMatchTheGoldens) {
  struct Case {
    std::vector<std::string> definitions;
    const char* file;
    const char* golden;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {{"MOVE*G1"}, "generators/lists/teach_example.csv", "generators/golden/teach_example.nc", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TeachHarness h(c.definitions);
    h.Open(Data(c.file));
    EXPECT_TRUE(h.prompts.Messages().empty());
    EXPECT_EQ(h.Text("lblTchFile"), Data(c.file));
    h.prompts.ClearLog();
    h.Click("btnTchGc_gen");
    EXPECT_TRUE(h.dlg.closeFileTrigger);
    EXPECT_EQ(h.prompts.Messages(), c.messages);
    h.Click("btnTchLoad");
    ASSERT_EQ(h.handOff.writes.size(), 1u);
    EXPECT_EQ(h.handOff.writes[0], GoldenFile(c.golden));
    EXPECT_TRUE(h.dlg.LoadFileTrigger);
  }
}

// A file whose G1 rows leave F empty, with no feed in the prefix, would move at
// a feed the control does not have: refused at its first such row, the program
// box and the host's program left alone. With G0 as the motion the rows need
// no feed: the row without an operation is left out and named, and the message
// says no row gave a feed.
TEST(TeachPage, AFeedMoveWithNoFeedInForceRefusesItsRow) {
  TeachHarness refused({"MOVE*G1", "Spin*M3S8000", "*M8"});
  refused.Open(Data("generators/lists/teach_reports.csv"));
  refused.dlg.Get<ui::TextBox>("txtTchGCode").SetText("old");
  refused.dlg.closeFileTrigger = false;
  refused.prompts.ClearLog();
  refused.Click("btnTchGc_gen");
  EXPECT_EQ(refused.prompts.Messages(), std::vector<std::string>{"Data Line:2 wrong"});
  EXPECT_EQ(refused.Text("txtTchGCode"), "old");
  EXPECT_FALSE(refused.dlg.closeFileTrigger);

  TeachHarness rapid({"MOVE*G0", "Spin*M3S8000", "*M8"});
  rapid.Open(Data("generators/lists/teach_reports.csv"));
  rapid.prompts.ClearLog();
  rapid.Click("btnTchGc_gen");
  EXPECT_EQ(rapid.prompts.Messages(),
            (std::vector<std::string>{"No Feedrate/ Chưa có tốc độ ?",
                                      "Row 3 left out: it has no operation"}));
  EXPECT_EQ(rapid.Text("txtTchGCode"),
            "G90G21\r\nM3S8000\r\nG0X10.000Z-2.000\r\nG0X20.000Y5.000\r\nM30\r\n");
}

// A motion cell holding a decimal comma (typed or read from a file) would write a
// word the host reads as another number: the row is refused, the cell and the
// program box keep their texts and the host is not asked to close its program.
TEST(TeachPage, ADecimalCommaInAMotionCellRefusesTheProgram) {
  TeachHarness h({"MOVE*G1"});
  h.Open(Data("generators/lists/teach_example.csv"));
  h.Grid().SetValue(1, 1, std::string("3,5"));
  h.dlg.Get<ui::TextBox>("txtTchGCode").SetText("old");
  h.dlg.closeFileTrigger = false;
  h.prompts.ClearLog();
  h.Click("btnTchGc_gen");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Data Line:2 wrong"});
  EXPECT_EQ(h.Text("txtTchGCode"), "old");
  EXPECT_FALSE(h.dlg.closeFileTrigger);
  EXPECT_EQ(h.Cell(1, 1), "3,5");
  h.Grid().SetValue(1, 1, std::string("3.5"));
  h.prompts.ClearLog();
  h.Click("btnTchGc_gen");
  EXPECT_TRUE(h.prompts.Messages().empty());
  EXPECT_EQ(h.Text("txtTchGCode"), "G90G21\r\nG1X1Y2Z0A0B0C0F100\r\nG1X3.5Y4Z0A0B0C0\r\nM30\r\n");
  EXPECT_TRUE(h.dlg.closeFileTrigger);
}

TEST(TeachPage, AnEmptyTableGivesPrefixAndSuffixAndTheFeedMessage) {
  TeachHarness h;
  h.dlg.Get<ui::TextBox>("txtTchGCode").SetText("old");
  h.Click("btnTchGc_gen");
  EXPECT_EQ(h.Text("txtTchGCode"), "G90G21\r\nM30\r\n");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"No Feedrate/ Chưa có tốc độ ?"});

  h.prompts.ClearLog();
  h.handOff.failWith = "locked";
  h.dlg.LoadFileTrigger = false;
  h.Click("btnTchLoad");
  EXPECT_EQ(h.prompts.Messages(),
            std::vector<std::string>{"File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap"});
  EXPECT_FALSE(h.dlg.LoadFileTrigger);
}

TEST(TeachPage, GetWritesThePositionIntoTheSelectedRow) {
  TeachHarness h;
  h.Click("btnTchGet");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"No row selected!"});

  h.dlg.ShowMachinePosition({1, 2, 3, 4, 5, 6.5});
  EXPECT_EQ(h.Text("txtTchC"), "6.500");
  h.Select(0, 0);  // the new-row line: Get starts a row
  h.Click("btnTchGet");
  ASSERT_EQ(h.Table().RowCount(), 1u);
  EXPECT_EQ(h.Cell(0, 1), "1.000");
  EXPECT_EQ(h.Cell(0, 6), "6.500");
  EXPECT_FALSE(h.Table().Get(0, 0).has_value());  // operation untouched
  EXPECT_EQ(h.Grid().RowHeader(0), "1");
  EXPECT_EQ(h.Grid().RowHeader(1), "2");

  // A row the operator starts by typing on the new-row line is numbered and shown.
  h.Grid().SetValue(1, 0, std::string("MOVE"));
  EXPECT_EQ(h.Grid().RowHeader(1), "2");
  EXPECT_EQ(h.Grid().RowHeader(2), "3");
  EXPECT_EQ(h.Grid().ShownLine(), 2u);
  h.Table().RemoveRow(1);

  // Over an existing row: X … C replaced, operation and feed kept.
  h.Table().Set(0, 0, "MOVE");
  h.Table().Set(0, 7, "100");
  h.dlg.ShowMachinePosition({-7, 0, 0, 0, 0, 0});
  h.Select(0, 3);
  h.Click("btnTchGet");
  EXPECT_EQ(h.Cell(0, 0), "MOVE");
  EXPECT_EQ(h.Cell(0, 1), "-7.000");
  EXPECT_EQ(h.Cell(0, 7), "100");
  EXPECT_EQ(h.Table().RowCount(), 1u);
}

TEST(TeachPage, AutomaticModeRunsTheActionsTheUpdateCycleHandsIn) {
  TeachHarness h;
  h.Click("btnGetAuto");
  EXPECT_TRUE(h.dlg.GetAuto);
  EXPECT_FALSE(h.Grid().AllowUserToAddRows());
  EXPECT_EQ(h.dlg.Get<ui::Button>("btnGetAuto").BackColor(), (ui::Rgb{0, 128, 0}));
  EXPECT_EQ(h.dlg.Get<ui::Button>("btnTchGet").BackColor(), (ui::Rgb{128, 128, 128}));
  ASSERT_EQ(h.Table().RowCount(), 1u);  // one empty row to record into
  h.Select(0);

  h.dlg.ShowMachinePosition({10, 20, 0, 0, 0, 0});
  h.dlg.RunTeachAction(TeachAction::kGetPos);
  EXPECT_EQ(h.Table().RowCount(), 2u);
  EXPECT_EQ(h.Cell(0, 1), "10.000");
  // The new last row is selected, on its Operation cell.
  EXPECT_EQ(h.Grid().CurrentCell(), (CellPos{1, 0}));
  h.dlg.RunTeachAction(TeachAction::kSetOp2);
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"", "Spin"}));

  h.dlg.ShowMachinePosition({30, 40, 0, 0, 0, 0});
  h.dlg.RunTeachAction(TeachAction::kGetPos);
  EXPECT_EQ(h.Table().RowCount(), 3u);
  EXPECT_EQ(h.Cell(1, 2), "40.000");
  // The page keeps no timer of its own: nothing acts between the update's calls.
  EXPECT_TRUE(h.dlg.Timers().empty());

  // The row waiting for the next position is not part of the program.
  h.Table().Set(0, 0, "MOVE");
  h.Table().Set(1, 0, "MOVE");
  h.Table().Set(0, 7, "200");
  h.Click("btnTchGc_gen");
  EXPECT_EQ(h.Text("txtTchGCode"),
            "G90G21\r\nG1X10.000Y20.000Z0.000A0.000B0.000C0.000F200\r\n"
            "G1X30.000Y40.000Z0.000A0.000B0.000C0.000\r\nM30\r\n");

  h.Click("btnTchGet");
  EXPECT_FALSE(h.dlg.GetAuto);
  EXPECT_TRUE(h.Grid().AllowUserToAddRows());
}

TEST(TeachPage, AutomaticActionWithoutSelectedRowSaysSo) {
  TeachHarness h;
  h.Click("btnGetAuto");
  h.Grid().ClearSelection();
  h.dlg.RunTeachAction(TeachAction::kSetOp1);
  h.dlg.RunTeachAction(TeachAction::kGetPos);
  EXPECT_EQ(h.prompts.Messages(),
            (std::vector<std::string>{"No row selected!", "No row selected!"}));
  EXPECT_EQ(h.Table().RowCount(), 1u);
}

TEST(TeachPage, CopyPasteInsertAndDelete) {
  TeachHarness h;
  h.Table().AddRow({"MOVE", "1"});
  h.Table().AddRow({"Spin", "2"});
  h.Click("btnTchCopy");
  h.Click("btnTchPaste");
  h.Click("btnTchInsert");
  h.Click("btnTchDelete");
  EXPECT_EQ(h.prompts.Messages(),
            (std::vector<std::string>{"No row selected!", "No row selected!", "Please select a row",
                                      "Please select a row"}));
  h.prompts.ClearLog();

  h.Select(0, 1);
  h.Click("btnTchCopy");
  h.Select(1, 1);
  h.Click("btnTchPaste");
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"MOVE", "MOVE", "Spin"}));
  EXPECT_EQ(h.Cell(1, 1), "1");
  EXPECT_EQ(h.Grid().RowHeader(2), "3");
  // A copied row is pasted once.
  h.Click("btnTchPaste");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"No row selected!"});
  EXPECT_EQ(h.Table().RowCount(), 3u);
  h.prompts.ClearLog();

  h.Select(2);
  h.Click("btnTchInsert");
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"MOVE", "MOVE", "", "Spin"}));

  h.Select(0);
  h.prompts.AnswerNo();
  h.Click("btnTchDelete");
  EXPECT_EQ(h.Table().RowCount(), 4u);
  h.prompts.AnswerYes();
  h.Click("btnTchDelete");
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"MOVE", "", "Spin"}));
  EXPECT_EQ(h.prompts.Log().back(),
            (ui::PromptRecord{ui::PromptKind::kYesNo, "Are you sure?", "Delete this row?"}));
  // The new-row line cannot be deleted.
  h.Select(3);
  h.Click("btnTchDelete");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Please select a row"});
}

TEST(TeachPage, UpdateStoresTheDefinitionAndEmptiesTheTable) {
  TeachHarness h;
  h.Table().AddRow({"MOVE", "1"});
  auto& chooser = h.dlg.Get<ui::ComboBox>("cmbTchOpList");
  chooser.SetSelectedIndex(1);
  h.dlg.Get<ui::TextBox>("txtTchOpName").SetText("Drill");
  h.dlg.Get<ui::TextBox>("txtTchOpVal").SetText("G81R1Z-2\r\nG80");

  h.prompts.AnswerNo();
  h.Click("btnTchUpdate");
  EXPECT_EQ(h.dlg.MirrorValue("tchOp2"), "Spin*M3");
  EXPECT_EQ(h.Table().RowCount(), 1u);

  h.prompts.AnswerYes();
  h.Click("btnTchUpdate");
  EXPECT_EQ(h.prompts.Log().back(),
            (ui::PromptRecord{ui::PromptKind::kYesNo, "Data will be deleted? ", "Confirm!!!"}));
  EXPECT_EQ(h.dlg.MirrorValue("tchOp2"), "Drill*G81R1Z-2\r\nG80");
  EXPECT_EQ(h.Table().RowCount(), 0u);
  EXPECT_EQ(h.dlg.tempOpList[1], "Drill");
  EXPECT_EQ(h.Grid().Columns()[0].items[1], "Drill");
  // Shutdown stores the new definition.
  const auto saved = h.dlg.SaveParam({{"tchOp2", "", "old"}});
  EXPECT_EQ(saved[0].text, "Drill*G81R1Z-2\r\nG80");

  // A name holding "*" is cut there when the lists are rebuilt.
  chooser.SetSelectedIndex(2);
  h.dlg.Get<ui::TextBox>("txtTchOpName").SetText("A*B");
  h.dlg.Get<ui::TextBox>("txtTchOpVal").SetText("M8");
  h.prompts.AnswerYes();
  h.Click("btnTchUpdate");
  EXPECT_EQ(h.dlg.tempOpList[2], "A");
  EXPECT_EQ(h.dlg.Oplist.at("A"), "B");
}

// A folder of its own for the files one test writes.
struct TempFolder {
  std::filesystem::path path;
  explicit TempFolder(std::string_view name)
      : path(std::filesystem::temp_directory_path() /
             ("kelvora_teach_" + std::string(name) + "_" +
              std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string File(std::string_view name) const { return text::PathToUtf8(path / name); }
};

TEST(TeachPage, SaveAndOpenRoundTrip) {
  TempFolder dir("roundtrip");
  TeachHarness h;
  h.Table().AddRow({"MOVE", "1.000", "", "-2.5", "0", "0", "0", "100"});
  h.Table().AddRow({"Cool", "", "", "", "", "", "", ""});
  h.Table().AddRow({"", "9"});  // no operation: not saved
  const std::string file = dir.File("steps.CSV");

  // Declined: nothing.
  h.prompts.AnswerNo();
  h.Click("btnTchSave");
  EXPECT_FALSE(std::filesystem::exists(file));

  h.prompts.AnswerYes().PickSaveFile(file);
  h.Click("btnTchSave");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Save file successful!"});
  EXPECT_EQ(h.Text("lblTchFile"), file);
  EXPECT_EQ(text::ReadFileBytes(file),
            "Operation,X,Y,Z,A,B,C,F\r\n0,1.000,,-2.5,0,0,0,100\r\n2,,,,,,,\r\n");

  // New empties the table and the file label.
  h.prompts.AnswerYes();
  h.Click("btnTchNew");
  EXPECT_EQ(h.Table().RowCount(), 0u);
  EXPECT_EQ(h.Text("lblTchFile"), "");

  h.prompts.ClearLog();
  h.Open(file);
  EXPECT_TRUE(h.prompts.Messages().empty());
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"MOVE", "Cool"}));
  // An empty cell comes back as an empty text.
  EXPECT_EQ(h.Table().Get(1, 1), ui::Cell(""));
  EXPECT_EQ(h.Cell(0, 3), "-2.5");
  EXPECT_EQ(h.Grid().RowHeader(2), "3");
  EXPECT_EQ(h.Grid().ShownLine(), 2u);  // scrolled to the last line

  // Saving over the open file: asked, replaced.
  h.Table().Set(1, 1, "5");
  h.prompts.ClearLog();
  h.prompts.AnswerYes().AnswerYes();
  h.Click("btnTchSave");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Replace file successful!"});
  EXPECT_EQ(text::ReadFileBytes(file),
            "Operation,X,Y,Z,A,B,C,F\r\n0,1.000,,-2.5,0,0,0,100\r\n2,5,,,,,,\r\n");

  // Not replacing: a new file, which must not exist; the dialog cancelled.
  struct Case {
    std::optional<std::string> pick;
  };
  for (const Case& c : {Case{file}, Case{std::nullopt}}) {
    h.prompts.ClearLog();
    h.prompts.AnswerYes().AnswerNo();
    if (c.pick) {
      h.prompts.PickSaveFile(*c.pick);
    } else {
      h.prompts.CancelFileDialog(ui::PromptKind::kSaveFile);
    }
    h.Click("btnTchSave");
    EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Cannot save, File exist!"});
  }
  EXPECT_EQ(text::ReadFileBytes(file),
            "Operation,X,Y,Z,A,B,C,F\r\n0,1.000,,-2.5,0,0,0,100\r\n2,5,,,,,,\r\n");

  // A file that cannot be written: said so, no success, the label unchanged.
  h.prompts.ClearLog();
  h.prompts.AnswerYes().AnswerNo().PickSaveFile(dir.File("missing/sub/t.csv"));
  h.Click("btnTchSave");
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_EQ(h.prompts.Messages()[0].rfind("Cannot save the file", 0), 0u);
  EXPECT_EQ(h.Text("lblTchFile"), file);
}

TEST(TeachPage, OpenRefusalsAndLinesNotTaken) {
  TeachHarness h;
  h.Table().AddRow({"MOVE", "1"});
  h.prompts.CancelFileDialog(ui::PromptKind::kOpenFile);
  h.Click("btnTchOpen");
  h.Open(Data("generators/lists/no_such_file.csv"));
  EXPECT_EQ(h.prompts.Messages(), (std::vector<std::string>{"No file!", "No file!"}));
  EXPECT_EQ(h.Operations(), std::vector<std::string>{"MOVE"});

  // The good lines are loaded; the others are named in one message.
  h.prompts.ClearLog();
  h.Open(Data("generators/lists/teach_skipped.csv"));
  EXPECT_EQ(h.Operations(), (std::vector<std::string>{"Cool", "MOVE"}));
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_NE(h.prompts.Messages()[0].find("4"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::dialog
