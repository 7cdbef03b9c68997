#include "text/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "number_cases.h"
#include "text/parse.h"

namespace kelvora::text {
namespace {

struct FormatCase {
  double value;
  NumberFormat format;
  const char* expected;
};

class FormatNumberTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, WritesThePattern) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatNumber(c.value, c.format), c.expected)
      << c.value << " with " << PatternText(c.format);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatNumberTest,
    ::testing::Values(
        // "0.###": at most three decimals, trailing zeros and a bare point dropped.
        FormatCase{5, NumberFormat::kMax3, "5"}, FormatCase{2.5, NumberFormat::kMax3, "2.5"},
        FormatCase{1.23456, NumberFormat::kMax3, "1.235"},
        // 2.0005 is held slightly below 2.0005; the 15-digit step rounds it up.
        FormatCase{2.0005, NumberFormat::kMax3, "2.001"},
        FormatCase{0.0004, NumberFormat::kMax3, "0"}, FormatCase{-1.5, NumberFormat::kMax3, "-1.5"},
        FormatCase{-0.0004, NumberFormat::kMax3, "0"},
        FormatCase{-0.0005, NumberFormat::kMax3, "-0.001"},
        FormatCase{29.999999999999996, NumberFormat::kMax3, "30"},
        FormatCase{9.9996, NumberFormat::kMax3, "10"},
        FormatCase{-9.9996, NumberFormat::kMax3, "-10"},
        FormatCase{0.1 + 0.2, NumberFormat::kMax3, "0.3"},
        FormatCase{1e-20, NumberFormat::kMax3, "0"},
        FormatCase{123456789012.3456, NumberFormat::kMax3, "123456789012.346"},
        FormatCase{1e20, NumberFormat::kMax3, "100000000000000000000"},
        FormatCase{-0.0, NumberFormat::kMax3, "0"},
        // "0.000": exactly three decimals.
        FormatCase{5, NumberFormat::kFixed3, "5.000"},
        FormatCase{1.23456, NumberFormat::kFixed3, "1.235"},
        FormatCase{-0.0001, NumberFormat::kFixed3, "0.000"},
        FormatCase{100, NumberFormat::kFixed3, "100.000"},
        // "0.0", "0.#", "0.##", "0".
        FormatCase{800, NumberFormat::kFixed1, "800.0"},
        FormatCase{800, NumberFormat::kMax1, "800"}, FormatCase{0.25, NumberFormat::kMax1, "0.3"},
        FormatCase{-0.25, NumberFormat::kMax1, "-0.3"}, FormatCase{1.5, NumberFormat::kMax2, "1.5"},
        FormatCase{1.255, NumberFormat::kMax2, "1.26"}, FormatCase{2.5, NumberFormat::kWhole, "3"},
        FormatCase{-2.5, NumberFormat::kWhole, "-3"}, FormatCase{-0.4, NumberFormat::kWhole, "0"},
        // Fixed-point forms.
        FormatCase{5, NumberFormat::kF1, "5.0"}, FormatCase{1.005, NumberFormat::kF2, "1.01"},
        FormatCase{2.0005, NumberFormat::kF3, "2.001"},
        FormatCase{-0.0001, NumberFormat::kF3, "0.000"}));

TEST(FormatNumber, NonFiniteValuesAreNamed) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), NumberFormat::kMax3), "NaN");
  EXPECT_EQ(FormatNumber(-INFINITY, NumberFormat::kMax3), "-Infinity");
}

TEST(FormatNumber, TheLargestDoublesAreWrittenReadably) {
  // 15 significant digits would round these past the largest double.
  const std::string largest = "179769313486231" + std::string(294, '0');
  for (double v : {1.7976931348623157e308, 1.797693134862315e308}) {
    EXPECT_EQ(FormatNumber(v, NumberFormat::kMax3), largest);
    EXPECT_EQ(FormatNumber(-v, NumberFormat::kF3), "-" + largest + ".000");
    EXPECT_TRUE(ParseDouble(largest).has_value());
  }
}

TEST(NumberFormatPattern, TextsRoundTrip) {
  for (const char* p : {"0.###", "0.000", "0.0", "0.#", "0.##", "0", "F1", "F2", "F3"}) {
    const auto f = NumberFormatFromPattern(p);
    ASSERT_TRUE(f.has_value()) << p;
    EXPECT_EQ(PatternText(*f), p);
  }
  EXPECT_FALSE(NumberFormatFromPattern("0.####").has_value());
}

// Every number written in the golden programs and the test drawings, read back
// as a double: the values the jobs really format.
std::vector<double> FileValues() {
  std::vector<double> out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KELVORA_TEST_DATA)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".nc" && ext != ".dxf" && ext != ".csv") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char* p = text.c_str();
    while (*p != '\0') {
      const bool starts = (*p >= '0' && *p <= '9') || (*p == '-' && p[1] >= '0' && p[1] <= '9');
      if (!starts) {
        ++p;
        continue;
      }
      char* end = nullptr;
      const double v = std::strtod(p, &end);
      cases::AddWithNeighbours(out, v);
      p = end > p ? end : p + 1;
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::vector<double> RandomValues(int count) {
  std::mt19937_64 rng(20261209);
  std::vector<double> out(static_cast<std::size_t>(count));
  for (double& v : out) v = cases::RandomValue(rng);
  return out;
}

// The short way must write exactly what the general way writes. Each group also
// has to reach the short way often, so that the comparison means something.
TEST(FormatNumberShort, WritesWhatTheGeneralWayWrites) {
  std::mt19937_64 rng(16);
  struct Group {
    const char* name;
    std::vector<double> values;
  };
  const Group groups[] = {
      {"golden programs and drawings", FileValues()},
      {"halfway cases at 1 to 3 decimals", cases::HalfwayValues(800)},
      {"15-digit reduction", cases::FifteenDigitValues(rng, 10)},
      {"random across magnitudes", RandomValues(10'000)},
  };
  for (const Group& g : groups) {
    std::size_t shortCount = 0;
    std::size_t failures = 0;
    for (double v : g.values) {
      cases::Mismatch m;
      if (cases::CompareWays(v, shortCount, m) || ++failures > 10) continue;
      std::ostringstream shown;
      shown.precision(17);
      shown << m.value;
      ADD_FAILURE() << g.name << ": " << shown.str() << " with " << PatternText(m.format)
                    << " short \"" << m.shortText << "\" general \"" << m.generalText << "\"";
    }
    EXPECT_EQ(failures, 0u) << g.name;
    EXPECT_GT(shortCount, g.values.size() * 9 / 2) << g.name << ": the short way was rarely taken";
  }
}

TEST(FormatNumberShort, LeavesLargeAndNonFiniteValuesToTheGeneralWay) {
  char buf[kShortNumberChars];
  for (double v : {1e15, -1e15, 1e300, double{INFINITY}, -double{INFINITY},
                   std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(FormatNumberShort(v, NumberFormat::kMax3, buf), 0u) << v;
  }
  EXPECT_NE(FormatNumberShort(std::nextafter(1e15, 0.0), NumberFormat::kFixed3, buf), 0u);
  std::string appended = "X";
  AppendNumber(appended, 1e20, NumberFormat::kMax3);
  AppendNumber(appended, -2.0005, NumberFormat::kFixed3);
  EXPECT_EQ(appended, "X100000000000000000000-2.001");
}

}  // namespace
}  // namespace kelvora::text
