#include "dialog/program_page.h"

#include "dialog/drill_options_form.h"
#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"

namespace kelvora::dialog {

ProgramPage::ProgramPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), layout_(dlg, page) {}

ui::PictureBox& ProgramPage::Preview(std::string name) {
  preview_ = &layout_.Preview(std::move(name), PreviewStartDrawing(451, 397));
  return *preview_;
}

ui::TextBox& ProgramPage::ProgramBox(std::string name) {
  const std::string line = "lbl" + name.substr(name.starts_with("txt") ? 3 : 0) + "Report";
  program_ = &layout_.ProgramBox(std::move(name));
  reportLine_ = std::make_unique<ReportLine>(dlg_, page_, line);
  layout_.UnderProgram(reportLine_->GetLabel(),
                       [this](int width) { return reportLine_->Fit(width); });
  return *program_;
}

ui::Button& ProgramPage::AddGcodeGenButton(std::string name, Job job, settings::JobInputs inputs) {
  job_ = job;
  jobInputs_ = inputs;
  return layout_.AddButton(std::move(name), "GCode Gen ", [this] { GenerateProgram(); });
}

ui::Button& ProgramPage::AddLoadButton(std::string name, std::string_view failureMessage) {
  loadFailure_ = failureMessage;
  return layout_.AddButton(std::move(name), "Load", [this] { LoadProgramBox(); });
}

void ProgramPage::GenerateProgram() {
  const generators::TextLookup inputs = dlg_.Inputs();
  if (!dlg_.PutProgram(job_(inputs, {}), program_->Name(), jobInputs_, inputs)) return;
  ReportProgram(jobInputs_, inputs);
}

void ProgramPage::ReportProgram(settings::JobInputs job, const generators::TextLookup& inputs) {
  reportLine_->Show(program_->Text(), job, inputs, preview_);
  Arrange();
}

void ProgramPage::LoadProgramBox() {
  dlg_.LoadProgram(program_->Text(), loadFailure_);
}

ui::Button& ProgramPage::AddCloseButton(std::string name) {
  return layout_.AddButton(std::move(name), "Close", [this] { dlg_.btnClose_Click(); });
}

ui::Button& ProgramPage::AddOptionsButton(std::string name, settings::JobInputs inputs) {
  optionInputs_ = inputs;
  return layout_.AreaButton(InputArea::kMachining, std::move(name), "Options",
                            [this] { OpenOptions(); });
}

void ProgramPage::OpenOptions() {
  DrillOptionsForm form(dlg_.GetPrompts(), optionInputs_, dlg_.Language);
  form.Fill(dlg_.Inputs());
  // Cancel, or the form closed otherwise, leaves the tab's options as they were.
  if (dlg_.GetPrompts().ShowModal(form.GetForm()) != ui::DialogResult::kOk) return;
  // A run the platform ended with OK in another way keeps nothing unsound.
  if (form.FirstUnsound()) return;
  const generators::TextLookup texts = form.Inputs();
  for (const settings::InputRow* row : form.Rows()) dlg_.SetMirrorValue(row->key, texts(row->key));
}

void ProgramPage::ShowPreview(Renderer render, const geometry::DrawList& list, int mode) {
  const ui::Bounds b = preview_->GetBounds();
  preview_->SetImage(render(list, {b.width, b.height, 0, 0}, mode));
}

}  // namespace kelvora::dialog
