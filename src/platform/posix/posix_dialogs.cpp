#include "plugin/system.h"

namespace kelvora::plugin {

namespace {

// Until the dialog is wired in, the library runs without a window.
class NoDialogs final : public PluginDialogs {
 public:
  std::unique_ptr<PluginDialog> CreateMainDialog() override { return nullptr; }
  void ShowConfigDialog() override {}
};

}  // namespace

PluginDialogs& SystemDialogs() {
  static NoDialogs dialogs;
  return dialogs;
}

}  // namespace kelvora::plugin
