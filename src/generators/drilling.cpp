#include "generators/drilling.h"

#include <algorithm>
#include <cmath>

#include "generators/drill_schemes.h"
#include "generators/program_writer.h"

namespace kelvora::generators {

using geometry::CDrill;
using geometry::otDrill;

std::optional<Failure> CheckDrillLimits(double holes, double depth, double pass) {
  DrillProgramInputs in;
  in.depth = depth;
  in.pass = pass;
  return CheckSchemeLimits(holes, in);
}

namespace {

// The holes of a drawing list: its CDrill objects, in list order.
template <class Visit>
void ForEachHole(const geometry::DrawList& holes, Visit visit) {
  for (const auto& obj : holes) {
    if (obj->otype == otDrill) visit(static_cast<const CDrill&>(*obj));
  }
}

// The width of a rapid line to the farthest hole: its numbers are at most as
// wide as the largest coordinate's.
std::size_t RapidWidth(const geometry::DrawList& holes, text::NumberFormat numbers) {
  double largest = 0;
  ForEachHole(holes, [&](const CDrill& hole) {
    largest = std::max({largest, std::fabs(hole.center.X), std::fabs(hole.center.Y)});
  });
  return 6 + 2 * text::FormatNumber(-largest, numbers).size();
}

// "G90", the spindle line when enabled, and the safe height.
void WriteStart(ProgramWriter& w, const DrillProgramInputs& in) {
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kFixed1)});
  w.Line({"G0Z", w.Num(in.zsafe)});
}

// "M5" and "M30", or the end script and one line end, even when the script
// already ends with one.
void WriteEnd(ProgramWriter& w, std::optional<std::string_view> endScript) {
  if (endScript) {
    w.Line({*endScript});
  } else {
    w.Line({"M5"});
    w.Line({"M30"});
  }
}

}  // namespace

Outcome<std::string> EmitDrillProgram(const geometry::DrawList& holes, const DrillProgramInputs& in,
                                      text::NumberFormat numbers,
                                      std::optional<std::string_view> endScript) {
  if (in.scheme.canned) {
    // A control without canned cycles is given the moves it would have made.
    if (!in.cannedCycles) return ControlEquivalent(holes, in, numbers, endScript);
    return EmitCannedProgram(holes, in, numbers, endScript);
  }
  return EmitDrillMoves(holes, in, numbers, MovesConstants(in.scheme), endScript);
}

Outcome<std::string> EmitDrillMoves(const geometry::DrawList& holes, const DrillProgramInputs& in,
                                    text::NumberFormat numbers, const DrillMotionConstants& k,
                                    std::optional<std::string_view> endScript) {
  DrillProgramInputs moves = PeckInputsAsWritten(in, numbers);
  moves.scheme.canned = false;
  if (auto f = CheckSchemeLimits(static_cast<double>(holes.size()), moves)) return *f;
  // Every hole is drilled alike after its rapid; its lines are written once and
  // repeated.
  ProgramWriter drill(numbers);
  WriteHoleMoves(drill, moves, k);
  const auto perHole = drill.Finish();
  if (!perHole) return perHole.failure();

  ProgramWriter w(numbers);
  w.Reserve(holes.size() * (RapidWidth(holes, numbers) + perHole->size()) + 64 +
            in.specialOp.size() + (endScript ? endScript->size() : 0));
  WriteStart(w, in);
  bool drilled = false;
  ForEachHole(holes, [&](const CDrill& hole) {
    w.Line({"G0X", w.Number(hole.center.X), "Y", w.Number(hole.center.Y)});
    w.Append(*perHole);
    drilled = true;
  });
  // Waiting at the retract height is for the way between holes; the program
  // itself ends at the safe height, as the canned program does after G80.
  if (drilled && in.scheme.holeReturn == HoleReturn::kRetract) w.Line({"G0Z", w.Num(in.zsafe)});
  WriteEnd(w, endScript);
  return w.Finish();
}

Outcome<std::string> EmitCannedProgram(const geometry::DrawList& holes,
                                       const DrillProgramInputs& in, text::NumberFormat numbers,
                                       std::optional<std::string_view> endScript) {
  if (auto f = CannedRefusal(in)) return *f;
  if (auto f = CheckSchemeLimits(static_cast<double>(holes.size()), in)) return *f;
  const DrillSchemeInputs& s = in.scheme;
  ProgramWriter w(numbers);
  w.Reserve(holes.size() * (RapidWidth(holes, numbers) + 2) + 128 +
            (endScript ? endScript->size() : 0));
  WriteStart(w, in);
  // The first hole states the cycle and its heights, feed and dwell; the control
  // drills every further position it is given the same way, until G80.
  bool first = true;
  ForEachHole(holes, [&](const CDrill& hole) {
    if (!first) {
      w.Line({"X", w.Number(hole.center.X), "Y", w.Number(hole.center.Y)});
      return;
    }
    first = false;
    const std::string_view mode = kHoleReturnNames[static_cast<int>(s.holeReturn)];
    // Each word is put together by appending: GCC 12 at -O3 warns falsely
    // (-Wrestrict) on a literal added in front of a temporary string.
    std::string pecks;
    if (s.scheme != DrillScheme::kSinglePlunge) pecks.append("Q").append(w.Num(in.pass));
    std::string dwell;
    if (s.dwell > 0) dwell.append("P").append(DwellCount(w, in));
    w.Line({mode, CannedCycle(s), "X", w.Number(hole.center.X), "Y", w.Number(hole.center.Y), "Z",
            w.Number(-in.depth), "R", w.Number(in.retract), pecks, dwell, "F", w.Number(in.feed)});
  });
  w.Line({"G80"});
  w.Line({"G0Z", w.Num(in.zsafe)});
  WriteEnd(w, endScript);
  return w.Finish();
}

Outcome<std::string> ControlEquivalent(const geometry::DrawList& holes,
                                       const DrillProgramInputs& in, text::NumberFormat numbers,
                                       std::optional<std::string_view> endScript) {
  if (auto f = CannedRefusal(in)) return *f;
  return EmitDrillMoves(holes, in, numbers, kControlConstants, endScript);
}

}  // namespace kelvora::generators
