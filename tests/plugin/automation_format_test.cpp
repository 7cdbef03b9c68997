#include <gtest/gtest.h>

#include <optional>

#include "plugin/automation.h"

namespace kelvora::plugin {
namespace {

TEST(CountArgsInFormat, CountsLettersAndRefusesUnknownOnes) {
  struct Case {
    const char* format;
    std::optional<int> count;
  };
  const Case cases[] = {
      {nullptr, 0},
      {"", 0},
      {"s", 1},
      {"bcisIerRDdUv", 12},
      {"&s&I", 2},
      {"x", std::nullopt},
      {"s&", std::nullopt},
      {"&&s", std::nullopt},
      {"S", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountArgsInFormat(c.format), c.count) << (c.format ? c.format : "(null)");
  }
}

TEST(GetNextVarType, NamesEachLettersTypeAndByReference) {
  struct Case {
    const char* format;
    std::size_t position;
    std::uint16_t type;
    std::size_t next;
  };
  const Case cases[] = {
      {"b", 0, kVtBool, 1},
      {"c", 0, kVtCy, 1},
      {"i", 0, kVtI2, 1},
      {"s", 0, kVtBstr, 1},
      {"I", 0, kVtI4, 1},
      {"e", 0, kVtError, 1},
      {"r", 0, kVtR4, 1},
      {"d", 0, kVtDate, 1},
      {"R", 0, kVtR8, 1},
      {"v", 0, kVtVariant, 1},
      {"D", 0, kVtDispatch, 1},
      {"U", 0, kVtUnknown, 1},
      {"s&R", 1, kVtR8 | kVtByRef, 3},
  };
  for (const Case& c : cases) {
    auto step = GetNextVarType(c.format, c.position);
    ASSERT_TRUE(step) << c.format;
    EXPECT_EQ(step->varType, c.type) << c.format;
    EXPECT_EQ(step->next, c.next) << c.format;
  }
  EXPECT_FALSE(GetNextVarType("s", 1));
  EXPECT_FALSE(GetNextVarType("q", 0));
}

TEST(HResultText, WritesEightHexDigits) {
  EXPECT_EQ(HResultText(kEInvalidArg), "0x80070057");
  EXPECT_EQ(HResultText(kSOk), "0x00000000");
}

}  // namespace
}  // namespace kelvora::plugin
