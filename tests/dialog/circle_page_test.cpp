#include <gtest/gtest.h>

#include <variant>

#include "dialog_fixture.h"
#include "geometry/draw_all.h"
#include "text/files.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

std::string Golden(std::string_view name) {
  const auto bytes = text::ReadFileBytes(std::string(KELVORA_TEST_DATA) + "/" + std::string(name));
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or("");
}

// The worked example typed into the circle tab.
void TypeWorkedExample(DialogHarness& h) {
  h.Retype("txtXc", "30");
  h.Retype("txtYc", "30");
  h.Retype("txtR", "20");
  h.Retype("txtn", "2");
  h.Retype("txtStartAngle", "0");
  h.Retype("txtdepth", "5");
  h.Retype("txtpassdepth", "5");
  h.Retype("txtDrillFeedrate", "100");
  h.Retype("txtDrillZretract", "3");
  h.Retype("txtZsafe", "10");
  h.Retype("txtSpindleSpeed", "5000");
  h.SetChecked("chkbCirEnSpin", true);
  h.SetChecked("chkbCirSpecialOp", false);
}

TEST(CirclePage, WorkedExampleFromTheButtonsMatchesTheGolden) {
  DialogHarness h;
  TypeWorkedExample(h);
  h.Click("btnDrillGcodeGen");
  EXPECT_TRUE(h.dlg.closeFileTrigger);
  EXPECT_FALSE(h.dlg.LoadFileTrigger);
  h.Click("btnDrillLoadGcode");
  ASSERT_EQ(h.handOff.writes.size(), 1u);
  EXPECT_EQ(h.handOff.writes[0], Golden("generators/golden/circle_example.nc"));
  EXPECT_TRUE(h.dlg.LoadFileTrigger);
  EXPECT_TRUE(h.prompts.Log().empty());
}

TEST(CirclePage, ControlsStartAsDesigned) {
  DialogHarness h;
  struct Start {
    const char* name;
    const char* text;
  };
  const Start starts[] = {
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
  };
  for (const Start& s : starts) EXPECT_EQ(h.Text(s.name), s.text) << s.name;
  EXPECT_FALSE(h.dlg.Get<ui::CheckBox>("chkbCirEnSpin").Checked());
  EXPECT_TRUE(h.dlg.Get<ui::TextBox>("txtDrillGcode").Multiline());
  // txtR sits in the "PCD" group.
  EXPECT_EQ(h.dlg.Get<ui::TextBox>("txtR").Parent()->Name(), "groupBox1");
}

TEST(CirclePage, KeyFiltersFollowTheTable) {
  DialogHarness h;
  struct Case {
    const char* box;
    const char* typed;
    const char* result;
  };
  const Case cases[] = {
      {"txtXc", "-12.5a", "-12.5"},      // signed: one minus, one point, no letters
      {"txtdepth", "-5.5", "5.5"},       // unsigned: no minus
      {"txtDrillZretract", "-3", "-3"},  // retract is signed
      {"txtSpSO", "M8 (x)", "M8 (x)"},   // no filter
      {"txtn", "1.2.3", "1.23"},
  };
  for (const Case& c : cases) {
    auto& box = h.dlg.Get<ui::TextBox>(c.box);
    box.SetText("");
    box.Type(c.typed);
    EXPECT_EQ(box.Text(), c.result) << c.box;
  }
}

TEST(CirclePage, RefusedInputShowsTheMessageAndKeepsTheProgram) {
  DialogHarness h;
  TypeWorkedExample(h);
  h.Click("btnDrillGcodeGen");
  const std::string program = h.Text("txtDrillGcode");
  h.dlg.closeFileTrigger = false;

  struct Case {
    const char* box;
    const char* text;
    const char* key;
  };
  const Case cases[] = {
      {"txtDrillFeedrate", "", "CirFeedrate"},
      {"txtn", "2.5", "Cirn"},
      {"txtR", "-", "CirR"},
  };
  for (const Case& c : cases) {
    TypeWorkedExample(h);
    h.dlg.Get<ui::TextBox>(c.box).SetText(c.text);
    h.prompts.ClearLog();
    h.Click("btnDrillGcodeGen");
    EXPECT_EQ(h.prompts.Messages(),
              std::vector<std::string>{std::string("Parameters error\r\n") + c.key})
        << c.box;
    EXPECT_EQ(h.Text("txtDrillGcode"), program) << c.box;
    EXPECT_FALSE(h.dlg.closeFileTrigger) << c.box;
  }
}

TEST(CirclePage, LoadFailureShowsTheButtonsMessageAndRaisesNoRequest) {
  DialogHarness h;
  h.handOff.failWith = "locked";
  h.Click("btnDrillLoadGcode");
  EXPECT_EQ(h.prompts.Messages(),
            std::vector<std::string>{"File opening \r\n, please close the file first!"});
  EXPECT_FALSE(h.dlg.LoadFileTrigger);
  // An empty box hands over a single line end once the file can be written.
  h.handOff.failWith.clear();
  h.Click("btnDrillLoadGcode");
  EXPECT_EQ(h.handOff.writes, std::vector<std::string>{"\r\n"});
  EXPECT_TRUE(h.dlg.LoadFileTrigger);
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
  std::size_t arcs = 0;
  for (const auto& item : pic.items) arcs += std::holds_alternative<geometry::ArcPrim>(item);
  EXPECT_EQ(arcs, 2u);
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
