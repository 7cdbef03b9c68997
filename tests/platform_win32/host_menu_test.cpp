// The plug-in's menu entry in a real top-level window's menu bar.
#include "platform/win32/host_menu.h"

#include <gtest/gtest.h>

#include "host_window.h"

namespace kelvora::win32 {
namespace {

using testhost::HostWindow;
using testhost::HostWindowOptions;

constexpr UINT kMenuStart = 2;

std::vector<std::string> ItemTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    texts.push_back(MenuItemText(menu, i).value_or("?"));
  return texts;
}

TEST(HostMenu, TheEntryIsAppendedToPlugInControl) {
  HostWindow window;
  ASSERT_TRUE(window.Create({}));
  HMENU bar = GetMenu(window.handle());
  EXPECT_EQ(ItemTexts(bar), (std::vector<std::string>{"File", "PlugIn Control", "Help"}));
  HMENU plugIns = FindSubmenu(bar, "PlugIn Control");
  ASSERT_NE(plugIns, nullptr);
  // Another plug-in's entry is already there: ours goes after it.
  ASSERT_TRUE(AppendCommand(plugIns, 40, "Other"));

  ASSERT_TRUE(AddPlugInMenuEntry(window.handle(), kMenuStart, "Kelvora"));
  EXPECT_EQ(ItemTexts(plugIns), (std::vector<std::string>{"Other", "Kelvora"}));
  EXPECT_EQ(GetMenuItemID(plugIns, 1), kMenuStart);
  EXPECT_EQ(GetMenuItemCount(bar), 3);  // the bar itself is unchanged

  // Picking the entry sends the host window its command, as the host's menu does.
  PostMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(plugIns, 1), 0), 0);
  HostWindow::PumpMessages();
  EXPECT_EQ(window.commands(), (std::vector<UINT>{kMenuStart}));
}

TEST(HostMenu, NoPlugInControlMenuMeansNoEntry) {
  HostWindowOptions options;
  options.withPlugInMenu = false;
  HostWindow window;
  ASSERT_TRUE(window.Create(options));
  HMENU bar = GetMenu(window.handle());
  EXPECT_FALSE(AddPlugInMenuEntry(window.handle(), kMenuStart, "Kelvora"));
  EXPECT_EQ(ItemTexts(bar), (std::vector<std::string>{"File", "Help"}));
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), 1) << i;
  }
  EXPECT_FALSE(AddPlugInMenuEntry(nullptr, kMenuStart, "Kelvora"));
}

TEST(HostMenu, TheTitleMustMatchExactly) {
  HMENU bar = CreateMenu();
  const char* titles[] = {"plugin control", "PlugIn Control ", "PlugIn"};
  for (const char* title : titles)
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), title);
  AppendMenuA(bar, MF_SEPARATOR, 0, nullptr);
  HMENU wanted = CreatePopupMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(wanted), "PlugIn Control");
  EXPECT_EQ(FindSubmenu(bar, "PlugIn Control"), wanted);
  EXPECT_EQ(MenuItemText(bar, 3), "");  // the separator has no text
  EXPECT_EQ(MenuItemText(bar, 10), std::nullopt);
  DestroyMenu(bar);
}

TEST(HostMenu, LongTextsAreReadWhole) {
  HMENU menu = CreatePopupMenu();
  const std::string text(300, 'x');
  ASSERT_TRUE(AppendCommand(menu, 9, text.c_str()));
  EXPECT_EQ(MenuItemText(menu, 0), text);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace kelvora::win32
