// Grid drilling (tabPage6): m holes per row, n rows, drilled in a serpentine;
// every second row may be shifted and shortened by one hole.
#pragma once

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"

namespace kelvora::dialog {

class GridPage : public DialogPage {
 public:
  GridPage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override { layout_.Arrange(); }

  // "Preview": the holes into pbxGridDrill, the marker on the first hole. A
  // pattern input that does not convert gives "Parameter error" and an empty
  // preview.
  void btnGridPreview_Click();
  // "GCode Gen ": the program into txtGridGcode and the close-file request; on a
  // refused input the message, and the box keeps what it held.
  void btnGridGcodGen_Click();
  // "Load": the program box to the host.
  void btnGridLoad_Click();

 private:
  GeneratorPage layout_;
};

}  // namespace kelvora::dialog
