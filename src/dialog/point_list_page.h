// The point list: holes or pockets at listed points (tabPage7).
#pragma once

#include "dialog/dialog_page.h"

namespace kelvora::dialog {

class PointListPage : public DialogPage {
 public:
  PointListPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
