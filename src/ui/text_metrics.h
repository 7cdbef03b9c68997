// An estimate of how wide a caption is drawn, so layouts and their tests can tell
// whether a caption fits its control without a font engine.
//
// The estimate follows the advance widths of "Microsoft Sans Serif", in shares of
// the font's pixel size (points x 96 / 72):
//   0.28  i j l I ! | . , : ; ' and the space
//   0.36  f t r ( ) - /
//   0.85  m w M W @ %
//   0.68  the other capital letters
//   0.56  digits and the other lower-case letters and signs
//   0.62  letters outside ASCII (Vietnamese letters with their marks, Thai)
//   0     combining marks (U+0300 to U+036F) and Thai vowel and tone marks
//         written above or below a letter
// plus 0.06 per character for a bold font, rounded up to whole pixels. The
// shares are at or a little above the font's own, so a caption that fits by
// the estimate fits on the screen.
#pragma once

#include <string_view>

#include "ui/control.h"

namespace kelvora::ui {

int EstimateTextWidth(std::string_view utf8, const Font& font);
// The line height of a font in pixels (its pixel size plus a quarter).
int EstimateTextHeight(const Font& font);

// The room a control leaves for its caption: a label its whole width, a button
// its width less 8 pixels of border, a check box its width less the 18-pixel box,
// a group box its width less 16 pixels of frame. Other kinds: no caption to fit.
int CaptionRoom(const Control& control);
// True when the control has no caption to fit or its caption fits its room.
bool CaptionFits(const Control& control);

}  // namespace kelvora::ui
