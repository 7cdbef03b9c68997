#include "dialog/config_dialog.h"

#include <algorithm>

#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

// A fresh window's font: the note is sized for it.
const ui::Font kConfigFont{"Microsoft Sans Serif", 8.25, false};
constexpr std::string_view kNoteText =
    "Configuration Screens Are Now Accessed\r\nThrough The 'PlugIn Control' Menu";
constexpr ui::Bounds kNominal{19, 36, 205, 26};

// The label sizes itself to its text: the widest line, and one line height per line.
ui::Bounds AutoSize(const ui::Label& label) {
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
  return {kNominal.x, kNominal.y, std::max(width, 1), std::max(height, 1)};
}

}  // namespace

ConfigDialog::ConfigDialog()
    : form_("ConfigDialog", "ConfigDialog", kConfigClientWidth, kConfigClientHeight) {
  form_.SetFont(kConfigFont);
  note_ = &form_.Add<ui::Label>("label1", std::string(kNoteText));
  note_->SetCentred(true);
  note_->SetBounds(AutoSize(*note_));
}

void ConfigDialog::ShowDialog(ui::Prompts& prompts) {
  form_.SetModalResult(ui::DialogResult::kNone);
  prompts.ShowModal(form_);
}

}  // namespace kelvora::dialog
