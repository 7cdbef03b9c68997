#include "generators/contour_offset.h"

namespace kelvora::generators {

// Not yet written: the offsets helper owns this file.
OffsetResult OffsetContour(const CutPath& contour, double /*distance*/) {
  return OffsetResult{{contour}, false};
}

double SignedArea(const CutPath& /*path*/) {
  return 0;
}

double PathLength(const CutPath& /*path*/) {
  return 0;
}

}  // namespace kelvora::generators
