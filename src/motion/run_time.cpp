#include "motion/run_time.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvora::motion {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kSmallestLimit = 1e-9;
constexpr double kPerMinute = 1.0 / 60.0;

// A move of A alone: F is in degrees a minute.
MoveTime TimeOfRotaryOnly(const Move& move, double travel, const AxisRates& rates) {
  const double limit = rates.velocity[kAxisA];
  const bool feedGiven = move.kind != MoveKind::kRapid && move.feed > 0.0;
  const double velocity = feedGiven ? std::min(move.feed * kPerMinute, limit) : limit;
  const double plainVelocity = feedGiven ? move.feed * kPerMinute : limit;
  return {RestToRestSeconds(travel, velocity, rates.acceleration[kAxisA]), travel / plainVelocity};
}

// A turning along with an arc of no length (a zero radius): the move takes
// what A needs for its own travel at its own limits.
MoveTime WithRotary(MoveTime time, const Move& move, const AxisRates& rates) {
  if (move.end.a == move.start.a) return time;
  const double travel = std::fabs(move.end.a - move.start.a);
  const double velocity = rates.velocity[kAxisA];
  const double seconds = RestToRestSeconds(travel, velocity, rates.acceleration[kAxisA]);
  return {std::max(time.seconds, seconds), std::max(time.plainSeconds, travel / velocity)};
}

// A turning along with X/Y/Z moves |ΔA| / length degrees for every millimetre of
// path, so its limits cap the path's speed and acceleration as a linear axis's
// do: the move lasts what the slowest axis needs, its own ramp included.
void CapByRotary(const Move& move, const AxisRates& rates, double length, double& velocity,
                 double& acceleration) {
  const double turn = std::fabs(move.end.a - move.start.a);
  if (turn == 0.0) return;
  const double stretch = length / turn;
  velocity = std::min(velocity, rates.velocity[kAxisA] * stretch);
  acceleration = std::min(acceleration, rates.acceleration[kAxisA] * stretch);
}

}  // namespace

AxisRates RatesOf(const Machine& machine) {
  AxisRates rates;
  for (int axis = 0; axis < kAxisCount; ++axis) {
    rates.velocity[axis] = std::max(machine.axes[axis].maxVelocity, kSmallestLimit) / 60.0;
    rates.acceleration[axis] = std::max(machine.axes[axis].maxAcceleration, kSmallestLimit);
  }
  return rates;
}

double RestToRestSeconds(double length, double velocity, double acceleration) {
  if (length <= 0.0) return 0.0;
  // Reaching `velocity` takes v/a seconds and v²/(2a) of length, as much again to stop.
  if (length * acceleration >= velocity * velocity) {
    return length / velocity + velocity / acceleration;
  }
  return 2.0 * std::sqrt(length / acceleration);
}

MoveTime TimeOfLine(const Move& move, const AxisRates& rates, double length) {
  // A length past the largest number (ends near it on opposite sides) takes
  // forever; the ratios below would give "not a number" instead.
  if (!std::isfinite(length)) return {kInfinity, kInfinity};
  if (length == 0.0) {
    const double travel = std::fabs(move.end.a - move.start.a);
    return travel == 0.0 ? MoveTime{} : TimeOfRotaryOnly(move, travel, rates);
  }
  const double delta[3] = {move.end.x - move.start.x, move.end.y - move.start.y,
                           move.end.z - move.start.z};
  // Along the direction u, axis i moves at |u_i| times the path speed, so the
  // path speed (and acceleration) is the smallest limit_i / |u_i|. Most moves
  // go along one axis, where that is the axis's own limit.
  const int moving = (delta[0] != 0.0) + (delta[1] != 0.0) + (delta[2] != 0.0);
  double axesVelocity = kInfinity;
  double acceleration = kInfinity;
  for (int axis = kAxisX; axis <= kAxisZ; ++axis) {
    if (delta[axis] == 0.0) continue;
    const double stretch = moving == 1 ? 1.0 : length / std::fabs(delta[axis]);
    axesVelocity = std::min(axesVelocity, rates.velocity[axis] * stretch);
    acceleration = std::min(acceleration, rates.acceleration[axis] * stretch);
  }
  CapByRotary(move, rates, length, axesVelocity, acceleration);
  // The plain figure is the length at F: A's limits are the machine's, not the feed's.
  const bool feedGiven = move.kind != MoveKind::kRapid && move.feed > 0.0;
  const double velocity = feedGiven ? std::min(move.feed * kPerMinute, axesVelocity) : axesVelocity;
  const double plainVelocity = feedGiven ? move.feed * kPerMinute : axesVelocity;
  return {RestToRestSeconds(length, velocity, acceleration), length / plainVelocity};
}

MoveTime TimeOfArc(const Move& move, const AxisRates& rates, const ArcShape& shape) {
  if (shape.length == 0.0) return WithRotary({}, move, rates);
  if (!std::isfinite(shape.length)) return {kInfinity, kInfinity};
  const double planar = shape.planarLength;
  const double rise = std::fabs(move.end.z - move.start.z);
  double velocity = kInfinity;
  double acceleration = kInfinity;
  if (planar > 0.0) {
    // The tangent turns through every direction of the plane, so each of X and Y
    // may have to carry the whole XY speed.
    const double planarAcceleration =
        std::min(rates.acceleration[kAxisX], rates.acceleration[kAxisY]);
    double planarVelocity = std::min(rates.velocity[kAxisX], rates.velocity[kAxisY]);
    planarVelocity = std::min(planarVelocity, std::sqrt(planarAcceleration * shape.radius));
    velocity = planarVelocity * shape.length / planar;
    acceleration = planarAcceleration * shape.length / planar;
  }
  if (rise > 0.0) {
    velocity = std::min(velocity, rates.velocity[kAxisZ] * shape.length / rise);
    acceleration = std::min(acceleration, rates.acceleration[kAxisZ] * shape.length / rise);
  }
  CapByRotary(move, rates, shape.length, velocity, acceleration);
  const bool feedGiven = move.feed > 0.0;
  const double feedVelocity = feedGiven ? std::min(move.feed * kPerMinute, velocity) : velocity;
  const double plainVelocity = feedGiven ? move.feed * kPerMinute : velocity;
  return {RestToRestSeconds(shape.length, feedVelocity, acceleration),
          shape.length / plainVelocity};
}

MoveTime TimeOfMove(const Move& move, const Machine& machine) {
  const AxisRates rates = RatesOf(machine);
  if (move.kind == MoveKind::kRapid || move.kind == MoveKind::kFeed) {
    const double dx = move.end.x - move.start.x;
    const double dy = move.end.y - move.start.y;
    const double dz = move.end.z - move.start.z;
    return TimeOfLine(move, rates, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return TimeOfArc(move, rates, ShapeOfArc(move));
}

MoveTime LineTimer::Work(const Move& move, const Delta& delta, Memo& memo, double& length) {
  // Most moves go along one axis and need no square root.
  if (delta.x == 0.0 && delta.y == 0.0) {
    length = std::fabs(delta.z);
  } else if (delta.y == 0.0 && delta.z == 0.0) {
    length = std::fabs(delta.x);
  } else {
    length = std::sqrt(delta.x * delta.x + delta.y * delta.y + delta.z * delta.z);
  }
  const MoveTime time = TimeOfLine(move, rates_, length);
  memo = {delta, true, length, time};
  return time;
}

}  // namespace kelvora::motion
