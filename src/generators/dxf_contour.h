// DXF contour milling: the drawing's polylines followed on the line, layer by
// layer, every contour cut at one layer before the next layer begins.
#pragma once

#include <optional>
#include <string>

#include <vector>

#include "generators/contour_options.h"
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
// With `options` other than today's, each contour is cut on its side, entered,
// tabbed or cleared as they ask; `notes`, when given, receives the sentences
// naming the contours left out (too small for the tool, of no length).
Outcome<std::string> DxfGcodeGen(const geometry::DrawList& contours, const DxfMachiningInputs& in,
                                 const ContourOptions& options = {},
                                 std::vector<std::string>* notes = nullptr);

// The paths the tool's centre follows in the plane, for the preview: one
// polyline per contour pass or pocket, as the program cuts them.
Outcome<geometry::DrawList> ContourToolPaths(const geometry::DrawList& contours,
                                             const DxfMachiningInputs& in,
                                             const ContourOptions& options);

// What the GCodeGen button leaves in the program box for the drawing at `path`:
// the program followed by the end script, without a line end of its own. The
// drawing's outlines are read once, as the outline options say; `sink`, when
// given, then receives its contours, and `notes` what the drawing's reading and
// the cutting left out.
Outcome<std::string> DxfJob(const TextLookup& texts, const std::string& path,
                            const ListSink& sink = {}, std::vector<std::string>* notes = nullptr);

}  // namespace kelvora::generators
