// The teach table (tabPage2).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class TeachPage : public DialogPage {
 public:
  TeachPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
