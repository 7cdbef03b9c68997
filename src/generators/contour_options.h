// How the router tab cuts a drawing's contours and which of the drawing's
// outlines it takes: the side of the line the tool runs on, its diameter and
// direction, how it enters the cut, holding tabs, clearing the inside of closed
// contours, and the drawing's outline entities, layers and order. Every first
// choice and default gives the program the tab wrote before these options
// existed: on the line, plunged, no tabs, no pocket, LWPOLYLINEs as read.
#pragma once

#include <optional>
#include <string_view>

#include "generators/drill_options.h"
#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/dxf_outlines.h"
#include "text/outcome.h"

namespace kelvora::generators {

// The side of the drawn line the tool's centre runs on. Outside and Inside
// apply to closed contours, Left and Right (of the contour's direction) to open
// ones; a closed contour with Left/Right and an open one with Outside/Inside
// is cut on the side the direction gives (Left: outside of a counter-clockwise
// contour).
enum class ContourSide { kOnLine, kOutside, kInside, kLeft, kRight };
inline constexpr std::string_view kContourSideNames[] = {"On the line", "Outside", "Inside", "Left",
                                                         "Right"};

// How Outside and Inside choose a closed contour's side. By nesting, as a part
// is cut: a contour inside an odd number of other closed contours is a hole in
// the part, so "Outside" (of the part) runs the tool on the hole's inside and
// "Inside" on its outside; an island in a hole is material again. By each
// contour: every closed contour on its own side, the contours around it aside.
enum class SideBy { kNesting, kEachContour };
inline constexpr std::string_view kSideByNames[] = {"Nesting", "Each contour"};

// Climb: with the spindle turning clockwise (M3) the material stays on the
// right of the tool's travel (an outside contour is run clockwise, an inside
// one counter-clockwise); conventional: the other way round.
enum class CutDirection { kClimb, kConventional };
inline constexpr std::string_view kCutDirectionNames[] = {"Climb", "Conventional"};

// How the tool gets down to each layer: straight down, down along the path at
// the ramp angle, or (closed contours) round the contour descending.
enum class ContourEntry { kPlunge, kRamp, kHelix };
inline constexpr std::string_view kContourEntryNames[] = {"Plunge", "Ramp", "Helix"};

struct ContourOptions {
  ContourSide side = ContourSide::kOnLine;
  SideBy sideBy = SideBy::kNesting;
  double toolDiameter = 3;
  CutDirection direction = CutDirection::kClimb;
  ContourEntry entry = ContourEntry::kPlunge;
  double rampAngle = 3;   // degrees from the horizontal
  double leadRadius = 0;  // lead-in and lead-out arcs on the waste side; 0: none
  int tabCount = 0;       // holding tabs per closed contour; 0: none (unless spacing)
  double tabSpacing = 0;  // a tab every this much of the contour's length; 0: count
  double tabWidth = 5;    // along the contour
  double tabHeight = 1;   // above the contour's full depth
  bool pocket = false;    // clear the inside of closed contours (islands kept)
  double stepover = 40;   // percent of the tool diameter

  // True when nothing is asked beyond today's on-the-line program.
  bool IsToday() const {
    return side == ContourSide::kOnLine && entry == ContourEntry::kPlunge && leadRadius == 0 &&
           tabCount == 0 && tabSpacing == 0 && !pocket;
  }
};

// Reads "DxfSide", "DxfSideBy", "DxfToolDia", "DxfDirection", "DxfEntry", "DxfRampAngle",
// "DxfLeadIn", "DxfTabCount", "DxfTabSpacing", "DxfTabWidth", "DxfTabHeight",
// "DxfPocket", "DxfStepover". A key the caller does not hold (an empty text)
// is its default. Refused with "Parameters error" and the key: a text that does
// not convert, a choice that is none of its names, a tool diameter of 0 or less
// where the tool's size matters (a side, a lead-in, a pocket), a step-over
// outside (0, 100], a ramp angle outside (0, 90], a negative lead radius, tab
// count or spacing, tabs with a width of 0 or less, a tab height of 0 or less
// or above the depth `machining.depth`.
Outcome<ContourOptions> ReadContourOptions(const TextLookup& texts,
                                           const DxfMachiningInputs& machining);

// Reads "DxfOutlines", "DxfJoinTol", "DxfChordTol", "DxfLayers", "DxfOrder",
// "DxfUnits" (empty texts are the defaults). Refused with "Parameters error" and the key:
// an unknown choice, a tolerance that does not convert or is 0 or less.
Outcome<geometry::OutlineOptions> ReadOutlineOptions(const TextLookup& texts);

// The point list's drawing layers, "AnyLayers" (blank: all).
std::vector<std::string> ReadPointLayers(const TextLookup& texts);

// The units the point list reads a drawing's circles in, "AnyUnits" (blank:
// from the drawing); a text that is none of the names is refused with
// "Parameters error" and the key.
Outcome<geometry::DrawingUnits> ReadPointUnits(const TextLookup& texts);

}  // namespace kelvora::generators
