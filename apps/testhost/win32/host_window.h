// The test host's main window: a real top-level window with a menu bar, as the
// host's main window is, and the message pumping the host's thread does.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kelvora::testhost {

struct HostWindowOptions {
  // Leaves the "PlugIn Control" menu out, to play a host without one.
  bool withPlugInMenu = true;
  // The host's fuller menu bar, as the scenario host shows it: "Config", a near
  // miss "Plugin Control" holding "Other", and "Config Plugins" in "PlugIn Control".
  bool fullMenuBar = false;
  bool visible = false;
};

class HostWindow {
 public:
  HostWindow() = default;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  ~HostWindow();

  // Creates the window and its menu bar ("File", optionally "PlugIn Control",
  // "Help") on the calling thread. False when the window cannot be made.
  bool Create(const HostWindowOptions& options);
  HWND handle() const { return window_; }

  // The host's status line under the client area (UTF-8 text).
  void SetStatusLine(const std::string& text);
  std::string StatusLine() const;

  // Menu commands that reached the window, most recent last.
  const std::vector<UINT>& commands() const { return commands_; }

  // Runs the messages waiting for this thread.
  static void PumpMessages();
  // Pumps messages until `done` is true or `timeout` passed; returns `done()`.
  static bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // Threads of this process now (-1 when they cannot be counted): the plug-in's
  // loader threads come and go, and a test waits for them before it goes on.
  static int ThreadCount();

 private:
  static bool RegisterHostClass();
  void Layout();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HWND statusLine_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<UINT> commands_;
};

}  // namespace kelvora::testhost
