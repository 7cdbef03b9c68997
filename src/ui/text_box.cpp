#include "ui/text_box.h"

#include "text/utf8.h"

#include <algorithm>

namespace kelvora::ui {

std::string EncodeUtf8(char32_t c) {
  std::string out;
  text::AppendUtf8(c, out);
  return out;
}

std::size_t Utf8Offset(std::string_view text, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < index && pos < text.size(); ++k) text::NextUtf8Lenient(text, pos);
  return pos;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < text.size()) {
    text::NextUtf8Lenient(text, pos);
    ++n;
  }
  return n;
}

TextBox::TextBox(std::string name, std::string text)
    : Control(ControlKind::kTextBox, std::move(name), std::move(text)) {}

void TextBox::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  Notify(Change::kStyle);
}

void TextBox::SetMultiline(bool multiline) {
  multiline_ = multiline;
  Notify(Change::kStyle);
}

std::size_t TextBox::Length() const {
  return Utf8Length(text_);
}

void TextBox::SetText(std::string text) {
  const bool changed = text != text_;
  text_ = std::move(text);
  selStart_ = 0;
  selLength_ = 0;
  if (!changed) return;
  Notify(Change::kText);
  if (onTextChanged) onTextChanged(*this);
}

void TextBox::Select(std::size_t start, std::size_t length) {
  const std::size_t n = Length();
  selStart_ = std::min(start, n);
  selLength_ = std::min(length, n - selStart_);
}

std::string TextBox::SelectedText() const {
  const std::size_t from = Utf8Offset(text_, selStart_);
  const std::size_t to = Utf8Offset(text_, selStart_ + selLength_);
  return text_.substr(from, to - from);
}

void TextBox::ReplaceRange(std::size_t start, std::size_t length, std::string_view text) {
  const std::size_t from = Utf8Offset(text_, start);
  const std::size_t to = Utf8Offset(text_, start + length);
  text_.replace(from, to - from, text);
  selStart_ = start + Utf8Length(text);
  selLength_ = 0;
  if (length == 0 && text.empty()) return;
  Notify(Change::kText);
  if (onTextChanged) onTextChanged(*this);
}

void TextBox::ReplaceSelection(std::string_view text) {
  ReplaceRange(selStart_, selLength_, text);
}

bool TextBox::TypeChar(char32_t c) {
  KeyPressEvent e{c};
  if (onKeyPress) onKeyPress(*this, e);
  if (e.handled) return false;
  c = e.keyChar;
  if (!Enabled()) return true;
  if (c == kKeySelectAll) {
    SelectAll();
    return true;
  }
  if (c == kKeyCopy) {
    if (clipboard_ && selLength_ > 0) clipboard_->SetText(SelectedText());
    return true;
  }
  if (readOnly_) return true;
  if (c == kKeyBackspace) {
    if (selLength_ > 0) {
      ReplaceSelection("");
    } else if (selStart_ > 0) {
      ReplaceRange(selStart_ - 1, 1, "");
    }
  } else if (c == kKeyCut) {
    if (clipboard_ && selLength_ > 0) {
      clipboard_->SetText(SelectedText());
      ReplaceSelection("");
    }
  } else if (c == kKeyPaste) {
    if (clipboard_) ReplaceSelection(clipboard_->GetText());
  } else if (c >= 0x20 && c != 0x7F) {
    ReplaceSelection(EncodeUtf8(c));
  }
  return true;
}

std::size_t TextBox::Type(std::string_view utf8) {
  std::size_t passed = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    if (TypeChar(text::NextUtf8Lenient(utf8, pos))) ++passed;
  }
  return passed;
}

}  // namespace kelvora::ui
