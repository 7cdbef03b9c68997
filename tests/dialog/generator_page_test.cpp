// The page builder on an empty tab page, with every kind of item the next tabs
// need: the layout rules hold, inputs take part by their keys, and a grid can
// take the place of the explanatory picture.
#include "dialog/generator_page.h"

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {
namespace {

using testing::CheckChildren;
using testing::DialogHarness;

TEST(GeneratorPage, PlacesEveryKindOfItemWithinTheRules) {
  DialogHarness h;
  ui::TabPage& page = h.dlg.Get<ui::TabPage>("tabPage11");  // the empty "Any" page
  ui::Table table({"#", "Name"});
  GeneratorPage b(h.dlg, page);
  auto& grid = page.Add<ui::DataGrid>("gridUnderTest", table);
  b.PlaceOnTop(TopSlot::kLeft, grid);
  b.Preview("pbxUnderTest", geometry::Picture{});
  b.ProgramBox("txtUnderTestGcode");
  b.BeginGroup(InputArea::kPattern, "grpUnderTest", "Pocket");
  b.Input(InputArea::kPattern, {"txtUnderTestR1", "", "", "R1:", "2", KeyFilter::kUnsigned});
  b.EndGroup();
  b.Input(InputArea::kPattern, {"txtUnderTestX", "", "", "X", "5", KeyFilter::kNone});
  b.Note(InputArea::kPattern, "lblUnderTestPath", "File:-");
  b.Input(InputArea::kMachining,
          {"txtUnderTestDepth", "", "", "depth:", "5", KeyFilter::kUnsigned});
  b.Check(InputArea::kMachining, "chkbUnderTest", "", "Pocket", true);
  b.MultiText(InputArea::kMachining, {"txtUnderTestEnd", "", "", "EndScript:", "M101"}, 2);
  for (const char* name : {"btnA", "btnB", "btnC", "btnD", "btnE", "btnF", "btnG"}) {
    b.AddButton(name, "OpenFile", nullptr);
  }
  b.Arrange();
  h.dlg.Get<ui::TabControl>("tabControl3").SelectPage(page);
  CheckChildren(page, "builder");

  // The grid fills the left upper area; the note has its own row below the inputs.
  EXPECT_GT(grid.GetBounds().height, 200);
  const auto x = h.dlg.Get<ui::TextBox>("txtUnderTestX").GetBounds();
  EXPECT_GT(h.dlg.Get<ui::Label>("lblUnderTestPath").GetBounds().y, x.y);
  // Boxes inside a group line up with the boxes outside it.
  const auto r1 = ui::BoundsIn(h.dlg.Get<ui::TextBox>("txtUnderTestR1"), page);
  EXPECT_EQ(r1.x, ui::BoundsIn(h.dlg.Get<ui::TextBox>("txtUnderTestX"), page).x);
  // Seven buttons do not fit one row of the right column: they flow onto two.
  EXPECT_GT(h.dlg.Get<ui::Button>("btnG").GetBounds().y,
            h.dlg.Get<ui::Button>("btnA").GetBounds().y);
  // The key filter is attached.
  auto& r1Box = h.dlg.Get<ui::TextBox>("txtUnderTestR1");
  r1Box.SetText("");
  r1Box.Type("-3");
  EXPECT_EQ(r1Box.Text(), "3");
  EXPECT_TRUE(h.dlg.Get<ui::TextBox>("txtUnderTestEnd").Multiline());
}

}  // namespace
}  // namespace kelvora::dialog
