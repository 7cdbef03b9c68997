// Clearing the inside of closed contours: the area inside a contour and outside
// the contours nested in it (islands) cleared by rings offset at the step-over,
// innermost first and the ring along the boundary last, the rings joined by feed
// moves that stay inside the area already cleared.
#pragma once

#include <string>
#include <vector>

#include "generators/contour_path.h"

namespace kelvora::generators {

// One pocket as the tool follows it at every depth layer: an open path whose
// first vertex is where the tool enters, running through every ring (straight
// links between rings are cutting moves inside the cleared area), ending on the
// boundary ring.
struct PocketPath {
  CutPath path;
};

struct PocketPlan {
  std::vector<PocketPath> pockets;  // in the order of the contours that bound them
  // Whole sentences naming what could not be cleared: a contour (or an area of
  // one) too small for the tool.
  std::vector<std::string> notes;
};

// Plans the pockets of the closed contours `contours` (a contour inside another
// is an island of it; one inside an island bounds a pocket of its own) for a
// tool of radius `toolRadius`, rings `stepover` apart (0 < stepover ≤ 2 × the
// radius), curves kept within `chordTolerance` where they are approximated.
PocketPlan PlanPockets(const std::vector<CutPath>& contours, double toolRadius, double stepover,
                       double chordTolerance);

}  // namespace kelvora::generators
