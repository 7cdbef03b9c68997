#include "platform/win32/native_paint.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/wide_text.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::win32 {

GdiplusPictures& Pictures() {
  static GdiplusPictures* pictures = new GdiplusPictures;
  return *pictures;
}

FormPainter::~FormPainter() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
}

HFONT FormPainter::FontFor(const ui::Control& control) {
  const geometry::Font& font = control.GetFont();
  const auto key = std::make_tuple(font.family, font.points, font.bold);
  if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
  HFONT handle =
      CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_SWISS, WideFromUtf8(font.family).c_str());
  fonts_[key] = handle;
  return handle;
}

HBRUSH FormPainter::Brush(COLORREF color) {
  if (auto found = brushes_.find(color); found != brushes_.end()) return found->second;
  HBRUSH brush = CreateSolidBrush(color);
  brushes_[color] = brush;
  return brush;
}

COLORREF FormPainter::BackgroundOf(const ui::Control& control) const {
  for (const ui::Control* c = &control; c; c = c->Parent()) {
    if (c->BackColor()) return ColorOf(*c->BackColor());
    if (c->Kind() == ui::ControlKind::kTabPage) return GetSysColor(COLOR_WINDOW);
  }
  return GetSysColor(COLOR_GRADIENTINACTIVECAPTION);
}

LRESULT FormPainter::OnColor(HDC dc, HWND handle) {
  const ui::Control* found = site_.ControlOf(handle);
  const ui::Control* control = found ? found : &form_;
  const COLORREF back =
      control->Kind() == ui::ControlKind::kTextBox
          ? (static_cast<const ui::TextBox*>(control)->ReadOnly() ? GetSysColor(COLOR_BTNFACE)
                                                                  : GetSysColor(COLOR_WINDOW))
          : BackgroundOf(*control);
  const COLORREF fore =
      control->ForeColor() ? ColorOf(*control->ForeColor()) : GetSysColor(COLOR_WINDOWTEXT);
  SetTextColor(dc, fore);
  SetBkColor(dc, control->BackColor() ? ColorOf(*control->BackColor()) : back);
  return reinterpret_cast<LRESULT>(
      Brush(control->BackColor() ? ColorOf(*control->BackColor()) : back));
}

void FormPainter::DrawButton(const DRAWITEMSTRUCT& item) {
  const ui::Control* found = site_.ControlOf(item.hwndItem);
  if (!found) return;
  const ui::Control& button = *found;
  RECT r = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const COLORREF face =
      button.BackColor() ? ColorOf(*button.BackColor()) : GetSysColor(COLOR_BTNFACE);
  FillRect(item.hDC, &r, Brush(face));
  DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                         : button.ForeColor()            ? ColorOf(*button.ForeColor())
                                                         : GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(item.hDC, FontFor(button));
  RECT text = r;
  if (pressed) OffsetRect(&text, 1, 1);
  DrawTextW(item.hDC, WideFromUtf8(button.Text()).c_str(), -1, &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(item.hDC, old);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(item.hDC, &r);
  }
}

void FormPainter::EraseForm(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, Brush(BackgroundOf(form_)));
}

void FormPainter::PaintPicture(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  RECT client;
  GetClientRect(handle, &client);
  // Drawn off-screen first, so a repaint does not flicker.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  HGDIOBJ old = SelectObject(memory, bitmap);
  const ui::Control* control = site_.ControlOf(handle);
  FillRect(memory, &client, Brush(control ? BackgroundOf(*control) : GetSysColor(COLOR_WINDOW)));
  if (control && control->Kind() == ui::ControlKind::kPictureBox) {
    const auto& box = static_cast<const ui::PictureBox&>(*control);
    if (const geometry::Picture* shown = box.Shown()) {
      // The preview at its own size; the start drawing zoomed to the box.
      Pictures().Draw(memory, *shown, client, /*zoom=*/!box.Image().has_value());
    }
    if (box.Border()) DrawEdge(memory, &client, EDGE_SUNKEN, BF_RECT);
  } else if (control && control->Kind() == ui::ControlKind::kPanel) {
    Pictures().Draw(memory, static_cast<const ui::Panel&>(*control).Paint(), client);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(handle, &paint);
}

LRESULT CALLBACK FormPainter::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FormPainter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == WM_PAINT) {
    self->PaintPicture(window);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

void FormPainter::SubclassGroupBox(HWND window) {
  Subclass<FormPainter, &FormPainter::GroupMessage>(window, this);
}

// A group box draws its frame and caption only: its inside is filled here
// first (the controls it frames are siblings above it, clipped out).
LRESULT FormPainter::GroupMessage(HWND window, UINT message, WPARAM&, LPARAM, bool& handled) {
  if (message != WM_PAINT && message != WM_ERASEBKGND) return 0;
  if (const ui::Control* control = site_.ControlOf(window)) {
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    FillRect(dc, &client, Brush(BackgroundOf(*control)));
    ReleaseDC(window, dc);
  }
  handled = message == WM_ERASEBKGND;
  return 1;
}

}  // namespace kelvora::win32
