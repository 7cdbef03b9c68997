// The dialog's prompts as the platform's own boxes: message boxes, Yes/No
// boxes, the common open and save dialogs, and modal forms run by the native
// back-end.
#pragma once

#include "ui/prompts.h"

namespace kelvora::win32 {

class NativePrompts : public ui::Prompts {
 public:
  // The window the boxes belong to (an HWND), or null; may be set later.
  explicit NativePrompts(void* owner = nullptr) : owner_(owner) {}
  void SetOwner(void* owner) { owner_ = owner; }

  void Message(std::string_view text, std::string_view caption = {}) override;
  bool YesNo(std::string_view text, std::string_view caption) override;
  std::optional<std::string> OpenFile(std::string_view filter) override;
  std::optional<std::string> SaveFile(std::string_view filter) override;
  ui::DialogResult ShowModal(ui::Form& form) override;

 private:
  void* owner_;
};

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" as the common dialogs take it:
// description and pattern pairs, each ended by a NUL, the list by a second NUL.
std::wstring CommonDialogFilter(std::string_view filter);

}  // namespace kelvora::win32
