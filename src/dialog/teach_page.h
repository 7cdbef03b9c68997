// The teach table (tabPage2): the operator drives the machine to positions and
// records them as steps of operations, edits the ten operation definitions,
// keeps tables in teach files, and turns the table into a program.
//
// The machine side: the update cycle writes the machine position into
// txtTchX … txtTchC (XYZDemoDialog::ShowMachinePosition) and, in automatic mode,
// looks at the host's four input signals itself, through its latch, and runs the
// action of a new press here (RunTeachAction); the page keeps no signal state.
#pragma once

#include <optional>
#include <string>

#include "dialog/dialog_page.h"
#include "dialog/report_line.h"
#include "dialog/teach_table.h"
#include "generators/teach.h"
#include "ui/data_grid.h"
#include "ui/table.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class TeachPage : public DialogPage {
 public:
  TeachPage(XYZDemoDialog& dlg, ui::TabPage& page);

  void Arrange() override;
  void LanguageChanged() override {
    reportLine_.Retext();
    Arrange();
  }
  // The stored definitions are in: the operation lists are built from them.
  void SettingsLoaded() override { updateTchGrid(); }

  // Rebuilds the operation lists from the ten definitions (an empty one gets its
  // default, which is then what is stored).
  void updateTchGrid();
  void cmbTchOpList_SelectedIndexChanged();
  void btnTchUpdate_Click();
  void btnTchNew_Click();
  void btnTchOpen_Click();
  void btnTchSave_Click();
  void btnTchInsert_Click();
  void btnTchDelete_Click();
  void btnTchCopy_Click();
  void btnTchPaste_Click();
  void dataGridView2_UserAddedRow();
  void btnTchGet_Click();
  void btnGetAuto_Click();
  void btnTchGc_gen_Click();
  void btnTchLoad_Click();

  // The automatic mode's actions.
  void GetPos();
  void SetOp1() { SetOp(1); }
  void SetOp2() { SetOp(2); }
  void SetOp3() { SetOp(3); }
  void RunTeachAction(TeachAction action);

  bool DataLoaded() const { return dataLoaded_; }
  // The definition texts "tchOp1" … "tchOp10" as they are stored.
  generators::TeachDefinitions Definitions() const;
  const generators::TeachOpLists& OpLists() const { return lists_; }
  // The current teach file, empty for none (lblTchFile shows it).
  const std::string& TeachFile() const { return teachFile_; }
  ReportLine& GetReportLine() { return reportLine_; }

 private:
  ui::DataGrid& Grid() { return *grid_; }
  TeachPosition Position();
  void SetOp(std::size_t definition);
  void SetTeachFile(std::string path);
  void StoreDefinitions(const generators::TeachDefinitions& definitions);
  // The teach job's inputs: the dialog's, with the operation definitions
  // ("tchOp1" …) as they are stored.
  generators::TextLookup TeachInputs();
  void ShowIf(const std::optional<std::string>& message);
  // Writes the table to `path`; on failure tells the operator and returns false.
  bool WriteTable(const std::string& path);

  ui::Table table_;
  ui::DataGrid* grid_ = nullptr;
  generators::TeachOpLists lists_;
  TeachRowClipboard cpydrRow_;
  std::string teachFile_;
  bool dataLoaded_ = false;
  ReportLine reportLine_;
};

}  // namespace kelvora::dialog
