// AutoGen: the small modal dialog of the point list's "Auto" button, in which the
// operator describes a regular grid of points (rows and columns, spacing, start
// point, pattern options). "OK" keeps the dialog open and says why when a box
// does not convert; otherwise it ends the run with OK and the values read.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "generators/auto_grid.h"
#include "generators/inputs.h"
#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/text_box.h"

namespace kelvora::dialog {

class AutoGen {
 public:
  static constexpr int kClientWidth = 411;
  static constexpr int kClientHeight = 348;

  explicit AutoGen(ui::Prompts& prompts);
  AutoGen(const AutoGen&) = delete;
  AutoGen& operator=(const AutoGen&) = delete;

  ui::Form& GetForm() { return form_; }

  // The control of that name and kind (a missing one is a programming error:
  // std::out_of_range).
  template <typename T>
  T& Get(std::string_view name) {
    if (auto* c = dynamic_cast<T*>(ui::FindByName(form_, name))) return *c;
    throw std::out_of_range("no control " + std::string(name));
  }

  // Fills the boxes as the "Auto" button does: counts as whole numbers, the
  // distances, offsets and start point with up to two decimals ("0.##"), the
  // flags as check states.
  void Fill(const generators::AutoGridParams& p);

  // The boxes as the grid generator reads them, by the settings keys "AnyXc",
  // "AnyNumOfRow", ... ("True"/"False" for the check boxes).
  generators::TextLookup Inputs();
  // The control that shows a settings key, or empty.
  static std::string_view ControlOfKey(std::string_view key);

  // "OK": reads every box; on success keeps the values and ends the run with OK,
  // otherwise shows "Parameters error" with the key and stays open.
  void btnOK_Click();
  // The values read by the last successful "OK".
  const generators::AutoGridParams& Values() const { return values_; }

 private:
  void Arrange();

  ui::Prompts& prompts_;
  ui::Form form_;
  generators::AutoGridParams values_;
};

}  // namespace kelvora::dialog
