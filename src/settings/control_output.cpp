#include "settings/control_output.h"

namespace kelvora::settings {

Outcome<std::string> ForControl(std::string program, text::Dialect dialect, JobInputs job,
                                const generators::TextLookup& texts) {
  (void)dialect;
  (void)job;
  (void)texts;
  return program;
}

}  // namespace kelvora::settings
