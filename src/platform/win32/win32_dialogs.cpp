// The plug-in's windows on Windows: the main dialog's models shown through the
// native back-end, its prompts as the platform's boxes, and the dialog message
// hook installed while the window lives.
#include <memory>

#include "platform/win32/native_form.h"
#include "platform/win32/native_prompts.h"
#include "plugin/dialog_port.h"
#include "plugin/platform_dialogs.h"

namespace kelvora::plugin {

namespace {

class NativeDialog final : public XYZDemoDialogPort {
 public:
  NativeDialog(std::unique_ptr<dialog::XYZDemoDialog> dialog, win32::NativePrompts& prompts)
      : XYZDemoDialogPort(std::move(dialog)), window_(Dialog().GetForm()) {
    for (ui::Timer* timer : Dialog().Timers()) window_.AddTimer(*timer);
    prompts.SetOwner(window_.Handle());
    hooked_ = win32::InstallDialogMessageHook();
  }
  ~NativeDialog() override {
    if (hooked_) win32::RemoveDialogMessageHook();
  }
  std::string WindowFailure() const override { return window_.Failure(); }
  // The automatic mode's actions come from the host's update cycle, not from
  // an event of the window: the tables they change are shown at once, not at
  // the window's next event.
  void RunTeachAction(dialog::TeachAction action) override {
    XYZDemoDialogPort::RunTeachAction(action);
    window_.RefreshGrids();
  }
  NativeDialog(const NativeDialog&) = delete;
  NativeDialog& operator=(const NativeDialog&) = delete;

 private:
  win32::NativeForm window_;
  bool hooked_ = false;
};

class Win32Dialogs final : public PlatformDialogs<win32::NativePrompts> {
 public:
  std::unique_ptr<PluginDialog> CreateMainDialog() override {
    return std::make_unique<NativeDialog>(MakeMainDialog(), prompts_);
  }
};

}  // namespace

PluginDialogs& SystemDialogs() {
  static Win32Dialogs dialogs;
  return dialogs;
}

}  // namespace kelvora::plugin
