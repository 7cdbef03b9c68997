#include "ui/text_box.h"

#include "text/encodings.h"

#include <algorithm>

namespace kelvora::ui {
namespace {

bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// Decodes one character at `pos` (advancing it); malformed bytes come out one by one.
char32_t DecodeOne(std::string_view s, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  std::size_t extra = 0;
  char32_t c = b0;
  if (b0 >= 0xF0 && b0 < 0xF8) {
    extra = 3;
    c = b0 & 0x07;
  } else if (b0 >= 0xE0) {
    extra = 2;
    c = b0 & 0x0F;
  } else if (b0 >= 0xC0) {
    extra = 1;
    c = b0 & 0x1F;
  }
  if (b0 >= 0xF8 || pos + extra >= s.size()) {
    ++pos;
    return b0;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[pos + k]);
    if (!IsContinuation(b)) {
      ++pos;
      return b0;
    }
    c = (c << 6) | (b & 0x3F);
  }
  pos += extra + 1;
  return c;
}

}  // namespace

std::string EncodeUtf8(char32_t c) {
  std::string out;
  text::AppendUtf8(c, out);
  return out;
}

std::size_t Utf8Offset(std::string_view text, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < index && pos < text.size(); ++k) DecodeOne(text, pos);
  return pos;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < text.size()) {
    DecodeOne(text, pos);
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
    if (TypeChar(DecodeOne(utf8, pos))) ++passed;
  }
  return passed;
}

}  // namespace kelvora::ui
