// Router/cutter (tabPage4): straight cuts from the three cut lists and contour
// milling of a drawing's polylines. The sub-tabs of tabControl4 (tabs along the
// bottom edge) hold the lists and the drawing's Open button; the list buttons,
// Preview and GCodeGen act on whichever sub-tab is selected when pressed.
//
//   sub-tabs (list or drawing) | machining inputs | preview pxbDxf
//   list buttons               |                  | program txtDxfGcode
//   file paths (cut list, drawing)                | GCodeGen, Load, Close
#pragma once

#include <optional>

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"
#include "dialog/report_line.h"
#include "generators/cut_lists.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {

class RouterPage : public DialogPage {
 public:
  RouterPage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override;
  void LanguageChanged() override {
    reportLine_.Retext();
    Arrange();
  }

  ReportLine& GetReportLine() { return reportLine_; }

  // The selected sub-tab, and the cut list it holds (none for "DXF").
  generators::CutSubTab SelectedSubTab() const;
  std::optional<generators::CutListKind> SelectedList() const;

  // "Open": a cut list file into the selected list (on "DXF" only its path is
  // kept); lines the reader skipped or ignored are named in one message.
  void btnCutOpen_Click();
  // "Save": the selected list to the file in lblCutPath (after confirmation) or
  // to a new file; on "DXF" nothing is written and the operator is told so.
  void btnCutSave_Click();
  // "Add", "Insert", "Delete": rows of the selected list. "DeleteAll": empties
  // the generated list, whichever sub-tab is selected.
  void btnCutAdd_Click();
  void btnCutInsert_Click();
  void btnCutDelete_Click();
  void btnCutDeleteAll_Click();
  // "Preview": the selected list's cuts into pxbDxf (nothing on "DXF").
  void btnCutPreview_Click();
  // "GCodeGen": the selected list's cut program, or the drawing's contour
  // program on "DXF", followed by the end script, into txtDxfGcode with the
  // close-file request. A refused list, input or drawing: the message, and the
  // program box keeps what it held.
  void btnDxfGcodeGen_Click();
  // "Load": the program box to the host.
  void btnDxfLoad_Click();
  // "Open" on the "DXF" sub-tab: the drawing's outlines, read as the contour
  // options say, previewed (with the tool's paths once an option asks for more
  // than cutting LWPOLYLINEs on the line) and its path kept in lblDxfPath for
  // GCodeGen; what the reading left out is named in one message.
  void btnDxfOpen_Click();
  // What Open does with the file chosen: the path kept, the drawing previewed
  // and what its reading left out named.
  void OpenDrawing(const std::string& path);
  // "Options" on the "DXF" sub-tab: the contour options form; OK keeps its
  // texts for GCodeGen and redraws an open drawing's preview with them.
  void btnDxfOptions_Click();

  ui::TabControl& tabControl4;

 private:
  struct ListControls {
    ui::DataGrid* grid = nullptr;
    ui::TextBox* start = nullptr;
    ui::TextBox* end = nullptr;
  };
  ListControls& List(generators::CutListKind kind);
  // Builds the selected list's cuts (after its grid check); nullopt when the
  // sub-tab holds no list or the list was refused (the message is shown).
  std::optional<geometry::DrawList> SelectedCuts();
  void GenerateCuts();
  void GenerateContours();
  // Reads the drawing at `path` through the outline options and draws it into
  // the preview; with `tell`, a refusal and the reading's notes are shown.
  void PreviewDrawing(const std::string& path, bool tell);
  void ArrangeSubTabs();

  GeneratorPage builder_;
  ListControls horizontal_;
  ListControls vertical_;
  ListControls generated_;
  ui::TextBox* toolDia_ = nullptr;
  ui::Button* dxfOpen_ = nullptr;
  ui::Button* dxfOptions_ = nullptr;
  ui::Label* dxfNote_ = nullptr;
  ui::Label* cutPath_ = nullptr;
  ui::Label* dxfPath_ = nullptr;
  ui::PictureBox* preview_ = nullptr;
  ui::TextBox* program_ = nullptr;
  std::vector<ui::Button*> listButtons_;
  std::vector<ui::Button*> programButtons_;
  ReportLine reportLine_;
};

}  // namespace kelvora::dialog
