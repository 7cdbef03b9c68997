#include "text/files.h"

#include <gtest/gtest.h>

namespace kelvora::text {
namespace {

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporary) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvora_files_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto path = dir / PathFromUtf8("t\xC3\xA9st.tap");  // a non-ASCII name
  ASSERT_TRUE(WriteFileAtomic(path, "old"));
  ASSERT_TRUE(WriteFileAtomic(path, std::string("G90\r\nM30\r\n\0x", 12)));
  EXPECT_EQ(ReadFileBytes(path), std::string("G90\r\nM30\r\n\0x", 12));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1);
  std::filesystem::remove_all(dir);
}

TEST(Files, FailuresAreReportedNotThrown) {
  const auto missing = std::filesystem::temp_directory_path() / "kelvora_no_such_dir" / "x.tap";
  EXPECT_FALSE(ReadFileBytes(missing).has_value());
  const Outcome<void> written = WriteFileAtomic(missing, "x");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.failure().message, "Cannot write the file " + PathToUtf8(missing));
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

}  // namespace
}  // namespace kelvora::text
