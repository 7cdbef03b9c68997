// The drilling tabs' "Options" form: opened with the tab's option texts, OK
// keeping them for GCode Gen and Cancel keeping nothing, a box that does not
// convert named by its key, and the form in the window's four languages.
#include "dialog/drill_options_form.h"

#include <gtest/gtest.h>

#include "dialog/language_texts.h"
#include "dialog_fixture.h"

namespace kelvora::dialog {
namespace {

using testing::CheckChildren;
using testing::DialogHarness;
using testing::In;
using testing::Retype;

struct Tab {
  const char* page;
  const char* button;
  settings::JobInputs job;
  const char* prefix;  // of the tab's option keys
};
constexpr Tab kTabs[] = {
    {"tabPage5", "btnCirOptions", settings::JobInputs::kCircle, "Cir"},
    {"tabPage6", "btnGridOptions", settings::JobInputs::kGrid, "Grid"},
    {"tabPage7", "btnAnyOptions", settings::JobInputs::kPoints, "Any"},
};
// Every form: the drilling tabs' and the router's contour options.
constexpr Tab kForms[] = {
    kTabs[0],
    kTabs[1],
    kTabs[2],
    {"tabPage15", "btnDxfOptions", settings::JobInputs::kContour, "Dxf"},
};

std::string Key(const Tab& tab, std::string_view name) {
  return tab.prefix + std::string(name);
}

// The item of a drop-down that is selected, or "" when none is.
std::string Chosen(ui::Form& form, std::string_view combo) {
  auto& c = In<ui::ComboBox>(form, combo);
  return c.SelectedIndex() < 0 ? std::string() : c.Text();
}

TEST(DrillOptions, EachTabsButtonOpensTheFormWithTheTabsOptions) {
  for (const Tab& tab : kTabs) {
    SCOPED_TRACE(tab.page);
    DialogHarness h;
    h.dlg.ShowAndFocus();
    h.dlg.LanguageSwitch(1);
    // Before the form ever ran the tab reads every option's default.
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "Scheme")), "Standard");
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "BackOff")), "0.5");
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "Canned")), "False");
    // As the stored settings hand them over.
    h.dlg.SetMirrorValue(Key(tab, "Scheme"), "Chip break");
    h.dlg.SetMirrorValue(Key(tab, "Dwell"), "0.25");
    h.dlg.SetMirrorValue(Key(tab, "FullEvery"), "3");
    h.dlg.SetMirrorValue(Key(tab, "Canned"), "True");
    h.dlg.SetMirrorValue(Key(tab, "Return"), "G99");
    const bool points = tab.job == settings::JobInputs::kPoints;
    if (points) h.dlg.SetMirrorValue("AnyOrder", "Shortest");
    h.prompts.RunModal([&](ui::Form& f) {
      EXPECT_EQ(f.Title(), "Drilling options");
      EXPECT_EQ(Chosen(f, "cmbScheme"), "Chip break");
      EXPECT_EQ(In<ui::TextBox>(f, "txtDwell").Text(), "0.25");
      EXPECT_EQ(In<ui::TextBox>(f, "txtFullEvery").Text(), "3");
      EXPECT_EQ(In<ui::TextBox>(f, "txtPeckFactor").Text(), "0.8");  // the default
      EXPECT_TRUE(In<ui::CheckBox>(f, "chkbCanned").Checked());
      EXPECT_EQ(Chosen(f, "cmbReturn"), "G99 (retract height)");
      // Only the point list orders its holes and enters pockets.
      EXPECT_EQ(ui::FindByName(f, "cmbOrder") != nullptr, points);
      EXPECT_EQ(ui::FindByName(f, "cmbEntry") != nullptr, points);
      if (points) {
        EXPECT_EQ(Chosen(f, "cmbOrder"), "Shortest");
        EXPECT_EQ(Chosen(f, "cmbEntry"), "Plunge");
      }
      return ui::DialogResult::kCancel;
    });
    h.Click(tab.button);
    EXPECT_EQ(h.prompts.PendingAnswers(), 0u);
  }
}

TEST(DrillOptions, OkKeepsTheFormsTextsAndCancelNothing) {
  for (const Tab& tab : kTabs) {
    SCOPED_TRACE(tab.page);
    DialogHarness h;
    h.dlg.ShowAndFocus();
    // Cancel after changes: the tab keeps its defaults.
    h.prompts.RunModal([](ui::Form& f) {
      In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(4);
      Retype(f, "txtDwell", "2");
      In<ui::CheckBox>(f, "chkbCanned").Click();
      EXPECT_TRUE(f.PressEscape());
      return f.ModalResult();
    });
    h.Click(tab.button);
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "Scheme")), "Standard");
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "Dwell")), "0");
    EXPECT_EQ(h.dlg.Inputs()(Key(tab, "Canned")), "False");
    EXPECT_FALSE(h.dlg.MirrorValue(Key(tab, "Scheme")).has_value());

    // OK: the choice as the English text it stands for, whatever the language.
    h.dlg.LanguageSwitch(2);
    h.prompts.RunModal([](ui::Form& f) {
      In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(3);
      EXPECT_EQ(In<ui::ComboBox>(f, "cmbScheme").Text(), "ระยะลดลง");
      Retype(f, "txtPeckFactor", "0.5");
      Retype(f, "txtMinPeck", "0.25");
      In<ui::ComboBox>(f, "cmbReturn").SetSelectedIndex(1);
      EXPECT_TRUE(f.PressEnter());
      return f.ModalResult();
    });
    h.Click(tab.button);
    EXPECT_TRUE(h.prompts.Messages().empty());
    const auto inputs = h.dlg.Inputs();
    EXPECT_EQ(inputs(Key(tab, "Scheme")), "Decreasing");
    EXPECT_EQ(inputs(Key(tab, "PeckFactor")), "0.5");
    EXPECT_EQ(inputs(Key(tab, "MinPeck")), "0.25");
    EXPECT_EQ(inputs(Key(tab, "Return")), "G99");
    EXPECT_EQ(inputs(Key(tab, "Dwell")), "0");
    // The other tabs keep theirs.
    for (const Tab& other : kTabs) {
      if (other.job != tab.job) {
        EXPECT_EQ(inputs(Key(other, "Scheme")), "Standard");
      }
    }
  }
}

TEST(DrillOptions, OkWithABoxThatDoesNotConvertNamesItsKeyAndStaysOpen) {
  struct Case {
    const Tab& tab;
    std::function<void(ui::Form&)> spoil;
    const char* key;
  };
  const Case cases[] = {
      {kTabs[0], [](ui::Form& f) { Retype(f, "txtDwell", ""); }, "CirDwell"},
      {kTabs[1], [](ui::Form& f) { Retype(f, "txtBackOff", "."); }, "GridBackOff"},
      {kTabs[2], [](ui::Form& f) { Retype(f, "txtFullEvery", "1.5"); }, "AnyFullEvery"},
      {kTabs[2], [](ui::Form& f) { Retype(f, "txtMinPeck", ""); }, "AnyMinPeck"},
      // A stored text that names no choice selects nothing, and is not kept.
      {kTabs[0], [](ui::Form& f) { In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(-1); },
       "CirScheme"},
      {kTabs[2], [](ui::Form& f) { In<ui::ComboBox>(f, "cmbEntry").SetSelectedIndex(-1); },
       "AnyEntry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    DialogHarness h;
    h.dlg.ShowAndFocus();
    h.prompts.RunModal([&](ui::Form& f) {
      In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(1);
      c.spoil(f);
      EXPECT_TRUE(f.PressEnter());
      EXPECT_EQ(f.ModalResult(), ui::DialogResult::kNone);
      EXPECT_TRUE(f.Visible());
      In<ui::Button>(f, "btnCancel").Click();
      return f.ModalResult();
    });
    h.Click(c.tab.button);
    EXPECT_EQ(h.prompts.Messages(),
              std::vector<std::string>{"Parameters error\r\n" + std::string(c.key)});
    // Nothing of the refused form reached the tab.
    EXPECT_EQ(h.dlg.Inputs()(Key(c.tab, "Scheme")), "Standard");
  }
}

TEST(DrillOptions, AStoredTextThatNamesNoChoiceSelectsNothing) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  h.dlg.SetMirrorValue("GridScheme", "Spiral");
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(Chosen(f, "cmbScheme"), "");
    In<ui::Button>(f, "btnOK").Click();
    EXPECT_EQ(f.ModalResult(), ui::DialogResult::kNone);
    return ui::DialogResult::kCancel;
  });
  h.Click("btnGridOptions");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Parameters error\r\nGridScheme"});
  EXPECT_EQ(h.dlg.Inputs()("GridScheme"), "Spiral");
}

TEST(DrillOptions, TheFormSpeaksTheWindowsLanguageAndKeepsItsChoicesOnASwitch) {
  // Opened from the dialog: the language the window shows.
  DialogHarness h;
  h.dlg.ShowAndFocus();
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(3);
  EXPECT_EQ(h.Text("btnAnyOptions"), "Opsi");
  h.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(f.Title(), "Opsi pengeboran");
    EXPECT_EQ(In<ui::Label>(f, "lblScheme").Text(), "Skema:");
    EXPECT_EQ(In<ui::ComboBox>(f, "cmbEntry").Items(),
              (std::vector<std::string>{"Tusuk lurus", "Heliks"}));
    EXPECT_EQ(In<ui::Button>(f, "btnCancel").Text(), "Batal");
    return ui::DialogResult::kCancel;
  });
  h.Click("btnAnyOptions");

  // Every caption and item of the table in each language, and back: each row
  // is shown by the point list's form or by the contour form.
  ui::ScriptedPrompts prompts;
  DrillOptionsForm form(prompts, settings::JobInputs::kPoints, 1);
  DrillOptionsForm contour(prompts, settings::JobInputs::kContour, 1);
  std::size_t shownRows = 0;
  auto& scheme = form.Get<ui::ComboBox>("cmbScheme");
  scheme.SetSelectedIndex(2);
  const std::string english = form.Get<ui::Label>("lblOptionsNote").Text();
  EXPECT_NE(english.find("G73"), std::string::npos);
  for (int language = 0; language < kLanguageCount; ++language) {
    form.SetLanguage(language);
    contour.SetLanguage(language);
    const auto column = static_cast<std::size_t>(language);
    for (const CaptionRow& row : OptionsCaptionRows()) {
      const std::string_view name = row.controls.front();
      for (DrillOptionsForm* shower : {&form, &contour}) {
        ui::Form& f = shower->GetForm();
        const std::string* shown = nullptr;
        if (name == f.Name()) {
          shown = &f.Title();
        } else if (ui::Control* c = ui::FindByName(f, name)) {
          shown = &c->Text();
        }
        if (!shown) continue;
        EXPECT_EQ(*shown, row.texts[column]) << name << " in " << language;
        ++shownRows;
      }
    }
    EXPECT_EQ(scheme.Text(), ChoiceCaption("Chip break", language));
    EXPECT_EQ(form.Inputs()("AnyScheme"), "Chip break");
  }
  // Every row was shown (Cancel by both forms) in every language.
  EXPECT_EQ(shownRows, kLanguageCount * (OptionsCaptionRows().size() + 1));
  form.SetLanguage(1);
  EXPECT_EQ(form.Get<ui::Label>("lblOptionsNote").Text(), english);
  EXPECT_EQ(scheme.Text(), "Chip break");
}

TEST(DrillOptions, EveryChoiceHasItsTextInEveryLanguage) {
  std::vector<std::string_view> choices;
  for (const Tab& tab : kForms) {
    for (const settings::InputRow& row : settings::InputsOf(tab.job)) {
      choices.insert(choices.end(), row.choices.begin(), row.choices.end());
    }
  }
  ASSERT_FALSE(choices.empty());
  for (std::string_view choice : choices) {
    const auto row = std::find_if(OptionsChoiceRows().begin(), OptionsChoiceRows().end(),
                                  [&](const ChoiceRow& r) { return r.choice == choice; });
    ASSERT_NE(row, OptionsChoiceRows().end()) << choice;
    // English shows the stored text itself (with a word of explanation at most).
    EXPECT_TRUE(row->texts[1].starts_with(choice)) << choice;
    for (std::string_view text : row->texts) EXPECT_FALSE(text.empty()) << choice;
  }
  EXPECT_EQ(ChoiceCaption("Helix", 0), "Xoắn ốc");
  EXPECT_EQ(ChoiceCaption("Helix", 7), "Helix");
}

TEST(Layout, DrillOptionsFormInEveryLanguage) {
  for (const Tab& tab : kForms) {
    for (int language = 0; language < kLanguageCount; ++language) {
      ui::ScriptedPrompts prompts;
      DrillOptionsForm form(prompts, tab.job, language);
      // Each drop-down shows its widest item.
      for (const settings::InputRow* row : form.Rows()) {
        if (row->choices.empty()) continue;
        auto& combo = form.Get<ui::ComboBox>(row->control);
        for (int i = 0; i < static_cast<int>(combo.Items().size()); ++i) {
          combo.SetSelectedIndex(i);
          EXPECT_LE(ui::EstimateTextWidth(combo.Text(), combo.GetFont()) + 20,
                    combo.GetBounds().width)
              << combo.Text();
        }
      }
      CheckChildren(form.GetForm(),
                    std::string(tab.page) + " language " + std::to_string(language));
    }
  }
}

}  // namespace
}  // namespace kelvora::dialog

namespace kelvora::dialog {
namespace {

// The lines of a program that start with `word`.
int LinesStartingWith(const std::string& program, std::string_view word) {
  int count = 0;
  std::size_t at = 0;
  while (at < program.size()) {
    const std::size_t end = program.find('\n', at);
    if (std::string_view(program).substr(at).starts_with(word)) ++count;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return count;
}

// The options form answered with `scheme` chosen and OK.
void ChooseScheme(DialogHarness& h, const char* button, int scheme) {
  h.prompts.RunModal([scheme](ui::Form& f) {
    In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(scheme);
    In<ui::Button>(f, "btnOK").Click();
    return f.ModalResult();
  });
  h.Click(button);
}

TEST(DrillOptions, GcodeGenWritesTheSchemeTheFormChose) {
  struct Case {
    const char* page;
    const char* options;
    const char* generate;
    const char* program;
    int holes;  // with the tab's start texts
  };
  const Case cases[] = {
      {"tabPage5", "btnCirOptions", "btnDrillGcodeGen", "txtDrillGcode", 11},
      {"tabPage6", "btnGridOptions", "btnGridGcodGen", "txtGridGcode", 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    DialogHarness h;
    h.dlg.ShowAndFocus();
    h.Click(c.generate);
    const std::string standard = h.Text(c.program);
    // Depth 5 in steps of 2: three feeds a hole.
    EXPECT_EQ(LinesStartingWith(standard, "G1Z"), 3 * c.holes);
    ChooseScheme(h, c.options, 4);  // "Single plunge"
    h.Click(c.generate);
    EXPECT_EQ(LinesStartingWith(h.Text(c.program), "G1Z"), c.holes);
    ChooseScheme(h, c.options, 0);  // back to "Standard": the same program again
    h.Click(c.generate);
    EXPECT_EQ(h.Text(c.program), standard);
    EXPECT_TRUE(h.prompts.Messages().empty());
  }
}

TEST(DrillOptions, ARefusedOptionKeepsTheProgramAndNamesTheKey) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  h.Click("btnDrillGcodeGen");
  const std::string before = h.Text("txtDrillGcode");
  h.prompts.RunModal([](ui::Form& f) {
    In<ui::ComboBox>(f, "cmbScheme").SetSelectedIndex(3);  // "Decreasing"
    Retype(f, "txtPeckFactor", "1.5");                     // converts, but no factor
    In<ui::Button>(f, "btnOK").Click();
    return f.ModalResult();
  });
  h.Click("btnCirOptions");
  h.Click("btnDrillGcodeGen");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Parameters error\r\nCirPeckFactor"});
  EXPECT_EQ(h.Text("txtDrillGcode"), before);
}

TEST(DrillOptions, TheShortestOrderShowsItsRapidsOnTheReportLine) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(1);
  // Listed back and forth along X: 0, 30, 10, 20 gives 30 + 20 + 10 = 60 mm.
  for (const char* x : {"0", "30", "10", "20"}) h.dlg.dtResult.AddRow({"", "", x, "0"});
  h.Click("btnAnyGcodeGen");
  const std::string listed = h.Text("txtAnyGcode");
  const std::string line = h.Text("lblAnyGcodeReport");
  EXPECT_EQ(line.find("Shortest order"), std::string::npos) << line;

  h.prompts.RunModal([](ui::Form& f) {
    In<ui::ComboBox>(f, "cmbOrder").SetSelectedIndex(1);  // "Shortest"
    In<ui::Button>(f, "btnOK").Click();
    return f.ModalResult();
  });
  h.Click("btnAnyOptions");
  h.Click("btnAnyGcodeGen");
  EXPECT_TRUE(h.prompts.Messages().empty());
  const std::string shortest = h.Text("txtAnyGcode");
  EXPECT_NE(shortest, listed);
  EXPECT_LT(shortest.find("X10.000"), shortest.find("X30.000"));
  EXPECT_GT(listed.find("X10.000"), listed.find("X30.000"));
  // The line may break after a " · ": read it as one row.
  const auto oneRow = [&h] {
    std::string text = h.Text("lblAnyGcodeReport");
    if (const auto br = text.find("\r\n"); br != std::string::npos) text.replace(br, 2, " ");
    return text;
  };
  EXPECT_NE(oneRow().find("Shortest order: rapids 30 mm, listed 60 mm"), std::string::npos)
      << oneRow();
  // In the window's language after a switch.
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(0);
  EXPECT_NE(oneRow().find("thứ tự ngắn nhất: chạy nhanh 30 mm, theo danh sách 60 mm"),
            std::string::npos)
      << oneRow();
}

}  // namespace
}  // namespace kelvora::dialog
