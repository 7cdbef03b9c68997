// ConfigDialog: the modal window the host's plug-in configuration opens. Its
// note tells the operator where the plug-in's screens are; below it are the
// machine's settings the pre-flight report works with: each axis's velocity and
// acceleration, the travel its soft limits check, the stock's top and the
// spindle's spin-up time; and the control the programs are written for (a
// drop-down of the dialects) with the host's dwell unit, which can be changed
// only while the host is chosen. "OK" keeps the window open and says why when
// a box does not convert; otherwise it ends the run with the machine read.
// "Cancel" changes nothing.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "generators/inputs.h"
#include "motion/machine.h"
#include "settings/settings_keys.h"
#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class ConfigDialog {
 public:
  explicit ConfigDialog(ui::Prompts& prompts);
  ConfigDialog(const ConfigDialog&) = delete;
  ConfigDialog& operator=(const ConfigDialog&) = delete;

  ui::Form& GetForm() { return form_; }
  ui::Label& Note() { return *note_; }

  // The control of that name and kind (a missing one is a programming error:
  // std::out_of_range).
  template <typename T>
  T& Get(std::string_view name) {
    if (auto* c = dynamic_cast<T*>(ui::FindByName(form_, name))) return *c;
    throw std::out_of_range("no control " + std::string(name));
  }

  // The machine into the boxes: numbers through the boxes' display pattern,
  // the A axis, the soft limits and the dwell unit as check states, the
  // control as the drop-down's choice.
  void Fill(const motion::Machine& machine);
  // The boxes by the machine's settings keys ("MachXVel", ...; "True"/"False"
  // for the check boxes, the chosen dialect's name for the drop-down, empty
  // when none is chosen).
  generators::TextLookup Inputs();

  // The control's drop-down changed: the dwell box is enabled for the host alone.
  void cmbMachDialect_SelectedIndexChanged();

  // "OK": reads every box; on success ends the run with OK, otherwise shows
  // "Parameters error" with the key and stays open.
  void btnOK_Click();

  // Runs the window modally with the machine in its boxes; the machine OK read,
  // or nullopt when the window was cancelled or closed.
  std::optional<motion::Machine> ShowDialog(const motion::Machine& machine);

 private:
  void Arrange();
  static const settings::InputRow& DialectRow();

  ui::Prompts& prompts_;
  ui::Form form_;
  ui::Label* note_ = nullptr;
};

}  // namespace kelvora::dialog
