// Circle drilling: n holes evenly spaced on a pitch circle.
#pragma once

#include <string>

#include "generators/drilling.h"
#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

// One CDrill per hole, counter-clockwise from the start angle.
geometry::DrawList CirclePatternGen(const CirclePatternInputs& in);
// The peck-drilling program, numbers "0.###", spindle "0.0".
Outcome<std::string> CirclePatternGcodeGen(const geometry::DrawList& holes,
                                           const DrillProgramInputs& in);

// The whole job as the "GCode Gen " button runs it: pattern inputs, emitter inputs,
// limits, then the program; nothing is produced when any step is refused. `sink`,
// when given, receives the holes the program was made from.
Outcome<std::string> CircleJob(const TextLookup& texts, const ListSink& sink = {});

}  // namespace kelvora::generators
