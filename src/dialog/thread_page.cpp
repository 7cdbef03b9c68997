#include "dialog/thread_page.h"

namespace kelvora::dialog {

ThreadPage::ThreadPage(XYZDemoDialog& dlg, ui::TabPage& page) : DialogPage(dlg, page) {}

}  // namespace kelvora::dialog
