#include "platform/win32/host_menu.h"

#include <vector>

namespace kelvora::win32 {

namespace {

// The host reads items with the 32-bit structure's full size and asks for the
// id, the submenu, the text and the type.
constexpr UINT kItemInfoMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
static_assert(kItemInfoMask == 0x146);
#ifndef _WIN64
static_assert(sizeof(MENUITEMINFOA) == 48);
#endif

constexpr char kPlugInMenuTitle[] = "PlugIn Control";

MENUITEMINFOA ItemInfoRequest() {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(MENUITEMINFOA);
  info.fMask = kItemInfoMask;
  return info;
}

}  // namespace

std::optional<std::string> MenuItemText(HMENU menu, int position) {
  // First without a buffer, to learn the text's length.
  MENUITEMINFOA info = ItemInfoRequest();
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
  std::vector<char> buffer(info.cch + 1, '\0');
  info = ItemInfoRequest();
  info.dwTypeData = buffer.data();
  info.cch = static_cast<UINT>(buffer.size());
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
  return std::string(buffer.data());
}

HMENU FindSubmenu(HMENU bar, std::string_view title) {
  if (!bar) return nullptr;
  const int count = GetMenuItemCount(bar);
  for (int position = 0; position < count; ++position) {
    const std::optional<std::string> text = MenuItemText(bar, position);
    if (text && *text == title) return GetSubMenu(bar, position);
  }
  return nullptr;
}

bool AppendCommand(HMENU menu, UINT id, const char* text) {
  return InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, id, text) != 0;
}

bool AddPlugInMenuEntry(HWND hostWindow, UINT id, const char* text) {
  if (!hostWindow) return false;
  HMENU submenu = FindSubmenu(GetMenu(hostWindow), kPlugInMenuTitle);
  if (!submenu) return false;
  if (!AppendCommand(submenu, id, text)) return false;
  // A changed menu bar is redrawn only when asked.
  DrawMenuBar(hostWindow);
  return true;
}

}  // namespace kelvora::win32
