#include "host_window.h"

namespace kelvora::testhost {

namespace {

constexpr wchar_t kWindowClass[] = L"KelvoraTestHost";
constexpr wchar_t kWindowTitle[] = L"Kelvora test host";
constexpr UINT kExitCommand = 100;

bool RegisterHostClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &windowClass)) return true;
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window in Create
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExW(&windowClass) != 0;
}

HMENU BuildMenuBar(bool withPlugInMenu) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kExitCommand, L"Exit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
  if (withPlugInMenu) {
    HMENU plugIns = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugIns), L"PlugIn Control");
  }
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING | MF_GRAYED, 0, L"About");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
  return bar;
}

}  // namespace

HostWindow::~HostWindow() {
  if (window_) DestroyWindow(window_);
}

bool HostWindow::Create(const HostWindowOptions& options) {
  if (window_ || !RegisterHostClass()) return false;
  HMENU bar = BuildMenuBar(options.withPlugInMenu);
  window_ = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 40, 40, 640, 360,
                            nullptr, bar, GetModuleHandleW(nullptr), nullptr);
  if (!window_) {
    DestroyMenu(bar);
    return false;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindow::WindowProc));
  if (options.visible) {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
  }
  return true;
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(wParam) == 0) self->commands_.push_back(LOWORD(wParam));
        return 0;
      case WM_CLOSE:
        // Closing the host is the test's decision, not the window's.
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void HostWindow::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool HostWindow::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    PumpMessages();
    if (done()) break;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Sleeps until a message arrives or a little time passed.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

}  // namespace kelvora::testhost
