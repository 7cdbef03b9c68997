#include "dialog/surface_any_page.h"

namespace kelvora::dialog {

SurfaceAnyPage::SurfaceAnyPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
