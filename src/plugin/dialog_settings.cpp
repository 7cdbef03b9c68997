#include "plugin/dialog_settings.h"

namespace kelvora::plugin {
namespace {

bool HasControl(const SettingsKey& k) {
  switch (k.shownAs) {
    case ShownAs::kIndex:
    case ShownAs::kNumber:
    case ShownAs::kChecked:
    case ShownAs::kText:
      return true;
    case ShownAs::kNone:
    case ShownAs::kAutoGen:
      return false;
  }
  return false;
}

}  // namespace

std::vector<dialog::StoredValue> StoredValues(const Settings& settings) {
  std::vector<dialog::StoredValue> values;
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.key == "Dlg") continue;
    values.push_back({std::string(k.key), HasControl(k) ? std::string(k.control) : std::string(),
                      settings.ControlText(k.key)});
  }
  return values;
}

void LoadParam(dialog::XYZDemoDialog& dlg, const Settings& settings) {
  dlg.LoadParam(StoredValues(settings));
}

void SaveParam(dialog::XYZDemoDialog& dlg, Settings& settings) {
  for (const dialog::StoredValue& v : dlg.SaveParam(StoredValues(settings))) {
    settings.SetFromControlText(v.key, v.text);
  }
}

}  // namespace kelvora::plugin
