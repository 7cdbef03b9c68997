#include "platform/win32/native_prompts.h"

#include <windows.h>
// needs windows.h first
#include <commdlg.h>

#include "platform/win32/native_form.h"
#include "platform/win32/wide_text.h"

namespace kelvora::win32 {

namespace {

std::optional<std::string> RunFileDialog(HWND owner, std::string_view filter, bool save) {
  const std::wstring filters = CommonDialogFilter(filter);
  std::wstring path(32768, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  path.resize(wcslen(path.c_str()));
  return Utf8FromWide(path);
}

}  // namespace

std::wstring CommonDialogFilter(std::string_view filter) {
  if (filter.empty()) return {};
  std::wstring out = WideFromUtf8(filter);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

void NativePrompts::Message(std::string_view text, std::string_view caption) {
  MessageBoxW(static_cast<HWND>(owner_), WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(),
              MB_OK);
}

bool NativePrompts::YesNo(std::string_view text, std::string_view caption) {
  return MessageBoxW(static_cast<HWND>(owner_), WideFromUtf8(text).c_str(),
                     WideFromUtf8(caption).c_str(), MB_YESNO) == IDYES;
}

std::optional<std::string> NativePrompts::OpenFile(std::string_view filter) {
  return RunFileDialog(static_cast<HWND>(owner_), filter, /*save=*/false);
}

std::optional<std::string> NativePrompts::SaveFile(std::string_view filter) {
  return RunFileDialog(static_cast<HWND>(owner_), filter, /*save=*/true);
}

ui::DialogResult NativePrompts::ShowModal(ui::Form& form) {
  form.SetModalResult(ui::DialogResult::kNone);
  HWND owner = static_cast<HWND>(owner_);
  NativeForm native(form, owner);
  HWND window = static_cast<HWND>(native.Handle());
  if (!window) return ui::DialogResult::kCancel;
  if (owner) {
    // The form opens over the middle of the window that asked for it, not
    // wherever the system puts new windows.
    RECT outer;
    RECT inner;
    if (GetWindowRect(owner, &outer) && GetWindowRect(window, &inner)) {
      const int width = inner.right - inner.left;
      const int height = inner.bottom - inner.top;
      SetWindowPos(window, nullptr, outer.left + (outer.right - outer.left - width) / 2,
                   outer.top + (outer.bottom - outer.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EnableWindow(owner, FALSE);
  }
  form.Show();
  MSG message;
  bool quit = false;
  while (form.ModalResult() == ui::DialogResult::kNone && form.Visible()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  form.Hide();
  // The host's loop must still see a quit request that ended this one.
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
  // Closed by its close box: cancelled.
  if (form.ModalResult() == ui::DialogResult::kNone) form.SetModalResult(ui::DialogResult::kCancel);
  return form.ModalResult();
}

}  // namespace kelvora::win32
