// Exact offsets of one contour: every line moved to a parallel line, every arc
// to a concentric arc, outside corners rounded by an arc of the offset distance,
// inside corners trimmed where the moved pieces meet, and the loops where the
// offset crosses itself cut away. Arcs stay arcs.
#pragma once

#include <vector>

#include "generators/contour_path.h"

namespace kelvora::generators {

struct OffsetResult {
  // The offset paths: none when the contour is too small for the distance (an
  // inside offset of a circle smaller than the tool), more than one where a
  // narrow waist splits a closed contour.
  std::vector<CutPath> paths;
  // True when some part of the contour could not be followed at the distance
  // without cutting into it (a slot narrower than the tool, a corner too tight):
  // that part was left out, not gouged.
  bool partsLeftOut = false;
};

// The contour moved by `distance` to the left of its direction (a negative
// distance: to the right). A closed counter-clockwise contour offset to the
// left shrinks. The paths keep the contour's direction.
OffsetResult OffsetContour(const CutPath& contour, double distance);

// The signed area of a closed path, arcs included (positive counter-clockwise).
double SignedArea(const CutPath& path);

// The length of a path, arcs measured along their arc; a closed path includes
// its closing segment.
double PathLength(const CutPath& path);

}  // namespace kelvora::generators
