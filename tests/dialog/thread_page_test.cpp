#include <gtest/gtest.h>

#include <variant>

#include "dialog_fixture.h"
#include "geometry/picture.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

TEST(ThreadPage, WorkedExamplesFromTheButtonsMatchTheGoldens) {
  testing::ExpectGoldensFromButtons(
      nullptr, "btnGenerate", "btnThreadLoad",
      {
          // The start texts are the worked example.
          {"generators/golden/thread_example.nc", {}},
          {"generators/golden/thread_lefthand.nc", {{"chkLeftHand", "True"}}},
          // The typed depth is not read while the standard depth is on.
          {"generators/golden/thread_stddepth.nc",
           {{"txtPitDepth", "oops"}, {"chkAutoDepth", "True"}}},
          {"generators/golden/thread_axes.nc", {{"txtXaxis", "Y"}}},
          {"generators/golden/thread_blank_spin.nc", {{"txtThrdSpin", ""}, {"txtPasses", "2"}}},
      });
}

TEST(ThreadPage, ControlsStartAsDesigned) {
  DialogHarness h;
  testing::ExpectStart(h,
                       {
                           {"txtPitch", "5"},
                           {"txtLength", "20"},
                           {"txtMajorDia", "15"},
                           {"txtPitDepth", "5"},
                           {"txtPasses", "5"},
                           {"txtFeed", "200"},
                           {"txtThrdSpin", "15000"},
                           {"txtXaxis", "X"},
                           {"txtZaxis", "Z"},
                           {"lblPitch", "Pitch/Bước"},
                           {"lblMajorDia", "MajDia/Đ.Kính"},
                           {"lblThrdSpin", "Spin/T.độ Spn"},
                           {"chkAutoDepth", "Depth Std/ Sâu tiêu chuẩn:"},
                           {"chkLeftHand", "Left/Trái"},
                           {"btnGenerate", "Gen/Ok"},
                           {"btnThreadLoad", "Load"},
                           {"txtThreadGcode", ""},
                       },
                       {{"chkAutoDepth", false}, {"chkLeftHand", false}}, {"txtThreadGcode"});
  EXPECT_TRUE(h.dlg.Get<ui::TextBox>("txtPitDepth").Enabled());
  // No key filters: any text can be typed (axis letters, a spindle text).
  auto& axis = h.dlg.Get<ui::TextBox>("txtZaxis");
  axis.SetText("");
  EXPECT_EQ(axis.Type("W-1, a"), 6u);
  // The tab's inputs are not stored: none of its boxes is bound to a settings key.
  for (const auto& [key, control] : h.dlg.KeyBindings()) {
    EXPECT_FALSE(h.dlg.Get<ui::Control>(control).Parent()->Name() == "tabPage17") << key;
  }
}

TEST(ThreadPage, StandardDepthDisablesTheDepthBox) {
  DialogHarness h;
  auto& depth = h.dlg.Get<ui::TextBox>("txtPitDepth");
  h.SetChecked("chkAutoDepth", true);
  EXPECT_FALSE(depth.Enabled());
  depth.TypeChar(U'7');
  EXPECT_EQ(depth.Text(), "5");
  h.SetChecked("chkAutoDepth", false);
  EXPECT_TRUE(depth.Enabled());
}

std::vector<std::string> Texts(const geometry::Picture& pic) {
  std::vector<std::string> texts;
  for (const auto& item : pic.items) {
    if (const auto* t = std::get_if<geometry::TextPrim>(&item)) texts.push_back(t->Text());
  }
  return texts;
}

TEST(ThreadPage, ThePanelShowsTheLastGeneration) {
  DialogHarness h;
  auto& panel = h.dlg.Get<ui::Panel>("panelPreview");
  int repaints = 0;
  panel.onChanged = [&repaints](ui::Control&, ui::Change change) {
    repaints += change == ui::Change::kPicture;
  };
  // Blank before the first generation.
  geometry::Picture pic = panel.Paint();
  EXPECT_EQ(pic.width, panel.GetBounds().width);
  EXPECT_EQ(pic.height, panel.GetBounds().height);
  EXPECT_TRUE(pic.items.empty());

  h.Click("btnGenerate");
  EXPECT_EQ(repaints, 1);
  pic = panel.Paint();
  ASSERT_FALSE(pic.items.empty());
  const auto* major = std::get_if<geometry::RectPrim>(&pic.items[0]);
  ASSERT_NE(major, nullptr);
  EXPECT_EQ(major->pen.color, geometry::kBlue);
  const std::vector<std::string> shown = {"Pitch: 5.00 mm", "Length: 20.00 mm",
                                          "Major \xC3\x98: 15.00"};
  EXPECT_EQ(Texts(pic), shown);

  // Editing the inputs alone changes nothing; a refused generation neither.
  const std::string program = h.Text("txtThreadGcode");
  h.dlg.closeFileTrigger = false;
  h.Retype("txtPitch", "2");
  EXPECT_EQ(Texts(panel.Paint()), shown);
  h.Retype("txtPasses", "2.5");
  h.Click("btnGenerate");
  EXPECT_EQ(h.prompts.Messages(), std::vector<std::string>{"Parameters error\r\nPasses"});
  EXPECT_EQ(Texts(panel.Paint()), shown);
  EXPECT_EQ(h.Text("txtThreadGcode"), program);
  EXPECT_FALSE(h.dlg.closeFileTrigger);
  EXPECT_EQ(repaints, 1);

  // The next generation shows its own values.
  h.Retype("txtPasses", "3");
  h.Click("btnGenerate");
  EXPECT_EQ(Texts(panel.Paint())[0], "Pitch: 2.00 mm");
  EXPECT_EQ(repaints, 2);
}

TEST(ThreadPage, RefusedInputShowsTheMessageAndKeepsTheProgram) {
  testing::ExpectRefusedInputs(
      nullptr, "btnGenerate", "txtThreadGcode",
      {
          {"txtPitch", "", "Parameters error\r\nPitch"},
          {"txtPitch", "0", "Parameters error\r\nPitch"},  // a pitch of 0 would write no number
          {"txtLength", "2O", "Parameters error\r\nLength"},
          {"txtFeed", "fast", "Parameters error\r\nFeed"},
          {"txtPitDepth", "-", "Parameters error\r\nPitDepth"},
      });
}

}  // namespace
}  // namespace kelvora::dialog
