// The surface tab's "Any" page (empty) (tabPage11).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class SurfaceAnyPage : public DialogPage {
 public:
  SurfaceAnyPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
