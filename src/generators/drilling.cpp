#include "generators/drilling.h"

#include <algorithm>
#include <cmath>

#include "generators/limits.h"
#include "generators/program_writer.h"

namespace kelvora::generators {

using geometry::CDrill;
using geometry::otDrill;

std::optional<Failure> CheckDrillLimits(double holes, double depth, double pass) {
  if (auto f = CheckLimit(LimitId::kHoles, holes)) return f;
  const double plunges = PeckPlungeCount(depth, pass);
  if (auto f = CheckLimit(LimitId::kPasses, plunges)) return f;
  // Each plunge writes at most three lines; each hole adds its rapid, approach
  // and safe-height lines.
  return CheckLimit(LimitId::kProgramLines, holes * (3 * plunges + 3) + 5);
}

Outcome<std::string> EmitDrillProgram(const geometry::DrawList& holes, const DrillProgramInputs& in,
                                      text::NumberFormat numbers,
                                      std::optional<std::string_view> endScript) {
  if (auto f = CheckDrillLimits(static_cast<double>(holes.size()), in.depth, in.pass)) return *f;
  ProgramWriter w(numbers);
  const std::string safe = w.Num(in.zsafe);
  // Every hole is drilled alike after its rapid: retract height, the peck scheme
  // and the safe height. Those lines are written once and repeated.
  ProgramWriter drill(numbers);
  drill.Line({"G0Z", drill.Num(in.retract)});
  const std::string_view specialOp = in.enSpecialOp ? std::string_view(in.specialOp) : "";
  EmitPeck(drill, {in.depth, in.pass, in.retract, in.feed}, specialOp);
  drill.Line({"G0Z", safe});
  const auto perHole = drill.Finish();
  if (!perHole) return perHole.failure();

  // The rapid line's numbers are at most as wide as the largest coordinate's.
  double largest = 0;
  for (const auto& obj : holes) {
    if (obj->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*obj);
    largest = std::max({largest, std::fabs(hole.center.X), std::fabs(hole.center.Y)});
  }
  const std::size_t rapid = 6 + 2 * text::FormatNumber(-largest, numbers).size();
  w.Reserve(holes.size() * (rapid + perHole->size()) + 64 + in.specialOp.size() +
            (endScript ? endScript->size() : 0));

  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kFixed1)});
  w.Line({"G0Z", safe});
  for (const auto& obj : holes) {
    if (obj->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*obj);
    w.Line({"G0X", w.Number(hole.center.X), "Y", w.Number(hole.center.Y)});
    w.Append(*perHole);
  }
  if (endScript) {
    // The script and one line end, even when the script already ends with one.
    w.Line({*endScript});
  } else {
    w.Line({"M5"});
    w.Line({"M30"});
  }
  return w.Finish();
}

}  // namespace kelvora::generators
