#include "host_window.h"

#include <tlhelp32.h>

#include <initializer_list>

#include "platform/win32/wide_text.h"

namespace kelvora::testhost {

namespace {

constexpr wchar_t kWindowClass[] = L"KelvoraTestHost";
constexpr wchar_t kWindowTitle[] = L"Kelvora test host";
constexpr UINT kExitCommand = 100;
constexpr int kStatusLineHeight = 24;

}  // namespace

bool HostWindow::RegisterHostClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &windowClass)) return true;
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &HostWindow::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExW(&windowClass) != 0;
}

namespace {

HMENU Popup(std::initializer_list<const wchar_t*> entries, UINT firstId) {
  HMENU menu = CreatePopupMenu();
  for (const wchar_t* entry : entries) AppendMenuW(menu, MF_STRING, firstId++, entry);
  return menu;
}

HMENU BuildMenuBar(const HostWindowOptions& options) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  if (options.fullMenuBar) AppendMenuW(file, MF_STRING, 100, L"Load G-Code");
  AppendMenuW(file, MF_STRING, kExitCommand, L"Exit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
  if (options.fullMenuBar) {
    AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup({L"Ports and Pins", L"Motor Tuning"}, 110)),
                L"Config");
    // A near miss: the plug-in compares the whole text, with case.
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({L"Other"}, 120)),
                L"Plugin Control");
  }
  if (options.withPlugInMenu) {
    HMENU plugIns = options.fullMenuBar ? Popup({L"Config Plugins"}, 130) : CreatePopupMenu();
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
  if (font_) DeleteObject(font_);
}

void HostWindow::SetStatusLine(const std::string& text) {
  if (statusLine_) SetWindowTextW(statusLine_, win32::WideFromUtf8(text).c_str());
}

std::string HostWindow::StatusLine() const {
  if (!statusLine_) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(statusLine_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(statusLine_, text.data(), static_cast<int>(text.size()))));
  return win32::Utf8FromWide(text);
}

bool HostWindow::Create(const HostWindowOptions& options) {
  if (window_ || !RegisterHostClass()) return false;
  HMENU bar = BuildMenuBar(options);
  window_ = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 40, 40, 640, 360,
                            nullptr, bar, GetModuleHandleW(nullptr), this);
  if (!window_) {
    DestroyMenu(bar);
    return false;
  }
  // The status line, in the font the host's texts use.
  statusLine_ = CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                0, 0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
  font_ = CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, L"Microsoft Sans Serif");
  if (statusLine_ && font_)
    SendMessageW(statusLine_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
  Layout();
  if (options.visible) {
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
  }
  return true;
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(wParam) == 0) self->commands_.push_back(LOWORD(wParam));
        return 0;
      case WM_SIZE:
        self->Layout();
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

void HostWindow::Layout() {
  if (!window_ || !statusLine_) return;
  RECT client;
  GetClientRect(window_, &client);
  MoveWindow(statusLine_, 0, client.bottom - kStatusLineHeight, client.right, kStatusLineHeight,
             TRUE);
}

void HostWindow::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int HostWindow::ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
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
