// The report line under a program box. After every GCode Gen the tab reads the
// program box's text once with the current machine and the job's check options
// (its stated depth; no stock-top checks for the thread):
// the line shows its summary ("X 10…50 · Y 10…50 · Z −5…10 · 1 min 23 s ·
// 2 warnings") in the window's language, and the tab's preview, where it has
// one, shows the program's path seen from above. A click on the line lists the
// findings (line number and text) in a message, or says there are none.
//
// A refused GCode Gen puts no program into the box, and the line keeps what it
// showed: it always speaks of the program the box got from the last GCode Gen.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "generators/inputs.h"
#include "generators/point_list.h"
#include "motion/report.h"
#include "settings/settings_keys.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class XYZDemoDialog;

class ReportLine {
 public:
  // The line's label is made on `parent` under `name`, empty until the first
  // GCode Gen.
  ReportLine(XYZDemoDialog& dlg, ui::Control& parent, std::string name);
  ReportLine(const ReportLine&) = delete;
  ReportLine& operator=(const ReportLine&) = delete;

  ui::Label& GetLabel() { return *label_; }
  // Fits the line into `width` pixels: a summary too long for one row is
  // broken after a " · " onto a second. Returns the height the line then needs;
  // the page's layout asks this whenever it places the line.
  int Fit(int width);

  // Reports on `program`, the program box's new text, for `job` (whose stated
  // depth the lookup's texts give), and draws its path into `preview` when the
  // tab has one.
  void Show(std::string_view program, settings::JobInputs job, const generators::TextLookup& inputs,
            ui::PictureBox* preview);
  // The rapid lengths of a reordered hole list, shown after the summary from
  // the next Show on; nullopt for a program in the listed order.
  void SetOrder(std::optional<generators::OrderReport> order) { order_ = order; }

  // Puts the line into the window's current language (the page then places it
  // again, as its height may change).
  void Retext();
  // The click: the findings of the last report in a message.
  void ShowFindings();

  // The last report shown, none before the first GCode Gen.
  const std::optional<motion::Report>& LastReport() const { return report_; }

 private:
  XYZDemoDialog& dlg_;
  ui::Label* label_ = nullptr;
  std::optional<motion::Report> report_;
  std::optional<generators::OrderReport> order_;
  std::string summary_;  // in one row
  int width_ = 0;        // the width of the last Fit
};

}  // namespace kelvora::dialog
