#include "dialog/key_filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::dialog {
namespace {

struct Case {
  const char* what;
  bool signedBox;
  const char* text;
  std::size_t selStart, selLength;
  char32_t key;
  bool passes;
  const char* after;
};

TEST(KeyFilters, AdmitOnlyWhatCanBelongToANumber) {
  const std::vector<Case> cases = {
      {"second point refused", true, "12.5", 4, 0, '.', false, "12.5"},
      {"point over a selection holding the point", true, "12.5", 2, 2, '.', true, "12."},
      {"point over a selection without it", true, "12.5", 0, 2, '.', false, "12.5"},
      {"first point", false, "12", 2, 0, '.', true, "12."},
      {"second minus refused", true, "-3", 2, 0, '-', false, "-3"},
      {"minus anywhere", true, "5", 1, 0, '-', true, "5-"},
      {"minus over the selected minus", true, "-3", 0, 1, '-', true, "-3"},
      {"unsigned refuses minus", false, "", 0, 0, '-', false, ""},
      {"unsigned refuses minus over a selection", false, "-3", 0, 1, '-', false, "-3"},
      {"digit", false, "1", 1, 0, '7', true, "17"},
      {"backspace", false, "17", 2, 0, 8, true, "1"},
      {"letter", true, "1", 1, 0, 'e', false, "1"},
      {"space", true, "1", 1, 0, ' ', false, "1"},
      // A comma enters a point, under the point's rule.
      {"comma as the point", true, "12", 2, 0, ',', true, "12."},
      {"comma in an unsigned box", false, "-", 1, 0, ',', true, "-."},
      {"comma after a point refused", true, "12.5", 4, 0, ',', false, "12.5"},
      {"comma over a selection holding the point", true, "12.5", 2, 2, ',', true, "12."},
      {"comma over a selection without it", false, "12.5", 0, 2, ',', false, "12.5"},
      {"plus", true, "1", 1, 0, '+', false, "1"},
      {"tab", false, "1", 1, 0, '\t', false, "1"},
      {"carriage return", false, "1", 1, 0, '\r', false, "1"},
      {"escape", true, "1", 1, 0, 27, false, "1"},
      {"non-ASCII digit", true, "1", 1, 0, U'\u0663', false, "1"},
      {"select all", false, "12", 2, 0, ui::kKeySelectAll, true, "12"},
  };
  for (const Case& c : cases) {
    ui::TextBox box("txt", c.text);
    if (c.signedBox) {
      AttachSignedFilter(box);
    } else {
      AttachUnsignedFilter(box);
    }
    box.Select(c.selStart, c.selLength);
    EXPECT_EQ(box.TypeChar(c.key), c.passes) << c.what;
    EXPECT_EQ(box.Text(), c.after) << c.what;
  }
}

TEST(KeyFilters, ClipboardShortcutsPassButPastedTextIsNotFiltered) {
  ui::Clipboard clip;
  ui::TextBox from("txtAnyXc", "-2.5");
  ui::TextBox to("txtNumRow", "");
  AttachSignedFilter(from);
  AttachUnsignedFilter(to);
  from.SetClipboard(&clip);
  to.SetClipboard(&clip);
  EXPECT_TRUE(from.TypeChar(ui::kKeySelectAll));
  EXPECT_TRUE(from.TypeChar(ui::kKeyCut));
  EXPECT_EQ(from.Text(), "");
  EXPECT_TRUE(to.TypeChar(ui::kKeyPaste));
  EXPECT_EQ(to.Text(), "-2.5");
  // Typing still obeys the filter.
  EXPECT_FALSE(to.TypeChar('.'));
  EXPECT_FALSE(to.TypeChar(','));
  EXPECT_EQ(to.Type("x1"), 1u);
  EXPECT_EQ(to.Text(), "-2.51");
  // A pasted decimal comma stays as it was pasted: nothing rewrites it into
  // another number, and the generators refuse it.
  clip.SetText("12,5");
  to.SelectAll();
  EXPECT_TRUE(to.TypeChar(ui::kKeyPaste));
  EXPECT_EQ(to.Text(), "12,5");
}

}  // namespace
}  // namespace kelvora::dialog
