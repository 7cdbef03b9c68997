// Every input a fuzzer found a fault with, and every seed, replayed through the
// same harness in the ordinary build (AddressSanitizer and UndefinedBehavior-
// Sanitizer in the debug preset): a fault that comes back fails here.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"
#include "text/files.h"

namespace kelvora::fuzz {
namespace {

namespace fs = std::filesystem;

// Runs every file under `root`/<target>/ through its target.
void ReplayFolder(const fs::path& root, std::size_t& count) {
  ASSERT_TRUE(fs::is_directory(root)) << root;
  for (const auto& folder : fs::directory_iterator(root)) {
    if (!folder.is_directory()) continue;
    const std::string name = folder.path().filename().string();
    const Target* target = FindTarget(name);
    ASSERT_NE(target, nullptr) << "no target " << name;
    for (const auto& file : fs::directory_iterator(folder.path())) {
      const auto bytes = text::ReadFileBytes(file.path());
      ASSERT_TRUE(bytes) << file.path();
      EXPECT_EQ(target->run(*bytes), std::nullopt) << file.path();
      ++count;
    }
  }
}

TEST(FuzzReplay, InputsThatOnceFailed) {
  std::size_t count = 0;
  ReplayFolder(fs::path(KELVORA_TEST_DATA) / "fuzz" / "regressions", count);
  EXPECT_GT(count, 0u);
}

TEST(FuzzReplay, Seeds) {
  std::size_t count = 0;
  ReplayFolder(fs::path(KELVORA_TEST_DATA) / ".." / "fuzz" / "corpus", count);
  EXPECT_GT(count, 0u);
}

TEST(FuzzReplay, EveryTargetHasSeeds) {
  for (const Target& t : Targets()) {
    const fs::path folder = fs::path(KELVORA_TEST_DATA) / ".." / "fuzz" / "corpus" / t.name;
    EXPECT_TRUE(fs::is_directory(folder) && !fs::is_empty(folder)) << t.name;
  }
}

}  // namespace
}  // namespace kelvora::fuzz
