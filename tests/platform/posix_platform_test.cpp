#include "platform/posix/posix_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/posix/sim_os.h"
#include "plugin/system.h"
#include "support/scratch_folder.h"

namespace kelvora::platform::posix {
namespace {

using plugin::AutomationArg;
using plugin::AutomationObject;
using plugin::AutomationResult;
using plugin::HResult;

class DriveC : public ::testing::Test {
 protected:
  DriveC() { ::setenv("KELVORA_DRIVE_C", root_.c_str(), 1); }
  ~DriveC() override { ::unsetenv("KELVORA_DRIVE_C"); }
  kelvora::testing::ScratchFolder folder_{"drive_c"};
  const std::filesystem::path& root_ = folder_.Path();
};

TEST_F(DriveC, WindowsPathsLieBelowTheRootAndIgnoreCase) {
  EXPECT_EQ(MapWindowsPath("C:\\Mach3\\PlugIns\\Gcode\\temp.tap"),
            root_ / "Mach3" / "PlugIns" / "Gcode" / "temp.tap");
  std::filesystem::create_directories(root_ / "Mach3" / "Plugins" / "Gcode");
  // The folder the plug-in creates is "Plugins"; the file it writes names "PlugIns".
  EXPECT_EQ(MapWindowsPath("C:\\Mach3\\PlugIns\\Gcode\\temp.tap"),
            root_ / "Mach3" / "Plugins" / "Gcode" / "temp.tap");
  EXPECT_EQ(MapWindowsPath("c:/MACH3/plugins/GCODE"), root_ / "Mach3" / "Plugins" / "Gcode");
  EXPECT_EQ(MapWindowsPath("relative/file.txt"), std::filesystem::path("relative/file.txt"));
}

// A running object with one method that records its argument.
struct Recorder final : simos::Dispatch {
  std::vector<simos::Variant> lastArgs;
  std::uint16_t lastFlags = 0;
  HResult GetIDsOfNames(std::u16string_view name, std::int32_t* id) override {
    if (name != u"Call") return plugin::kDispEUnknownName;
    *id = 7;
    return 0;
  }
  HResult Invoke(std::int32_t id, std::uint16_t flags, std::vector<simos::Variant>& args,
                 simos::Variant* result) override {
    EXPECT_EQ(id, 7);
    lastFlags = flags;
    lastArgs = args;
    if (result) {
      result->vt = plugin::kVtDispatch;
      result->object = this;
    }
    return 0;
  }
};

class Automation : public ::testing::Test {
 protected:
  ~Automation() override {
    simos::RevokeActiveObject(std::u16string(plugin::kHostDocumentClassId));
    simos::UnregisterProgId(u"Test.Object");
    simos::UnregisterProgId(std::u16string(plugin::kHostDocumentProgId));
  }
  plugin::AutomationService& service = plugin::SystemPlatform().automation;
  Recorder recorder;
};

TEST_F(Automation, FindsARunningObjectByProgIdOrByTheFixedClassId) {
  AutomationObject object = &recorder;
  EXPECT_EQ(service.CreateObject(plugin::kHostDocumentProgId, &object), plugin::kMkEUnavailable);
  EXPECT_EQ(object, nullptr);

  // Registered under its class id only: the fixed class id finds it.
  simos::RegisterActiveObject(std::u16string(plugin::kHostDocumentClassId), &recorder);
  EXPECT_EQ(service.CreateObject(plugin::kHostDocumentProgId, &object), plugin::kSOk);
  EXPECT_EQ(object, &recorder);

  Recorder other;
  simos::RegisterProgId(u"Test.Object", u"{00000000-0000-0000-0000-0000000000AA}");
  simos::RegisterActiveObject(u"{00000000-0000-0000-0000-0000000000AA}", &other);
  EXPECT_EQ(service.CreateObject(u"Test.Object", &object), plugin::kSOk);
  EXPECT_EQ(object, &other);
  simos::RevokeActiveObject(u"{00000000-0000-0000-0000-0000000000AA}");
}

TEST_F(Automation, InvokePassesTheArgumentsLastFirst) {
  AutomationResult result;
  HResult hr =
      service.Invoke(&recorder, plugin::kDispatchMethod, &result, u"Call", "sIR&D",
                     {AutomationArg(std::u16string(u"C:\\x")), AutomationArg(std::int32_t{5}),
                      AutomationArg(2.5), AutomationArg(AutomationObject(&recorder))});
  ASSERT_EQ(hr, plugin::kSOk);
  ASSERT_EQ(recorder.lastArgs.size(), 4u);
  EXPECT_EQ(recorder.lastArgs[3].vt, plugin::kVtBstr);
  EXPECT_EQ(recorder.lastArgs[3].text, u"C:\\x");
  EXPECT_EQ(recorder.lastArgs[2].vt, plugin::kVtI4);
  EXPECT_EQ(recorder.lastArgs[2].intValue, 5);
  EXPECT_EQ(recorder.lastArgs[1].vt, plugin::kVtR8);
  EXPECT_EQ(recorder.lastArgs[0].vt, plugin::kVtDispatch | plugin::kVtByRef);
  EXPECT_EQ(result.varType, plugin::kVtDispatch);
  EXPECT_EQ(result.object, &recorder);
}

TEST_F(Automation, InvokeRefusesWhatItCannotCall) {
  struct Case {
    const char* name;
    AutomationObject object;
    std::uint16_t kind;
    std::u16string member;
    const char* format;
    std::vector<AutomationArg> args;
    HResult expected;
  };
  const std::vector<Case> cases = {
      {"null object", nullptr, plugin::kDispatchMethod, u"Call", "", {}, plugin::kEInvalidArg},
      {"unknown member",
       &recorder,
       plugin::kDispatchMethod,
       u"Nope",
       "",
       {},
       plugin::kDispEUnknownName},
      {"unknown letter",
       &recorder,
       plugin::kDispatchMethod,
       u"Call",
       "x",
       {AutomationArg(true)},
       plugin::kEInvalidArg},
      {"count differs",
       &recorder,
       plugin::kDispatchMethod,
       u"Call",
       "ss",
       {AutomationArg(std::u16string(u"a"))},
       plugin::kEInvalidArg},
      {"type differs",
       &recorder,
       plugin::kDispatchMethod,
       u"Call",
       "s",
       {AutomationArg(1.0)},
       plugin::kEInvalidArg},
      {"put without value",
       &recorder,
       plugin::kDispatchPropertyPut,
       u"Call",
       "",
       {},
       plugin::kEInvalidArg},
  };
  for (const Case& c : cases) {
    recorder.lastArgs.clear();
    EXPECT_EQ(service.Invoke(c.object, c.kind, nullptr, c.member, c.format, c.args), c.expected)
        << c.name;
  }
}

TEST(SimulatedMenus, InvalidHandlesAndUnreadableItems) {
  simos::Menu* menu = simos::CreateMenu();
  EXPECT_EQ(simos::MenuItemCount(menu), 0);
  EXPECT_EQ(simos::MenuItemCount(reinterpret_cast<simos::Menu*>(&menu)), -1);
  ASSERT_TRUE(simos::AppendMenuItem(menu, {"A", 1, nullptr}));
  ASSERT_TRUE(simos::AppendMenuItem(menu, {"B", 2, nullptr}));
  simos::SetMenuItemUnreadable(menu, 0);
  EXPECT_FALSE(simos::GetMenuItem(menu, 0));
  EXPECT_EQ(simos::GetMenuItem(menu, 1)->text, "B");
  EXPECT_FALSE(simos::GetMenuItem(menu, 2));
  plugin::HostMenu& hostMenu = plugin::SystemPlatform().menu;
  simos::Window* window = simos::CreateWindow("w", menu);
  EXPECT_EQ(hostMenu.GetMenu(window), menu);
  EXPECT_EQ(hostMenu.GetMenu(nullptr), nullptr);
}

TEST(HostTexts, ProfilePathsAndLoadPathsConvertFromUtf8) {
  const plugin::HostPaths& paths = plugin::SystemPlatform().paths;
  EXPECT_EQ(paths.HostTextToUtf8("/tmp/Hồ sơ.xml"), "/tmp/Hồ sơ.xml");
  EXPECT_EQ(paths.HostTextToUtf8("\xC0\xAF"), std::nullopt);
  EXPECT_EQ(paths.HostTextToWide("C:\\Mach3\\Plugins\\Gcode\\temp.tap"),
            u"C:\\Mach3\\Plugins\\Gcode\\temp.tap");
  EXPECT_EQ(paths.HostTextToWide("ế𝄞"), u"ế𝄞");
  EXPECT_EQ(paths.HostTextToWide("\xED\xA0\x80"), std::nullopt);  // a surrogate
  EXPECT_EQ(paths.HostTextToWide("\xE1\xBA"), std::nullopt);      // cut short
}

}  // namespace
}  // namespace kelvora::platform::posix
