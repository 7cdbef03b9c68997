// The automatic point grid: rows and columns of points, walked row by row or
// column by column, optionally snaking, staggered, shortened every second line,
// or doubled into pairs. The result is a list of point rows; the dialog replaces
// its list with it only when the operator confirms, so cancelling keeps the list.
#pragma once

#include <vector>

#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "generators/point_list.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Number of points the grid makes, for the size limits.
double AutoGridPointCount(const AutoGridParams& p);

// The points in walking order, empty names, X and Y in "0.##". Refused when the
// grid is over the limit of grid points, or when a point lies past the largest
// number ("A coordinate is too large to write").
Outcome<std::vector<PointRow>> AutoGridGen(const AutoGridParams& p);

}  // namespace kelvora::generators
