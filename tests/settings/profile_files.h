// Scratch profile files for the settings tests, each in its own folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace kelvora::settings::testing {

class ProfileFolder {
 public:
  ProfileFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("kelvora_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~ProfileFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ProfileFolder(const ProfileFolder&) = delete;
  ProfileFolder& operator=(const ProfileFolder&) = delete;

  std::string Path(std::string_view name) const { return (dir_ / name).string(); }

  std::string Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(dir_ / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace kelvora::settings::testing
