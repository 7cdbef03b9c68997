#include "plugin/dialog_port.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"
#include "text/files.h"
#include "ui/scripted_prompts.h"

namespace kelvora::plugin {
namespace {

// The stored values the plug-in hands between the profile and the dialog.
using namespace settings;

// Paths of drive C below a scratch folder, in lower case: Windows names the same
// file whatever the letter case.
struct ScratchPaths final : HostPaths {
  std::filesystem::path root;
  std::filesystem::path LocalPath(std::string_view windowsPath) const override {
    std::string rest(windowsPath.substr(3));
    for (char& c : rest) {
      if (c == '\\') c = '/';
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return root / rest;
  }
  std::optional<std::string> HostTextToUtf8(std::string_view text) const override {
    return std::string(text);
  }
  std::optional<std::u16string> HostTextToWide(std::string_view) const override {
    return std::nullopt;
  }
};

// Files replaced whole, as where nothing holds them open.
struct WholeFiles final : HostFiles {
  std::vector<std::filesystem::path> replaced;
  Outcome<void> ReplaceFileContent(const std::filesystem::path& path,
                                   std::string_view bytes) override {
    replaced.push_back(path);
    return text::WriteFileAtomic(path, bytes);
  }
};

class DialogPortTest : public ::testing::Test {
 protected:
  DialogPortTest() { paths_.root = folder_.Path(); }
  // Not made: the hand-off makes its folder itself.
  kelvora::testing::ScratchFolder folder_{"port", false};
  ScratchPaths paths_;
  WholeFiles files_;
  ui::ScriptedPrompts prompts_;
};

TEST_F(DialogPortTest, TheHandOffMakesTheFolderAgainWhenItIsMissing) {
  GcodeFolderHandOff handOff(paths_, files_);
  const auto folder = paths_.LocalPath("C:\\Mach3\\Plugins\\Gcode");
  handOff.CreateGcodeFolder();
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  std::filesystem::remove_all(paths_.root);
  EXPECT_TRUE(handOff.WriteProgramFile("G0X1\r\n\r\n"));
  EXPECT_EQ(text::ReadFileBytes(paths_.LocalPath("C:\\Mach3\\PlugIns\\Gcode\\temp.tap")),
            "G0X1\r\n\r\n");
  // The file goes through the platform's replacement, which knows held files.
  EXPECT_EQ(files_.replaced, std::vector<std::filesystem::path>{
                                 paths_.LocalPath("C:\\Mach3\\PlugIns\\Gcode\\temp.tap")});
}

TEST_F(DialogPortTest, SettingsGoInAndComeBackThroughTheControls) {
  GcodeFolderHandOff handOff(paths_, files_);
  XYZDemoDialogPort port(std::make_unique<dialog::XYZDemoDialog>(prompts_, handOff));
  Settings stored;
  stored.SetDouble("CirR", 12.5);
  stored.SetInt("Cirn", 7);
  stored.SetBool("CirEnSpin", false);
  stored.SetString("tchOp2", "Drill*M8");
  stored.SetInt("AnyNumOfRow", 4);  // values without a control
  stored.SetDouble("AnyDistRow", 2.123456);
  port.ShowAndFocus();
  ASSERT_FALSE(port.ParamLoaded());
  port.LoadParam(stored);
  EXPECT_TRUE(port.ParamLoaded());
  EXPECT_EQ(port.Dialog().Get<ui::TextBox>("txtR").Text(), "12.5");
  EXPECT_FALSE(port.Dialog().Get<ui::CheckBox>("chkbCirEnSpin").Checked());

  auto& radius = port.Dialog().Get<ui::TextBox>("txtR");
  radius.SetText("42.25");
  port.Dialog().Get<ui::TextBox>("txtn").SetText("not a number");
  Settings saved = port.SaveParam();
  EXPECT_EQ(saved.Double("CirR"), 42.25);
  EXPECT_EQ(saved.Int("Cirn"), 7);  // a text that does not convert keeps the value
  EXPECT_FALSE(saved.Bool("CirEnSpin"));
  EXPECT_EQ(saved.String("tchOp2"), "Drill*M8");
  EXPECT_EQ(saved.Int("AnyNumOfRow"), 4);
  EXPECT_EQ(saved.Double("AnyDistRow"), 2.123456);  // not cut to its box's decimals
}

TEST_F(DialogPortTest, FlagsAndWindowStateAreTheDialogs) {
  GcodeFolderHandOff handOff(paths_, files_);
  XYZDemoDialogPort port(std::make_unique<dialog::XYZDemoDialog>(prompts_, handOff));
  port.Dialog().closeFileTrigger = true;
  EXPECT_TRUE(port.closeFileTrigger());
  port.LoadFileTrigger() = true;
  EXPECT_TRUE(port.Dialog().LoadFileTrigger);
  port.ShowAndFocus();
  port.Dialog().btnClose_Click();
  EXPECT_EQ(port.WindowState(), DialogWindowState::kMinimised);
  port.ShowAndFocus();
  EXPECT_EQ(port.WindowState(), DialogWindowState::kNormal);
}

}  // namespace
}  // namespace kelvora::plugin
