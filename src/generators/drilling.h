// The drilling program shared by the circle and grid jobs: start lines, one
// peck-drilled hole per CDrill in list order, and the fixed footer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "generators/drill_schemes.h"
#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/number_format.h"
#include "text/outcome.h"

namespace kelvora::generators {

// "G90", the spindle line when enabled, the safe height, then for each CDrill its
// rapid, retract height, drilling scheme (special operation after single plunges)
// and return height; then "M5" and "M30", or, when `endScript` is given, that text
// followed by CR LF instead (the point list ends its drilling program so). With
// canned output on, the control's canned cycle instead of the moves, or, for a
// control without canned cycles, the moves it would make (ControlEquivalent).
// `numbers` is the tab's coordinate pattern; the spindle speed is written "0.0".
// Refused when the program would exceed the limits, or canned output is refused.
Outcome<std::string> EmitDrillProgram(const geometry::DrawList& holes, const DrillProgramInputs& in,
                                      text::NumberFormat numbers,
                                      std::optional<std::string_view> endScript = std::nullopt);

// Checks the number of holes and the program size of the tab's own peck scheme
// before a drilling list is built or emitted (CheckSchemeLimits for any scheme).
std::optional<Failure> CheckDrillLimits(double holes, double depth, double pass);

}  // namespace kelvora::generators
