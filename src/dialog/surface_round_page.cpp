#include "dialog/surface_round_page.h"

namespace kelvora::dialog {

SurfaceRoundPage::SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
