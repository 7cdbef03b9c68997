#include "dialog/xyz_demo_dialog.h"

#include <algorithm>
#include <set>

#include "dialog/circle_page.h"
#include "dialog/cut_tables.h"
#include "dialog/grid_page.h"
#include "dialog/language_texts.h"
#include "dialog/point_list_page.h"
#include "dialog/point_table.h"
#include "dialog/router_page.h"
#include "dialog/sketches.h"
#include "dialog/surface_round_page.h"
#include "dialog/surface_square_page.h"
#include "dialog/teach_page.h"
#include "dialog/thread_page.h"
#include "settings/control_output.h"
#include "settings/machine_settings.h"
#include "settings/settings_keys.h"
#include "text/number_format.h"
#include "text/parse.h"
#include "ui/layout.h"

namespace kelvora::dialog {
namespace {

// The system's inactive-caption gradient colour, the form's background.
constexpr ui::Rgb kFormBack{215, 228, 242};
constexpr ui::Rgb kLightGreen{144, 238, 144};
constexpr ui::Rgb kCrimson{220, 20, 60};
constexpr ui::Rgb kGreen{0, 128, 0};
const ui::Font kTitleFont{"Microsoft Sans Serif", 18, true};
const ui::Font kTeachCellFont{"Microsoft Sans Serif", 8, false};
const ui::Font kTeachFirstCellFont{"Microsoft Sans Serif", 8, true};

constexpr std::string_view kLanguageControl = "cmbLanguage";
constexpr int kLogoWidth = 170;
constexpr int kLogoHeight = 40;

ui::Table CutTable(generators::CutListKind kind) {
  return ui::Table(CutTableColumns(kind));
}

}  // namespace

XYZDemoDialog::XYZDemoDialog(ui::Prompts& prompts, ProgramHandOff& handOff)
    : dtResult(MakePointTable()),
      dtCut(CutTable(generators::CutListKind::kHorizontal)),
      dtCutVer(CutTable(generators::CutListKind::kVertical)),
      dtCutGenHoriz(CutTable(generators::CutListKind::kGenerated)),
      prompts_(prompts),
      handOff_(handOff),
      form_("XYZDemoDialog", "KELVORA", kClientWidth, kClientHeight) {
  form_.SetFont(ui::kFormFont);
  form_.SetBackColor(kFormBack);
  form_.SetIcon(WindowIcon());
  BuildHeader();
  BuildTabs();
  form_.onLoad = [this](ui::Form&) { XYZDemoDialog_Load(); };
  form_.onFormClosing = [this](ui::Form&, ui::FormClosingEvent& e) {
    XYZDemoDialog_FormClosing(e);
  };
  form_.onResize = [this](ui::Form&) { Arrange(); };
  Arrange();
  Reindex();
}

XYZDemoDialog::~XYZDemoDialog() = default;

void XYZDemoDialog::BuildHeader() {
  auto& logo = form_.Add<ui::PictureBox>("pictureBox1");
  logo.SetBackgroundImage(HeaderLogo(kLogoWidth, kLogoHeight));
  form_.Add<ui::Label>("lblLanguage", "Language:");
  auto& language = form_.Add<ui::ComboBox>(std::string(kLanguageControl));
  language.SetBackColor(kLightGreen);
  for (std::string_view item : LanguageItems()) language.AddItem(std::string(item));
  language.onSelectedIndexChanged = [this](ui::ComboBox&) { cmbLanguage_SelectedIndexChanged(); };
  auto& title = form_.Add<ui::Label>("label7", "KELVORA V1.4a");
  title.SetFont(kTitleFont);
  title.SetForeColor(kCrimson);
}

template <typename P>
P& XYZDemoDialog::MakePage(ui::TabControl& tabs, std::string name, std::string caption) {
  ui::TabPage& page = tabs.AddPage(std::move(name), std::move(caption));
  auto object = std::make_unique<P>(*this, page);
  P& ref = *object;
  pageObjects_.push_back(object.get());
  pages_.push_back(std::move(object));
  return ref;
}

void XYZDemoDialog::BuildTabs() {
  auto& main = form_.Add<ui::TabControl>("tabControl1");
  auto& drill = main.AddPage("tabPage1", "KHOAN");
  auto& drillTabs = drill.Add<ui::TabControl>("tabControl2");
  MakePage<CirclePage>(drillTabs, "tabPage5", "Khoan theo hình tròn");
  MakePage<GridPage>(drillTabs, "tabPage6", "Khoan theo hàng");
  MakePage<PointListPage>(drillTabs, "tabPage7", "INPUT");

  auto& surface = main.AddPage("tabPage8", "PHAY MẶT");
  auto& surfaceTabs = surface.Add<ui::TabControl>("tabControl3");
  MakePage<SurfaceSquarePage>(surfaceTabs, "tabPage10", "Phay mặt vuông");
  MakePage<SurfaceRoundPage>(surfaceTabs, "tabPage9", "Phay mặt tròn");
  // Tabs with no controls of their own are plain pages: the surface tab's "Any",
  // and the two pick-and-place tabs, which start-up removes from the window.
  MakePage<DialogPage>(surfaceTabs, "tabPage11", "Any");

  MakePage<RouterPage>(main, "tabPage4", "Router/Cutter");
  teachPage_ = &MakePage<TeachPage>(main, "tabPage2", "TEACH");
  MakePage<DialogPage>(main, "tabPage3", "PnP Teach");
  MakePage<DialogPage>(main, "tabPage12", "PnP Rcp");
  MakePage<ThreadPage>(main, "tabPage17", "Threading");
}

void XYZDemoDialog::Arrange() {
  const ui::Bounds client = form_.ClientArea();
  // Header strip: logo, language caption and chooser, title.
  Get<ui::PictureBox>("pictureBox1").SetBounds({4, 3, kLogoWidth, kLogoHeight});
  Get<ui::Label>("lblLanguage").SetBounds({190, 14, 100, 20});
  Get<ui::ComboBox>(kLanguageControl).SetBounds({294, 11, 150, 24});
  Get<ui::Label>("label7").SetBounds({480, 5, 240, 36});

  auto& main = Get<ui::TabControl>("tabControl1");
  main.SetBounds({0, kHeaderHeight, client.width, std::max(0, client.height - kHeaderHeight)});
  for (std::string_view inner : {"tabControl2", "tabControl3"}) {
    auto& tabs = Get<ui::TabControl>(inner);
    const ui::Bounds area = tabs.Parent()->ClientArea();
    tabs.SetBounds({0, 0, area.width, area.height});
  }
  for (DialogPage* page : pageObjects_) page->Arrange();
}

std::vector<ui::TabPage*> XYZDemoDialog::LeafPages() {
  std::vector<ui::TabPage*> out;
  for (DialogPage* page : pageObjects_) out.push_back(&page->Page());
  return out;
}

// --- Controls by name ---

void XYZDemoDialog::Reindex() {
  index_.clear();
  ForEachControl(form_, [this](ui::Control& c) {
    if (!c.Name().empty()) index_.emplace(c.Name(), &c);
  });
}

ui::Control* XYZDemoDialog::FindControl(std::string_view name) {
  auto it = index_.find(name);
  if (it == index_.end()) {
    // Controls may have been added since the last look.
    Reindex();
    it = index_.find(name);
    if (it == index_.end()) return nullptr;
  }
  return it->second;
}

std::vector<std::string> XYZDemoDialog::DuplicateNames() {
  std::set<std::string> seen;
  std::set<std::string> twice;
  ForEachControl(form_, [&](ui::Control& c) {
    if (!c.Name().empty() && !seen.insert(c.Name()).second) twice.insert(c.Name());
  });
  return {twice.begin(), twice.end()};
}

ui::Timer* XYZDemoDialog::FindTimer(std::string_view name) {
  const auto it = timers_.find(name);
  return it == timers_.end() ? nullptr : it->second;
}

void XYZDemoDialog::RegisterTimer(ui::Timer& timer) {
  timers_[timer.Name()] = &timer;
}

std::vector<ui::Timer*> XYZDemoDialog::Timers() const {
  std::vector<ui::Timer*> timers;
  for (const auto& [name, timer] : timers_) timers.push_back(timer);
  return timers;
}

// --- Inputs by settings key ---

void XYZDemoDialog::BindKey(std::string_view key, std::string_view control) {
  keys_[std::string(key)] = std::string(control);
}

std::string XYZDemoDialog::ControlOfKey(std::string_view key) const {
  const auto it = keys_.find(key);
  return it == keys_.end() ? std::string() : it->second;
}

generators::TextLookup XYZDemoDialog::Inputs() {
  return [this](std::string_view key) -> std::string {
    const std::string control = ControlOfKey(key);
    if (!control.empty()) return ControlValue(control).value_or(std::string());
    if (auto machine = MachineText(key)) return *machine;
    return OptionText(key);
  };
}

std::optional<std::string> XYZDemoDialog::MachineText(std::string_view key) const {
  if (!settings::FindInput(settings::JobInputs::kMachine, key)) return std::nullopt;
  settings::Settings shown;
  settings::StoreMachine(CurrentMachine(), shown);
  return shown.ControlText(key);
}

std::string XYZDemoDialog::OptionText(std::string_view key) const {
  const settings::SettingsKey* row = settings::FindSettingsKey(key);
  if (!row || row->shownAs != settings::ShownAs::kOptions) return {};
  if (auto stored = MirrorValue(key)) return *stored;
  return settings::DisplayText(*row, row->defaultText).value_or(std::string(row->defaultText));
}

std::optional<std::string> XYZDemoDialog::ControlValue(std::string_view name) {
  ui::Control* c = FindControl(name);
  if (!c) return std::nullopt;
  switch (c->Kind()) {
    case ui::ControlKind::kTextBox:
      return c->Text();
    case ui::ControlKind::kCheckBox:
      return static_cast<ui::CheckBox*>(c)->Checked() ? "True" : "False";
    case ui::ControlKind::kComboBox:
      return std::to_string(static_cast<ui::ComboBox*>(c)->SelectedIndex());
    default:
      return std::nullopt;
  }
}

bool XYZDemoDialog::SetControlValue(std::string_view name, std::string_view text) {
  ui::Control* c = FindControl(name);
  if (!c) return false;
  switch (c->Kind()) {
    case ui::ControlKind::kTextBox:
      c->SetText(std::string(text));
      return true;
    case ui::ControlKind::kCheckBox:
      static_cast<ui::CheckBox*>(c)->SetChecked(text == "True");
      return true;
    case ui::ControlKind::kComboBox: {
      const auto index = text::ParseInt32(text);
      if (!index) return false;
      static_cast<ui::ComboBox*>(c)->SetSelectedIndex(*index);
      return true;
    }
    default:
      return false;
  }
}

// --- Window ---

void XYZDemoDialog::ShowAndFocus() {
  form_.Show();
  form_.Focus();
  if (Minimised()) form_.SetWindowState(ui::WindowState::kNormal);
}

void XYZDemoDialog::XYZDemoDialog_Load() {
  // 1. The start-up language.
  Get<ui::ComboBox>(kLanguageControl).SetSelectedIndex(0);

  // 2. The four list tables (made with the dialog, so the grids can bind to them
  // from the start) count as created from here on; their grids get their widths,
  // no row headers and no new-row line.
  listsCreated_ = true;
  if (auto* grid = Find<ui::DataGrid>("dataGridView1")) ConfigurePointGrid(*grid);
  const std::pair<std::string_view, generators::CutListKind> cutGrids[] = {
      {"dataGridView3", generators::CutListKind::kHorizontal},
      {"dataGridView4", generators::CutListKind::kVertical},
      {"dataGridView5", generators::CutListKind::kGenerated},
  };
  for (const auto& [name, kind] : cutGrids) {
    auto* grid = Find<ui::DataGrid>(name);
    if (!grid) continue;
    const auto widths = CutTableWidths(kind);
    for (std::size_t c = 0; c < widths.size() && c < grid->Columns().size(); ++c) {
      grid->SetColumnWidth(grid->Columns()[c].name, widths[c]);
    }
    grid->SetRowHeadersVisible(false);
    grid->SetAllowUserToAddRows(false);
  }

  // 3. The teach table's working lists.
  tempOpList.clear();
  Oplist.clear();

  // 4. The two pick-and-place pages are not offered.
  auto& main = Get<ui::TabControl>("tabControl1");
  main.RemovePage(Get<ui::TabPage>("tabPage3"));
  main.RemovePage(Get<ui::TabPage>("tabPage12"));

  // 5. The teach grid's cell fonts.
  if (auto* grid = Find<ui::DataGrid>("dataGridView2")) {
    for (std::size_t c = 0; c < grid->Columns().size(); ++c) {
      grid->SetColumnFont(c, c == 0 ? kTeachFirstCellFont : kTeachCellFont);
    }
  }

  // 6. Before the settings are read the window is not kept open.
  if (!paramLoaded_) form_.Close();

  // 7. The teach table's "Get" button starts green.
  if (auto* get = Find<ui::Button>("btnTchGet")) get->SetBackColor(kGreen);
}

void XYZDemoDialog::XYZDemoDialog_FormClosing(ui::FormClosingEvent& e) {
  // The window lives as long as the plug-in: closing only hides it.
  e.cancel = true;
  form_.Hide();
}

void XYZDemoDialog::btnClose_Click() {
  form_.SetWindowState(ui::WindowState::kMinimised);
}

// --- Settings ---

void XYZDemoDialog::LoadParam(const std::vector<StoredValue>& values) {
  CreateGcodeFolder();
  for (const StoredValue& v : values) mirrors_[v.key] = v.text;
  for (const StoredValue& v : values) {
    if (v.control == kLanguageControl) SetControlValue(v.control, v.text);
  }
  for (const StoredValue& v : values) {
    if (!v.control.empty() && v.control != kLanguageControl) SetControlValue(v.control, v.text);
  }
  for (DialogPage* page : pageObjects_) page->SettingsLoaded();
  paramLoaded_ = true;
}

std::vector<StoredValue> XYZDemoDialog::SaveParam(std::vector<StoredValue> wanted) {
  for (StoredValue& v : wanted) {
    if (!v.control.empty()) {
      if (auto value = ControlValue(v.control)) {
        v.text = std::move(*value);
        continue;
      }
    }
    if (auto mirror = MirrorValue(v.key)) v.text = std::move(*mirror);
  }
  return wanted;
}

std::optional<std::string> XYZDemoDialog::MirrorValue(std::string_view key) const {
  const auto it = mirrors_.find(key);
  if (it == mirrors_.end()) return std::nullopt;
  return it->second;
}

void XYZDemoDialog::SetMirrorValue(std::string_view key, std::string text) {
  mirrors_[std::string(key)] = std::move(text);
}

// --- Language ---

void XYZDemoDialog::LanguageSwitch(int index) {
  if (index < 0 || index >= kLanguageCount) return;
  Language = index;
  CaptionTarget target;
  target.setCaption = [this](std::string_view control, std::string_view text) {
    if (ui::Control* c = FindControl(control)) c->SetText(std::string(text));
  };
  if (listsCreated_) {
    target.renameCutGenColumn = [this](int column, std::string_view name) {
      const auto at = static_cast<std::size_t>(column);
      if (auto* grid = Find<ui::DataGrid>("dataGridView5")) {
        grid->RenameColumn(at, std::string(name));
      } else {
        dtCutGenHoriz.SetColumnName(at, std::string(name));
      }
    };
  }
  dialog::LanguageSwitch(index, target);
  for (DialogPage* page : pageObjects_) page->LanguageChanged();
}

void XYZDemoDialog::cmbLanguage_SelectedIndexChanged() {
  LanguageSwitch(Get<ui::ComboBox>(kLanguageControl).SelectedIndex());
}

// --- The teach table's machine side ---

void XYZDemoDialog::RunTeachAction(TeachAction action) {
  teachPage_->RunTeachAction(action);
}

// --- Program hand-off ---

void XYZDemoDialog::LoadProgram(std::string_view programText, std::string_view failureMessage) {
  std::string bytes(programText);
  bytes += "\r\n";
  if (!handOff_.WriteProgramFile(bytes)) {
    prompts_.Message(failureMessage);
    return;
  }
  LoadFileTrigger = true;
}

void XYZDemoDialog::CreateGcodeFolder() {
  handOff_.CreateGcodeFolder();
}

void XYZDemoDialog::ShowFailure(const Failure& failure) {
  std::string text = failure.message;
  if (!failure.detail.empty()) text += "\r\n" + failure.detail;
  prompts_.Message(text);
}

std::optional<std::string> XYZDemoDialog::ShowOpenFile(std::string_view filter) {
  openFileFilter_ = filter;
  return prompts_.OpenFile(openFileFilter_);
}

std::optional<std::string> XYZDemoDialog::ShowOpenFileKeepingFilter() {
  return prompts_.OpenFile(openFileFilter_);
}

Outcome<std::string> XYZDemoDialog::ForMachine(std::string program, settings::JobInputs job,
                                               const generators::TextLookup& texts) const {
  const motion::Machine machine = CurrentMachine();
  return settings::ForControl(std::move(program), machine.dialect, job, texts, machine.statesModes);
}

bool XYZDemoDialog::PutProgram(Outcome<std::string> program, std::string_view box,
                               settings::JobInputs job, const generators::TextLookup& texts) {
  if (program) program = ForMachine(std::move(*program), job, texts);
  if (!program) {
    ShowFailure(program.failure());
    return false;
  }
  Get<ui::TextBox>(box).SetText(std::move(*program));
  RaiseCloseFileRequest();
  return true;
}

void XYZDemoDialog::ShowMachinePosition(const std::array<double, 6>& position) {
  const auto show = [this](std::string_view name, double value) {
    if (auto* box = Find<ui::TextBox>(name)) {
      box->SetText(text::FormatNumber(value, text::NumberFormat::kF3));
    }
  };
  show("textBoxX", position[0]);
  show("textBoxY", position[1]);
  constexpr std::string_view kTeach[] = {"txtTchX", "txtTchY", "txtTchZ",
                                         "txtTchA", "txtTchB", "txtTchC"};
  for (std::size_t i = 0; i < 6; ++i) show(kTeach[i], position[i]);
}

}  // namespace kelvora::dialog
