#include "platform/win32/native_window.h"

#include "platform/win32/wide_text.h"

namespace kelvora::win32 {

namespace {

constexpr wchar_t kNameProperty[] = L"Kelvora.Name";

}  // namespace

void NameWindow(HWND window, const std::string& name) {
  const ATOM atom = GlobalAddAtomW(WideFromUtf8(name).c_str());
  if (atom) SetPropW(window, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

void UnnameWindow(HWND window) {
  if (HANDLE atom = RemovePropW(window, kNameProperty)) {
    GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(atom)));
  }
}

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::size_t CodePoints(const std::wstring& text, std::size_t units) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < units && i < text.size(); ++i) {
    if (text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 &&
        text[i - 1] <= 0xDBFF) {
      continue;  // the second half of a pair
    }
    ++count;
  }
  return count;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::wstring NativeText(const ui::Control& control) {
  std::wstring text = WideFromUtf8(control.Text());
  if (control.Kind() != ui::ControlKind::kTextBox) return text;
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

}  // namespace kelvora::win32
