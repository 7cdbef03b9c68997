#include "dialog/thread_page.h"

#include "dialog/xyz_demo_dialog.h"
#include "generators/thread.h"

namespace kelvora::dialog {

ThreadPage::ThreadPage(XYZDemoDialog& dlg, ui::TabPage& page) : ProgramPage(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  auto& panel = page_.Add<ui::Panel>("panelPreview");
  panel.onPaint = [this](int width, int height) { return panelPreview_Paint(width, height); };
  b.PlaceOnTop(TopSlot::kMiddle, panel);
  ProgramBox("txtThreadGcode");

  // No key filters: the axis and spindle boxes take any text.
  b.Rows(kPattern, {settings::JobInputs::kThread});
  auto& autoDepth = dlg_.Get<ui::CheckBox>("chkAutoDepth");
  autoDepth.onCheckedChanged = [this](ui::CheckBox&) { chkAutoDepth_CheckedChanged(); };

  b.AddButton("btnGenerate", "Gen/Ok", [this] { btnGenerate_Click(); });
  AddLoadButton("btnThreadLoad", kFileWriteError);
}

generators::TextLookup ThreadPage::Inputs() {
  return [this](std::string_view key) -> std::string {
    const settings::InputRow* row = settings::FindInput(settings::JobInputs::kThread, key);
    if (!row) return {};
    return dlg_.ControlValue(row->control).value_or(std::string());
  };
}

void ThreadPage::btnGenerate_Click() {
  const auto in = generators::ReadThreadInputs(Inputs());
  if (!in) {
    dlg_.ShowFailure(in.failure());
    return;
  }
  if (!dlg_.PutProgram(generators::ThreadGcodeGen(*in), "txtThreadGcode",
                       settings::JobInputs::kThread, Inputs())) {
    return;
  }
  ReportProgram(settings::JobInputs::kThread, Inputs());
  const generators::ThreadPreview shown = generators::ThreadPreviewOf(*in);
  previewPitch = shown.pitch;
  previewLength = shown.length;
  previewMajorDia = shown.majorDia;
  previewDepth = shown.depth;
  dlg_.Get<ui::Panel>("panelPreview").Invalidate();
}

void ThreadPage::chkAutoDepth_CheckedChanged() {
  dlg_.Get<ui::TextBox>("txtPitDepth")
      .SetEnabled(!dlg_.Get<ui::CheckBox>("chkAutoDepth").Checked());
}

geometry::Picture ThreadPage::panelPreview_Paint(int width, int height) const {
  return generators::ThreadPreviewPicture(
      {previewPitch, previewLength, previewMajorDia, previewDepth}, width, height);
}

}  // namespace kelvora::dialog
