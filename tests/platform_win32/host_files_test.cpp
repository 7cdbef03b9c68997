// temp.tap replaced while the host still holds it open: the platform's
// replacement, the G-code folder's hand-off and the Load button's message, with
// the file held through CreateFileW and the sharing the host gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dialog/xyz_demo_dialog.h"
#include "plugin/dialog_port.h"
#include "plugin/system.h"
#include "text/files.h"
#include "ui/scripted_prompts.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::win32 {
namespace {

constexpr std::string_view kOld = "G0X1000000Y2000000\r\nG0X3000000Y4000000\r\nM30\r\n\r\n";
constexpr std::string_view kNew = "G0X1\r\nM30\r\n\r\n";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The host's handle on a file, opened for reading with the sharing it gives.
class Held {
 public:
  Held(const std::filesystem::path& path, DWORD share)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Held() { Close(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (Open()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  // What the host reads through its handle from the start of the file.
  std::string Read() {
    SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
    std::string bytes(4096, '\0');
    DWORD read = 0;
    if (!ReadFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
      return "<read failed>";
    }
    bytes.resize(read);
    return bytes;
  }

 private:
  HANDLE handle_;
};

std::vector<std::string> Entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class HeldFile : public ::testing::Test {
 protected:
  HeldFile() {
    folder_ = std::filesystem::temp_directory_path() /
              ("kelvora_held_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
  }
  ~HeldFile() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::filesystem::path folder_;
};

TEST_F(HeldFile, TheFileIsReplacedWholeOrInPlaceOrLeftAsItWas) {
  struct Case {
    const char* name;
    bool held;
    DWORD share;
    bool written;
  };
  const Case cases[] = {
      {"not held", false, 0, true},
      {"held, sharing reading, writing and deleting", true, kShareAll, true},
      {"held, sharing reading and writing", true, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {"held, sharing reading only", true, FILE_SHARE_READ, false},
      {"held, sharing nothing", true, 0, false},
  };
  plugin::HostFiles& files = plugin::SystemPlatform().files;
  const std::filesystem::path path = folder_ / "temp.tap";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(text::WriteFileAtomic(path, kOld));
    std::unique_ptr<Held> held;
    if (c.held) {
      held = std::make_unique<Held>(path, c.share);
      ASSERT_TRUE(held->Open());
    }
    const Outcome<void> replaced = files.ReplaceFileContent(path, kNew);
    if (c.written) {
      EXPECT_TRUE(replaced);
    } else {
      ASSERT_FALSE(replaced);
      EXPECT_EQ(replaced.failure().message, "Cannot write the file " + text::PathToUtf8(path));
    }
    // A file written in place is what the host reads through the handle it holds.
    if (held && c.share == (FILE_SHARE_READ | FILE_SHARE_WRITE)) {
      EXPECT_EQ(held->Read(), kNew);
    }
    if (held) held->Close();
    EXPECT_EQ(text::ReadFileBytes(path), c.written ? kNew : kOld);
    // No temporary file is left in the folder.
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"temp.tap"});
  }
}

TEST_F(HeldFile, AFileMissingAltogetherIsWritten) {
  EXPECT_TRUE(plugin::SystemPlatform().files.ReplaceFileContent(folder_ / "temp.tap", kNew));
  EXPECT_EQ(text::ReadFileBytes(folder_ / "temp.tap"), kNew);
  EXPECT_EQ(Entries(folder_), std::vector<std::string>{"temp.tap"});
}

// The Load button of the circle tab over the G-code folder of drive C.
TEST(HeldTempTap, TheLoadButtonWritesThroughTheHostsHandleOrSaysSo) {
  const std::filesystem::path folder = "C:\\Mach3\\Plugins\\Gcode";
  const std::filesystem::path path = folder / "temp.tap";
  std::filesystem::create_directories(folder);
  ui::ScriptedPrompts prompts;
  plugin::GcodeFolderHandOff handOff(plugin::SystemPlatform().paths,
                                     plugin::SystemPlatform().files);
  dialog::XYZDemoDialog dialog(prompts, handOff);
  dialog.ShowAndFocus();
  auto& program = dialog.Get<ui::TextBox>("txtDrillGcode");

  ASSERT_TRUE(text::WriteFileAtomic(path, kOld));
  {
    Held held(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held.Open());
    program.SetText("G0X1\r\nM30");
    ASSERT_TRUE(dialog.Get<ui::Button>("btnDrillLoadGcode").Click());
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_TRUE(dialog.LoadFileTrigger);
    EXPECT_EQ(held.Read(), "G0X1\r\nM30\r\n");
  }
  dialog.LoadFileTrigger = false;
  {
    Held held(path, FILE_SHARE_READ);
    ASSERT_TRUE(held.Open());
    program.SetText("G0X2\r\nM30");
    ASSERT_TRUE(dialog.Get<ui::Button>("btnDrillLoadGcode").Click());
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"File opening \r\n, please close the file first!"});
    EXPECT_FALSE(dialog.LoadFileTrigger);
  }
  EXPECT_EQ(text::ReadFileBytes(path), "G0X1\r\nM30\r\n");
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"temp.tap"});
  std::error_code ignored;
  std::filesystem::remove_all("C:\\Mach3", ignored);
}

}  // namespace
}  // namespace kelvora::win32
