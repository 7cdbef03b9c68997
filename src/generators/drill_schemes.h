// How each hole of a drilling program is drilled: the moves of every scheme (the
// tab's own peck scheme, full retract, chip break, decreasing pecks, a single
// plunge), the dwell at the bottom and where the tool waits between holes, or the
// control's canned cycle standing for the scheme. drilling.cpp writes the
// programs around the holes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/job_inputs.h"
#include "generators/program_writer.h"
#include "geometry/draw_obj.h"
#include "text/number_format.h"
#include "text/outcome.h"

namespace kelvora::generators {

// The distances of the moves between pecks. They are values, not constants of
// the code, so that the moves a control makes in its canned cycles can be
// written out with the control's own distances and compared.
struct DrillMotionConstants {
  // How far above the depth just drilled a rapid back into the hole stops
  // (full retract, decreasing, and chip break's full retracts).
  double clearance = 0.2;
  // How far chip break backs off after a peck.
  double backOff = 0.5;
  // A full retract after every N pecks of chip break; 0: never.
  int fullEvery = 0;
};

// The distances of the moves program: the clearance of the tab's own peck
// scheme, and the back-off and N the operator set.
DrillMotionConstants MovesConstants(const DrillSchemeInputs& scheme);

// The control's own distances in its canned cycles: G83 comes back down to
// 0.254 above the depth drilled, G73 backs off 0.254 and never retracts fully.
inline constexpr DrillMotionConstants kControlConstants{0.254, 0.254, 0};

// Depths closer to the bottom than this are the bottom: no separate peck.
inline constexpr double kPeckLevelTolerance = 0.0005;

// The heights one hole is fed to by the schemes that measure from the retract
// plane (full retract, chip break, decreasing): retract - Q, retract - 2Q, ...
// (decreasing: retract - (q1 + ... + qk)) while above the bottom, then the
// bottom (-depth). A single plunge has the bottom alone. Not for "Standard",
// whose pecks are measured from the surface.
std::vector<double> PeckLevels(const DrillProgramInputs& in);

// `in` with the depth, the retract height and the peck Q of the schemes a canned
// cycle stands for (full retract, chip break) as the program writes them in
// `numbers`: their pecks are planned from the numbers the canned line states, so
// that the moves and the cycle drill to the same heights. Other inputs as they
// are.
DrillProgramInputs PeckInputsAsWritten(const DrillProgramInputs& in, text::NumberFormat numbers);

// The number of feeds into one hole the scheme of `in` makes (for the size
// limits; may be huge, or not a number for inputs that never reach the bottom).
double SchemePeckCount(const DrillProgramInputs& in);

// The refusal when the holes or the program of `in` would exceed the limits;
// checked before the holes are built.
std::optional<Failure> CheckSchemeLimits(double holes, const DrillProgramInputs& in);

// The refusals of canned output.
inline constexpr std::string_view kNoCannedCycle =
    "No canned cycle stands for this drilling scheme: choose Single plunge, Full retract or "
    "Chip break";
inline constexpr std::string_view kCannedDwell =
    "A canned cycle dwells only with Single plunge (G82)";
inline constexpr std::string_view kCannedSpecialOp =
    "The special operation cannot stand inside a canned cycle";

// The dwell's P in the writer's numbers: the seconds of the scheme, or as many
// milliseconds where the control counts them so.
std::string DwellCount(const ProgramWriter& w, const DrillProgramInputs& in);

// The canned cycle standing for the scheme: G81 (a single plunge), G82 (a single
// plunge with a dwell), G83 (full retract), G73 (chip break); nullptr for the
// schemes no cycle stands for.
const char* CannedCycle(const DrillSchemeInputs& scheme);

// The refusal of canned output for `in`, whether it is on or not: a scheme
// without a canned cycle, a dwell on a pecking cycle, the special operation.
// nullopt when the canned program can be written.
std::optional<Failure> CannedRefusal(const DrillProgramInputs& in);

// One hole after the rapid to it, written as moves with the distances `k`: the
// retract height, the scheme's feeds and the moves between them, the dwell, the
// special operation after a single plunge, and the return to the safe height
// (G98) or the retract height (G99).
void WriteHoleMoves(ProgramWriter& w, const DrillProgramInputs& in, const DrillMotionConstants& k);

// The drilling program of `holes` written as moves, whatever `in.scheme.canned`
// says, with the distances `k` between pecks: "G90", the spindle line when
// enabled, the safe height, each hole's rapid and scheme, then "M5" and "M30", or
// `endScript` followed by CR LF.
Outcome<std::string> EmitDrillMoves(const geometry::DrawList& holes, const DrillProgramInputs& in,
                                    text::NumberFormat numbers, const DrillMotionConstants& k,
                                    std::optional<std::string_view> endScript = std::nullopt);

// The drilling program of `holes` written as the control's canned cycles
// (G81, G82, G83 or G73 after G98 or G99, the hole positions, G80), or the
// refusal of CannedRefusal.
Outcome<std::string> EmitCannedProgram(const geometry::DrawList& holes,
                                       const DrillProgramInputs& in, text::NumberFormat numbers,
                                       std::optional<std::string_view> endScript = std::nullopt);

// The moves the control makes when it runs the canned program of `in`: the
// program written as moves with the control's distances (kControlConstants), for
// the same holes, scheme, dwell and return. Refused as the canned program is.
Outcome<std::string> ControlEquivalent(const geometry::DrawList& holes,
                                       const DrillProgramInputs& in, text::NumberFormat numbers,
                                       std::optional<std::string_view> endScript = std::nullopt);

}  // namespace kelvora::generators
