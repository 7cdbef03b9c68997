#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/layout.h"
#include "ui/scripted_prompts.h"
#include "ui/text_metrics.h"
#include "ui/widgets.h"

namespace kelvora::ui {
namespace {

TEST(Layout, FixedTracksKeepTheirSizeAndStretchingOnesShareTheRest) {
  struct Case {
    int width;
    std::vector<Track> tracks;
    std::vector<int> lefts;
    std::vector<int> widths;
  };
  const std::vector<Case> cases{
      {400, {{100, 0}, {0, 1}, {0, 1}}, {0, 110, 260}, {100, 140, 140}},
      {1000, {{100, 0}, {0, 1}, {0, 1}}, {0, 110, 560}, {100, 440, 440}},
      {301, {{0, 1}, {0, 2}}, {0, 107}, {97, 194}},
      // Too narrow: the fixed tracks keep their sizes, stretching ones get nothing.
      {150, {{100, 0}, {80, 0}, {0, 1}}, {0, 110, 200}, {100, 80, 0}},
  };
  for (const Case& c : cases) {
    const auto cols = SplitColumns({0, 5, c.width, 50}, c.tracks, 10);
    ASSERT_EQ(cols.size(), c.tracks.size());
    for (std::size_t i = 0; i < cols.size(); ++i) {
      EXPECT_EQ(cols[i].x, c.lefts[i]) << c.width << " column " << i;
      EXPECT_EQ(cols[i].width, c.widths[i]) << c.width << " column " << i;
      EXPECT_EQ(cols[i].y, 5);
      EXPECT_EQ(cols[i].height, 50);
    }
  }
  const auto rows = SplitRows({0, 0, 10, 300}, {{0, 1}, {100, 0}}, 4);
  EXPECT_EQ(rows[0].height, 196);
  EXPECT_EQ(rows[1].y, 200);
}

TEST(Layout, FlowStartsANewRowWhenTheNextItemDoesNotFit) {
  FlowLayout flow({10, 10, 200, 100}, 30, 5);
  EXPECT_EQ(flow.Next(90), (Bounds{10, 10, 90, 30}));
  EXPECT_EQ(flow.Next(90), (Bounds{105, 10, 90, 30}));
  EXPECT_EQ(flow.Next(90), (Bounds{10, 45, 90, 30}));
  EXPECT_EQ(flow.Bottom(), 75);
}

TEST(TabControl, RemovingPagesKeepsTheShownPageAndHidesTheRemovedOne) {
  TabControl tabs("tabs");
  tabs.SetBounds({0, 0, 300, 200});
  TabPage& a = tabs.AddPage("a", "A");
  TabPage& b = tabs.AddPage("b", "B");
  TabPage& c = tabs.AddPage("c", "C");
  EXPECT_EQ(tabs.SelectedPage(), &a);
  EXPECT_TRUE(a.Visible());
  EXPECT_FALSE(b.Visible());
  int changes = 0;
  tabs.onSelectedIndexChanged = [&](TabControl&) { ++changes; };
  tabs.SelectPage(c);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(tabs.RemovePage(b));
  EXPECT_FALSE(tabs.RemovePage(b));
  EXPECT_EQ(tabs.Pages().size(), 2u);
  EXPECT_EQ(tabs.SelectedPage(), &c);
  EXPECT_EQ(tabs.SelectedIndex(), 1);
  EXPECT_FALSE(b.Visible());
  // Removing the shown page shows the one now in its place.
  tabs.RemovePage(c);
  EXPECT_EQ(tabs.SelectedPage(), &a);
  EXPECT_TRUE(a.Visible());
  // Pages fill the area below the strip, or above it when the tabs are at the bottom.
  EXPECT_EQ(BoundsIn(a, tabs).y, TabControl::kTabStripHeight);
  tabs.SetAlignment(TabAlignment::kBottom);
  EXPECT_EQ(BoundsIn(a, tabs).y, TabControl::kBorder);
  EXPECT_LE(BoundsIn(a, tabs).Bottom(), 200 - TabControl::kTabStripHeight);
}

TEST(Form, CloseRequestsCanBeCancelledAndTheFirstShowRunsLoad) {
  Form form("f", "Title", 300, 200);
  EXPECT_FALSE(form.Visible());
  int loads = 0;
  form.onLoad = [&](Form& f) {
    ++loads;
    f.Close();  // asked for during Load: the show still completes
  };
  bool keepOpen = true;
  form.onFormClosing = [&](Form& f, FormClosingEvent& e) {
    e.cancel = keepOpen;
    if (keepOpen) f.Hide();
  };
  form.Show();
  EXPECT_TRUE(form.Visible());
  form.Show();
  EXPECT_EQ(loads, 1);
  EXPECT_FALSE(form.Close(CloseReason::kUser));
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Closed());
  keepOpen = false;
  form.Show();
  EXPECT_TRUE(form.Close());
  EXPECT_TRUE(form.Closed());
}

TEST(Form, AcceptAndCancelButtonsSetTheModalResult) {
  Form form("f", "Title", 300, 200);
  Button& ok = form.Add<Button>("ok", "OK");
  Button& cancel = form.Add<Button>("cancel", "Cancel");
  ok.SetDialogResult(DialogResult::kOk);
  cancel.SetDialogResult(DialogResult::kCancel);
  form.SetAcceptButton(&ok);
  form.SetCancelButton(&cancel);
  EXPECT_TRUE(form.PressEscape());
  EXPECT_EQ(form.ModalResult(), DialogResult::kCancel);
  EXPECT_TRUE(form.PressEnter());
  EXPECT_EQ(form.ModalResult(), DialogResult::kOk);
  ok.SetEnabled(false);
  form.SetModalResult(DialogResult::kNone);
  EXPECT_FALSE(form.PressEnter());
  EXPECT_EQ(form.ModalResult(), DialogResult::kNone);
}

TEST(Controls, ChangesReachTheObserverAndHiddenControlsIgnoreClicks) {
  CheckBox box("chk", "OnSpin");
  std::vector<Change> seen;
  box.onChanged = [&](Control&, Change c) { seen.push_back(c); };
  EXPECT_TRUE(box.Click());
  EXPECT_TRUE(box.Checked());
  box.SetVisible(false);
  EXPECT_FALSE(box.Click());
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(seen, (std::vector<Change>{Change::kValue, Change::kVisible}));

  ComboBox combo("cmb");
  combo.SetItems({"a", "b"});
  int selections = 0;
  combo.onSelectedIndexChanged = [&](ComboBox&) { ++selections; };
  combo.SetSelectedIndex(1);
  combo.SetSelectedIndex(1);
  combo.SetSelectedIndex(5);
  EXPECT_EQ(selections, 1);
  EXPECT_EQ(combo.Text(), "b");

  Timer timer("t", 50);
  int ticks = 0;
  timer.onTick = [&](Timer&) { ++ticks; };
  EXPECT_FALSE(timer.Tick());
  timer.Start();
  EXPECT_TRUE(timer.Tick());
  EXPECT_EQ(ticks, 1);

  // A label answers clicks only with a handler, and only while shown and enabled.
  Label line("lblReport", "X 0…10");
  EXPECT_FALSE(line.Click());
  int clicks = 0;
  line.onClick = [&](Label&) { ++clicks; };
  EXPECT_TRUE(line.Click());
  line.SetEnabled(false);
  EXPECT_FALSE(line.Click());
  line.SetEnabled(true);
  line.SetVisible(false);
  EXPECT_FALSE(line.Click());
  EXPECT_EQ(clicks, 1);

  PictureBox pic("pbx");
  EXPECT_EQ(pic.Shown(), nullptr);
  geometry::Picture start;
  start.width = 7;
  pic.SetBackgroundImage(start);
  EXPECT_EQ(pic.Shown()->width, 7);
  geometry::Picture preview;
  preview.width = 9;
  pic.SetImage(preview);
  EXPECT_EQ(pic.Shown()->width, 9);
}

TEST(ScriptedPrompts, AnswersInOrderAndNamesAnUnexpectedPrompt) {
  ScriptedPrompts prompts;
  prompts.AnswerYes().PickOpenFile("a.csv").CancelFileDialog(PromptKind::kSaveFile);
  prompts.Message("hello", "cap");
  EXPECT_TRUE(prompts.YesNo("Delete?", "Confirm!!!"));
  EXPECT_EQ(prompts.OpenFile("CSV|*.csv"), "a.csv");
  EXPECT_EQ(prompts.SaveFile("CSV|*.csv"), std::nullopt);
  EXPECT_EQ(prompts.Messages(), std::vector<std::string>{"hello"});
  EXPECT_EQ(prompts.Log().size(), 4u);
  EXPECT_EQ(prompts.PendingAnswers(), 0u);
  try {
    prompts.YesNo("Clear all?", "Confirm!!!");
    FAIL() << "an unscripted confirmation must fail";
  } catch (const UnexpectedPrompt& e) {
    EXPECT_NE(std::string(e.what()).find("Clear all?"), std::string::npos);
  }
  // The wrong kind of answer queued is unexpected too.
  prompts.AnswerNo();
  EXPECT_THROW(prompts.OpenFile("DXF|*.dxf"), UnexpectedPrompt);
}

TEST(ScriptedPrompts, ModalFormsAreRunByTheScript) {
  ScriptedPrompts prompts;
  Form dlg("dlg", "AutoGen", 200, 100);
  Button& ok = dlg.Add<Button>("ok", "OK");
  ok.SetDialogResult(DialogResult::kOk);
  prompts.RunModal([](Form& f) {
    EXPECT_TRUE(f.Visible());
    static_cast<Button&>(*f.Children().front()).Click();
    return f.ModalResult();
  });
  EXPECT_EQ(prompts.ShowModal(dlg), DialogResult::kOk);
  EXPECT_FALSE(dlg.Visible());
}

TEST(TextMetrics, CaptionsAreMeasuredByCharacterClass) {
  const Font regular{"Microsoft Sans Serif", 9.0, false};  // 12 pixels
  EXPECT_EQ(EstimateTextWidth("", regular), 0);
  EXPECT_EQ(EstimateTextWidth("ii", regular), 7);   // 2 x 0.28 x 12 = 6.72
  EXPECT_EQ(EstimateTextWidth("MM", regular), 21);  // 2 x 0.85 x 12 = 20.4
  const Font bold{"Microsoft Sans Serif", 9.0, true};
  EXPECT_EQ(EstimateTextWidth("ab", bold), 15);  // 2 x 0.62 x 12 = 14.88
  // A Thai mark above a letter takes no room of its own.
  EXPECT_EQ(EstimateTextWidth("\u0E1B\u0E49", regular), EstimateTextWidth("\u0E1B", regular));

  Label label("l", "Feedrate:");
  label.SetFont(bold);
  const int need = EstimateTextWidth("Feedrate:", bold);
  label.SetBounds({0, 0, need, 20});
  EXPECT_TRUE(CaptionFits(label));
  label.SetBounds({0, 0, need - 1, 20});
  EXPECT_FALSE(CaptionFits(label));
  Button button("b", "Load");
  button.SetFont(bold);
  button.SetBounds({0, 0, EstimateTextWidth("Load", bold) + 7, 20});
  EXPECT_FALSE(CaptionFits(button));
}

}  // namespace
}  // namespace kelvora::ui
