// Router/cutter (tabPage4): the cut lists and DXF contours, with the sub-tabs of
// tabControl4 along the bottom edge.
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class RouterPage : public DialogPage {
 public:
  RouterPage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override;

  ui::TabControl& tabControl4;
};

}  // namespace kelvora::dialog
