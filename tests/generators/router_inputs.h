// The router tab's machining inputs the contour and cut tests start from.
#pragma once

#include "generators/job_inputs.h"

namespace kelvora::generators::testing {

// Feed 200, plunge feed 100, retract 3, safe height 10, spindle off; the depth and
// step-down as given.
inline DxfMachiningInputs RouterInputs(double depth, double stepdown) {
  DxfMachiningInputs in;
  in.feed = 200;
  in.plungeFeed = 100;
  in.retract = 3;
  in.zsafe = 10;
  in.depth = depth;
  in.stepdown = stepdown;
  return in;
}

}  // namespace kelvora::generators::testing
