// What the platforms' plug-in windows share: the main dialog's models made over
// the platform's prompts, programs handed to the host's G-code folder, and the
// configuration dialog shown modally. A platform adds the window that shows the
// main dialog.
#pragma once

#include <memory>
#include <optional>

#include "dialog/config_dialog.h"
#include "dialog/xyz_demo_dialog.h"
#include "plugin/dialog_port.h"
#include "plugin/plugin_dialog.h"
#include "plugin/system.h"

namespace kelvora::plugin {

template <typename Prompts>
class PlatformDialogs : public PluginDialogs {
 public:
  std::optional<motion::Machine> ShowConfigDialog(const motion::Machine& machine) override {
    dialog::ConfigDialog config(prompts_);
    return config.ShowDialog(machine);
  }

 protected:
  std::unique_ptr<dialog::XYZDemoDialog> MakeMainDialog() {
    return std::make_unique<dialog::XYZDemoDialog>(prompts_, handOff_);
  }

  Prompts prompts_;

 private:
  GcodeFolderHandOff handOff_{SystemPlatform().paths, SystemPlatform().files};
};

}  // namespace kelvora::plugin
