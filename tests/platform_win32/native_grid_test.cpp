// The grids of the native back-end, driven with real window messages: clicks on
// cells and headers, keys and characters to the window that has the focus; and
// the rows the teach table's automatic mode adds from the host's update cycle.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog/teach_table.h"
#include "dialog/xyz_demo_dialog.h"
#include "host_window.h"
#include "hwnd_window.h"
#include "platform/win32/native_form.h"
#include "platform/win32/wide_text.h"
#include "ui/data_grid.h"
#include "ui/scripted_prompts.h"
#include "ui/widgets.h"

namespace kelvora::win32 {
namespace {

constexpr auto Pump = testhost::HostWindow::PumpMessages;

std::string ItemText(HWND list, int item, int column) {
  return Utf8FromWide(testhost::ListText(list, item, column));
}

// The child window of `parent` of a class (the cell editor), or null.
HWND ChildOfClass(HWND parent, const wchar_t* windowClass) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (testhost::ClassName(child) == windowClass && IsWindowVisible(child)) return child;
  }
  return nullptr;
}

class NativeGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    native_ = std::make_unique<NativeForm>(dialog_.GetForm());
    ASSERT_NE(native_->Handle(), nullptr) << native_->Failure();
    for (ui::Timer* timer : dialog_.Timers()) native_->AddTimer(*timer);
    dialog_.ShowAndFocus();
    auto& page = dialog_.Get<ui::TabPage>("tabPage2");
    static_cast<ui::TabControl*>(page.Parent())->SelectPage(page);
    Pump();
    list_ = Native("dataGridView2");
    ASSERT_NE(list_, nullptr);
  }
  void TearDown() override { native_.reset(); }

  HWND Native(std::string_view name) {
    ui::Control* control = dialog_.FindControl(name);
    return control ? static_cast<HWND>(native_->ControlHandle(*control)) : nullptr;
  }
  ui::DataGrid& Grid() { return dialog_.Get<ui::DataGrid>("dataGridView2"); }

  // A left click in the middle of a cell (`column` is the model's; the row
  // headers are the list view's first column).
  void ClickCell(int line, int column) {
    RECT r = {};
    r.top = column + 1;
    r.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(line),
                             reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list_, WM_LBUTTONUP, 0, at);
    Pump();
  }
  void ClickHeader(int column) {
    HWND header = ListView_GetHeader(list_);
    RECT r;
    ASSERT_TRUE(Header_GetItemRect(header, column + 1, &r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    Pump();
  }
  // Keys and characters go where the keyboard focus is, as typing does.
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(GetFocus(), WM_CHAR, c, 0);
    Pump();
  }
  void Press(WPARAM key) {
    SendMessageW(GetFocus(), WM_KEYDOWN, key, 0);
    Pump();
  }
  void FillX(const std::vector<std::string>& values) {
    for (const std::string& value : values) {
      Grid().SetValue(Grid().LineCount() - 1, dialog::kTchX, value);
    }
    native_->RefreshGrids();
    Pump();
  }

  ui::ScriptedPrompts prompts_;
  dialog::RecordingHandOff handOff_;
  dialog::XYZDemoDialog dialog_{prompts_, handOff_};
  std::unique_ptr<NativeForm> native_;
  HWND list_ = nullptr;
};

TEST_F(NativeGridTest, TypingIntoTheNewRowLineAddsANumberedRow) {
  ASSERT_EQ(ListView_GetItemCount(list_), 1);  // the new-row line only, starred
  EXPECT_EQ(ItemText(list_, 0, 0), "* 1");
  ClickCell(0, dialog::kTchX);
  Type(L"12.5");
  HWND editor = ChildOfClass(list_, L"Edit");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetFocus(), editor);
  Press(VK_RETURN);
  EXPECT_EQ(ChildOfClass(list_, L"Edit"), nullptr);
  EXPECT_EQ(GetFocus(), list_);
  ASSERT_EQ(Grid().GetTable().RowCount(), 1u);
  EXPECT_EQ(Grid().Text(0, dialog::kTchX), "12.5");
  // The row and the new-row line below it, both numbered by the teach table;
  // only the new-row line has the star.
  ASSERT_EQ(ListView_GetItemCount(list_), 2);
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchX + 1), "12.5");
  EXPECT_EQ(ItemText(list_, 0, 0), "1");
  EXPECT_EQ(ItemText(list_, 1, 0), "* 2");
  EXPECT_EQ(ItemText(list_, 1, dialog::kTchX + 1), "");
}

TEST_F(NativeGridTest, EditsEndAsTheOperatorEndsThem) {
  struct Case {
    const char* name;
    bool f2;        // open with F2 (else a second click on the current cell)
    WPARAM endKey;  // 0: the focus moves to another control
    const char* expected;
  };
  const Case cases[] = {
      {"Enter commits", false, VK_RETURN, "7"},
      {"Escape cancels", false, VK_ESCAPE, "3"},
      {"F2 and Escape", true, VK_ESCAPE, "3"},
      {"focus loss commits", true, 0, "7"},
  };
  FillX({"3"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Grid().SetValue(0, (dialog::kTchX + 1), std::string("3"));
    native_->RefreshGrids();
    ClickCell(0, (dialog::kTchX + 1));
    if (c.f2) {
      Press(VK_F2);
    } else {
      ClickCell(0, (dialog::kTchX + 1));
    }
    HWND editor = ChildOfClass(list_, L"Edit");
    ASSERT_NE(editor, nullptr);
    wchar_t shown[32] = {};
    GetWindowTextW(editor, shown, 32);
    EXPECT_STREQ(shown, L"3");  // the cell's text, all selected
    Type(L"7");
    if (c.endKey) {
      Press(c.endKey);
    } else {
      SetFocus(Native("txtTchPrefix"));
      Pump();
    }
    EXPECT_EQ(ChildOfClass(list_, L"Edit"), nullptr);
    EXPECT_EQ(Grid().Text(0, (dialog::kTchX + 1)), c.expected);
    EXPECT_EQ(ItemText(list_, 0, (dialog::kTchX + 1) + 1), c.expected);
    EXPECT_EQ(Grid().GetTable().RowCount(), 1u);  // no row added
  }
}

TEST_F(NativeGridTest, AnEmptyEditOfTheNewRowLineAddsNoRow) {
  ClickCell(0, (dialog::kTchX + 2));
  Press(VK_F2);
  ASSERT_NE(ChildOfClass(list_, L"Edit"), nullptr);
  Press(VK_RETURN);
  EXPECT_EQ(Grid().GetTable().RowCount(), 0u);
  EXPECT_EQ(ListView_GetItemCount(list_), 1);
}

TEST_F(NativeGridTest, HeaderClicksSortThroughTheModel) {
  FillX({"3", "10", "2"});
  ClickHeader(dialog::kTchX);
  EXPECT_EQ(Grid().SortColumn(), dialog::kTchX);
  EXPECT_EQ(Grid().GetSortOrder(), ui::SortOrder::kAscending);
  // Texts compare byte by byte: "10" before "2"; the new-row line stays last.
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchX + 1), "10");
  EXPECT_EQ(ItemText(list_, 1, dialog::kTchX + 1), "2");
  EXPECT_EQ(ItemText(list_, 2, dialog::kTchX + 1), "3");
  EXPECT_EQ(ItemText(list_, 3, dialog::kTchX + 1), "");
  ClickHeader(dialog::kTchX);
  EXPECT_EQ(Grid().GetSortOrder(), ui::SortOrder::kDescending);
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchX + 1), "3");
  EXPECT_EQ(ItemText(list_, 2, dialog::kTchX + 1), "10");
  // An edit in the sorted grid lands in the table row the operator saw.
  ClickCell(0, dialog::kTchX);
  Type(L"1");
  Press(VK_RETURN);
  EXPECT_EQ(Grid().GetTable().Get(0, dialog::kTchX), ui::Cell("1"));
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchX + 1), "2");
}

TEST_F(NativeGridTest, TheOperationColumnIsADropDownOfItsItems) {
  FillX({"0"});
  const std::vector<std::string>& items = Grid().Columns()[dialog::kTchOperation].items;
  ASSERT_GE(items.size(), 2u);
  ClickCell(0, dialog::kTchOperation);
  ClickCell(0, dialog::kTchOperation);
  HWND combo = ChildOfClass(list_, L"ComboBox");
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(items.size()));
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  Pump();
  SetFocus(combo);
  Press(VK_DOWN);
  Press(VK_DOWN);
  const LRESULT picked = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  ASSERT_GE(picked, 0);
  const std::string& item = items[static_cast<std::size_t>(picked)];
  Press(VK_RETURN);
  EXPECT_EQ(ChildOfClass(list_, L"ComboBox"), nullptr);
  EXPECT_EQ(Grid().Text(0, dialog::kTchOperation), item);
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchOperation + 1), item);
}

TEST_F(NativeGridTest, TheAutomaticModesRowsAreShownWhenTheUpdateRunsAnAction) {
  SendMessageW(Native("btnGetAuto"), BM_CLICK, 0, 0);
  Pump();
  ASSERT_TRUE(dialog_.GetAuto);
  ASSERT_EQ(Grid().GetTable().RowCount(), 1u);
  ClickCell(0, dialog::kTchX);
  dialog_.ShowMachinePosition({1.5, 2, 3, 0, 0, 0});
  // The update cycle runs the action outside any event of the window and has the
  // grids shown again; no message is pumped in between.
  dialog_.RunTeachAction(dialog::TeachAction::kGetPos);
  native_->RefreshGrids();
  EXPECT_EQ(Grid().GetTable().RowCount(), 2u);
  EXPECT_EQ(Grid().Text(0, dialog::kTchX), "1.500");
  EXPECT_EQ(ListView_GetItemCount(list_), 2);
  EXPECT_EQ(ItemText(list_, 0, dialog::kTchX + 1), "1.500");
  dialog_.RunTeachAction(dialog::TeachAction::kGetPos);
  native_->RefreshGrids();
  EXPECT_EQ(ListView_GetItemCount(list_), 3);
}

// Refuses the creation of windows of one class, as a system short of resources
// would.
thread_local const wchar_t* refusedClass = nullptr;
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && refusedClass) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
    const LPCWSTR name = create->lpcs->lpszClass;
    if (!IS_INTRESOURCE(name) && lstrcmpiW(name, refusedClass) == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(NativeFormFailures, AControlThatCannotBeMadeIsNamedAndTheRestWorks) {
  ui::ScriptedPrompts prompts;
  dialog::RecordingHandOff handOff;
  dialog::XYZDemoDialog dialog(prompts, handOff);
  refusedClass = WC_LISTVIEWW;
  HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseCreation, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  auto native = std::make_unique<NativeForm>(dialog.GetForm());
  UnhookWindowsHookEx(hook);
  refusedClass = nullptr;
  ASSERT_NE(native->Handle(), nullptr);
  EXPECT_NE(native->Failure().find("control dataGridView2 could not be created"), std::string::npos)
      << native->Failure();
  EXPECT_EQ(native->ControlHandle(dialog.Get<ui::DataGrid>("dataGridView2")), nullptr);
  // The rest of the window still answers the operator.
  dialog.ShowAndFocus();
  Pump();
  HWND box = static_cast<HWND>(native->ControlHandle(dialog.Get<ui::TextBox>("txtTchPrefix")));
  ASSERT_NE(box, nullptr);
  SendMessageW(box, EM_SETSEL, 0, -1);
  SendMessageW(box, WM_CHAR, L'G', 0);
  Pump();
  EXPECT_EQ(dialog.Get<ui::TextBox>("txtTchPrefix").Text(), "G");
}

}  // namespace
}  // namespace kelvora::win32
