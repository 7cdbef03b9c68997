#include "dialog/point_list_page.h"

namespace kelvora::dialog {

PointListPage::PointListPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
