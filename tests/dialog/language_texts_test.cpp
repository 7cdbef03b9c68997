#include "dialog/language_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace kelvora::dialog {
namespace {

// A set of named captions, with the generated cut list's columns when it exists.
struct Captions {
  std::map<std::string, std::string, std::less<>> text;
  std::map<int, std::string> cutGenColumns{{0, "#"}, {1, "KichThuoc"}, {2, "SoLuong"}};
  bool listExists = true;

  void Apply(int index) {
    CaptionTarget target;
    target.setCaption = [this](std::string_view control, std::string_view caption) {
      text[std::string(control)] = std::string(caption);
    };
    if (listExists) {
      target.renameCutGenColumn = [this](int column, std::string_view name) {
        cutGenColumns[column] = std::string(name);
      };
    }
    LanguageSwitch(index, target);
  }
};

TEST(LanguageTexts, EveryControlHasOneRowAndEveryLanguageAText) {
  std::set<std::string_view> seen;
  for (const CaptionRow& row : LanguageCaptionRows()) {
    for (std::string_view control : row.controls) {
      EXPECT_TRUE(seen.insert(control).second) << control << " is in two rows";
    }
    for (std::string_view t : row.texts) EXPECT_FALSE(t.empty()) << row.controls.front();
  }
  // Ten tab pages, the language caption, the machining captions of five tabs
  // and the "Options" buttons of the three drilling tabs and the DXF sub-tab.
  EXPECT_EQ(seen.size(), 10u + 1u + 6u + 6u + 6u + 8u + 7u + 4u);
  EXPECT_EQ(LanguageItems()[0], "Tiếng Việt");
  EXPECT_EQ(LanguageItems()[2], "แบบไทย");
}

TEST(LanguageSwitch, EnglishThenVietnameseRestoresEveryCaption) {
  Captions vietnamese;
  vietnamese.Apply(0);
  Captions c;
  c.Apply(1);
  EXPECT_EQ(c.text["tabPage5"], "Circle pattern");
  EXPECT_EQ(c.text["label24"], "Feedrate:");
  EXPECT_EQ(c.text["label9"], "FeedRate:");
  EXPECT_EQ(c.cutGenColumns[1], "Dimension");
  EXPECT_EQ(c.cutGenColumns[2], "Q'ty");
  c.Apply(0);
  EXPECT_EQ(c.text, vietnamese.text);
  EXPECT_EQ(c.cutGenColumns, vietnamese.cutGenColumns);
  EXPECT_EQ(c.text["label42"], "Sâu:");
  EXPECT_EQ(c.cutGenColumns[1], "KichThuoc");
  EXPECT_EQ(c.cutGenColumns[2], "SoLuong");
}

TEST(LanguageSwitch, ThaiKeepsTheListColumnsAndNamesTheInputTab) {
  Captions c;
  c.Apply(1);
  c.Apply(2);
  EXPECT_EQ(c.cutGenColumns[1], "Dimension");
  EXPECT_EQ(c.cutGenColumns[2], "Q'ty");
  EXPECT_EQ(c.text["tabPage7"], "ป้อนข้อมูล");
  EXPECT_EQ(c.text["tabPage5"], "Circle pattern");
  EXPECT_EQ(c.text["tabPage2"], "CUTTER");
  EXPECT_EQ(c.text["lblLanguage"], "ภาษา :");

  c.Apply(3);
  EXPECT_EQ(c.cutGenColumns[1], "Dimensi");
  EXPECT_EQ(c.cutGenColumns[2], "Kuantitas");
  EXPECT_EQ(c.cutGenColumns[0], "#");
}

TEST(LanguageSwitch, AnIndexOutsideTheLanguagesChangesNothing) {
  for (int index : {-1, 4, 100}) {
    Captions c;
    c.Apply(1);
    const Captions before = c;
    c.Apply(index);
    EXPECT_EQ(c.text, before.text) << index;
    EXPECT_EQ(c.cutGenColumns, before.cutGenColumns) << index;
  }
}

TEST(LanguageSwitch, CaptionsChangeBeforeTheListExists) {
  Captions c;
  c.listExists = false;
  c.Apply(1);
  EXPECT_EQ(c.text["tabPage1"], "DRILL");
  EXPECT_EQ(c.cutGenColumns[1], "KichThuoc");
}

}  // namespace
}  // namespace kelvora::dialog
