// Scratch profile files for the settings tests, each in its own folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "support/scratch_folder.h"

namespace kelvora::settings::testing {

// A scratch folder named after the running test.
class ProfileFolder {
 public:
  std::string Path(std::string_view name) const { return (folder_.Path() / name).string(); }

  std::string Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(folder_.Path() / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  static std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
  }
  kelvora::testing::ScratchFolder folder_{TestName()};
};

}  // namespace kelvora::settings::testing
