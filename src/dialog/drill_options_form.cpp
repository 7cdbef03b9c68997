#include "dialog/drill_options_form.h"

#include <algorithm>

#include "dialog/key_filters.h"
#include "dialog/language_texts.h"
#include "dialog/page_measures.h"
#include "text/parse.h"
#include "ui/text_box.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

constexpr std::string_view kDrillFormName = "DrillOptions";
constexpr std::string_view kContourFormName = "DxfOptions";
constexpr std::string_view kNoteName = "lblOptionsNote";
const ui::Font kOptionsFont{"Microsoft Sans Serif", 8.25, false};

// The form's own spacing; boxes and buttons are as high as the pages' are.
constexpr int kMargin = 12;
constexpr int kRowStep = 28;
constexpr int kBoxWidth = 80;
constexpr int kButtonWidth = 90;
constexpr int kCheckRoom = 24;  // the check mark and its gap before the text
constexpr int kArrowRoom = 28;  // a drop-down's arrow button and its text margin
using measures::kBoxHeight;
using measures::kButtonHeight;
using measures::kLabelGap;

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

const CaptionRow* CaptionRowOf(std::string_view name) {
  for (const CaptionRow& row : OptionsCaptionRows()) {
    if (std::find(row.controls.begin(), row.controls.end(), name) != row.controls.end()) {
      return &row;
    }
  }
  return nullptr;
}

// The widest line of a text.
int TextWidth(std::string_view text) {
  int width = 0;
  while (true) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    width = std::max(width, ui::EstimateTextWidth(line, kOptionsFont));
    if (nl == std::string_view::npos) return width;
    text.remove_prefix(nl + 1);
  }
}

// The widest text a control shows in any language (its start text where the
// table has none).
int WidestCaption(std::string_view name, std::string_view start) {
  int widest = TextWidth(start);
  if (const CaptionRow* row = CaptionRowOf(name)) {
    for (std::string_view text : row->texts) widest = std::max(widest, TextWidth(text));
  }
  return widest;
}

int LineCount(std::string_view text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The note's line count in the language that needs the most.
int NoteLines() {
  int lines = 1;
  if (const CaptionRow* row = CaptionRowOf(kNoteName)) {
    for (std::string_view text : row->texts) lines = std::max(lines, LineCount(text));
  }
  return lines;
}

}  // namespace

DrillOptionsForm::DrillOptionsForm(ui::Prompts& prompts, settings::JobInputs job, int language)
    : prompts_(prompts),
      form_(std::string(job == settings::JobInputs::kContour ? kContourFormName : kDrillFormName),
            job == settings::JobInputs::kContour ? "Contour options" : "Drilling options", 1, 1),
      hasNote_(job != settings::JobInputs::kContour) {
  form_.SetFont(kOptionsFont);
  for (const settings::InputRow& row : settings::InputsOf(job)) {
    if (row.shownAs != settings::ShownAs::kOptions) continue;
    rows_.push_back(&row);
    if (IsCheck(row)) {
      form_.Add<ui::CheckBox>(std::string(row.control), std::string(row.caption));
      continue;
    }
    form_.Add<ui::Label>(CaptionName(row), std::string(row.caption));
    if (IsChoice(row)) {
      form_.Add<ui::ComboBox>(std::string(row.control));
      continue;
    }
    auto& box = form_.Add<ui::TextBox>(std::string(row.control), std::string(row.defaultText));
    if (row.filter == settings::Filter::kSigned) AttachSignedFilter(box);
    if (row.filter == settings::Filter::kUnsigned) AttachUnsignedFilter(box);
  }
  // Only the drilling forms have the canned cycles' note.
  if (hasNote_) form_.Add<ui::Label>(std::string(kNoteName), "");
  ui::AddOkCancel(form_, [this] { btnOK_Click(); });
  SetLanguage(language);
  // A fresh form shows the rows' defaults.
  Fill([](std::string_view key) -> std::string {
    const settings::InputRow* row = settings::FindSettingsKey(key);
    if (!row) return {};
    return settings::DisplayText(*row, row->defaultText).value_or(std::string(row->defaultText));
  });
  Arrange();
}

void DrillOptionsForm::SetLanguage(int language) {
  if (language < 0 || language >= kLanguageCount) return;
  const auto column = static_cast<std::size_t>(language);
  for (const CaptionRow& row : OptionsCaptionRows()) {
    for (std::string_view name : row.controls) {
      if (name == form_.Name()) {
        form_.SetText(std::string(row.texts[column]));
      } else if (ui::Control* c = ui::FindByName(form_, name)) {
        c->SetText(std::string(row.texts[column]));
      }
    }
  }
  for (const settings::InputRow* row : rows_) {
    if (!IsChoice(*row)) continue;
    auto& combo = Get<ui::ComboBox>(row->control);
    const int chosen = combo.SelectedIndex();
    std::vector<std::string> items;
    for (std::string_view choice : row->choices) {
      items.emplace_back(ChoiceCaption(choice, language));
    }
    // Cleared first, so the chosen item's text is the new language's.
    combo.SetSelectedIndex(-1);
    combo.SetItems(std::move(items));
    combo.SetSelectedIndex(chosen);
  }
}

void DrillOptionsForm::Arrange() {
  // One captioned control a row, the note below them, the buttons in the lower
  // right corner. Every width is the widest any language needs, so a language
  // switch never moves anything.
  int captionWidth = 0;
  int controlWidth = kBoxWidth;
  int checkWidth = 0;
  for (const settings::InputRow* row : rows_) {
    if (IsCheck(*row)) {
      checkWidth = std::max(checkWidth, WidestCaption(row->control, row->caption) + kCheckRoom);
      continue;
    }
    captionWidth = std::max(captionWidth, WidestCaption(CaptionName(*row), row->caption) + 2);
    if (!IsChoice(*row)) continue;
    for (std::string_view choice : row->choices) {
      for (int language = 0; language < kLanguageCount; ++language) {
        controlWidth =
            std::max(controlWidth, TextWidth(ChoiceCaption(choice, language)) + kArrowRoom);
      }
    }
  }
  const int textHeight = ui::EstimateTextHeight(kOptionsFont);
  const int noteWidth = hasNote_ ? WidestCaption(kNoteName, "") : 0;
  const int noteHeight = hasNote_ ? NoteLines() * textHeight : 0;
  const int innerWidth = std::max(
      {captionWidth + kLabelGap + controlWidth, checkWidth, noteWidth, 2 * kButtonWidth + kMargin});

  const int textTop = (kBoxHeight - textHeight) / 2;
  int y = kMargin;
  for (const settings::InputRow* row : rows_) {
    if (IsCheck(*row)) {
      Get<ui::CheckBox>(row->control).SetBounds({kMargin, y, checkWidth, kBoxHeight});
    } else {
      Get<ui::Label>(CaptionName(*row)).SetBounds({kMargin, y + textTop, captionWidth, textHeight});
      const int width = IsChoice(*row) ? controlWidth : kBoxWidth;
      Get<ui::Control>(row->control)
          .SetBounds({kMargin + captionWidth + kLabelGap, y, width, kBoxHeight});
    }
    y += kRowStep;
  }
  if (hasNote_) {
    Get<ui::Label>(kNoteName).SetBounds({kMargin, y + 4, noteWidth, noteHeight});
    y += 4 + noteHeight;
  }
  y += kMargin;

  const int clientWidth = innerWidth + 2 * kMargin;
  const int cancelX = clientWidth - kMargin - kButtonWidth;
  Get<ui::Button>("btnCancel").SetBounds({cancelX, y, kButtonWidth, kButtonHeight});
  Get<ui::Button>("btnOK").SetBounds(
      {cancelX - kMargin - kButtonWidth, y, kButtonWidth, kButtonHeight});
  form_.SetClientSize(clientWidth, y + kButtonHeight + kMargin);
}

void DrillOptionsForm::Fill(const generators::TextLookup& texts) {
  for (const settings::InputRow* row : rows_) {
    const std::string text = texts(row->key);
    if (IsCheck(*row)) {
      Get<ui::CheckBox>(row->control).SetChecked(text == "True");
    } else if (IsChoice(*row)) {
      const auto it = std::find(row->choices.begin(), row->choices.end(), text);
      Get<ui::ComboBox>(row->control)
          .SetSelectedIndex(it == row->choices.end()
                                ? -1
                                : static_cast<int>(std::distance(row->choices.begin(), it)));
    } else {
      Get<ui::TextBox>(row->control).SetText(text);
    }
  }
}

generators::TextLookup DrillOptionsForm::Inputs() {
  return [this](std::string_view key) -> std::string {
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [key](const settings::InputRow* r) { return r->key == key; });
    if (it == rows_.end()) return {};
    const settings::InputRow& row = **it;
    if (IsCheck(row)) return Get<ui::CheckBox>(row.control).Checked() ? "True" : "False";
    if (IsChoice(row)) {
      const int index = Get<ui::ComboBox>(row.control).SelectedIndex();
      if (index < 0) return {};
      return std::string(row.choices[static_cast<std::size_t>(index)]);
    }
    return Get<ui::TextBox>(row.control).Text();
  };
}

const settings::InputRow* DrillOptionsForm::FirstUnsound() {
  const generators::TextLookup texts = Inputs();
  for (const settings::InputRow* row : rows_) {
    const std::string text = texts(row->key);
    if (IsChoice(*row) && text.empty()) return row;
    if (row->type == settings::KeyType::kDouble && !text::ParseDouble(text)) return row;
    if (row->type == settings::KeyType::kInt && !text::ParseInt32(text)) return row;
  }
  return nullptr;
}

void DrillOptionsForm::btnOK_Click() {
  if (const settings::InputRow* row = FirstUnsound()) {
    prompts_.Message(std::string(generators::kParametersError) + "\r\n" + std::string(row->key));
    return;
  }
  form_.SetModalResult(ui::DialogResult::kOk);
}

}  // namespace kelvora::dialog
