// Draws a form and every visible control on it as an SVG document, each control
// as what it is: frames, captions, texts, check marks, drop-downs, grids with
// their rows, tab strips and picture contents.
#pragma once

#include <string>

#include "ui/form.h"

namespace kelvora::dialogshot {

std::string FormToSvg(const ui::Form& form);

}  // namespace kelvora::dialogshot
