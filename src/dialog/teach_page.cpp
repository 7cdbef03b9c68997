#include "dialog/teach_page.h"

namespace kelvora::dialog {

TeachPage::TeachPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
