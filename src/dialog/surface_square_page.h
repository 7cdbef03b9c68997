// Surface milling of a rectangle (tabPage10): rows back and forth along X,
// layer by layer down to the depth.
#pragma once

#include "dialog/program_page.h"

namespace kelvora::dialog {

class SurfaceSquarePage : public ProgramPage {
 public:
  SurfaceSquarePage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override;

  // "Preview": the milling lines of one layer into pxbMSqr.
  void btnMSqrPreview_Click();
  // "GCode Gen " and "Load" (see ProgramPage).
  void btnMSqrGcodeGen_Click() { GenerateProgram(); }
  void btnMSqrLoad_Click() { LoadProgramBox(); }
  // "Flipped" (and "Go to Zero", wired to the same handler): shows the sketch
  // of the flipped rectangle (pictureBox5) while "Flipped" is checked, the
  // normal one (pictureBox6) otherwise.
  void chkbMSqrFlip_CheckedChanged();
};

}  // namespace kelvora::dialog
