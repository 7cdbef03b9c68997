// Everything the dialog asks of the operator outside its own window: messages,
// Yes/No confirmations, the open-file and save-file dialogs, and modal forms. A
// back-end shows the platform's boxes; tests answer from a script.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/form.h"

namespace kelvora::ui {

class Prompts {
 public:
  virtual ~Prompts() = default;

  // A message box with an OK button; the caption may be empty.
  virtual void Message(std::string_view text, std::string_view caption = {}) = 0;
  // A Yes/No box; true only for Yes.
  virtual bool YesNo(std::string_view text, std::string_view caption) = 0;
  // The file dialogs with a filter such as "CSV files (*.csv)|*.csv|All files
  // (*.*)|*.*"; nullopt when the operator cancels.
  virtual std::optional<std::string> OpenFile(std::string_view filter) = 0;
  virtual std::optional<std::string> SaveFile(std::string_view filter) = 0;
  // Runs a form modally until it has a result; returns that result.
  virtual DialogResult ShowModal(Form& form) = 0;
};

}  // namespace kelvora::ui
