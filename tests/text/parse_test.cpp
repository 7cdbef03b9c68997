#include "text/parse.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kelvora::text {
namespace {

struct DoubleCase {
  const char* text;
  std::optional<double> expected;
};

TEST(ParseDouble, AcceptsWhatATextBoxHolds) {
  const DoubleCase cases[] = {
      {"5", 5.0},
      {" 2.5 ", 2.5},
      {"\t-1.25\r\n", -1.25},
      {"+3", 3.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"1e3", 1000.0},
      {"1.5E-2", 0.015},
      {"-2e+1", -20.0},
      {"1e-400", 0.0},  // too small to hold reads as zero
      {"0.1", 0.1},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-", std::nullopt},
      {".", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1 2", std::nullopt},
      {"abc", std::nullopt},
      {"NaN", std::nullopt},
      {"Infinity", std::nullopt},
      {"-inf", std::nullopt},
      {"0x10", std::nullopt},
      {"1e", std::nullopt},
      {"1e+", std::nullopt},
      {"1e400", std::nullopt},
      // A "," is neither a decimal point nor a group separator.
      {"0,5", std::nullopt},
      {"1,000.25", std::nullopt},
      {"0.5,1", std::nullopt},
      {",5", std::nullopt},
      {"5,", std::nullopt},
      {"1e3,5", std::nullopt},
      {"--1", std::nullopt},
  };
  for (const DoubleCase& c : cases) {
    EXPECT_EQ(ParseDouble(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(ParseWhole, RefusesFractionsAndOutOfRange) {
  struct Case {
    const char* text;
    std::optional<int> int16;
    std::optional<long long> int32;
  };
  const Case cases[] = {
      {"2", 2, 2},
      {" -7 ", -7, -7},
      {"+12", 12, 12},
      {"32767", 32767, 32767},
      {"32768", std::nullopt, 32768},
      {"-32768", -32768, -32768},
      {"-32769", std::nullopt, -32769},
      {"2147483647", std::nullopt, 2147483647LL},
      {"2147483648", std::nullopt, std::nullopt},
      {"-2147483648", std::nullopt, -2147483648LL},
      {"99999999999999999999", std::nullopt, std::nullopt},
      {"2.5", std::nullopt, std::nullopt},
      {"2.0", std::nullopt, std::nullopt},
      {"1e2", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt},
      {"1,000", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto a = ParseInt16(c.text);
    const auto b = ParseInt32(c.text);
    EXPECT_EQ(a.has_value(), c.int16.has_value()) << c.text;
    if (a && c.int16) {
      EXPECT_EQ(*a, *c.int16) << c.text;
    }
    EXPECT_EQ(b.has_value(), c.int32.has_value()) << c.text;
    if (b && c.int32) {
      EXPECT_EQ(*b, *c.int32) << c.text;
    }
  }
}

}  // namespace
}  // namespace kelvora::text
