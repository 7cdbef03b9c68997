#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "dialog/auto_gen.h"
#include "dialog/language_texts.h"
#include "dialog/point_list_page.h"
#include "dialog_fixture.h"
#include "geometry/draw_all.h"
#include "text/files.h"

namespace kelvora::dialog {
namespace {

namespace fs = std::filesystem;
using testing::CheckChildren;
using testing::DialogHarness;
using ui::PromptKind;
using ui::PromptRecord;

using testing::Data;
using testing::In;
using testing::Retype;

std::string ReadBytes(const std::string& path) {
  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(path));
  EXPECT_TRUE(bytes) << path;
  return bytes.value_or("");
}

// A folder of its own for the files a test writes.
struct TempDir {
  fs::path path;
  explicit TempDir(const std::string& name)
      : path(fs::temp_directory_path() / ("kelvora_points_" + name)) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string File(std::string_view name, std::string_view content) const {
    const std::string p = text::PathToUtf8(path / std::string(name));
    EXPECT_TRUE(text::WriteFileAtomic(path / std::string(name), content));
    return p;
  }
  std::string Name(std::string_view name) const {
    return text::PathToUtf8(path / std::string(name));
  }
};

// A button clicked after the operator's answers, and the messages it shows.
struct ScriptedCase {
  const char* what;
  std::function<void(ui::ScriptedPrompts&)> script;
  std::vector<std::string> messages;
};

struct PointsHarness : DialogHarness {
  ui::DataGrid& grid = dlg.Get<ui::DataGrid>("dataGridView1");

  // Sets a stored input by its settings key, typing through the key filter
  // where the box has one.
  void Set(std::string_view key, std::string_view value) {
    const std::string control = dlg.ControlOfKey(key);
    ASSERT_FALSE(control.empty()) << key;
    auto* box = dlg.Find<ui::TextBox>(control);
    if (box && !box->Multiline()) {
      Retype(control, value);
    } else {
      ASSERT_TRUE(dlg.SetControlValue(control, value)) << key;
    }
  }
  // "OpenFile" with Yes and the file picked.
  void Open(const std::string& path) {
    prompts.AnswerYes().PickOpenFile(path);
    Click("btnAnyLoadFile");
  }
  std::vector<std::vector<std::string>> Rows() {
    std::vector<std::vector<std::string>> out;
    for (std::size_t r = 0; r < grid.RowCount(); ++r) {
      std::vector<std::string> row;
      for (std::size_t c = 0; c < 4; ++c) row.emplace_back(grid.Text(r, c));
      out.push_back(std::move(row));
    }
    return out;
  }
  void Select(std::size_t row) { ASSERT_TRUE(grid.SetCurrentCell({row, 1})); }
  // Scripts the case's answers, clicks `button` and expects the case's messages.
  void Run(const ScriptedCase& c, std::string_view button) {
    prompts.ClearLog();
    c.script(prompts);
    Click(button);
    EXPECT_EQ(prompts.Messages(), c.messages) << c.what;
  }
};

using Rows = std::vector<std::vector<std::string>>;

TEST(PointListPage, ControlsStartAsDesigned) {
  PointsHarness h;
  testing::ExpectStart(h,
                       {
                           {"textBoxX", "5"},
                           {"textBoxY", "2"},
                           {"lblMachineX", "X"},
                           {"txtAnyToolDia", "4"},
                           {"txtAnyDepth", "5"},
                           {"txtAnyStepdown", "2"},
                           {"chkbAnyPocket", "Pocket"},
                           {"txtAnyRo", "2"},
                           {"txtAnyHoleSize", "2"},
                           {"txtAnyStepOvr", "2"},
                           {"txtAnyFeedrate2", "100"},
                           {"txtAnyFeedrate", "100"},
                           {"txtAnySpinSpeed", "5000"},
                           {"txtAnyZRetract", "3"},
                           {"txtAnyZsafe", "10"},
                           {"chkbAnyEnSpin", "OnSpin"},
                           {"chkbAnyEnSpOp", "Sp.Op"},
                           {"txtAnySpOp", "M101"},
                           {"txtAnyEndScript", "M101"},
                           {"lblAnyEndScript", "EndScript:"},
                           {"txtAnyGcode", ""},
                           {"lblAnyPath", "File:-"},
                           {"lblAnyRo", "R1:"},
                           {"btnGetXY", "Get"},
                           {"btnAnyAdd", "Add"},
                           {"btnAnyInsert", "Insert"},
                           {"btnAnyDelete", "Delete"},
                           {"btnInputClear", "Clear"},
                           {"btnAnyLoadFile", "OpenFile"},
                           {"btnAnySave", "Save"},
                           {"btnAnyPreview", "Preview"},
                           {"btnAnyGcodeGen", "GCode Gen "},
                           {"btnAutoGen", "Auto"},
                           {"btnAnyLoad", "Load"},
                           {"button3", "Close"},
                       },
                       {{"chkbAnyPocket", false}}, {"txtAnyGcode"});
  EXPECT_TRUE(h.dlg.Get<ui::TextBox>("textBoxX").ReadOnly());
  // The pocket group starts disabled, its boxes with it.
  EXPECT_FALSE(h.dlg.Get<ui::GroupBox>("grpAnyPocket").Enabled());
  EXPECT_EQ(h.dlg.Get<ui::TextBox>("txtAnyRo").Parent()->Name(), "grpAnyPocket");
  // The grid shows the point table as designed.
  h.dlg.XYZDemoDialog_Load();
  ASSERT_EQ(h.grid.Columns().size(), 4u);
  const int widths[] = {50, 90, 100, 100};
  for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(h.grid.Columns()[c].width, widths[c]);
  EXPECT_FALSE(h.grid.RowHeadersVisible());
  EXPECT_FALSE(h.grid.AllowUserToAddRows());
  // The preview shows its start drawing, the sketch its drawing.
  EXPECT_FALSE(h.dlg.Get<ui::PictureBox>("pxbAny").Image().has_value());
  EXPECT_TRUE(h.dlg.Get<ui::PictureBox>("pxbAny").BackgroundImage().has_value());
  EXPECT_FALSE(h.dlg.Get<ui::PictureBox>("pbxAnySketch").BackgroundImage()->items.empty());
}

TEST(PointListPage, KeyFiltersAndThePocketGroup) {
  PointsHarness h;
  testing::ExpectKeyFilters(h, {
                                   {"txtAnyToolDia", "-4.5x", "4.5"},  // unsigned
                                   {"txtAnyZRetract", "-3", "3"},      // unsigned on this tab
                                   {"txtAnyZsafe", "1.2.5", "1.25"},
                                   {"txtAnyEndScript", "M30 ;end", "M30 ;end"},  // no filter
                               });
  // While "Pocket" is off, the radii take no typing.
  auto& r1 = h.dlg.Get<ui::TextBox>("txtAnyRo");
  r1.SelectAll();
  EXPECT_EQ(r1.Type("7"), 1u);
  EXPECT_EQ(r1.Text(), "2");
  h.SetChecked("chkbAnyPocket", true);
  EXPECT_TRUE(h.dlg.Get<ui::GroupBox>("grpAnyPocket").Enabled());
  h.Retype("txtAnyRo", "1.5");
  EXPECT_EQ(r1.Text(), "1.5");
  h.SetChecked("chkbAnyPocket", false);
  EXPECT_FALSE(h.dlg.Get<ui::TextBox>("txtAnyStepOvr").Enabled());
}

TEST(PointListPage, AddInsertDeleteClear) {
  PointsHarness h;
  // Insert and Delete on an empty list ask nothing (the script holds no answer).
  h.Click("btnAnyInsert");
  h.Click("btnAnyDelete");
  EXPECT_TRUE(h.prompts.Log().empty());

  for (int i = 0; i < 3; ++i) h.Click("btnAnyAdd");
  EXPECT_EQ(h.Rows(), (Rows{{"1", "", "", ""}, {"2", "", "", ""}, {"3", "", "", ""}}));
  h.grid.SetValue(1, 1, std::string("B"));
  h.Select(1);
  h.Click("btnAnyInsert");
  EXPECT_EQ(h.Rows(),
            (Rows{{"1", "", "", ""}, {"2", "", "", ""}, {"3", "B", "", ""}, {"4", "", "", ""}}));

  h.Select(2);
  h.prompts.AnswerNo();
  h.Click("btnAnyDelete");
  EXPECT_EQ(h.grid.RowCount(), 4u);
  h.prompts.AnswerYes();
  h.Click("btnAnyDelete");
  EXPECT_EQ(h.Rows(), (Rows{{"1", "", "", ""}, {"2", "", "", ""}, {"3", "", "", ""}}));
  EXPECT_EQ(h.prompts.Log().back(),
            (PromptRecord{PromptKind::kYesNo, "Are you sure?", "Delete this component?"}));

  h.prompts.AnswerNo();
  h.Click("btnInputClear");
  EXPECT_EQ(h.grid.RowCount(), 3u);
  h.prompts.AnswerYes();
  h.Click("btnInputClear");
  EXPECT_EQ(h.grid.RowCount(), 0u);
  EXPECT_EQ(h.prompts.Log().back(),
            (PromptRecord{PromptKind::kYesNo, "Clear data? ", "Confirm!!!"}));
  EXPECT_TRUE(h.prompts.Messages().empty());
}

TEST(PointListPage, GetTakesTheMachinePositionIntoTheSelectedRow) {
  PointsHarness h;
  h.Click("btnAnyAdd");
  h.Click("btnAnyAdd");
  h.dlg.ShowMachinePosition({12.3456, -0.5, 1, 2, 3, 4});
  EXPECT_EQ(h.Text("textBoxX"), "12.346");

  // No selection: the question, then the message.
  h.grid.ClearSelection();
  h.prompts.AnswerYes();
  h.Click("btnGetXY");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"No row selected!"});
  EXPECT_EQ(h.prompts.Log().front(),
            (PromptRecord{PromptKind::kYesNo, "Are you sure?", "Update new value?"}));

  h.Select(1);
  h.prompts.AnswerNo();
  h.Click("btnGetXY");
  EXPECT_EQ(h.Rows()[1], (std::vector<std::string>{"2", "", "", ""}));
  h.prompts.AnswerYes();
  h.Click("btnGetXY");
  EXPECT_EQ(h.Rows()[1], (std::vector<std::string>{"2", "", "12.346", "-0.500"}));

  // A grid sorted by X still gets both cells into the same row.
  h.grid.Sort(2, ui::SortOrder::kDescending);
  h.Select(1);  // the empty row, shown after "12.346"
  h.dlg.ShowMachinePosition({99, 7, 0, 0, 0, 0});
  h.prompts.AnswerYes();
  h.Click("btnGetXY");
  EXPECT_EQ(h.Rows(), (Rows{{"1", "", "99.000", "7.000"}, {"2", "", "12.346", "-0.500"}}));
}

// The worked examples of the command line, from the tab's own buttons: open the
// file, type the inputs, "GCode Gen ", "Load"; the bytes handed over are the golden file.
TEST(PointListPage, ProgramsFromTheButtonsMatchTheGoldens) {
  struct Case {
    const char* golden;
    const char* file;
    std::vector<std::pair<const char*, const char*>> inputs;
  };
  const Case cases[] = {
      {"points_drill_end_script.nc",
       "generators/points/drill.csv",
       {{"Anyd", "3"},
        {"AnyDepth", "2"},
        {"AnyStepdown", "2"},
        {"AnyFeedrate", "120"},
        {"AnyRetract", "2"},
        {"AnyZsafe", "8"},
        {"AnySpinSpeed", "800"},
        {"AnyEnSpin", "True"},
        {"AnyEnSpOp", "True"},
        {"AnySpOpStr", "M8"},
        {"AnyEndScript", "M30"}}},
      {"points_drill_peck.nc",
       "generators/points/drill.csv",
       {{"Anyd", "3"},
        {"AnyDepth", "5"},
        {"AnyStepdown", "2"},
        {"AnyFeedrate", "120"},
        {"AnyRetract", "1"},
        {"AnyZsafe", "8"},
        {"AnyEnSpin", "False"},
        {"AnyEnSpOp", "True"},
        {"AnySpOpStr", "M8"},
        {"AnyEndScript", "G0X0Y0"}}},
      {"points_pocket_example.nc",
       "generators/points/origin.csv",
       {{"AnyPocket", "True"},
        {"AnyRo", "2"},
        {"AnyHoleSize", "5"},
        {"AnyStepOvr", "1"},
        {"Anyd", "4"},
        {"AnyDepth", "1"},
        {"AnyStepdown", "1"},
        {"AnyFeedrate", "50"},
        {"AnyFeedrate2", "100"},
        {"AnyRetract", "3"},
        {"AnyZsafe", "10"},
        {"AnyEnSpin", "False"}}},
      {"points_pocket_ring_count.nc",
       "generators/points/origin.csv",
       {{"AnyPocket", "True"},
        {"Anyd", "2"},
        {"AnyFeedrate", "50"},
        {"AnyFeedrate2", "300"},
        {"AnyRetract", "2"},
        {"AnyZsafe", "10"},
        {"AnyRo", "1"},
        {"AnyHoleSize", "4.9"},
        {"AnyStepOvr", "0.3"},
        {"AnyDepth", "2.5"},
        {"AnyStepdown", "1"},
        {"AnyEnSpin", "True"},
        {"AnySpinSpeed", "12000"}}},
      {"points_dxf_r12.nc",
       "geometry/dxf/r12_entities.dxf",
       {{"Anyd", "3"},
        {"AnyDepth", "3"},
        {"AnyStepdown", "1.5"},
        {"AnyFeedrate", "80"},
        {"AnyRetract", "2"},
        {"AnyZsafe", "6"},
        {"AnyEnSpin", "True"},
        {"AnySpinSpeed", "3000"},
        {"AnyEndScript", "M30"}}},
      {"points_dxf_r2007_pocket.nc",
       "geometry/dxf/r2007_edge_cases.dxf",
       {{"AnyPocket", "True"},
        {"Anyd", "1"},
        {"AnyRo", "0.5"},
        {"AnyHoleSize", "2"},
        {"AnyStepOvr", "0.5"},
        {"AnyDepth", "1"},
        {"AnyStepdown", "1"},
        {"AnyFeedrate", "50"},
        {"AnyFeedrate2", "200"},
        {"AnyRetract", "2"},
        {"AnyZsafe", "6"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    PointsHarness h;
    for (const auto& [key, value] : c.inputs) h.Set(key, value);
    h.Open(Data(c.file));
    EXPECT_TRUE(h.prompts.Messages().empty());
    EXPECT_TRUE(h.dlg.Get<ui::PictureBox>("pxbAny").Image().has_value());
    h.Click("btnAnyGcodeGen");
    EXPECT_TRUE(h.dlg.closeFileTrigger);
    h.Click("btnAnyLoad");
    ASSERT_EQ(h.handOff.writes.size(), 1u);
    EXPECT_EQ(h.handOff.writes[0], ReadBytes(Data(std::string("generators/golden/") + c.golden)));
    EXPECT_TRUE(h.dlg.LoadFileTrigger);
    EXPECT_TRUE(h.prompts.Messages().empty());
    EXPECT_EQ(h.prompts.PendingAnswers(), 0u);
  }
}

TEST(PointListPage, GcodeGenReportsAndRefusals) {
  PointsHarness h;
  h.Open(Data("generators/points/origin.csv"));
  // A tool wider than twice R1: the program is written with R1 = t / 2 and the
  // box keeps its text.
  for (auto [key, value] : {std::pair{"AnyPocket", "True"},
                            {"Anyd", "8"},
                            {"AnyRo", "1"},
                            {"AnyHoleSize", "5"},
                            {"AnyStepOvr", "1"}}) {
    h.Set(key, value);
  }
  h.prompts.ClearLog();
  h.Click("btnAnyGcodeGen");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Tool diameter>R1"});
  EXPECT_EQ(h.Text("txtAnyRo"), "1");
  const std::string program = h.Text("txtAnyGcode");
  EXPECT_TRUE(program.starts_with("G90\r\n"));
  EXPECT_TRUE(h.dlg.closeFileTrigger);

  // Refusals keep the program box and raise no request.
  struct Refusal {
    const char* x;  // the first row's X cell
    const char* key;
    const char* text;
    std::string message;
  };
  const Refusal refusals[] = {
      {"", "", "", "Data Line:1 wrong"},
      {"abc", "", "", "Data Line:1 wrong\r\ncolumn X"},
      {"0", "AnyStepOvr", "", "Parameters error\r\nAnyStepOvr"},
  };
  for (const Refusal& r : refusals) {
    h.dlg.closeFileTrigger = false;
    h.grid.SetValue(0, 2, std::string(r.x));
    if (*r.key) h.dlg.Get<ui::TextBox>(h.dlg.ControlOfKey(r.key)).SetText(r.text);
    h.prompts.ClearLog();
    h.Click("btnAnyGcodeGen");
    EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{r.message}) << r.message;
    EXPECT_EQ(h.Text("txtAnyGcode"), program);
    EXPECT_FALSE(h.dlg.closeFileTrigger);
  }

  // The Load button's own message when temp.tap cannot be written.
  h.handOff.failWith = "locked";
  h.prompts.ClearLog();
  h.Click("btnAnyLoad");
  EXPECT_EQ(h.prompts.Messages(),
            std::vector<std::string>{"File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap"});
  EXPECT_FALSE(h.dlg.LoadFileTrigger);
}

constexpr auto CountArcs = testing::CountItems<geometry::ArcPrim>;

TEST(PointListPage, PreviewDrawsHolesOrPocketsAndCorrectsR1) {
  PointsHarness h;
  auto& box = h.dlg.Get<ui::PictureBox>("pxbAny");
  h.Open(Data("generators/points/drill.csv"));
  ASSERT_TRUE(box.Image().has_value());
  EXPECT_EQ(box.Image()->width, box.GetBounds().width);
  // The marker on the first hole, then one circle per hole.
  EXPECT_EQ(CountArcs(*box.Image()), 3u);
  EXPECT_TRUE(h.prompts.Messages().empty());

  // Pockets: R1 below the tool radius is raised to it, written back and said.
  h.SetChecked("chkbAnyPocket", true);
  h.Set("Anyd", "8");
  h.Set("AnyRo", "1");
  h.Set("AnyHoleSize", "6");
  h.Click("btnAnyPreview");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"R1 = tool R?"});
  EXPECT_EQ(h.Text("txtAnyRo"), "4");
  EXPECT_EQ(CountArcs(*box.Image()), 6u);
  // The two circles of the first point: R1 (4) and R2 (6), in that order.
  std::vector<geometry::ArcPrim> arcs;
  for (const auto& item : box.Image()->items) {
    if (const auto* a = std::get_if<geometry::ArcPrim>(&item)) arcs.push_back(*a);
  }
  EXPECT_LT(arcs[0].width, arcs[1].width);
  EXPECT_NEAR(static_cast<double>(arcs[1].width) / arcs[0].width, 6.0 / 4.0, 0.05);

  // A row with an empty Y: the message, and the picture stays as it was.
  h.prompts.ClearLog();
  const geometry::Picture before = *box.Image();
  h.grid.SetValue(1, 3, std::string(""));
  h.Click("btnAnyPreview");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Data Line:2 wrong"});
  EXPECT_EQ(box.Image()->items.size(), before.items.size());
}

TEST(PointListPage, OpenFileRefusalsLeaveTheList) {
  TempDir dir("open");
  const std::string text = dir.File("notes.txt", "Name,X,Y\r\nA,1,2\r\n");
  const std::string truncated = Data("geometry/dxf/truncated.dxf");
  PointsHarness h;
  h.Open(Data("generators/points/drill.csv"));
  const Rows loaded = h.Rows();
  const std::string path = h.Text("lblAnyPath");
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded[0], (std::vector<std::string>{"1", "Hole, left", "10", "5"}));

  const ScriptedCase cases[] = {
      {"No to the question", [](auto& p) { p.AnswerNo(); }, {}},
      {"cancelled dialog",
       [](auto& p) { p.AnswerYes().CancelFileDialog(PromptKind::kOpenFile); },
       {"No file!"}},
      {"missing file",
       [&](auto& p) { p.AnswerYes().PickOpenFile(dir.Name("gone.csv")); },
       {"No file!"}},
      {"other extension", [&](auto& p) { p.AnswerYes().PickOpenFile(text); }, {"File: *..txt"}},
  };
  for (const ScriptedCase& c : cases) {
    h.Run(c, "btnAnyLoadFile");
    EXPECT_EQ(h.Rows(), loaded) << c.what;
    EXPECT_EQ(h.Text("lblAnyPath"), path) << c.what;
  }
  // A drawing the reader refuses.
  h.prompts.ClearLog();
  h.Open(truncated);
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_TRUE(h.prompts.Messages()[0].starts_with("Load file failed!")) << h.prompts.Messages()[0];
  EXPECT_EQ(h.Rows(), loaded);
  EXPECT_EQ(h.Text("lblAnyPath"), path);
}

TEST(PointListPage, OpenFileReadsDrawingsAndListsWithTheirReports) {
  TempDir dir("read");
  PointsHarness h;
  struct Case {
    std::string file;
    Rows rows;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      // Circle centres, numbered, without names.
      {Data("geometry/dxf/r12_entities.dxf"), {}, {}},
      {Data("geometry/dxf/square.dxf"), {}, {"The drawing holds no CIRCLE"}},
      {Data("generators/points/four_fields.csv"),
       {{"1", "A", "1", "2"}, {"2", "C", "4", "5"}},
       {"Lines skipped: 3"}},
      {Data("generators/points/after_empty_line.csv"),
       {{"1", "A", "1", "2"}},
       {"Lines ignored after the empty line 3: 4"}},
      // Capitals in the extension, and rows the check refuses after loading.
      {dir.File("pts.CSV", "Name,X,Y\r\nA,1,2\r\nB,,3\r\n"),
       {{"1", "A", "1", "2"}, {"2", "B", "", "3"}},
       {"Data Line:2 wrong"}},
  };
  for (const Case& c : cases) {
    h.prompts.ClearLog();
    h.dlg.Get<ui::PictureBox>("pxbAny").ClearImage();
    h.Open(c.file);
    EXPECT_EQ(h.prompts.Messages(), c.messages) << c.file;
    if (!c.rows.empty() || !c.messages.empty()) {
      EXPECT_EQ(h.Rows(), c.rows) << c.file;
    }
    EXPECT_EQ(h.Text("lblAnyPath"), c.file);
  }
  // The drawing's three circles.
  h.Open(Data("geometry/dxf/r12_entities.dxf"));
  const Rows rows = h.Rows();
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[i][1], "");
  }
}

TEST(PointListPage, DrawingLayersChooseTheCirclesTaken) {
  // The drawing's three circles lie on layer "0"; the option is set through
  // the options form, as the operator sets it.
  const struct {
    const char* layers;
    std::size_t rows;
    std::vector<std::string> messages;
  } cases[] = {
      {"", 3, {}},
      {"0", 3, {}},
      {" holes , 0 ", 3, {}},
      {"Holes", 0, {"The drawing holds no CIRCLE"}},
      {"00", 0, {"The drawing holds no CIRCLE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layers);
    PointsHarness h;
    h.prompts.RunModal([&c](ui::Form& f) {
      EXPECT_EQ(testing::In<ui::Label>(f, "lblAnyLayers").Text(), "Lớp bản vẽ:");
      Retype(f, "txtAnyLayers", c.layers);
      testing::In<ui::Button>(f, "btnOK").Click();
      return f.ModalResult();
    });
    h.Click("btnAnyOptions");
    EXPECT_EQ(h.dlg.Inputs()("AnyLayers"), c.layers);
    h.Open(Data("geometry/dxf/r12_entities.dxf"));
    EXPECT_EQ(h.prompts.Messages(), c.messages);
    EXPECT_EQ(h.Rows().size(), c.rows);
  }
}

TEST(PointListPage, SaveAsksForANameWritesAndReplaces) {
  TempDir dir("save");
  PointsHarness h;
  h.Open(Data("generators/points/drill.csv"));
  // Saved under a new name.
  const std::string first = dir.Name("first.csv");
  h.dlg.Get<ui::Label>("lblAnyPath").SetText("File:-");
  h.prompts.ClearLog();
  h.prompts.AnswerYes().PickSaveFile(first);
  h.Click("btnAnySave");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Save file successful!"});
  EXPECT_EQ(h.Text("lblAnyPath"), first);
  EXPECT_EQ(ReadBytes(first),
            "Name,X,Y\r\n\"Hole, left\",10,5\r\nmid,25.5,5\r\nright,-3.25,12.125\r\n");

  // Saved again: replaces the file after the question, without a message.
  h.grid.SetValue(1, 1, std::string("middle"));
  h.prompts.ClearLog();
  h.prompts.AnswerYes().AnswerYes();
  h.Click("btnAnySave");
  EXPECT_TRUE(h.prompts.Messages().empty());
  EXPECT_NE(ReadBytes(first).find("middle,25.5,5\r\n"), std::string::npos);

  const ScriptedCase refused[] = {
      {"No to saving", [](auto& p) { p.AnswerNo(); }, {}},
      {"No to replacing, an existing name picked",
       [&](auto& p) { p.AnswerYes().AnswerNo().PickSaveFile(first); },
       {"Cannot save, File exist!"}},
      {"No to replacing, dialog cancelled",
       [](auto& p) { p.AnswerYes().AnswerNo().CancelFileDialog(PromptKind::kSaveFile); },
       {"Cannot save, File exist!"}},
  };
  const std::string kept = ReadBytes(first);
  for (const ScriptedCase& c : refused) {
    h.Run(c, "btnAnySave");
    EXPECT_EQ(ReadBytes(first), kept) << c.what;
    EXPECT_EQ(h.prompts.PendingAnswers(), 0u) << c.what;
  }

  // A folder that does not exist: the write fails and says so; nothing changes.
  h.prompts.ClearLog();
  h.dlg.Get<ui::Label>("lblAnyPath").SetText("File:-");
  h.prompts.AnswerYes().PickSaveFile(dir.Name("no/such/folder.csv"));
  h.Click("btnAnySave");
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_NE(h.prompts.Messages()[0], "Save file successful!");
  EXPECT_EQ(h.Text("lblAnyPath"), "File:-");
}

TEST(PointListPage, SaveAfterADrawingAlwaysAsksForANewName) {
  TempDir dir("dxf");
  PointsHarness h;
  h.Open(Data("geometry/dxf/r12_entities.dxf"));
  h.prompts.ClearLog();
  const std::string target = dir.Name("circles.csv");
  // No "Replace existing file?" about the drawing: straight to the save dialog.
  h.prompts.AnswerYes().PickSaveFile(target);
  h.Click("btnAnySave");
  EXPECT_EQ(h.prompts.Log()[1].kind, PromptKind::kSaveFile);
  EXPECT_EQ(h.prompts.Log()[1].text, kPointSaveFilter);
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Save file successful!"});
  EXPECT_TRUE(ReadBytes(target).starts_with("Name,X,Y\r\n,"));
}

// --- The automatic grid ---

TEST(PointListPage, AutoFillsTheListAndRemembersItsValues) {
  PointsHarness h;
  h.Click("btnAnyAdd");
  const Rows before = h.Rows();

  // Cancel: the list and the remembered values stay.
  h.prompts.RunModal([](ui::Form& f) {
    Retype(f, "txtNumRow", "9");
    EXPECT_TRUE(f.PressEscape());
    return f.ModalResult();
  });
  h.Click("btnAutoGen");
  EXPECT_EQ(h.Rows(), before);
  EXPECT_FALSE(h.dlg.MirrorValue("AnyNumOfRow").has_value());

  // A box that does not convert keeps the dialog open with the message.
  h.prompts.RunModal([](ui::Form& f) {
    Retype(f, "txtNumRow", "");
    EXPECT_TRUE(f.PressEnter());
    EXPECT_EQ(f.ModalResult(), ui::DialogResult::kNone);
    In<ui::Button>(f, "btnCancel").Click();
    return f.ModalResult();
  });
  h.Click("btnAutoGen");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Parameters error\r\nAnyNumOfRow"});
  EXPECT_EQ(h.Rows(), before);

  // Two rows of three, the second snaking back and staggered, from (100, 20).
  h.prompts.ClearLog();
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(f.Title(), "AutoGen");
    EXPECT_TRUE(In<ui::CheckBox>(f, "chkbByCol").Checked());
    In<ui::CheckBox>(f, "chkbByRow").Click();
    EXPECT_FALSE(In<ui::CheckBox>(f, "chkbByCol").Checked());
    In<ui::CheckBox>(f, "chkbEndCont").Click();
    for (auto [box, text] : {std::pair{"txtNumRow", "2"},
                             {"txtNumCol", "3"},
                             {"txtRowDist", "10"},
                             {"txtColDist", "5"},
                             {"txtAnyXc", "100"},
                             {"txtAnyYc", "20"},
                             {"txtAnyZigZacRow", "2.5"}}) {
      Retype(f, box, text);
    }
    In<ui::Button>(f, "btnOK").Click();
    return f.ModalResult();
  });
  h.Click("btnAutoGen");
  EXPECT_EQ(h.Rows(), (Rows{{"1", "", "100", "20"},
                            {"2", "", "105", "20"},
                            {"3", "", "110", "20"},
                            {"4", "", "112.5", "30"},
                            {"5", "", "107.5", "30"},
                            {"6", "", "102.5", "30"}}));
  EXPECT_TRUE(h.prompts.Messages().empty());
  EXPECT_TRUE(h.dlg.Get<ui::PictureBox>("pxbAny").Image().has_value());
  EXPECT_EQ(h.dlg.MirrorValue("AnyNumOfCol"), "3");
  EXPECT_EQ(h.dlg.MirrorValue("AnyByRow"), "True");

  // The next opening shows the remembered values ("0.##" for the distances).
  h.dlg.SetMirrorValue("AnyDistRow", "10.456");
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(In<ui::TextBox>(f, "txtNumRow").Text(), "2");
    EXPECT_EQ(In<ui::TextBox>(f, "txtRowDist").Text(), "10.46");
    EXPECT_EQ(In<ui::TextBox>(f, "txtAnyZigZacRow").Text(), "2.5");
    EXPECT_TRUE(In<ui::CheckBox>(f, "chkbByRow").Checked());
    EXPECT_TRUE(In<ui::CheckBox>(f, "chkbEndCont").Checked());
    EXPECT_FALSE(In<ui::CheckBox>(f, "chkbDual").Checked());
    return ui::DialogResult::kCancel;
  });
  h.Click("btnAutoGen");
  EXPECT_EQ(h.grid.RowCount(), 6u);
}

TEST(PointListPage, StoredValuesReachThePocketGroupAndTheAutomaticGrid) {
  PointsHarness h;
  h.dlg.LoadParam({{"AnyPocket", "chkbAnyPocket", "True"},
                   {"AnyRo", "txtAnyRo", "1.5"},
                   {"AnyNumOfRow", "", "4"},
                   {"AnyDistCol", "", "7.125"},
                   {"AnyDual", "", "True"}});
  EXPECT_TRUE(h.dlg.Get<ui::GroupBox>("grpAnyPocket").Enabled());
  EXPECT_TRUE(h.dlg.Get<ui::TextBox>("txtAnyRo").Enabled());
  EXPECT_EQ(h.Text("txtAnyRo"), "1.5");
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(In<ui::TextBox>(f, "txtNumRow").Text(), "4");
    EXPECT_EQ(In<ui::TextBox>(f, "txtColDist").Text(), "7.13");
    EXPECT_EQ(In<ui::TextBox>(f, "txtNumCol").Text(), "0");  // not stored: the default
    EXPECT_TRUE(In<ui::CheckBox>(f, "chkbDual").Checked());
    Retype(f, "txtNumCol", "2");
    In<ui::Button>(f, "btnOK").Click();
    return f.ModalResult();
  });
  h.Click("btnAutoGen");
  // Four rows of two, column by column, each position a pair of points.
  EXPECT_EQ(h.grid.RowCount(), 16u);
  const auto saved = h.dlg.SaveParam(
      {{"AnyNumOfCol", "", ""}, {"AnyDistCol", "", ""}, {"AnyPocket", "chkbAnyPocket", ""}});
  EXPECT_EQ(saved[0].text, "2");
  EXPECT_EQ(saved[1].text, "7.13");
  EXPECT_EQ(saved[2].text, "True");
}

TEST(PointListPage, AutoGenKeyFilters) {
  ui::ScriptedPrompts prompts;
  AutoGen form(prompts);
  struct Case {
    const char* box;
    const char* typed;
    const char* result;
  };
  const Case cases[] = {
      {"txtAnyXc", "-1.5", "-1.5"},     {"txtAnyYc", "-2a", "-2"},
      {"txtNumRow", "-3", "3"},         {"txtNumCol", "4.", "4."},
      {"txtRowDist", "-1", "1"},        {"txtColDist", "2.5.", "2.5"},
      {"txtAnyDual", "-0.4", "0.4"},    {"txtAnyZigZacRow", "-2.5", "-2.5"},
      {"txtAnyZigZacCol", "--1", "-1"}, {"txtAnyXc", "-1,5", "-1.5"},  // a comma enters the point
      {"txtColDist", "2,5,", "2.5"},
  };
  for (const Case& c : cases) {
    auto& box = form.Get<ui::TextBox>(c.box);
    box.SetText("");
    box.Type(c.typed);
    EXPECT_EQ(box.Text(), c.result) << c.box;
  }
  EXPECT_EQ(form.GetForm().GetBounds().width, 411);
  EXPECT_EQ(form.GetForm().GetBounds().height, 348);
}

TEST(PointListPage, AutoGenLayoutInEveryLanguage) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  for (int language = 0; language < kLanguageCount; ++language) {
    h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(language);
    AutoGen form(h.prompts);
    CheckChildren(form.GetForm(), "AutoGen language " + std::to_string(language));
  }
}

}  // namespace
}  // namespace kelvora::dialog
