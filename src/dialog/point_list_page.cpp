#include "dialog/point_list_page.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "dialog/auto_gen.h"
#include "dialog/grid_numbers.h"
#include "dialog/page_measures.h"
#include "dialog/point_table.h"
#include "dialog/sketches.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/contour_options.h"
#include "generators/dxf_points.h"
#include "generators/list_checks.h"
#include "generators/point_list.h"
#include "geometry/draw_all.h"
#include "geometry/dxf_wrapper.h"
#include "text/files.h"
#include "text/parse.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kNoRowSelected = "No row selected!";
constexpr std::string_view kGridName = "dataGridView1";
constexpr std::string_view kPreviewName = "pxbAny";
constexpr std::string_view kPathLabel = "lblAnyPath";

// The list's columns (384 pixels of cells) and the grid's frame fit the left column.
constexpr int kListColumnWidth = 350;
constexpr int kSketchWidth = 360;
constexpr int kSketchHeight = 110;
// The first of the pocket's inputs in the pattern area's reading order.
constexpr int kFirstPocketOrder = 4;

// The automatic grid's stored values, by settings key, with their defaults.
struct GridKey {
  std::string_view key;
  std::string_view start;
};
constexpr GridKey kGridKeys[] = {
    {"AnyXc", "0"},       {"AnyYc", "0"},          {"AnyNumOfRow", "0"},  {"AnyNumOfCol", "0"},
    {"AnyDistRow", "0"},  {"AnyDistCol", "0"},     {"AnyByRow", "False"}, {"AnyDual", "False"},
    {"AnyDualDist", "0"}, {"AnyEndcont", "False"}, {"AnyZigZacRow", "0"}, {"AnyZigZacCol", "0"},
    {"AnySub1", "False"},
};

bool FileExists(std::string_view path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(text::PathFromUtf8(path), ec);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (!out.empty()) out += "\r\n";
    out += line;
  }
  return out;
}

}  // namespace

PointListPage::PointListPage(XYZDemoDialog& dlg, ui::TabPage& page) : ProgramPage(dlg, page) {
  using enum InputArea;
  using enum KeyFilter;
  GeneratorPage& b = layout_;
  b.SetPatternWidth(kListColumnWidth);

  grid_ = &page_.Add<ui::DataGrid>(std::string(kGridName), dlg.dtResult);
  ConfigurePointGrid(*grid_);
  b.PlaceOnTop(TopSlot::kLeft, *grid_);
  sketch_ = &page_.Add<ui::PictureBox>("pbxAnySketch");
  sketch_->SetBackgroundImage(PointListSketch(kSketchWidth, kSketchHeight));
  Preview(std::string(kPreviewName));
  ProgramBox("txtAnyGcode");

  auto& x = b.Input(kPattern, {"textBoxX", "", "lblMachineX", "X", "5", kNone});
  auto& y = b.Input(kPattern, {"textBoxY", "", "lblMachineY", "Y", "2", kNone});
  x.SetReadOnly(true);
  y.SetReadOnly(true);
  b.Rows(kPattern, {settings::JobInputs::kPoints}, 0, kFirstPocketOrder);
  auto& pocket = dlg_.Get<ui::CheckBox>("chkbAnyPocket");
  pocket.onCheckedChanged = [this](ui::CheckBox&) { chkbAnyPocket_CheckedChanged(); };
  // The pocket's inputs sit in a frame that shows while Pocket is checked.
  b.BeginGroup(kPattern, "grpAnyPocket", "");
  b.Rows(kPattern, {settings::JobInputs::kPoints}, kFirstPocketOrder);
  b.EndGroup();
  b.Rows(kMachining, {settings::JobInputs::kPoints});
  AddOptionsButton("btnAnyOptions", settings::JobInputs::kPoints);
  b.Note(kMachining, std::string(kPathLabel), "File:-");

  b.AddButton("btnGetXY", "Get", [this] { btnGetXY_Click(); });
  b.AddButton("btnAnyAdd", "Add", [this] { btnAnyAdd_Click(); });
  b.AddButton("btnAnyInsert", "Insert", [this] { btnAnyInsert_Click(); });
  b.AddButton("btnAnyDelete", "Delete", [this] { btnAnyDelete_Click(); });
  b.AddButton("btnInputClear", "Clear", [this] { btnInputClear_Click(); });
  b.AddButton("btnAnyLoadFile", "OpenFile", [this] { btnAnyLoad_Click(); });
  b.AddButton("btnAnySave", "Save", [this] { btnAnySave_Click(); });
  b.AddButton("btnAutoGen", "Auto", [this] { btnAutoGen_Click(); });
  b.AddButton("btnAnyPreview", "Preview", [this] { btnAnyPreview_Click(); });
  b.AddButton("btnAnyGcodeGen", "GCode Gen ", [this] { btnAnyGcodeGen_Click(); });
  AddLoadButton("btnAnyLoad", kFileWriteError);
  AddCloseButton("button3");

  chkbAnyPocket_CheckedChanged();
}

void PointListPage::Arrange() {
  layout_.Arrange();
  // The list and the sketch share the upper left area: the sketch below the list.
  const ui::Bounds area = grid_->GetBounds();
  const int sketchHeight = std::min(kSketchHeight, area.height / 3);
  const int gap = measures::kGap;
  grid_->SetBounds({area.x, area.y, area.width, area.height - sketchHeight - gap});
  sketch_->SetBounds({area.x, area.Bottom() - sketchHeight, area.width, sketchHeight});
}

void PointListPage::SettingsLoaded() {
  chkbAnyPocket_CheckedChanged();
}

void PointListPage::chkbAnyPocket_CheckedChanged() {
  AnyPocket = dlg_.Get<ui::CheckBox>("chkbAnyPocket").Checked();
  // The group and everything in it, so no box of a disabled group takes input.
  ui::ForEachControl(dlg_.Get<ui::GroupBox>("grpAnyPocket"),
                     [this](ui::Control& c) { c.SetEnabled(AnyPocket); });
}

// --- List editing ---

void PointListPage::btnGetXY_Click() {
  if (!dlg_.GetPrompts().YesNo("Are you sure?", "Update new value?")) return;
  const auto row = grid_->FirstSelectedRow();
  if (!row) {
    dlg_.GetPrompts().Message(kNoRowSelected);
    return;
  }
  // By table position: in a grid sorted by X the row may move once X changes.
  const std::size_t at = grid_->TableRow(*row);
  ui::Table& table = grid_->GetTable();
  table.Set(at, *table.ColumnIndex("X"), dlg_.Get<ui::TextBox>("textBoxX").Text());
  table.Set(at, *table.ColumnIndex("Y"), dlg_.Get<ui::TextBox>("textBoxY").Text());
}

void PointListPage::btnAnyAdd_Click() {
  ui::Table& table = grid_->GetTable();
  table.AddRow({std::to_string(table.RowCount() + 1), "", "", ""});
  UpdateGrdv(*grid_);
}

void PointListPage::btnAnyInsert_Click() {
  ui::Table& table = grid_->GetTable();
  if (table.RowCount() == 0) return;
  const auto row = grid_->FirstSelectedRow();
  if (!row) return;
  table.InsertRow(grid_->TableRow(*row), {std::to_string(table.RowCount() + 1), "", "", ""});
  UpdateGrdv(*grid_);
}

void PointListPage::btnAnyDelete_Click() {
  ui::Table& table = grid_->GetTable();
  if (table.RowCount() == 0) return;
  if (!dlg_.GetPrompts().YesNo("Are you sure?", "Delete this component?")) return;
  const auto row = grid_->FirstSelectedRow();
  if (!row) return;
  table.RemoveRow(grid_->TableRow(*row));
  UpdateGrdv(*grid_);
}

void PointListPage::btnInputClear_Click() {
  if (!dlg_.GetPrompts().YesNo("Clear data? ", kConfirm)) return;
  grid_->GetTable().Clear();
}

// --- Files ---

void PointListPage::btnAnyLoad_Click() {
  ui::Prompts& prompts = dlg_.GetPrompts();
  if (!prompts.YesNo("Clear data? ", kConfirm)) return;
  // The list is replaced only by a file that was read: a cancelled dialog or a
  // refused file leaves it as it was.
  const auto path = prompts.OpenFile(kPointOpenFilter);
  if (!path || !FileExists(*path)) {
    prompts.Message(generators::kNoFile);
    return;
  }
  const auto kind = generators::PointFileKindOf(*path);
  if (!kind) {
    prompts.Message(kind.failure().message);
    return;
  }
  const auto units = generators::ReadPointUnits(dlg_.Inputs());
  if (!units) {
    dlg_.ShowFailure(units.failure());
    return;
  }
  const auto file =
      *kind == generators::PointFileKind::kDxf
          ? generators::LoadDxfPoints(*path, generators::ReadPointLayers(dlg_.Inputs()), *units)
          : generators::LoadCsv(*path);
  if (!file) {
    dlg_.ShowFailure(file.failure());
    return;
  }
  dlg_.Get<ui::Label>(kPathLabel).SetText(*path);
  ReplacePointRows(*grid_, file->rows);
  // Lines the list could not take are named, so none is lost unnoticed.
  if (!file->report.clean()) prompts.Message(JoinLines(file->report.Messages()));
  // What the drawing's header tells of its units.
  if (!file->notes.empty()) prompts.Message(JoinLines(file->notes));
  if (*kind == generators::PointFileKind::kDxf && file->rows.empty()) {
    prompts.Message(geometry::kNoCircle);
  }
  CheckAndPreview();
}

void PointListPage::btnAnySave_Click() {
  ui::Prompts& prompts = dlg_.GetPrompts();
  if (!prompts.YesNo("Save file? ", kConfirm)) return;
  auto& label = dlg_.Get<ui::Label>(kPathLabel);
  std::string path = label.Text();
  // A list taken from a drawing is never written over the drawing.
  if (const auto kind = generators::PointFileKindOf(path);
      kind && *kind == generators::PointFileKind::kDxf) {
    label.SetText("");
    path.clear();
  }
  const auto rows = PointRowsOf(*grid_);
  if (FileExists(path) && prompts.YesNo("Replace existing file?", kConfirm)) {
    if (const auto saved = generators::SavePointFile(path, rows); !saved) {
      prompts.Message(saved.failure().message);
    }
    return;
  }
  const auto chosen = prompts.SaveFile(kPointSaveFilter);
  if (!chosen || chosen->empty() || FileExists(*chosen)) {
    prompts.Message(kCannotSave);
    return;
  }
  if (const auto saved = generators::SavePointFile(*chosen, rows); !saved) {
    prompts.Message(saved.failure().message);
    return;
  }
  label.SetText(*chosen);
  prompts.Message(kSaveSuccessful);
}

// --- Preview and program ---

bool PointListPage::CheckAndPreview() {
  if (auto wrong = generators::FindPointWithoutXY(NumberedPointsOf(*grid_))) {
    dlg_.GetPrompts().Message(*wrong);
    return false;
  }
  AnyPocket = dlg_.Get<ui::CheckBox>("chkbAnyPocket").Checked();
  const auto inputs = dlg_.Inputs();
  double R1 = 0;
  double R2 = 0;
  if (AnyPocket) {
    const auto radii = generators::PocketPreviewR1(inputs);
    if (!radii) {
      dlg_.ShowFailure(radii.failure());
      return false;
    }
    AnyRo = R1 = radii->r1.R1;
    AnyHoleSize = R2 = radii->R2;
    if (radii->r1.boxText) dlg_.Get<ui::TextBox>("txtAnyRo").SetText(*radii->r1.boxText);
    if (radii->r1.message) dlg_.GetPrompts().Message(*radii->r1.message);
  }
  auto list = generators::AnyListGen(PointRowsOf(*grid_), inputs);
  if (!list) {
    dlg_.ShowFailure(list.failure());
    return false;
  }
  // The holes in the order the program drills them; a chosen order shows the
  // way from each hole to the next.
  const auto order = generators::OrderHoles(*list, inputs);
  if (!order) {
    dlg_.ShowFailure(order.failure());
    return false;
  }
  const bool path = order->has_value();
  auto& box = dlg_.Get<ui::PictureBox>(kPreviewName);
  const ui::Bounds b = box.GetBounds();
  const geometry::PreviewBox size{b.width, b.height, 0, 0};
  box.SetImage(
      AnyPocket
          ? geometry::DrawAll::DrawListPocket(*list, size, geometry::kMarkFirstHole, R1, R2, path)
          : geometry::DrawAll::DrawListDrill(*list, size, geometry::kMarkFirstHole, path));
  return true;
}

void PointListPage::btnAnyPreview_Click() {
  CheckAndPreview();
}

void PointListPage::btnAnyGcodeGen_Click() {
  // Rows with an empty X or Y are refused here too, as in the preview.
  if (auto wrong = generators::FindPointWithoutXY(NumberedPointsOf(*grid_))) {
    dlg_.GetPrompts().Message(*wrong);
    return;
  }
  AnyPocket = dlg_.Get<ui::CheckBox>("chkbAnyPocket").Checked();
  const auto inputs = dlg_.Inputs();
  if (AnyPocket) {
    if (const auto radii = generators::ReadPocketRadii(inputs)) {
      AnyRo = radii->R1;
      AnyHoleSize = radii->R2;
    }
  }
  auto program = generators::PointsJob(PointRowsOf(*grid_), inputs);
  if (!program) {
    dlg_.ShowFailure(program.failure());
    return;
  }
  // Made for the machine's control before anything is told: a program the
  // control would refuse is not shown, and neither are its reports.
  auto forMachine = dlg_.ForMachine(std::move(program->text), settings::JobInputs::kPoints, inputs);
  if (!forMachine) {
    dlg_.ShowFailure(forMachine.failure());
    return;
  }
  for (const std::string& report : program->reports) dlg_.GetPrompts().Message(report);
  dlg_.Get<ui::TextBox>("txtAnyGcode").SetText(std::move(*forMachine));
  dlg_.RaiseCloseFileRequest();
  GetReportLine().SetOrder(program->order);
  ReportProgram(settings::JobInputs::kPoints, inputs);
}

// --- Automatic grid ---

generators::AutoGridParams PointListPage::RememberedGrid() {
  const auto stored = [this](std::string_view key) -> std::string {
    if (auto text = dlg_.MirrorValue(key)) return *text;
    for (const GridKey& k : kGridKeys) {
      if (k.key == key) return std::string(k.start);
    }
    return {};
  };
  const auto params = generators::ReadAutoGridInputs(stored);
  return params ? *params : generators::AutoGridParams{};
}

void PointListPage::RememberGrid(generators::TextLookup boxes) {
  for (const GridKey& k : kGridKeys) dlg_.SetMirrorValue(k.key, boxes(k.key));
}

void PointListPage::btnAutoGen_Click() {
  AutoGen form(dlg_.GetPrompts());
  form.Fill(RememberedGrid());
  // Cancel leaves the list and the remembered values as they were.
  if (dlg_.GetPrompts().ShowModal(form.GetForm()) != ui::DialogResult::kOk) return;
  RememberGrid(form.Inputs());
  const auto rows = generators::AutoGridGen(form.Values());
  if (!rows) {
    dlg_.ShowFailure(rows.failure());
    return;
  }
  ReplacePointRows(*grid_, *rows);
  CheckAndPreview();
}

}  // namespace kelvora::dialog
