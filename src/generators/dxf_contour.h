// DXF contour milling: the drawing's polylines followed on the line, layer by
// layer, every contour cut at one layer before the next layer begins.
#pragma once

#include <optional>
#include <string>

#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Refuses a drawing and inputs whose layers, vertices or program lines are over
// the limits, and a drawing holding a coordinate or bulge that is not finite.
std::optional<Failure> CheckDxfContours(const geometry::DrawList& contours,
                                        const DxfMachiningInputs& in);

// The program for the polylines of `contours` (other kinds are passed over):
// "G90", the optional spindle line, the safe height, then every layer. Closed
// polylines include their closing segment. Numbers "0.###", spindle "0.#". No
// footer: the end script follows, appended by the caller.
Outcome<std::string> DxfGcodeGen(const geometry::DrawList& contours, const DxfMachiningInputs& in);

// What the GCodeGen button leaves in the program box for the drawing at `path`:
// the program followed by the end script, without a line end of its own. The
// drawing is read once; `sink`, when given, then receives its polylines.
Outcome<std::string> DxfJob(const TextLookup& texts, const std::string& path,
                            const ListSink& sink = {});

}  // namespace kelvora::generators
