#include "dialog/teach_page.h"

#include <algorithm>
#include <filesystem>

#include "dialog/grid_numbers.h"
#include "dialog/page_measures.h"
#include "dialog/xyz_demo_dialog.h"
#include "settings/settings_keys.h"
#include "text/files.h"
#include "text/parse.h"
#include "ui/layout.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {

using namespace measures;

namespace {

constexpr std::string_view kDataWillBeDeleted = "Data will be deleted? ";
constexpr std::string_view kOpenFilter = "csv files (*.csv)|*.csv";

constexpr ui::Rgb kGreen{0, 128, 0};
constexpr ui::Rgb kGray{128, 128, 128};
const ui::Font kProgramFont{"Microsoft Sans Serif", 8.25, false};

// The operation column's items until the definitions have been read.
const std::vector<std::string>& InitialOperations() {
  static const std::vector<std::string> items = {
      "MOVE",  "M3",    "M4",    "M5",    "M7",    "M8",    "M9",    "M1500", "M1501", "M1502",
      "M1503", "M1504", "M1505", "M1506", "M1507", "M1508", "M1509", "M1510", "M1511"};
  return items;
}

constexpr int kOperationWidth = 150;
constexpr int kAxisWidth = 70;
constexpr int kFeedMinimumWidth = 40;

constexpr std::string_view kPositionBoxes[] = {"txtTchX", "txtTchY", "txtTchZ",
                                               "txtTchA", "txtTchB", "txtTchC"};
constexpr std::string_view kAxisCaptions[] = {"X", "Y", "Z", "A", "B", "C"};

// Layout measures of this page.
constexpr int kLeftWidth = 214;
constexpr int kRowHeaderWidth = 41;
constexpr int kScrollBar = 17;

}  // namespace

TeachPage::TeachPage(XYZDemoDialog& dlg, ui::TabPage& page)
    : DialogPage(dlg, page),
      table_(TeachTableColumns()),
      reportLine_(dlg, page, "lblTchGCodeReport") {
  auto button = [this](std::string name, std::string caption, void (TeachPage::*handler)()) {
    auto& b = page_.Add<ui::Button>(std::move(name), std::move(caption));
    b.onClick = [this, handler](ui::Button&) { (this->*handler)(); };
    return &b;
  };

  // The operation editor.
  auto& chooser = page_.Add<ui::ComboBox>("cmbTchOpList", ui::ComboStyle::kDropDownList);
  chooser.onSelectedIndexChanged = [this](ui::ComboBox&) { cmbTchOpList_SelectedIndexChanged(); };
  page_.Add<ui::TextBox>("txtTchOpName").SetClipboard(&dlg_.GetClipboard());
  auto& value = page_.Add<ui::TextBox>("txtTchOpVal");
  value.SetMultiline(true);
  value.SetClipboard(&dlg_.GetClipboard());
  button("btnTchUpdate", "Update", &TeachPage::btnTchUpdate_Click);

  // The machine position, refreshed by the update cycle.
  for (std::size_t i = 0; i < std::size(kPositionBoxes); ++i) {
    page_.Add<ui::Label>("lblTch" + std::string(kAxisCaptions[i]), std::string(kAxisCaptions[i]));
    auto& box = page_.Add<ui::TextBox>(std::string(kPositionBoxes[i]));
    box.SetReadOnly(true);
    box.SetClipboard(&dlg_.GetClipboard());
  }
  button("btnTchGet", "Get", &TeachPage::btnTchGet_Click);
  button("btnGetAuto", "Get_Auto", &TeachPage::btnGetAuto_Click);

  // Program text before and after the steps.
  page_.Add<ui::Label>("lblTchPrefix", "Begin");
  auto& prefix = page_.Add<ui::TextBox>("txtTchPrefix", "G90G21");
  page_.Add<ui::Label>("lblTchSurfix", "End");
  auto& suffix = page_.Add<ui::TextBox>("txtTchSurfix", "M30");
  for (ui::TextBox* box : {&prefix, &suffix}) {
    box->SetMultiline(true);
    box->SetClipboard(&dlg_.GetClipboard());
  }
  for (const settings::InputRow& row : settings::InputsOf(settings::JobInputs::kTeach)) {
    if (!row.control.empty()) dlg_.BindKey(row.key, row.control);
  }

  // The table.
  grid_ = &page_.Add<ui::DataGrid>("dataGridView2", table_);
  grid_->SetColumnItems(kTchOperation, InitialOperations());
  grid_->SetColumnWidth(grid_->Columns()[kTchOperation].name, kOperationWidth);
  for (std::size_t c = kTchX; c < kTchColumnCount; ++c) {
    grid_->SetColumnWidth(grid_->Columns()[c].name, kAxisWidth);
  }
  grid_->SetColumnMinimumWidth(kTchFeed, kFeedMinimumWidth);
  grid_->onUserAddedRow = [this](ui::DataGrid&, std::size_t) { dataGridView2_UserAddedRow(); };
  UpdateGrdv2(*grid_);

  page_.Add<ui::Label>("lblTchFile", "File:");
  button("btnTchNew", "New", &TeachPage::btnTchNew_Click);
  button("btnTchOpen", "OpenFile", &TeachPage::btnTchOpen_Click);
  button("btnTchSave", "Save", &TeachPage::btnTchSave_Click);
  button("btnTchCopy", "Copy", &TeachPage::btnTchCopy_Click);
  button("btnTchPaste", "Paste", &TeachPage::btnTchPaste_Click);
  button("btnTchInsert", "Insert", &TeachPage::btnTchInsert_Click);
  button("btnTchDelete", "Delete", &TeachPage::btnTchDelete_Click);

  // The program.
  auto& program = page_.Add<ui::TextBox>("txtTchGCode");
  program.SetMultiline(true);
  program.SetFont(kProgramFont);
  program.SetClipboard(&dlg_.GetClipboard());
  button("btnTchGc_gen", "GCode Gen ", &TeachPage::btnTchGc_gen_Click);
  button("btnTchLoad", "Load", &TeachPage::btnTchLoad_Click);
  auto* close = button("btnClose", "Close", nullptr);
  close->onClick = [this](ui::Button&) { dlg_.btnClose_Click(); };
}

// --- Operation definitions ---

generators::TeachDefinitions TeachPage::Definitions() const {
  generators::TeachDefinitions defs;
  for (std::size_t i = 0; i < defs.size(); ++i) {
    defs[i] = dlg_.MirrorValue("tchOp" + std::to_string(i + 1)).value_or(std::string());
  }
  return defs;
}

generators::TextLookup TeachPage::TeachInputs() {
  const generators::TextLookup boxes = dlg_.Inputs();
  return [this, boxes](std::string_view key) -> std::string {
    if (key.starts_with("tchOp")) return dlg_.MirrorValue(key).value_or(std::string());
    return boxes(key);
  };
}

void TeachPage::StoreDefinitions(const generators::TeachDefinitions& definitions) {
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    dlg_.SetMirrorValue("tchOp" + std::to_string(i + 1), definitions[i]);
  }
}

void TeachPage::updateTchGrid() {
  generators::TeachDefinitions defs = Definitions();
  lists_ = generators::updateTchGrid(defs);
  StoreDefinitions(defs);

  dlg_.tempOpList = lists_.tempOpList;
  dlg_.Oplist.clear();
  // The first definition of a name is the one the program uses.
  for (const auto& [name, value] : lists_.Oplist) dlg_.Oplist.emplace(name, value);

  Grid().SetColumnItems(kTchOperation, lists_.tempOpList);
  // The chooser comes back on the first definition, and the editor shows it: an
  // "Update" pressed next stores what the editor shows, never an empty name.
  dataLoaded_ = true;
  auto& chooser = dlg_.Get<ui::ComboBox>("cmbTchOpList");
  chooser.SetSelectedIndex(-1);
  chooser.SetItems(lists_.tempOpList);
  chooser.SetSelectedIndex(0);
}

void TeachPage::cmbTchOpList_SelectedIndexChanged() {
  if (!dataLoaded_) return;
  const int index = dlg_.Get<ui::ComboBox>("cmbTchOpList").SelectedIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= lists_.Oplist.size()) return;
  const auto& [name, value] = lists_.Oplist[static_cast<std::size_t>(index)];
  dlg_.Get<ui::TextBox>("txtTchOpName").SetText(name);
  dlg_.Get<ui::TextBox>("txtTchOpVal").SetText(value);
}

void TeachPage::btnTchUpdate_Click() {
  if (!dlg_.GetPrompts().YesNo(kDataWillBeDeleted, kConfirm)) return;
  const int index = dlg_.Get<ui::ComboBox>("cmbTchOpList").SelectedIndex();
  std::optional<std::size_t> selected;
  if (index >= 0) selected = static_cast<std::size_t>(index);
  generators::TeachDefinitions defs = Definitions();
  generators::UpdateTeachDefinition(defs, selected, dlg_.Get<ui::TextBox>("txtTchOpName").Text(),
                                    dlg_.Get<ui::TextBox>("txtTchOpVal").Text());
  StoreDefinitions(defs);
  RemoveAllButLast(Grid());
  updateTchGrid();
}

// --- Teach files ---

void TeachPage::SetTeachFile(std::string path) {
  teachFile_ = std::move(path);
  dlg_.Get<ui::Label>("lblTchFile").SetText(teachFile_);
}

void TeachPage::btnTchNew_Click() {
  if (!dlg_.GetPrompts().YesNo(kDataWillBeDeleted, kConfirm)) return;
  RemoveAllButLast(Grid());
  SetTeachFile({});
  updateTchGrid();
}

void TeachPage::btnTchOpen_Click() {
  ui::Prompts& prompts = dlg_.GetPrompts();
  const auto path = prompts.OpenFile(kOpenFilter);
  std::error_code ec;
  if (!path || path->empty() || !std::filesystem::is_regular_file(text::PathFromUtf8(*path), ec)) {
    prompts.Message("No file!");
    return;
  }
  const auto content = generators::LoadTchCsvFile(*path, lists_);
  if (!content) {
    // The table stays as it was when the file cannot be read.
    dlg_.ShowFailure(content.failure());
    return;
  }
  SetTeachFile(std::string(text::TrimBlanks(*path)));
  RemoveAllButLast(Grid());
  AppendTeachRows(Grid(), content->rows);
  Grid().ScrollToLine(Grid().LineCount() - 1);
  // The lines not taken are named in one message.
  const std::vector<std::string> lost = content->report.Messages();
  if (!lost.empty()) {
    std::string text;
    for (const std::string& m : lost) text += (text.empty() ? "" : "\r\n") + m;
    prompts.Message(text);
  }
}

bool TeachPage::WriteTable(const std::string& path) {
  const std::string file = generators::WriteTchCsv(TeachRowsOf(table_), lists_);
  const Outcome<void> written = text::WriteFileAtomic(text::PathFromUtf8(path), file);
  if (written) return true;
  dlg_.GetPrompts().Message("Cannot save the file\r\n" + written.failure().message);
  return false;
}

void TeachPage::btnTchSave_Click() {
  ui::Prompts& prompts = dlg_.GetPrompts();
  if (!prompts.YesNo("Save file? ", kConfirm)) return;
  std::error_code ec;
  if (!teachFile_.empty() && std::filesystem::is_regular_file(text::PathFromUtf8(teachFile_), ec)) {
    if (prompts.YesNo("Replace existing file?", kConfirm)) {
      if (WriteTable(teachFile_)) prompts.Message("Replace file successful!");
      return;
    }
  }
  const auto path = prompts.SaveFile(kCsvFilter);
  if (!path || path->empty() || std::filesystem::exists(text::PathFromUtf8(*path), ec)) {
    prompts.Message(kCannotSave);
    return;
  }
  if (!WriteTable(*path)) return;
  prompts.Message(kSaveSuccessful);
  SetTeachFile(*path);
}

// --- Row editing ---

void TeachPage::ShowIf(const std::optional<std::string>& message) {
  if (message) dlg_.GetPrompts().Message(*message);
}

void TeachPage::btnTchInsert_Click() {
  ShowIf(InsertTeachRow(Grid()));
}

void TeachPage::btnTchDelete_Click() {
  const auto row = Grid().FirstSelectedRow();
  if (!row) {
    dlg_.GetPrompts().Message(kPleaseSelectRow);
    return;
  }
  if (!dlg_.GetPrompts().YesNo("Are you sure?", "Delete this row?")) return;
  ShowIf(DeleteTeachRow(Grid()));
}

void TeachPage::btnTchCopy_Click() {
  ShowIf(cpydrRow_.Copy(Grid()));
}

void TeachPage::btnTchPaste_Click() {
  ShowIf(cpydrRow_.Paste(Grid()));
}

void TeachPage::dataGridView2_UserAddedRow() {
  UpdateGrdv2(Grid());
  Grid().ScrollToLine(Grid().LineCount() - 1);
}

// --- Recording positions ---

TeachPosition TeachPage::Position() {
  TeachPosition position;
  for (std::size_t i = 0; i < position.size(); ++i) {
    position[i] = dlg_.Get<ui::TextBox>(kPositionBoxes[i]).Text();
  }
  return position;
}

void TeachPage::btnTchGet_Click() {
  dlg_.Get<ui::Button>("btnTchGet").SetBackColor(kGreen);
  dlg_.Get<ui::Button>("btnGetAuto").SetBackColor(kGray);
  dlg_.GetAuto = false;
  ShowIf(GetManual(Grid(), Position()));
  UpdateGrdv2(Grid());
}

void TeachPage::btnGetAuto_Click() {
  EnterAutoMode(Grid());
  dlg_.Get<ui::Button>("btnGetAuto").SetBackColor(kGreen);
  dlg_.Get<ui::Button>("btnTchGet").SetBackColor(kGray);
  dlg_.GetAuto = true;
}

void TeachPage::GetPos() {
  ShowIf(dialog::GetPos(Grid(), Position()));
}

void TeachPage::SetOp(std::size_t definition) {
  ShowIf(dialog::SetOp(Grid(), lists_, definition));
}

void TeachPage::RunTeachAction(TeachAction action) {
  switch (action) {
    case TeachAction::kGetPos:
      GetPos();
      break;
    case TeachAction::kSetOp1:
      SetOp1();
      break;
    case TeachAction::kSetOp2:
      SetOp2();
      break;
    case TeachAction::kSetOp3:
      SetOp3();
      break;
  }
}

// --- The program ---

void TeachPage::btnTchGc_gen_Click() {
  auto program = generators::BuildTeachProgram(
      dlg_.Get<ui::TextBox>("txtTchPrefix").Text(), dlg_.Get<ui::TextBox>("txtTchSurfix").Text(),
      TeachProgramRows(Grid()), lists_, text::RulesOf(dlg_.CurrentMachine().dialect));
  // A refused row leaves the program box as it was, like the other tabs' refusals.
  if (!program) {
    dlg_.ShowFailure(program.failure());
    return;
  }
  std::string leftOut;
  bool noFeed = false;
  for (const std::string& report : program->reports) {
    if (report == generators::kNoFeedrate) {
      noFeed = true;
      continue;
    }
    leftOut += (leftOut.empty() ? "" : "\r\n") + report;
  }
  // Made for the machine's control before anything is told: a program the
  // control would refuse is not shown, and neither are its reports.
  const generators::TextLookup inputs = TeachInputs();
  auto forMachine = dlg_.ForMachine(std::move(program->text), settings::JobInputs::kTeach, inputs);
  if (!forMachine) {
    dlg_.ShowFailure(forMachine.failure());
    return;
  }
  ui::Prompts& prompts = dlg_.GetPrompts();
  if (noFeed) prompts.Message(generators::kNoFeedrate);
  dlg_.Get<ui::TextBox>("txtTchGCode").SetText(std::move(*forMachine));
  dlg_.RaiseCloseFileRequest();
  reportLine_.Show(dlg_.Get<ui::TextBox>("txtTchGCode").Text(), settings::JobInputs::kTeach, inputs,
                   nullptr);
  Arrange();
  if (!leftOut.empty()) prompts.Message(leftOut);
}

void TeachPage::btnTchLoad_Click() {
  dlg_.LoadProgram(dlg_.Get<ui::TextBox>("txtTchGCode").Text(), kFileWriteError);
}

// --- Layout ---
//
//   operation editor  | table                    | program
//   machine position  |                          |
//   Get, Get_Auto     |                          |
//   Begin / End texts | file, list buttons       | GCode Gen , Load, Close

void TeachPage::Arrange() {
  const ui::Bounds area = ui::Inset(page_.ClientArea(), kMargin);
  int gridWidth = kRowHeaderWidth + kScrollBar + 2;
  for (const ui::GridColumn& c : Grid().Columns()) gridWidth += c.width;
  const auto cols = ui::SplitColumns(area, {{kLeftWidth, 0}, {gridWidth, 0}, {0, 1}}, kGap);
  auto bounds = [this](std::string_view name, ui::Bounds b) {
    dlg_.Get<ui::Control>(name).SetBounds(b);
  };
  const int labelHeight = ui::EstimateTextHeight(ui::kFormFont);

  // Left: the operation editor, the position, the modes, the program's ends.
  const ui::Bounds left = cols[0];
  int y = left.y;
  bounds("cmbTchOpList", {left.x, y, left.width, 24});
  y += kRowHeight + 2;
  const int updateWidth = kMinButtonWidth;
  bounds("txtTchOpName", {left.x, y, left.width - updateWidth - kGap, kBoxHeight});
  bounds("btnTchUpdate", {left.Right() - updateWidth, y - 4, updateWidth, kButtonHeight});
  y += kRowHeight + 4;
  bounds("txtTchOpVal", {left.x, y, left.width, 3 * kRowHeight});
  y += 3 * kRowHeight + 2 * kGap;

  const int axisLabel = 18;
  const int half = (left.width - kGap) / 2;
  for (std::size_t i = 0; i < std::size(kPositionBoxes); ++i) {
    const int x = left.x + static_cast<int>(i / 3) * (half + kGap);
    const int row = y + static_cast<int>(i % 3) * kRowHeight;
    bounds("lblTch" + std::string(kAxisCaptions[i]),
           {x, row + (kRowHeight - labelHeight) / 2, axisLabel, labelHeight});
    bounds(kPositionBoxes[i], {x + axisLabel + 2, row + 3, half - axisLabel - 2, kBoxHeight});
  }
  y += 3 * kRowHeight + kGap;
  bounds("btnTchGet", {left.x, y, half, kButtonHeight});
  bounds("btnGetAuto", {left.x + half + kGap, y, half, kButtonHeight});
  y += kButtonHeight + 2 * kGap;

  // The two program ends share what is left of the column.
  const auto ends = ui::SplitRows({left.x, y, left.width, std::max(0, left.Bottom() - y)},
                                  {{labelHeight, 0}, {0, 1}, {labelHeight, 0}, {0, 1}}, 4);
  bounds("lblTchPrefix", ends[0]);
  bounds("txtTchPrefix", ends[1]);
  bounds("lblTchSurfix", ends[2]);
  bounds("txtTchSurfix", ends[3]);

  // Middle: the table over the file label and the list buttons.
  std::vector<ui::Button*> listButtons;
  for (std::string_view name : {"btnTchNew", "btnTchOpen", "btnTchSave", "btnTchCopy",
                                "btnTchPaste", "btnTchInsert", "btnTchDelete"}) {
    listButtons.push_back(&dlg_.Get<ui::Button>(name));
  }
  const int listHeight = ButtonsHeight(listButtons, cols[1].width);
  const auto middle =
      ui::SplitRows(cols[1], {{0, 1}, {labelHeight, 0}, {listHeight, 0}}, kGap / 2 + 2);
  Grid().SetBounds(middle[0]);
  bounds("lblTchFile", middle[1]);
  FlowButtons(listButtons, middle[2]);

  // Right: the program over its buttons.
  std::vector<ui::Button*> programButtons = {&dlg_.Get<ui::Button>("btnTchGc_gen"),
                                             &dlg_.Get<ui::Button>("btnTchLoad"),
                                             &dlg_.Get<ui::Button>("btnClose")};
  const auto right =
      ui::SplitRows(cols[2], {{0, 1}, {ButtonsHeight(programButtons, cols[2].width), 0}}, kGap);
  // The report line under the program box takes its room from the box.
  const auto program = ui::SplitRows(right[0], {{0, 1}, {reportLine_.Fit(right[0].width), 0}}, 2);
  bounds("txtTchGCode", program[0]);
  reportLine_.GetLabel().SetBounds(program[1]);
  FlowButtons(programButtons, right[1]);
}

}  // namespace kelvora::dialog
