#include <gtest/gtest.h>

#include <cstdlib>
#include <variant>

#include "dialog_fixture.h"
#include "geometry/picture.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;
using testing::ExpectKeyFilters;
using testing::Fill;

// The grid with the inputs the command line's grid goldens leave at their defaults.
void FillDefaults(DialogHarness& h) {
  Fill(h, {{"txtGridXm", "1"},
           {"txtGridYn", "1"},
           {"txtGridToolDia", "3"},
           {"txtGridZigzac", "0"},
           {"chkbGridSub1", "False"},
           {"txtGridFeedrate", "100"},
           {"txtGridZretract", "1"},
           {"txtGridZsafe", "3"},
           {"txtGridSpinSpeed", "1000"},
           {"chkbGridSpOp", "False"}});
}

TEST(GridPage, WorkedExamplesFromTheButtonsMatchTheGoldens) {
  testing::ExpectGoldensFromButtons(FillDefaults, "btnGridGcodGen", "btnGridLoad",
                                    {
                                        {"generators/golden/grid_example.nc",
                                         {{"txtGridXc", "0"},
                                          {"txtGridYc", "0"},
                                          {"txtGridm", "1"},
                                          {"txtGridn", "1"},
                                          {"txtGridDepth", "2"},
                                          {"txtGridStep", "2"},
                                          {"txtGridFeedrate", "100"},
                                          {"txtGridZretract", "3"},
                                          {"txtGridZsafe", "10"},
                                          {"chkbGridEnSpin", "False"}}},
                                        {"generators/golden/grid_staggered.nc",
                                         {{"txtGridXc", "0"},
                                          {"txtGridYc", "0"},
                                          {"txtGridm", "3"},
                                          {"txtGridn", "3"},
                                          {"txtGridXm", "10"},
                                          {"txtGridYn", "5"},
                                          {"txtGridZigzac", "5"},
                                          {"chkbGridSub1", "True"},
                                          {"txtGridDepth", "1"},
                                          {"txtGridStep", "1"},
                                          {"chkbGridEnSpin", "False"}}},
                                    });
}

TEST(GridPage, ControlsStartAsDesigned) {
  DialogHarness h;
  testing::ExpectStart(
      h,
      {
          {"txtGridXc", "30"},
          {"txtGridYc", "30"},
          {"txtGridXm", "20"},
          {"txtGridYn", "20"},
          {"txtGridm", "5"},
          {"txtGridn", "5"},
          {"txtGridZigzac", "2"},
          {"chkbGridSub1", "-1"},
          {"txtGridToolDia", "4"},
          {"txtGridDepth", "5"},
          {"txtGridStep", "2"},
          {"txtGridFeedrate", "100"},
          {"txtGridSpinSpeed", "5000"},
          {"txtGridZretract", "3"},
          {"txtGridZsafe", "10"},
          {"chkbGridEnSpin", "OnSpin"},
          {"chkbGridSpOp", "Sp.Op"},
          {"txtGridSpecialOp", "M101"},
          {"txtGridGcode", ""},
          {"label16", "depth:"},
          {"label24", "Feedrate:"},
          {"lblGridZigzac", "ZigZac:"},
          {"btnGridPreview", "Preview"},
          {"btnGridGcodGen", "GCode Gen "},
          {"btnGridLoad", "Load"},
          {"button2", "Close"},
      },
      {{"chkbGridSub1", false}, {"chkbGridEnSpin", false}, {"chkbGridSpOp", false}},
      {"txtGridGcode", "txtGridSpecialOp"});
  EXPECT_NE(h.dlg.Find<ui::PictureBox>("pictureBox3"), nullptr);  // the sketch
}

// The captions the language table renames sit beside their own boxes, and show
// the chosen language's texts.
TEST(GridAndSurfacePages, TranslatedCaptionsLabelTheirOwnBoxes) {
  DialogHarness h;
  h.dlg.Get<ui::ComboBox>("cmbLanguage").SetSelectedIndex(1);  // English
  struct Case {
    const char* label;
    const char* box;
    const char* english;
  };
  const Case cases[] = {
      {"label16", "txtGridDepth", "depth:"},
      {"label25", "txtGridStep", "step:"},
      {"label24", "txtGridFeedrate", "Feedrate:"},
      {"label22", "txtGridZretract", "Z retract:"},
      {"label21", "txtGridZsafe", "Z safe:"},
      {"label23", "txtGridSpinSpeed", "SpinSpeed:"},
      {"label42", "txtMSqrDepth", "depth:"},
      {"label43", "txtMSqrStepdwn", "stepdown:"},
      {"label41", "txtMSqrStep", "stepover:"},
      {"label50", "txtMSqrFeedrate", "feedrate:"},
      {"label39", "txtPlungeFeedrate", "plugFeedrate:"},
      {"label48", "txtMSqrZRetract", "Z retract:"},
      {"label47", "txtMSqrZsafe", "Z safe:"},
      {"label49", "txtMSqrSpinSpeed", "spinSpeed:"},
  };
  for (const Case& c : cases) {
    const auto& label = h.dlg.Get<ui::Label>(c.label);
    const auto& box = h.dlg.Get<ui::TextBox>(c.box);
    EXPECT_EQ(label.Text(), c.english) << c.label;
    EXPECT_EQ(label.Parent(), box.Parent()) << c.label;
    const ui::Bounds l = label.GetBounds();
    const ui::Bounds b = box.GetBounds();
    // On the box's row, ending just before it.
    EXPECT_LT(std::abs((l.y + l.height / 2) - (b.y + b.height / 2)), b.height / 2) << c.label;
    EXPECT_LE(l.Right(), b.x) << c.label;
    EXPECT_GE(l.Right(), b.x - 12) << c.label;
  }
}

TEST(GridPage, KeyFiltersFollowTheTable) {
  DialogHarness h;
  ExpectKeyFilters(h, {
                          {"txtGridXc", "-1.5x", "-1.5"},     // signed
                          {"txtGridYn", "-20", "-20"},        // signed: a negative distance mirrors
                          {"txtGridm", "-5", "5"},            // unsigned
                          {"txtGridZigzac", "-2.5", "2.5"},   // unsigned
                          {"txtGridZretract", "-3", "-3"},    // signed
                          {"txtGridFeedrate", "1,5", "1.5"},  // the comma enters the point
                          {"txtGridSpecialOp", "M8 P1", "M8 P1"},
                      });
}

// Centre of a hole drawn as a full arc.
std::pair<int, int> Centre(const geometry::ArcPrim& a) {
  return {a.x + a.width / 2, a.y + a.height / 2};
}

TEST(GridPage, PreviewDrawsTheHolesInDrillingOrderWithTheMarkerOnTheFirst) {
  DialogHarness h;
  auto& box = h.dlg.Get<ui::PictureBox>("pbxGridDrill");
  EXPECT_FALSE(box.Image().has_value());
  ASSERT_TRUE(box.BackgroundImage().has_value());  // the start drawing

  Fill(h, {{"txtGridXc", "0"},
           {"txtGridYc", "0"},
           {"txtGridm", "3"},
           {"txtGridn", "2"},
           {"txtGridXm", "10"},
           {"txtGridYn", "5"},
           {"txtGridZigzac", "2"}});
  h.Click("btnGridPreview");
  ASSERT_TRUE(box.Image().has_value());
  const geometry::Picture& pic = *box.Image();
  EXPECT_EQ(pic.width, box.GetBounds().width);
  EXPECT_EQ(pic.height, box.GetBounds().height);

  std::vector<std::pair<int, int>> holes;
  const geometry::LinePrim* vertical = nullptr;
  for (const auto& item : pic.items) {
    if (const auto* a = std::get_if<geometry::ArcPrim>(&item)) holes.push_back(Centre(*a));
    if (const auto* l = std::get_if<geometry::LinePrim>(&item); l && l->x1 == l->x2 && !vertical) {
      vertical = l;
    }
  }
  // (0,0) (10,0) (20,0), then back along the shifted row: (22,5) (12,5) (2,5).
  ASSERT_EQ(holes.size(), 6u);
  for (int i : {1, 2}) {
    EXPECT_EQ(holes[i].second, holes[0].second);
    EXPECT_GT(holes[i].first, holes[i - 1].first);
  }
  for (int i : {4, 5}) {
    EXPECT_EQ(holes[i].second, holes[3].second);
    EXPECT_LT(holes[i].first, holes[i - 1].first);
  }
  EXPECT_LT(holes[3].second, holes[0].second);  // the second row lies above
  EXPECT_GT(holes[3].first, holes[2].first);    // shifted by ZigZac
  // The marker's vertical line passes through the first hole.
  ASSERT_NE(vertical, nullptr);
  EXPECT_EQ(vertical->pen.color, geometry::kRed);
  EXPECT_LE(std::abs(vertical->x1 - holes[0].first), 1);
  EXPECT_TRUE(h.prompts.Log().empty());

  // "-1" drops a hole of the shifted row.
  h.SetChecked("chkbGridSub1", true);
  h.Click("btnGridPreview");
  EXPECT_EQ(testing::CountItems<geometry::ArcPrim>(*box.Image()), 5u);
}

TEST(GridPage, PreviewOfARefusedPatternSaysSo) {
  DialogHarness h;
  auto& box = h.dlg.Get<ui::PictureBox>("pbxGridDrill");
  h.Click("btnGridPreview");
  ASSERT_TRUE(box.Image().has_value());
  const std::size_t drawn = box.Image()->items.size();
  ASSERT_GT(drawn, 0u);

  // A pattern input that does not convert: the message, and nothing drawn.
  h.dlg.Get<ui::TextBox>("txtGridm").SetText("2.5");
  h.Click("btnGridPreview");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Parameter error\r\nGridm"});
  EXPECT_TRUE(box.Image()->items.empty());

  // More holes than the limit: the message names it, the picture stays.
  h.Retype("txtGridm", "5");
  h.Click("btnGridPreview");
  ASSERT_EQ(box.Image()->items.size(), drawn);
  h.prompts.ClearLog();
  h.Retype("txtGridm", "100000");
  h.Retype("txtGridn", "100000");
  h.Click("btnGridPreview");
  const auto messages = h.prompts.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("holes"), std::string::npos) << messages[0];
  EXPECT_EQ(box.Image()->items.size(), drawn);
}

TEST(GridPage, RefusedInputShowsTheMessageAndKeepsTheProgram) {
  testing::ExpectRefusedInputs(
      nullptr, "btnGridGcodGen", "txtGridGcode",
      {
          {"txtGridXc", "", "Parameter error\r\nGridXc"},  // pattern: the builder's own wording
          {"txtGridn", "1.5", "Parameter error\r\nGridn"},
          {"txtGridFeedrate", ".", "Parameters error\r\nGridFeedrate"},
          {"txtGridZsafe", "-", "Parameters error\r\nGridZsafe"},
      });
}

}  // namespace
}  // namespace kelvora::dialog
