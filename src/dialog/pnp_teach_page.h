// "PnP Teach" (empty; removed from the window at start-up) (tabPage3).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class PnpTeachPage : public DialogPage {
 public:
  PnpTeachPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
