// Faults of the files the lists and the profile live in, through the core's
// readers and writers and through the command line: a file that is missing or
// has disappeared, a folder where the file should be, a path that cannot be
// opened, and a full disk. Each gives a clear message, writes nothing half, and
// leaves the earlier file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "cli.h"
#include "cli/cli_run.h"
#include "generators/cut_lists.h"
#include "generators/point_list.h"
#include "generators/teach.h"
#include "geometry/dxf_wrapper.h"
#include "settings/profile_files.h"
#include "settings/settings_profile.h"
#include "text/files.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using settings::testing::ProfileFolder;

constexpr std::string_view kPointFile = "Name,X,Y\r\nA,1,2\r\n";
constexpr std::string_view kProfile =
    "<profile><PlugIns><Kelvora>1</Kelvora></PlugIns><Kelvora><CirR>5</CirR></Kelvora>"
    "</profile>";

enum class ReadFault { kMissing, kFolder, kThroughAFile };

// A path that shows the fault: nothing there, a folder there, or a path that
// runs through a plain file (it cannot be opened whoever asks).
std::string FaultyPath(const ProfileFolder& folder, ReadFault fault, std::string_view name) {
  switch (fault) {
    case ReadFault::kMissing:
      return folder.Path(name);
    case ReadFault::kFolder:
      fs::create_directory(folder.Path(name));
      return folder.Path(name);
    case ReadFault::kThroughAFile:
      return folder.Write("plain", "x") + "/" + std::string(name);
  }
  return {};
}

// A full disk for the next atomic write to `path`: its temporary file is the
// device that refuses every write for want of space. Windows has no such device;
// there the case is left out (false).
bool FillDiskFor(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  fs::create_symlink("/dev/full", path + ".kelvora-tmp");
  return true;
#endif
}

// A reader's refusal message (and its detail), or empty when the file was read.
template <class T>
std::string Refusal(const Outcome<T>& read) {
  return read ? std::string() : read.failure().message;
}
template <class T>
std::string RefusalWithDetail(const Outcome<T>& read) {
  return read ? std::string() : read.failure().message + " " + read.failure().detail;
}

TEST(FileFaults, ReadersRefuseWithAMessageAndCreateNothing) {
  generators::TeachDefinitions definitions{};
  const generators::TeachOpLists lists = generators::updateTchGrid(definitions);
  const struct {
    const char* what;
    // The refusal's message (and detail), or empty when the file was read.
    std::function<std::string(const std::string&)> read;
  } readers[] = {
      {"point list", [](const std::string& p) { return Refusal(generators::LoadCsv(p)); }},
      {"cut list",
       [](const std::string& p) { return RefusalWithDetail(generators::LoadCsvCutFile(p)); }},
      {"teach table",
       [&lists](const std::string& p) {
         return RefusalWithDetail(generators::LoadTchCsvFile(p, lists));
       }},
      {"drawing", [](const std::string& p) { return Refusal(geometry::DxfObjGen(p)); }},
      {"drawing's circles",
       [](const std::string& p) { return Refusal(generators::LoadDxfPoints(p)); }},
      {"profile",
       [](const std::string& p) {
         settings::XMLNetProfile profile(p, "Kelvora", true);
         return profile.Load() ? std::string() : profile.LastError();
       }},
  };
  for (ReadFault fault : {ReadFault::kMissing, ReadFault::kFolder, ReadFault::kThroughAFile}) {
    for (const auto& r : readers) {
      ProfileFolder folder;
      const std::string path = FaultyPath(folder, fault, "list.csv");
      const std::string message = r.read(path);
      EXPECT_FALSE(message.empty()) << r.what << " " << static_cast<int>(fault);
      EXPECT_EQ(fs::exists(path), fault == ReadFault::kFolder) << r.what;
      if (fault == ReadFault::kFolder) {
        EXPECT_TRUE(fs::is_empty(path)) << r.what;
      }
    }
  }
}

TEST(FileFaults, AListThatDisappearedIsNotFoundAgain) {
  ProfileFolder folder;
  const std::string path = folder.Path("points.csv");
  ASSERT_TRUE(generators::SavePointFile(path, {{"A", "1", "2"}}));
  ASSERT_TRUE(generators::LoadCsv(path));
  fs::remove(path);
  const auto again = generators::LoadCsv(path);
  ASSERT_FALSE(again);
  EXPECT_EQ(again.failure().message, generators::kNoFile);
}

enum class WriteFault { kDiskFull, kFolder, kFolderGone };

TEST(FileFaults, WritersKeepTheEarlierFile) {
  const std::vector<generators::PointRow> rows = {{"B", "3", "4"}};
  const struct {
    const char* what;
    std::function<Outcome<void>(const std::string&)> write;
  } writers[] = {
      {"point list", [&](const std::string& p) { return generators::SavePointFile(p, rows); }},
      {"cut list",
       [](const std::string& p) {
         return text::WriteFileAtomic(
             text::PathFromUtf8(p),
             generators::WriteCutCsv(generators::CutListKind::kHorizontal, {{"a", "5"}}, "0", "9"));
       }},
      {"teach table",
       [](const std::string& p) {
         generators::TeachDefinitions d{};
         const auto lists = generators::updateTchGrid(d);
         generators::TeachRow row{"Op1", {"1", "2", "", "", "", "", "100"}};
         return text::WriteFileAtomic(text::PathFromUtf8(p), generators::WriteTchCsv({row}, lists));
       }},
  };
  for (WriteFault fault : {WriteFault::kDiskFull, WriteFault::kFolder, WriteFault::kFolderGone}) {
    for (const auto& w : writers) {
      ProfileFolder folder;
      std::string path = folder.Write("list.csv", kPointFile);
      if (fault == WriteFault::kDiskFull && !FillDiskFor(path)) continue;
      if (fault == WriteFault::kFolder) {
        path = folder.Path("sub");
        fs::create_directory(path);
        folder.Write("sub/keep.csv", kPointFile);
      }
      if (fault == WriteFault::kFolderGone) path = folder.Path("gone/list.csv");

      const Outcome<void> written = w.write(path);
      const std::string message = written ? "" : written.failure().message;
      EXPECT_NE(message.find("Cannot write the file"), std::string::npos)
          << w.what << " " << static_cast<int>(fault) << ": " << message;
      if (fault == WriteFault::kDiskFull) {
        EXPECT_EQ(ProfileFolder::Read(path), kPointFile) << w.what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".kelvora-tmp"))) << w.what;
      }
      if (fault == WriteFault::kFolder) {
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_EQ(ProfileFolder::Read(path + "/keep.csv"), kPointFile);
      }
      if (fault == WriteFault::kFolderGone) {
        EXPECT_FALSE(fs::exists(folder.Path("gone")));
      }
    }
  }
}

TEST(FileFaults, AShutdownOnAFullDiskKeepsTheProfile) {
  ProfileFolder folder;
  const std::string path = folder.Write("profile.xml", kProfile);
  if (!FillDiskFor(path)) GTEST_SKIP() << "no full-disk device here";
  std::vector<std::string> messages;
  const settings::MessageSink sink = [&](std::string_view text, std::string_view) {
    messages.emplace_back(text);
  };
  const settings::Settings settings;
  EXPECT_FALSE(settings::SettingsShutdown(path, {true, true, &settings}, sink));
  EXPECT_EQ(ProfileFolder::Read(path), kProfile);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Cannot write the file"), std::string::npos) << messages[0];
}

TEST(FileFaults, AProfileThatDisappearedOrIsAFolderIsNotWritten) {
  const settings::Settings settings;
  {
    ProfileFolder folder;
    const std::string path = folder.Write("profile.xml", kProfile);
    ASSERT_FALSE(settings::SettingsFirstOpening(path, {}).failure);
    fs::remove(path);
    EXPECT_FALSE(settings::SettingsShutdown(path, {true, true, &settings}, {}));
    EXPECT_FALSE(fs::exists(path));
  }
  {
    ProfileFolder folder;
    const std::string path = FaultyPath(folder, ReadFault::kFolder, "profile.xml");
    EXPECT_TRUE(settings::SettingsFirstOpening(path, {}).failure);
    EXPECT_FALSE(settings::SettingsStartUp(path, {}).registered);
    EXPECT_FALSE(settings::SettingsShutdown(path, {true, true, &settings}, {}));
    EXPECT_TRUE(fs::is_directory(path) && fs::is_empty(path));
  }
}

using cli::testing::CliRun;
using cli::testing::RunArgs;

TEST(FileFaults, TheCommandLineRefusesFilesItCannotRead) {
  const struct {
    const char* job;
    const char* option;
  } cases[] = {{"points", "--points"}, {"cuts", "--cuts"},  {"teach", "--teach"},
               {"dxf", "--dxf"},       {"points", "--dxf"}, {"circle", "--profile"}};
  for (ReadFault fault : {ReadFault::kMissing, ReadFault::kFolder, ReadFault::kThroughAFile}) {
    for (const auto& c : cases) {
      ProfileFolder folder;
      const std::string path = FaultyPath(folder, fault, "input");
      const CliRun r = RunArgs({c.job, c.option, path});
      EXPECT_EQ(r.status, cli::kExitRefused) << c.job << " " << c.option << " " << r.err;
      EXPECT_EQ(r.out, "") << c.job;
      EXPECT_FALSE(r.err.empty()) << c.job;
    }
  }
}

TEST(FileFaults, TheCommandLineKeepsTheEarlierOutput) {
  for (const char* option : {"-o", "--preview"}) {
    ProfileFolder folder;
    const std::string path = folder.Write("out", "earlier");
    if (!FillDiskFor(path)) GTEST_SKIP() << "no full-disk device here";
    const CliRun r = RunArgs({"circle", option, path});
    EXPECT_EQ(r.status, cli::kExitRefused) << option;
    EXPECT_NE(r.err.find("Cannot write the file"), std::string::npos) << r.err;
    EXPECT_EQ(ProfileFolder::Read(path), "earlier") << option;
  }
}

// A stream that takes nothing, like standard output on a full disk.
class FullStream : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(FileFaults, AProgramThatStandardOutputDidNotTakeIsAFailure) {
  FullStream full;
  std::ostream out(&full);
  std::ostringstream err;
  EXPECT_EQ(cli::RunCli({"circle"}, out, err), cli::kExitRefused);
  EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace kelvora
