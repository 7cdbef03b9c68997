// The part the generator tabs built with GeneratorPage share: the layout
// builder, which places everything on every resize, and the program box with
// the buttons that work alike on every such tab. "GCode Gen " puts the tab's
// job's program of the dialog's inputs into the program box and raises the
// close-file request (a refused input shows its message, and the box keeps
// what it held); "Load" hands the program box to the host, showing the tab's
// own message when temp.tap cannot be written; "Close" minimises the window.
// Under the program box the report line tells what the program does (see
// report_line.h); after every GCode Gen it is made anew, and the preview shows
// the program's path.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"
#include "dialog/report_line.h"
#include "generators/inputs.h"
#include "geometry/draw_all.h"
#include "text/outcome.h"

namespace kelvora::dialog {

class ProgramPage : public DialogPage {
 public:
  void Arrange() override { layout_.Arrange(); }
  void LanguageChanged() override {
    reportLine_->Retext();
    Arrange();
  }

  ReportLine& GetReportLine() { return *reportLine_; }
  // What a drilling tab's "Options" does (see AddOptionsButton).
  void OpenOptions();

 protected:
  // A job that makes a program of the dialog's inputs (and hands its drawing
  // list to the sink, which the tab does not give).
  using Job = Outcome<std::string> (*)(const generators::TextLookup& texts,
                                       const generators::ListSink& sink);

  ProgramPage(XYZDemoDialog& dlg, ui::TabPage& page);

  // The preview picture (middle, top), showing the empty preview until the
  // first "Preview".
  ui::PictureBox& Preview(std::string name);
  // The program box (right, top) that the buttons below use, with the report
  // line under it ("txtDrillGcode" has "lblDrillGcodeReport").
  ui::TextBox& ProgramBox(std::string name);

  // `inputs` is the job's table, whose stated depth the report checks against.
  ui::Button& AddGcodeGenButton(std::string name, Job job, settings::JobInputs inputs);
  ui::Button& AddLoadButton(std::string name, std::string_view failureMessage);
  ui::Button& AddCloseButton(std::string name);
  // "Options": the drilling options form of `inputs`' option rows, opened with
  // the tab's option texts; OK puts the form's texts back into the tab, where
  // GCode Gen and Preview read them.
  ui::Button& AddOptionsButton(std::string name, settings::JobInputs inputs);

  // What "GCode Gen " and "Load" do; each tab names them as its buttons' handlers.
  void GenerateProgram();
  void LoadProgramBox();
  // The report line and the path preview for the program box's new program.
  void ReportProgram(settings::JobInputs job, const generators::TextLookup& inputs);

  // A drawing list into the preview picture, drawn by `render` for the
  // picture's current size with `mode`'s marker.
  using Renderer = geometry::Picture (*)(const geometry::DrawList& list,
                                         const geometry::PreviewBox& box, int mode);
  void ShowPreview(Renderer render, const geometry::DrawList& list, int mode);

  GeneratorPage layout_;

 private:
  ui::PictureBox* preview_ = nullptr;
  ui::TextBox* program_ = nullptr;
  std::unique_ptr<ReportLine> reportLine_;
  Job job_ = nullptr;
  settings::JobInputs jobInputs_ = settings::JobInputs::kGeneral;
  settings::JobInputs optionInputs_ = settings::JobInputs::kGeneral;
  std::string_view loadFailure_;
};

}  // namespace kelvora::dialog
