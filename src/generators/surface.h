// Surface milling: back-and-forth rows over a rectangle, layer by layer.
#pragma once

#include <string>

#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Number of rows the pattern makes (the whole part of Ly / step plus the last
// row), for the limits; refused when over the limit.
std::optional<Failure> CheckSurfMillPattern(const SurfMillPatternInputs& in);
// The chained lines of one layer; the first line starts at the corner.
geometry::DrawList SurfMillPatternGen(const SurfMillPatternInputs& in);
// Every layer: to the corner, approach, plunge, the lines, back to the safe height;
// then "M5", the optional return to zero and "M30". Numbers "0.###", spindle "0.#".
Outcome<std::string> SurfMillGcodeGen(const geometry::DrawList& lines,
                                      const SurfMillProgramInputs& in);

// The GCode Gen button's program; `sink`, when given, then receives the lines.
Outcome<std::string> SurfMillJob(const TextLookup& texts, const ListSink& sink = {});

}  // namespace kelvora::generators
