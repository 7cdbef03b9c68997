#include "generators/contour_pocket.h"

namespace kelvora::generators {

// Not yet written: the pocket helper owns this file.
PocketPlan PlanPockets(const std::vector<CutPath>& /*contours*/, double /*toolRadius*/,
                       double /*stepover*/, double /*chordTolerance*/) {
  return {};
}

}  // namespace kelvora::generators
