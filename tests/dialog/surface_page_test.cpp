// The surface tab: the square page with its Flipped sketches, the round page
// and the empty "Any" page.
#include <gtest/gtest.h>

#include <variant>

#include "dialog_fixture.h"
#include "geometry/picture.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;
using testing::ExpectKeyFilters;
using testing::Fill;

// The rectangle of the worked example; the cases change what they need.
void FillExample(DialogHarness& h) {
  Fill(h, {{"txtMSqrXc", "0"},
           {"txtMSqrYc", "0"},
           {"txtMSqrLx", "10"},
           {"txtMSqrLy", "4"},
           {"txtMSqrStep", "2"},
           {"txtMSqrDepth", "1"},
           {"txtMSqrStepdwn", "1"},
           {"txtMSqrZRetract", "1"},
           {"txtMSqrZsafe", "1"},
           {"txtMSqrFeedrate", "4000"},
           {"txtPlungeFeedrate", "500"},
           {"chkbMSqrEnSpin", "False"},
           {"chkbMSqrGotoZero", "False"},
           {"chkbMSqrFlip", "False"}});
}

TEST(SurfaceSquarePage, WorkedExamplesFromTheButtonsMatchTheGoldens) {
  testing::ExpectGoldensFromButtons(FillExample, "btnMSqrGcodeGen", "btnMSqrLoad",
                                    {
                                        {"generators/golden/surface_example.nc", {}},
                                        {"generators/golden/surface_final_layer.nc",
                                         {{"txtMSqrDepth", "1.2"},
                                          {"txtMSqrStepdwn", "0.5"},
                                          {"txtMSqrZsafe", "5"},
                                          {"chkbMSqrEnSpin", "True"},
                                          {"txtMSqrSpinSpeed", "800"}}},
                                        {"generators/golden/surface_flipped_shallow.nc",
                                         {{"txtMSqrXc", "5"},
                                          {"txtMSqrLy", "3"},
                                          {"txtMSqrDepth", "0.5"},
                                          {"txtMSqrStepdwn", "2"},
                                          {"txtMSqrZsafe", "5"},
                                          {"chkbMSqrFlip", "True"},
                                          {"chkbMSqrGotoZero", "True"}}},
                                    });
}

TEST(SurfaceSquarePage, ControlsStartAsDesigned) {
  DialogHarness h;
  testing::ExpectStart(
      h,
      {
          {"txtMSqrXc", "15"},
          {"txtMSqrYc", "15"},
          {"txtMSqrLx", "220"},
          {"txtMSqrLy", "220"},
          {"txtMSqrToolDia", "4"},
          {"txtMSqrStep", "6"},
          {"txtMSqrDepth", "5"},
          {"txtMSqrStepdwn", "0.5"},
          {"chkbMSqrFlip", "Flipped"},
          {"txtMSqrFeedrate", "4000"},
          {"txtPlungeFeedrate", "500"},
          {"txtMSqrSpinSpeed", "5000"},
          {"txtMSqrZRetract", "1"},
          {"txtMSqrZsafe", "1"},
          {"chkbMSqrGotoZero", "Go to Zero"},
          {"chkbMSqrEnSpin", "OnSpin"},
          {"txtMSqrGcode", ""},
          {"label39", "Plunge Feedrate:"},
          {"label43", "stp down:"},
          {"label41", "step:"},
          {"btnMSqrPreview", "Preview"},
          {"btnMSqrGcodeGen", "GCode Gen "},
          {"btnMSqrLoad", "Load"},
          {"button4", "Close"},
      },
      {{"chkbMSqrFlip", false}, {"chkbMSqrGotoZero", true}, {"chkbMSqrEnSpin", true}},
      {"txtMSqrGcode"});

  ExpectKeyFilters(h, {
                          {"txtMSqrXc", "-1.5a", "-1.5"},
                          {"txtMSqrLx", "-220", "-220"},
                          {"txtMSqrToolDia", "4 mm", "4 mm"},  // no filter
                          {"txtMSqrStep", "-6", "6"},
                          {"txtMSqrStepdwn", "-0.5", "-0.5"},
                          {"txtPlungeFeedrate", "-500", "500"},
                          {"txtMSqrZRetract", "-1", "-1"},
                      });
}

// x of the red start-corner mark of a surface sketch.
int CornerX(const geometry::Picture& sketch) {
  for (const auto& item : sketch.items) {
    if (const auto* e = std::get_if<geometry::EllipsePrim>(&item);
        e && e->pen.color == geometry::kRed) {
      return e->x;
    }
  }
  ADD_FAILURE() << "no corner mark";
  return 0;
}

TEST(SurfaceSquarePage, FlippedSwitchesTheSketches) {
  DialogHarness h;
  auto& normal = h.dlg.Get<ui::PictureBox>("pictureBox6");
  auto& flipped = h.dlg.Get<ui::PictureBox>("pictureBox5");
  EXPECT_TRUE(normal.Visible());
  EXPECT_FALSE(flipped.Visible());
  // Both take the same place; the flipped one has its corner on the right.
  EXPECT_EQ(flipped.GetBounds(), normal.GetBounds());
  ASSERT_NE(normal.Shown(), nullptr);
  ASSERT_NE(flipped.Shown(), nullptr);
  EXPECT_GT(CornerX(*flipped.Shown()), CornerX(*normal.Shown()));

  struct Step {
    const char* click;
    bool flippedShown;
  };
  const Step steps[] = {
      {"chkbMSqrFlip", true},
      {"chkbMSqrGotoZero", true},  // wired to the same handler, no
                                   // further effect
      {"chkbMSqrGotoZero", true},
      {"chkbMSqrFlip", false},
      {"chkbMSqrGotoZero", false},
  };
  for (const Step& s : steps) {
    h.dlg.Get<ui::CheckBox>(s.click).Click();
    EXPECT_EQ(flipped.Visible(), s.flippedShown) << s.click;
    EXPECT_EQ(normal.Visible(), !s.flippedShown) << s.click;
  }
  // A restored "Flipped" shows its sketch as well.
  h.dlg.LoadParam({{"MsqrFlip", "chkbMSqrFlip", "True"}});
  EXPECT_TRUE(flipped.Visible());
  EXPECT_FALSE(normal.Visible());
  // Resizing keeps the two sketches together.
  h.dlg.GetForm().SetClientSize(1400, 800);
  EXPECT_EQ(flipped.GetBounds(), normal.GetBounds());
}

std::vector<geometry::LinePrim> Lines(const geometry::Picture& pic) {
  std::vector<geometry::LinePrim> lines;
  for (const auto& item : pic.items) {
    if (const auto* l = std::get_if<geometry::LinePrim>(&item)) lines.push_back(*l);
  }
  return lines;
}

TEST(SurfaceSquarePage, PreviewDrawsTheRowsOfOneLayer) {
  DialogHarness h;
  auto& box = h.dlg.Get<ui::PictureBox>("pxbMSqr");
  EXPECT_FALSE(box.Image().has_value());
  ASSERT_TRUE(box.BackgroundImage().has_value());

  FillExample(h);
  h.Click("btnMSqrPreview");
  ASSERT_TRUE(box.Image().has_value());
  EXPECT_EQ(box.Image()->width, box.GetBounds().width);
  // (0,0) to (10,0), up to (10,2), back to (0,2), up to (0,4), on to (10,4); no marker.
  auto lines = Lines(*box.Image());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.size(), box.Image()->items.size());
  for (const auto& l : lines) EXPECT_EQ(l.pen.color, geometry::kBlue);
  EXPECT_GT(lines[0].x2, lines[0].x1);  // the first row runs toward +X
  EXPECT_EQ(lines[0].y1, lines[0].y2);
  EXPECT_LT(lines[1].y2, lines[1].y1);  // the step goes up
  EXPECT_LT(lines[2].x2, lines[2].x1);

  // Flipped: the first row runs toward -X.
  h.SetChecked("chkbMSqrFlip", true);
  h.Click("btnMSqrPreview");
  lines = Lines(*box.Image());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_LT(lines[0].x2, lines[0].x1);

  // Pattern inputs that do not convert: an empty preview, no message.
  h.dlg.Get<ui::TextBox>("txtMSqrLy").SetText("");
  h.Click("btnMSqrPreview");
  EXPECT_TRUE(box.Image()->items.empty());
  EXPECT_TRUE(h.prompts.Log().empty());
}

TEST(SurfaceSquarePage, AStepOverTooSmallToCountIsRefused) {
  DialogHarness h;
  FillExample(h);
  h.Click("btnMSqrPreview");
  h.Click("btnMSqrGcodeGen");
  const std::string program = h.Text("txtMSqrGcode");
  const std::size_t drawn = h.dlg.Get<ui::PictureBox>("pxbMSqr").Image()->items.size();
  h.dlg.closeFileTrigger = false;

  h.Retype("txtMSqrStep", "0.000000001");
  for (const char* button : {"btnMSqrPreview", "btnMSqrGcodeGen"}) {
    h.prompts.ClearLog();
    h.Click(button);
    const auto messages = h.prompts.Messages();
    ASSERT_EQ(messages.size(), 1u) << button;
    EXPECT_NE(messages[0].find("rows"), std::string::npos) << messages[0];
  }
  EXPECT_EQ(h.dlg.Get<ui::PictureBox>("pxbMSqr").Image()->items.size(), drawn);
  EXPECT_EQ(h.Text("txtMSqrGcode"), program);
  EXPECT_FALSE(h.dlg.closeFileTrigger);
}

TEST(SurfaceSquarePage, RefusedInputShowsTheMessageAndKeepsTheProgram) {
  testing::ExpectRefusedInputs(FillExample, "btnMSqrGcodeGen", "txtMSqrGcode",
                               {
                                   {"txtMSqrLx", "", "Parameters error\r\nMsqrLx"},
                                   {"txtMSqrStepdwn", "-", "Parameters error\r\nMsqrStepdown"},
                                   {"txtPlungeFeedrate", ".", "Parameters error\r\nMsqrPlugFeed"},
                                   // read even with the spindle off
                                   {"txtMSqrSpinSpeed", "", "Parameters error\r\nMsqrSpinSpeed"},
                               });
}

TEST(SurfaceRoundPage, ShowsItsSketchAndStartDrawing) {
  DialogHarness h;
  for (const char* name : {"pictureBox7", "pxb"}) {
    auto& box = h.dlg.Get<ui::PictureBox>(name);
    EXPECT_EQ(box.Parent()->Name(), "tabPage9") << name;
    ASSERT_NE(box.Shown(), nullptr) << name;
    EXPECT_FALSE(box.Shown()->items.empty()) << name;
  }
  auto& text = h.dlg.Get<ui::TextBox>("txtMRound");
  EXPECT_EQ(text.Parent()->Name(), "tabPage9");
  EXPECT_TRUE(text.Multiline());
  EXPECT_TRUE(h.dlg.Get<ui::TabPage>("tabPage11").Children().empty());  // "Any"
}

}  // namespace
}  // namespace kelvora::dialog
