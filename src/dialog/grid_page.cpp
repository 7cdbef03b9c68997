#include "dialog/grid_page.h"

#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/grid.h"
#include "generators/limits.h"

namespace kelvora::dialog {
namespace {

constexpr int kSketchWidth = 300;
constexpr int kSketchHeight = 290;

}  // namespace

GridPage::GridPage(XYZDemoDialog& dlg, ui::TabPage& page) : ProgramPage(dlg, page) {
  using enum InputArea;
  GeneratorPage& b = layout_;
  b.Sketch("pictureBox3", GridSketch(kSketchWidth, kSketchHeight));
  Preview("pbxGridDrill");
  ProgramBox("txtGridGcode");

  b.Rows(kPattern, {settings::JobInputs::kGrid});
  b.Rows(kMachining, {settings::JobInputs::kGrid});
  AddOptionsButton("btnGridOptions", settings::JobInputs::kGrid);

  b.AddButton("btnGridPreview", "Preview", [this] { btnGridPreview_Click(); });
  AddGcodeGenButton("btnGridGcodGen", generators::GridJob, settings::JobInputs::kGrid);
  AddLoadButton("btnGridLoad", kFileWriteError);
  AddCloseButton("button2");
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
  ShowPreview(geometry::DrawAll::DrawListDrill, holes, geometry::kMarkFirstHole);
}

}  // namespace kelvora::dialog
