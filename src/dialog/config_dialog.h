// ConfigDialog: the small modal window the host's plug-in configuration opens.
// It only tells the operator where the plug-in's screens are.
#pragma once

#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

inline constexpr int kConfigClientWidth = 349;
inline constexpr int kConfigClientHeight = 165;

class ConfigDialog {
 public:
  ConfigDialog();

  ui::Form& GetForm() { return form_; }
  ui::Label& Note() { return *note_; }

  // Runs the window modally (its result means nothing).
  void ShowDialog(ui::Prompts& prompts);

 private:
  ui::Form form_;
  ui::Label* note_ = nullptr;
};

}  // namespace kelvora::dialog
