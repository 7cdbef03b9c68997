// Shows the test host's main window by itself, with the plug-in's menu entry
// added by the plug-in's own start-up (without the library), for looking at
// (screenshots) by hand:
//   testhost_window.exe [--no-plugin-menu] [--open-menu] [--config] [--status TEXT]
//                       [--seconds N]
// --config opens the plug-in's configuration window over it, as the host's
// plug-in configuration does, until the time is up.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include <cstring>
#include <vector>

#include "host_window.h"
#include "platform/win32/wide_text.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_module.h"
#include "plugin/system.h"

namespace {

constexpr int kMenuStart = 2;

int GetMenuRange(std::int16_t) {
  return kMenuStart;
}

void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD) {
  EndMenu();  // a pulled-down menu runs its own loop: close it first
  PostQuitMessage(0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  kelvora::testhost::HostWindowOptions options;
  options.visible = true;
  bool openMenu = false;
  bool config = false;
  std::string status;
  int seconds = 5;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--no-plugin-menu") {
      options.withPlugInMenu = false;
    } else if (arg == L"--open-menu") {
      openMenu = true;
    } else if (arg == L"--config") {
      config = true;
    } else if (arg == L"--status" && i + 1 < argc) {
      status = kelvora::win32::Utf8FromWide(argv[++i]);
    } else if (arg == L"--seconds" && i + 1 < argc) {
      seconds = std::wcstol(argv[++i], nullptr, 10);
    } else {
      fwprintf(stderr, L"unknown argument: %ls\n", arg.c_str());
      return 2;
    }
  }
  kelvora::testhost::HostWindow window;
  if (!window.Create(options)) {
    fwprintf(stderr, L"the window could not be created\n");
    return 1;
  }
  // The host's blocks, with its main window where the plug-in looks for it.
  namespace plugin = kelvora::plugin;
  std::vector<unsigned char> engine(plugin::kEngineMinSize), setup(1024),
      planner(plugin::kPlannerMinSize), machView(plugin::kMachViewMinSize),
      mainWindow(plugin::kMainWindowMinSize);
  HWND handle = window.handle();
  std::memcpy(mainWindow.data() + plugin::kMainWindowHandle, &handle, sizeof(handle));
  plugin::WriteHostPointer(machView.data(), plugin::kMachViewMainWindow, mainWindow.data());
  plugin::PluginModule module(plugin::SystemPlatform(), plugin::SystemDialogs());
  module.GetMenuRange = &GetMenuRange;
  module.piInitControl(engine.data(), setup.data(), planner.data(), machView.data());
  module.piPostInitControl();
  const bool added = GetMenuState(GetMenu(handle), kMenuStart, MF_BYCOMMAND) != 0xFFFFFFFFu;
  window.SetStatusLine(status.empty()
                           ? (added ? "Kelvora added to PlugIn Control" : "no PlugIn Control menu")
                           : status);
  if (openMenu && options.withPlugInMenu) {
    // Keyboard access to the menu bar: the first menu, one to the right, pulled down.
    PostMessageW(window.handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    PostMessageW(window.handle(), WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(window.handle(), WM_KEYDOWN, VK_DOWN, 0);
  }
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndShow);
  // The modal window runs its own loop; the end of the time closes it, and then
  // the host's window.
  if (config) module.piConfig();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return added || !options.withPlugInMenu ? 0 : 1;
}
