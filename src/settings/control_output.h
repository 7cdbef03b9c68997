// A job's finished program made into the program of the machine's control
// (text::kDialects): what the control cannot run is refused with the line that
// holds it, what it needs is added, and nothing else changes. The host's
// programs pass through unchanged.
#pragma once

#include <string>

#include "generators/inputs.h"
#include "settings/settings_keys.h"
#include "text/gcode_dialect.h"
#include "text/outcome.h"

namespace kelvora::settings {

// The refusals.
inline constexpr std::string_view kNoAAxis = "This control has no A axis";

// `program`, the program of the job whose input table is `job` (its texts read
// through `texts`), made for `dialect`:
// - refused when a line holds a word the control does not read (the words an
//   operator typed into a script box are named with the box and the box's
//   line), when a line is longer than the control reads, or, on a control
//   without an A axis, when the program turns A;
// - "G91.1" opens it where the control reads arc centres either way, "M30"
//   closes it where it holds no M2/M30, and "%" lines are left out where the
//   control does not take them.
// The host's programs are returned as they are.
Outcome<std::string> ForControl(std::string program, text::Dialect dialect, JobInputs job,
                                const generators::TextLookup& texts);

}  // namespace kelvora::settings
