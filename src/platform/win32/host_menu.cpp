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

MENUITEMINFOA ItemInfoRequest() {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(MENUITEMINFOA);
  info.fMask = kItemInfoMask;
  return info;
}

}  // namespace

std::optional<MenuItem> ReadMenuItem(HMENU menu, int position) {
  // First without a buffer, to learn the text's length.
  MENUITEMINFOA info = ItemInfoRequest();
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
  std::vector<char> buffer(info.cch + 1, '\0');
  info = ItemInfoRequest();
  info.dwTypeData = buffer.data();
  info.cch = static_cast<UINT>(buffer.size());
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
  return MenuItem{std::string(buffer.data()), info.hSubMenu};
}

bool AppendCommand(HMENU menu, UINT_PTR id, const char* text) {
  // At position -1, the end, by position.
  return InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, id, text) != 0;
}

}  // namespace kelvora::win32
