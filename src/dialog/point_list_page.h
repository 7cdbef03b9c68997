// The point list (tabPage7): holes, or circular pockets, at the points of a list
// that the operator types in, takes from the machine's position, reads from a
// "Name,X,Y" file or a drawing's circles, or lays out with the automatic grid.
#pragma once

#include <string_view>

#include "dialog/program_page.h"
#include "generators/auto_grid.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {

// The filters of the list's file dialogs.
inline constexpr std::string_view kPointOpenFilter =
    "csv files (*.csv)|*.csv|dxf(*.dxf)|*.dxf|All files (*.*)|*.*";
inline constexpr std::string_view kPointSaveFilter = DialogPage::kCsvFilter;

class PointListPage : public ProgramPage {
 public:
  PointListPage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override;
  void SettingsLoaded() override;

  ui::DataGrid& Grid() { return *grid_; }

  // "Get": the machine position into the X and Y cells of the selected row.
  void btnGetXY_Click();
  // "Add": an empty row at the end.
  void btnAnyAdd_Click();
  // "Insert": an empty row above the selected one.
  void btnAnyInsert_Click();
  // "Delete": the selected row, after a confirmation.
  void btnAnyDelete_Click();
  // "Clear": every row, after a confirmation.
  void btnInputClear_Click();
  // "OpenFile": the list from a point file or a drawing's circles.
  void btnAnyLoad_Click();
  // "Save": the list as a point file.
  void btnAnySave_Click();
  // "Preview": the checked list as holes, or as pockets of radii R1 and R2.
  void btnAnyPreview_Click();
  // "GCode Gen ": the drilling or pocketing program into txtAnyGcode.
  void btnAnyGcodeGen_Click();
  // "Auto": the list from the automatic grid dialog.
  void btnAutoGen_Click();
  // "Load", the program box to the host (see ProgramPage).
  void btnAnyLoad_Click_1() { LoadProgramBox(); }
  // "Pocket": enables the pocket group while checked.
  void chkbAnyPocket_CheckedChanged();

  // The last R1 and R2 read from their boxes, and the state of "Pocket".
  double AnyRo = 0;
  double AnyHoleSize = 0;
  bool AnyPocket = false;

 private:
  // The list's check, then the preview as "Preview" draws it; false when the
  // check or a conversion refused it (the message has been shown).
  bool CheckAndPreview();
  // The automatic grid's remembered values (the dialog's stored values).
  generators::AutoGridParams RememberedGrid();
  void RememberGrid(generators::TextLookup boxes);

  ui::DataGrid* grid_ = nullptr;
  ui::PictureBox* sketch_ = nullptr;
};

}  // namespace kelvora::dialog
