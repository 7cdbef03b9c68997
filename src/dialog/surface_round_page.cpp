#include "dialog/surface_round_page.h"

#include "dialog/sketches.h"

namespace kelvora::dialog {

SurfaceRoundPage::SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page) : ProgramPage(dlg, page) {
  layout_.Sketch("pictureBox7", RoundSurfaceSketch(300, 300));
  Preview("pxb");
  ProgramBox("txtMRound");
}

}  // namespace kelvora::dialog
