// Neighbouring contours that the tool cannot part: a tool path of one contour
// that comes nearer than the tool's radius to another contour's drawn line cuts
// into the material that contour keeps.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "generators/contour_cut.h"

namespace kelvora::generators {

// A path with the 1-based number of the contour it belongs to.
struct NumberedPath {
  std::size_t number = 0;
  std::vector<PathSegment> segs;
};

// The pairs of contour numbers (the smaller first, in increasing order, each
// pair once) where a tool path of `toolPaths` (the centre's path, leads
// included) comes nearer than `radius` less `tolerance` to an outline of
// `keptOutlines` (the drawn line of a contour cut on a side) of another number.
// Boxes are compared first, through a spatial index, so a drawing of many
// contours costs about the pieces near each other, not every pair.
std::vector<std::pair<std::size_t, std::size_t>> ContoursTooClose(
    const std::vector<NumberedPath>& toolPaths, const std::vector<NumberedPath>& keptOutlines,
    double radius, double tolerance);

// The least distance between two segments (lines or arcs).
double SegmentsDistance(const PathSegment& a, const PathSegment& b);

}  // namespace kelvora::generators
