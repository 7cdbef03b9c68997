// Key filters of the numeric text boxes: attached to a box's key-press event,
// they swallow characters that cannot belong to a decimal number as they are typed.
#pragma once

#include "ui/text_box.h"

namespace kelvora::dialog {

// Signed numbers: digits, backspace, one "." and one "-" (anywhere in the text).
// A "." or "-" is refused when the text already holds one, unless the selection
// that the character will replace holds it. A typed "," enters a "." under the
// same rule (the event's character is changed), so a box never holds a comma
// that was typed. The copy, cut, paste and select-all shortcuts pass, so
// operators can move numbers between boxes; text that arrives that way is not
// filtered (the generators report what does not convert, a pasted "12,5" too).
// Only the digits 0 to 9 pass: the number reader reads no other digits.
void keypressValidation(ui::TextBox& box, ui::KeyPressEvent& e);

// Unsigned numbers: as above, but "-" is always refused.
void keypressValidation2(ui::TextBox& box, ui::KeyPressEvent& e);

// Attaches a filter to a box's key-press event.
void AttachSignedFilter(ui::TextBox& box);
void AttachUnsignedFilter(ui::TextBox& box);

}  // namespace kelvora::dialog
