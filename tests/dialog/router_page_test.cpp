#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <variant>

#include "dialog/language_texts.h"
#include "dialog/router_page.h"
#include "dialog_fixture.h"
#include "generators/cut_lists.h"
#include "geometry/draw_all.h"
#include "geometry/draw_contours.h"
#include "geometry/dxf_outlines.h"
#include "geometry/dxf_wrapper.h"
#include "text/files.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;
namespace fs = std::filesystem;

const std::string kData = KELVORA_TEST_DATA;
constexpr const char* kCsvFilter = "csv files (*.csv)|*.csv|All files (*.*)|*.*";

std::string ReadBytes(const std::string& path) {
  return text::ReadFileBytes(path).value_or("<missing " + path + ">");
}

// A folder of its own for the files a test writes, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           (std::string("kelvora_router_") + info->name() + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~TempDir() { fs::remove_all(dir_); }
  std::string File(const std::string& name, const std::string& content) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

struct Router : DialogHarness {
  Router() { dlg.ShowAndFocus(); }
  ui::TabControl& SubTabs() { return dlg.Get<ui::TabControl>("tabControl4"); }
  void Select(int subTab) { SubTabs().SetSelectedIndex(subTab); }
  ui::Table& Table(int subTab) {
    return subTab == 0 ? dlg.dtCut : subTab == 1 ? dlg.dtCutVer : dlg.dtCutGenHoriz;
  }
  ui::DataGrid& Grid(int subTab) {
    return dlg.Get<ui::DataGrid>(subTab == 0   ? "dataGridView3"
                                 : subTab == 1 ? "dataGridView4"
                                               : "dataGridView5");
  }
  // Rows as "#|first|second".
  std::vector<std::string> Rows(int subTab) {
    std::vector<std::string> out;
    const ui::Table& t = Table(subTab);
    for (std::size_t r = 0; r < t.RowCount(); ++r) {
      out.push_back(std::string(ui::CellText(t.Get(r, 0))) + "|" +
                    std::string(ui::CellText(t.Get(r, 1))) + "|" +
                    std::string(ui::CellText(t.Get(r, 2))));
    }
    return out;
  }
  void Open(int subTab, const std::string& path) {
    Select(subTab);
    prompts.PickOpenFile(path);
    Click("btnCutOpen");
  }
};

constexpr int kLists[] = {0, 1, 3};

TEST(RouterPage, ControlsStartAsDesigned) {
  DialogHarness h;
  // The controls of each sub-tab, then those below the sub-tabs: each shows its
  // text and lies on its page.
  const struct {
    const char* parent;
    std::vector<testing::Typed> controls;
  } pages[] = {
      {"tabPage13",
       {
           {"txtCutX1", "0"},
           {"txtCutX2", "100"},
           {"lblCutX1", "X1:"},
           {"dataGridView3", ""},
       }},
      {"tabPage14",
       {
           {"txtCutY1", "0"},
           {"txtCutY2", "100"},
           {"lblCutY2", "Y2:"},
           {"dataGridView4", ""},
       }},
      {"tabPage15",
       {
           {"btnDxfOpen", "Open"},
           {"label33", "(DXF Polylines only)"},
       }},
      {"tabPage16",
       {
           {"txtCutGenX1", "0"},
           {"txtCutGenX2", "100"},
           {"txtCutGenToolDia", "4"},
           {"lblCutGenToolDia", "Dia:"},
           {"dataGridView5", ""},
       }},
      {"tabPage4",
       {
           {"txtDxfDepth", "5"},
           {"txtDxfStepdwn", "0.5"},
           {"txtDxfZRetract", "3"},
           {"txtDxfZSafe", "10"},
           {"txtDxfFeedrate", "200"},
           {"txtDxfPlungeFeedrate", "100"},
           {"txtDxfSpinSpeed", "5000"},
           {"label27", "depth:"},
           {"label28", "stp down:"},
           {"label30", "Z Retract:"},
           {"label29", "Z safe:"},
           {"label26", "Cut Feedrate:"},
           {"label32", "Plunge Feedrate:"},
           {"label31", "Spindle:"},
           {"chkbDxfEnSpin", "OnSpin"},
           {"chkbCutZigZag", "ZigZac"},
           {"chkbCut2Way", "2_Way"},
           {"chkbDxfEnSpOp", "Sp.Op"},
           {"txtDxfSpOp", "M3"},
           {"txtDxfSpOpOff", "M3"},
           {"lblDxfSpOpOff", "Off:"},
           {"txtDxfEndScript", "M101"},
           {"lblDxfEndScript", "EndScript:"},
           {"lblCutPath", "File:-"},
           {"lblDxfPath", ""},
           {"txtDxfGcode", ""},
           {"pxbDxf", ""},
           {"btnCutAdd", "Add"},
           {"btnCutOpen", "Open"},
           {"btnCutSave", "Save"},
           {"btnCutInsert", "Insert"},
           {"btnCutDelete", "Delete"},
           {"btnCutDeleteAll", "DeleteAll"},
           {"btnCutPreview", "Preview"},
           {"btnDxfGcodeGen", "GCodeGen"},
           {"btnDxfLoad", "Load"},
           {"button5", "Close"},
       }},
  };
  for (const auto& page : pages) {
    for (const testing::Typed& c : page.controls) {
      EXPECT_EQ(h.Text(c.control), c.text) << c.control;
      EXPECT_EQ(h.dlg.Get<ui::Control>(c.control).Parent()->Name(), page.parent) << c.control;
    }
  }
  auto& tabs = h.dlg.Get<ui::TabControl>("tabControl4");
  EXPECT_EQ(tabs.Alignment(), ui::TabAlignment::kBottom);
  std::vector<std::string> captions;
  for (const ui::TabPage* p : tabs.Pages()) captions.push_back(p->Text());
  EXPECT_EQ(captions, (std::vector<std::string>{"Horizontal", "Vertical", "DXF", "Gen"}));
  EXPECT_EQ(tabs.SelectedIndex(), 0);
  for (const char* multi : {"txtDxfSpOp", "txtDxfSpOpOff", "txtDxfEndScript", "txtDxfGcode"}) {
    EXPECT_TRUE(h.dlg.Get<ui::TextBox>(multi).Multiline()) << multi;
  }
  for (const char* check : {"chkbDxfEnSpin", "chkbCutZigZag", "chkbCut2Way", "chkbDxfEnSpOp"}) {
    EXPECT_FALSE(h.dlg.Get<ui::CheckBox>(check).Checked()) << check;
  }
  // No start drawing in the router's preview.
  EXPECT_EQ(h.dlg.Get<ui::PictureBox>("pxbDxf").Shown(), nullptr);
  EXPECT_TRUE(h.dlg.DuplicateNames().empty());
  // The boxes are what the settings and the generators read by key.
  EXPECT_EQ(h.dlg.ControlOfKey("DxfStepdown"), "txtDxfStepdwn");
  EXPECT_EQ(h.dlg.ControlOfKey("CutToolDia"), "txtCutGenToolDia");
  EXPECT_EQ(h.dlg.ControlOfKey("CutZigZac"), "chkbCutZigZag");
  EXPECT_EQ(h.dlg.ControlOfKey("DxfSpOpStrOff"), "txtDxfSpOpOff");
}

TEST(RouterPage, KeyFiltersFollowTheTables) {
  DialogHarness h;
  testing::ExpectKeyFilters(h, {
                                   {"txtCutX1", "-1.5x", "-1.5"},          // signed
                                   {"txtCutGenX2", "-20", "-20"},          // signed
                                   {"txtCutGenToolDia", "-4.5", "4.5"},    // unsigned
                                   {"txtDxfDepth", "-2", "2"},             // unsigned
                                   {"txtDxfZRetract", "-3", "3"},          // unsigned on this tab
                                   {"txtDxfZSafe", "-1a", "-1a"},          // no filter
                                   {"txtDxfSpOpOff", "M9 (x)", "M9 (x)"},  // no filter
                               });
}

TEST(RouterPage, MachiningCaptionsFollowTheLanguage) {
  Router h;  // the first show applies Vietnamese
  const char* labels[] = {"label27", "label28", "label26", "label32",
                          "label30", "label29", "label31"};
  for (int language : {0, 1, 2, 3, 0}) {
    h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(language);
    for (const char* label : labels) {
      std::string_view expected;
      for (const CaptionRow& row : LanguageCaptionRows()) {
        if (std::find(row.controls.begin(), row.controls.end(), label) != row.controls.end()) {
          expected = row.texts[static_cast<std::size_t>(language)];
        }
      }
      EXPECT_FALSE(expected.empty()) << label;
      EXPECT_EQ(h.Text(label), expected) << label << " language " << language;
    }
  }
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(1);
  EXPECT_EQ(h.Text("label31"), "spinSpeed");
  EXPECT_EQ(h.dlg.Get<ui::DataGrid>("dataGridView5").Columns()[1].name, "Dimension");
  // The sub-tabs keep their captions in every language.
  EXPECT_EQ(h.dlg.Get<ui::TabControl>("tabControl4").Pages()[0]->Text(), "Horizontal");
}

TEST(RouterPage, AddInsertDeleteActOnTheSelectedList) {
  Router h;
  for (int tab : kLists) {
    h.Select(tab);
    std::vector<std::size_t> before;
    for (int other : kLists) before.push_back(h.Table(other).RowCount());
    h.Click("btnCutAdd");
    h.Click("btnCutAdd");
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
      const int other = kLists[i];
      EXPECT_EQ(h.Table(other).RowCount(), before[i] + (other == tab ? 2u : 0u))
          << tab << " " << other;
    }
    h.Table(tab).Set(1, 1, std::string("second"));
    // Insert lands above the selected row.
    h.Grid(tab).SetCurrentCell({1, 2});
    h.Click("btnCutInsert");
    EXPECT_EQ(h.Rows(tab), (std::vector<std::string>{"1||", "2||", "3|second|"})) << tab;
    // Delete asks first; No keeps the row.
    h.Grid(tab).SetCurrentCell({2, 1});
    h.prompts.AnswerNo();
    h.Click("btnCutDelete");
    EXPECT_EQ(h.Table(tab).RowCount(), 3u);
    h.prompts.AnswerYes();
    h.Click("btnCutDelete");
    EXPECT_EQ(h.Rows(tab), (std::vector<std::string>{"1||", "2||"})) << tab;
    const ui::PromptRecord ask{ui::PromptKind::kYesNo, "Are you sure?", "Delete this component?"};
    EXPECT_EQ(h.prompts.Log(), (std::vector<ui::PromptRecord>{ask, ask})) << tab;
    h.prompts.ClearLog();
  }
  // The drawing's sub-tab holds no list: nothing changes and nothing is asked.
  h.Select(2);
  for (const char* button : {"btnCutAdd", "btnCutInsert", "btnCutDelete", "btnCutPreview"}) {
    h.Click(button);
  }
  for (int tab : kLists) EXPECT_EQ(h.Table(tab).RowCount(), 2u) << tab;
  EXPECT_TRUE(h.prompts.Log().empty());
  EXPECT_EQ(h.dlg.Get<ui::PictureBox>("pxbDxf").Shown(), nullptr);

  // Insert and Delete without a selected row, or on an empty list, do nothing.
  h.Select(0);
  h.Grid(0).ClearSelection();
  h.Click("btnCutInsert");
  h.Click("btnCutDelete");
  EXPECT_EQ(h.Table(0).RowCount(), 2u);
  h.dlg.dtCutVer.Clear();
  h.Select(1);
  h.Click("btnCutInsert");
  h.Click("btnCutDelete");
  EXPECT_EQ(h.Table(1).RowCount(), 0u);
  EXPECT_TRUE(h.prompts.Log().empty());
}

TEST(RouterPage, DeleteAllEmptiesTheGeneratedListWhicheverSubTabIsSelected) {
  Router h;
  for (int tab : {0, 1, 2, 3}) {
    for (int list : kLists) {
      h.Select(list);
      h.Click("btnCutAdd");
    }
    h.Select(tab);
    h.prompts.AnswerNo();
    h.Click("btnCutDeleteAll");
    EXPECT_GE(h.Table(3).RowCount(), 1u) << tab;
    h.prompts.AnswerYes();
    h.Click("btnCutDeleteAll");
    EXPECT_EQ(h.Table(3).RowCount(), 0u) << tab;
    EXPECT_EQ(h.Table(0).RowCount(), static_cast<std::size_t>(tab + 1)) << tab;
    EXPECT_EQ(h.prompts.Log().back(),
              (ui::PromptRecord{ui::PromptKind::kYesNo, "Clear data? ", "Confirm!!!"}));
  }
}

TEST(RouterPage, OpenReadsTheFileIntoTheSelectedList) {
  TempDir dir;
  const struct {
    int tab;
    const char* file;
    const char* content;
    std::vector<std::string> rows;
    const char* start;
    const char* startText;
    const char* endText;
  } cases[] = {
      {0,
       "h.csv",
       "Name,Y,X1,X2\r\na,10,-5,50\r\nb,20,1,60\r\n",
       {"1|a|10", "2|b|20"},
       "txtCutX1",
       "1",
       "60"},
      {1, "v.csv", "Name,X,Y1,Y2\nc,7,2,9\n", {"1|c|7"}, "txtCutY1", "2", "9"},
      {3,
       "g.CSV",
       "KichThuoc,SoLuong,X1,X2\n100,2,0,500\n",
       {"1|100|2"},
       "txtCutGenX1",
       "0",
       "500"},
      // A quoted name holding a comma reads back whole.
      {0, "q.csv", "Name,Y,X1,X2\n\"x,y\",5,0,10\n", {"1|x,y|5"}, "txtCutX1", "0", "10"},
  };
  for (const auto& c : cases) {
    Router h;
    const std::string path = dir.File(c.file, c.content);
    h.Open(c.tab, path);
    EXPECT_TRUE(h.prompts.Messages().empty()) << c.file;
    EXPECT_EQ(h.Rows(c.tab), c.rows) << c.file;
    EXPECT_EQ(h.Text(c.start), c.startText) << c.file;
    const std::string endBox =
        std::string(c.start).replace(std::string(c.start).size() - 1, 1, "2");
    EXPECT_EQ(h.Text(endBox), c.endText) << c.file;
    EXPECT_EQ(h.Text("lblCutPath"), path) << c.file;
    EXPECT_EQ(h.prompts.Log().front(),
              (ui::PromptRecord{ui::PromptKind::kOpenFile, kCsvFilter, ""}));
    for (int other : kLists) {
      if (other != c.tab) {
        EXPECT_EQ(h.Table(other).RowCount(), 0u) << c.file;
      }
    }
  }
}

TEST(RouterPage, OpenRefusalsAndReportsLeaveTheirMessage) {
  TempDir dir;
  Router h;
  const std::string good = dir.File("good.csv", "Name,Y,X1,X2\na,1,0,10\n");
  h.Open(0, good);
  ASSERT_EQ(h.Table(0).RowCount(), 1u);

  // Cancelled, or a file that does not exist: "No file!", nothing else changes.
  h.Select(0);
  h.prompts.CancelFileDialog(ui::PromptKind::kOpenFile);
  h.Click("btnCutOpen");
  h.prompts.PickOpenFile(dir.Path("absent.csv"));
  h.Click("btnCutOpen");
  EXPECT_EQ(h.prompts.Messages(), (std::vector<std::string>{"No file!", "No file!"}));
  EXPECT_EQ(h.Text("lblCutPath"), good);
  h.prompts.ClearLog();

  // Another extension: refused, the label still shows the path, the list is kept.
  const std::string other = dir.File("a.txt", "Name,Y,X1,X2\nz,9,0,1\n");
  h.Open(0, other);
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"File: *..txtNot supported"});
  EXPECT_EQ(h.Text("lblCutPath"), other);
  EXPECT_EQ(h.Rows(0), std::vector<std::string>{"1|a|1"});
  h.prompts.ClearLog();

  // Skipped and ignored lines: the good lines are loaded and one message names the rest.
  const std::string partial =
      dir.File("partial.csv", "Name,Y,X1,X2\na,1,0,10\nbad,line\nb,2,0,10\n\nc,3,0,10\n");
  h.Open(0, partial);
  EXPECT_EQ(h.Rows(0), (std::vector<std::string>{"1|a|1", "2|b|2"}));
  EXPECT_EQ(
      h.prompts.Messages(),
      std::vector<std::string>{"Lines skipped: 3\r\nLines ignored after the empty line 5: 6"});
  h.prompts.ClearLog();

  // On the drawing's sub-tab only the path is kept.
  h.Open(2, good);
  EXPECT_EQ(h.Text("lblCutPath"), good);
  EXPECT_EQ(h.Rows(0), (std::vector<std::string>{"1|a|1", "2|b|2"}));
  EXPECT_TRUE(h.prompts.Messages().empty());
}

TEST(RouterPage, SaveWritesTheSelectedListOrSaysWhyNot) {
  TempDir dir;
  Router h;
  h.Select(3);
  h.Click("btnCutAdd");
  h.Table(3).Set(0, 1, std::string("100"));
  h.Table(3).Set(0, 2, std::string("2"));
  h.Retype("txtCutGenX2", "500");

  // Declined: nothing is written, nothing more asked.
  h.prompts.AnswerNo();
  h.Click("btnCutSave");
  EXPECT_EQ(h.prompts.Log().size(), 1u);

  // A new file through the save dialog.
  const std::string path = dir.Path("gen.csv");
  h.prompts.AnswerYes().PickSaveFile(path);
  h.Click("btnCutSave");
  const std::string expected = "KichThuoc,SoLuong,X1,X2\r\n100,2,0,500\r\n";
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Save file successful!"});
  EXPECT_EQ(h.Text("lblCutPath"), path);
  h.prompts.ClearLog();

  // The file in the label: replaced after a second confirmation, no message.
  h.Table(3).Set(0, 2, std::string("3"));
  h.prompts.AnswerYes().AnswerYes();
  h.Click("btnCutSave");
  EXPECT_EQ(ReadBytes(path), "KichThuoc,SoLuong,X1,X2\r\n100,3,0,500\r\n");
  EXPECT_TRUE(h.prompts.Messages().empty());
  EXPECT_EQ(h.prompts.Log()[1],
            (ui::PromptRecord{ui::PromptKind::kYesNo, "Replace existing file?", "Confirm!!!"}));
  h.prompts.ClearLog();

  // Not replaced, and the dialog picks an existing file: refused, nothing written.
  h.Table(3).Set(0, 2, std::string("4"));
  h.prompts.AnswerYes().AnswerNo().PickSaveFile(path);
  h.Click("btnCutSave");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Cannot save, File exist!"});
  EXPECT_EQ(ReadBytes(path), "KichThuoc,SoLuong,X1,X2\r\n100,3,0,500\r\n");
  h.prompts.ClearLog();

  // The drawing's sub-tab: the file in the label is left alone and the operator told.
  h.Select(2);
  h.Click("btnCutSave");
  EXPECT_EQ(h.prompts.Messages(),
            std::vector<std::string>{std::string(generators::kNoCutListToSave)});
  EXPECT_EQ(ReadBytes(path), "KichThuoc,SoLuong,X1,X2\r\n100,3,0,500\r\n");

  // A name holding a comma is quoted, so the file reads back whole.
  Router back;
  h.Select(0);
  h.Click("btnCutAdd");
  h.Table(0).Set(0, 1, std::string("x,y"));
  h.Table(0).Set(0, 2, std::string("5"));
  const std::string quoted = dir.Path("quoted.csv");
  h.prompts.AnswerYes().AnswerNo().PickSaveFile(quoted);
  h.Click("btnCutSave");
  back.Open(0, quoted);
  EXPECT_EQ(back.Rows(0), std::vector<std::string>{"1|x,y|5"});
}

// The number of straight segments a preview picture holds (lines or polylines).
constexpr auto Segments = testing::CountItems<geometry::LinePrim>;

TEST(RouterPage, PreviewDrawsTheSelectedListOrNamesTheEmptyCell) {
  Router h;
  auto& box = h.dlg.Get<ui::PictureBox>("pxbDxf");
  const struct {
    int tab;
    std::vector<std::pair<std::string, std::string>> rows;
    std::size_t cuts;
  } cases[] = {
      {0, {{"a", "10"}, {"b", "20"}, {"c", "30"}}, 3},
      {1, {{"a", "5"}}, 1},
      {3, {{"100", "2"}, {"50", "1"}}, 4},  // the first row gives one cut more
  };
  for (const auto& c : cases) {
    h.Select(c.tab);
    for (const auto& [first, second] : c.rows) {
      h.Click("btnCutAdd");
      const std::size_t r = h.Table(c.tab).RowCount() - 1;
      h.Table(c.tab).Set(r, 1, first);
      h.Table(c.tab).Set(r, 2, second);
    }
    h.Click("btnCutPreview");
    ASSERT_TRUE(box.Image().has_value()) << c.tab;
    EXPECT_EQ(Segments(*box.Image()), c.cuts) << c.tab;
    EXPECT_EQ(box.Image()->width, box.GetBounds().width);
  }
  EXPECT_TRUE(h.prompts.Log().empty());

  // An empty position cell: the grid check's message, the picture is kept.
  const geometry::Picture before = *box.Image();
  h.Select(0);
  h.Table(0).Set(1, 2, std::string());
  h.Click("btnCutPreview");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Data Line:2 wrong"});
  EXPECT_EQ(box.Image()->items.size(), before.items.size());
}

// --- Programs from the GCodeGen button, compared with the command line's goldens ---

// The settings defaults of the router keys: what the command line uses for a key
// its case does not give (a profile without the plug-in's section).
const std::pair<const char*, const char*> kStoredDefaults[] = {
    {"DxfDepth", "0"},         {"DxfStepdown", "0"},   {"DxfFeedrate", "100"},
    {"DxfPlugFeed", "100"},    {"DxfRetract", "1"},    {"DxfZsafe", "1"},
    {"DxfSpinSpeed", "10000"}, {"DxfEnSpin", "True"},  {"DxfEnSpOp", "False"},
    {"DxfSpOpStr", ""},        {"DxfSpOpStrOff", ""},  {"DxfEndScript", ""},
    {"Cut2Way", "False"},      {"CutZigZac", "False"}, {"CutToolDia", "1"},
};

struct CliCase {
  std::string golden;
  std::string job;
  std::string file;
  std::vector<std::pair<std::string, std::string>> keys;
};

// The cases of tests/cli/cases.txt that write a dxf or cuts program.
std::vector<CliCase> RouterCases() {
  std::ifstream in(kData + "/cli/cases.txt");
  std::vector<CliCase> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string f; std::getline(ss, f, '|');) fields.push_back(f);
    if (fields.size() < 5 || fields[0] == "-" || fields[1] != "0") continue;
    if (fields[2] != "dxf" && fields[2] != "cuts") continue;
    if (fields[3] != "--dxf" && fields[3] != "--cuts") continue;
    CliCase c{fields[0], fields[2], fields[4], {}};
    c.file.replace(c.file.find("@DATA@"), 6, kData);
    for (std::size_t i = 5; i < fields.size(); ++i) {
      const auto eq = fields[i].find('=');
      c.keys.emplace_back(fields[i].substr(0, eq), fields[i].substr(eq + 1));
    }
    out.push_back(std::move(c));
  }
  return out;
}

TEST(RouterPage, GCodeGenWritesTheCommandLinesGoldens) {
  const auto cases = RouterCases();
  ASSERT_GE(cases.size(), 12u);  // four cut lists and the drawings
  for (const CliCase& c : cases) {
    Router h;
    // The values as a restored profile puts them into the boxes, then the case's.
    std::vector<StoredValue> values;
    for (const auto& [key, text] : kStoredDefaults) {
      values.push_back({key, h.dlg.ControlOfKey(key), text});
    }
    for (const auto& [key, text] : c.keys) values.push_back({key, h.dlg.ControlOfKey(key), text});
    h.dlg.LoadParam(values);

    if (c.job == "cuts") {
      const std::string header =
          ReadBytes(c.file).substr(0, ReadBytes(c.file).find_first_of("\r\n"));
      const auto kind = generators::CutListKindFromHeader(header);
      ASSERT_TRUE(kind) << c.file;
      const int tab = *kind == generators::CutListKind::kHorizontal ? 0
                      : *kind == generators::CutListKind::kVertical ? 1
                                                                    : 3;
      h.Open(tab, c.file);
    } else {
      h.Select(2);
      h.prompts.PickOpenFile(c.file);
      h.Click("btnDxfOpen");
      EXPECT_EQ(h.Text("lblDxfPath"), c.file);
    }
    h.dlg.closeFileTrigger = false;
    h.Click("btnDxfGcodeGen");
    EXPECT_TRUE(h.dlg.closeFileTrigger) << c.golden;
    // The box ends with the end script, as the command line's output does.
    const std::string endScript = h.Text("txtDxfEndScript");
    EXPECT_TRUE(h.Text("txtDxfGcode").ends_with(endScript)) << c.golden;
    h.Click("btnDxfLoad");
    ASSERT_EQ(h.handOff.writes.size(), 1u) << c.golden;
    EXPECT_EQ(h.handOff.writes[0], ReadBytes(kData + "/" + c.golden)) << c.golden;
    EXPECT_TRUE(h.dlg.LoadFileTrigger) << c.golden;
  }
}

TEST(RouterPage, DrawingOpenShowsRefusalsAndEmptyDrawings) {
  Router h;
  auto& box = h.dlg.Get<ui::PictureBox>("pxbDxf");
  h.Select(2);

  // Before any file command the shared dialog lists all files; cancelling changes nothing.
  h.prompts.CancelFileDialog(ui::PromptKind::kOpenFile);
  h.Click("btnDxfOpen");
  EXPECT_EQ(h.prompts.Log(), (std::vector<ui::PromptRecord>{{ui::PromptKind::kOpenFile, "", ""}}));
  EXPECT_EQ(h.Text("lblDxfPath"), "");
  EXPECT_EQ(box.Shown(), nullptr);

  // A drawing with polylines is previewed and its path kept.
  const std::string square = kData + "/geometry/dxf/square.dxf";
  h.prompts.PickOpenFile(square);
  h.Click("btnDxfOpen");
  ASSERT_TRUE(box.Image().has_value());
  EXPECT_GE(Segments(*box.Image()), 4u);
  EXPECT_EQ(h.Text("lblDxfPath"), square);
  EXPECT_TRUE(h.prompts.Messages().empty());

  // A drawing the reader refuses: the message, a blank preview, the path kept.
  const std::string truncated = kData + "/geometry/dxf/truncated.dxf";
  h.prompts.PickOpenFile(truncated);
  h.Click("btnDxfOpen");
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_TRUE(h.prompts.Messages()[0].starts_with("Load file failed!")) << h.prompts.Messages()[0];
  EXPECT_TRUE(box.Image()->items.empty());
  EXPECT_EQ(h.Text("lblDxfPath"), truncated);
  h.prompts.ClearLog();

  // A drawing without LWPOLYLINE: said on opening, with what it holds and
  // what it skips, in one message.
  const std::string noPolylines = kData + "/geometry/dxf/r12_entities.dxf";
  h.prompts.PickOpenFile(noPolylines);
  h.Click("btnDxfOpen");
  EXPECT_EQ(h.prompts.Messages(),
            std::vector<std::string>{"The drawing holds no LWPOLYLINE: it holds 3 LINE, 1 ARC, 1 "
                                     "POLYLINE, 3 CIRCLE: choose all outline entities\r\n"
                                     "Skipped: 1 TEXT"});
  h.prompts.ClearLog();

  // After a cut list Open the shared dialog keeps the csv filter.
  h.Select(2);
  h.prompts.CancelFileDialog(ui::PromptKind::kOpenFile);
  h.Click("btnCutOpen");
  h.prompts.ClearLog();
  h.prompts.CancelFileDialog(ui::PromptKind::kOpenFile);
  h.Click("btnDxfOpen");
  EXPECT_EQ(h.prompts.Log(),
            (std::vector<ui::PromptRecord>{{ui::PromptKind::kOpenFile, kCsvFilter, ""}}));
}

TEST(RouterPage, RefusedGenerationKeepsTheProgramBox) {
  Router h;
  h.Select(0);
  h.Click("btnCutAdd");
  h.Table(0).Set(0, 2, std::string("20"));
  h.Click("btnDxfGcodeGen");
  const std::string program = h.Text("txtDxfGcode");
  ASSERT_TRUE(program.starts_with("G90\r\n")) << program;
  ASSERT_TRUE(program.ends_with("M101")) << program;

  const struct {
    const char* what;
    int tab;
    std::function<void(Router&)> spoil;
    std::string message;
  } cases[] = {
      {"empty cell", 0, [](Router& r) { r.Table(0).Set(0, 2, std::string()); },
       "Data Line:1 wrong"},
      {"feed", 0, [](Router& r) { r.dlg.Get<ui::TextBox>("txtDxfFeedrate").SetText(""); },
       "Parameters error\r\nDxfFeedrate"},
      {"no drawing", 2, [](Router&) {}, "Please select dxf file"},
      {"unreadable drawing", 2,
       [](Router& r) { r.dlg.Get<ui::Label>("lblDxfPath").SetText(kData + "/no_such.dxf"); },
       "Load file failed!"},
      {"drawing, depth", 2,
       [](Router& r) {
         r.dlg.Get<ui::Label>("lblDxfPath").SetText(kData + "/geometry/dxf/square.dxf");
         r.dlg.Get<ui::TextBox>("txtDxfDepth").SetText(".");
       },
       "Parameters error\r\nDxfDepth"},
  };
  for (const auto& c : cases) {
    Router r;
    r.dlg.Get<ui::TextBox>("txtDxfGcode").SetText(program);
    r.Select(0);
    r.Click("btnCutAdd");
    r.Table(0).Set(0, 2, std::string("20"));
    r.Select(c.tab);
    c.spoil(r);
    r.Click("btnDxfGcodeGen");
    ASSERT_EQ(r.prompts.Messages().size(), 1u) << c.what;
    EXPECT_TRUE(r.prompts.Messages()[0].starts_with(c.message))
        << c.what << ": " << r.prompts.Messages()[0];
    // Pressed twice, the box is still what it was: no end script piles up.
    r.Click("btnDxfGcodeGen");
    EXPECT_EQ(r.Text("txtDxfGcode"), program) << c.what;
    EXPECT_FALSE(r.dlg.closeFileTrigger) << c.what;
  }
}

TEST(RouterPage, GCodeGenOnAnEmptyDrawingSaysSo) {
  Router h;
  h.Select(2);
  h.prompts.PickOpenFile(kData + "/geometry/dxf/not_dxf.dxf");
  h.Click("btnDxfOpen");
  h.prompts.ClearLog();
  h.Click("btnDxfGcodeGen");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"The drawing holds no LWPOLYLINE"});
  EXPECT_EQ(h.Text("txtDxfGcode"), "G90\r\nG0Z10\r\nM101");
  EXPECT_TRUE(h.dlg.closeFileTrigger);
}

// The contour options form, answered: the boxes retyped and the drop-downs set
// (by item index), then OK or Cancel.
struct ContourAnswer {
  std::vector<std::pair<std::string, std::string>> boxes;
  std::vector<std::pair<std::string, int>> choices;
  bool ok = true;
};

void AnswerContourOptions(Router& h, const ContourAnswer& answer) {
  h.prompts.RunModal([answer](ui::Form& f) {
    EXPECT_EQ(f.Name(), "DxfOptions");
    for (const auto& [name, text] : answer.boxes) testing::Retype(f, name, text);
    for (const auto& [name, index] : answer.choices) {
      testing::In<ui::ComboBox>(f, name).SetSelectedIndex(index);
    }
    testing::In<ui::Button>(f, answer.ok ? "btnOK" : "btnCancel").Click();
    return f.ModalResult();
  });
  h.Click("btnDxfOptions");
  EXPECT_EQ(h.prompts.PendingAnswers(), 0u);
}

std::size_t ItemsOfColor(const geometry::Picture& p, geometry::Rgb color) {
  std::size_t n = 0;
  for (const auto& item : p.items) {
    std::visit(
        [&](const auto& prim) {
          if constexpr (requires { prim.pen; }) n += prim.pen.color == color ? 1 : 0;
        },
        item);
  }
  return n;
}

TEST(RouterPage, ContourOptionsFormShowsKeepsAndCancels) {
  Router h;
  h.dlg.LanguageSwitch(1);
  h.Select(2);
  EXPECT_EQ(h.Text("btnDxfOptions"), "Options");
  // The options' defaults before the form ever ran.
  EXPECT_EQ(h.dlg.Inputs()("DxfSide"), "On the line");
  EXPECT_EQ(h.dlg.Inputs()("DxfToolDia"), "3");
  EXPECT_EQ(h.dlg.Inputs()("DxfOutlines"), "LWPOLYLINEs");
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(f.Title(), "Contour options");
    EXPECT_EQ(testing::In<ui::ComboBox>(f, "cmbDxfSide").Text(), "On the line");
    EXPECT_EQ(testing::In<ui::ComboBox>(f, "cmbDxfOutlines").Text(), "LWPOLYLINEs");
    EXPECT_EQ(testing::In<ui::TextBox>(f, "txtDxfStepover").Text(), "40");
    EXPECT_FALSE(testing::In<ui::CheckBox>(f, "chkbDxfPocket").Checked());
    // The drilling forms' canned cycles note is not the contour form's.
    EXPECT_EQ(ui::FindByName(f, "lblOptionsNote"), nullptr);
    return ui::DialogResult::kCancel;
  });
  h.Click("btnDxfOptions");

  // Cancel keeps nothing; OK keeps every text for GCodeGen.
  const ContourAnswer answer{{{"txtDxfToolDia", "6"}, {"txtDxfLayers", "Cut, Outline"}},
                             {{"cmbDxfSide", 1}, {"cmbDxfOutlines", 1}, {"cmbDxfEntry", 1}}};
  ContourAnswer cancelled = answer;
  cancelled.ok = false;
  AnswerContourOptions(h, cancelled);
  EXPECT_EQ(h.dlg.Inputs()("DxfToolDia"), "3");
  EXPECT_EQ(h.dlg.Inputs()("DxfSide"), "On the line");
  AnswerContourOptions(h, answer);
  const auto inputs = h.dlg.Inputs();
  EXPECT_EQ(inputs("DxfToolDia"), "6");
  EXPECT_EQ(inputs("DxfLayers"), "Cut, Outline");
  EXPECT_EQ(inputs("DxfSide"), "Outside");
  EXPECT_EQ(inputs("DxfOutlines"), "All outline entities");
  EXPECT_EQ(inputs("DxfEntry"), "Ramp");
  EXPECT_EQ(inputs("DxfDirection"), "Climb");  // untouched
  EXPECT_TRUE(h.prompts.Messages().empty());

  // Opened again in Vietnamese, the form shows what OK kept in that language.
  h.dlg.LanguageSwitch(0);
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(f.Title(), "Tùy chọn đường viền");
    EXPECT_EQ(testing::In<ui::ComboBox>(f, "cmbDxfSide").Text(), "Bên ngoài");
    EXPECT_EQ(testing::In<ui::TextBox>(f, "txtDxfToolDia").Text(), "6");
    return ui::DialogResult::kCancel;
  });
  h.Click("btnDxfOptions");
  EXPECT_EQ(h.Text("btnDxfOptions"), "Tùy chọn");
}

TEST(RouterPage, RefusedContourOptionsKeepTheProgramAndNameTheKey) {
  const std::string square = kData + "/geometry/dxf/square.dxf";
  // Depth 5 (the tab's start text).
  const struct {
    const char* what;
    ContourAnswer answer;
    const char* key;
  } cases[] = {
      {"no tool", {{{"txtDxfToolDia", "0"}}, {{"cmbDxfSide", 1}}}, "DxfToolDia"},
      {"step-over over 100",
       {{{"txtDxfStepover", "150"}, {"txtDxfTabCount", "0"}}, {}},
       "DxfStepover"},
      {"no step-over", {{{"txtDxfStepover", "0"}}, {}}, "DxfStepover"},
      {"tab above the depth",
       {{{"txtDxfTabCount", "2"}, {"txtDxfTabHeight", "6"}}, {}},
       "DxfTabHeight"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Router h;
    h.Select(2);
    h.prompts.PickOpenFile(square);
    h.Click("btnDxfOpen");
    h.Click("btnDxfGcodeGen");
    const std::string program = h.Text("txtDxfGcode");
    ASSERT_TRUE(program.starts_with("G90")) << program;
    h.dlg.closeFileTrigger = false;
    ContourAnswer answer = c.answer;
    // A step-over matters to a pocket only.
    if (std::string(c.key) == "DxfStepover") {
      h.prompts.RunModal([](ui::Form& f) {
        testing::In<ui::CheckBox>(f, "chkbDxfPocket").Click();
        testing::In<ui::Button>(f, "btnOK").Click();
        return f.ModalResult();
      });
      h.Click("btnDxfOptions");
    }
    AnswerContourOptions(h, answer);
    h.prompts.ClearLog();
    h.Click("btnDxfGcodeGen");
    EXPECT_EQ(h.prompts.Messages(),
              std::vector<std::string>{"Parameters error\r\n" + std::string(c.key)});
    EXPECT_EQ(h.Text("txtDxfGcode"), program);
    EXPECT_FALSE(h.dlg.closeFileTrigger);
  }
}

TEST(RouterPage, DrawingPreviewIsTodaysUntilAnOptionAsksForMore) {
  const std::string square = kData + "/geometry/dxf/square.dxf";
  Router h;
  h.Select(2);
  auto& box = h.dlg.Get<ui::PictureBox>("pxbDxf");
  h.prompts.PickOpenFile(square);
  h.Click("btnDxfOpen");
  ASSERT_TRUE(box.Image().has_value());
  // Today's picture, the drawing only.
  const auto drawing = geometry::DxfObjGen(square);
  ASSERT_TRUE(drawing);
  const ui::Bounds b = box.GetBounds();
  const geometry::Picture plain =
      geometry::DrawAll::DrawListPLine(*drawing, {b.width, b.height, 0, 0}, 1);
  EXPECT_EQ(box.Image()->items.size(), plain.items.size());
  EXPECT_EQ(ItemsOfColor(*box.Image(), geometry::kRed), 0u);

  // Cut outside: the picture is redrawn at OK with the start marked and the
  // tool's paths in their own colour.
  AnswerContourOptions(h, {{}, {{"cmbDxfSide", 1}}});
  EXPECT_GT(ItemsOfColor(*box.Image(), geometry::kRed), 0u);
  EXPECT_GT(ItemsOfColor(*box.Image(), geometry::kToolPathColor), 0u);
  EXPECT_GT(ItemsOfColor(*box.Image(), geometry::kBlue), 0u);
  EXPECT_TRUE(h.prompts.Messages().empty());

  // Back on the line: today's picture again on the next Open.
  AnswerContourOptions(h, {{}, {{"cmbDxfSide", 0}}});
  h.prompts.PickOpenFile(square);
  h.Click("btnDxfOpen");
  EXPECT_EQ(box.Image()->items.size(), plain.items.size());
  EXPECT_EQ(ItemsOfColor(*box.Image(), geometry::kRed), 0u);
}

TEST(RouterPage, WhatTheCuttingLeftOutIsNamedInOneMessageAfterTheProgram) {
  // The drawing's two lone vertices have no length; cut inside, its two open
  // polylines are cut on the line.
  const std::string drawing = kData + "/geometry/dxf/r2007_edge_cases.dxf";
  const struct {
    const char* what;
    ContourAnswer answer;
    std::vector<std::string> messages;
  } cases[] = {
      // The drawing's notes first, then the cutting's, one message.
      {"on the line",
       {},
       {"Skipped: 1 TEXT, 1 MTEXT\r\nContours 1 and 2 have no length and are not cut."}},
      {"inside",
       {{{"txtDxfToolDia", "2"}}, {{"cmbDxfSide", 2}}},
       {"Skipped: 1 TEXT, 1 MTEXT\r\n"
        "Contours 1 and 2 have no length and are not cut.\r\n"
        "Contours 3 and 4 are open: they have no outside or inside and are cut on the line."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Router h;
    h.Select(2);
    AnswerContourOptions(h, c.answer);
    h.prompts.PickOpenFile(drawing);
    h.Click("btnDxfOpen");
    h.prompts.ClearLog();
    h.Click("btnDxfGcodeGen");
    // The program is written all the same; the message only tells what it
    // leaves out.
    EXPECT_TRUE(h.Text("txtDxfGcode").starts_with("G90")) << h.Text("txtDxfGcode");
    EXPECT_EQ(h.prompts.Messages(), c.messages);
    EXPECT_TRUE(h.dlg.closeFileTrigger);
  }
}

}  // namespace
}  // namespace kelvora::dialog
