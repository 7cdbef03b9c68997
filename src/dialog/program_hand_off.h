// How a program leaves the dialog: the Load buttons write the program box's text
// to temp.tap in the G-code folder through this interface, and the dialog then
// raises its load request for the plug-in's next update. The plug-in provides
// the real one (the fixed Windows folder); tests use the recording double.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/outcome.h"

namespace kelvora::dialog {

inline constexpr std::string_view kProgramFileName = "temp.tap";
// What "Load" shows when temp.tap cannot be written; the tabs word it in one of
// three ways.
inline constexpr std::string_view kFileWriteError =
    "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap";
inline constexpr std::string_view kErrorSaveFile =
    "Error save file \r\n, C:\\Mach3\\PlugIns\\Gcode\\temp.tap";
inline constexpr std::string_view kFileOpening = "File opening \r\n, please close the file first!";

class ProgramHandOff {
 public:
  virtual ~ProgramHandOff() = default;
  // Replaces temp.tap with `bytes`; a failure says why (the file is then left
  // as it was).
  virtual Outcome<void> WriteProgramFile(std::string_view bytes) = 0;
  // Creates the G-code folder, with missing parents, unless it exists.
  virtual void CreateGcodeFolder() = 0;
};

// Writes temp.tap into one folder on disk, atomically.
class FolderHandOff : public ProgramHandOff {
 public:
  explicit FolderHandOff(std::filesystem::path folder) : folder_(std::move(folder)) {}
  Outcome<void> WriteProgramFile(std::string_view bytes) override;
  void CreateGcodeFolder() override;
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

// Records every write; a test can make the writes fail.
class RecordingHandOff : public ProgramHandOff {
 public:
  Outcome<void> WriteProgramFile(std::string_view bytes) override;
  void CreateGcodeFolder() override { ++foldersCreated; }

  std::vector<std::string> writes;  // the bytes of every successful write
  int foldersCreated = 0;
  std::string failWith;  // when not empty, every write fails with this reason
};

}  // namespace kelvora::dialog
