#include "platform/win32/native_paint.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>

#include "platform/win32/wide_text.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::win32 {

GdiplusPictures& Pictures() {
  static GdiplusPictures* pictures = new GdiplusPictures;
  return *pictures;
}

namespace {

std::size_t renders = 0;

// A 64-bit FNV-1a over the bytes of a value.
template <class T>
void Mix(std::uint64_t& h, const T& value) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    h = (h ^ bytes[i]) * 1099511628211ull;
  }
}

void MixPen(std::uint64_t& h, const geometry::Pen& pen) {
  Mix(h, pen.color.r);
  Mix(h, pen.color.g);
  Mix(h, pen.color.b);
  Mix(h, pen.dashed);
  Mix(h, pen.width);
}

// What a panel's picture shows, as one number: the size, the background and
// every primitive with its pen and text.
std::uint64_t ContentOf(const geometry::Picture& picture) {
  std::uint64_t h = 14695981039346656037ull;
  Mix(h, picture.width);
  Mix(h, picture.height);
  Mix(h, picture.background.r);
  Mix(h, picture.background.g);
  Mix(h, picture.background.b);
  for (const geometry::Primitive& item : picture.items) {
    Mix(h, item.index());
    std::visit(
        [&h](const auto& p) {
          using T = std::decay_t<decltype(p)>;
          if constexpr (std::is_same_v<T, geometry::TextPrim>) {
            for (char c : p.Text()) Mix(h, c);
            Mix(h, p.TextFont().points);
            Mix(h, p.TextFont().bold);
            for (char c : p.TextFont().family) Mix(h, c);
            Mix(h, p.Brush().r);
            Mix(h, p.Brush().g);
            Mix(h, p.Brush().b);
            Mix(h, p.x);
            Mix(h, p.y);
          } else if constexpr (std::is_same_v<T, geometry::LinePrim>) {
            MixPen(h, p.pen);
            for (int v : {p.x1, p.y1, p.x2, p.y2}) Mix(h, v);
          } else {
            MixPen(h, p.pen);
            for (int v : {p.x, p.y, p.width, p.height}) Mix(h, v);
            if constexpr (std::is_same_v<T, geometry::ArcPrim>) {
              Mix(h, p.startAngle);
              Mix(h, p.sweepAngle);
            }
            if constexpr (std::is_same_v<T, geometry::RectPrim>) Mix(h, p.filled);
          }
        },
        item);
  }
  return h;
}

}  // namespace

std::size_t FormPainter::RenderCount() {
  return renders;
}

FormPainter::~FormPainter() {
  for (auto& [handle, kept] : kept_) {
    if (kept.bitmap) DeleteObject(kept.bitmap);
  }
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

void FormPainter::PictureChanged(HWND handle) {
  if (auto found = kept_.find(handle); found != kept_.end()) found->second.stale = true;
}

void FormPainter::Render(HWND handle, HDC dc, const RECT& client, KeptDrawing& kept) {
  const int width = std::max(1, static_cast<int>(client.right));
  const int height = std::max(1, static_cast<int>(client.bottom));
  if (kept.bitmap && (kept.width != width || kept.height != height)) {
    DeleteObject(kept.bitmap);
    kept.bitmap = nullptr;
  }
  if (!kept.bitmap) kept.bitmap = CreateCompatibleBitmap(dc, width, height);
  kept.width = width;
  kept.height = height;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, kept.bitmap);
  const ui::Control* control = site_.ControlOf(handle);
  FillRect(memory, &client, Brush(control ? BackgroundOf(*control) : GetSysColor(COLOR_WINDOW)));
  if (control && control->Kind() == ui::ControlKind::kPictureBox) {
    const auto& box = static_cast<const ui::PictureBox&>(*control);
    if (const geometry::Picture* shown = box.Shown()) {
      // The preview at its own size; the start drawing zoomed to the box.
      Pictures().Draw(memory, *shown, client, /*zoom=*/!box.Image().has_value());
    }
    RECT edge = client;
    if (box.Border()) DrawEdge(memory, &edge, EDGE_SUNKEN, BF_RECT);
  } else if (control && control->Kind() == ui::ControlKind::kPanel) {
    const geometry::Picture picture = static_cast<const ui::Panel&>(*control).Paint();
    kept.content = ContentOf(picture);
    Pictures().Draw(memory, picture, client);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  kept.stale = false;
  ++renders;
}

void FormPainter::PaintPicture(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  RECT client;
  GetClientRect(handle, &client);
  KeptDrawing& kept = kept_[handle];
  bool fresh = !kept.stale && kept.bitmap && kept.width == std::max(1L, client.right) &&
               kept.height == std::max(1L, client.bottom);
  // A panel's picture is asked for anew: its drawing is kept while it shows the
  // same (captions in another language are another picture).
  const ui::Control* control = site_.ControlOf(handle);
  if (fresh && control && control->Kind() == ui::ControlKind::kPanel) {
    fresh = ContentOf(static_cast<const ui::Panel&>(*control).Paint()) == kept.content;
  }
  if (!fresh) Render(handle, dc, client, kept);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, kept.bitmap);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
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
