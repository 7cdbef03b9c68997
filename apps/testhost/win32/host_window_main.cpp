// Shows the test host's main window by itself, with the plug-in's menu entry
// added by the plug-in's own start-up (without the library), for looking at
// (screenshots) by hand:
//   testhost_window.exe [--no-plugin-menu] [--open-menu] [--profile FILE] [--config]
//                       [--drop-down] [--status TEXT] [--seconds N]
// --profile hands the plug-in that profile at start-up, as the host does (the
// machine it keeps is read from it). --config opens the plug-in's configuration
// window over it, as the host's plug-in configuration does, until the time is
// up; --drop-down then pulls its first drop-down (the control) down.
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

// The first drop-down of a window, or null.
BOOL CALLBACK FindComboBox(HWND child, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  if (_wcsicmp(className, L"ComboBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// Runs inside the configuration window's modal loop: its drop-down pulled down.
void CALLBACK DropDown(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND combo = nullptr;
  if (HWND active = GetActiveWindow()) {
    EnumChildWindows(active, FindComboBox, reinterpret_cast<LPARAM>(&combo));
  }
  if (combo != nullptr) SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

// A path in the narrow code page the host hands texts over in.
std::string NarrowText(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(size) - 1);
  return narrow;
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
  bool dropDown = false;
  std::wstring profile;
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
    } else if (arg == L"--drop-down") {
      dropDown = true;
    } else if (arg == L"--profile" && i + 1 < argc) {
      profile = argv[++i];
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
  const std::string profileText = NarrowText(profile);
  if (!profile.empty()) module.piSetProName(profileText.c_str());
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
  if (config && dropDown) SetTimer(nullptr, 0, 1500, DropDown);
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
