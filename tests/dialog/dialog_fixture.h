// A dialog as the tests drive it: scripted prompts, a recording hand-off, and
// helpers that type into boxes the way the operator does.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dialog/xyz_demo_dialog.h"
#include "geometry/picture.h"
#include "text/files.h"
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

// A control of a modal form (a missing one fails the test: std::out_of_range).
template <typename T>
T& In(ui::Form& form, std::string_view name) {
  T* found = nullptr;
  ui::ForEachControl(form, [&](ui::Control& c) {
    if (!found && c.Name() == name) found = dynamic_cast<T*>(&c);
  });
  if (!found) throw std::out_of_range(std::string(name));
  return *found;
}

// Replaces a modal form's box's text by typing, through its key filter.
inline void Retype(ui::Form& form, std::string_view name, std::string_view text) {
  auto& box = In<ui::TextBox>(form, name);
  box.SelectAll();
  box.TypeChar(ui::kKeyBackspace);
  box.Type(text);
}

// A value as the operator enters it: typed into a text box, or "True"/"False"
// for a check box (clicked when it differs).
struct Typed {
  const char* control;
  const char* text;
};

inline void Fill(DialogHarness& h, std::initializer_list<Typed> values) {
  for (const Typed& v : values) {
    if (h.dlg.Find<ui::CheckBox>(v.control)) {
      h.SetChecked(v.control, std::string_view(v.text) == "True");
    } else {
      h.Retype(v.control, v.text);
    }
  }
}

// Each control shows its text (a box's content, a caption).
inline void ExpectTexts(DialogHarness& h, std::initializer_list<Typed> texts) {
  for (const Typed& t : texts) EXPECT_EQ(h.Text(t.control), t.text) << t.control;
}

// A check box and whether it is ticked.
struct Checked {
  const char* box;
  bool checked;
};

// How a page starts: each control shows its text, each listed check box is
// ticked or not, and each listed text box takes several lines.
inline void ExpectStart(DialogHarness& h, std::initializer_list<Typed> texts,
                        std::initializer_list<Checked> checks,
                        std::initializer_list<const char*> multiline) {
  ExpectTexts(h, texts);
  for (const Checked& c : checks) {
    EXPECT_EQ(h.dlg.Get<ui::CheckBox>(c.box).Checked(), c.checked) << c.box;
  }
  for (const char* box : multiline) EXPECT_TRUE(h.dlg.Get<ui::TextBox>(box).Multiline()) << box;
}

// Characters typed into emptied boxes, and what each box then holds: the key
// filters at work.
struct KeyFilterCase {
  const char* box;
  const char* typed;
  const char* result;
};

inline void ExpectKeyFilters(DialogHarness& h, std::initializer_list<KeyFilterCase> cases) {
  for (const KeyFilterCase& c : cases) {
    auto& box = h.dlg.Get<ui::TextBox>(c.box);
    box.SetText("");
    box.Type(c.typed);
    EXPECT_EQ(box.Text(), c.result) << c.box << " typed " << c.typed;
  }
}

// The path of a file of the tests' data folder ("generators/points/drill.csv").
inline std::string Data(std::string_view name) {
  return std::string(KELVORA_TEST_DATA) + "/" + std::string(name);
}

// A golden file of the tests' data folder ("generators/golden/grid_example.nc"),
// byte for byte.
inline std::string GoldenFile(std::string_view name) {
  const auto bytes = text::ReadFileBytes(Data(name));
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or("");
}

// Generates with the tab's G-code button and hands the program over with its
// Load button: what is written must be the golden file, byte for byte, with the
// close-file request raised by the first button, the load request by the second
// only, and no message shown.
inline void ExpectProgramFromButtons(DialogHarness& h, std::string_view generate,
                                     std::string_view load, std::string_view golden) {
  h.Click(generate);
  EXPECT_TRUE(h.dlg.closeFileTrigger) << golden;
  EXPECT_FALSE(h.dlg.LoadFileTrigger) << golden;
  h.Click(load);
  ASSERT_EQ(h.handOff.writes.size(), 1u) << golden;
  EXPECT_EQ(h.handOff.writes[0], GoldenFile(golden)) << golden;
  EXPECT_TRUE(h.dlg.LoadFileTrigger) << golden;
  EXPECT_TRUE(h.prompts.Log().empty()) << golden;
}

// How many of a picture's items are of the primitive `Prim` (arcs, lines, ...).
template <class Prim>
std::size_t CountItems(const geometry::Picture& pic) {
  return static_cast<std::size_t>(std::count_if(
      pic.items.begin(), pic.items.end(),
      [](const geometry::Primitive& item) { return std::holds_alternative<Prim>(item); }));
}

// A worked example of a page: the texts typed and the golden program they give.
struct GoldenCase {
  const char* golden;
  std::initializer_list<Typed> typed;
};

// Runs `check` on each case in a dialog of its own, after `prepare` (when
// given) has typed what the cases share.
template <class Case, class Check>
void ForEachInNewDialog(void (*prepare)(DialogHarness&), std::initializer_list<Case> cases,
                        Check check) {
  for (const Case& c : cases) {
    DialogHarness h;
    if (prepare) prepare(h);
    check(h, c);
  }
}

// Each case in a dialog of its own: `prepare` (when given) types what the cases
// share, then the case's texts are typed, and the program from the page's
// buttons must be the golden one.
inline void ExpectGoldensFromButtons(void (*prepare)(DialogHarness&), std::string_view generate,
                                     std::string_view load,
                                     std::initializer_list<GoldenCase> cases) {
  ForEachInNewDialog(prepare, cases, [&](DialogHarness& h, const GoldenCase& c) {
    Fill(h, c.typed);
    ExpectProgramFromButtons(h, generate, load, c.golden);
  });
}

// A refused input: one box set to a text that does not convert, then the G-code
// button. The one message is shown, the program box keeps what it held and no
// close-file request is raised.
struct RefusedCase {
  const char* box;
  const char* text;
  const char* message;
};

inline void ExpectRefusedKeepsProgram(DialogHarness& h, const RefusedCase& c,
                                      std::string_view generate, std::string_view programBox) {
  const std::string before = h.Text(programBox);
  h.dlg.closeFileTrigger = false;
  h.prompts.ClearLog();
  h.dlg.Get<ui::TextBox>(c.box).SetText(c.text);
  h.Click(generate);
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{c.message}) << c.box << " " << c.text;
  EXPECT_EQ(h.Text(programBox), before) << c.box;
  EXPECT_FALSE(h.dlg.closeFileTrigger) << c.box;
}

// Each refused input in a dialog of its own: `prepare` (when given) types what
// the cases share, the G-code button writes a program, then the case's text is
// refused and that program stays.
inline void ExpectRefusedInputs(void (*prepare)(DialogHarness&), std::string_view generate,
                                std::string_view programBox,
                                std::initializer_list<RefusedCase> cases) {
  ForEachInNewDialog(prepare, cases, [&](DialogHarness& h, const RefusedCase& c) {
    h.Click(generate);
    ASSERT_FALSE(h.Text(programBox).empty()) << c.box;
    ExpectRefusedKeepsProgram(h, c, generate, programBox);
  });
}

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
