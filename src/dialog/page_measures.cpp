#include "dialog/page_measures.h"

#include <algorithm>

#include "ui/layout.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {

using namespace measures;

int ButtonWidth(const ui::Button& button) {
  return std::max(kMinButtonWidth, ui::EstimateTextWidth(button.Text(), button.GetFont()) + 16);
}

int ButtonsHeight(const std::vector<ui::Button*>& buttons, int width) {
  ui::FlowLayout probe({0, 0, width, 0}, kButtonHeight, kGap);
  for (const ui::Button* b : buttons) probe.Next(ButtonWidth(*b));
  return buttons.empty() ? 0 : probe.Bottom();
}

void FlowButtons(const std::vector<ui::Button*>& buttons, const ui::Bounds& area) {
  ui::FlowLayout flow(area, kButtonHeight, kGap);
  for (ui::Button* b : buttons) b->SetBounds(flow.Next(ButtonWidth(*b)));
}

}  // namespace kelvora::dialog
