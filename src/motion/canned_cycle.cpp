// The drilling cycles G81, G82, G83 and G73 in the XY plane, expanded into the
// rapids, feeds and dwells the control makes of them, in the control's order
// and with its arithmetic (program units, the depth loop stepped in floating
// point) so that every end point is the control's own.
#include <algorithm>
#include <cmath>

#include "motion/reader_state.h"

namespace kelvora::motion {
namespace {

// How far above the last depth a peck cycle comes back down, and how far G73
// backs off: 0.010 inch, whatever Q is.
constexpr double kPeckClearanceInch = 0.010;

WordSpan CycleSpan(const BlockWords& words) {
  const WordSpan motion = words.gSpan[static_cast<std::size_t>(GGroup::kMotion)];
  if (words.G(GGroup::kMotion) != kNoCode) return motion;
  for (char letter : {'X', 'Y', 'Z', 'R'}) {
    if (words.Has(letter)) return words.Span(letter);
  }
  return {};
}

}  // namespace

bool RunCannedCycle(ReaderState& state, const BlockWords& words, int motion) {
  const bool sameCycle = state.motionMode == motion;
  const WordSpan blockSpan = CycleSpan(words);
  auto refuse = [&](WordSpan span) {
    state.NoticeAt(NoticeKind::kBadCycle, span.length != 0 ? span : blockSpan);
    return false;
  };
  if (words.Has('A')) return refuse(words.Span('A'));
  if (!words.Has('Z') && !sameCycle) return refuse(blockSpan);
  if (!words.Has('R') && !sameCycle) return refuse(blockSpan);
  const double zWord = words.Has('Z') ? words.Value('Z') : state.cycleZ;
  const double rWord = words.Has('R') ? words.Value('R') : state.cycleR;
  double repeats = 1.0;
  if (words.Has('L')) {
    repeats = words.Value('L');
    if (repeats < 1.0 || repeats != std::floor(repeats)) return refuse(words.Span('L'));
  }
  double dwell = state.cycleP;
  if (motion == 820) {
    if (words.Has('P')) {
      dwell = words.Value('P');
    } else if (!sameCycle) {
      return refuse(blockSpan);
    }
    if (dwell < 0.0) return refuse(words.Span('P'));
  }
  double peck = state.cycleQ;
  if (motion == 730 || motion == 830) {
    if (words.Has('Q')) {
      peck = words.Value('Q');
    } else if (!sameCycle) {
      return refuse(blockSpan);
    }
    if (!(peck > 0.0)) return refuse(words.Has('Q') ? words.Span('Q') : blockSpan);
  }

  // The level the run of cycle blocks began at: it stays until a motion that is
  // not a cycle (or G80) ends the run. G91 measures R from it.
  if (!state.initialLevelSet) {
    state.initialLevel = state.z;
    state.initialLevelSet = true;
  }
  const double initial = state.initialLevel;
  double holeX = state.x;
  double holeY = state.y;
  double stepX = 0.0;
  double stepY = 0.0;
  double r = rWord;
  double bottom = zWord;
  if (state.incremental) {
    stepX = words.Has('X') ? words.Value('X') : 0.0;
    stepY = words.Has('Y') ? words.Value('Y') : 0.0;
    r = rWord + initial;
    bottom = r + zWord;
  } else {
    holeX = words.Has('X') ? words.Value('X') : state.x;
    holeY = words.Has('Y') ? words.Value('Y') : state.y;
  }
  if (!std::isfinite(r) || !std::isfinite(bottom)) return refuse(blockSpan);
  if (r < bottom) return refuse(words.Has('R') ? words.Span('R') : blockSpan);

  // Moves per hole, to keep a damaged block from expanding without end. The
  // depth loop steps in floating point as the control does, but never more
  // often than the pecks counted here (and one for rounding): far from zero a
  // peck smaller than the numbers' spacing leaves the depth where it was, and
  // the loop would not end.
  double perHole = 5.0;
  const double pecks = motion == 730 || motion == 830 ? std::ceil((r - bottom) / peck) : 0.0;
  perHole += 3.0 * pecks;
  if (!(perHole * repeats <= state.cycleMovesLeft)) return refuse(blockSpan);
  state.cycleMovesLeft -= perHole * repeats;

  const double clearance =
      state.inch ? kPeckClearanceInch : kPeckClearanceInch * kMillimetresPerInch;
  // When the run began below R, the tool first goes straight to R at the
  // current X/Y (up, or down when an earlier block left it higher).
  double level = state.z;
  if (initial < r) {
    state.Emit(MoveKind::kRapid, state.x, state.y, r, state.a, true);
    level = r;
  }
  // G99 returns to R, G98 to the initial level or R, whichever is higher. The
  // tool crosses to the first hole where it is, or at that return level when
  // it is not above R.
  const double clearZ = state.retractToR ? r : std::max(initial, r);
  if (level <= r) level = clearZ;
  const auto holes = static_cast<long>(repeats);
  const auto maxPecks = static_cast<long>(pecks) + 1;
  for (long hole = 0; hole < holes; ++hole) {
    holeX += stepX;
    holeY += stepY;
    state.Emit(MoveKind::kRapid, holeX, holeY, level, state.a, true);
    if (level != r) state.Emit(MoveKind::kRapid, holeX, holeY, r, state.a, true);
    long peckCount = 0;
    switch (motion) {
      case 810:
        state.Emit(MoveKind::kFeed, holeX, holeY, bottom, state.a, true);
        break;
      case 820:
        state.Emit(MoveKind::kFeed, holeX, holeY, bottom, state.a, true);
        state.Event(EventKind::kDwell, dwell / state.dwellDivisor);
        break;
      case 830:
        for (double depth = r - peck; depth > bottom && peckCount < maxPecks;
             depth -= peck, ++peckCount) {
          state.Emit(MoveKind::kFeed, holeX, holeY, depth, state.a, true);
          state.Emit(MoveKind::kRapid, holeX, holeY, r, state.a, true);
          state.Emit(MoveKind::kRapid, holeX, holeY, depth + clearance, state.a, true);
        }
        state.Emit(MoveKind::kFeed, holeX, holeY, bottom, state.a, true);
        break;
      default:  // 730
        for (double depth = r - peck; depth > bottom && peckCount < maxPecks;
             depth -= peck, ++peckCount) {
          state.Emit(MoveKind::kFeed, holeX, holeY, depth, state.a, true);
          state.Emit(MoveKind::kRapid, holeX, holeY, depth + clearance, state.a, true);
        }
        state.Emit(MoveKind::kFeed, holeX, holeY, bottom, state.a, true);
        break;
    }
    state.Emit(MoveKind::kRapid, holeX, holeY, clearZ, state.a, true);
    level = clearZ;
  }
  state.cycleR = rWord;
  state.cycleZ = zWord;
  state.cycleP = dwell;
  state.cycleQ = peck;
  return true;
}

}  // namespace kelvora::motion
