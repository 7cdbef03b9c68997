#include "dialog/program_hand_off.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "text/files.h"

namespace kelvora::dialog {
namespace {

TEST(FolderHandOff, CreatesTheFolderAndReplacesTempTap) {
  const auto root =
      std::filesystem::temp_directory_path() /
      ("kelvora_handoff_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::remove_all(root);
  FolderHandOff handOff(root / "Mach3" / "Plugins" / "Gcode");
  // No folder yet: the write fails and says why.
  const Outcome<void> refused = handOff.WriteProgramFile("G90\r\n");
  ASSERT_FALSE(refused);
  EXPECT_FALSE(refused.failure().message.empty());
  handOff.CreateGcodeFolder();
  handOff.CreateGcodeFolder();  // an existing folder is left as it is
  EXPECT_TRUE(handOff.WriteProgramFile("G90\r\nM30\r\n"));
  EXPECT_TRUE(handOff.WriteProgramFile("\r\n"));
  EXPECT_EQ(text::ReadFileBytes(handOff.Folder() / "temp.tap"), "\r\n");
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kelvora::dialog
