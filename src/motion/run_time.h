// How long a move takes on the machine. Every block starts and ends at rest
// (exact stop): real controls blend short moves into each other, so this is a
// safe upper bound, never an estimate that runs out before the machine does.
// Within a block the speed rises at the path's acceleration, holds, and falls
// again (a trapezoid), or only rises and falls when the block is too short to
// reach its speed (a triangle).
#pragma once

#include "motion/arc_shape.h"
#include "motion/machine.h"
#include "motion/moves.h"

namespace kelvora::motion {

struct MoveTime {
  double seconds = 0.0;       // with acceleration, from rest to rest
  double plainSeconds = 0.0;  // length ÷ feed (rapids: ÷ the axes' rate), no acceleration
};

// Seconds to travel `length` from rest to rest at most at `velocity` (units a
// second) with `acceleration` (units a second squared).
double RestToRestSeconds(double length, double velocity, double acceleration);

// A straight move (rapid or feed). Rapids run at the path speed the slowest
// moving axis allows along the direction; feeds at F capped the same way. F is
// taken along the X/Y/Z path when X, Y or Z moves and along A (degrees) when only
// A moves; A's own limits hold either way, so the move takes at least what A
// needs. A feed move without F runs at the axes' limits.
MoveTime TimeOfLine(const Move& move, const Machine& machine);

// An arc (a helix when Z moves): F capped by the axes and by √(a·r) in XY (a the
// smaller of X's and Y's acceleration, r the radius), which keeps the pull
// towards the centre within what the axes can do.
MoveTime TimeOfArc(const Move& move, const Machine& machine, const ArcShape& shape);

MoveTime TimeOfMove(const Move& move, const Machine& machine);

}  // namespace kelvora::motion
