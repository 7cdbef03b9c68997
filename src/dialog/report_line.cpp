#include "dialog/report_line.h"

#include "dialog/report_texts.h"
#include "dialog/xyz_demo_dialog.h"
#include "motion/path_picture.h"
#include "settings/stated_depth.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

// The line's look: the program box's font, blue like a link, red while the
// program has warnings.
const ui::Font kLineFont{"Microsoft Sans Serif", 8.25, false};
constexpr ui::Rgb kLinkBlue{0, 0, 192};
constexpr ui::Rgb kWarningRed{192, 0, 0};

bool HasWarnings(const motion::Report& report) {
  return report.findingCount > report.noteCount;
}

}  // namespace

ReportLine::ReportLine(XYZDemoDialog& dlg, ui::Control& parent, std::string name) : dlg_(dlg) {
  label_ = &parent.Add<ui::Label>(std::move(name));
  label_->SetFont(kLineFont);
  label_->SetForeColor(kLinkBlue);
  label_->onClick = [this](ui::Label&) { ShowFindings(); };
}

int ReportLine::Fit(int width) {
  width_ = width;
  const int row = ui::EstimateTextHeight(kLineFont);
  std::string text = summary_;
  if (ui::EstimateTextWidth(text, kLineFont) > width) {
    // The last break after which the first row fits, else the first one.
    constexpr std::string_view kBreak = " · ";
    std::size_t at = text.find(kBreak);
    for (std::size_t next = at; next != std::string::npos; next = text.find(kBreak, next + 1)) {
      // The first row ends with the break's dot: "a ·".
      if (ui::EstimateTextWidth(std::string_view(text).substr(0, next + kBreak.size() - 1),
                                kLineFont) > width) {
        break;
      }
      at = next;
    }
    if (at != std::string::npos) text.replace(at + kBreak.size() - 1, 1, "\r\n");
  }
  const bool twoRows = text.find('\n') != std::string::npos;
  label_->SetText(std::move(text));
  return (twoRows ? 2 * row : row) + 2;
}

void ReportLine::Show(std::string_view program, settings::JobInputs job,
                      const generators::TextLookup& inputs, ui::PictureBox* preview) {
  const motion::CheckOptions options = settings::JobCheckOptions(job, inputs);
  const ui::Bounds box = preview ? preview->GetBounds() : ui::Bounds{};
  motion::CheckedPath checked =
      motion::CheckAndDrawProgram(program, dlg_.CurrentMachine(), options, box.width, box.height);
  report_ = std::move(checked.report);
  if (preview) preview->SetImage(std::move(checked.picture));
  Retext();
}

void ReportLine::Retext() {
  if (!report_) return;
  summary_ = ReportSummary(*report_, dlg_.Language);
  if (order_) summary_ += " · " + OrderSummary(order_->after, order_->before, dlg_.Language);
  Fit(width_);
  label_->SetForeColor(HasWarnings(*report_) ? kWarningRed : kLinkBlue);
}

void ReportLine::ShowFindings() {
  if (!report_) return;
  dlg_.GetPrompts().Message(ReportFindings(*report_, dlg_.Language),
                            ReportWord(ReportText::kCaption, dlg_.Language));
}

}  // namespace kelvora::dialog
