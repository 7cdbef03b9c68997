#include "text/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(NumberFormatPattern, TextsRoundTrip) {
  for (const char* p : {"0.###", "0.000", "0.0", "0.#", "0.##", "0", "F1", "F2", "F3"}) {
    const auto f = NumberFormatFromPattern(p);
    ASSERT_TRUE(f.has_value()) << p;
    EXPECT_EQ(PatternText(*f), p);
  }
  EXPECT_FALSE(NumberFormatFromPattern("0.####").has_value());
}

}  // namespace
}  // namespace kelvora::text
