#include "platform/win32/native_grid.h"

#include <optional>

#include "platform/win32/wide_text.h"

namespace kelvora::win32 {

namespace {

// A grid's row headers are a first list-view column of this width.
constexpr int kRowHeaderWidth = 41;

int FirstColumn(const ui::DataGrid& grid) {
  return grid.RowHeadersVisible() ? 1 : 0;
}

// A cell of a grid under a point of its list view: the line and the list
// view's column (the row headers' column included).
struct GridHit {
  int line = -1;
  int column = -1;
};

GridHit HitCell(HWND list, POINT point) {
  LVHITTESTINFO hit = {};
  hit.pt = point;
  if (SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 ||
      hit.iItem < 0 || !(hit.flags & LVHT_ONITEM)) {
    return {};
  }
  return {hit.iItem, hit.iSubItem};
}

RECT CellRect(HWND list, int line, int nativeColumn) {
  RECT r = {};
  r.top = nativeColumn;
  r.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&r));
  if (nativeColumn == 0) {
    // The first column's bounds are the whole line's: cut to its width.
    r.right = r.left + ListView_GetColumnWidth(list, 0);
  }
  return r;
}

void InsertColumn(HWND list, int index, int width, wchar_t* caption) {
  LVCOLUMNW item = {};
  item.mask = LVCF_TEXT | LVCF_WIDTH;
  item.cx = width;
  item.pszText = caption;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void GridWindows::Add(ui::DataGrid& grid, HWND list) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  Subclass<GridWindows, &GridWindows::ListMessage>(list, this);
  FillColumns(grid);
  grids_.push_back(&grid);
}

void GridWindows::FillColumns(ui::DataGrid& grid) {
  HWND h = site_.Handle(grid);
  if (!h) return;
  while (ListView_DeleteColumn(h, 0)) {
  }
  int index = 0;
  if (grid.RowHeadersVisible())
    InsertColumn(h, index++, kRowHeaderWidth, const_cast<wchar_t*>(L""));
  for (const ui::GridColumn& column : grid.Columns()) {
    std::wstring caption = WideFromUtf8(column.name);
    InsertColumn(h, index++, column.width, caption.data());
  }
  Refresh(grid);
}

void GridWindows::RefreshAll() {
  for (ui::DataGrid* grid : grids_) Refresh(*grid);
}

void GridWindows::Refresh(ui::DataGrid& grid) {
  HWND h = site_.Handle(grid);
  if (!h) return;
  const WriteScope writing(writing_);
  ListView_SetItemCountEx(h, static_cast<int>(grid.LineCount()), LVSICF_NOSCROLL);
  // The current cell's line is the list view's selected and focused item.
  ListView_SetItemState(h, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (const std::optional<ui::CellPos> current = grid.CurrentCell()) {
    const int row = static_cast<int>(current->row);
    ListView_SetItemState(h, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  if (const std::optional<std::size_t> shown = grid.ShownLine()) {
    ListView_EnsureVisible(h, static_cast<int>(*shown), FALSE);
  }
  ShowSortArrows(grid, h);
  InvalidateRect(h, nullptr, FALSE);
}

// The header's arrow on the sort column.
void GridWindows::ShowSortArrows(const ui::DataGrid& grid, HWND list) {
  HWND header = ListView_GetHeader(list);
  if (!header) return;
  const int count = Header_GetItemCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(&item))) {
      continue;
    }
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
    const int column = i - FirstColumn(grid);
    if (column >= 0 && grid.SortColumn() == static_cast<std::size_t>(column)) {
      if (grid.GetSortOrder() == ui::SortOrder::kAscending) format |= HDF_SORTUP;
      if (grid.GetSortOrder() == ui::SortOrder::kDescending) format |= HDF_SORTDOWN;
    }
    if (format != item.fmt) {
      item.fmt = format;
      SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }
}

void GridWindows::OnNotify(ui::DataGrid& grid, const NMHDR& header) {
  if (header.code == LVN_GETDISPINFOW) {
    auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
    FillCell(grid, const_cast<LVITEMW&>(info.item));
  } else if (header.code == LVN_COLUMNCLICK && !writing_) {
    HeaderClick(grid, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
  }
}

void GridWindows::FillCell(ui::DataGrid& grid, LVITEMW& item) {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  const auto line = static_cast<std::size_t>(item.iItem);
  if (item.iItem < 0 || line >= grid.LineCount()) return;
  if (item.iSubItem < FirstColumn(grid)) {
    // The row header: the model's text; the new-row line is marked with a star
    // before it, so that it stands apart from a row whose cells are empty.
    std::wstring header = WideFromUtf8(std::string(grid.RowHeader(line)));
    if (grid.IsNewRowLine(line)) header = header.empty() ? L"*" : L"* " + header;
    lstrcpynW(item.pszText, header.c_str(), item.cchTextMax);
    return;
  }
  const auto column = static_cast<std::size_t>(item.iSubItem - FirstColumn(grid));
  if (column >= grid.Columns().size() || grid.IsNewRowLine(line)) return;
  const std::wstring text = WideFromUtf8(std::string(grid.Text(line, column)));
  lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

// Opens the editor over a cell; `typed` replaces the cell's text with what
// the operator began to type.
void GridWindows::BeginEdit(ui::DataGrid& grid, std::size_t line, std::size_t column,
                            const std::wstring* typed) {
  HWND list = site_.Handle(grid);
  if (!list || line >= grid.LineCount() || column >= grid.Columns().size()) return;
  EndEdit(/*commit=*/true);
  const ui::GridColumn& definition = grid.Columns()[column];
  const int nativeColumn = static_cast<int>(column) + FirstColumn(grid);
  ListView_EnsureVisible(list, static_cast<int>(line), FALSE);
  const RECT r = CellRect(list, static_cast<int>(line), nativeColumn);
  const std::wstring text =
      grid.IsNewRowLine(line) ? std::wstring() : WideFromUtf8(std::string(grid.Text(line, column)));
  HWND box = nullptr;
  if (definition.dropDown) {
    box = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, r.left,
                          r.top, r.right - r.left, r.bottom - r.top + kDropDownHeight, list,
                          nullptr, ThisModule(), nullptr);
  } else {
    box = CreateWindowExW(0, L"EDIT", typed ? typed->c_str() : text.c_str(),
                          WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top, r.right - r.left,
                          r.bottom - r.top, list, nullptr, ThisModule(), nullptr);
  }
  if (!box) {
    site_.Fail("the cell editor of " + grid.Name() + " could not be created");
    return;
  }
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(painter_.FontFor(grid)), FALSE);
  if (definition.dropDown) {
    int selected = -1;
    for (std::size_t i = 0; i < definition.items.size(); ++i) {
      const std::wstring item = WideFromUtf8(definition.items[i]);
      SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      if (item == text) selected = static_cast<int>(i);
    }
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  } else if (typed) {
    SendMessageW(box, EM_SETSEL, typed->size(), typed->size());
  } else {
    SendMessageW(box, EM_SETSEL, 0, -1);
  }
  editor_ = CellEditor{box, &grid, line, column, definition.dropDown};
  Subclass<GridWindows, &GridWindows::EditorMessage>(box, this);
  ShowWindow(box, SW_SHOW);
  SetFocus(box);
}

// Closes the editor; with `commit` its text goes into the cell through the
// model (on the new-row line a row is added, unless nothing was entered).
void GridWindows::EndEdit(bool commit) {
  if (!editor_.window) return;
  const CellEditor ending = editor_;
  editor_ = CellEditor{};  // before destroying: losing the focus ends nothing twice
  std::optional<std::string> text;
  if (ending.dropDown) {
    const LRESULT index = SendMessageW(ending.window, CB_GETCURSEL, 0, 0);
    const auto& items = ending.grid->Columns()[ending.column].items;
    if (index >= 0 && static_cast<std::size_t>(index) < items.size()) {
      text = items[static_cast<std::size_t>(index)];
    }
  } else {
    text = Utf8FromWide(WindowText(ending.window));
  }
  const bool hadFocus = GetFocus() == ending.window;
  HWND list = GetParent(ending.window);
  DestroyWindow(ending.window);
  ui::DataGrid& grid = *ending.grid;
  if (commit && text && ending.line < grid.LineCount() && ending.column < grid.Columns().size()) {
    const bool newRow = grid.IsNewRowLine(ending.line);
    if (newRow ? !text->empty() : *text != grid.Text(ending.line, ending.column)) {
      const std::size_t row = grid.SetValue(ending.line, ending.column, ui::Cell(*text));
      grid.SetCurrentCell({row, ending.column});
    }
  }
  if (hadFocus) SetFocus(list);
  site_.AfterEvent();
}

// A click into a grid: the row headers select their line; a cell becomes the
// current one, and clicking the current cell again edits it.
void GridWindows::Click(ui::DataGrid& grid, HWND list, POINT point) {
  EndEdit(/*commit=*/true);
  SetFocus(list);
  const GridHit hit = HitCell(list, point);
  if (hit.line < 0) return;
  const auto line = static_cast<std::size_t>(hit.line);
  if (hit.column < FirstColumn(grid)) {
    grid.SelectRow(line);
    site_.AfterEvent();
    return;
  }
  const auto column = static_cast<std::size_t>(hit.column - FirstColumn(grid));
  const std::optional<ui::CellPos> current = grid.CurrentCell();
  const bool again = current && current->row == line && current->column == column;
  grid.SetCurrentCell({line, column});
  site_.AfterEvent();
  if (again) {
    BeginEdit(grid, line, column);
    if (editor_.window && editor_.dropDown) SendMessageW(editor_.window, CB_SHOWDROPDOWN, TRUE, 0);
  }
}

// Keys in a grid that is not editing: F2 edits the current cell, a typed
// character starts editing with it, the arrows move the current cell.
bool GridWindows::Key(ui::DataGrid& grid, WPARAM key) {
  const std::optional<ui::CellPos> current = grid.CurrentCell();
  if (key == VK_F2) {
    if (current) BeginEdit(grid, current->row, current->column);
    return true;
  }
  if (key != VK_UP && key != VK_DOWN && key != VK_LEFT && key != VK_RIGHT) return false;
  ui::CellPos cell = current.value_or(ui::CellPos{});
  if (current) {
    if (key == VK_UP && cell.row > 0) --cell.row;
    if (key == VK_DOWN && cell.row + 1 < grid.LineCount()) ++cell.row;
    if (key == VK_LEFT && cell.column > 0) --cell.column;
    if (key == VK_RIGHT && cell.column + 1 < grid.Columns().size()) ++cell.column;
  }
  grid.SetCurrentCell(cell);
  grid.ScrollToLine(cell.row);
  site_.AfterEvent();
  return true;
}

void GridWindows::Char(ui::DataGrid& grid, WPARAM unit) {
  const std::optional<ui::CellPos> current = grid.CurrentCell();
  if (!current || unit < 0x20 || unit == 0x7F) return;
  if (grid.Columns()[current->column].dropDown) {
    BeginEdit(grid, current->row, current->column);
    if (editor_.window) SendMessageW(editor_.window, CB_SHOWDROPDOWN, TRUE, 0);
    return;
  }
  const std::wstring typed(1, static_cast<wchar_t>(unit));
  BeginEdit(grid, current->row, current->column, &typed);
}

// A header click sorts by that column through the model: ascending first,
// then the other way round.
void GridWindows::HeaderClick(ui::DataGrid& grid, int nativeColumn) {
  EndEdit(/*commit=*/true);
  const int column = nativeColumn - FirstColumn(grid);
  if (column < 0 || static_cast<std::size_t>(column) >= grid.Columns().size()) return;
  const auto index = static_cast<std::size_t>(column);
  const ui::SortOrder order =
      grid.SortColumn() == index && grid.GetSortOrder() == ui::SortOrder::kAscending
          ? ui::SortOrder::kDescending
          : ui::SortOrder::kAscending;
  grid.Sort(index, order);
  site_.AfterEvent();
}

// The grids' list views: clicks, keys and characters go to the grid model
// (the list view only shows it).
LRESULT GridWindows::ListMessage(HWND window, UINT message, WPARAM& wParam, LPARAM lParam,
                                 bool& handled) {
  ui::Control* control = site_.ControlOf(window);
  if (!control || control->Kind() != ui::ControlKind::kDataGrid) return 0;
  auto& grid = static_cast<ui::DataGrid&>(*control);
  handled = true;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (HitCell(window, point).line >= 0) {
        Click(grid, window, point);
        return 0;
      }
      EndEdit(/*commit=*/true);
      break;
    }
    case WM_KEYDOWN:
      if (Key(grid, wParam)) return 0;
      break;
    case WM_CHAR:
      Char(grid, wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_COMMAND:
      // The drop-down editor: a picked item is committed at once.
      if (reinterpret_cast<HWND>(lParam) == editor_.window && HIWORD(wParam) == CBN_SELENDOK) {
        EndEdit(/*commit=*/true);
        return 0;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
      EndEdit(/*commit=*/true);
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

// The cell editor: Enter commits, Escape cancels, losing the focus commits.
LRESULT GridWindows::EditorMessage(HWND window, UINT message, WPARAM& wParam, LPARAM lParam,
                                   bool& handled) {
  if (editor_.window != window) return 0;
  handled = true;
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DefSubclassProc(window, message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        // A drop-down's open list takes the key itself first.
        if (editor_.dropDown && SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0)) break;
        EndEdit(/*commit=*/wParam == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == 27) return 0;  // no beep
      break;
    case WM_KILLFOCUS:
      // A drop-down's own list takes no focus; anything else ends the edit.
      if (reinterpret_cast<HWND>(wParam) != window) {
        DefSubclassProc(window, message, wParam, lParam);
        EndEdit(/*commit=*/true);
        return 0;
      }
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

}  // namespace kelvora::win32
