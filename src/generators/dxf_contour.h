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
// footer: the end script follows, appended by the caller. A polyline without
// length (one vertex, or all its vertices at one point) is not cut: plunging
// there would sink a hole the drawing does not have.
//
// With `options` other than today's, every contour is cut as one or more
// passes, all passes at one layer before the next layer:
// - Side: on the line, the drawn direction is kept. Outside and Inside move a
//   closed contour's path by the tool's radius away from or into its area;
//   Left and Right move any contour to that side of its drawn direction. An
//   open contour given Outside or Inside has neither and is cut on the line.
// - Direction: climb keeps the material on the right of the tool's travel
//   (outside passes clockwise, inside ones counter-clockwise; Left keeps the
//   drawn direction, Right reverses it); conventional runs the other way. On
//   the line the drawn direction is kept whatever the choice.
// - Lead arcs (closed contours cut Outside or Inside): a quarter arc on the
//   waste side into the pass and one out of it, the pass then starting at the
//   middle of its longest straight segment. Leads that would come nearer the
//   drawn contour than the tool's radius (a small hole) are left out.
// - Entry: plunge as today. Ramp and Helix feed down to the stock's top, then
//   descend along the path (through the depth the layers before cut at one in
//   one, then at most one step-down into new material at the ramp angle; a
//   helix no steeper than one step-down a lap) at the cutting feed; an open
//   path is run back and forth, and Helix on one is a ramp. A closed pass then
//   runs on to its start and once more round at the depth, so the ramped
//   floor is cut again; an open one goes back to its start at the depth and
//   runs its whole length.
// - Tabs: spread along each pass (a count, or one per spacing of length),
//   moved onto a straight segment near where they were due, or else off any
//   corner they would span where the pass has room; each spans the tab
//   width plus the tool's diameter on the tool's path, so that the material
//   left standing is the tab width. On the layers below the tab top (the tab
//   height above the full depth) the tool rises straight to the tab top at a
//   tab's start and goes straight back down at its end.
// - Pocket: closed contours are cleared (contours nested in them kept as
//   islands), each pocket one open pass entered as an open path; open
//   contours are cut on their side.
// `notes`, when given, receives the sentences naming the contours left out or
// cut otherwise than asked (no length, too small for the tool, open with
// Outside/Inside, leads that do not fit, fewer tabs than asked, tool paths
// that cut into another contour's part) and what the pocket planner says.
Outcome<std::string> DxfGcodeGen(const geometry::DrawList& contours, const DxfMachiningInputs& in,
                                 const ContourOptions& options = {},
                                 std::vector<std::string>* notes = nullptr);

// The paths the tool's centre follows in the plane, for the preview: one
// polyline per contour pass or pocket, as the program cuts them (a pass with
// lead arcs as one open polyline from the lead-in through the lap to the end of
// the lead-out), followed by one circle per tab at its middle on the path, the
// tab width across.
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
