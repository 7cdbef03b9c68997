#include "dialog/surface_round_page.h"

#include "dialog/sketches.h"

namespace kelvora::dialog {

SurfaceRoundPage::SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), layout_(dlg, page) {
  layout_.Sketch("pictureBox7", RoundSurfaceSketch(300, 300));
  layout_.Preview("pxb", PreviewStartDrawing(451, 397));
  layout_.ProgramBox("txtMRound");
}

}  // namespace kelvora::dialog
