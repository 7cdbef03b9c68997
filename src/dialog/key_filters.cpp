#include "dialog/key_filters.h"

#include <string>

namespace kelvora::dialog {
namespace {

bool IsClipboardShortcut(char32_t c) {
  return c == ui::kKeySelectAll || c == ui::kKeyCopy || c == ui::kKeyCut || c == ui::kKeyPaste;
}

// "." and "-" may appear once: typing one is allowed when the text has none, or
// when the selection it replaces holds the one there is.
bool MayTypeOnce(const ui::TextBox& box, char c) {
  return box.Text().find(c) == std::string::npos || box.SelectedText().find(c) != std::string::npos;
}

bool Passes(const ui::TextBox& box, char32_t c, bool signedNumber) {
  if (c >= '0' && c <= '9') return true;
  if (c == ui::kKeyBackspace || IsClipboardShortcut(c)) return true;
  if (c == '.') return MayTypeOnce(box, '.');
  if (c == '-' && signedNumber) return MayTypeOnce(box, '-');
  return false;
}

// A "," typed by an operator used to the decimal comma enters the "." the
// number readers take; from there it passes or not as a typed "." does.
void Filter(ui::TextBox& box, ui::KeyPressEvent& e, bool signedNumber) {
  if (e.keyChar == ',') e.keyChar = '.';
  if (!Passes(box, e.keyChar, signedNumber)) e.handled = true;
}

}  // namespace

void keypressValidation(ui::TextBox& box, ui::KeyPressEvent& e) {
  Filter(box, e, true);
}

void keypressValidation2(ui::TextBox& box, ui::KeyPressEvent& e) {
  Filter(box, e, false);
}

void AttachSignedFilter(ui::TextBox& box) {
  box.onKeyPress = keypressValidation;
}

void AttachUnsignedFilter(ui::TextBox& box) {
  box.onKeyPress = keypressValidation2;
}

}  // namespace kelvora::dialog
