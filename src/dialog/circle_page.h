// Circle drilling (tabPage5): holes evenly spaced on a pitch circle.
#pragma once

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"

namespace kelvora::dialog {

class CirclePage : public DialogPage {
 public:
  CirclePage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override { layout_.Arrange(); }

  // "Preview": the holes into pbxKhoanTron, marker at the centre of their extent.
  void btnKhoanTronPreview_Click();
  // "GCode Gen ": the program into txtDrillGcode and the close-file request; on a
  // refused input the message, and the box keeps what it held.
  void btnDrillGcodeGen_Click();
  // "Load": the program box to the host.
  void btnDrillLoadGcode_Click();

 private:
  GeneratorPage layout_;
};

}  // namespace kelvora::dialog
