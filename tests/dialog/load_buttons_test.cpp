// The Load and Close buttons of the generator tabs: each Load hands its own
// program box over, or shows its tab's message when temp.tap cannot be written;
// each Close minimises the window.
#include <gtest/gtest.h>

#include "dialog_fixture.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

struct LoadButton {
  const char* load;
  const char* programBox;
  const char* failure;
  const char* close;  // the tab's Close button, or null
};

const LoadButton kLoadButtons[] = {
    {"btnGridLoad", "txtGridGcode", "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap",
     "button2"},
    {"btnMSqrLoad", "txtMSqrGcode", "Error save file \r\n, C:\\Mach3\\PlugIns\\Gcode\\temp.tap",
     "button4"},
    {"btnThreadLoad", "txtThreadGcode",
     "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap", nullptr},
};

TEST(LoadButtons, AFailedWriteShowsTheTabsMessageAndRaisesNoRequest) {
  for (const LoadButton& b : kLoadButtons) {
    DialogHarness h;
    h.dlg.Get<ui::TextBox>(b.programBox).SetText("G90\r\nM30");
    h.handOff.failWith = "locked";
    h.Click(b.load);
    EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{b.failure}) << b.load;
    EXPECT_FALSE(h.dlg.LoadFileTrigger) << b.load;
    EXPECT_EQ(h.Text(b.programBox), "G90\r\nM30") << b.load;

    // Once the file can be written: the box's text and a line end.
    h.handOff.failWith.clear();
    h.Click(b.load);
    EXPECT_EQ(h.handOff.writes, std::vector<std::string>{"G90\r\nM30\r\n"}) << b.load;
    EXPECT_TRUE(h.dlg.LoadFileTrigger) << b.load;
  }
}

TEST(LoadButtons, CloseMinimisesTheWindow) {
  for (const LoadButton& b : kLoadButtons) {
    if (!b.close) continue;
    DialogHarness h;
    h.dlg.ShowAndFocus();
    ASSERT_FALSE(h.dlg.Minimised());
    h.Click(b.close);
    EXPECT_TRUE(h.dlg.Minimised()) << b.close;
  }
}

}  // namespace
}  // namespace kelvora::dialog
