#include "settings/settings_keys.h"

#include <gtest/gtest.h>

#include <set>

namespace kelvora::settings {
namespace {

TEST(SettingsKeys, TableHoldsEveryKeyOnceInWriteOrder) {
  const auto keys = SettingsKeys();
  ASSERT_EQ(keys.size(), 113u);
  EXPECT_EQ(keys.front().key, "Dlg");
  EXPECT_EQ(keys[1].key, "gcGenLanguage");
  EXPECT_EQ(keys[2].key, "CirXc");
  EXPECT_EQ(keys.back().key, "TchSurfix");
  std::set<std::string_view> seen;
  for (const SettingsKey& k : keys) {
    EXPECT_TRUE(seen.insert(k.key).second) << "duplicate " << k.key;
    if (k.shownAs == ShownAs::kNumber) {
      EXPECT_FALSE(k.format.empty()) << k.key;
      EXPECT_TRUE(k.type == KeyType::kDouble || k.type == KeyType::kInt) << k.key;
    }
    // Every default reads back through its own display rule.
    EXPECT_TRUE(DisplayText(k, k.defaultText).has_value()) << k.key;
  }
}

TEST(SettingsKeys, DisplayTextUsesTheBoxFormat) {
  struct Case {
    const char* key;
    const char* stored;
    std::optional<std::string> shown;
  };
  const Case cases[] = {
      {"MsqrStepdown", "0.5", "0.5"},
      {"MsqrStepdown", "0.12345", "0.123"},
      {"Gridd", "3.6", "4"},
      {"GridZigzac", "1.255", "1.26"},
      {"MsqrFeedrate", "0.25", "0.3"},
      {"Cirn", "2", "2"},
      {"Cirn", "2.5", std::nullopt},
      {"CirXc", "0,5", std::nullopt},  // a decimal comma is no number
      {"CirXc", "abc", std::nullopt},
      {"CirEnSpin", "True", "True"},
      {"CirEnSpin", "true", "False"},
      {"CirSpOpStr", "M8\r\nM9", "M8\r\nM9"},
      // The automatic point grid dialog shows its distances with "0.##".
      {"AnyDistRow", "0.12345", "0.12"},
      {"AnyNumOfRow", "7", "7"},
  };
  for (const Case& c : cases) {
    const SettingsKey* k = FindSettingsKey(c.key);
    ASSERT_NE(k, nullptr) << c.key;
    EXPECT_EQ(DisplayText(*k, c.stored), c.shown) << c.key << " " << c.stored;
  }
  EXPECT_EQ(FindSettingsKey("NoSuchKey"), nullptr);
}

}  // namespace
}  // namespace kelvora::settings
