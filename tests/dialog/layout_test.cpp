// Every page of the window, in every language: each visible control lies inside
// its parent, no two visible controls of one parent overlap, and every caption
// fits its control by the caption width estimate of ui/text_metrics.h. Pages
// are checked at the designed size and at a larger window, where the layout
// must keep its arrangement.
#include <gtest/gtest.h>

#include "dialog/config_dialog.h"
#include "dialog/language_texts.h"
#include "dialog_fixture.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {
namespace {

using testing::CheckChildren;
using testing::DialogHarness;

TEST(Layout, EveryPageInEveryLanguageAndSize) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  const std::pair<int, int> sizes[] = {{1191, 668}, {1600, 900}};
  for (const auto& [w, hgt] : sizes) {
    h.dlg.GetForm().SetClientSize(w, hgt);
    for (int language = 0; language < kLanguageCount; ++language) {
      h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(language);
      const std::string where =
          std::to_string(w) + "x" + std::to_string(hgt) + " language " + std::to_string(language);
      // The header strip and the tab controls, on the form itself.
      CheckChildren(h.dlg.GetForm(), where);
    }
  }
}

TEST(Layout, ConfigDialog) {
  // Its note and the machine's settings are the same in every language.
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  CheckChildren(config.GetForm(), "ConfigDialog");
}

TEST(Layout, GrowingTheWindowGivesTheRoomToPicturesAndProgramBoxes) {
  DialogHarness h;
  const auto before = h.dlg.Get<ui::PictureBox>("pbxKhoanTron").GetBounds();
  const auto programBefore = h.dlg.Get<ui::TextBox>("txtDrillGcode").GetBounds();
  const auto inputBefore = h.dlg.Get<ui::TextBox>("txtdepth").GetBounds();
  const auto sketchBefore = h.dlg.Get<ui::PictureBox>("pictureBox2").GetBounds();
  h.dlg.GetForm().SetClientSize(1191 + 200, 668 + 100);
  const auto after = h.dlg.Get<ui::PictureBox>("pbxKhoanTron").GetBounds();
  const auto programAfter = h.dlg.Get<ui::TextBox>("txtDrillGcode").GetBounds();
  EXPECT_EQ(after.width, before.width + 100);
  EXPECT_EQ(after.height, before.height + 100);
  EXPECT_EQ(programAfter.width, programBefore.width + 100);
  EXPECT_EQ(programAfter.height, programBefore.height + 100);
  // The inputs keep their size and their place below the pictures.
  const auto inputAfter = h.dlg.Get<ui::TextBox>("txtdepth").GetBounds();
  EXPECT_EQ(inputAfter.width, inputBefore.width);
  EXPECT_EQ(inputAfter.y, inputBefore.y + 100);
  EXPECT_EQ(h.dlg.Get<ui::PictureBox>("pictureBox2").GetBounds().width, sketchBefore.width);
  // The teach table and its program take the room too; the columns keep their widths.
  const auto teachGrid = h.dlg.Get<ui::DataGrid>("dataGridView2").GetBounds();
  const auto teachProgram = h.dlg.Get<ui::TextBox>("txtTchGCode").GetBounds();
  h.dlg.GetForm().SetClientSize(1191 + 400, 668 + 200);
  EXPECT_EQ(h.dlg.Get<ui::DataGrid>("dataGridView2").GetBounds().height, teachGrid.height + 100);
  EXPECT_EQ(h.dlg.Get<ui::TextBox>("txtTchGCode").GetBounds().width, teachProgram.width + 200);
  EXPECT_EQ(h.dlg.Get<ui::DataGrid>("dataGridView2").Columns()[0].width, 150);
  // At the designed size the preview is about as large as the renderer's default box.
  EXPECT_GE(before.width, 400);
  EXPECT_GE(before.height, 300);
}

}  // namespace
}  // namespace kelvora::dialog
