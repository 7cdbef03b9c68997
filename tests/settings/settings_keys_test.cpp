#include "settings/settings_keys.h"

#include <gtest/gtest.h>

#include <functional>

#include <set>
#include <string>
#include <vector>

#include "generators/auto_grid.h"
#include "generators/circle.h"
#include "generators/grid.h"
#include "generators/job_inputs.h"
#include "generators/point_list.h"
#include "generators/surface.h"
#include "generators/teach.h"
#include "generators/thread.h"

namespace kelvora::settings {
namespace {

TEST(SettingsKeys, TableHoldsEveryKeyOnceInWriteOrder) {
  const auto keys = SettingsKeys();
  ASSERT_EQ(keys.size(), 181u);
  EXPECT_EQ(keys.front().key, "Dlg");
  EXPECT_EQ(keys[1].key, "gcGenLanguage");
  EXPECT_EQ(keys[2].key, "CirXc");
  EXPECT_EQ(keys.back().key, "AnyUnits");
  std::set<std::string_view> seen;
  for (const SettingsKey& k : keys) {
    EXPECT_TRUE(seen.insert(k.key).second) << "duplicate " << k.key;
    if (k.shownAs == ShownAs::kNumber ||
        (k.shownAs == ShownAs::kConfig && k.type != KeyType::kBool && k.choices.empty())) {
      EXPECT_FALSE(k.format.empty()) << k.key;
      EXPECT_TRUE(k.type == KeyType::kDouble || k.type == KeyType::kInt) << k.key;
    }
    // Every default reads back through its own display rule.
    EXPECT_TRUE(DisplayText(k, k.defaultText).has_value()) << k.key;
  }
}

TEST(SettingsKeys, DisplayTextUsesTheBoxFormat) {
  struct Case {
    const char* key;
    const char* stored;
    std::optional<std::string> shown;
  };
  const Case cases[] = {
      {"MsqrStepdown", "0.5", "0.5"},
      {"MsqrStepdown", "0.12345", "0.123"},
      {"Gridd", "3.6", "4"},
      {"GridZigzac", "1.255", "1.26"},
      {"MsqrFeedrate", "0.25", "0.3"},
      {"Cirn", "2", "2"},
      {"Cirn", "2.5", std::nullopt},
      {"CirXc", "0,5", std::nullopt},  // a decimal comma is no number
      {"CirXc", "abc", std::nullopt},
      {"CirEnSpin", "True", "True"},
      {"CirEnSpin", "true", "False"},
      {"CirSpOpStr", "M8\r\nM9", "M8\r\nM9"},
      // The automatic point grid dialog shows its distances with "0.##".
      {"AnyDistRow", "0.12345", "0.12"},
      {"AnyNumOfRow", "7", "7"},
  };
  for (const Case& c : cases) {
    const SettingsKey* k = FindSettingsKey(c.key);
    ASSERT_NE(k, nullptr) << c.key;
    EXPECT_EQ(DisplayText(*k, c.stored), c.shown) << c.key << " " << c.stored;
  }
  EXPECT_EQ(FindSettingsKey("NoSuchKey"), nullptr);
}

// The profile section's keys are the stored tables joined: the order shutdown
// writes them in must not move when a table changes shape.
TEST(SettingsKeys, JoinKeepsTheWriteOrder) {
  const std::vector<std::string_view> expected = {
      "Dlg",
      "gcGenLanguage",
      "CirXc",
      "CirYc",
      "CirDepth",
      "CirStep",
      "CirR",
      "Cirn",
      "CirA",
      "Cird",
      "CirFeedrate",
      "CirRetract",
      "CirZsafe",
      "CirSpinSpeed",
      "CirEnSpecialOp",
      "CirEnSpin",
      "CirSpOpStr",
      "GridXc",
      "GridYc",
      "GridDepth",
      "GridStep",
      "Gridn",
      "Gridm",
      "GridXm",
      "GridYn",
      "Gridd",
      "GridZigzac",
      "GridSub1",
      "GridFeedrate",
      "GridRetract",
      "GridZsafe",
      "GridSpinSpeed",
      "GridEnSpecialOp",
      "GridEnSpin",
      "GridSpOpStr",
      "MsqrXc",
      "MsqrYc",
      "MsqrDepth",
      "MsqrStep",
      "MsqrStepdown",
      "MsqrLx",
      "MsqrLy",
      "Msqrd",
      "MsqrFeedrate",
      "MsqrPlugFeed",
      "MsqrRetract",
      "MsqrZsafe",
      "MsqrSpinSpeed",
      "MsqrEnSpin",
      "MsqrFlip",
      "MsqrGotoZero",
      "DxfDepth",
      "DxfStepdown",
      "DxfFeedrate",
      "DxfPlugFeed",
      "DxfRetract",
      "DxfZsafe",
      "DxfSpinSpeed",
      "DxfEnSpin",
      "DxfEnSpOp",
      "DxfSpOpStr",
      "DxfSpOpStrOff",
      "DxfEndScript",
      "Cut2Way",
      "CutZigZac",
      "CutToolDia",
      "CutX1",
      "CutX2",
      "CutY1",
      "CutY2",
      "CutGenX1",
      "CutGenX2",
      "AnyDepth",
      "AnyStepdown",
      "AnyFeedrate",
      "AnyFeedrate2",
      "Anyd",
      "AnyRetract",
      "AnyZsafe",
      "AnySpinSpeed",
      "AnyEnSpin",
      "AnyEnSpOp",
      "AnySpOpStr",
      "AnyEndScript",
      "AnyPocket",
      "AnyStepOvr",
      "AnyHoleSize",
      "AnyRo",
      "AnyNumOfRow",
      "AnyNumOfCol",
      "AnyDistRow",
      "AnyDistCol",
      "AnyByRow",
      "AnyDualDist",
      "AnyDual",
      "AnyEndcont",
      "AnyZigZacRow",
      "AnyZigZacCol",
      "AnyXc",
      "AnyYc",
      "AnySub1",
      "tchOp1",
      "tchOp2",
      "tchOp3",
      "tchOp4",
      "tchOp5",
      "tchOp6",
      "tchOp7",
      "tchOp8",
      "tchOp9",
      "tchOp10",
      "TchPrefix",
      "TchSurfix",
      "MachXVel",
      "MachXAcc",
      "MachYVel",
      "MachYAcc",
      "MachZVel",
      "MachZAcc",
      "MachAVel",
      "MachAAcc",
      "MachHasA",
      "MachSoftLimits",
      "MachXMin",
      "MachXMax",
      "MachYMin",
      "MachYMax",
      "MachZMin",
      "MachZMax",
      "MachStockTop",
      "MachSpinUp",
      // The drilling options, after every other key.
      "CirScheme",
      "CirDwell",
      "CirBackOff",
      "CirFullEvery",
      "CirPeckFactor",
      "CirMinPeck",
      "CirCanned",
      "CirReturn",
      "GridScheme",
      "GridDwell",
      "GridBackOff",
      "GridFullEvery",
      "GridPeckFactor",
      "GridMinPeck",
      "GridCanned",
      "GridReturn",
      "AnyScheme",
      "AnyDwell",
      "AnyBackOff",
      "AnyFullEvery",
      "AnyPeckFactor",
      "AnyMinPeck",
      "AnyCanned",
      "AnyReturn",
      "AnyOrder",
      "AnyEntry",
      // The control's dialect, after the drilling options.
      "MachDialect",
      "MachDwellMs",
      // The contour options and the drawings' outlines and layers, after them.
      "DxfOutlines",
      "DxfLayers",
      "DxfJoinTol",
      "DxfChordTol",
      "DxfOrder",
      "DxfSide",
      "DxfToolDia",
      "DxfDirection",
      "DxfEntry",
      "DxfRampAngle",
      "DxfLeadIn",
      "DxfTabCount",
      "DxfTabSpacing",
      "DxfTabWidth",
      "DxfTabHeight",
      "DxfPocket",
      "DxfStepover",
      "AnyLayers",
      // Whether the host's programs state their units and modes.
      "MachStateModes",
      // The drawing units and the side by nesting, after them.
      "DxfUnits",
      "DxfSideBy",
      "AnyUnits",
  };
  std::vector<std::string_view> keys;
  for (const SettingsKey& k : SettingsKeys()) keys.push_back(k.key);
  EXPECT_EQ(keys, expected);
}

// A lookup that answers every key with the text its row starts the box with
// and remembers which keys were asked for.
struct RecordingLookup {
  JobInputs job;
  std::vector<std::string> asked;
  std::vector<std::string> unknown;

  generators::TextLookup Lookup() {
    return [this](std::string_view key) -> std::string {
      asked.emplace_back(key);
      const InputRow* row = FindInput(job, key);
      if (!row) {
        unknown.emplace_back(key);
        return {};
      }
      if (row->shownAs == ShownAs::kChecked) return row->start == "True" ? "True" : "False";
      return std::string(row->start.empty() ? row->defaultText : row->start);
    };
  }
};

// Every key a generator's reader asks for is a row of that job's table, so a
// row is all a new input needs to be stored, shown and given on the command line.
// The drilling jobs alone also ask for the machine's control and dwell unit:
// rows of the machine's table, since the control is chosen once for every job;
// the window and the command line put them into the jobs' texts.
TEST(SettingsKeys, ReadersAskOnlyForTheirTablesRows) {
  struct Case {
    const char* name;
    JobInputs job;
    std::function<void(const generators::TextLookup&)> read;
    bool readsControl = false;
  };
  const Case cases[] = {
      {"circle", JobInputs::kCircle, [](const auto& t) { (void)generators::CircleJob(t); }, true},
      {"grid", JobInputs::kGrid, [](const auto& t) { (void)generators::GridJob(t); }, true},
      {"surface", JobInputs::kSurface, [](const auto& t) { (void)generators::SurfMillJob(t); }},
      {"contour", JobInputs::kContour,
       [](const auto& t) { (void)generators::ReadDxfMachiningInputs(t); }},
      {"points drilling", JobInputs::kPoints,
       [](const auto& t) { (void)generators::ReadAnyDrillInputs(t); }, true},
      {"points pocket", JobInputs::kPoints,
       [](const auto& t) { (void)generators::ReadAnyPocketInputs(t); }},
      {"automatic grid", JobInputs::kAutoGrid,
       [](const auto& t) { (void)generators::ReadAutoGridInputs(t); }},
      {"teach", JobInputs::kTeach,
       [](const auto& t) { (void)generators::ReadTeachDefinitions(t); }},
      {"thread", JobInputs::kThread, [](const auto& t) { (void)generators::ReadThreadInputs(t); }},
  };
  for (const Case& c : cases) {
    RecordingLookup recorder{c.job, {}, {}};
    c.read(recorder.Lookup());
    EXPECT_FALSE(recorder.asked.empty()) << c.name;
    const std::vector<std::string> control = {std::string(generators::kMachineDialectKey),
                                              std::string(generators::kMachineDwellMsKey)};
    if (c.readsControl) {
      EXPECT_EQ(recorder.unknown, control) << c.name;
      for (const std::string& key : control) {
        EXPECT_NE(FindInput(JobInputs::kMachine, key), nullptr) << key;
      }
    } else {
      EXPECT_TRUE(recorder.unknown.empty()) << c.name << " asks for " << recorder.unknown.front();
    }
  }
}

// The page builder places a box for every stored row that has a control of its
// own, and the place it gives is free within its area.
TEST(SettingsKeys, PlacesOnAPageAreDistinct) {
  for (int j = 0; j <= static_cast<int>(JobInputs::kThread); ++j) {
    const auto job = static_cast<JobInputs>(j);
    std::set<std::pair<int, int>> places;
    for (const InputRow& row : InputsOf(job)) {
      if (row.place.area == Area::kNoArea) continue;
      EXPECT_FALSE(row.control.empty()) << row.key;
      EXPECT_TRUE(places.insert({static_cast<int>(row.place.area), row.place.order}).second)
          << row.key << " shares its place";
    }
  }
}

}  // namespace
}  // namespace kelvora::settings
