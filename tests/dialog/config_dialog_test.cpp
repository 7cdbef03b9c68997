#include "dialog/config_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_keys.h"
#include "text/gcode_dialect.h"
#include "ui/scripted_prompts.h"
#include "ui/text_box.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kNote =
    "Configuration Screens Are Now Accessed\r\nThrough The 'PlugIn Control' Menu";

motion::Machine SmallLathe() {
  motion::Machine m;
  m.axes[motion::kAxisX].maxVelocity = 1800;
  m.axes[motion::kAxisA].maxAcceleration = 90.125;
  m.hasA = false;
  m.softLimits = true;
  m.minimum[motion::kAxisZ] = -75.5;
  m.spinUpSeconds = 1.5;
  return m;
}

// Runs the dialog once with `machine` in its boxes; `operate` acts as the
// operator does and the run ends with the form's result.
std::optional<motion::Machine> RunConfig(ConfigDialog& config, ui::ScriptedPrompts& prompts,
                                         const motion::Machine& machine,
                                         const std::function<void(ConfigDialog&)>& operate) {
  prompts.RunModal([&config, &operate](ui::Form& f) {
    EXPECT_EQ(f.Title(), "ConfigDialog");
    EXPECT_TRUE(f.Visible());
    operate(config);
    return f.ModalResult();
  });
  return config.ShowDialog(machine);
}

TEST(ConfigDialog, KeepsItsNoteAndShowsOneCaptionedBoxPerMachineKey) {
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  ui::Form& form = config.GetForm();
  EXPECT_EQ(form.Title(), "ConfigDialog");
  EXPECT_EQ(config.Note().Text(), kNote);
  EXPECT_TRUE(config.Note().Centred());
  for (const settings::InputRow& row : settings::InputsOf(settings::JobInputs::kMachine)) {
    if (row.type == settings::KeyType::kBool) {
      EXPECT_EQ(config.Get<ui::CheckBox>(row.control).Text(), row.caption) << row.key;
      continue;
    }
    // The control's dialect is a drop-down of its choices; every other row a box.
    ui::Control& box = row.choices.empty()
                           ? static_cast<ui::Control&>(config.Get<ui::TextBox>(row.control))
                           : config.Get<ui::ComboBox>(row.control);
    std::string caption = "lbl" + std::string(row.control.substr(3));
    EXPECT_EQ(config.Get<ui::Label>(caption).Text(), row.caption) << row.key;
    // The caption sits left of its box, on its row.
    const ui::Bounds c = config.Get<ui::Label>(caption).GetBounds();
    EXPECT_LT(c.x + c.width, box.GetBounds().x) << row.key;
    EXPECT_LT(std::abs(c.y - box.GetBounds().y), box.GetBounds().height) << row.key;
  }
  EXPECT_EQ(config.Get<ui::Button>("btnOK").Text(), "OK");
  EXPECT_EQ(form.AcceptButton(), &config.Get<ui::Button>("btnOK"));
  EXPECT_EQ(form.CancelButton(), &config.Get<ui::Button>("btnCancel"));
  // Units are in the captions.
  EXPECT_EQ(config.Get<ui::Label>("lblMachXVel").Text(), "X velocity (mm/min):");
  EXPECT_EQ(config.Get<ui::Label>("lblMachAAcc").Text(), "A acceleration (deg/s²):");
  // A fresh dialog shows the default machine.
  EXPECT_EQ(config.Get<ui::TextBox>("txtMachZVel").Text(), "1500");
  EXPECT_EQ(config.Get<ui::TextBox>("txtMachZMin").Text(), "-200");
  EXPECT_TRUE(config.Get<ui::CheckBox>("chkbMachHasA").Checked());
  EXPECT_FALSE(config.Get<ui::CheckBox>("chkbMachSoftLimits").Checked());
  auto& dialect = config.Get<ui::ComboBox>("cmbMachDialect");
  EXPECT_EQ(dialect.Items(), (std::vector<std::string>{"Host", "LinuxCNC", "GRBL", "grblHAL"}));
  EXPECT_EQ(dialect.Text(), "Host");
  EXPECT_FALSE(config.Get<ui::CheckBox>("chkbMachDwellMs").Checked());
  EXPECT_TRUE(config.Get<ui::CheckBox>("chkbMachDwellMs").Enabled());
}

TEST(ConfigDialog, TheControlsLineLiesBelowBothColumnsAndInsideTheForm) {
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  const ui::Bounds combo = config.Get<ui::ComboBox>("cmbMachDialect").GetBounds();
  const ui::Bounds dwell = config.Get<ui::CheckBox>("chkbMachDwellMs").GetBounds();
  const ui::Bounds caption = config.Get<ui::Label>("lblMachDialect").GetBounds();
  // One line: the caption and its drop-down on the left, the dwell box on the right.
  EXPECT_EQ(combo.y, dwell.y);
  EXPECT_LT(caption.x + caption.width, combo.x);
  EXPECT_LT(combo.x + combo.width, dwell.x);
  // Every choice fits the drop-down.
  for (const std::string& item : config.Get<ui::ComboBox>("cmbMachDialect").Items()) {
    EXPECT_LT(ui::EstimateTextWidth(item, config.GetForm().GetFont()), combo.width) << item;
  }
  // Below the last row of either column, above the buttons.
  for (const char* name : {"txtMachAAcc", "chkbMachHasA", "txtMachSpinUp", "txtMachStockTop"}) {
    const ui::Bounds b = config.Get<ui::Control>(name).GetBounds();
    EXPECT_LE(b.y + b.height, combo.y) << name;
  }
  const ui::Bounds ok = config.Get<ui::Button>("btnOK").GetBounds();
  EXPECT_LE(combo.y + combo.height, ok.y);
  const ui::Bounds client = config.GetForm().GetBounds();
  EXPECT_LE(dwell.x + dwell.width, client.width);
  EXPECT_LE(ok.y + ok.height, client.height);
}

TEST(ConfigDialog, OkReadsEachControlAndTheDwellUnit) {
  const struct {
    int choice;  // the drop-down's item
    bool dwellMilliseconds;
    text::Dialect want;
    bool dwellEnabled;
  } cases[] = {
      {0, true, text::Dialect::kHost, true},       {0, false, text::Dialect::kHost, true},
      {1, false, text::Dialect::kLinuxCnc, false}, {2, false, text::Dialect::kGrbl, false},
      {3, true, text::Dialect::kGrblHal, false},
  };
  for (const auto& c : cases) {
    ui::ScriptedPrompts prompts;
    ConfigDialog config(prompts);
    bool enabled = false;
    const auto read = RunConfig(config, prompts, SmallLathe(), [&](ConfigDialog& d) {
      // The dwell unit is ticked while the host is chosen, then the control chosen.
      if (c.dwellMilliseconds) d.Get<ui::CheckBox>("chkbMachDwellMs").Click();
      d.Get<ui::ComboBox>("cmbMachDialect").SetSelectedIndex(c.choice);
      enabled = d.Get<ui::CheckBox>("chkbMachDwellMs").Enabled();
      d.Get<ui::Button>("btnOK").Click();
    });
    ASSERT_TRUE(read) << c.choice;
    EXPECT_EQ(read->dialect, c.want) << c.choice;
    EXPECT_EQ(read->dwellMilliseconds, c.dwellMilliseconds) << c.choice;
    EXPECT_EQ(enabled, c.dwellEnabled) << c.choice;
    // The rest of the machine is as it was given.
    EXPECT_EQ(read->axes[motion::kAxisX].maxVelocity, 1800) << c.choice;
    EXPECT_TRUE(prompts.Messages().empty()) << c.choice;
  }
}

TEST(ConfigDialog, TheMachinesControlIsShownAndReadBackUnchanged) {
  // Every dialect with either dwell unit and either stated-modes choice goes in
  // and comes out of an untouched OK; both boxes are the host's alone.
  for (const text::DialectRules& rules : text::kDialects) {
    for (const bool milliseconds : {false, true}) {
      motion::Machine machine = SmallLathe();
      machine.dialect = rules.dialect;
      machine.dwellMilliseconds = milliseconds;
      machine.statesModes = !milliseconds;
      ui::ScriptedPrompts prompts;
      ConfigDialog config(prompts);
      const auto read = RunConfig(config, prompts, machine, [&](ConfigDialog& d) {
        EXPECT_EQ(d.Get<ui::ComboBox>("cmbMachDialect").Text(), rules.name);
        EXPECT_EQ(d.Inputs()("MachDialect"), rules.name);
        EXPECT_EQ(d.Get<ui::CheckBox>("chkbMachDwellMs").Checked(), milliseconds) << rules.name;
        EXPECT_EQ(d.Get<ui::CheckBox>("chkbMachDwellMs").Enabled(),
                  rules.dialect == text::Dialect::kHost)
            << rules.name;
        EXPECT_EQ(d.Get<ui::CheckBox>("chkbMachStateModes").Checked(), !milliseconds);
        EXPECT_EQ(d.Get<ui::CheckBox>("chkbMachStateModes").Enabled(),
                  rules.dialect == text::Dialect::kHost)
            << rules.name;
        EXPECT_TRUE(d.GetForm().PressEnter());
      });
      ASSERT_TRUE(read) << rules.name;
      EXPECT_EQ(read->dialect, rules.dialect);
      EXPECT_EQ(read->dwellMilliseconds, milliseconds) << rules.name;
      EXPECT_EQ(read->statesModes, !milliseconds) << rules.name;
    }
  }
}

TEST(ConfigDialog, NoChoiceReadsAsTheHost) {
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  motion::Machine grbl = SmallLathe();
  grbl.dialect = text::Dialect::kGrbl;
  const auto read = RunConfig(config, prompts, grbl, [](ConfigDialog& d) {
    d.Get<ui::ComboBox>("cmbMachDialect").SetSelectedIndex(-1);
    EXPECT_EQ(d.Inputs()("MachDialect"), "");
    EXPECT_TRUE(d.Get<ui::CheckBox>("chkbMachDwellMs").Enabled());
    d.Get<ui::Button>("btnOK").Click();
  });
  ASSERT_TRUE(read);
  EXPECT_EQ(read->dialect, text::Dialect::kHost);
}

TEST(ConfigDialog, OkReadsTheBoxesIntoTheMachine) {
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  const auto read = RunConfig(config, prompts, SmallLathe(), [](ConfigDialog& c) {
    // The machine given is shown.
    EXPECT_EQ(c.Get<ui::TextBox>("txtMachXVel").Text(), "1800");
    EXPECT_EQ(c.Get<ui::TextBox>("txtMachAAcc").Text(), "90.125");
    EXPECT_EQ(c.Get<ui::TextBox>("txtMachSpinUp").Text(), "1.5");
    EXPECT_FALSE(c.Get<ui::CheckBox>("chkbMachHasA").Checked());
    auto& stock = c.Get<ui::TextBox>("txtMachStockTop");
    stock.SelectAll();
    stock.Type("-2,5");  // the key filter enters the comma as a point
    auto& velocity = c.Get<ui::TextBox>("txtMachYVel");
    velocity.SelectAll();
    velocity.Type("-2400");  // no minus sign in a speed
    c.Get<ui::CheckBox>("chkbMachHasA").Click();
    c.Get<ui::Button>("btnOK").Click();
  });
  ASSERT_TRUE(read);
  motion::Machine want = SmallLathe();
  want.stockTop = -2.5;
  want.axes[motion::kAxisY].maxVelocity = 2400;
  want.hasA = true;
  EXPECT_EQ(read->stockTop, want.stockTop);
  EXPECT_EQ(read->axes[motion::kAxisY].maxVelocity, 2400);
  EXPECT_EQ(read->axes[motion::kAxisA].maxAcceleration, 90.125);
  EXPECT_EQ(read->minimum, want.minimum);
  EXPECT_TRUE(read->hasA);
  EXPECT_TRUE(read->softLimits);
  EXPECT_EQ(read->spinUpSeconds, 1.5);
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST(ConfigDialog, ABadValueKeepsTheFormOpenAndNamesItsKey) {
  const struct {
    const char* box;
    const char* text;  // put in as a paste puts it, past the key filter
    const char* message;
  } cases[] = {
      {"txtMachXMin", "12,5", "Parameters error\r\nMachXMin"},
      {"txtMachZAcc", "", "Parameters error\r\nMachZAcc"},
      {"txtMachAVel", "0", "Parameters error\r\nMachAVel must be above 0"},
      {"txtMachYMax", "-2000", "Parameters error\r\nMachYMin is above MachYMax"},
  };
  for (const auto& c : cases) {
    ui::ScriptedPrompts prompts;
    ConfigDialog config(prompts);
    bool stayedOpen = false;
    const auto read = RunConfig(config, prompts, motion::Machine{}, [&](ConfigDialog& d) {
      d.Get<ui::TextBox>(c.box).SetText(c.text);
      d.Get<ui::Button>("btnOK").Click();
      stayedOpen = d.GetForm().ModalResult() == ui::DialogResult::kNone;
      d.Get<ui::Button>("btnCancel").Click();
    });
    EXPECT_TRUE(stayedOpen) << c.box;
    EXPECT_FALSE(read) << c.box;
    EXPECT_EQ(prompts.Messages(), std::vector<std::string>{c.message}) << c.box;
  }
}

TEST(ConfigDialog, CancelAndTheCloseBoxChangeNothing) {
  ui::ScriptedPrompts prompts;
  ConfigDialog config(prompts);
  const auto cancelled = RunConfig(config, prompts, SmallLathe(), [](ConfigDialog& c) {
    c.Get<ui::TextBox>("txtMachXVel").SetText("5");
    c.Get<ui::Button>("btnCancel").Click();
  });
  EXPECT_FALSE(cancelled);
  // Escape, as the close box does: the form's cancel button.
  const auto escaped = RunConfig(config, prompts, SmallLathe(), [](ConfigDialog& c) {
    c.Get<ui::TextBox>("txtMachXVel").SetText("5");
    EXPECT_TRUE(c.GetForm().PressEscape());
  });
  EXPECT_FALSE(escaped);
  // A later run shows the machine it is given, not what a cancelled run typed.
  const auto again = RunConfig(config, prompts, SmallLathe(), [](ConfigDialog& c) {
    EXPECT_EQ(c.Get<ui::TextBox>("txtMachXVel").Text(), "1800");
    EXPECT_TRUE(c.GetForm().PressEnter());
  });
  ASSERT_TRUE(again);
  EXPECT_EQ(again->axes[motion::kAxisX].maxVelocity, 1800);
  EXPECT_TRUE(prompts.Messages().empty());
}

}  // namespace
}  // namespace kelvora::dialog
