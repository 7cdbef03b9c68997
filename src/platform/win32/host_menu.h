// The host window's menus, read and extended with the narrow menu functions the
// way the host's menus are read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kelvora::win32 {

struct MenuItem {
  std::string text;
  HMENU subMenu = nullptr;
};

// The text and submenu of the item at `position` of `menu`, or nullopt when its
// information cannot be read.
std::optional<MenuItem> ReadMenuItem(HMENU menu, int position);

// Appends a command item (`id`, `text`) at the end of `menu`.
bool AppendCommand(HMENU menu, UINT_PTR id, const char* text);

}  // namespace kelvora::win32
