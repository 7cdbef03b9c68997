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
//   line), when a line is longer than the control reads, on a control without
//   an A axis when the program turns A, on GRBL and grblHAL when a line holds a
//   byte they take as a real-time command (0x80-0xFF, a control character,
//   "?", "!", "~"), and when a line holds a move the control refuses: a feed
//   move without a feed rate, an arc of zero radius, one whose end is off its
//   circle beyond the control's tolerance, axis words with no motion in force;
// - the dialect's opening line (units, distance, feed mode, plane, ...) opens
//   it, then "G91.1" where the control reads arc centres either way; "M30"
//   closes it where it holds no M2/M30, and "%" lines are left out where the
//   control does not take them.
// The host's programs are returned as they are, or with the opening line alone
// when `hostStatesModes` (the machine's "State units and modes at the start").
Outcome<std::string> ForControl(std::string program, text::Dialect dialect, JobInputs job,
                                const generators::TextLookup& texts, bool hostStatesModes = false);

}  // namespace kelvora::settings
