// Every program the generators' golden files hold reads without a single notice:
// the reader takes every word our own programs write. The one exception is the
// thread program of a blank spindle speed, whose "M3S" has no number: the
// control refuses that word too, so the reader says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "motion/recording_sink.h"

namespace kelvora::motion {
namespace {

std::vector<std::filesystem::path> GoldenPrograms() {
  const std::filesystem::path data = KELVORA_TEST_DATA;
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"generators/golden", "generators/golden/dxf", "cli/golden"}) {
    for (const auto& entry : std::filesystem::directory_iterator(data / folder)) {
      if (entry.path().extension() == ".nc") files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Golden programs that hold a word no control reads, with the notices expected.
const std::map<std::string, std::vector<std::string>> kExpectedNotices = {
    {"thread_blank_spin.nc", {"malformed@5:S"}},
};

TEST(ReaderGolden, EveryGoldenProgramReadsWithoutNotice) {
  const auto files = GoldenPrograms();
  // The three folders hold 38 programs today; fewer means the table lost some.
  ASSERT_GE(files.size(), 38U);
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const auto sink = testing::Read(text.str());
    const auto expected = kExpectedNotices.find(file.filename().string());
    EXPECT_EQ(testing::DescribeAll(sink.notices),
              expected == kExpectedNotices.end() ? std::vector<std::string>{} : expected->second);
    // Each of them ends with M30 (or an end script that does) after its moves.
    EXPECT_FALSE(sink.moves.empty());
  }
}

}  // namespace
}  // namespace kelvora::motion
