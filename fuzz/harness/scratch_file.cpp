#include "scratch_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "text/files.h"

namespace kelvora::fuzz {
namespace {

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::random_device seed;
    std::filesystem::path p = std::filesystem::temp_directory_path() /
                              ("kelvora-fuzz-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return folder;
}

struct Cleanup {
  ~Cleanup() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
  }
};

}  // namespace

std::string WriteScratchFile(std::string_view name, std::string_view bytes) {
  static Cleanup cleanup;
  const std::filesystem::path path = ScratchFolder() / std::string(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::abort();  // the harness itself cannot work
  return text::PathToUtf8(path);
}

bool ReadScratchFile(const std::string& path, std::string& bytes) {
  auto read = text::ReadFileBytes(text::PathFromUtf8(path));
  if (!read) return false;
  bytes = std::move(*read);
  return true;
}

}  // namespace kelvora::fuzz
