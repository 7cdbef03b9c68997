#include "dialog/router_page.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "dialog/cut_tables.h"
#include "dialog/drill_options_form.h"
#include "dialog/key_filters.h"
#include "dialog/page_measures.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/cut_toolpath.h"
#include "generators/dxf_contour.h"
#include "geometry/draw_all.h"
#include "geometry/draw_contours.h"
#include "geometry/dxf_outlines.h"
#include "geometry/dxf_wrapper.h"
#include "text/files.h"
#include "text/parse.h"
#include "ui/layout.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {

using namespace measures;

namespace {

using generators::CutListKind;
using generators::CutSubTab;

constexpr std::string_view kNoFile = "No file!";
// GCodeGen on the drawing's sub-tab before a drawing was opened.
constexpr std::string_view kPleaseSelectDxfFile = "Please select dxf file";
// The preview renderer's mode for the router tab's polylines.
constexpr int kPLineMode = 1;

constexpr int kListColumnWidth = 372;
constexpr int kInputsColumnWidth = 280;
constexpr int kSubTabBoxWidth = 80;

// The sentences of the drawing's reading and of the cutting, one a line.
std::string JoinNotes(const std::vector<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes) {
    if (!text.empty()) text += "\r\n";
    text += note;
  }
  return text;
}

bool FileExists(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto p = text::PathFromUtf8(path);
  return std::filesystem::exists(p, ec) && !std::filesystem::is_directory(p, ec);
}

// Places a caption (found by its box's name) and the box at (x, y); returns the
// x after them.
int PlacePair(XYZDemoDialog& dlg, ui::TextBox& box, int x, int y) {
  auto& label = dlg.Get<ui::Label>("lbl" + box.Name().substr(3));
  const int textHeight = ui::EstimateTextHeight(ui::kFormFont);
  const int labelWidth = ui::EstimateTextWidth(label.Text(), label.GetFont()) + 2;
  const int textTop = (kRowHeight - textHeight) / 2;
  label.SetBounds({x, y + textTop, labelWidth, textHeight});
  x += labelWidth + kLabelGap;
  box.SetBounds({x, y + 3, kSubTabBoxWidth, kBoxHeight});
  return x + kSubTabBoxWidth + 2 * kGap;
}

}  // namespace

RouterPage::RouterPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page),
      tabControl4(page.Add<ui::TabControl>("tabControl4")),
      builder_(dlg, page),
      reportLine_(dlg, page, "lblDxfGcodeReport") {
  using enum InputArea;
  tabControl4.SetAlignment(ui::TabAlignment::kBottom);
  auto& horizontal = tabControl4.AddPage("tabPage13", "Horizontal");
  auto& vertical = tabControl4.AddPage("tabPage14", "Vertical");
  auto& dxf = tabControl4.AddPage("tabPage15", "DXF");
  auto& gen = tabControl4.AddPage("tabPage16", "Gen");

  // The lists, each with its list-wide start and end (and the generated list's
  // tool diameter), over the grid.
  const auto cutInput = [this](ui::TabPage& tab, std::string_view key) -> ui::TextBox& {
    return builder_.LooseInput(tab, *settings::FindInput(settings::JobInputs::kCuts, key));
  };
  horizontal_.start = &cutInput(horizontal, "CutX1");
  horizontal_.end = &cutInput(horizontal, "CutX2");
  horizontal_.grid = &horizontal.Add<ui::DataGrid>("dataGridView3", dlg.dtCut);
  vertical_.start = &cutInput(vertical, "CutY1");
  vertical_.end = &cutInput(vertical, "CutY2");
  vertical_.grid = &vertical.Add<ui::DataGrid>("dataGridView4", dlg.dtCutVer);
  generated_.start = &cutInput(gen, "CutGenX1");
  generated_.end = &cutInput(gen, "CutGenX2");
  toolDia_ = &cutInput(gen, "CutToolDia");
  generated_.grid = &gen.Add<ui::DataGrid>("dataGridView5", dlg.dtCutGenHoriz);

  dxfOpen_ = &dxf.Add<ui::Button>("btnDxfOpen", "Open");
  dxfOpen_->onClick = [this](ui::Button&) { btnDxfOpen_Click(); };
  dxfOptions_ = &dxf.Add<ui::Button>("btnDxfOptions", "Options");
  dxfOptions_->onClick = [this](ui::Button&) { btnDxfOptions_Click(); };
  dxfNote_ = &dxf.Add<ui::Label>("label33", "(DXF Polylines only)");

  // The machining inputs shared by the lists and the drawing.
  GeneratorPage& b = builder_;
  b.Rows(kMachining, {settings::JobInputs::kContour, settings::JobInputs::kCuts});

  cutPath_ = &page.Add<ui::Label>("lblCutPath", "File:-");
  dxfPath_ = &page.Add<ui::Label>("lblDxfPath", "");

  // The preview has no start drawing: the box is framed so it shows while empty.
  preview_ = &page.Add<ui::PictureBox>("pxbDxf");
  preview_->SetBorder(true);
  program_ = &b.ProgramBox("txtDxfGcode");

  const auto button = [&page](std::vector<ui::Button*>& row, const char* name, const char* caption,
                              std::function<void()> click) {
    auto& btn = page.Add<ui::Button>(name, caption);
    btn.onClick = [click = std::move(click)](ui::Button&) { click(); };
    row.push_back(&btn);
  };
  button(listButtons_, "btnCutAdd", "Add", [this] { btnCutAdd_Click(); });
  button(listButtons_, "btnCutOpen", "Open", [this] { btnCutOpen_Click(); });
  button(listButtons_, "btnCutSave", "Save", [this] { btnCutSave_Click(); });
  button(listButtons_, "btnCutInsert", "Insert", [this] { btnCutInsert_Click(); });
  button(listButtons_, "btnCutDelete", "Delete", [this] { btnCutDelete_Click(); });
  button(listButtons_, "btnCutDeleteAll", "DeleteAll", [this] { btnCutDeleteAll_Click(); });
  button(listButtons_, "btnCutPreview", "Preview", [this] { btnCutPreview_Click(); });
  button(programButtons_, "btnDxfGcodeGen", "GCodeGen", [this] { btnDxfGcodeGen_Click(); });
  button(programButtons_, "btnDxfLoad", "Load", [this] { btnDxfLoad_Click(); });
  button(programButtons_, "button5", "Close", [this] { dlg_.btnClose_Click(); });
}

// --- Layout ---

void RouterPage::Arrange() {
  const ui::Bounds area = ui::Inset(page_.ClientArea(), kMargin);
  const auto cols =
      ui::SplitColumns(area, {{kListColumnWidth, 0}, {kInputsColumnWidth, 0}, {0, 1}}, kGap);

  // Left: the sub-tabs and the machining inputs side by side, the two file
  // paths below them over both.
  const int textHeight = ui::EstimateTextHeight(ui::kFormFont);
  const ui::Bounds left{cols[0].x, area.y, cols[1].Right() - cols[0].x, area.height};
  const auto leftRows = ui::SplitRows(left, {{0, 1}, {textHeight, 0}, {textHeight, 0}}, 4);
  cutPath_->SetBounds(leftRows[1]);
  dxfPath_->SetBounds(leftRows[2]);

  const ui::Bounds lists{cols[0].x, leftRows[0].y, cols[0].width, leftRows[0].height};
  const auto listRows =
      ui::SplitRows(lists, {{0, 1}, {ButtonsHeight(listButtons_, lists.width), 0}}, kGap);
  tabControl4.SetBounds(listRows[0]);
  FlowButtons(listButtons_, listRows[1]);
  ArrangeSubTabs();

  const ui::Bounds inputs{cols[1].x, leftRows[0].y, cols[1].width, leftRows[0].height};
  builder_.ArrangeInputs(InputArea::kMachining, inputs, 1);

  // Right: the preview above the program, the program's buttons below.
  const auto right = ui::SplitRows(
      cols[2], {{0, 3}, {0, 2}, {ButtonsHeight(programButtons_, cols[2].width), 0}}, kGap);
  preview_->SetBounds(right[0]);
  // The report line under the program box takes its room from the box.
  const auto program = ui::SplitRows(right[1], {{0, 1}, {reportLine_.Fit(right[1].width), 0}}, 2);
  program_->SetBounds(program[0]);
  reportLine_.GetLabel().SetBounds(program[1]);
  FlowButtons(programButtons_, right[2]);
}

void RouterPage::ArrangeSubTabs() {
  for (ListControls* list : {&horizontal_, &vertical_, &generated_}) {
    const ui::Bounds client = list->grid->Parent()->ClientArea();
    const int x = PlacePair(dlg_, *list->start, kMargin, kMargin);
    PlacePair(dlg_, *list->end, x, kMargin);
    int top = kMargin + kRowHeight;
    if (list == &generated_) {
      PlacePair(dlg_, *toolDia_, kMargin, top);
      top += kRowHeight;
    }
    top += 4;
    list->grid->SetBounds({kMargin, top, std::max(0, client.width - 2 * kMargin),
                           std::max(0, client.height - top - kMargin)});
  }
  const int openWidth = ButtonWidth(*dxfOpen_);
  dxfOpen_->SetBounds({kMargin, kMargin, openWidth, kButtonHeight});
  dxfOptions_->SetBounds(
      {kMargin + openWidth + kGap, kMargin, ButtonWidth(*dxfOptions_), kButtonHeight});
  const int noteHeight = ui::EstimateTextHeight(ui::kFormFont);
  dxfNote_->SetBounds({kMargin, kMargin + kButtonHeight + kMargin,
                       ui::EstimateTextWidth(dxfNote_->Text(), dxfNote_->GetFont()) + 2,
                       noteHeight});
}

// --- The selected sub-tab ---

CutSubTab RouterPage::SelectedSubTab() const {
  return static_cast<CutSubTab>(std::clamp(tabControl4.SelectedIndex(), 0, 3));
}

std::optional<CutListKind> RouterPage::SelectedList() const {
  return generators::CutListOfSubTab(SelectedSubTab());
}

RouterPage::ListControls& RouterPage::List(CutListKind kind) {
  switch (kind) {
    case CutListKind::kVertical:
      return vertical_;
    case CutListKind::kGenerated:
      return generated_;
    case CutListKind::kHorizontal:
      break;
  }
  return horizontal_;
}

std::optional<geometry::DrawList> RouterPage::SelectedCuts() {
  const auto kind = SelectedList();
  if (!kind) return std::nullopt;
  ListControls& list = List(*kind);
  const auto in =
      generators::ReadCutListInputs(list.start->Text(), list.end->Text(), dlg_.Inputs());
  auto cuts = BuildCuts(*kind, *list.grid, in);
  if (!cuts) {
    dlg_.ShowFailure(cuts.failure());
    return std::nullopt;
  }
  return std::move(*cuts);
}

// --- List buttons ---

void RouterPage::btnCutOpen_Click() {
  const auto chosen = dlg_.ShowOpenFile(kCsvFilter);
  if (!chosen || !FileExists(*chosen)) {
    dlg_.GetPrompts().Message(kNoFile);
    return;
  }
  cutPath_->SetText(*chosen);
  const auto kind = SelectedList();
  if (!kind) return;  // the drawing's sub-tab only keeps the path
  if (auto refusal = generators::CutFileRefusal(*chosen)) {
    dlg_.GetPrompts().Message(*refusal);
    return;
  }
  const auto content = generators::LoadCsvCutFile(cutPath_->Text());
  if (!content) {
    // The list stays as it was.
    dlg_.ShowFailure(content.failure());
    return;
  }
  ListControls& list = List(*kind);
  LoadCutRows(*list.grid, content->rows);
  if (content->start) list.start->SetText(*content->start);
  if (content->end) list.end->SetText(*content->end);
  if (!content->report.clean()) {
    std::string text;
    for (const std::string& m : content->report.Messages()) {
      if (!text.empty()) text += "\r\n";
      text += m;
    }
    dlg_.GetPrompts().Message(text);
  }
}

void RouterPage::btnCutSave_Click() {
  ui::Prompts& prompts = dlg_.GetPrompts();
  const auto kind = SelectedList();
  if (!kind) {
    // The drawing's sub-tab has no list: no file is created or emptied.
    prompts.Message(generators::kNoCutListToSave);
    return;
  }
  if (!prompts.YesNo("Save file? ", kConfirm)) return;
  ListControls& list = List(*kind);
  const std::string file = generators::WriteCutCsv(
      *kind, CutRowsInTableOrder(list.grid->GetTable()), list.start->Text(), list.end->Text());

  const std::string current(text::TrimBlanks(cutPath_->Text()));
  if (FileExists(current) && prompts.YesNo("Replace existing file?", kConfirm)) {
    if (const auto written = text::WriteFileAtomic(text::PathFromUtf8(current), file); !written) {
      prompts.Message(written.failure().message);
    }
    return;
  }
  const auto chosen = prompts.SaveFile(kCsvFilter);
  if (!chosen || chosen->empty() || FileExists(*chosen)) {
    prompts.Message(kCannotSave);
    return;
  }
  if (const auto written = text::WriteFileAtomic(text::PathFromUtf8(*chosen), file); !written) {
    prompts.Message(written.failure().message);
    return;
  }
  cutPath_->SetText(*chosen);
  prompts.Message(kSaveSuccessful);
}

void RouterPage::btnCutAdd_Click() {
  if (const auto kind = SelectedList()) AddCutRow(*List(*kind).grid);
}

void RouterPage::btnCutInsert_Click() {
  if (const auto kind = SelectedList()) InsertCutRow(*List(*kind).grid);
}

void RouterPage::btnCutDelete_Click() {
  const auto kind = SelectedList();
  if (!kind) return;
  ui::DataGrid& grid = *List(*kind).grid;
  // Nothing to delete without rows or without a selected row.
  if (grid.RowCount() == 0 || !grid.FirstSelectedRow()) return;
  if (!dlg_.GetPrompts().YesNo("Are you sure?", "Delete this component?")) return;
  DeleteCutRow(grid);
}

void RouterPage::btnCutDeleteAll_Click() {
  if (!dlg_.GetPrompts().YesNo("Clear data? ", kConfirm)) return;
  generated_.grid->GetTable().Clear();
}

void RouterPage::btnCutPreview_Click() {
  const auto cuts = SelectedCuts();
  if (!cuts) return;
  const ui::Bounds b = preview_->GetBounds();
  preview_->SetImage(
      geometry::DrawAll::DrawListPLine(*cuts, {b.width, b.height, 0, 0}, kPLineMode));
}

// --- Program ---

void RouterPage::btnDxfGcodeGen_Click() {
  if (SelectedList()) {
    GenerateCuts();
  } else {
    GenerateContours();
  }
}

void RouterPage::GenerateCuts() {
  const auto cuts = SelectedCuts();
  if (!cuts) return;
  const auto in = generators::ReadDxfMachiningInputs(dlg_.Inputs());
  if (!in) {
    dlg_.ShowFailure(in.failure());
    return;
  }
  const bool twoWay = dlg_.Get<ui::CheckBox>("chkbCut2Way").Checked();
  auto program = generators::GcodeGenHoriz(*cuts, *in, twoWay);
  // The program ends with the operator's end script; the machine's control may
  // then add its own end after it.
  if (program) *program += in->endScript;
  const generators::TextLookup inputs = dlg_.Inputs();
  if (!dlg_.PutProgram(std::move(program), program_->Name(), settings::JobInputs::kCuts, inputs)) {
    return;
  }
  reportLine_.Show(program_->Text(), settings::JobInputs::kCuts, inputs, preview_);
  Arrange();
}

void RouterPage::GenerateContours() {
  const std::string path(text::TrimBlanks(dxfPath_->Text()));
  if (path.empty()) {
    dlg_.GetPrompts().Message(kPleaseSelectDxfFile);
    return;
  }
  const generators::TextLookup inputs = dlg_.Inputs();
  // The drawing is read again, so changes saved to it since it was opened count.
  bool noContour = false;
  std::vector<std::string> notes;
  auto program = generators::DxfJob(
      inputs, path,
      [&noContour](const geometry::DrawList& contours) { noContour = contours.empty(); }, &notes);
  if (!dlg_.PutProgram(std::move(program), program_->Name(), settings::JobInputs::kContour,
                       inputs)) {
    return;
  }
  reportLine_.Show(program_->Text(), settings::JobInputs::kContour, inputs, preview_);
  Arrange();
  // What the drawing's reading and the cutting left out, in one message once
  // the program is in its box; a drawing with nothing to cut says so.
  if (notes.empty() && noContour) notes.emplace_back(geometry::kNoLwPolyline);
  if (!notes.empty()) dlg_.GetPrompts().Message(JoinNotes(notes));
}

void RouterPage::btnDxfLoad_Click() {
  dlg_.LoadProgram(program_->Text(), kErrorSaveFile);
}

void RouterPage::btnDxfOpen_Click() {
  // The shared open-file dialog keeps the filter the last file command set.
  const auto chosen = dlg_.ShowOpenFileKeepingFilter();
  if (!chosen || !FileExists(*chosen)) return;
  OpenDrawing(*chosen);
}

void RouterPage::OpenDrawing(const std::string& path) {
  // An unreadable drawing still has its path kept, so GCodeGen tries it again.
  dxfPath_->SetText(path);
  PreviewDrawing(path, true);
}

void RouterPage::PreviewDrawing(const std::string& path, bool tell) {
  const ui::Bounds b = preview_->GetBounds();
  const geometry::PreviewBox box{b.width, b.height, 0, 0};
  const generators::TextLookup inputs = dlg_.Inputs();
  const auto fail = [&](const Failure& failure) {
    preview_->SetImage(geometry::DrawAll::DrawListPLine({}, box, kPLineMode));
    if (tell) dlg_.ShowFailure(failure);
  };
  const auto outlineOptions = generators::ReadOutlineOptions(inputs);
  if (!outlineOptions) return fail(outlineOptions.failure());
  const auto drawing = geometry::ReadOutlines(path, *outlineOptions);
  if (!drawing) return fail(drawing.failure());
  const geometry::DrawList& contours = drawing->contours;

  // The tool's paths once the options ask for more than today's cut; inputs
  // GCodeGen would refuse leave the drawing alone in the picture (GCodeGen
  // names them).
  const auto in = generators::ReadDxfMachiningInputs(inputs);
  std::optional<generators::ContourOptions> options;
  if (in) {
    if (auto read = generators::ReadContourOptions(inputs, *in)) options = *read;
  }
  const bool cutAsToday = !options || options->IsToday();
  if (geometry::PlainContourPicture(*outlineOptions, cutAsToday)) {
    preview_->SetImage(geometry::DrawAll::DrawListPLine(contours, box, kPLineMode));
  } else {
    geometry::DrawList paths;
    if (in && options) {
      if (auto made = generators::ContourToolPaths(contours, *in, *options))
        paths = std::move(*made);
    }
    preview_->SetImage(geometry::DrawContours(contours, paths, box));
  }
  if (!tell) return;
  std::vector<std::string> notes = drawing->notes;
  if (notes.empty() && contours.empty()) notes.emplace_back(geometry::kNoLwPolyline);
  if (!notes.empty()) dlg_.GetPrompts().Message(JoinNotes(notes));
}

void RouterPage::btnDxfOptions_Click() {
  DrillOptionsForm form(dlg_.GetPrompts(), settings::JobInputs::kContour, dlg_.Language);
  form.Fill(dlg_.Inputs());
  // Cancel, or the form closed otherwise, leaves the options as they were.
  if (dlg_.GetPrompts().ShowModal(form.GetForm()) != ui::DialogResult::kOk) return;
  if (form.FirstUnsound()) return;
  const generators::TextLookup texts = form.Inputs();
  for (const settings::InputRow* row : form.Rows()) dlg_.SetMirrorValue(row->key, texts(row->key));
  // An open drawing is shown as the new options read and cut it.
  const std::string path(text::TrimBlanks(dxfPath_->Text()));
  if (FileExists(path)) PreviewDrawing(path, false);
}

}  // namespace kelvora::dialog
