#include "dialog/program_hand_off.h"

#include <system_error>

#include "text/files.h"

namespace kelvora::dialog {

Outcome<void> FolderHandOff::WriteProgramFile(std::string_view bytes) {
  return text::WriteFileAtomic(folder_ / std::string(kProgramFileName), bytes);
}

void FolderHandOff::CreateGcodeFolder() {
  std::error_code ec;  // a folder that cannot be made shows up as a failed Load
  std::filesystem::create_directories(folder_, ec);
}

Outcome<void> RecordingHandOff::WriteProgramFile(std::string_view bytes) {
  if (!failWith.empty()) return Refused(failWith);
  writes.emplace_back(bytes);
  return {};
}

}  // namespace kelvora::dialog
