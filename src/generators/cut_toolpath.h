// The cut toolpath: every straight cut of a cut list milled in depth passes, all
// passes of one cut before the next cut.
#pragma once

#include <string>
#include <string_view>

#include "generators/cut_lists.h"
#include "generators/job_inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

// The program body from "G90" to the safe-height line after the last cut; no end
// script, no program end. Passes follow MillLayers; with `twoWay` every even pass
// runs from vertex 1 back to vertex 0. Numbers "0.###", spindle "0.#". Objects
// other than polylines of at least two vertices are passed over. Refused when the
// layers or program lines exceed the limits.
Outcome<std::string> GcodeGenHoriz(const geometry::DrawList& cuts, const DxfMachiningInputs& in,
                                   bool twoWay);

// The list-wide inputs of a cut list: `start` and `end` as the list's boxes hold
// them, "CutToolDia" and "CutZigZac" from `texts`.
CutListInputs ReadCutListInputs(std::string_view start, std::string_view end,
                                const TextLookup& texts);

// A whole cut-list job as the GCodeGen button leaves the program box: the cuts of
// `rows`, the toolpath and the end script appended verbatim. Reads "CutZigZac",
// "Cut2Way", "CutToolDia" and the router machining keys from `texts`; the list's
// start and end come from `list`.
// `sink`, when given, then receives the cuts.
Outcome<std::string> CutsJob(CutListKind kind, const std::vector<CutRow>& rows,
                             std::string_view start, std::string_view end, const TextLookup& texts,
                             const ListSink& sink = {});

}  // namespace kelvora::generators
