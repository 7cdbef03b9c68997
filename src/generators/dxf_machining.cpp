#include "generators/dxf_machining.h"

namespace kelvora::generators {

Outcome<DxfMachiningInputs> ReadDxfMachiningInputs(const TextLookup& texts) {
  DxfMachiningInputs in;
  InputReader r(texts);
  ReadMotion(r,
             {"DxfFeedrate", "DxfRetract", "DxfZsafe", "DxfDepth", "DxfStepdown", "DxfSpinSpeed"},
             in, in.stepdown)
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
