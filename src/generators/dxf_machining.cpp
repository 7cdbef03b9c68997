#include "generators/dxf_machining.h"

namespace kelvora::generators {

Outcome<DxfMachiningInputs> ReadDxfMachiningInputs(const TextLookup& texts) {
  DxfMachiningInputs in;
  InputReader r(texts);
  r.Double("DxfFeedrate", in.feed)
      .Double("DxfRetract", in.retract)
      .Double("DxfZsafe", in.zsafe)
      .Double("DxfDepth", in.depth)
      .Double("DxfStepdown", in.stepdown)
      .Double("DxfSpinSpeed", in.spindle)
      .Double("DxfPlugFeed", in.plungeFeed)
      .Bool("DxfEnSpin", in.enSpin)
      .Bool("DxfEnSpOp", in.enSpecialOp)
      .Text("DxfSpOpStr", in.specialOpOn)
      .Text("DxfSpOpStrOff", in.specialOpOff)
      .Text("DxfEndScript", in.endScript);
  if (!r.ok()) return r.failure();
  return in;
}

}  // namespace kelvora::generators
