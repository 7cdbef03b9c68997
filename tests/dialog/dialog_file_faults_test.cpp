// Faults of the files the dialog reads and writes, met through its buttons: a
// list file that disappears between the pick and the read, a folder where the
// file should be, a file that cannot be opened, and a full disk under a save or
// under temp.tap. Each shows a clear message and leaves the list, the earlier
// file and the load request as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "dialog/program_hand_off.h"
#include "dialog/xyz_demo_dialog.h"
#include "text/files.h"
#include "ui/data_grid.h"
#include "ui/scripted_prompts.h"

namespace kelvora::dialog {
namespace {

namespace fs = std::filesystem;

// Scripted prompts that can act at the moment a file dialog returns its pick,
// as another program removing the file just then would.
struct PickingPrompts : ui::ScriptedPrompts {
  std::function<void(const std::string&)> afterPick;
  std::optional<std::string> OpenFile(std::string_view filter) override {
    auto picked = ScriptedPrompts::OpenFile(filter);
    if (picked && afterPick) afterPick(*picked);
    return picked;
  }
};

struct Folder {
  fs::path path;
  explicit Folder(const std::string& name)
      : path(fs::temp_directory_path() / ("kelvora_dialog_faults_" + name)) {
    std::error_code ec;
    fs::permissions(path, fs::perms::all, ec);
    fs::remove_all(path, ec);
    fs::create_directories(path);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string Path(std::string_view name) const {
    return text::PathToUtf8(path / std::string(name));
  }
  std::string Write(std::string_view name, std::string_view bytes) const {
    EXPECT_TRUE(text::WriteFileAtomic(path / std::string(name), bytes));
    return Path(name);
  }
};

std::string Read(const std::string& path) {
  return text::ReadFileBytes(text::PathFromUtf8(path)).value_or("<unreadable>");
}

// A full disk for the next atomic write to `path`: its temporary file is the
// device that refuses every write for want of space (none on Windows).
bool FillDiskFor(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  std::error_code ec;
  fs::create_symlink("/dev/full", path + ".kelvora-tmp", ec);
  return !ec && fs::exists("/dev/full");
#endif
}

// Whether a file with no permissions cannot be read here (an administrator
// reads it all the same).
bool PermissionsStopReads(const Folder& folder) {
  const std::string probe = folder.Write("probe", "x");
  std::error_code ec;
  fs::permissions(probe, fs::perms::none, ec);
  const bool stopped = !ec && !std::ifstream(probe).is_open();
  fs::permissions(probe, fs::perms::owner_all, ec);
  fs::remove(probe, ec);
  return stopped;
}

enum class ReadFault { kVanishes, kFolder, kThroughAFile, kNoPermission };

// Every fault, with what it does to the file.
constexpr std::pair<ReadFault, const char*> kReadFaults[] = {
    {ReadFault::kVanishes, "disappears after the pick"},
    {ReadFault::kFolder, "is a folder"},
    {ReadFault::kThroughAFile, "lies under a plain file"},
    {ReadFault::kNoPermission, "has no read permission"},
};

// The list's file for one fault: its path, with the fault in place (or, for a
// vanishing file, put in place when the file dialog returns).
std::string Faulty(const Folder& folder, ReadFault fault, std::string_view name,
                   std::string_view content, PickingPrompts& prompts) {
  const std::string path = folder.Path(name);
  switch (fault) {
    case ReadFault::kVanishes:
      folder.Write(name, content);
      prompts.afterPick = [](const std::string& p) { fs::remove(text::PathFromUtf8(p)); };
      break;
    case ReadFault::kFolder:
      fs::create_directory(path);
      break;
    case ReadFault::kThroughAFile:
      return folder.Write("plain", "x") + "/" + std::string(name);
    case ReadFault::kNoPermission:
      folder.Write(name, content);
      fs::permissions(path, fs::perms::none);
      break;
  }
  return path;
}

struct Dialog {
  PickingPrompts prompts;
  RecordingHandOff handOff;
  XYZDemoDialog dlg{prompts, handOff};
  Dialog() {
    dlg.ShowAndFocus();
    // The teach operations a restart brings back, which the teach file's rows name.
    dlg.LoadParam({{"tchOp1", "", "MOVE*G1"}, {"tchOp2", "", "Spin*M3"}});
    prompts.ClearLog();
  }
  void Click(std::string_view button) {
    EXPECT_TRUE(dlg.Get<ui::Button>(button).Click()) << button;
  }
};

std::vector<std::vector<std::string>> Rows(ui::Table& table) {
  std::vector<std::vector<std::string>> out;
  for (std::size_t r = 0; r < table.RowCount(); ++r) {
    std::vector<std::string> row;
    for (std::size_t c = 0; c < table.ColumnCount(); ++c) {
      row.emplace_back(ui::CellText(table.Get(r, c)));
    }
    out.push_back(std::move(row));
  }
  return out;
}

// The lists the dialog opens from files: how to press its open button, and a
// sound file of its kind.
struct ListFile {
  const char* what;
  const char* grid;
  const char* pathLabel;
  const char* fileName;
  const char* content;
  std::function<void(Dialog&, const std::string&)> open;  // picks the path
  std::function<void(Dialog&)> save;                      // only presses the button
};

std::vector<ListFile> ListFiles() {
  return {
      {"point list", "dataGridView1", "lblAnyPath", "points.csv", "Name,X,Y\r\nA,1,2\r\nB,3,4\r\n",
       [](Dialog& d, const std::string& path) {
         d.prompts.AnswerYes().PickOpenFile(path);  // "Clear data?", then the pick
         d.Click("btnAnyLoadFile");
       },
       [](Dialog& d) { d.Click("btnAnySave"); }},
      {"horizontal cut list", "dataGridView3", "lblCutPath", "cuts.csv",
       "Name,Y,X1,X2\r\nA,10,0,100\r\nB,20,0,100\r\n",
       [](Dialog& d, const std::string& path) {
         d.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(0);
         d.prompts.PickOpenFile(path);
         d.Click("btnCutOpen");
       },
       [](Dialog& d) {
         d.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(0);
         d.Click("btnCutSave");
       }},
      {"teach table", "dataGridView2", "lblTchFile", "teach.csv",
       "Operation,X,Y,Z,A,B,C,F\r\n0,1.000,,-2.5,0,0,0,100\r\n0,2,,,,,,100\r\n",
       [](Dialog& d, const std::string& path) {
         d.prompts.PickOpenFile(path);
         d.Click("btnTchOpen");
       },
       [](Dialog& d) { d.Click("btnTchSave"); }},
  };
}

TEST(DialogFileFaults, AListFileThatCannotBeReadLeavesTheListAsItWas) {
  for (const ListFile& list : ListFiles()) {
    for (const auto& [fault, name] : kReadFaults) {
      SCOPED_TRACE(std::string(list.what) + " " + name);
      Folder folder("read");
      if (fault == ReadFault::kNoPermission && !PermissionsStopReads(folder)) {
        std::cout << "[ skipped  ] " << list.what << " " << name
                  << ": this user reads files without permission (the folder and "
                     "plain-file cases cover an unreadable path)\n";
        continue;
      }
      Dialog d;
      // The list as the operator left it: read from a sound file.
      const std::string sound = folder.Write(std::string("sound_") + list.fileName, list.content);
      list.open(d, sound);
      ui::Table& table = d.dlg.Get<ui::DataGrid>(list.grid).GetTable();
      const auto before = Rows(table);
      ASSERT_GE(before.size(), 2u);
      const std::string label = d.dlg.Get<ui::Label>(list.pathLabel).Text();
      d.prompts.ClearLog();

      const std::string path = Faulty(folder, fault, list.fileName, list.content, d.prompts);
      list.open(d, path);
      d.prompts.afterPick = nullptr;

      const auto messages = d.prompts.Messages();
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_FALSE(messages[0].empty());
      EXPECT_EQ(Rows(table), before);
      EXPECT_EQ(d.dlg.Get<ui::Label>(list.pathLabel).Text(), label);
      EXPECT_EQ(d.prompts.PendingAnswers(), 0u);
      std::error_code ec;
      fs::permissions(path, fs::perms::owner_all, ec);
    }
  }
}

enum class WriteFault { kDiskFull, kBecameFolder };

TEST(DialogFileFaults, ASaveThatFailsShowsWhyAndKeepsTheEarlierFile) {
  for (const ListFile& list : ListFiles()) {
    for (WriteFault fault : {WriteFault::kDiskFull, WriteFault::kBecameFolder}) {
      SCOPED_TRACE(std::string(list.what) +
                   (fault == WriteFault::kDiskFull ? " full disk" : " became a folder"));
      Folder folder("write");
      Dialog d;
      const std::string path = folder.Write(list.fileName, list.content);
      list.open(d, path);
      ui::Table& table = d.dlg.Get<ui::DataGrid>(list.grid).GetTable();
      ASSERT_GE(table.RowCount(), 2u);
      // The operator changes the list, then saves over its file.
      table.RemoveRow(1);
      const std::size_t rows = table.RowCount();
      d.prompts.ClearLog();
      if (fault == WriteFault::kDiskFull) {
        if (!FillDiskFor(path)) {
          std::cout << "[ skipped  ] " << list.what << " full disk: no full-disk device here\n";
          continue;
        }
        d.prompts.AnswerYes().AnswerYes();  // "Save file?", "Replace existing file?"
        list.save(d);
        // One message, naming the file; the earlier file whole.
        const auto messages = d.prompts.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(path), std::string::npos) << messages[0];
        EXPECT_EQ(Read(path), list.content);
        EXPECT_FALSE(fs::exists(path + ".kelvora-tmp"));
      } else {
        // The file was replaced by a folder since it was opened: the operator is
        // asked for a new name, and picking the folder is refused.
        fs::remove(path);
        fs::create_directory(path);
        d.prompts.AnswerYes().PickSaveFile(path);
        list.save(d);
        const auto messages = d.prompts.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_TRUE(fs::is_empty(path));
      }
      EXPECT_EQ(table.RowCount(), rows);  // the list itself is kept
      EXPECT_EQ(d.prompts.PendingAnswers(), 0u);
    }
  }
}

// temp.tap in a folder of its own: the real hand-off, atomic writes.
TEST(DialogFileFaults, AProgramFileThatCannotBeWrittenRaisesNoLoadRequest) {
  enum class Fault { kFolder, kDiskFull, kNoGcodeFolder };
  for (Fault fault : {Fault::kFolder, Fault::kDiskFull, Fault::kNoGcodeFolder}) {
    SCOPED_TRACE(static_cast<int>(fault));
    Folder folder("tap");
    ui::ScriptedPrompts prompts;
    FolderHandOff handOff(folder.path / "Gcode");
    XYZDemoDialog dlg(prompts, handOff);
    dlg.ShowAndFocus();
    handOff.CreateGcodeFolder();
    const std::string tap = text::PathToUtf8(handOff.Folder() / std::string(kProgramFileName));
    // A program handed over before.
    ASSERT_TRUE(text::WriteFileAtomic(text::PathFromUtf8(tap), "G0X1\r\n"));
    switch (fault) {
      case Fault::kFolder:
        fs::remove(tap);
        fs::create_directory(tap);
        break;
      case Fault::kDiskFull:
        if (!FillDiskFor(tap)) {
          std::cout << "[ skipped  ] temp.tap full disk: no full-disk device here\n";
          continue;
        }
        break;
      case Fault::kNoGcodeFolder:
        fs::remove_all(handOff.Folder());
        break;
    }
    ASSERT_TRUE(dlg.Get<ui::Button>("btnDrillGcodeGen").Click());
    dlg.LoadFileTrigger = false;
    ASSERT_TRUE(dlg.Get<ui::Button>("btnDrillLoadGcode").Click());
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"File opening \r\n, please close the file first!"});
    EXPECT_FALSE(dlg.LoadFileTrigger);
    switch (fault) {
      case Fault::kFolder:
        EXPECT_TRUE(fs::is_directory(tap));
        break;
      case Fault::kDiskFull:
        EXPECT_EQ(Read(tap), "G0X1\r\n");
        EXPECT_FALSE(fs::exists(tap + ".kelvora-tmp"));
        break;
      case Fault::kNoGcodeFolder:
        EXPECT_FALSE(fs::exists(handOff.Folder()));
        break;
    }
  }
}

}  // namespace
}  // namespace kelvora::dialog
