// The program view: a multi-line box whose text has too many lines for the
// edit control shows it in a read-only view that draws only its visible lines
// (the text stays in the model, where Load and the settings read it).
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "platform/win32/native_paint.h"
#include "platform/win32/native_window.h"
#include "ui/form.h"
#include "ui/text_box.h"

namespace kelvora::win32 {

class ProgramViews {
 public:
  ProgramViews(ui::Form& form, FormSite& site, FormPainter& painter)
      : form_(form), site_(site), painter_(painter) {}

  // The window procedure of the views, whose user data is their ProgramViews.
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Shows a multi-line box's text: in its edit control, or, when it has too
  // many lines for it, in the box's view.
  void ShowText(ui::TextBox& box);
  // The view that shows `control` in place of its edit control, or null.
  HWND ActiveView(const ui::Control& control) const;

 private:
  struct View {
    HWND window = nullptr;
    bool active = false;
    std::vector<std::size_t> lineStarts;  // byte offsets into the model's text
    int lineHeight = 16;
  };

  void UpdateScrolling(View& view, bool toTop);
  void Paint(HWND handle);
  void Scroll(HWND handle, int bar, int request, int amount);
  bool OnKey(HWND handle, WPARAM key);

  ui::Form& form_;
  FormSite& site_;
  FormPainter& painter_;
  std::unordered_map<const ui::Control*, View> views_;
  std::unordered_map<HWND, ui::TextBox*> boxes_;
};

}  // namespace kelvora::win32
