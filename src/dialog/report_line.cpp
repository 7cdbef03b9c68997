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

int ReportLine::Height() {
  return ui::EstimateTextHeight(kLineFont) + 2;
}

void ReportLine::Show(std::string_view program, settings::JobInputs job,
                      const generators::TextLookup& inputs, ui::PictureBox* preview) {
  motion::CheckOptions options;
  options.statedDepth = settings::StatedDepth(job, inputs);
  const ui::Bounds box = preview ? preview->GetBounds() : ui::Bounds{};
  motion::CheckedPath checked =
      motion::CheckAndDrawProgram(program, dlg_.CurrentMachine(), options, box.width, box.height);
  report_ = std::move(checked.report);
  if (preview) preview->SetImage(std::move(checked.picture));
  Retext();
}

void ReportLine::Retext() {
  if (!report_) return;
  label_->SetText(ReportSummary(*report_, dlg_.Language));
  label_->SetForeColor(HasWarnings(*report_) ? kWarningRed : kLinkBlue);
}

void ReportLine::ShowFindings() {
  if (!report_) return;
  dlg_.GetPrompts().Message(ReportFindings(*report_, dlg_.Language),
                            ReportWord(ReportText::kCaption, dlg_.Language));
}

}  // namespace kelvora::dialog
