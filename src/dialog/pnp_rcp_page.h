// "PnP Rcp" (empty; removed from the window at start-up) (tabPage12).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class PnpRcpPage : public DialogPage {
 public:
  PnpRcpPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
