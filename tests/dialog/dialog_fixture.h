// A dialog as the tests drive it: scripted prompts, a recording hand-off, and
// helpers that type into boxes the way the operator does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "dialog/xyz_demo_dialog.h"
#include "ui/scripted_prompts.h"

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

}  // namespace kelvora::dialog::testing
