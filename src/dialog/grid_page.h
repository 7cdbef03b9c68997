// Grid drilling (tabPage6): m holes per row, n rows, drilled in a serpentine;
// every second row may be shifted and shortened by one hole.
#pragma once

#include "dialog/program_page.h"

namespace kelvora::dialog {

class GridPage : public ProgramPage {
 public:
  GridPage(XYZDemoDialog& dlg, ui::TabPage& page);

  // "Preview": the holes into pbxGridDrill, the marker on the first hole. A
  // pattern input that does not convert gives "Parameter error" and an empty
  // preview.
  void btnGridPreview_Click();
  // "GCode Gen " and "Load" (see ProgramPage).
  void btnGridGcodGen_Click() { GenerateProgram(); }
  void btnGridLoad_Click() { LoadProgramBox(); }
};

}  // namespace kelvora::dialog
