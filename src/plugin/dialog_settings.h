// Copying the stored inputs between the settings and the dialog's controls, by
// the key table: each key with a control goes to the control it names (numbers
// through the box's display pattern, check boxes by their state, the language
// as the chooser's index); keys without a control travel as the dialog's mirror
// values (operation definitions, the automatic grid's inputs).
#pragma once

#include <vector>

#include "dialog/xyz_demo_dialog.h"
#include "settings/settings_profile.h"

namespace kelvora::plugin {

// Every key but "Dlg", in table order, with its control and the text it shows.
std::vector<dialog::StoredValue> StoredValues(const settings::Settings& settings);

// The first opening's copy into the dialog (LoadParam).
void LoadParam(dialog::XYZDemoDialog& dlg, const settings::Settings& settings);

// The shutdown's copy out of the dialog (SaveParam) into `settings`: a control
// text that does not convert keeps the key's previous value.
void SaveParam(dialog::XYZDemoDialog& dlg, settings::Settings& settings);

}  // namespace kelvora::plugin
