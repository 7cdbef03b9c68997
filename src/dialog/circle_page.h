// Circle drilling (tabPage5): holes evenly spaced on a pitch circle.
#pragma once

#include "dialog/program_page.h"

namespace kelvora::dialog {

class CirclePage : public ProgramPage {
 public:
  CirclePage(XYZDemoDialog& dlg, ui::TabPage& page);

  // "Preview": the holes into pbxKhoanTron, marker at the centre of their extent.
  void btnKhoanTronPreview_Click();
  // "GCode Gen " and "Load" (see ProgramPage).
  void btnDrillGcodeGen_Click() { GenerateProgram(); }
  void btnDrillLoadGcode_Click() { LoadProgramBox(); }
};

}  // namespace kelvora::dialog
