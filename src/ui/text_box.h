// A text box as the dialog sees it: its text, the selection, and the key-press
// event through which a key filter can refuse a typed character. A back-end
// mirrors the model into a native control and feeds typed characters back in.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/control.h"

namespace kelvora::ui {

// Character codes of keys that reach a text box as characters.
inline constexpr char32_t kKeySelectAll = 1;  // Ctrl+A
inline constexpr char32_t kKeyCopy = 3;       // Ctrl+C
inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyPaste = 22;  // Ctrl+V
inline constexpr char32_t kKeyCut = 24;    // Ctrl+X

// What a key-press handler sees. Setting `handled` swallows the character; changing
// `keyChar` enters another character in its place.
struct KeyPressEvent {
  char32_t keyChar;
  bool handled = false;
};

// Where copied and cut text goes. The dialog owns one; headless tests use it as is,
// a back-end replaces it with the system clipboard.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual std::string GetText() const { return text_; }
  virtual void SetText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

class TextBox : public Control {
 public:
  explicit TextBox(std::string name = {}, std::string text = {});

  // The text, UTF-8. Setting it (from settings, a generator, a back-end) raises
  // no key press, so no filter sees it; the caret goes to the start.
  void SetText(std::string text) override;

  // Selection in characters (not bytes). Select() clamps to the text.
  std::size_t SelectionStart() const { return selStart_; }
  std::size_t SelectionLength() const { return selLength_; }
  void Select(std::size_t start, std::size_t length);
  void SelectAll() { Select(0, Length()); }
  std::string SelectedText() const;
  std::size_t Length() const;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Several lines, with both scroll bars (the program boxes, special operations).
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool multiline);

  // Replaces the selection with `text` (the caret after it), as pasting does.
  void ReplaceSelection(std::string_view text);

  // Types one character: raises the key-press event first; unless a handler
  // swallowed it, the box acts on it: backspace deletes the selection or the
  // character before the caret, Ctrl+A selects all, Ctrl+C/X/V copy, cut and paste
  // through the clipboard (when one is set), other control characters do nothing,
  // and any other character replaces the selection. Returns false when swallowed.
  // A read-only or disabled box raises the event but changes nothing.
  bool TypeChar(char32_t c);
  // Types every character of a UTF-8 text in turn; returns how many got through.
  std::size_t Type(std::string_view utf8);

  void SetClipboard(Clipboard* clipboard) { clipboard_ = clipboard; }

  // Raised for every typed character, before the box acts on it.
  std::function<void(TextBox&, KeyPressEvent&)> onKeyPress;
  // Raised after the text changed, however it changed.
  std::function<void(TextBox&)> onTextChanged;

 private:
  void ReplaceRange(std::size_t start, std::size_t length, std::string_view text);

  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
  bool readOnly_ = false;
  bool multiline_ = false;
  Clipboard* clipboard_ = nullptr;
};

// UTF-8 helpers the models share.
std::string EncodeUtf8(char32_t c);
// Byte offset of character `index` (the end of the text when beyond it).
std::size_t Utf8Offset(std::string_view text, std::size_t index);
std::size_t Utf8Length(std::string_view text);

}  // namespace kelvora::ui
