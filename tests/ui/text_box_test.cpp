#include "ui/text_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::ui {
namespace {

TEST(TextBox, TypingReplacesTheSelectionAndBackspaceDeletes) {
  struct Case {
    const char* text;
    std::size_t selStart, selLength;
    std::string typed;
    const char* expected;
    std::size_t caret;
  };
  const std::vector<Case> cases = {
      {"12.5", 4, 0, "0", "12.50", 5},
      {"12.5", 2, 2, ".", "12.", 3},
      {"12.5", 4, 0, "\b", "12.", 3},
      {"12.5", 1, 2, "\b", "15", 1},
      {"", 0, 0, "\b", "", 0},
      {"Hàn", 3, 0, "\b", "Hà", 2},  // backspace takes a character, not a byte
      {"ab", 1, 0, "ệ", "aệb", 2},
      {"ab", 0, 0, "\t\r", "ab", 0},  // other control characters change nothing
  };
  for (const Case& c : cases) {
    TextBox box("t", c.text);
    box.Select(c.selStart, c.selLength);
    box.Type(c.typed);
    EXPECT_EQ(box.Text(), c.expected) << c.text << " + " << c.typed;
    EXPECT_EQ(box.SelectionStart(), c.caret) << c.text << " + " << c.typed;
    EXPECT_EQ(box.SelectionLength(), 0u);
  }
}

TEST(TextBox, KeyPressHandlerCanSwallowACharacter) {
  TextBox box("t");
  std::vector<char32_t> seen;
  int changes = 0;
  box.onKeyPress = [&](TextBox&, KeyPressEvent& e) {
    seen.push_back(e.keyChar);
    if (e.keyChar == 'x') e.handled = true;
  };
  box.onTextChanged = [&](TextBox&) { ++changes; };
  EXPECT_EQ(box.Type("1x2"), 2u);
  EXPECT_EQ(box.Text(), "12");
  EXPECT_EQ(seen, (std::vector<char32_t>{'1', 'x', '2'}));
  EXPECT_EQ(changes, 2);
  // Setting the text raises no key press.
  box.SetText("x");
  EXPECT_EQ(box.Text(), "x");
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(changes, 3);
}

TEST(TextBox, ClipboardShortcutsAndSelectAll) {
  Clipboard clip;
  TextBox box("t", "12.5");
  box.SetClipboard(&clip);
  box.TypeChar(kKeySelectAll);
  EXPECT_EQ(box.SelectedText(), "12.5");
  box.TypeChar(kKeyCopy);
  EXPECT_EQ(clip.GetText(), "12.5");
  box.Select(2, 2);
  box.TypeChar(kKeyCut);
  EXPECT_EQ(clip.GetText(), ".5");
  EXPECT_EQ(box.Text(), "12");
  box.TypeChar(kKeyPaste);
  box.TypeChar(kKeyPaste);
  EXPECT_EQ(box.Text(), "12.5.5");

  TextBox readOnly("r", "7");
  readOnly.SetReadOnly(true);
  readOnly.SetClipboard(&clip);
  readOnly.Type("8\b");
  readOnly.TypeChar(kKeyPaste);
  EXPECT_EQ(readOnly.Text(), "7");
}

TEST(TextBox, SelectClampsToTheText) {
  TextBox box("t", "abc");
  box.Select(2, 10);
  EXPECT_EQ(box.SelectionStart(), 2u);
  EXPECT_EQ(box.SelectionLength(), 1u);
  box.Select(9, 1);
  EXPECT_EQ(box.SelectionStart(), 3u);
  EXPECT_EQ(box.SelectionLength(), 0u);
}

}  // namespace
}  // namespace kelvora::ui
