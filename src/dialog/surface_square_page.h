// Surface milling of a rectangle (tabPage10): rows back and forth along X,
// layer by layer down to the depth.
#pragma once

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"

namespace kelvora::dialog {

class SurfaceSquarePage : public DialogPage {
 public:
  SurfaceSquarePage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override;

  // "Preview": the milling lines of one layer into pxbMSqr.
  void btnMSqrPreview_Click();
  // "GCode Gen ": the program into txtMSqrGcode and the close-file request; on a
  // refused input the message, and the box keeps what it held.
  void btnMSqrGcodeGen_Click();
  // "Load": the program box to the host.
  void btnMSqrLoad_Click();
  // "Flipped" (and "Go to Zero", wired to the same handler): shows the sketch
  // of the flipped rectangle (pictureBox5) while "Flipped" is checked, the
  // normal one (pictureBox6) otherwise.
  void chkbMSqrFlip_CheckedChanged();

 private:
  GeneratorPage layout_;
};

}  // namespace kelvora::dialog
