#include "dialog/circle_page.h"

#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/circle.h"

namespace kelvora::dialog {
namespace {

constexpr int kSketchSize = 300;

}  // namespace

CirclePage::CirclePage(XYZDemoDialog& dlg, ui::TabPage& page) : ProgramPage(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  b.Sketch("pictureBox2", CircleSketch(kSketchSize, kSketchSize));
  Preview("pbxKhoanTron");
  ProgramBox("txtDrillGcode");

  // The pitch circle's two inputs in their frame, then the rest in reading order.
  b.BeginGroup(kPattern, "groupBox1", "PCD");
  b.Rows(kPattern, {settings::JobInputs::kCircle}, 0, 2);
  b.EndGroup();
  b.Rows(kPattern, {settings::JobInputs::kCircle}, 2);
  b.Rows(kMachining, {settings::JobInputs::kCircle});
  AddOptionsButton("btnCirOptions", settings::JobInputs::kCircle);

  b.AddButton("btnKhoanTronPreview", "Preview", [this] { btnKhoanTronPreview_Click(); });
  AddGcodeGenButton("btnDrillGcodeGen", generators::CircleJob, settings::JobInputs::kCircle);
  AddLoadButton("btnDrillLoadGcode", kFileOpening);
  AddCloseButton("button1");
}

void CirclePage::btnKhoanTronPreview_Click() {
  // Pattern inputs that do not convert give no holes: an empty preview.
  const auto in = generators::ReadCirclePatternInputs(dlg_.Inputs());
  geometry::DrawList holes;
  if (in) holes = generators::CirclePatternGen(*in);
  ShowPreview(geometry::DrawAll::DrawListDrill, holes, geometry::kMarkCentre);
}

}  // namespace kelvora::dialog
