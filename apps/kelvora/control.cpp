#include "control.h"

#include "generators/job_inputs.h"

namespace kelvora::cli {
namespace {

constexpr std::string_view kStatesModesKey = "MachStateModes";

}  // namespace

std::optional<text::Dialect> DialectArgument(std::string_view name) {
  // An empty text would name the host: as an argument it names nothing.
  if (name.empty()) return std::nullopt;
  return text::DialectNamed(name);
}

std::string DialectUsage(std::string_view got) {
  std::string message = "--dialect takes one of ";
  message.append(text::DialectNameList()).append(", got: ").append(got);
  return message;
}

Outcome<Control> ControlOf(const motion::Machine* machine, const settings::Settings* stored,
                           std::optional<text::Dialect> chosen) {
  Control control;
  if (machine) {
    control = {machine->dialect, machine->dwellMilliseconds, machine->statesModes};
  } else if (stored) {
    control.dwellMilliseconds = stored->ControlText(generators::kMachineDwellMsKey) == "True";
    control.statesModes = stored->ControlText(kStatesModesKey) == "True";
    // The stored name matters only when no dialect is named on the command line.
    if (!chosen) {
      const auto named = text::DialectNamed(stored->ControlText(generators::kMachineDialectKey));
      if (!named) {
        return Failure{std::string(generators::kParametersError),
                       std::string(generators::kMachineDialectKey)};
      }
      control.dialect = *named;
    }
  }
  if (chosen) control.dialect = *chosen;
  return control;
}

}  // namespace kelvora::cli
