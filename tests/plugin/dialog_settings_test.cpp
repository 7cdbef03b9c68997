#include "plugin/dialog_settings.h"

#include <gtest/gtest.h>

#include "settings/profile_files.h"
#include "ui/scripted_prompts.h"

namespace kelvora::plugin {
namespace {

// The stored values the plug-in hands between the profile and the dialog.
using namespace settings;

using settings::testing::ProfileFolder;

struct Window {
  ui::ScriptedPrompts prompts;
  dialog::RecordingHandOff handOff;
  dialog::XYZDemoDialog dlg{prompts, handOff};
};

// The first opening as the plug-in runs it: show, then read the profile into the
// dialog.
void FirstOpening(Window& w, const std::string& profile) {
  w.dlg.ShowAndFocus();
  LoadParam(w.dlg, SettingsFirstOpening(profile, {}).settings);
}

void Retype(dialog::XYZDemoDialog& dlg, std::string_view box, std::string_view text) {
  auto& b = dlg.Get<ui::TextBox>(box);
  b.SelectAll();
  b.TypeChar(ui::kKeyBackspace);
  b.Type(text);
}

TEST(DialogSettings, TheDialogBindsEveryInputToTheControlTheKeyTableNames) {
  Window w;
  for (const auto& [key, control] : w.dlg.KeyBindings()) {
    const SettingsKey* k = FindSettingsKey(key);
    ASSERT_NE(k, nullptr) << key;
    EXPECT_EQ(k->control, control) << key;
  }
  EXPECT_FALSE(w.dlg.KeyBindings().empty());
}

TEST(DialogSettings, ValuesTypedAreWrittenAtShutdownAndRestoredByTheNextRun) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", "<profile><PlugIns/></profile>");
  const struct {
    const char* box;
    const char* typed;
    const char* restored;  // as the box shows it after the restart
  } typed[] = {
      {"txtXc", "30.0004", "30"},  // "0.###"
      {"txtR", "12.5", "12.5"},   {"txtn", "7", "7"}, {"txtDrillZretract", "-1.25", "-1.25"},
      {"txtSpSO", "M8", "M8"},
  };
  {
    Window first;
    FirstOpening(first, path);
    EXPECT_EQ(first.dlg.Get<ui::TextBox>("txtR").Text(), "10");  // the key's default
    for (const auto& t : typed) Retype(first.dlg, t.box, t.typed);
    first.dlg.Get<ui::CheckBox>("chkbCirSpecialOp").Click();
    first.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(1);
    Settings settings = SettingsFirstOpening(path, {}).settings;
    SaveParam(first.dlg, settings);
    ShutdownState state{true, first.dlg.Visible(), &settings};
    ASSERT_TRUE(SettingsShutdown(path, state, {}));
  }
  Window second;
  FirstOpening(second, path);
  for (const auto& t : typed) {
    EXPECT_EQ(second.dlg.Get<ui::TextBox>(t.box).Text(), t.restored) << t.box;
  }
  EXPECT_TRUE(second.dlg.Get<ui::CheckBox>("chkbCirSpecialOp").Checked());
  EXPECT_EQ(second.dlg.Get<ui::ComboBox>("cmbLanguage").SelectedIndex(), 1);
  EXPECT_EQ(second.dlg.Get<ui::TabPage>("tabPage1").Text(), "DRILL");
  EXPECT_TRUE(second.dlg.ParamLoaded());
  EXPECT_EQ(second.handOff.foldersCreated, 1);
}

TEST(DialogSettings, ValuesOfControlsNotBuiltYetAndUnconvertibleTextsSurvive) {
  Settings stored;
  stored.SetString("tchOp1", "MOVE*G1");
  stored.SetDouble("CirXc", 4.5);
  Window w;
  w.dlg.ShowAndFocus();
  LoadParam(w.dlg, stored);
  w.dlg.Get<ui::TextBox>("txtXc").SetText("abc");  // pasted, not typed
  Settings out;
  SaveParam(w.dlg, out);
  EXPECT_EQ(out.String("tchOp1"), "MOVE*G1");
  // A box whose text does not convert keeps the value the key had.
  EXPECT_EQ(out.Double("CirXc"), 0.0);
  Settings kept = stored;
  SaveParam(w.dlg, kept);
  EXPECT_EQ(kept.Double("CirXc"), 4.5);
}

}  // namespace
}  // namespace kelvora::plugin

namespace kelvora::plugin {
namespace {

TEST(DialogSettings, TheDrillingOptionsTheFormSetAreStoredAndRestored) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", "<profile><PlugIns/></profile>");
  {
    Window first;
    FirstOpening(first, path);
    // As the profile gave them: the keys' defaults.
    EXPECT_EQ(first.dlg.Inputs()("CirScheme"), "Standard");
    EXPECT_EQ(first.dlg.Inputs()("GridBackOff"), "0.5");
    first.prompts.RunModal([](ui::Form& f) {
      dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbScheme")).SetSelectedIndex(2);
      dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbOrder")).SetSelectedIndex(1);
      dynamic_cast<ui::CheckBox&>(*ui::FindByName(f, "chkbCanned")).Click();
      auto& dwell = dynamic_cast<ui::TextBox&>(*ui::FindByName(f, "txtDwell"));
      dwell.SelectAll();
      dwell.Type("0.25");
      dynamic_cast<ui::Button&>(*ui::FindByName(f, "btnOK")).Click();
      return f.ModalResult();
    });
    first.dlg.Get<ui::Button>("btnAnyOptions").Click();
    Settings settings = SettingsFirstOpening(path, {}).settings;
    SaveParam(first.dlg, settings);
    EXPECT_EQ(settings.String("AnyScheme"), "Chip break");
    EXPECT_EQ(settings.Double("AnyDwell"), 0.25);
    ShutdownState state{true, first.dlg.Visible(), &settings};
    ASSERT_TRUE(SettingsShutdown(path, state, {}));
  }
  Window second;
  FirstOpening(second, path);
  const auto inputs = second.dlg.Inputs();
  EXPECT_EQ(inputs("AnyScheme"), "Chip break");
  EXPECT_EQ(inputs("AnyOrder"), "Shortest");
  EXPECT_EQ(inputs("AnyCanned"), "True");
  EXPECT_EQ(inputs("AnyDwell"), "0.25");
  EXPECT_EQ(inputs("AnyEntry"), "Plunge");
  EXPECT_EQ(inputs("CirScheme"), "Standard");  // the other tabs kept theirs
  // And the form opens with them.
  second.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbScheme")).SelectedIndex(), 2);
    EXPECT_EQ(ui::FindByName(f, "txtDwell")->Text(), "0.25");
    return ui::DialogResult::kCancel;
  });
  second.dlg.Get<ui::Button>("btnAnyOptions").Click();
  EXPECT_EQ(second.prompts.PendingAnswers(), 0u);
  // Saved again unchanged: the same texts.
  Settings again;
  SaveParam(second.dlg, again);
  EXPECT_EQ(again.String("AnyOrder"), "Shortest");
  EXPECT_TRUE(again.Bool("AnyCanned"));
  EXPECT_EQ(again.Double("AnyDwell"), 0.25);
}

}  // namespace
}  // namespace kelvora::plugin

namespace kelvora::plugin {
namespace {

TEST(DialogSettings, TheContourOptionsTheFormSetAreStoredAndRestored) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", "<profile><PlugIns/></profile>");
  {
    Window first;
    FirstOpening(first, path);
    EXPECT_EQ(first.dlg.Inputs()("DxfSide"), "On the line");
    EXPECT_EQ(first.dlg.Inputs()("DxfPocket"), "False");
    first.prompts.RunModal([](ui::Form& f) {
      dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbDxfSide")).SetSelectedIndex(2);
      dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbDxfOutlines")).SetSelectedIndex(1);
      dynamic_cast<ui::CheckBox&>(*ui::FindByName(f, "chkbDxfPocket")).Click();
      auto& dia = dynamic_cast<ui::TextBox&>(*ui::FindByName(f, "txtDxfToolDia"));
      dia.SelectAll();
      dia.Type("6.35");
      auto& layers = dynamic_cast<ui::TextBox&>(*ui::FindByName(f, "txtDxfLayers"));
      layers.SelectAll();
      layers.Type("Cut, Outline");
      dynamic_cast<ui::Button&>(*ui::FindByName(f, "btnOK")).Click();
      return f.ModalResult();
    });
    first.dlg.Get<ui::Button>("btnDxfOptions").Click();
    first.prompts.RunModal([](ui::Form& f) {
      auto& layers = dynamic_cast<ui::TextBox&>(*ui::FindByName(f, "txtAnyLayers"));
      layers.SelectAll();
      layers.Type("Holes");
      dynamic_cast<ui::Button&>(*ui::FindByName(f, "btnOK")).Click();
      return f.ModalResult();
    });
    first.dlg.Get<ui::Button>("btnAnyOptions").Click();
    Settings settings = SettingsFirstOpening(path, {}).settings;
    SaveParam(first.dlg, settings);
    EXPECT_EQ(settings.String("DxfSide"), "Inside");
    EXPECT_EQ(settings.Double("DxfToolDia"), 6.35);
    ShutdownState state{true, first.dlg.Visible(), &settings};
    ASSERT_TRUE(SettingsShutdown(path, state, {}));
  }
  Window second;
  FirstOpening(second, path);
  const auto inputs = second.dlg.Inputs();
  EXPECT_EQ(inputs("DxfSide"), "Inside");
  EXPECT_EQ(inputs("DxfOutlines"), "All outline entities");
  EXPECT_EQ(inputs("DxfPocket"), "True");
  EXPECT_EQ(inputs("DxfToolDia"), "6.35");
  EXPECT_EQ(inputs("DxfLayers"), "Cut, Outline");
  EXPECT_EQ(inputs("DxfEntry"), "Plunge");  // untouched: its default
  EXPECT_EQ(inputs("DxfStepover"), "40");
  EXPECT_EQ(inputs("AnyLayers"), "Holes");
  second.prompts.RunModal([](ui::Form& f) {
    EXPECT_EQ(dynamic_cast<ui::ComboBox&>(*ui::FindByName(f, "cmbDxfSide")).SelectedIndex(), 2);
    EXPECT_EQ(ui::FindByName(f, "txtDxfLayers")->Text(), "Cut, Outline");
    return ui::DialogResult::kCancel;
  });
  second.dlg.Get<ui::Button>("btnDxfOptions").Click();
  EXPECT_EQ(second.prompts.PendingAnswers(), 0u);
}

}  // namespace
}  // namespace kelvora::plugin
