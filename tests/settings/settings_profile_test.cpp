#include "settings/settings_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "settings/profile_files.h"

namespace kelvora::settings {
namespace {

using testing::ProfileFolder;

constexpr std::string_view kHostOnly =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<profile>\n"
    "  <Preferences><Units>mm</Units></Preferences>\n"
    "  <PlugIns><Other>1</Other></PlugIns>\n"
    "</profile>\n";

std::string WithSection(std::string_view keys) {
  return "<profile><PlugIns><Kelvora>1</Kelvora></PlugIns><Kelvora>" + std::string(keys) +
         "</Kelvora></profile>";
}

// The names of the section's elements, in file order.
std::vector<std::string> SectionElements(const std::string& path) {
  XMLNetProfile p(path, std::string(kSectionName), true);
  EXPECT_TRUE(p.Load());
  std::vector<std::string> names;
  const auto* first = p.FindEntry("Dlg");
  if (!first) return names;
  for (const auto* e = first->parent()->first_node(); e; e = e->next_sibling()) {
    names.emplace_back(e->name(), e->name_size());
  }
  return names;
}

TEST(SettingsFirstOpening, AProfileWithoutTheSectionGivesEveryDefault) {
  ProfileFolder folder;
  const auto read = SettingsFirstOpening(folder.Write("p.xml", kHostOnly), {});
  EXPECT_FALSE(read.failure);
  const Settings defaults;
  for (const SettingsKey& k : SettingsKeys()) {
    EXPECT_EQ(read.settings.Get(k.key), defaults.Get(k.key)) << k.key;
  }
  const struct {
    const char* key;
    const char* shown;
  } cases[] = {{"gcGenLanguage", "0"},      {"CirR", "10"},           {"Cirn", "2"},
               {"MsqrDepth", "0.5"},        {"MsqrGotoZero", "True"}, {"TchPrefix", "G90G21"},
               {"tchOp10", "Op10*Op10Val"}, {"CirSpOpStr", ""}};
  for (const auto& c : cases) EXPECT_EQ(read.settings.ControlText(c.key), c.shown) << c.key;
  EXPECT_EQ(UnreadableSettingsMessage(read), std::nullopt);  // missing keys are no fault
}

TEST(SettingsFirstOpening, StoredValuesAreShownThroughTheirBoxes) {
  ProfileFolder folder;
  const std::string path = folder.Write(
      "p.xml",
      WithSection("<gcGenLanguage>2</gcGenLanguage>"
                  "<CirXc>12.34567</CirXc><CirR>abc</CirR><CirYc>0,5</CirYc>"
                  "<Cirn>7</Cirn><Gridd>3.6</Gridd><GridSpinSpeed>1234.5678</GridSpinSpeed>"
                  "<MsqrStepdown>0.12345</MsqrStepdown><MsqrGotoZero>False</MsqrGotoZero>"
                  "<MsqrFeedrate>4000.25</MsqrFeedrate><CirEnSpin>true</CirEnSpin>"
                  "<AnyDistRow>2.345</AnyDistRow><TchSurfix>M30\r\nM2</TchSurfix>"));
  const auto read = SettingsFirstOpening(path, {});
  ASSERT_FALSE(read.failure);
  const Settings& s = read.settings;
  const struct {
    const char* key;
    const char* shown;
  } cases[] = {
      {"gcGenLanguage", "2"},
      {"CirXc", "12.346"},
      {"CirR", "10"},  // does not convert: the key's default, the others are still read
      {"CirYc", "0"},  // a decimal comma: the default, never 5
      {"Cirn", "7"},
      {"Gridd", "4"},
      {"GridSpinSpeed", "1234.57"},
      {"MsqrStepdown", "0.123"},
      {"MsqrGotoZero", "False"},
      {"MsqrFeedrate", "4000.3"},
      {"CirEnSpin", "False"},  // only "True" is true
      {"AnyDistRow", "2.35"},  // the automatic grid dialog's box
      {"TchSurfix", "M30\r\nM2"},
  };
  for (const auto& c : cases) EXPECT_EQ(s.ControlText(c.key), c.shown) << c.key;
  EXPECT_EQ(s.Double("MsqrStepdown"), 0.12345);  // the value itself is kept whole
  // The numbers that gave their defaults are named, in the order they were read.
  EXPECT_EQ(read.unreadable, (std::vector<std::string>{"CirYc", "CirR"}));
  EXPECT_EQ(UnreadableSettingsMessage(read),
            "These settings could not be read and were set to their defaults: CirYc, CirR");
}

TEST(SettingsFirstOpening, AnUnreadableProfileGivesDefaultsAndSaysWhy) {
  ProfileFolder folder;
  std::vector<std::string> messages;
  const MessageSink sink = [&messages](std::string_view text, std::string_view caption) {
    messages.push_back(std::string(caption) + ": " + std::string(text));
  };
  const auto missing = SettingsFirstOpening(folder.Path("absent.xml"), sink);
  EXPECT_TRUE(missing.failure);
  EXPECT_TRUE(messages.empty());
  const auto malformed = SettingsFirstOpening(folder.Write("bad.xml", "<profile>"), sink);
  EXPECT_TRUE(malformed.failure);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("XMLNetProfile: Warning - ", 0), 0u) << messages[0];
  EXPECT_EQ(malformed.settings.ControlText("CirR"), "10");
}

TEST(SettingsFirstOpening, SpindleSwitchesAreReadBeforeSpecialOperations) {
  const auto order = FirstOpeningReadOrder();
  ASSERT_EQ(order.size(), SettingsKeys().size() - 1);  // every key but "Dlg"
  EXPECT_EQ(order.front()->key, "gcGenLanguage");
  EXPECT_EQ(order.back()->key, "AnyUnits");
  const auto position = [&order](std::string_view key) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i]->key == key) return i;
    }
    ADD_FAILURE() << key << " is not read";
    return order.size();
  };
  EXPECT_LT(position("CirEnSpin"), position("CirEnSpecialOp"));
  EXPECT_LT(position("GridEnSpin"), position("GridEnSpecialOp"));
  EXPECT_LT(position("CirSpinSpeed"), position("CirEnSpin"));
  EXPECT_LT(position("CirEnSpecialOp"), position("CirSpOpStr"));
}

TEST(SettingsStartUp, RegistersThePlugInOnce) {
  const struct {
    const char* name;
    std::string profile;
    bool enableDlg;
    const char* entry;  // the "PlugIns" entry afterwards
  } cases[] = {
      {"no entry", std::string(kHostOnly), true, "1"},
      {"zero", "<profile><PlugIns><Kelvora>0</Kelvora></PlugIns></profile>", true, "1"},
      {"not a number", "<profile><PlugIns><Kelvora>x</Kelvora></PlugIns></profile>", true, "1"},
      {"other integer", "<profile><PlugIns><Kelvora>7</Kelvora></PlugIns></profile>", true, "7"},
      {"negative", "<profile><PlugIns><Kelvora>-1</Kelvora></PlugIns></profile>", true, "-1"},
      {"no section", "<profile><Kelvora><Dlg>False</Dlg></Kelvora></profile>", false, "1"},
  };
  for (const auto& c : cases) {
    ProfileFolder folder;
    const std::string path = folder.Write("p.xml", c.profile);
    const StartUpResult result = SettingsStartUp(path, {});
    EXPECT_EQ(result.enableDlg, c.enableDlg) << c.name;
    EXPECT_TRUE(result.registered) << c.name;
    // Saved in every case: the file is rewritten in the profile's own layout.
    EXPECT_NE(ProfileFolder::Read(path), c.profile) << c.name;
    XMLNetProfile plugIns(path, "PlugIns", true);
    ASSERT_TRUE(plugIns.Load()) << c.name;
    EXPECT_EQ(plugIns.ReadString("Kelvora"), c.entry) << c.name;
  }
}

TEST(SettingsStartUp, AnUnreadableProfileIsNotWritten) {
  ProfileFolder folder;
  const std::string absent = folder.Path("absent.xml");
  const StartUpResult missing = SettingsStartUp(absent, {});
  EXPECT_TRUE(missing.enableDlg);
  EXPECT_FALSE(missing.registered);
  EXPECT_FALSE(std::filesystem::exists(absent));

  int warnings = 0;
  const std::string bad = folder.Write("bad.xml", "<profile><PlugIns>");
  const StartUpResult malformed =
      SettingsStartUp(bad, [&warnings](std::string_view, std::string_view) { ++warnings; });
  EXPECT_FALSE(malformed.registered);
  EXPECT_EQ(warnings, 2);  // one per opening of the file
  EXPECT_EQ(ProfileFolder::Read(bad), "<profile><PlugIns>");
}

TEST(SettingsShutdown, AMissingSectionIsAppendedWithEveryKeyInOrder) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", kHostOnly);
  const Settings settings;
  ASSERT_TRUE(SettingsShutdown(path, {true, true, &settings}, {}));

  std::vector<std::string> expected;
  for (const SettingsKey& k : SettingsKeys()) expected.emplace_back(k.key);
  ASSERT_EQ(expected.size(), 181u);
  EXPECT_EQ(SectionElements(path), expected);

  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.FindEntry("Dlg")->parent()->next_sibling(), nullptr);  // the root's last child
  EXPECT_EQ(p.ReadString("MsqrDepth"), "0.5");
  EXPECT_EQ(p.ReadString("Dlg"), "True");
  EXPECT_EQ(p.ReadString("tchOp3"), "Op3*Op3Val");
  const std::string saved = ProfileFolder::Read(path);
  EXPECT_NE(saved.find("<Units>mm</Units>"), std::string::npos);
  EXPECT_NE(saved.find("<Other>1</Other>"), std::string::npos);
}

TEST(SettingsShutdown, ExistingElementsKeepTheirPlaces) {
  ProfileFolder folder;
  const std::string path = folder.Write(
      "p.xml", WithSection("<TchSurfix>M2</TchSurfix><Host>kept</Host><CirR>5</CirR>"));
  Settings settings;
  settings.SetDouble("CirR", 42.5);
  ASSERT_TRUE(SettingsShutdown(path, {true, false, &settings}, {}));
  const auto names = SectionElements(path);
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], "TchSurfix");
  EXPECT_EQ(names[1], "Host");
  EXPECT_EQ(names[2], "CirR");
  EXPECT_EQ(names[3], "Dlg");
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("CirR"), "42.5");
  EXPECT_EQ(p.ReadString("TchSurfix"), "M30");
  EXPECT_EQ(p.ReadString("Host"), "kept");
  EXPECT_EQ(p.ReadString("Dlg"), "False");
}

TEST(SettingsShutdown, WithoutAnOpeningOnlyDlgIsWritten) {
  ProfileFolder folder;
  const std::string stored = "<Dlg>True</Dlg><CirR>25</CirR><tchOp1>Drill*M8</tchOp1>";
  const std::string path = folder.Write("p.xml", WithSection(stored));
  ASSERT_TRUE(SettingsShutdown(path, {true, false, nullptr}, {}));
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("Dlg"), "False");
  EXPECT_EQ(p.ReadString("CirR"), "25");
  EXPECT_EQ(p.ReadString("tchOp1"), "Drill*M8");
  EXPECT_EQ(SectionElements(path), (std::vector<std::string>{"Dlg", "CirR", "tchOp1"}));
}

TEST(SettingsShutdown, AnUnreadableProfileIsLeftUntouched) {
  ProfileFolder folder;
  const Settings settings;
  const std::string absent = folder.Path("absent.xml");
  EXPECT_FALSE(SettingsShutdown(absent, {true, true, &settings}, {}));
  EXPECT_FALSE(std::filesystem::exists(absent));
  const std::string bad = folder.Write("bad.xml", "<profile><Kelvora>");
  EXPECT_FALSE(SettingsShutdown(bad, {true, true, &settings}, {}));
  EXPECT_EQ(ProfileFolder::Read(bad), "<profile><Kelvora>");
}

TEST(SettingsShutdown, AProfileInAnotherEncodingIsSavedInItsOwnOrLeftAlone) {
  ProfileFolder folder;
  Settings settings;
  settings.SetString("TchPrefix", "G91 “lỗ”");
  const std::string utf16 = std::string("\xFF\xFE") + [] {
    std::string bytes;
    for (char c : std::string_view("<profile><PlugIns><Kelvora>1</Kelvora></PlugIns></profile>")) {
      bytes += c;
      bytes += '\0';
    }
    return bytes;
  }();
  const std::string utf16Path = folder.Write("utf16.xml", utf16);
  ASSERT_TRUE(SettingsShutdown(utf16Path, {true, true, &settings}, {}));
  EXPECT_EQ(ProfileFolder::Read(utf16Path).rfind("\xFF\xFE<\0p\0", 0), 0u);
  EXPECT_EQ(SettingsFirstOpening(utf16Path, {}).settings.ControlText("TchPrefix"), "G91 “lỗ”");

  const std::string cp1252 =
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><profile><Host>\x93x\x94</Host></profile>";
  const std::string cp1252Path = folder.Write("cp1252.xml", cp1252);
  ASSERT_TRUE(SettingsShutdown(cp1252Path, {true, true, &settings}, {}));
  const std::string saved = ProfileFolder::Read(cp1252Path);
  EXPECT_NE(saved.find("<Host>\x93x\x94</Host>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<TchPrefix>G91 \x93l&#x1ED7;\x94</TchPrefix>"), std::string::npos) << saved;
  EXPECT_EQ(SettingsFirstOpening(cp1252Path, {}).settings.ControlText("TchPrefix"), "G91 “lỗ”");

  const std::string other =
      "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><profile><Kelvora/></profile>";
  const std::string otherPath = folder.Write("koi8.xml", other);
  std::vector<std::string> warnings;
  const MessageSink sink = [&warnings](std::string_view text, std::string_view) {
    warnings.emplace_back(text);
  };
  EXPECT_FALSE(SettingsShutdown(otherPath, {true, true, &settings}, sink));
  EXPECT_EQ(ProfileFolder::Read(otherPath), other);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("KOI8-R"), std::string::npos) << warnings[0];
}

TEST(SettingsShutdown, EveryValueSurvivesARestart) {
  // Every key set away from its default, shut down, then read as the next run does.
  Settings changed;
  int n = 0;
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.key == "Dlg") continue;
    ++n;
    switch (k.type) {
      case KeyType::kBool:
        changed.SetBool(k.key, !changed.Bool(k.key));
        break;
      case KeyType::kInt:
        changed.SetInt(k.key, 1000 + n);
        break;
      case KeyType::kDouble:
        changed.SetDouble(k.key, n / 7.0);
        break;
      case KeyType::kString: {
        std::string text = "<";
        text += k.key;
        text += "> & Tiếng\r\n";
        changed.SetString(k.key, text);
        break;
      }
    }
  }
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", kHostOnly);
  ASSERT_TRUE(SettingsShutdown(path, {true, true, &changed}, {}));
  const auto read = SettingsFirstOpening(path, {});
  ASSERT_FALSE(read.failure);
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.key == "Dlg") continue;
    if (k.type == KeyType::kDouble) {
      // Stored with 15 significant digits.
      const double value = changed.Double(k.key);
      EXPECT_NEAR(read.settings.Double(k.key), value, value * 1e-14) << k.key;
    } else {
      EXPECT_EQ(read.settings.Get(k.key), changed.Get(k.key)) << k.key;
    }
  }
}

TEST(Settings, ControlTextsAreTakenBackAsTheBoxesReadThem) {
  const struct {
    const char* key;
    const char* text;
    bool converts;
    const char* shownAfter;
  } cases[] = {
      {"CirR", "12.5", true, "12.5"},     {"CirR", "abc", false, "10"},  // keeps the value it had
      {"CirR", "12,5", false, "10"},  // a pasted decimal comma is no number
      {"Gridn", "1,000", false, "1"},     {"CirR", "", false, "10"},
      {"Cirn", "40000", false, "2"},  // beyond the 16-bit count box
      {"Cirn", "1.5", false, "2"},        {"Cirn", "-7", true, "-7"},
      {"Gridn", "40000", true, "40000"},  {"MsqrEnSpin", "False", true, "False"},
      {"MsqrFlip", "yes", true, "False"}, {"DxfEndScript", "M5\r\nM30", true, "M5\r\nM30"},
  };
  for (const auto& c : cases) {
    Settings s;
    EXPECT_EQ(s.SetFromControlText(c.key, c.text), c.converts) << c.key << "=" << c.text;
    EXPECT_EQ(s.ControlText(c.key), c.shownAfter) << c.key << "=" << c.text;
  }
}

}  // namespace
}  // namespace kelvora::settings
