// Surface milling of a rectangle (tabPage10).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class SurfaceSquarePage : public DialogPage {
 public:
  SurfaceSquarePage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
