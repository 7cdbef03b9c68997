#include "hwnd_window.h"

// windows.h comes first: the others build on it.
#include <windows.h>

#include <commctrl.h>

#include "host_window.h"
#include "platform/win32/wide_text.h"
#include "scenario.h"

namespace kelvora::testhost {

namespace {

using win32::Utf8FromWide;
using win32::WideFromUtf8;

constexpr wchar_t kFormClass[] = L"KelvoraForm";
constexpr wchar_t kNameProperty[] = L"Kelvora.Name";

struct NameSearch {
  std::string name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchName(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<NameSearch*>(data);
  if (NameOf(window) == search->name) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

bool IsCheckBox(HWND window) {
  const LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
  return ClassName(window) == L"Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ||
                                            type == BS_3STATE || type == BS_AUTO3STATE);
}

bool IsChecked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The operator selects the box's text and types over it, key by key.
void TypeInto(HWND box, const std::string& text) {
  SendMessageW(box, EM_SETSEL, 0, -1);
  for (wchar_t c : WideFromUtf8(text)) SendMessageW(box, WM_CHAR, c, 0);
}

// A grid as the operator sees it in its list view: columns by their captions
// (the row headers' column, when shown, is the first and has none), lines in
// display order, and last the new-row line: its row header starts with a star,
// or, with the row headers hidden, its cells are empty.
std::wstring HeaderCaption(HWND list, int column) {
  wchar_t text[256] = {};
  HDITEMW item = {};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(ListView_GetHeader(list), HDM_GETITEMW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&item));
  return text;
}

int ColumnCount(HWND list) {
  return Header_GetItemCount(ListView_GetHeader(list));
}

bool ShowsRowHeaders(HWND list) {
  return ColumnCount(list) > 0 && HeaderCaption(list, 0).empty();
}

// The list view's column of the table column `name`, or -1.
int GridColumn(HWND list, const std::string& name) {
  const std::wstring caption = WideFromUtf8(name);
  for (int i = ShowsRowHeaders(list) ? 1 : 0; i < ColumnCount(list); ++i) {
    if (HeaderCaption(list, i) == caption) return i;
  }
  return -1;
}

// The grid's rows, the new-row line not counted.
int GridRows(HWND list) {
  const int lines = ListView_GetItemCount(list);
  if (lines <= 0) return 0;
  const int last = lines - 1;
  if (ShowsRowHeaders(list)) return ListText(list, last, 0).rfind(L'*', 0) == 0 ? last : lines;
  for (int c = 0; c < ColumnCount(list); ++c) {
    if (!ListText(list, last, c).empty()) return lines;
  }
  return last;
}

// A left click in the middle of a cell, as the operator clicks it.
bool ClickListCell(HWND list, int line, int column) {
  ListView_EnsureVisible(list, line, FALSE);
  RECT r = {};
  r.top = column;
  r.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(line),
                    reinterpret_cast<LPARAM>(&r))) {
    return false;
  }
  // The first column's bounds are the whole line's: cut to its width.
  if (column == 0) r.right = r.left + ListView_GetColumnWidth(list, 0);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  return true;
}

// As a click on the tab: the control changes its page and tells its parent.
bool SelectTab(HWND tabs, const std::wstring& caption) {
  const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = 256;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
    if (caption != text) continue;
    SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
    NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
  }
  return false;
}

// As a choice in the drop-down list: the selection changes and the parent hears.
bool SelectListItem(HWND box, const std::wstring& item) {
  const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(item.c_str()));
  if (index == CB_ERR) return false;
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(box), WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(box)), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box));
  return true;
}

// Runs what an action caused, then hands its result back.
std::string Pumped(std::string result) {
  HostWindow::PumpMessages();
  return result;
}

}  // namespace

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string NameOf(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(window, kNameProperty)));
  wchar_t text[256] = {};
  if (!atom || !GlobalGetAtomNameW(atom, text, 256)) return {};
  return Utf8FromWide(text);
}

HWND FindControl(HWND form, const std::string& name) {
  NameSearch search{name};
  EnumChildWindows(form, &MatchName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindForm(const std::string& name) {
  for (HWND form = FindWindowExW(nullptr, nullptr, kFormClass, nullptr); form;
       form = FindWindowExW(nullptr, form, kFormClass, nullptr)) {
    if (NameOf(form) == name) return form;
  }
  return nullptr;
}

std::wstring ListText(HWND list, int line, int column) {
  wchar_t text[512] = {};
  LVITEMW request = {};
  request.iSubItem = column;
  request.pszText = text;
  request.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(line),
               reinterpret_cast<LPARAM>(&request));
  return text;
}

HWND HwndWindow::Control(const std::string& name, std::string& failure) const {
  HWND control = FindControl(form_, name);
  if (!control) failure = "no control " + name;
  return control;
}

WindowState HwndWindow::State() const {
  if (!IsWindowVisible(form_)) return WindowState::kHidden;
  if (IsIconic(form_)) return WindowState::kMinimised;
  if (IsZoomed(form_)) return WindowState::kMaximised;
  return WindowState::kNormal;
}

void HwndWindow::Command(WindowCommand command) {
  // As from the title bar: the system commands the window's frame sends.
  constexpr std::pair<WindowCommand, WPARAM> kSystemCommands[] = {
      {WindowCommand::kMinimise, SC_MINIMIZE},
      {WindowCommand::kRestore, SC_RESTORE},
      {WindowCommand::kMaximise, SC_MAXIMIZE},
      {WindowCommand::kClose, SC_CLOSE}};
  for (const auto& [ours, system] : kSystemCommands) {
    if (ours == command) SendMessageW(form_, WM_SYSCOMMAND, system, 0);
  }
  HostWindow::PumpMessages();
}

std::optional<std::string> HwndWindow::ControlText(const std::string& name) const {
  HWND control = FindControl(form_, name);
  if (!control) return std::nullopt;
  // A check box reads as its state, as the model's text does.
  if (IsCheckBox(control)) return IsChecked(control) ? "True" : "False";
  return Utf8FromWide(WindowText(control));
}

std::optional<std::size_t> HwndWindow::RowCount(const std::string& grid) const {
  HWND list = FindControl(form_, grid);
  if (!list) return std::nullopt;
  return static_cast<std::size_t>(GridRows(list));
}

std::optional<std::string> HwndWindow::CellText(const std::string& grid, std::size_t row,
                                                const std::string& column) const {
  HWND list = FindControl(form_, grid);
  if (!list) return std::nullopt;
  const int index = GridColumn(list, column);
  if (index < 0 || row >= static_cast<std::size_t>(GridRows(list))) return std::nullopt;
  return Utf8FromWide(ListText(list, static_cast<int>(row), index));
}

std::string HwndWindow::Type(const std::string& name, const std::string& text) {
  std::string failure;
  HWND box = Control(name, failure);
  if (!box) return failure;
  TypeInto(box, text);
  return Pumped({});
}

std::string HwndWindow::Click(const std::string& name) {
  std::string failure;
  HWND button = Control(name, failure);
  if (!button) return failure;
  SendMessageW(button, BM_CLICK, 0, 0);
  return Pumped({});
}

std::string HwndWindow::SetChecked(const std::string& name, bool checked) {
  std::string failure;
  HWND button = Control(name, failure);
  if (!button) return failure;
  // The operator clicks the box only when it does not show the state wanted.
  if (IsChecked(button) != checked) SendMessageW(button, BM_CLICK, 0, 0);
  return Pumped({});
}

std::string HwndWindow::ClickCell(const std::string& grid, std::size_t line,
                                  const std::string& column) {
  std::string failure;
  HWND list = Control(grid, failure);
  if (!list) return failure;
  const int index = GridColumn(list, column);
  if (index < 0) return grid + " has no column " + column;
  if (line >= static_cast<std::size_t>(ListView_GetItemCount(list)) ||
      !ClickListCell(list, static_cast<int>(line), index)) {
    return grid + " has no line " + std::to_string(line + 1);
  }
  return Pumped({});
}

std::string HwndWindow::Select(const std::string& name, const std::string& item) {
  std::string failure;
  HWND control = Control(name, failure);
  if (!control) return failure;
  const std::wstring wide = WideFromUtf8(item);
  if (ClassName(control) == WC_TABCONTROLW) {
    if (!SelectTab(control, wide)) return name + " has no page " + Shown(item);
  } else if (!SelectListItem(control, wide)) {
    return name + " has no item " + Shown(item);
  }
  return Pumped({});
}

std::string HwndWindow::Fill(const std::string& name, const std::string& value) {
  std::string failure;
  HWND control = Control(name, failure);
  if (!control) return failure;
  if (_wcsicmp(ClassName(control).c_str(), L"ComboBox") == 0) {
    if (!SelectListItem(control, WideFromUtf8(value)))
      return name + " has no item \"" + value + "\"";
  } else if (!IsCheckBox(control)) {
    TypeInto(control, value);
  } else if (IsChecked(control) != (value == "True")) {
    SendMessageW(control, BM_CLICK, 0, 0);
  }
  return {};
}

}  // namespace kelvora::testhost
