// The measures the dialog's pages are laid out with, and the rows of buttons
// they place below their lists and program boxes.
#pragma once

#include <vector>

#include "ui/control.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

namespace measures {

inline constexpr int kMargin = 6;  // around a page's content
inline constexpr int kGap = 8;     // between columns, rows and buttons
inline constexpr int kRowHeight = 28;
inline constexpr int kBoxHeight = 22;     // a single-line text box or check box
inline constexpr int kButtonHeight = 30;  // also the height of a row of buttons
inline constexpr int kLabelGap = 4;       // between a caption and its box
inline constexpr int kMinButtonWidth = 84;

}  // namespace measures

// A button's width: its caption's, with room around it, and no narrower than
// the narrowest button.
int ButtonWidth(const ui::Button& button);
// The height the buttons take when they flow left to right across `width`,
// onto more rows where needed (0 for none).
int ButtonsHeight(const std::vector<ui::Button*>& buttons, int width);
// Places the buttons so, from the top left of `area`.
void FlowButtons(const std::vector<ui::Button*>& buttons, const ui::Bounds& area);

}  // namespace kelvora::dialog
