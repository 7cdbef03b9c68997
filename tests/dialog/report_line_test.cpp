#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialog/program_page.h"
#include "dialog/report_texts.h"
#include "dialog_fixture.h"
#include "motion/path_picture.h"
#include "motion/report.h"
#include "motion/report_text.h"
#include "settings/stated_depth.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

constexpr int kEnglish = 1;

// The report line as one row: a line broken to fit its width reads the same.
std::string Shown(DialogHarness& h, std::string_view line) {
  std::string text = h.Text(line);
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.replace(at, 2, " ");
  }
  return text;
}

void SelectLanguage(DialogHarness& h, int index) {
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(index);
}

// A tab's GCode Gen with what it needs first, and where its program, report
// line and preview are.
struct TabCase {
  const char* name;
  std::function<void(DialogHarness&)> prepare;
  const char* generate;
  const char* program;
  const char* line;
  const char* preview;  // null: the tab has no preview picture
  settings::JobInputs job;
};

std::vector<TabCase> Tabs() {
  using settings::JobInputs;
  const auto none = [](DialogHarness&) {};
  return {
      {"circle", none, "btnDrillGcodeGen", "txtDrillGcode", "lblDrillGcodeReport", "pbxKhoanTron",
       JobInputs::kCircle},
      {"grid", none, "btnGridGcodGen", "txtGridGcode", "lblGridGcodeReport", "pbxGridDrill",
       JobInputs::kGrid},
      {"surface", none, "btnMSqrGcodeGen", "txtMSqrGcode", "lblMSqrGcodeReport", "pxbMSqr",
       JobInputs::kSurface},
      {"point list",
       [](DialogHarness& h) {
         h.dlg.dtResult.AddRow({"1", "A", "10", "20"});
         h.dlg.dtResult.AddRow({"2", "B", "40", "-5"});
       },
       "btnAnyGcodeGen", "txtAnyGcode", "lblAnyGcodeReport", "pxbAny", JobInputs::kPoints},
      {"router cut list",
       [](DialogHarness& h) {
         h.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(3);
         h.dlg.dtCutGenHoriz.AddRow({"1", "100", "2"});
       },
       "btnDxfGcodeGen", "txtDxfGcode", "lblDxfGcodeReport", "pxbDxf", JobInputs::kCuts},
      {"router drawing",
       [](DialogHarness& h) {
         h.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(2);
         h.dlg.Get<ui::Label>("lblDxfPath").SetText(testing::Data("geometry/dxf/square.dxf"));
       },
       "btnDxfGcodeGen", "txtDxfGcode", "lblDxfGcodeReport", "pxbDxf", JobInputs::kContour},
      {"teach",
       [](DialogHarness& h) {
         h.dlg.LoadParam({{"tchOp1", "", "MOVE*G1"}});
         h.dlg.Get<ui::DataGrid>("dataGridView2")
             .GetTable()
             .AddRow({"MOVE", "10", "20", "-1", "0", "0", "0", "300"});
       },
       "btnTchGc_gen", "txtTchGCode", "lblTchGCodeReport", nullptr, JobInputs::kTeach},
      {"thread", none, "btnGenerate", "txtThreadGcode", "lblThreadGcodeReport", nullptr,
       JobInputs::kThread},
  };
}

TEST(ReportLine, EveryTabReportsItsProgramAfterGcodeGen) {
  for (const TabCase& c : Tabs()) {
    for (int language : {0, kEnglish}) {
      DialogHarness h;
      SelectLanguage(h, language);
      c.prepare(h);
      EXPECT_EQ(Shown(h, c.line), "") << c.name;
      h.Click(c.generate);
      const std::string& program = h.Text(c.program);
      ASSERT_FALSE(program.empty()) << c.name;
      // The window's single reading gives what the report of the program box's
      // text with the job's stated depth gives.
      const motion::CheckOptions options = settings::JobCheckOptions(c.job, h.dlg.Inputs());
      const motion::Report report = motion::CheckProgram(program, motion::Machine{}, options);
      EXPECT_TRUE(report.extents.any) << c.name;
      EXPECT_EQ(Shown(h, c.line), ReportSummary(report, language)) << c.name;
      EXPECT_TRUE(Shown(h, c.line).starts_with("X ")) << c.name << ": " << Shown(h, c.line);
      if (language == kEnglish) {
        EXPECT_EQ(Shown(h, c.line), motion::SummaryLine(report)) << c.name;
      }
      if (c.preview) {
        const auto& image = h.dlg.Get<ui::PictureBox>(c.preview).Image();
        ASSERT_TRUE(image) << c.name;
        EXPECT_FALSE(image->items.empty()) << c.name;
      }
    }
  }
}

TEST(ReportLine, CircleInFiguresAndItsNote) {
  DialogHarness h;
  SelectLanguage(h, kEnglish);
  h.Click("btnDrillGcodeGen");
  // Eleven holes on a 20 mm circle round (30, 30): the leftmost at 163.6 degrees
  // (X 30 - 9.595), the lowest at 261.8 (Y 30 - 9.898), the highest at 98.2; the
  // first move rises to Z safe 10 where the machine stands, which is not counted
  // in X and Y; 5 deep. OnSpin is off: the program cuts with the spindle off, a note.
  const std::string line = Shown(h, "lblDrillGcodeReport");
  EXPECT_TRUE(line.starts_with("X 20.405…40 · Y 20.102…39.898 · Z −5…10 · ")) << line;
  EXPECT_TRUE(line.ends_with(" · no warnings · 1 note")) << line;
  EXPECT_EQ(h.dlg.Get<ui::Label>("lblDrillGcodeReport").ForeColor(), (ui::Rgb{0, 0, 192}));
  // The first peck, on the program's fifth line, cuts to Z-2.
  EXPECT_TRUE(h.dlg.Get<ui::Label>("lblDrillGcodeReport").Click());
  ASSERT_EQ(h.prompts.Log().size(), 1u);
  EXPECT_EQ(h.prompts.Log()[0].text,
            "Line 5: (note) cutting with the spindle off in the program (Z-2)");
  EXPECT_EQ(h.prompts.Log()[0].caption, "Program check");

  // With the spindle started by the program: nothing to say, and the click says so.
  h.prompts.ClearLog();
  testing::Fill(h, {{"chkbCirEnSpin", "True"}});
  h.Click("btnDrillGcodeGen");
  EXPECT_TRUE(Shown(h, "lblDrillGcodeReport").ends_with(" · no warnings"))
      << Shown(h, "lblDrillGcodeReport");
  h.dlg.Get<ui::Label>("lblDrillGcodeReport").Click();
  ASSERT_EQ(h.prompts.Log().size(), 1u);
  EXPECT_EQ(h.prompts.Log()[0].text, "No warnings or notes.");
}

TEST(ReportLine, WarningShowsItsLineOnClick) {
  DialogHarness h;
  SelectLanguage(h, kEnglish);
  // The grid's special operation, after a hole drilled in one plunge, holds a
  // work offset the reader does not know.
  testing::Fill(h, {{"chkbGridSpOp", "True"},
                    {"txtGridSpecialOp", "G54"},
                    {"chkbGridEnSpin", "True"},
                    {"txtGridStep", "5"},
                    {"txtGridm", "1"},
                    {"txtGridn", "1"}});
  h.Click("btnGridGcodGen");
  const std::string line = Shown(h, "lblGridGcodeReport");
  EXPECT_TRUE(line.ends_with(" · 1 warning")) << line;
  EXPECT_EQ(h.dlg.Get<ui::Label>("lblGridGcodeReport").ForeColor(), (ui::Rgb{192, 0, 0}));

  // The G54 line of the program, counted from 1.
  const std::string& program = h.Text("txtGridGcode");
  const std::size_t at = program.find("G54");
  ASSERT_NE(at, std::string::npos) << program;
  const auto lineNumber =
      1 + std::count(program.begin(), program.begin() + static_cast<std::ptrdiff_t>(at), '\n');

  h.dlg.Get<ui::Label>("lblGridGcodeReport").Click();
  ASSERT_EQ(h.prompts.Messages().size(), 1u);
  EXPECT_EQ(h.prompts.Messages()[0], "Line " + std::to_string(lineNumber) + ": unknown word (G54)");

  // In Vietnamese the same finding in its words.
  h.prompts.ClearLog();
  SelectLanguage(h, 0);
  h.dlg.Get<ui::Label>("lblGridGcodeReport").Click();
  ASSERT_EQ(h.prompts.Log().size(), 1u);
  EXPECT_EQ(h.prompts.Log()[0].text,
            "Dòng " + std::to_string(lineNumber) + ": từ không xác định (G54)");
  EXPECT_EQ(h.prompts.Log()[0].caption, "Kiểm tra chương trình");
}

// The line reads the program as the control of the plug-in's machine does: a
// host counting a dwell's P in milliseconds waits 3 s on "G4 P3000", not 50 min.
TEST(ReportLine, ReadsTheProgramAsTheMachinesControl) {
  DialogHarness h;
  SelectLanguage(h, kEnglish);
  motion::Machine milliseconds;
  milliseconds.dwellMilliseconds = true;
  h.dlg.SetMachineSource([milliseconds] { return milliseconds; });
  testing::Fill(h, {{"chkbGridSpOp", "True"},
                    {"txtGridSpecialOp", "G4 P3000"},
                    {"chkbGridEnSpin", "True"},
                    {"txtGridStep", "5"},
                    {"txtGridm", "1"},
                    {"txtGridn", "1"}});
  h.Click("btnGridGcodGen");
  const std::string& program = h.Text("txtGridGcode");
  ASSERT_NE(program.find("G4 P3000"), std::string::npos) << program;
  const motion::CheckOptions options =
      settings::JobCheckOptions(settings::JobInputs::kGrid, h.dlg.Inputs());
  const motion::Report asMs = motion::CheckProgram(program, milliseconds, options);
  const motion::Report asSeconds = motion::CheckProgram(program, motion::Machine{}, options);
  EXPECT_NEAR(asSeconds.seconds - asMs.seconds, 3000.0 - 3.0, 1e-9);
  EXPECT_EQ(Shown(h, "lblGridGcodeReport"), motion::SummaryLine(asMs));
  EXPECT_EQ(Shown(h, "lblGridGcodeReport").find(" min "), std::string::npos)
      << Shown(h, "lblGridGcodeReport");
}

// A program read for a control that does not take all of it: its words and
// long lines in the findings message, in each language.
TEST(ReportTexts, WordsAndLinesTheControlDoesNotRead) {
  motion::Machine grbl;
  grbl.dialect = text::Dialect::kGrbl;
  const std::string program = "M3\nG83X0Y0Z-3R1Q1F100\nG0X1(" + std::string(75, 'c') + ")\nM101\n";
  const motion::Report report = motion::CheckProgram(program, grbl);
  const std::pair<int, const char*> expected[] = {
      {kEnglish,
       "Line 2: word this control does not read (G83)\r\n"
       "Line 3: line longer than the control reads (81 > 79)\r\n"
       "Line 4: word this control does not read (M101)"},
      {0,
       "Dòng 2: từ mà bộ điều khiển này không đọc (G83)\r\n"
       "Dòng 3: dòng dài hơn bộ điều khiển đọc được (81 > 79)\r\n"
       "Dòng 4: từ mà bộ điều khiển này không đọc (M101)"},
      {2,
       "บรรทัด 2: คำสั่งที่ตัวควบคุมนี้ไม่อ่าน (G83)\r\n"
       "บรรทัด 3: บรรทัดยาวเกินกว่าที่ตัวควบคุมอ่านได้ (81 > 79)\r\n"
       "บรรทัด 4: คำสั่งที่ตัวควบคุมนี้ไม่อ่าน (M101)"},
      {3,
       "Baris 2: kata yang tidak dibaca kontrol ini (G83)\r\n"
       "Baris 3: baris lebih panjang dari yang dibaca kontrol (81 > 79)\r\n"
       "Baris 4: kata yang tidak dibaca kontrol ini (M101)"},
  };
  for (const auto& [language, text] : expected) {
    EXPECT_EQ(ReportFindings(report, language), text) << language;
  }
  // Three warnings: the summary line turns red as for any other.
  EXPECT_TRUE(ReportSummary(report, kEnglish).ends_with(" · 3 warnings"))
      << ReportSummary(report, kEnglish);
}

TEST(ReportLine, LanguageSwitchChangesTheWords) {
  DialogHarness h;
  SelectLanguage(h, kEnglish);
  h.Click("btnDrillGcodeGen");
  const std::string english = Shown(h, "lblDrillGcodeReport");
  ASSERT_TRUE(english.ends_with(" · no warnings · 1 note")) << english;
  const std::vector<std::pair<int, const char*>> words = {
      {0, " · không có cảnh báo · 1 ghi chú"},
      {2, " · ไม่มีคำเตือน · 1 หมายเหตุ"},
      {3, " · tidak ada peringatan · 1 catatan"},
      {kEnglish, " · no warnings · 1 note"}};
  for (const auto& [language, ending] : words) {
    SelectLanguage(h, language);
    const std::string shown = Shown(h, "lblDrillGcodeReport");
    EXPECT_TRUE(shown.ends_with(ending)) << language << ": " << shown;
    // The figures stay: only the words change.
    EXPECT_EQ(shown.substr(0, shown.find(" · Z")), english.substr(0, english.find(" · Z")));
  }
  EXPECT_EQ(Shown(h, "lblDrillGcodeReport"), english);
}

TEST(ReportTexts, EveryTextInEveryLanguageAndTheCommandLinesEnglish) {
  for (std::size_t row = 0; row < ReportTextTable().size(); ++row) {
    for (int language = 0; language < kLanguageCount; ++language) {
      EXPECT_FALSE(ReportWord(static_cast<ReportText>(row), language).empty())
          << "row " << row << ", language " << language;
    }
  }
  for (int kind = 0; kind <= static_cast<int>(motion::FindingKind::kArcEndNearCircle); ++kind) {
    const auto k = static_cast<motion::FindingKind>(kind);
    EXPECT_EQ(FindingText(k, kEnglish), motion::FindingText(k)) << kind;
  }
  // The "@" of the count left out is filled in.
  motion::Report many;
  many.findings.push_back({motion::FindingKind::kNoFeed, 7, ""});
  many.findingCount = 1500;
  EXPECT_EQ(ReportFindings(many, kEnglish),
            "Line 7: feed move with no feed rate\r\n… and 1499 more");
}

TEST(ReportLine, ALongLineTakesASecondRowFromTheProgramBox) {
  DialogHarness h;
  testing::Fill(h, {{"txtGridXc", "-1234.567"}, {"txtGridm", "1"}, {"txtGridn", "1"}});
  h.Click("btnGridGcodGen");
  const auto& line = h.dlg.Get<ui::Label>("lblGridGcodeReport");
  const auto& box = h.dlg.Get<ui::TextBox>("txtGridGcode");
  // Vietnamese at the designed size: too long for one row.
  const std::size_t at = line.Text().find(" ·\r\n");
  ASSERT_NE(at, std::string::npos) << line.Text();
  const int row = ui::EstimateTextHeight(line.GetFont());
  EXPECT_EQ(line.GetBounds().height, 2 * row + 2);
  EXPECT_EQ(box.GetBounds().Bottom() + 2, line.GetBounds().y);
  EXPECT_LE(ui::EstimateTextWidth(line.Text().substr(0, at + 3), line.GetFont()),
            line.GetBounds().width);

  // In English it fits one row, and the box has its room back.
  SelectLanguage(h, kEnglish);
  EXPECT_EQ(line.Text().find('\n'), std::string::npos) << line.Text();
  EXPECT_EQ(line.GetBounds().height, row + 2);
  EXPECT_EQ(box.GetBounds().Bottom() + 2, line.GetBounds().y);
}

TEST(ReportLine, RefusedGcodeGenKeepsTheLine) {
  DialogHarness h;
  h.Click("btnDrillGcodeGen");
  const std::string before = h.Text("lblDrillGcodeReport");
  ASSERT_FALSE(before.empty());
  const auto picture = h.dlg.Get<ui::PictureBox>("pbxKhoanTron").Image();
  h.dlg.Get<ui::TextBox>("txtXc").SetText("");
  h.Click("btnDrillGcodeGen");
  EXPECT_EQ(h.prompts.Messages().size(), 1u);  // "Parameters error"
  EXPECT_EQ(h.Text("lblDrillGcodeReport"), before);
  ASSERT_TRUE(h.dlg.Get<ui::PictureBox>("pbxKhoanTron").Image());
  EXPECT_EQ(h.dlg.Get<ui::PictureBox>("pbxKhoanTron").Image()->items.size(), picture->items.size());
}

TEST(ReportLine, BeforeAnyProgramTheLineIsEmptyAndSilent) {
  DialogHarness h;
  EXPECT_EQ(h.Text("lblDrillGcodeReport"), "");
  EXPECT_TRUE(h.dlg.Get<ui::Label>("lblDrillGcodeReport").Click());
  EXPECT_TRUE(h.prompts.Log().empty());
}

TEST(ReportLine, PreviewShowsThePathAfterGcodeGen) {
  DialogHarness h;
  h.Click("btnDrillGcodeGen");
  const geometry::Picture& p = *h.dlg.Get<ui::PictureBox>("pbxKhoanTron").Image();
  const ui::Bounds box = h.dlg.Get<ui::PictureBox>("pbxKhoanTron").GetBounds();
  EXPECT_EQ(p.width, box.width);
  EXPECT_EQ(p.height, box.height);
  // Eleven holes as marks, the rapids between them dashed.
  EXPECT_EQ(testing::CountItems<geometry::EllipsePrim>(p), 11u);
  std::size_t dashed = 0;
  for (const auto& item : p.items) {
    if (const auto* l = std::get_if<geometry::LinePrim>(&item)) dashed += l->pen.dashed ? 1 : 0;
  }
  EXPECT_GE(dashed, 10u);
}

}  // namespace
}  // namespace kelvora::dialog
