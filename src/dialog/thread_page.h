// Thread generation on the rotary axis (tabPage17).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class ThreadPage : public DialogPage {
 public:
  ThreadPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
