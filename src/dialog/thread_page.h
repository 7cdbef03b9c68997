// Thread generation on the rotary axis (tabPage17): the program of an external
// thread cut in equal passes, and a side view of the thread in a panel.
#pragma once

#include "dialog/program_page.h"
#include "generators/inputs.h"
#include "geometry/picture.h"

namespace kelvora::dialog {

class ThreadPage : public ProgramPage {
 public:
  ThreadPage(XYZDemoDialog& dlg, ui::TabPage& page);

  // "Gen/Ok": the program into txtThreadGcode and the close-file request, and
  // the values the side view shows; the panel is repainted. A number that does
  // not convert gives "Parameters error" with its name, and nothing changes.
  void btnGenerate_Click();
  // "Load" (see ProgramPage).
  void btnThreadLoad_Click() { LoadProgramBox(); }
  // "Depth Std/ Sâu tiêu chuẩn:": the typed depth is used only while it is off.
  void chkAutoDepth_CheckedChanged();
  // The side view for the panel's size, from the values of the last "Gen/Ok"
  // (blank before the first).
  geometry::Picture panelPreview_Paint(int width, int height) const;

  // What the side view shows: the values of the last generation, 0 before it.
  double previewPitch = 0;
  double previewLength = 0;
  double previewMajorDia = 0;
  double previewDepth = 0;

 private:
  // The tab's boxes by the thread inputs' names (its inputs are not stored).
  generators::TextLookup Inputs();
};

}  // namespace kelvora::dialog
