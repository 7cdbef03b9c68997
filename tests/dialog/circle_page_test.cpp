#include <gtest/gtest.h>

#include <variant>

#include "dialog_fixture.h"
#include "geometry/draw_all.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

// The worked example typed into the circle tab.
void TypeWorkedExample(DialogHarness& h) {
  testing::Fill(h, {{"txtXc", "30"},
                    {"txtYc", "30"},
                    {"txtR", "20"},
                    {"txtn", "2"},
                    {"txtStartAngle", "0"},
                    {"txtdepth", "5"},
                    {"txtpassdepth", "5"},
                    {"txtDrillFeedrate", "100"},
                    {"txtDrillZretract", "3"},
                    {"txtZsafe", "10"},
                    {"txtSpindleSpeed", "5000"},
                    {"chkbCirEnSpin", "True"},
                    {"chkbCirSpecialOp", "False"}});
}

TEST(CirclePage, WorkedExampleFromTheButtonsMatchesTheGolden) {
  DialogHarness h;
  TypeWorkedExample(h);
  testing::ExpectProgramFromButtons(h, "btnDrillGcodeGen", "btnDrillLoadGcode",
                                    "generators/golden/circle_example.nc");
}

TEST(CirclePage, ControlsStartAsDesigned) {
  DialogHarness h;
  testing::ExpectStart(h,
                       {
                           {"txtR", "20"},
                           {"txtn", "11"},
                           {"txtXc", "30"},
                           {"txtYc", "30"},
                           {"txtStartAngle", "0"},
                           {"txtToolDia", "4"},
                           {"txtdepth", "5"},
                           {"txtpassdepth", "2"},
                           {"txtDrillFeedrate", "100"},
                           {"txtSpindleSpeed", "5000"},
                           {"txtDrillZretract", "3"},
                           {"txtZsafe", "10"},
                           {"txtSpSO", "M3"},
                           {"txtDrillGcode", ""},
                           {"groupBox1", "PCD"},
                           {"lblR", "D:"},
                           {"label3", "depth:"},
                           {"chkbCirEnSpin", "OnSpin"},
                           {"chkbCirSpecialOp", "Sp.Op"},
                           {"btnKhoanTronPreview", "Preview"},
                           {"btnDrillGcodeGen", "GCode Gen "},
                           {"btnDrillLoadGcode", "Load"},
                           {"button1", "Close"},
                       },
                       {{"chkbCirEnSpin", false}}, {"txtDrillGcode"});
  // txtR sits in the "PCD" group.
  EXPECT_EQ(h.dlg.Get<ui::TextBox>("txtR").Parent()->Name(), "groupBox1");
}

TEST(CirclePage, KeyFiltersFollowTheTable) {
  DialogHarness h;
  testing::ExpectKeyFilters(
      h, {
             {"txtXc", "-12.5a", "-12.5"},      // signed: one minus, one point, no letters
             {"txtdepth", "-5.5", "5.5"},       // unsigned: no minus
             {"txtDrillZretract", "-3", "-3"},  // retract is signed
             {"txtSpSO", "M8 (x)", "M8 (x)"},   // no filter
             {"txtn", "1.2.3", "1.23"},
         });
}

TEST(CirclePage, RefusedInputShowsTheMessageAndKeepsTheProgram) {
  DialogHarness h;
  TypeWorkedExample(h);
  h.Click("btnDrillGcodeGen");
  const std::string program = h.Text("txtDrillGcode");
  const testing::RefusedCase cases[] = {
      {"txtDrillFeedrate", "", "Parameters error\r\nCirFeedrate"},
      {"txtn", "2.5", "Parameters error\r\nCirn"},
      {"txtR", "-", "Parameters error\r\nCirR"},
  };
  for (const testing::RefusedCase& c : cases) {
    TypeWorkedExample(h);
    testing::ExpectRefusedKeepsProgram(h, c, "btnDrillGcodeGen", "txtDrillGcode");
    EXPECT_EQ(h.Text("txtDrillGcode"), program) << c.box;
  }
}

TEST(CirclePage, PreviewReplacesTheStartDrawingWithTheHoles) {
  DialogHarness h;
  auto& box = h.dlg.Get<ui::PictureBox>("pbxKhoanTron");
  ASSERT_NE(box.Shown(), nullptr);
  EXPECT_FALSE(box.Image().has_value());  // the start drawing until the first preview
  EXPECT_TRUE(box.BackgroundImage().has_value());

  TypeWorkedExample(h);
  h.Click("btnKhoanTronPreview");
  ASSERT_TRUE(box.Image().has_value());
  const geometry::Picture& pic = *box.Image();
  EXPECT_EQ(pic.width, box.GetBounds().width);
  EXPECT_EQ(pic.height, box.GetBounds().height);
  // The marker (circle, two lines, label), then one full arc per hole.
  EXPECT_EQ(testing::CountItems<geometry::ArcPrim>(pic), 2u);
  const auto& hole = std::get<geometry::ArcPrim>(pic.items.back());
  EXPECT_EQ(hole.pen.color, geometry::kBlue);
  EXPECT_EQ(hole.sweepAngle, 360.0);
  // The first hole (at 0 degrees) lies right of the second (at 180 degrees).
  const auto& first = std::get<geometry::ArcPrim>(pic.items[pic.items.size() - 2]);
  EXPECT_EQ(first.y, hole.y);
  EXPECT_GT(first.x, hole.x);
  EXPECT_TRUE(h.prompts.Log().empty());

  // Pattern inputs that do not convert: an empty (blank) preview, no message.
  h.dlg.Get<ui::TextBox>("txtn").SetText("");
  h.Click("btnKhoanTronPreview");
  EXPECT_TRUE(box.Image()->items.empty());
  EXPECT_TRUE(h.prompts.Log().empty());
}

}  // namespace
}  // namespace kelvora::dialog
