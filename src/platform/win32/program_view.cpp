#include "platform/win32/program_view.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"

namespace kelvora::win32 {

namespace {

// A multi-line box with more lines than this shows its text in the program view:
// the edit control needs about a second for twenty thousand lines under Wine and
// grows worse than linearly, and programs run to millions of lines.
constexpr std::size_t kLargeTextLines = 20000;

// The scroll bar moves that the view's keys make.
struct KeyScroll {
  WPARAM key;
  int request;
};
constexpr KeyScroll kKeyScrolls[] = {
    {VK_UP, SB_LINEUP},     {VK_DOWN, SB_LINEDOWN}, {VK_PRIOR, SB_PAGEUP},
    {VK_NEXT, SB_PAGEDOWN}, {VK_HOME, SB_TOP},      {VK_END, SB_BOTTOM},
};

// The request the mouse wheel scrolls by `amount` lines with.
constexpr int kWheelRequest = -1;

}  // namespace

HWND ProgramViews::ActiveView(const ui::Control& control) const {
  auto view = views_.find(&control);
  return view != views_.end() && view->second.active ? view->second.window : nullptr;
}

void ProgramViews::ShowText(ui::TextBox& box) {
  HWND edit = site_.Handle(box);
  if (!edit) return;
  const std::string& text = box.Text();
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  View& view = views_[&box];
  if (lines <= kLargeTextLines) {
    if (view.active) {
      view.active = false;
      view.lineStarts = {};
      ShowWindow(view.window, SW_HIDE);
    }
    if (WindowText(edit) != NativeText(box)) SetWindowTextW(edit, NativeText(box).c_str());
    site_.SyncVisible(box);
    return;
  }
  SetWindowTextW(edit, L"");  // the edit control does not hold it twice
  if (!view.window) {
    const ui::Bounds b = ui::BoundsIn(box, form_);
    view.window = CreateWindowExW(WS_EX_CLIENTEDGE, kProgramViewClass, L"",
                                  WS_CHILD | WS_VSCROLL | WS_HSCROLL, b.x, b.y, b.width, b.height,
                                  site_.Window(), nullptr, ThisModule(), nullptr);
    if (!view.window) {
      site_.Fail("the program view of " + box.Name() + " could not be created");
      return;
    }
    SetWindowLongPtrW(view.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(view.window, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    boxes_[view.window] = &box;
  }
  view.active = true;
  view.lineStarts.clear();
  view.lineStarts.reserve(lines + 1);
  view.lineStarts.push_back(0);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    view.lineStarts.push_back(at + 1);
  }
  HDC dc = GetDC(view.window);
  HGDIOBJ old = SelectObject(dc, painter_.FontFor(box));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  view.lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
  SelectObject(dc, old);
  ReleaseDC(view.window, dc);
  UpdateScrolling(view, /*toTop=*/true);
  site_.SyncVisible(box);
  InvalidateRect(view.window, nullptr, TRUE);
}

// Lines are the vertical scroll unit; the horizontal range is a fixed width
// that holds the longest program lines.
void ProgramViews::UpdateScrolling(View& view, bool toTop) {
  RECT client;
  GetClientRect(view.window, &client);
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | (toTop ? SIF_POS : 0);
  info.nMin = 0;
  info.nMax = static_cast<int>(view.lineStarts.size()) - 1;
  info.nPage = static_cast<UINT>(std::max(1L, client.bottom / view.lineHeight));
  info.nPos = 0;
  SetScrollInfo(view.window, SB_VERT, &info, TRUE);
  info.nMax = 2000;
  info.nPage = static_cast<UINT>(std::max(1L, client.right));
  SetScrollInfo(view.window, SB_HORZ, &info, TRUE);
}

void ProgramViews::Paint(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  RECT client;
  GetClientRect(handle, &client);
  FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
  auto box = boxes_.find(handle);
  if (box != boxes_.end()) {
    const View& view = views_[box->second];
    const std::string& text = box->second->Text();
    const int top = GetScrollPos(handle, SB_VERT);
    const int left = GetScrollPos(handle, SB_HORZ);
    HGDIOBJ old = SelectObject(dc, painter_.FontFor(*box->second));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const std::size_t count = view.lineStarts.size();
    for (int row = 0; row * view.lineHeight < client.bottom; ++row) {
      const std::size_t line = static_cast<std::size_t>(top) + static_cast<std::size_t>(row);
      if (line >= count) break;
      const std::size_t begin = view.lineStarts[line];
      std::size_t end = line + 1 < count ? view.lineStarts[line + 1] : text.size();
      while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
      const std::wstring shown = WideFromUtf8(std::string_view(text).substr(begin, end - begin));
      TextOutW(dc, 2 - left, row * view.lineHeight, shown.c_str(), static_cast<int>(shown.size()));
    }
    SelectObject(dc, old);
  }
  EndPaint(handle, &paint);
}

void ProgramViews::Scroll(HWND handle, int bar, int request, int amount) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(handle, bar, &info);
  const int page = static_cast<int>(info.nPage);
  const int step = bar == SB_VERT ? 1 : 20;
  int position = info.nPos;
  switch (request) {
    case SB_LINEUP:
      position -= step;
      break;
    case SB_LINEDOWN:
      position += step;
      break;
    case SB_PAGEUP:
      position -= page;
      break;
    case SB_PAGEDOWN:
      position += page;
      break;
    case SB_TOP:
      position = info.nMin;
      break;
    case SB_BOTTOM:
      position = info.nMax;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = info.nTrackPos;
      break;
    case kWheelRequest:
      position += amount;
      break;
    default:
      return;
  }
  position = std::clamp(position, info.nMin, std::max(info.nMin, info.nMax - page + 1));
  if (position == info.nPos) return;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(handle, bar, &info, TRUE);
  InvalidateRect(handle, nullptr, FALSE);
}

bool ProgramViews::OnKey(HWND handle, WPARAM key) {
  for (const KeyScroll& scroll : kKeyScrolls) {
    if (scroll.key == key) {
      Scroll(handle, SB_VERT, scroll.request, 0);
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK ProgramViews::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ProgramViews*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_PAINT:
        self->Paint(window);
        return 0;
      case WM_VSCROLL:
        self->Scroll(window, SB_VERT, LOWORD(wParam), 0);
        return 0;
      case WM_HSCROLL:
        self->Scroll(window, SB_HORZ, LOWORD(wParam), 0);
        return 0;
      case WM_MOUSEWHEEL:
        self->Scroll(window, SB_VERT, kWheelRequest,
                     -3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
      case WM_SIZE:
        if (auto box = self->boxes_.find(window); box != self->boxes_.end()) {
          self->UpdateScrolling(self->views_[box->second], /*toTop=*/false);
        }
        return 0;
      case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
      case WM_KEYDOWN:
        if (self->OnKey(window, wParam)) return 0;
        break;
      default:
        break;
    }
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kelvora::win32
