// Clearing the inside of closed contours: the area inside a contour and outside
// the contours nested in it (islands) cleared by rings offset at the step-over,
// innermost first and the ring along the boundary last, the rings joined by feed
// moves that stay inside the area already cleared.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "text/outcome.h"
#include "toolpath/path.h"

namespace kelvora::generators {

// A pocket (or a part of one) as the tool follows it at every depth layer: an
// open path whose first vertex is where the tool enters, running through rings
// written out in full (each comes back to its first vertex), inside out, joined
// by straight links (cutting moves inside the cleared area). A pocket that
// cannot be cut in one go (its area splits at a neck narrower than the tool,
// or a link would cross stock not yet cleared) comes as several paths, in
// order: the tool retracts after one and enters again at the next; the last
// ends on the boundary ring.
struct PocketPath {
  toolpath::Path path;
  std::size_t contour = 0;  // the 0-based index of the contour bounding the pocket
};

struct PocketPlan {
  std::vector<PocketPath> pockets;  // in the order of the contours that bound them
  // Whole sentences naming what could not be cleared (see PlanPockets).
  std::vector<std::string> notes;
  // Set when the plan was refused (a size limit, a coordinate that is not a
  // number): then there are no pockets and the job must not be written.
  std::optional<Failure> failure;
};

// Plans the pockets of the closed contours `contours` (a contour inside another
// is an island of it; one inside an island bounds a pocket of its own; every
// contour is taken as closed) for a tool of radius `toolRadius`, rings
// `stepover` apart (0 < stepover ≤ 2 × the radius; a larger one is taken as
// 2 × the radius), curves kept within `chordTolerance` where they are
// approximated, always on the side of the pocket's area (never into an island
// or a wall). The notes name, by their 1-based number in `contours`, the
// contours too small for the tool (or without area), those whose area splits
// at necks narrower than the tool, those that cross themselves, and those that
// repeat another. Refused (`failure`, no pockets) past the ring or vertex
// limit, for a coordinate that is not a number, and for a radius, step-over or
// tolerance of 0 or less ("Parameters error" with the key).
// With `climb` the tool keeps the wall on the right of its travel (a clockwise
// spindle then climbs): rings along an outer wall run counter-clockwise, rings
// around an island clockwise; otherwise the other way round. `numbers`, when
// given, are the numbers the notes call the contours by (the drawing's), in
// the order of `contours`.
PocketPlan PlanPockets(const std::vector<toolpath::Path>& contours, double toolRadius,
                       double stepover, double chordTolerance, bool climb = true,
                       std::span<const std::size_t> numbers = {});

}  // namespace kelvora::generators
