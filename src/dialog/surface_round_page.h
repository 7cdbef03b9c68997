// Round surface milling: two pictures and a text box (tabPage9).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class SurfaceRoundPage : public DialogPage {
 public:
  SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
