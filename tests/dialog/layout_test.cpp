// Every page of the window, in every language: each visible control lies inside
// its parent, no two visible controls of one parent overlap, and every caption
// fits its control by the caption width estimate of ui/text_metrics.h. Pages
// are checked at the designed size and at a larger window, where the layout
// must keep its arrangement.
#include <gtest/gtest.h>

#include "dialog/language_texts.h"
#include "dialog_fixture.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

// Controls that show as part of their page: the page's own children and,
// inside group boxes, tab controls and panels, theirs.
void CheckChildren(ui::Control& parent, const std::string& where) {
  const ui::Bounds client = parent.ClientArea();
  std::vector<ui::Control*> shown;
  for (const auto& child : parent.Children()) {
    // Pages of a tab control take turns in the same area.
    if (child->Kind() == ui::ControlKind::kTabPage) {
      CheckChildren(*child, where);
      continue;
    }
    if (!child->Visible()) continue;
    shown.push_back(child.get());
    const ui::Bounds b = child->GetBounds();
    EXPECT_GT(b.width, 0) << where << ": " << child->Name() << " has no width";
    EXPECT_GT(b.height, 0) << where << ": " << child->Name() << " has no height";
    EXPECT_TRUE((ui::Bounds{0, 0, client.width, client.height}.Contains(b)))
        << where << ": " << child->Name() << " (" << b.x << "," << b.y << " " << b.width << "x"
        << b.height << ") lies outside " << parent.Name() << " (" << client.width << "x"
        << client.height << ")";
    EXPECT_TRUE(ui::CaptionFits(*child))
        << where << ": caption \"" << child->Text() << "\" of " << child->Name() << " needs "
        << ui::EstimateTextWidth(child->Text(), child->GetFont()) << " of "
        << ui::CaptionRoom(*child) << " pixels";
    CheckChildren(*child, where);
  }
  for (std::size_t i = 0; i < shown.size(); ++i) {
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(shown[i]->GetBounds().Overlaps(shown[j]->GetBounds()))
          << where << ": " << shown[i]->Name() << " overlaps " << shown[j]->Name();
    }
  }
}

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
  // At the designed size the preview is about as large as the renderer's default box.
  EXPECT_GE(before.width, 400);
  EXPECT_GE(before.height, 300);
}

}  // namespace
}  // namespace kelvora::dialog
