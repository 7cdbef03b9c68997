#include "dialog/pnp_rcp_page.h"

namespace kelvora::dialog {

PnpRcpPage::PnpRcpPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
