// Grid drilling: m holes per row, n rows, visited in a serpentine; every second
// row may be shifted (ZigZac) and shortened by one hole.
#pragma once

#include <string>

#include "generators/drilling.h"
#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Number of holes the pattern makes, for the limits.
double GridHoleCount(const GridPatternInputs& in);
geometry::DrawList GridPatternGen(const GridPatternInputs& in);
// The peck-drilling program, numbers "0.000", spindle "0.0".
Outcome<std::string> GridPatternGcodeGen(const geometry::DrawList& holes,
                                         const DrillProgramInputs& in);

// The GCode Gen button's program; `sink`, when given, then receives the holes.
Outcome<std::string> GridJob(const TextLookup& texts, const ListSink& sink = {});

}  // namespace kelvora::generators
