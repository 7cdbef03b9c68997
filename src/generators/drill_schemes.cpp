#include "generators/drill_schemes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "generators/limits.h"
#include "text/parse.h"

namespace kelvora::generators {
namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

bool Pecks(DrillScheme scheme) {
  return scheme == DrillScheme::kFullRetract || scheme == DrillScheme::kChipBreak ||
         scheme == DrillScheme::kDecreasing;
}

// The pecks of equal size Q that take the tool `travel` down from the retract
// plane, the last one no more than the tolerance short of the bottom.
double EqualPeckCount(double travel, double q) {
  if (!(travel > kPeckLevelTolerance)) return 1;
  if (!(q > 0)) return kUnbounded;
  return std::max(1.0, std::ceil((travel - kPeckLevelTolerance) / q));
}

// The pecks of the decreasing scheme over `travel`: Q, Q f, Q f^2, ... while
// they are at least the minimum, then the minimum. Counted without walking them,
// so that a minimum far too small is refused at once.
double DecreasingPeckCount(double travel, const DrillProgramInputs& in) {
  const double q = in.pass;
  const double f = in.scheme.factor;
  const double least = in.scheme.minPeck;
  if (!(travel > kPeckLevelTolerance)) return 1;
  if (!(q > 0) || !(f > 0) || !(f <= 1) || !(least > 0)) return kUnbounded;
  // No peck is then smaller than Q.
  if (f == 1 || least >= q) return EqualPeckCount(travel, q);
  // Pecks of Q f^(k-1) before they reach the minimum, and the depth they drill.
  const double shrinking = std::floor(std::log(least / q) / std::log(f)) + 1;
  const double drilled = q * (1 - std::pow(f, shrinking)) / (1 - f);
  const double reach = travel - kPeckLevelTolerance;
  if (drilled >= reach) {
    return std::max(1.0, std::ceil(std::log(1 - reach * (1 - f) / q) / std::log(f)));
  }
  return shrinking + EqualPeckCount(travel - drilled, least);
}

}  // namespace

DrillMotionConstants MovesConstants(const DrillSchemeInputs& scheme) {
  return {kPeckClearance, scheme.backOff, scheme.fullEvery};
}

std::vector<double> PeckLevels(const DrillProgramInputs& in) {
  const double bottom = -in.depth;
  std::vector<double> levels;
  if (Pecks(in.scheme.scheme)) {
    // Walked at most as far as the limit lets a program go; inputs that never
    // reach the bottom end there instead of running on.
    const double most = GetLimit(LimitId::kPasses).max;
    const bool decreasing = in.scheme.scheme == DrillScheme::kDecreasing;
    double peck = in.pass;
    double drilled = in.pass;
    for (double k = 1; k < most; ++k) {
      // Equal pecks are measured from the retract plane each time, so that no
      // rounding accumulates; decreasing ones are added up.
      const double z = in.retract - (decreasing ? drilled : k * in.pass);
      if (!(z - bottom > kPeckLevelTolerance)) break;
      levels.push_back(z);
      if (decreasing) {
        peck = std::max(peck * in.scheme.factor, in.scheme.minPeck);
        drilled += peck;
      }
    }
  }
  levels.push_back(bottom);
  return levels;
}

DrillProgramInputs PeckInputsAsWritten(const DrillProgramInputs& in, text::NumberFormat numbers) {
  DrillProgramInputs out = in;
  if (in.scheme.scheme != DrillScheme::kFullRetract &&
      in.scheme.scheme != DrillScheme::kChipBreak) {
    return out;
  }
  auto written = [numbers](double v) {
    const auto read = text::ParseDouble(text::FormatNumber(v, numbers));
    return read ? *read : v;
  };
  out.depth = written(in.depth);
  out.retract = written(in.retract);
  out.pass = written(in.pass);
  return out;
}

double SchemePeckCount(const DrillProgramInputs& in) {
  const double travel = in.retract + in.depth;
  switch (in.scheme.scheme) {
    case DrillScheme::kStandard:
      return PeckPlungeCount(in.depth, in.pass);
    case DrillScheme::kSinglePlunge:
      return 1;
    case DrillScheme::kFullRetract:
    case DrillScheme::kChipBreak:
      return EqualPeckCount(travel, in.pass);
    case DrillScheme::kDecreasing:
      return DecreasingPeckCount(travel, in);
  }
  return kUnbounded;
}

std::optional<Failure> CheckSchemeLimits(double holes, const DrillProgramInputs& in) {
  if (auto f = CheckLimit(LimitId::kHoles, holes)) return f;
  const double pecks = SchemePeckCount(in);
  if (auto f = CheckLimit(LimitId::kPasses, pecks)) return f;
  if (in.scheme.canned && CannedCycle(in.scheme) != nullptr) {
    // One line a hole, the first with the cycle, and the frame around them.
    return CheckLimit(LimitId::kProgramLines, holes + 8);
  }
  // Each feed writes at most three lines (the rapids out of the hole and back
  // down, and the feed); each hole adds its rapid, approach and return lines,
  // and its dwell.
  const double dwell = in.scheme.dwell > 0 ? 1 : 0;
  return CheckLimit(LimitId::kProgramLines, holes * (3 * pecks + 3 + dwell) + 5);
}

std::string DwellCount(const ProgramWriter& w, const DrillProgramInputs& in) {
  return w.Num(in.dwellMilliseconds ? in.scheme.dwell * 1000 : in.scheme.dwell);
}

const char* CannedCycle(const DrillSchemeInputs& scheme) {
  switch (scheme.scheme) {
    case DrillScheme::kSinglePlunge:
      return scheme.dwell > 0 ? "G82" : "G81";
    case DrillScheme::kFullRetract:
      return "G83";
    case DrillScheme::kChipBreak:
      return "G73";
    case DrillScheme::kStandard:
    case DrillScheme::kDecreasing:
      break;
  }
  return nullptr;
}

std::optional<Failure> CannedRefusal(const DrillProgramInputs& in) {
  if (CannedCycle(in.scheme) == nullptr) return Failure{std::string(kNoCannedCycle), {}};
  if (in.scheme.scheme != DrillScheme::kSinglePlunge && in.scheme.dwell > 0) {
    return Failure{std::string(kCannedDwell), {}};
  }
  if (in.enSpecialOp) return Failure{std::string(kCannedSpecialOp), {}};
  return std::nullopt;
}

void WriteHoleMoves(ProgramWriter& w, const DrillProgramInputs& in, const DrillMotionConstants& k) {
  const DrillSchemeInputs& s = in.scheme;
  const std::string retract = w.Num(in.retract);
  const std::string dwell = s.dwell > 0 ? "G4P" + DwellCount(w, in) : std::string();
  const std::string_view specialOp = in.enSpecialOp ? std::string_view(in.specialOp) : "";
  w.Line({"G0Z", retract});
  if (s.scheme == DrillScheme::kStandard) {
    EmitPeck(w, {in.depth, in.pass, in.retract, in.feed}, specialOp, dwell);
  } else {
    const std::string feed = w.Num(in.feed);
    const std::vector<double> levels = PeckLevels(in);
    w.Line({"G1Z", w.Number(levels.front()), "F", feed});
    for (std::size_t i = 1; i < levels.size(); ++i) {
      // Out of the hole after peck i (1-based), then on to the next level.
      const double drilled = levels[i - 1];
      const bool chipBreak = s.scheme == DrillScheme::kChipBreak;
      if (chipBreak && !(k.fullEvery > 0 && i % static_cast<std::size_t>(k.fullEvery) == 0)) {
        w.Line({"G0Z", w.Number(drilled + k.backOff)});
      } else {
        w.Line({"G0Z", retract});
        w.Line({"G0Z", w.Number(drilled + k.clearance)});
      }
      w.Line({"G1Z", w.Number(levels[i]), "F", feed});
    }
    w.UserBlock(dwell);
    if (s.scheme == DrillScheme::kSinglePlunge) w.UserBlock(specialOp);
  }
  w.Line({"G0Z", s.holeReturn == HoleReturn::kRetract ? retract : w.Num(in.zsafe)});
}

}  // namespace kelvora::generators
