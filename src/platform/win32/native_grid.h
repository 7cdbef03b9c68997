// The grids of the native window back-end: a virtual list view per grid model,
// showing its lines, with the cell editor over the cell being edited and the
// header's sort arrows. Clicks, keys and characters go to the model.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win32/native_paint.h"
#include "platform/win32/native_window.h"
#include "ui/data_grid.h"

namespace kelvora::win32 {

class GridWindows {
 public:
  // `writing` is the form's count of its own writes into native controls.
  GridWindows(FormSite& site, FormPainter& painter, int& writing)
      : site_(site), painter_(painter), writing_(writing) {}
  GridWindows(const GridWindows&) = delete;
  GridWindows& operator=(const GridWindows&) = delete;

  // Takes over the list view made for `grid`.
  void Add(ui::DataGrid& grid, HWND list);
  // Puts the model's columns (and the row headers' column) into the list view.
  void FillColumns(ui::DataGrid& grid);
  // Brings every list view up to date with its table.
  void RefreshAll();
  // WM_NOTIFY from a grid's list view.
  void OnNotify(ui::DataGrid& grid, const NMHDR& header);
  // Forgets an open edit before the windows go: it is dropped with its window,
  // and losing the focus then ends nothing.
  void DropEdit() { editor_ = CellEditor{}; }

 private:
  // The edit box (or, in a drop-down column, the combo box) over the cell being
  // edited; one at a time in the whole form.
  struct CellEditor {
    HWND window = nullptr;
    ui::DataGrid* grid = nullptr;
    std::size_t line = 0;
    std::size_t column = 0;
    bool dropDown = false;
  };

  void Refresh(ui::DataGrid& grid);
  void ShowSortArrows(const ui::DataGrid& grid, HWND list);
  void FillCell(ui::DataGrid& grid, LVITEMW& item);
  void BeginEdit(ui::DataGrid& grid, std::size_t line, std::size_t column,
                 const std::wstring* typed = nullptr);
  void EndEdit(bool commit);
  void Click(ui::DataGrid& grid, HWND list, POINT point);
  bool Key(ui::DataGrid& grid, WPARAM key);
  void Char(ui::DataGrid& grid, WPARAM unit);
  void HeaderClick(ui::DataGrid& grid, int nativeColumn);
  LRESULT ListMessage(HWND window, UINT message, WPARAM& wParam, LPARAM lParam, bool& handled);
  LRESULT EditorMessage(HWND window, UINT message, WPARAM& wParam, LPARAM lParam, bool& handled);

  FormSite& site_;
  FormPainter& painter_;
  int& writing_;
  std::vector<ui::DataGrid*> grids_;
  CellEditor editor_;
};

}  // namespace kelvora::win32
