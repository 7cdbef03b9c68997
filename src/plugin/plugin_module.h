// The plug-in's module: the values the host hands over, the objects that live as
// long as the plug-in is loaded, and the handlers behind every export.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "dialog/teach_table.h"
#include "motion/machine.h"
#include "plugin/host_interface.h"
#include "plugin/my_device.h"
#include "plugin/platform.h"
#include "plugin/plugin_dialog.h"

namespace kelvora::plugin {

// The configuration object read at start-up.
struct XYZDemoConfig {
  bool enableDlg = true;
};

class PluginModule {
 public:
  PluginModule(const Platform& platform, PluginDialogs& dialogs);
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The host's callbacks.
  GetMenuRangeFn GetMenuRange = nullptr;
  DoButtonFn DoButton = nullptr;
  SetDROFn SetDRO = nullptr;
  GetDROFn GetDRO = nullptr;
  SetLEDFn SetLED = nullptr;
  GetLEDFn GetLED = nullptr;
  CodeFn Code = nullptr;

  HostBlocks blocks;
  // The profile path, as UTF-8.
  std::string ProfileName;
  int menuStart = 0;
  std::unique_ptr<MyDeviceClass> MyDevice;
  struct {
    std::unique_ptr<PluginDialog> xyzDemoDialog;
    std::optional<XYZDemoConfig> xyzDemoConfig;
  } MG;
  // The automatic mode's latch (GetBtn_pressed): the update cycle reads the
  // host's signals through it; the dialog keeps none of its own.
  dialog::TeachSignalLatch GetBtn_pressed;

  // Start-up: the profile path in the host's code page; returns the plug-in's name.
  const char* piSetProName(const char* hostPath);
  bool piInitControl(void* engine, void* setup, void* planner, void* view);
  void piPostInitControl();
  void piNotify(int id);
  void piUpdate();
  void piConfig();
  void piStopPlug();
  void piJogOff(std::int16_t axis);

  const Platform& platform() const { return platform_; }
  // The machine the window checks programs against: read from the profile at
  // start-up, changed by the configuration dialog's OK, written at shutdown.
  const motion::Machine& CurrentMachine() const { return machine_; }

 private:
  void AddMenuEntry();
  void MirrorMachinePosition(PluginDialog& dialog);
  void PollTeachSignals(PluginDialog& dialog);
  settings::MessageSink Messages();

  const Platform& platform_;
  PluginDialogs& dialogs_;
  motion::Machine machine_;
  bool machineChanged_ = false;  // the configuration dialog's OK set it in this run
};

}  // namespace kelvora::plugin
