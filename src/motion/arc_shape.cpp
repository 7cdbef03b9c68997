#include "motion/arc_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora::motion {
namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;
// Ends closer than this in XY make a whole turn, as the controls read them.
constexpr double kSamePoint = 1e-9;

}  // namespace

ArcShape ShapeOfArc(const Move& move) {
  ArcShape shape;
  const double sx = move.start.x - move.centreX;
  const double sy = move.start.y - move.centreY;
  const double ex = move.end.x - move.centreX;
  const double ey = move.end.y - move.centreY;
  shape.radius = std::hypot(sx, sy);
  shape.endRadius = std::hypot(ex, ey);
  shape.startAngle = std::atan2(sy, sx);
  const bool ccw = move.kind == MoveKind::kArcCcw;
  const bool wholeTurn =
      std::hypot(move.end.x - move.start.x, move.end.y - move.start.y) < kSamePoint;
  double sweep = 0.0;
  if (wholeTurn) {
    sweep = ccw ? kTurn : -kTurn;
  } else {
    sweep = std::atan2(ey, ex) - shape.startAngle;
    if (ccw && sweep <= 0.0) sweep += kTurn;
    if (!ccw && sweep >= 0.0) sweep -= kTurn;
  }
  const double extra = static_cast<double>(std::max(move.extraTurns, 0)) * kTurn;
  shape.sweep = ccw ? sweep + extra : sweep - extra;
  shape.planarLength = shape.radius * std::fabs(shape.sweep);
  shape.length = std::hypot(shape.planarLength, move.end.z - move.start.z);
  return shape;
}

PlanarBox ArcBox(const Move& move, const ArcShape& shape) {
  PlanarBox box{std::min(move.start.x, move.end.x), std::min(move.start.y, move.end.y),
                std::max(move.start.x, move.end.x), std::max(move.start.y, move.end.y)};
  const double span = std::fabs(shape.sweep);
  const bool ccw = shape.sweep > 0.0;
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    const double angle = quadrant * (kTurn / 4.0);
    // How far the arc turns from its start to reach this quadrant point.
    double along = ccw ? angle - shape.startAngle : shape.startAngle - angle;
    along = std::fmod(along, kTurn);
    if (along < 0.0) along += kTurn;
    if (along > span) continue;
    // An end off the circle makes the control's path a spiral: its radius runs
    // evenly from the start's to the end's along the sweep. The point is passed
    // at `along` and, with extra turns, a whole turn later each time; the radius
    // changes one way, so the first and the last pass bound it.
    const double last = along + std::floor((span - along) / kTurn) * kTurn;
    for (const double at : {along, last}) {
      const double radius =
          shape.radius + (shape.endRadius - shape.radius) * (span > 0.0 ? at / span : 0.0);
      const double x = move.centreX + radius * std::cos(angle);
      const double y = move.centreY + radius * std::sin(angle);
      box.minX = std::min(box.minX, x);
      box.maxX = std::max(box.maxX, x);
      box.minY = std::min(box.minY, y);
      box.maxY = std::max(box.maxY, y);
    }
  }
  return box;
}

}  // namespace kelvora::motion
