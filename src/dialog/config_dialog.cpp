#include "dialog/config_dialog.h"

#include <algorithm>
#include <vector>

#include "dialog/key_filters.h"
#include "dialog/page_measures.h"
#include "settings/machine_settings.h"
#include "settings/settings_keys.h"
#include "text/gcode_dialect.h"
#include "ui/text_box.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

// A fresh window's font: the note is sized for it.
const ui::Font kConfigFont{"Microsoft Sans Serif", 8.25, false};
constexpr std::string_view kNoteText =
    "Configuration Screens Are Now Accessed\r\nThrough The 'PlugIn Control' Menu";

// The form's own spacing; boxes and buttons are as high as the pages' are.
constexpr int kMargin = 12;
constexpr int kRowStep = 28;
constexpr int kColumnGap = 24;
constexpr int kBoxWidth = 80;
constexpr int kButtonWidth = 90;
constexpr int kCheckRoom = 24;  // the check mark and its gap before the text
constexpr int kArrowRoom = 28;  // a drop-down's arrow button and its text margin
using measures::kBoxHeight;
using measures::kButtonHeight;
using measures::kLabelGap;

// The machine table's rows, in table order.
std::span<const settings::InputRow> Rows() {
  return settings::InputsOf(settings::JobInputs::kMachine);
}

// The rows of the control the programs are written for (its drop-down, the
// host's dwell unit, whether the host's programs state their units and modes)
// stand two to a line below the two columns of the machine's motion.
constexpr std::string_view kDialectKey = "MachDialect";
constexpr std::string_view kDwellKey = "MachDwellMs";
constexpr std::string_view kStatesModesKey = "MachStateModes";
bool IsControlRow(const settings::InputRow& row) {
  return row.key == kDialectKey || row.key == kDwellKey || row.key == kStatesModesKey;
}

bool IsCheck(const settings::InputRow& row) {
  return row.type == settings::KeyType::kBool;
}

bool IsChoice(const settings::InputRow& row) {
  return !row.choices.empty();
}

// A caption's label: "lbl" and the control's name without its kind prefix.
std::string CaptionName(const settings::InputRow& row) {
  std::string_view control = row.control;
  for (std::string_view prefix : {"txt", "cmb"}) {
    if (control.starts_with(prefix)) control.remove_prefix(prefix.size());
  }
  return "lbl" + std::string(control);
}

// The index of a choice's text in the row's list, or -1.
int ChoiceIndex(const settings::InputRow& row, std::string_view text) {
  const auto it = std::find(row.choices.begin(), row.choices.end(), text);
  return it == row.choices.end() ? -1 : static_cast<int>(std::distance(row.choices.begin(), it));
}

// The note sizes itself to its text: the widest line, and one line height per line.
ui::Bounds NoteSize(const ui::Label& label) {
  std::string_view text = label.Text();
  int width = 0;
  int lines = 0;
  while (true) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    width = std::max(width, ui::EstimateTextWidth(line, label.GetFont()));
    ++lines;
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  const int height = lines * ui::EstimateTextHeight(label.GetFont());
  return {0, 0, std::max(width, 1), std::max(height, 1)};
}

}  // namespace

ConfigDialog::ConfigDialog(ui::Prompts& prompts)
    : prompts_(prompts), form_("ConfigDialog", "ConfigDialog", 1, 1) {
  form_.SetFont(kConfigFont);
  note_ = &form_.Add<ui::Label>("label1", std::string(kNoteText));
  note_->SetCentred(true);
  for (const settings::InputRow& row : Rows()) {
    if (IsCheck(row)) {
      form_.Add<ui::CheckBox>(std::string(row.control), std::string(row.caption));
      continue;
    }
    form_.Add<ui::Label>(CaptionName(row), std::string(row.caption));
    if (IsChoice(row)) {
      auto& combo = form_.Add<ui::ComboBox>(std::string(row.control));
      combo.SetItems({row.choices.begin(), row.choices.end()});
      continue;
    }
    auto& box = form_.Add<ui::TextBox>(std::string(row.control), "0");
    if (row.filter == settings::Filter::kSigned) AttachSignedFilter(box);
    if (row.filter == settings::Filter::kUnsigned) AttachUnsignedFilter(box);
  }
  ui::AddOkCancel(form_, [this] { btnOK_Click(); });
  // The dwell unit and the stated modes are the host's: their boxes are open
  // to a change only while the host is the chosen control.
  Get<ui::ComboBox>(DialectRow().control).onSelectedIndexChanged = [this](ui::ComboBox&) {
    cmbMachDialect_SelectedIndexChanged();
  };
  Fill(motion::Machine{});
  Arrange();
}

const settings::InputRow& ConfigDialog::DialectRow() {
  return *settings::FindInput(settings::JobInputs::kMachine, kDialectKey);
}

void ConfigDialog::cmbMachDialect_SelectedIndexChanged() {
  const settings::InputRow& dialect = DialectRow();
  const int chosen = Get<ui::ComboBox>(dialect.control).SelectedIndex();
  const bool host =
      chosen < 0 ||
      text::DialectNamed(dialect.choices[static_cast<std::size_t>(chosen)]) == text::Dialect::kHost;
  // Both are the host's: the other controls count seconds and always state the modes.
  for (const std::string_view key : {kDwellKey, kStatesModesKey}) {
    const settings::InputRow& row = *settings::FindInput(settings::JobInputs::kMachine, key);
    Get<ui::CheckBox>(row.control).SetEnabled(host);
  }
}

void ConfigDialog::Arrange() {
  // The note centred at the top, two columns of captioned boxes below it (the
  // first half of the machine's motion rows, speeds and accelerations and the A
  // axis, on the left; soft limits and travel, stock top and spin-up on the
  // right), the control's lines under them (the drop-down on the left, the dwell
  // box on the right, the stated modes' box below the drop-down), the buttons in the lower right
  // corner; the form is as large as that needs. The caption column is as wide as the widest
  // caption, the drop-down as wide as its widest choice.
  const ui::Font& font = form_.GetFont();
  int captionWidth = 0;
  int controlWidth = kBoxWidth;
  for (const settings::InputRow& row : Rows()) {
    const int text = ui::EstimateTextWidth(row.caption, font);
    captionWidth = std::max(captionWidth, IsCheck(row) ? text + kCheckRoom : text + 2);
    for (std::string_view choice : row.choices) {
      controlWidth = std::max(controlWidth, ui::EstimateTextWidth(choice, font) + kArrowRoom);
    }
  }
  const int columnWidth = captionWidth + kLabelGap + controlWidth;
  const int clientWidth = 2 * kMargin + 2 * columnWidth + kColumnGap;

  ui::Bounds note = NoteSize(*note_);
  note.x = (clientWidth - note.width) / 2;
  note.y = kMargin;
  note_->SetBounds(note);

  const int top = note.y + note.height + kMargin;
  const int textHeight = ui::EstimateTextHeight(font);
  const int textTop = (kBoxHeight - textHeight) / 2;
  const auto place = [&](const settings::InputRow& row, int x, int y) {
    if (IsCheck(row)) {
      Get<ui::CheckBox>(row.control).SetBounds({x, y, columnWidth, kBoxHeight});
      return;
    }
    Get<ui::Label>(CaptionName(row)).SetBounds({x, y + textTop, captionWidth, textHeight});
    Get<ui::Control>(row.control)
        .SetBounds({x + captionWidth + kLabelGap, y, IsChoice(row) ? controlWidth : kBoxWidth,
                    kBoxHeight});
  };
  std::vector<const settings::InputRow*> motionRows;
  std::vector<const settings::InputRow*> controlRows;
  for (const settings::InputRow& row : Rows()) {
    (IsControlRow(row) ? controlRows : motionRows).push_back(&row);
  }
  const std::size_t perColumn = (motionRows.size() + 1) / 2;
  for (std::size_t i = 0; i < motionRows.size(); ++i) {
    place(*motionRows[i], kMargin + static_cast<int>(i / perColumn) * (columnWidth + kColumnGap),
          top + static_cast<int>(i % perColumn) * kRowStep);
  }
  // The control's lines, set a little apart from the motion's columns.
  const int controlY = top + static_cast<int>(perColumn) * kRowStep + kMargin / 2;
  for (std::size_t i = 0; i < controlRows.size(); ++i) {
    place(*controlRows[i], kMargin + static_cast<int>(i % 2) * (columnWidth + kColumnGap),
          controlY + static_cast<int>(i / 2) * kRowStep);
  }
  const int controlLines = static_cast<int>((controlRows.size() + 1) / 2);
  const int rowsEnd = controlRows.empty() ? top + static_cast<int>(perColumn) * kRowStep
                                          : controlY + controlLines * kRowStep;

  const int buttonsY = rowsEnd + kMargin;
  const int clientHeight = buttonsY + kButtonHeight + kMargin;
  const int cancelX = clientWidth - kMargin - kButtonWidth;
  Get<ui::Button>("btnCancel").SetBounds({cancelX, buttonsY, kButtonWidth, kButtonHeight});
  Get<ui::Button>("btnOK").SetBounds(
      {cancelX - kMargin - kButtonWidth, buttonsY, kButtonWidth, kButtonHeight});
  form_.SetClientSize(clientWidth, clientHeight);
}

void ConfigDialog::Fill(const motion::Machine& machine) {
  settings::Settings shown;
  settings::StoreMachine(machine, shown);
  for (const settings::InputRow& row : Rows()) {
    if (IsCheck(row)) {
      Get<ui::CheckBox>(row.control).SetChecked(shown.Bool(row.key));
    } else if (IsChoice(row)) {
      Get<ui::ComboBox>(row.control).SetSelectedIndex(ChoiceIndex(row, shown.String(row.key)));
    } else {
      Get<ui::TextBox>(row.control).SetText(shown.ControlText(row.key));
    }
  }
  cmbMachDialect_SelectedIndexChanged();
}

generators::TextLookup ConfigDialog::Inputs() {
  return [this](std::string_view key) -> std::string {
    const settings::InputRow* row = settings::FindInput(settings::JobInputs::kMachine, key);
    if (!row) return {};
    if (IsCheck(*row)) return Get<ui::CheckBox>(row->control).Checked() ? "True" : "False";
    if (IsChoice(*row)) {
      const int index = Get<ui::ComboBox>(row->control).SelectedIndex();
      return index < 0 ? std::string() : std::string(row->choices[static_cast<std::size_t>(index)]);
    }
    return Get<ui::TextBox>(row->control).Text();
  };
}

void ConfigDialog::btnOK_Click() {
  const auto read = settings::ReadMachine(Inputs());
  if (!read) {
    const Failure& f = read.failure();
    prompts_.Message(f.detail.empty() ? f.message : f.message + "\r\n" + f.detail);
    return;
  }
  form_.SetModalResult(ui::DialogResult::kOk);
}

std::optional<motion::Machine> ConfigDialog::ShowDialog(const motion::Machine& machine) {
  Fill(machine);
  form_.SetModalResult(ui::DialogResult::kNone);
  if (prompts_.ShowModal(form_) != ui::DialogResult::kOk) return std::nullopt;
  // The boxes as OK found them; a run the platform ended with OK in another way
  // is read the same, and gives nothing when a box does not convert.
  auto read = settings::ReadMachine(Inputs());
  if (!read) return std::nullopt;
  return std::move(*read);
}

}  // namespace kelvora::dialog
