// The plug-in's start-up, menu entry and program hand-off on the Windows
// platform, in a host played by the test: a real window with a menu bar, the
// host's blocks, its status string and its "Mach4.Document" object in the
// running-object table, all on this (the host's) thread.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "host_document.h"
#include "host_window.h"
#include "plugin/host_interface.h"
#include "plugin/load_file_obj.h"
#include "plugin/plugin_module.h"
#include "plugin/system.h"
#include "windows_host.h"

namespace kelvora::win32 {
namespace {

using namespace std::chrono_literals;
using plugin::PluginModule;
using testhost::HostDocument;
using testhost::HostWindow;
using testing::Host;
using testing::kMenuStart;

// The plug-in with the platform's services, started in `host` as the host starts
// it.
class StartedModule : public PluginModule {
 public:
  explicit StartedModule(Host& host)
      : PluginModule(plugin::SystemPlatform(), plugin::SystemDialogs()) {
    GetMenuRange = &testing::GetMenuRange;
    host.Start(*this);
  }
};

std::vector<std::string> PlugInMenuTexts(HWND window) {
  HMENU bar = GetMenu(window);
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    if (std::wstring(text) != L"PlugIn Control") continue;
    HMENU menu = GetSubMenu(bar, i);
    std::vector<std::string> texts;
    for (int j = 0; j < GetMenuItemCount(menu); ++j) {
      char item[64] = {};
      GetMenuStringA(menu, static_cast<UINT>(j), item, 64, MF_BYPOSITION);
      texts.push_back(item);
    }
    return texts;
  }
  return {};
}

TEST(PluginOnWindows, TheEntryGoesToTheEndOfPlugInControl) {
  Host host;
  ASSERT_TRUE(host.windowMade);
  HMENU bar = GetMenu(host.window.handle());
  AppendMenuA(GetSubMenu(bar, 1), MF_STRING, 40, "Other");  // another plug-in's entry
  StartedModule module(host);
  EXPECT_EQ(PlugInMenuTexts(host.window.handle()), (std::vector<std::string>{"Other", "Kelvora"}));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), 1), static_cast<UINT>(kMenuStart));
  EXPECT_EQ(GetMenuItemCount(bar), 3);  // the bar itself is unchanged

  // Picking the entry sends the host window its command, as the host's menu does.
  PostMessageW(host.window.handle(), WM_COMMAND, MAKEWPARAM(kMenuStart, 0), 0);
  HostWindow::PumpMessages();
  EXPECT_EQ(host.window.commands(), (std::vector<UINT>{kMenuStart}));
}

TEST(PluginOnWindows, AHostWithoutPlugInControlGetsNoEntry) {
  Host host(/*plugInMenu=*/false);
  ASSERT_TRUE(host.windowMade);
  StartedModule module(host);
  HMENU bar = GetMenu(host.window.handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), 1) << i;
}

TEST(PluginOnWindows, NothingRegisteredMeansMach3NotRegistered) {
  Host host(/*plugInMenu=*/true, /*automation=*/false);
  StartedModule module(host);
  module.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host.status->Text(), "Mach3 not registered!");
  EXPECT_TRUE(host.manager.faults().empty());
}

TEST(PluginOnWindows, AnObjectRegisteredAfterStartUpIsFoundAtTheNextLoad) {
  Host host(/*plugInMenu=*/true, /*automation=*/false);
  StartedModule module(host);
  module.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host.status->Text(), "Mach3 not registered!");

  // The host puts its object in the running-object table only now.
  host.document = new HostDocument;
  ASSERT_TRUE(SUCCEEDED(host.registration.Register(host.document)));
  module.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host.status->Text(), "script ok");
  EXPECT_EQ(host.document->script_requests(), 1);
  // The object found at the Load is called from the worker through the host's
  // thread, as the one found at start-up is.
  // The worker's report is served by an update once the host's call returned.
  auto loaded = [&] {
    return HostWindow::PumpUntil(
        [&] {
          module.piUpdate();
          return host.status->Text() == "File Loaded!";
        },
        10s);
  };
  ASSERT_TRUE(loaded());
  ASSERT_EQ(host.document->load_calls().size(), 1u);
  EXPECT_EQ(host.document->load_calls()[0].path, "C:\\Mach3\\Plugins\\Gcode\\temp.tap");
  EXPECT_EQ(host.document->load_calls()[0].threadId, GetCurrentThreadId());

  // Found once, kept: the next Load asks nothing again.
  module.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host.status->Text(), "script ok");
  ASSERT_TRUE(loaded());
  EXPECT_EQ(host.document->load_calls().size(), 2u);
  EXPECT_EQ(host.document->script_requests(), 1);
  EXPECT_TRUE(host.manager.faults().empty());
}

TEST(PluginOnWindows, AScriptAnswerThatIsNoObjectMeansNotRegistered) {
  for (auto answer : {HostDocument::ScriptAnswer::kEmpty, HostDocument::ScriptAnswer::kNumber}) {
    Host host;
    host.document->set_script_answer(answer);
    StartedModule module(host);
    EXPECT_EQ(host.document->script_requests(), 1);
    module.MyDevice->ThreadLoad(plugin::kTempTapName);
    EXPECT_EQ(host.status->Text(), "Mach3 not registered!");
  }
}

TEST(PluginOnWindows, TheLoadArrivesOnTheHostsThreadAndIsReportedAtTheNextUpdate) {
  Host host;
  ASSERT_TRUE(host.windowMade);
  StartedModule module(host);
  EXPECT_EQ(host.document->script_requests(), 1);

  const std::filesystem::path folder = "C:\\Mach3\\Plugins\\Gcode";
  std::filesystem::create_directories(folder);
  const std::string program = "G0X10Y20\r\nM30\r\n\r\n";
  std::ofstream(folder / "temp.tap", std::ios::binary) << program;

  module.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host.status->Text(), "script ok");
  // The document is called on the host's thread: while that thread does not pump
  // messages, the call cannot arrive.
  Sleep(300);
  EXPECT_TRUE(host.document->load_calls().empty());
  ASSERT_TRUE(HostWindow::PumpUntil([&] { return !host.document->load_calls().empty(); }, 10s));
  const HostDocument::LoadCall call = host.document->load_calls()[0];
  EXPECT_EQ(call.path, "C:\\Mach3\\Plugins\\Gcode\\temp.tap");
  EXPECT_EQ(call.bytes, program);
  EXPECT_EQ(call.threadId, GetCurrentThreadId());

  // The worker's report is written by an update cycle, on the host's thread.
  ASSERT_TRUE(HostWindow::PumpUntil(
      [&] {
        module.piUpdate();
        return host.status->Text() == "File Loaded!";
      },
      10s));
  EXPECT_EQ(host.document->load_calls().size(), 1u);
  EXPECT_TRUE(host.manager.faults().empty());
}

}  // namespace
}  // namespace kelvora::win32
