// How long a move takes on the machine. Every block starts and ends at rest
// (exact stop): real controls blend short moves into each other, so this is a
// safe upper bound, never an estimate that runs out before the machine does.
// Within a block the speed rises at the path's acceleration, holds, and falls
// again (a trapezoid), or only rises and falls when the block is too short to
// reach its speed (a triangle).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "motion/arc_shape.h"
#include "motion/machine.h"
#include "motion/moves.h"

namespace kelvora::motion {

struct MoveTime {
  double seconds = 0.0;       // with acceleration, from rest to rest
  double plainSeconds = 0.0;  // length ÷ feed (rapids: ÷ the axes' rate), no acceleration
};

// The machine's limits in the units the times are worked in: mm (degrees) a
// second and a second squared. A limit of zero or below (a profile typed wrong)
// would stop the machine; it is read as the smallest limit there is, so times
// stay finite numbers.
struct AxisRates {
  std::array<double, kAxisCount> velocity{};
  std::array<double, kAxisCount> acceleration{};
};
AxisRates RatesOf(const Machine& machine);

// Seconds to travel `length` from rest to rest at most at `velocity` (units a
// second) with `acceleration` (units a second squared).
double RestToRestSeconds(double length, double velocity, double acceleration);

// A straight move (rapid or feed). Rapids run at the path speed the slowest
// moving axis allows along the direction; feeds at F capped the same way. F is
// taken along the X/Y/Z path when X, Y or Z moves and along A (degrees) when only
// A moves. An A turning along with X/Y/Z caps the path's speed and acceleration
// by its own limits like any other axis, so the move lasts what the slowest axis
// needs, its ramp included; the plain figure stays the length at F. A feed move
// without F runs at the axes' limits.
// `length` is the X/Y/Z distance from start to end.
MoveTime TimeOfLine(const Move& move, const AxisRates& rates, double length);

// An arc (a helix when Z moves): F capped by the axes and by √(a·r) in XY (a the
// smaller of X's and Y's acceleration, r the radius), which keeps the pull
// towards the centre within what the axes can do.
MoveTime TimeOfArc(const Move& move, const AxisRates& rates, const ArcShape& shape);

MoveTime TimeOfMove(const Move& move, const Machine& machine);

// Times straight moves and remembers the last ones it timed: programs repeat
// the same moves over and over (every hole's pecks), and a repeat then costs no
// arithmetic. Gives exactly what TimeOfLine gives.
class LineTimer {
 public:
  explicit LineTimer(const Machine& machine) : rates_(RatesOf(machine)) {}
  // The move's time; `length` receives its X/Y/Z length. A repeat is answered
  // here, inline: this runs for every move of programs of millions of lines.
  MoveTime Time(const Move& move, double& length) {
    const Delta delta{move.end.x - move.start.x,
                      move.end.y - move.start.y,
                      move.end.z - move.start.z,
                      move.end.a - move.start.a,
                      move.feed,
                      move.kind};
    Memo& memo = memo_[Slot(delta)];
    if (memo.used && memo.delta == delta) {
      length = memo.length;
      return memo.time;
    }
    return Work(move, delta, memo, length);
  }
  const AxisRates& Rates() const { return rates_; }

 private:
  struct Delta {
    double x, y, z, a;
    double feed;
    MoveKind kind;
    friend bool operator==(const Delta&, const Delta&) = default;
  };
  struct Memo {
    Delta delta{};
    bool used = false;
    double length = 0.0;
    MoveTime time;
  };
  // The product's top bits depend on every bit of the figures (round numbers
  // have none set in their low bits).
  static std::size_t Slot(const Delta& delta) {
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    const std::uint64_t mixed = bits(delta.x) ^ (bits(delta.y) >> 1) ^ (bits(delta.z) >> 2) ^
                                (bits(delta.a) >> 3) ^ (bits(delta.feed) >> 4) ^
                                static_cast<std::uint64_t>(delta.kind);
    return static_cast<std::size_t>((mixed * 0x9E3779B97F4A7C15ULL) >> 56);
  }
  MoveTime Work(const Move& move, const Delta& delta, Memo& memo, double& length);

  AxisRates rates_;
  std::array<Memo, 256> memo_{};
};

}  // namespace kelvora::motion
