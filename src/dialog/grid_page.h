// Grid drilling: the grid of holes (tabPage6).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class GridPage : public DialogPage {
 public:
  GridPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
