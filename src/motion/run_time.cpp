#include "motion/run_time.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvora::motion {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A limit of zero or below (a profile typed wrong) would stop the machine; it is
// read as the smallest limit there is, so the time stays a finite number.
constexpr double kSmallestLimit = 1e-9;

double VelocityLimit(const Machine& machine, int axis) {
  return std::max(machine.axes[axis].maxVelocity, kSmallestLimit) / 60.0;
}
double AccelerationLimit(const Machine& machine, int axis) {
  return std::max(machine.axes[axis].maxAcceleration, kSmallestLimit);
}

// The time A needs for its own travel, when it turns along with X/Y/Z.
MoveTime TimeOfRotaryPart(double travel, const Machine& machine) {
  const double velocity = VelocityLimit(machine, kAxisA);
  return {RestToRestSeconds(travel, velocity, AccelerationLimit(machine, kAxisA)),
          travel / velocity};
}

// A move of A alone: F is in degrees a minute.
MoveTime TimeOfRotaryOnly(const Move& move, double travel, const Machine& machine) {
  const double limit = VelocityLimit(machine, kAxisA);
  const bool feedGiven = move.kind != MoveKind::kRapid && move.feed > 0.0;
  const double velocity = feedGiven ? std::min(move.feed / 60.0, limit) : limit;
  const double plainVelocity = feedGiven ? move.feed / 60.0 : limit;
  return {RestToRestSeconds(travel, velocity, AccelerationLimit(machine, kAxisA)),
          travel / plainVelocity};
}

MoveTime WithRotary(MoveTime time, const Move& move, const Machine& machine) {
  const double travel = std::fabs(move.end.a - move.start.a);
  if (travel == 0.0) return time;
  const MoveTime rotary = TimeOfRotaryPart(travel, machine);
  return {std::max(time.seconds, rotary.seconds), std::max(time.plainSeconds, rotary.plainSeconds)};
}

}  // namespace

double RestToRestSeconds(double length, double velocity, double acceleration) {
  if (length <= 0.0) return 0.0;
  // Reaching `velocity` takes v/a seconds and v²/(2a) of length, as much again to stop.
  if (length * acceleration >= velocity * velocity) {
    return length / velocity + velocity / acceleration;
  }
  return 2.0 * std::sqrt(length / acceleration);
}

MoveTime TimeOfLine(const Move& move, const Machine& machine) {
  const double delta[3] = {move.end.x - move.start.x, move.end.y - move.start.y,
                           move.end.z - move.start.z};
  const double length = std::sqrt(delta[0] * delta[0] + delta[1] * delta[1] + delta[2] * delta[2]);
  if (length == 0.0) {
    const double travel = std::fabs(move.end.a - move.start.a);
    return travel == 0.0 ? MoveTime{} : TimeOfRotaryOnly(move, travel, machine);
  }
  // Along the direction u, axis i moves at |u_i| times the path speed, so the
  // path speed (and acceleration) is the smallest limit_i / |u_i|.
  double axesVelocity = kInfinity;
  double acceleration = kInfinity;
  for (int axis = kAxisX; axis <= kAxisZ; ++axis) {
    const double share = std::fabs(delta[axis]) / length;
    if (share == 0.0) continue;
    axesVelocity = std::min(axesVelocity, VelocityLimit(machine, axis) / share);
    acceleration = std::min(acceleration, AccelerationLimit(machine, axis) / share);
  }
  const bool feedGiven = move.kind != MoveKind::kRapid && move.feed > 0.0;
  const double velocity = feedGiven ? std::min(move.feed / 60.0, axesVelocity) : axesVelocity;
  const double plainVelocity = feedGiven ? move.feed / 60.0 : axesVelocity;
  const MoveTime time{RestToRestSeconds(length, velocity, acceleration), length / plainVelocity};
  return WithRotary(time, move, machine);
}

MoveTime TimeOfArc(const Move& move, const Machine& machine, const ArcShape& shape) {
  if (shape.length == 0.0) return WithRotary({}, move, machine);
  const double planar = shape.planarLength;
  const double rise = std::fabs(move.end.z - move.start.z);
  double velocity = kInfinity;
  double acceleration = kInfinity;
  if (planar > 0.0) {
    // The tangent turns through every direction of the plane, so each of X and Y
    // may have to carry the whole XY speed.
    const double planarAcceleration =
        std::min(AccelerationLimit(machine, kAxisX), AccelerationLimit(machine, kAxisY));
    double planarVelocity =
        std::min(VelocityLimit(machine, kAxisX), VelocityLimit(machine, kAxisY));
    planarVelocity = std::min(planarVelocity, std::sqrt(planarAcceleration * shape.radius));
    velocity = planarVelocity * shape.length / planar;
    acceleration = planarAcceleration * shape.length / planar;
  }
  if (rise > 0.0) {
    velocity = std::min(velocity, VelocityLimit(machine, kAxisZ) * shape.length / rise);
    acceleration = std::min(acceleration, AccelerationLimit(machine, kAxisZ) * shape.length / rise);
  }
  const bool feedGiven = move.feed > 0.0;
  const double feedVelocity = feedGiven ? std::min(move.feed / 60.0, velocity) : velocity;
  const double plainVelocity = feedGiven ? move.feed / 60.0 : velocity;
  const MoveTime time{RestToRestSeconds(shape.length, feedVelocity, acceleration),
                      shape.length / plainVelocity};
  return WithRotary(time, move, machine);
}

MoveTime TimeOfMove(const Move& move, const Machine& machine) {
  if (move.kind == MoveKind::kRapid || move.kind == MoveKind::kFeed) {
    return TimeOfLine(move, machine);
  }
  return TimeOfArc(move, machine, ShapeOfArc(move));
}

}  // namespace kelvora::motion
