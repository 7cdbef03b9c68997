#include "dialog/grid_page.h"

namespace kelvora::dialog {

GridPage::GridPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
