#include "dialog/surface_square_page.h"

namespace kelvora::dialog {

SurfaceSquarePage::SurfaceSquarePage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
