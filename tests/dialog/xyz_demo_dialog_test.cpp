#include <gtest/gtest.h>

#include "dialog/language_texts.h"
#include "dialog_fixture.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

// A caption as the language table gives it (its texts are the system's own,
// some with combining marks).
std::string Caption(std::string_view control, int language) {
  for (const CaptionRow& row : LanguageCaptionRows()) {
    for (std::string_view c : row.controls) {
      if (c == control) return std::string(row.texts[static_cast<std::size_t>(language)]);
    }
  }
  ADD_FAILURE() << control << " is not in the language table";
  return {};
}

std::vector<std::string> PageCaptions(const ui::TabControl& tabs) {
  std::vector<std::string> out;
  for (const ui::TabPage* p : tabs.Pages()) out.push_back(p->Text());
  return out;
}

TEST(XYZDemoDialog, BuildsTheWindowAndItsTabsAsDesigned) {
  DialogHarness h;
  ui::Form& form = h.dlg.GetForm();
  EXPECT_EQ(form.Title(), "KELVORA");
  EXPECT_EQ(form.GetBounds().width, 1191);
  EXPECT_EQ(form.GetBounds().height, 668);
  EXPECT_FALSE(form.Visible());  // created hidden
  EXPECT_TRUE(form.Icon().has_value());
  EXPECT_EQ(h.Text("label7"), "KELVORA V1.4a");
  EXPECT_EQ(h.dlg.Get<ui::Label>("label7").GetFont().points, 18);
  const auto& language = h.dlg.Get<ui::ComboBox>("cmbLanguage");
  EXPECT_EQ(language.Items(),
            (std::vector<std::string>{"Tiếng Việt", "English", "แบบไทย", "Indonesia"}));
  EXPECT_EQ(PageCaptions(h.dlg.Get<ui::TabControl>("tabControl1")),
            (std::vector<std::string>{"KHOAN", "PHAY MẶT", "Router/Cutter", "TEACH", "PnP Teach",
                                      "PnP Rcp", "Threading"}));
  EXPECT_EQ(PageCaptions(h.dlg.Get<ui::TabControl>("tabControl2")),
            (std::vector<std::string>{"Khoan theo hình tròn", "Khoan theo hàng", "INPUT"}));
  EXPECT_EQ(PageCaptions(h.dlg.Get<ui::TabControl>("tabControl3")),
            (std::vector<std::string>{"Phay mặt vuông", "Phay mặt tròn", "Any"}));
  const auto& router = h.dlg.Get<ui::TabControl>("tabControl4");
  EXPECT_EQ(PageCaptions(router),
            (std::vector<std::string>{"Horizontal", "Vertical", "DXF", "Gen"}));
  EXPECT_EQ(router.Alignment(), ui::TabAlignment::kBottom);
  EXPECT_TRUE(h.dlg.DuplicateNames().empty());
  EXPECT_EQ(h.dlg.FindControl("noSuchControl"), nullptr);
  EXPECT_EQ(h.dlg.Find<ui::Button>("txtR"), nullptr);  // a text box, not a button
}

TEST(XYZDemoDialog, FirstShowLoadsLeavesFivePagesAndVietnameseCaptions) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  ui::Form& form = h.dlg.GetForm();
  EXPECT_TRUE(form.Loaded());
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(form.Focused());
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(
      PageCaptions(h.dlg.Get<ui::TabControl>("tabControl1")),
      (std::vector<std::string>{Caption("tabPage1", 0), Caption("tabPage8", 0),
                                Caption("tabPage4", 0), Caption("tabPage2", 0), "Threading"}));
  EXPECT_EQ(h.Text("tabPage5"), Caption("tabPage5", 0));
  EXPECT_EQ(h.Text("label3"), Caption("label3", 0));
  EXPECT_EQ(h.Text("lblLanguage"), Caption("lblLanguage", 0));
  EXPECT_EQ(h.dlg.Get<ui::ComboBox>("cmbLanguage").SelectedIndex(), 0);
  EXPECT_TRUE(h.dlg.ListsCreated());
  EXPECT_EQ(h.dlg.dtCutGenHoriz.ColumnNames(),
            (std::vector<std::string>{"#", "KichThuoc", "SoLuong"}));
  EXPECT_TRUE(h.prompts.Log().empty());
}

TEST(XYZDemoDialog, ClosingHidesAndCloseButtonsMinimise) {
  DialogHarness h;
  h.dlg.LoadParam({});
  h.dlg.ShowAndFocus();
  h.dlg.Get<ui::TextBox>("txtXc").SetText("12");
  ui::Form& form = h.dlg.GetForm();
  EXPECT_FALSE(form.Close(ui::CloseReason::kUser));
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Closed());
  h.dlg.ShowAndFocus();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(h.Text("txtXc"), "12");  // inputs survive hiding

  h.Click("button1");
  EXPECT_TRUE(h.dlg.Minimised());
  EXPECT_TRUE(form.Visible());  // minimised, still in the window list
  h.dlg.ShowAndFocus();
  EXPECT_EQ(form.GetWindowState(), ui::WindowState::kNormal);
}

TEST(XYZDemoDialog, LanguageSwitching) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  auto& language = h.dlg.Get<ui::ComboBox>("cmbLanguage");
  language.SetSelectedIndex(1);
  EXPECT_EQ(h.Text("tabPage1"), "DRILL");
  EXPECT_EQ(h.Text("label12"), "SpinSpeed:");
  EXPECT_EQ(h.Text("tabPage7"), "Input");
  EXPECT_EQ(h.dlg.dtCutGenHoriz.ColumnNames(),
            (std::vector<std::string>{"#", "Dimension", "Q'ty"}));
  // Thai keeps the generated list's names and reads the point list tab in Thai.
  language.SetSelectedIndex(2);
  EXPECT_EQ(h.Text("tabPage7"), Caption("tabPage7", 2));
  EXPECT_EQ(h.Text("tabPage5"), "Circle pattern");
  EXPECT_EQ(h.dlg.dtCutGenHoriz.ColumnNames(),
            (std::vector<std::string>{"#", "Dimension", "Q'ty"}));
  // Back to Vietnamese restores every caption of the table.
  language.SetSelectedIndex(0);
  for (const CaptionRow& row : LanguageCaptionRows()) {
    for (std::string_view control : row.controls) {
      if (auto* c = h.dlg.FindControl(control)) {
        EXPECT_EQ(c->Text(), row.texts[0]) << control;
      }
    }
  }
  EXPECT_EQ(h.dlg.dtCutGenHoriz.ColumnNames(),
            (std::vector<std::string>{"#", "KichThuoc", "SoLuong"}));
  // An index outside the table changes nothing; buttons never change.
  h.dlg.LanguageSwitch(7);
  EXPECT_EQ(h.Text("tabPage1"), "KHOAN");
  EXPECT_EQ(h.Text("btnDrillGcodeGen"), "GCode Gen ");
}

TEST(XYZDemoDialog, LoadParamFillsControlsAndKeepsValuesOfMissingOnes) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  h.dlg.LoadParam({
      {"CirXc", "txtXc", "7.5"},
      {"CirEnSpin", "chkbCirEnSpin", "True"},
      {"gcGenLanguage", "cmbLanguage", "3"},
      {"tchOp1", "", "MOVE*G1"},
      {"SomeKey", "txtNotBuiltYet", "42"},
  });
  EXPECT_EQ(h.handOff.foldersCreated, 1);
  EXPECT_TRUE(h.dlg.ParamLoaded());
  EXPECT_EQ(h.Text("txtXc"), "7.5");
  EXPECT_TRUE(h.dlg.Get<ui::CheckBox>("chkbCirEnSpin").Checked());
  EXPECT_EQ(h.Text("tabPage1"), "Mengebor");
  h.Retype("txtXc", "8");
  const auto saved = h.dlg.SaveParam({{"CirXc", "txtXc", ""},
                                      {"gcGenLanguage", "cmbLanguage", ""},
                                      {"tchOp1", "", "default"},
                                      {"SomeKey", "txtNotBuiltYet", "default"},
                                      {"Other", "", "default"}});
  const std::vector<std::string> texts{saved[0].text, saved[1].text, saved[2].text, saved[3].text,
                                       saved[4].text};
  EXPECT_EQ(texts, (std::vector<std::string>{"8", "3", "MOVE*G1", "42", "default"}));
}

}  // namespace
}  // namespace kelvora::dialog
