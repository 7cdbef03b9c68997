// The control a job's program is written for on the command line: named by
// --dialect, else the machine's stored choice, else the host.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "motion/machine.h"
#include "settings/settings_profile.h"
#include "text/gcode_dialect.h"
#include "text/outcome.h"

namespace kelvora::cli {

// The dialect the argument of --dialect names, in any case; nothing for an
// empty name or one that names no dialect.
std::optional<text::Dialect> DialectArgument(std::string_view name);

// The usage error of a --dialect argument that names no dialect.
std::string DialectUsage(std::string_view got);

// What the program is written for: the control, the host's dwell unit and
// whether the host's programs state their units and modes.
struct Control {
  text::Dialect dialect = text::Dialect::kHost;
  bool dwellMilliseconds = false;
  bool statesModes = false;
};

// The control of a job's run: that of `machine` when one was read for the run
// (--machine, or the profile's for the report), else the two keys `stored` in
// the profile of --profile, else the host's with its dwell in seconds. `chosen`
// (--dialect) names the dialect over any of them. A stored control name that
// names no dialect is refused with "Parameters error" and its key, as the
// machine's reader refuses it.
Outcome<Control> ControlOf(const motion::Machine* machine, const settings::Settings* stored,
                           std::optional<text::Dialect> chosen);

}  // namespace kelvora::cli
