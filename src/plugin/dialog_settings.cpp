#include "plugin/dialog_settings.h"

namespace kelvora::plugin {
namespace {

bool HasControl(const settings::SettingsKey& k) {
  switch (k.shownAs) {
    case settings::ShownAs::kIndex:
    case settings::ShownAs::kNumber:
    case settings::ShownAs::kChecked:
    case settings::ShownAs::kText:
      return true;
    case settings::ShownAs::kNone:
    case settings::ShownAs::kAutoGen:
    case settings::ShownAs::kConfig:
    case settings::ShownAs::kOptions:
      return false;
  }
  return false;
}

}  // namespace

std::vector<dialog::StoredValue> StoredValues(const settings::Settings& settings) {
  std::vector<dialog::StoredValue> values;
  for (const settings::SettingsKey& k : settings::SettingsKeys()) {
    if (k.key == "Dlg") continue;
    values.push_back({std::string(k.key), HasControl(k) ? std::string(k.control) : std::string(),
                      settings.ControlText(k.key)});
  }
  return values;
}

void LoadParam(dialog::XYZDemoDialog& dlg, const settings::Settings& settings) {
  dlg.LoadParam(StoredValues(settings));
}

void SaveParam(dialog::XYZDemoDialog& dlg, settings::Settings& settings) {
  for (const dialog::StoredValue& v : dlg.SaveParam(StoredValues(settings))) {
    settings.SetFromControlText(v.key, v.text);
  }
}

}  // namespace kelvora::plugin
