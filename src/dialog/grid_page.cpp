#include "dialog/grid_page.h"

#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/grid.h"
#include "generators/limits.h"
#include "geometry/draw_all.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kLoadFailed =
    "File write error! \r\n C:\\Mach3\\PlugIns\\Gcode\\temp.tap";
constexpr int kSketchWidth = 300;
constexpr int kSketchHeight = 290;

}  // namespace

GridPage::GridPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page), layout_(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  b.Sketch("pictureBox3", GridSketch(kSketchWidth, kSketchHeight));
  b.Preview("pbxGridDrill", PreviewStartDrawing(451, 397));
  b.ProgramBox("txtGridGcode");

  b.Rows(kPattern, {settings::JobInputs::kGrid});
  b.Rows(kMachining, {settings::JobInputs::kGrid});

  b.AddButton("btnGridPreview", "Preview", [this] { btnGridPreview_Click(); });
  b.AddButton("btnGridGcodGen", "GCode Gen ", [this] { btnGridGcodGen_Click(); });
  b.AddButton("btnGridLoad", "Load", [this] { btnGridLoad_Click(); });
  b.AddButton("button2", "Close", [this] { dlg_.btnClose_Click(); });
}

void GridPage::btnGridPreview_Click() {
  const auto in = generators::ReadGridPatternInputs(dlg_.Inputs());
  geometry::DrawList holes;
  if (!in) {
    // The builder reads every input before the first hole: nothing to draw.
    dlg_.ShowFailure(in.failure());
  } else if (auto refused = generators::CheckLimit(generators::LimitId::kHoles,
                                                   generators::GridHoleCount(*in))) {
    // Too many holes to draw: the message, and the picture stays as it was.
    dlg_.ShowFailure(*refused);
    return;
  } else {
    holes = generators::GridPatternGen(*in);
  }
  auto& box = dlg_.Get<ui::PictureBox>("pbxGridDrill");
  const ui::Bounds b = box.GetBounds();
  box.SetImage(
      geometry::DrawAll::DrawListDrill(holes, {b.width, b.height, 0, 0}, geometry::kMarkFirstHole));
}

void GridPage::btnGridGcodGen_Click() {
  dlg_.PutProgram(generators::GridJob(dlg_.Inputs()), "txtGridGcode");
}

void GridPage::btnGridLoad_Click() {
  dlg_.LoadProgram(dlg_.Get<ui::TextBox>("txtGridGcode").Text(), kLoadFailed);
}

}  // namespace kelvora::dialog
