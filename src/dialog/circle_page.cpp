#include "dialog/circle_page.h"

#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/circle.h"
#include "geometry/draw_all.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kLoadFailed = "File opening \r\n, please close the file first!";
constexpr int kSketchSize = 300;

}  // namespace

CirclePage::CirclePage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), layout_(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  b.Sketch("pictureBox2", CircleSketch(kSketchSize, kSketchSize));
  b.Preview("pbxKhoanTron", PreviewStartDrawing(451, 397));
  b.ProgramBox("txtDrillGcode");

  // The pitch circle's two inputs in their frame, then the rest in reading order.
  b.BeginGroup(kPattern, "groupBox1", "PCD");
  b.Rows(kPattern, {settings::JobInputs::kCircle}, 0, 2);
  b.EndGroup();
  b.Rows(kPattern, {settings::JobInputs::kCircle}, 2);
  b.Rows(kMachining, {settings::JobInputs::kCircle});

  b.AddButton("btnKhoanTronPreview", "Preview", [this] { btnKhoanTronPreview_Click(); });
  b.AddButton("btnDrillGcodeGen", "GCode Gen ", [this] { btnDrillGcodeGen_Click(); });
  b.AddButton("btnDrillLoadGcode", "Load", [this] { btnDrillLoadGcode_Click(); });
  b.AddButton("button1", "Close", [this] { dlg_.btnClose_Click(); });
}

void CirclePage::btnKhoanTronPreview_Click() {
  // Pattern inputs that do not convert give no holes: an empty preview.
  const auto in = generators::ReadCirclePatternInputs(dlg_.Inputs());
  geometry::DrawList holes;
  if (in) holes = generators::CirclePatternGen(*in);
  auto& box = dlg_.Get<ui::PictureBox>("pbxKhoanTron");
  const ui::Bounds b = box.GetBounds();
  box.SetImage(
      geometry::DrawAll::DrawListDrill(holes, {b.width, b.height, 0, 0}, geometry::kMarkCentre));
}

void CirclePage::btnDrillGcodeGen_Click() {
  dlg_.PutProgram(generators::CircleJob(dlg_.Inputs()), "txtDrillGcode");
}

void CirclePage::btnDrillLoadGcode_Click() {
  dlg_.LoadProgram(dlg_.Get<ui::TextBox>("txtDrillGcode").Text(), kLoadFailed);
}

}  // namespace kelvora::dialog
