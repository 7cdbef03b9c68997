// What the plug-in's entry points need of the main dialog and the configuration
// dialog. The dialog raises requests and shows the machine position; the update
// cycle serves the requests and fills the position in, on the host's thread.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dialog/teach_table.h"
#include "motion/machine.h"
#include "settings/settings_profile.h"

namespace kelvora::plugin {

enum class DialogWindowState { kNormal, kMinimised, kMaximised };

class PluginDialog {
 public:
  virtual ~PluginDialog() = default;

  virtual DialogWindowState WindowState() const = 0;
  virtual bool Visible() const = 0;
  // What of the window could not be made (a control, the picture drawing);
  // empty when all of it was. The dialog works without it.
  virtual std::string WindowFailure() const { return {}; }
  // Makes the window visible, gives it the focus and restores it when minimised.
  virtual void ShowAndFocus() = 0;

  // Whether the stored settings have been put into the controls in this run.
  virtual bool ParamLoaded() const = 0;
  // First opening: the settings into the controls; ParamLoaded becomes true.
  virtual void LoadParam(const settings::Settings& settings) = 0;
  // Shutdown: the controls' values, as the settings to store.
  virtual settings::Settings SaveParam() = 0;
  // Where the window gets the machine it checks programs against.
  virtual void SetMachineSource(std::function<motion::Machine()> source) = 0;

  // The one-shot requests the dialog raises, and the teach table's mode.
  virtual bool& LoadFileTrigger() = 0;
  virtual bool& closeFileTrigger() = 0;
  virtual bool GetAuto() const = 0;

  // The machine position: X and Y for the point list's Get (textBoxX, textBoxY),
  // and all six axes for the teach table (txtTchX … txtTchC).
  virtual void SetPointPosition(const std::string& x, const std::string& y) = 0;
  virtual void SetTeachPosition(const dialog::TeachPosition& position) = 0;
  // One of the automatic mode's actions (GetPos, SetOp1 … SetOp3).
  virtual void RunTeachAction(dialog::TeachAction action) = 0;
};

// Creates the dialogs the entry points show.
class PluginDialogs {
 public:
  virtual ~PluginDialogs() = default;
  // The main dialog, created hidden.
  virtual std::unique_ptr<PluginDialog> CreateMainDialog() = 0;
  // Shows the configuration dialog modally with the machine's settings in its
  // boxes; the machine its OK accepted, or nullopt when it was cancelled.
  virtual std::optional<motion::Machine> ShowConfigDialog(const motion::Machine& machine) = 0;
};

}  // namespace kelvora::plugin
