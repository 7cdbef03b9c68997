#include "dialog/surface_square_page.h"

#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/surface.h"

namespace kelvora::dialog {
namespace {

constexpr int kSketchWidth = 300;
constexpr int kSketchHeight = 290;
// The line renderer draws no marker whatever the mode; the tab asks for mode 2.
constexpr int kLineMode = 2;

}  // namespace

SurfaceSquarePage::SurfaceSquarePage(XYZDemoDialog& dlg, ui::TabPage& page)
    : ProgramPage(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  b.Sketch("pictureBox6", SurfaceSketch(kSketchWidth, kSketchHeight, false));
  // The flipped sketch takes the same place and starts hidden (see Arrange).
  auto& flipped = page_.Add<ui::PictureBox>("pictureBox5");
  flipped.SetBackgroundImage(SurfaceSketch(kSketchWidth, kSketchHeight, true));
  flipped.SetVisible(false);
  Preview("pxbMSqr");
  ProgramBox("txtMSqrGcode");

  b.Rows(kPattern, {settings::JobInputs::kSurface});
  b.Rows(kMachining, {settings::JobInputs::kSurface});
  auto& flip = dlg_.Get<ui::CheckBox>("chkbMSqrFlip");
  auto& gotoZero = dlg_.Get<ui::CheckBox>("chkbMSqrGotoZero");

  flip.onCheckedChanged = [this](ui::CheckBox&) { chkbMSqrFlip_CheckedChanged(); };
  gotoZero.onCheckedChanged = [this](ui::CheckBox&) { chkbMSqrFlip_CheckedChanged(); };

  b.AddButton("btnMSqrPreview", "Preview", [this] { btnMSqrPreview_Click(); });
  AddGcodeGenButton("btnMSqrGcodeGen", generators::SurfMillJob, settings::JobInputs::kSurface);
  AddLoadButton("btnMSqrLoad", kErrorSaveFile);
  AddCloseButton("button4");
}

void SurfaceSquarePage::Arrange() {
  layout_.Arrange();
  dlg_.Get<ui::PictureBox>("pictureBox5")
      .SetBounds(dlg_.Get<ui::PictureBox>("pictureBox6").GetBounds());
}

void SurfaceSquarePage::chkbMSqrFlip_CheckedChanged() {
  const bool flipped = dlg_.Get<ui::CheckBox>("chkbMSqrFlip").Checked();
  dlg_.Get<ui::PictureBox>("pictureBox5").SetVisible(flipped);
  dlg_.Get<ui::PictureBox>("pictureBox6").SetVisible(!flipped);
}

void SurfaceSquarePage::btnMSqrPreview_Click() {
  const auto in = generators::ReadSurfMillPatternInputs(dlg_.Inputs());
  geometry::DrawList lines;
  if (in) {
    // A step-over so small that the rows could not be counted: the message, and
    // the picture stays as it was.
    if (auto refused = generators::CheckSurfMillPattern(*in)) {
      dlg_.ShowFailure(*refused);
      return;
    }
    lines = generators::SurfMillPatternGen(*in);
  }
  // Pattern inputs that do not convert give no lines: an empty preview.
  ShowPreview(geometry::DrawAll::DrawListLine, lines, kLineMode);
}

}  // namespace kelvora::dialog
