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
