#include "dialog/pnp_teach_page.h"

namespace kelvora::dialog {

PnpTeachPage::PnpTeachPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
