// How the closed contours of a drawing lie inside one another, as a part is
// cut: a contour inside an odd number of others is a hole in the material, one
// inside an even number (none, or inside a hole: an island) bounds material.
#pragma once

#include <vector>

#include "toolpath/path.h"

namespace kelvora::generators {

// For each contour, how many of the other closed contours hold it (0 for an
// open one, which neither holds nor is held). A contour holds another when
// most of the other's points off its line lie inside it and it has the larger
// area; contours on the same line hold neither, and a contour drawn twice
// counts once.
std::vector<int> NestingDepths(const std::vector<toolpath::Path>& contours);

}  // namespace kelvora::generators
