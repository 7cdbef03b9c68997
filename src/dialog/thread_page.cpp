#include "dialog/thread_page.h"

#include <array>
#include <utility>

#include "dialog/xyz_demo_dialog.h"
#include "generators/thread.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kLoadFailed =
    "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap";

// Which box holds which thread input.
constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kBoxes = {{
    {generators::kThreadPitch, "txtPitch"},
    {generators::kThreadLength, "txtLength"},
    {generators::kThreadMajorDia, "txtMajorDia"},
    {generators::kThreadPasses, "txtPasses"},
    {generators::kThreadFeed, "txtFeed"},
    {generators::kThreadLeftHand, "chkLeftHand"},
    {generators::kThreadAutoDepth, "chkAutoDepth"},
    {generators::kThreadPitDepth, "txtPitDepth"},
    {generators::kThreadZaxis, "txtZaxis"},
    {generators::kThreadXaxis, "txtXaxis"},
    {generators::kThreadSpin, "txtThrdSpin"},
}};

}  // namespace

ThreadPage::ThreadPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), layout_(dlg, page) {
  using enum InputArea;
  using enum KeyFilter;
  GeneratorPage& b = layout_;
  auto& panel = page_.Add<ui::Panel>("panelPreview");
  panel.onPaint = [this](int width, int height) { return panelPreview_Paint(width, height); };
  b.PlaceOnTop(TopSlot::kMiddle, panel);
  b.ProgramBox("txtThreadGcode");

  // In reading order; no key filters (the axis and spindle boxes take any text).
  b.Input(kPattern, {"txtPitch", "", "", "Pitch/Bước", "5", kNone});
  b.Input(kPattern, {"txtLength", "", "", "Len/Dài", "20", kNone});
  b.Input(kPattern, {"txtMajorDia", "", "", "MajDia/Đ.Kính", "15", kNone});
  b.Input(kPattern, {"txtPasses", "", "", "Passes/lần", "5", kNone});
  b.Input(kPattern, {"txtFeed", "", "", "Feed/T.độ", "200", kNone});
  b.Check(kPattern, "chkLeftHand", "", "Left/Trái");
  auto& autoDepth = b.Check(kPattern, "chkAutoDepth", "", "Depth Std/ Sâu tiêu chuẩn:");
  b.Input(kPattern, {"txtPitDepth", "", "", "Depth / Sâu", "5", kNone});
  b.Input(kPattern, {"txtZaxis", "", "", "Z Axis", "Z", kNone});
  b.Input(kPattern, {"txtXaxis", "", "", "X Axis", "X", kNone});
  b.Input(kPattern, {"txtThrdSpin", "", "", "Spin/T.độ Spn", "15000", kNone});
  autoDepth.onCheckedChanged = [this](ui::CheckBox&) { chkAutoDepth_CheckedChanged(); };

  b.AddButton("btnGenerate", "Gen/Ok", [this] { btnGenerate_Click(); });
  b.AddButton("btnThreadLoad", "Load", [this] { btnThreadLoad_Click(); });
}

generators::TextLookup ThreadPage::Inputs() {
  return [this](std::string_view key) -> std::string {
    for (const auto& [name, box] : kBoxes) {
      if (name == key) return dlg_.ControlValue(box).value_or(std::string());
    }
    return {};
  };
}

void ThreadPage::btnGenerate_Click() {
  const auto in = generators::ReadThreadInputs(Inputs());
  if (!in) {
    dlg_.ShowFailure(in.failure());
    return;
  }
  if (!dlg_.PutProgram(generators::ThreadGcodeGen(*in), "txtThreadGcode")) return;
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

void ThreadPage::btnThreadLoad_Click() {
  dlg_.LoadProgram(dlg_.Get<ui::TextBox>("txtThreadGcode").Text(), kLoadFailed);
}

}  // namespace kelvora::dialog
