// The point-list jobs: drilling or pocketing at the points of a file, and the
// automatic point grid.
#pragma once

#include "cli.h"

namespace kelvora::cli {

Job PointsJobEntry();
Job AutoGridJobEntry();

}  // namespace kelvora::cli
