// Keyboard navigation inside the back-end's windows for hosts whose message
// loop does not call IsDialogMessage.
#include "platform/win32/native_form.h"
#include "platform/win32/native_window.h"

namespace kelvora::win32 {

namespace {

struct HookState {
  HHOOK hook = nullptr;
  int installs = 0;
};
thread_local HookState hookState;

bool IsOurForm(HWND window) {
  wchar_t name[32] = {};
  return window && GetClassNameW(window, name, 32) && lstrcmpW(name, kFormClass) == 0;
}

LRESULT CALLBACK DialogMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
      HWND root = GetAncestor(message->hwnd, GA_ROOT);
      if (IsOurForm(root) && IsDialogMessageW(root, message)) {
        // Handled: the host's loop must not dispatch it again.
        message->message = WM_NULL;
        message->wParam = 0;
        message->lParam = 0;
      }
    }
  }
  return CallNextHookEx(hookState.hook, code, wParam, lParam);
}

}  // namespace

bool InstallDialogMessageHook() {
  if (hookState.installs++ > 0) return hookState.hook != nullptr;
  hookState.hook =
      SetWindowsHookExW(WH_GETMESSAGE, &DialogMessageHook, nullptr, GetCurrentThreadId());
  return hookState.hook != nullptr;
}

void RemoveDialogMessageHook() {
  if (hookState.installs == 0 || --hookState.installs > 0) return;
  if (hookState.hook) UnhookWindowsHookEx(hookState.hook);
  hookState.hook = nullptr;
}

}  // namespace kelvora::win32
