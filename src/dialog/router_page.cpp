#include "dialog/router_page.h"

#include "ui/layout.h"

namespace kelvora::dialog {

RouterPage::RouterPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), tabControl4(page.Add<ui::TabControl>("tabControl4")) {
  tabControl4.SetAlignment(ui::TabAlignment::kBottom);
  tabControl4.AddPage("tabPage13", "Horizontal");
  tabControl4.AddPage("tabPage14", "Vertical");
  tabControl4.AddPage("tabPage15", "DXF");
  tabControl4.AddPage("tabPage16", "Gen");
}

void RouterPage::Arrange() {
  // Left column: the sub-tabs (above the list buttons and machining inputs,
  // still to come); the right column will hold the preview and program.
  const ui::Bounds area = ui::Inset(page_.ClientArea(), 6);
  const auto cols = ui::SplitColumns(area, {{0, 1}, {0, 1}}, 8);
  const auto left = ui::SplitRows(cols[0], {{0, 1}, {0, 1}}, 8);
  tabControl4.SetBounds(left[0]);
}

}  // namespace kelvora::dialog
