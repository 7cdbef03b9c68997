#include "settings/machine_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/profile_files.h"

namespace kelvora::settings {
namespace {

using testing::ProfileFolder;

// The machine table's default texts, with some keys given other texts.
generators::TextLookup Texts(std::map<std::string, std::string, std::less<>> given) {
  return [given = std::move(given)](std::string_view key) -> std::string {
    if (const auto it = given.find(key); it != given.end()) return it->second;
    const InputRow* row = FindInput(JobInputs::kMachine, key);
    EXPECT_NE(row, nullptr) << "asked for " << key;
    return row ? std::string(row->defaultText) : std::string();
  };
}

void ExpectSameMachine(const motion::Machine& got, const motion::Machine& want,
                       const std::string& where) {
  for (int a = 0; a < motion::kAxisCount; ++a) {
    EXPECT_EQ(got.axes[a].maxVelocity, want.axes[a].maxVelocity) << where << " axis " << a;
    EXPECT_EQ(got.axes[a].maxAcceleration, want.axes[a].maxAcceleration) << where << " axis " << a;
  }
  EXPECT_EQ(got.hasA, want.hasA) << where;
  EXPECT_EQ(got.softLimits, want.softLimits) << where;
  EXPECT_EQ(got.minimum, want.minimum) << where;
  EXPECT_EQ(got.maximum, want.maximum) << where;
  EXPECT_EQ(got.stockTop, want.stockTop) << where;
  EXPECT_EQ(got.spinUpSeconds, want.spinUpSeconds) << where;
  EXPECT_EQ(got.statesModes, want.statesModes) << where;
}

// A machine with every value away from its default.
motion::Machine OddMachine() {
  motion::Machine m;
  m.axes = {{{2500.5, 180.25}, {2400, 175}, {900, 90.5}, {3600, 360}}};
  m.hasA = false;
  m.softLimits = true;
  m.minimum = {-10.5, -20, -45};
  m.maximum = {300, 200.125, 5};
  m.stockTop = 12.7;
  m.spinUpSeconds = 2.5;
  m.statesModes = true;
  return m;
}

TEST(MachineSettings, TheTablesDefaultsAreTheDefaultMachine) {
  const auto read = ReadMachine(Texts({}));
  ASSERT_TRUE(read) << read.failure().detail;
  ExpectSameMachine(*read, motion::Machine{}, "texts");
  ExpectSameMachine(MachineOf(Settings{}), motion::Machine{}, "settings");
}

TEST(MachineSettings, EveryKeyIsReadIntoItsField) {
  const auto read = ReadMachine(Texts({
      {"MachXVel", "2500.5"},     {"MachXAcc", "180.25"},   {"MachYVel", "2400"},
      {"MachYAcc", "175"},        {"MachZVel", " 900 "},    {"MachZAcc", "90.5"},
      {"MachAVel", "3600"},       {"MachAAcc", "360"},      {"MachHasA", "False"},
      {"MachSoftLimits", "True"}, {"MachXMin", "-10.5"},    {"MachXMax", "300"},
      {"MachYMin", "-20"},        {"MachYMax", "200.125"},  {"MachZMin", "-45"},
      {"MachZMax", "5"},          {"MachStockTop", "12.7"}, {"MachSpinUp", "2.5"},
      {"MachStateModes", "True"},
  }));
  ASSERT_TRUE(read) << read.failure().detail;
  ExpectSameMachine(*read, OddMachine(), "texts");

  Settings settings;
  StoreMachine(OddMachine(), settings);
  ExpectSameMachine(MachineOf(settings), OddMachine(), "settings");
}

TEST(MachineSettings, AValueThatDoesNotFitIsRefusedNamingItsKey) {
  const struct {
    const char* key;
    const char* text;
    const char* detail;
  } cases[] = {
      {"MachXVel", "0,5", "MachXVel"},  // a decimal comma is no number
      {"MachAAcc", "1,000", "MachAAcc"},
      {"MachZMin", "abc", "MachZMin"},
      {"MachStockTop", "", "MachStockTop"},
      {"MachSpinUp", "1e999", "MachSpinUp"},
      {"MachYVel", "0", "MachYVel must be above 0"},
      {"MachZAcc", "-150", "MachZAcc must be above 0"},
      {"MachAVel", "0.0", "MachAVel must be above 0"},
      {"MachXMin", "1000.5", "MachXMin is above MachXMax"},
      {"MachZMax", "-201", "MachZMin is above MachZMax"},
      {"MachSpinUp", "-1", "MachSpinUp must not be below 0"},
  };
  for (const auto& c : cases) {
    const auto read = ReadMachine(Texts({{c.key, c.text}}));
    ASSERT_FALSE(read) << c.key << "=" << c.text;
    EXPECT_EQ(read.failure().message, "Parameters error") << c.key;
    EXPECT_EQ(read.failure().detail, c.detail) << c.key << "=" << c.text;
  }
  // A travel of one point and a machine without spin-up time are sound.
  EXPECT_TRUE(ReadMachine(Texts({{"MachXMin", "1000"}, {"MachSpinUp", "0"}})));
}

TEST(MachineSettings, AProfileGivesItsStoredKeysAndDefaultsForTheOthers) {
  ProfileFolder folder;
  const std::string path = folder.Write(
      "p.xml",
      "<profile><Kelvora><CirR>0,5</CirR><MachXVel>1200</MachXVel>"
      "<MachHasA>False</MachHasA><MachStockTop>-2.5</MachStockTop></Kelvora></profile>");
  const auto read = ReadMachineProfile(path);
  ASSERT_TRUE(read) << read.failure().message;  // other keys are not the machine's concern
  motion::Machine want;
  want.axes[motion::kAxisX].maxVelocity = 1200;
  want.hasA = false;
  want.stockTop = -2.5;
  ExpectSameMachine(*read, want, "profile");

  const auto none = ReadMachineProfile(folder.Write("host.xml", "<profile><Units/></profile>"));
  ASSERT_TRUE(none);
  ExpectSameMachine(*none, motion::Machine{}, "no section");
}

TEST(MachineSettings, AProfileThatCannotBeReadIsRefused) {
  ProfileFolder folder;
  const struct {
    const char* name;
    std::string path;
    const char* message;  // its start
    const char* detail;   // empty: anything
  } cases[] = {
      {"comma",
       folder.Write("comma.xml", "<profile><Kelvora><MachZAcc>1,5</MachZAcc></Kelvora></profile>"),
       "Parameters error", "MachZAcc"},
      {"zero",
       folder.Write("zero.xml", "<profile><Kelvora><MachXAcc>0</MachXAcc></Kelvora></profile>"),
       "Parameters error", "MachXAcc must be above 0"},
      {"missing", folder.Path("absent.xml"), "The profile cannot be read: ", ""},
      {"malformed", folder.Write("bad.xml", "<profile><Kelvora>"),
       "The profile cannot be read: ", ""},
  };
  for (const auto& c : cases) {
    const auto read = ReadMachineProfile(c.path);
    ASSERT_FALSE(read) << c.name;
    EXPECT_EQ(read.failure().message.rfind(c.message, 0), 0u)
        << c.name << ": " << read.failure().message;
    if (*c.detail) {
      EXPECT_EQ(read.failure().detail, c.detail) << c.name;
    }
    if (std::string(c.message).starts_with("The profile")) {
      EXPECT_NE(read.failure().message.find(c.path), std::string::npos) << c.name;
    }
  }
}

TEST(MachineSettings, TheShutdownWritesTheMachineAndTheNextRunReadsItBack) {
  ProfileFolder folder;
  const std::string stored = "<Dlg>True</Dlg><CirR>25</CirR><MachXVel>1</MachXVel>";
  const std::string path =
      folder.Write("p.xml", "<profile><Kelvora>" + stored + "</Kelvora></profile>");
  const motion::Machine machine = OddMachine();
  // The main window never opened: only "Dlg" and the machine's keys are written.
  ShutdownState state{true, false, nullptr, &machine};
  ASSERT_TRUE(SettingsShutdown(path, state, {}));
  const auto read = ReadMachineProfile(path);
  ASSERT_TRUE(read) << read.failure().detail;
  ExpectSameMachine(*read, machine, "read back");
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("CirR"), "25");
  EXPECT_EQ(p.ReadString("Dlg"), "False");
  EXPECT_EQ(p.FindEntry("GridXc"), nullptr);

  // With the main window's settings, the machine given still wins over theirs.
  Settings settings;
  settings.SetDouble("MachXVel", 42);
  settings.SetDouble("CirR", 7);
  const motion::Machine defaults;
  ASSERT_TRUE(SettingsShutdown(path, {true, true, &settings, &defaults}, {}));
  const auto again = SettingsFirstOpening(path, {});
  ASSERT_FALSE(again.failure);
  ExpectSameMachine(MachineOf(again.settings), defaults, "second run");
  EXPECT_EQ(again.settings.Double("CirR"), 7);
}

}  // namespace
}  // namespace kelvora::settings
