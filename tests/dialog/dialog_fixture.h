// A dialog as the tests drive it: scripted prompts, a recording hand-off, and
// helpers that type into boxes the way the operator does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "dialog/xyz_demo_dialog.h"
#include "ui/scripted_prompts.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog::testing {

struct DialogHarness {
  ui::ScriptedPrompts prompts;
  RecordingHandOff handOff;
  XYZDemoDialog dlg{prompts, handOff};

  // Replaces a box's text by typing, through its key filter.
  void Retype(std::string_view box, std::string_view text) {
    auto& b = dlg.Get<ui::TextBox>(box);
    b.SelectAll();
    b.TypeChar(ui::kKeyBackspace);
    EXPECT_EQ(b.Type(text), ui::Utf8Length(text)) << box << " refused part of " << text;
  }
  void SetChecked(std::string_view box, bool checked) {
    auto& b = dlg.Get<ui::CheckBox>(box);
    if (b.Checked() != checked) b.Click();
  }
  void Click(std::string_view button) {
    EXPECT_TRUE(dlg.Get<ui::Button>(button).Click()) << button;
  }
  const std::string& Text(std::string_view box) { return dlg.Get<ui::Control>(box).Text(); }
};

// The layout rules every page keeps: each visible control lies inside its
// parent's client area, no two visible controls of one parent overlap, and every
// caption fits its control by the estimate of ui/text_metrics.h. Checks
// `parent`'s children and everything below them.
inline void CheckChildren(ui::Control& parent, const std::string& where) {
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

}  // namespace kelvora::dialog::testing
