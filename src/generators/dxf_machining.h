// The machining inputs of the router tab, shared by DXF contour milling and the
// cut lists: one set of boxes, read in one order.
#pragma once

#include <string>

#include "generators/inputs.h"
#include "text/outcome.h"

namespace kelvora::generators {

struct DxfMachiningInputs {
  double feed = 0;        // cutting feed F
  double retract = 0;     // retract height R, approach above each layer
  double zsafe = 0;       // safe height
  double depth = 0;       // total depth D
  double stepdown = 0;    // step-down S
  double spindle = 0;     // spindle speed
  double plungeFeed = 0;  // plunge feed Fp
  bool enSpin = false;
  bool enSpecialOp = false;
  std::string specialOpOn;   // inserted after the plunge at the start of a contour
  std::string specialOpOff;  // inserted after the last segment of a contour
  std::string endScript;     // appended after the program by the GCodeGen button
};

// Reads "DxfFeedrate", "DxfRetract", "DxfZsafe", "DxfDepth", "DxfStepdown",
// "DxfSpinSpeed", "DxfPlugFeed" in that order, then the switches and texts.
Outcome<DxfMachiningInputs> ReadDxfMachiningInputs(const TextLookup& texts);

}  // namespace kelvora::generators
