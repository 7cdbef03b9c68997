// Reading and extending menus with the narrow menu functions.
#include "platform/win32/host_menu.h"

#include <gtest/gtest.h>

namespace kelvora::win32 {
namespace {

TEST(HostMenu, ItemsAreReadWithTheirTextAndSubmenu) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU plugIns = CreatePopupMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
  AppendMenuA(bar, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugIns), "PlugIn Control");
  AppendMenuA(bar, MF_STRING, 7, "Help");
  struct Case {
    int position;
    std::optional<std::string> text;
    HMENU subMenu;
  };
  const Case cases[] = {
      {0, "File", file},    {1, "", nullptr},           {2, "PlugIn Control", plugIns},
      {3, "Help", nullptr}, {4, std::nullopt, nullptr}, {-1, std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<MenuItem> item = ReadMenuItem(bar, c.position);
    ASSERT_EQ(item.has_value(), c.text.has_value()) << c.position;
    if (!item) continue;
    EXPECT_EQ(item->text, *c.text) << c.position;
    EXPECT_EQ(item->subMenu, c.subMenu) << c.position;
  }
  DestroyMenu(bar);
}

TEST(HostMenu, CommandsAreAppendedAtTheEnd) {
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AppendCommand(menu, 40, "Other"));
  ASSERT_TRUE(AppendCommand(menu, 2, "Kelvora"));
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(ReadMenuItem(menu, 1)->text, "Kelvora");
  EXPECT_EQ(GetMenuItemID(menu, 1), 2u);
  EXPECT_FALSE(AppendCommand(nullptr, 3, "Nowhere"));
  DestroyMenu(menu);
}

TEST(HostMenu, LongTextsAreReadWhole) {
  HMENU menu = CreatePopupMenu();
  const std::string text(300, 'x');
  ASSERT_TRUE(AppendCommand(menu, 9, text.c_str()));
  EXPECT_EQ(ReadMenuItem(menu, 0)->text, text);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace kelvora::win32
