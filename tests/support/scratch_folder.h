// A folder of its own in the temporary folder for the files a test writes,
// removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace kelvora::testing {

class ScratchFolder {
 public:
  // "kelvora_<prefix>_<random number>"; made at once unless `create` is false
  // (for code that must make it itself).
  explicit ScratchFolder(std::string_view prefix, bool create = true)
      : path_(std::filesystem::temp_directory_path() /
              ("kelvora_" + std::string(prefix) + "_" + std::to_string(std::random_device{}()))) {
    std::filesystem::remove_all(path_);
    if (create) std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kelvora::testing
