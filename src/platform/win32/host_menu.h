// The plug-in's entry in the host window's menu bar: the bar is walked item by
// item with the narrow menu functions, the way the host's menus are read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::win32 {

// The text of the item at `position` of `menu`, or nullopt when its
// information cannot be read.
std::optional<std::string> MenuItemText(HMENU menu, int position);

// The submenu of the first top-level item whose text is exactly `title`
// (case-sensitive), or null when there is none.
HMENU FindSubmenu(HMENU bar, std::string_view title);

// Appends a command item (`id`, `text`) at the end of `menu`.
bool AppendCommand(HMENU menu, UINT id, const char* text);

// Adds the command `id` with `text` to the "PlugIn Control" menu of the
// window's menu bar. False, with no change, when the window has no menu bar or
// the bar has no such menu.
bool AddPlugInMenuEntry(HWND hostWindow, UINT id, const char* text);

}  // namespace kelvora::win32
