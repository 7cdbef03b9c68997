// The host's side for tests on Windows: a real window with a menu bar, the
// four data blocks (the main window where the plug-in looks for it), the status
// string of the documented layout and the "Mach4.Document" object in the
// running-object table, all on the calling (the host's) thread; and the
// callbacks the host hands over, recording what the plug-in asked.
#pragma once

#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "host_document.h"
#include "host_status_string.h"
#include "host_window.h"
#include "plugin/host_interface.h"

namespace kelvora::win32::testing {

inline constexpr int kMenuStart = 2;

struct Host;
// The host whose callbacks run now (callbacks are plain function pointers).
inline Host* currentHost = nullptr;

struct Host {
  explicit Host(bool plugInMenu = true, bool automation = true) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testhost::HostWindowOptions options;
    options.withPlugInMenu = plugInMenu;
    windowMade = window.Create(options);
    HWND handle = window.handle();
    std::memcpy(mainWindowObject.data() + plugin::kMainWindowHandle, &handle, sizeof(handle));
    plugin::WriteHostPointer(machView.data(), plugin::kMachViewMainWindow, mainWindowObject.data());
    status = std::make_unique<testhost::HostStatusString>(
        planner.data() + plugin::kPlannerStatusString, manager);
    if (automation) {
      document = new testhost::HostDocument;
      registration.Register(document);
    }
    currentHost = this;
  }
  ~Host() {
    currentHost = nullptr;
    registration.Revoke();
    if (document) document->Release();
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  template <typename Module>
  void Start(Module& module) {
    module.piInitControl(engine.data(), setup.data(), planner.data(), machView.data());
    module.piPostInitControl();
  }

  testhost::HostWindow window;
  bool windowMade = false;
  std::vector<unsigned char> engine = std::vector<unsigned char>(plugin::kEngineMinSize);
  std::vector<unsigned char> setup = std::vector<unsigned char>(1024);
  std::vector<unsigned char> planner = std::vector<unsigned char>(plugin::kPlannerMinSize);
  std::vector<unsigned char> machView = std::vector<unsigned char>(plugin::kMachViewMinSize);
  std::vector<unsigned char> mainWindowObject =
      std::vector<unsigned char>(plugin::kMainWindowMinSize);
  testhost::HostStringManager manager;
  std::unique_ptr<testhost::HostStatusString> status;
  testhost::HostDocument* document = nullptr;
  testhost::RunningObjectEntry registration;
  std::vector<int> buttons;
  std::map<int, double> dros;
};

// The callbacks, as the host hands them over.
inline int GetMenuRange(std::int16_t) {
  return kMenuStart;
}
inline void DoButton(std::int16_t code) {
  if (currentHost) currentHost->buttons.push_back(code);
}
inline double GetDRO(std::int16_t code) {
  return currentHost ? currentHost->dros[code] : 0.0;
}
inline void SetDRO(std::int16_t code, double value) {
  if (currentHost) currentHost->dros[code] = value;
}
inline bool GetLED(std::int16_t) {
  return false;
}
inline void SetLED(std::int16_t, bool) {}
inline void Code(const char*) {}

}  // namespace kelvora::win32::testing
