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
  const char* program;  // what the box holds when Load is clicked
  const char* failure;
  const char* close;  // the tab's Close button, or null
};

const LoadButton kLoadButtons[] = {
    {"btnGridLoad", "txtGridGcode", "G90\r\nM30",
     "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap", "button2"},
    {"btnMSqrLoad", "txtMSqrGcode", "G90\r\nM30",
     "Error save file \r\n, C:\\Mach3\\PlugIns\\Gcode\\temp.tap", "button4"},
    {"btnThreadLoad", "txtThreadGcode", "G90\r\nM30",
     "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap", nullptr},
    {"btnDxfLoad", "txtDxfGcode", "G90",
     "Error save file \r\n, C:\\Mach3\\PlugIns\\Gcode\\temp.tap", "button5"},
    // An empty box hands over a single line end.
    {"btnDrillLoadGcode", "txtDrillGcode", "", "File opening \r\n, please close the file first!",
     nullptr},
};

TEST(LoadButtons, AFailedWriteShowsTheTabsMessageAndRaisesNoRequest) {
  for (const LoadButton& b : kLoadButtons) {
    DialogHarness h;
    h.dlg.Get<ui::TextBox>(b.programBox).SetText(b.program);
    h.handOff.failWith = "locked";
    h.Click(b.load);
    EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{b.failure}) << b.load;
    EXPECT_FALSE(h.dlg.LoadFileTrigger) << b.load;
    EXPECT_EQ(h.Text(b.programBox), b.program) << b.load;

    // Once the file can be written: the box's text and a line end.
    h.handOff.failWith.clear();
    h.Click(b.load);
    EXPECT_EQ(h.handOff.writes, std::vector<std::string>{std::string(b.program) + "\r\n"})
        << b.load;
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
