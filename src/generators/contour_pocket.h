// Clearing the inside of closed contours: the area inside a contour and outside
// the contours nested in it (islands) cleared by rings offset at the step-over,
// innermost first and the ring along the boundary last, the rings joined by feed
// moves that stay inside the area already cleared.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "generators/contour_path.h"
#include "text/outcome.h"

namespace kelvora::generators {

// One pocket as the tool follows it at every depth layer: an open path whose
// first vertex is where the tool enters, running through every ring (straight
// links between rings are cutting moves inside the cleared area), ending on the
// boundary ring.
// A pocket that cannot be cut in one go (its area splits at a neck narrower
// than the tool, or a link would cross stock not yet cleared) comes as several
// paths: the tool retracts after one and enters again at the next.
struct PocketPath {
  CutPath path;
  std::size_t contour = 0;  // the 0-based index of the contour bounding the pocket
};

struct PocketPlan {
  std::vector<PocketPath> pockets;  // in the order of the contours that bound them
  // Whole sentences naming what could not be cleared: a contour (or an area of
  // one) too small for the tool.
  std::vector<std::string> notes;
  // Set when the plan was refused (a size limit, a coordinate that is not a
  // number): then there are no pockets and the job must not be written.
  std::optional<Failure> failure;
};

// Plans the pockets of the closed contours `contours` (a contour inside another
// is an island of it; one inside an island bounds a pocket of its own) for a
// tool of radius `toolRadius`, rings `stepover` apart (0 < stepover ≤ 2 × the
// radius), curves kept within `chordTolerance` where they are approximated.
// With `climb` the tool keeps the wall on its left (a clockwise spindle climbs):
// rings along an outer wall run clockwise, rings around an island
// counter-clockwise; otherwise the other way round.
PocketPlan PlanPockets(const std::vector<CutPath>& contours, double toolRadius, double stepover,
                       double chordTolerance, bool climb = true);

}  // namespace kelvora::generators
