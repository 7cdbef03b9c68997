// The part every page class of the dialog shares: the tab page it fills, a
// layout step run whenever the window's size changes, and a step run after the
// stored settings were copied into the controls.
#pragma once

#include <string_view>

#include "ui/widgets.h"

namespace kelvora::dialog {

class XYZDemoDialog;

class DialogPage {
 public:
  DialogPage(XYZDemoDialog& dlg, ui::TabPage& page) : dlg_(dlg), page_(page) {}
  virtual ~DialogPage() = default;
  DialogPage(const DialogPage&) = delete;
  DialogPage& operator=(const DialogPage&) = delete;

  ui::TabPage& Page() { return page_; }

  // Places the page's controls inside the page's current size.
  virtual void Arrange() {}
  // Runs after LoadParam copied the stored values into the controls.
  virtual void SettingsLoaded() {}
  // Runs after the window's language changed, for texts the caption table
  // does not hold.
  virtual void LanguageChanged() {}

  // Texts of the prompts around the pages' list files.
  static constexpr std::string_view kConfirm = "Confirm!!!";  // the confirmations' caption
  static constexpr std::string_view kCannotSave = "Cannot save, File exist!";
  static constexpr std::string_view kSaveSuccessful = "Save file successful!";
  static constexpr std::string_view kCsvFilter = "csv files (*.csv)|*.csv|All files (*.*)|*.*";

 protected:
  XYZDemoDialog& dlg_;
  ui::TabPage& page_;
};

}  // namespace kelvora::dialog
