// DrillOptions: the small modal form of a drilling tab's "Options" button, and
// DxfOptions, the router's DXF sub-tab's (the contour options: "Contour
// options", without the canned cycles' note). It is built from the tab's
// option rows: a drop-down for each choice (its items in
// the window's language, each standing for the English text it stores), a text
// box for each number (with the row's key filter), and the check box of the
// canned output; the point list's form also has the hole order and the pocket
// entry. A note says what canned output leaves unused. "OK" keeps the form open
// and names the key when a box does not convert; otherwise it ends the run with
// OK. "Cancel" changes nothing.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "generators/inputs.h"
#include "settings/settings_keys.h"
#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class DrillOptionsForm {
 public:
  // The form of `job`'s option rows (circle, grid, point list or contour),
  // captioned in `language`.
  DrillOptionsForm(ui::Prompts& prompts, settings::JobInputs job, int language);
  DrillOptionsForm(const DrillOptionsForm&) = delete;
  DrillOptionsForm& operator=(const DrillOptionsForm&) = delete;

  ui::Form& GetForm() { return form_; }
  // The rows the form shows, in table order.
  std::span<const settings::InputRow* const> Rows() const { return rows_; }

  // The control of that name and kind (a missing one is a programming error:
  // std::out_of_range).
  template <typename T>
  T& Get(std::string_view name) {
    if (auto* c = dynamic_cast<T*>(ui::FindByName(form_, name))) return *c;
    throw std::out_of_range("no control " + std::string(name));
  }

  // The tab's option texts into the controls, by key: numbers as they are,
  // "True"/"False" as the check state, a choice as the item that stores it (no
  // item is selected for a text that is none of the row's choices).
  void Fill(const generators::TextLookup& texts);
  // The controls' texts by key, as the tab keeps them: a box's text, "True" or
  // "False", a selected item's stored choice (empty when none is selected).
  generators::TextLookup Inputs();

  // Puts the captions and the drop-downs' items into `language`, keeping each
  // drop-down's choice.
  void SetLanguage(int language);

  // The first row whose control holds nothing the tab could use: a number box
  // that does not convert, a drop-down without a choice; null when all are sound.
  const settings::InputRow* FirstUnsound();

  // "OK": every number box must convert and every drop-down have a choice;
  // otherwise "Parameters error" with the key, and the form stays open.
  void btnOK_Click();

 private:
  void Arrange();

  ui::Prompts& prompts_;
  ui::Form form_;
  bool hasNote_ = true;
  std::vector<const settings::InputRow*> rows_;
};

}  // namespace kelvora::dialog
