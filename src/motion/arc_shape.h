// The shape of an arc move in the XY plane: its radius, where it starts and how
// far it turns, its length (a helix's Z rise included) and the box it bulges to.
#pragma once

#include "motion/moves.h"

namespace kelvora::motion {

struct ArcShape {
  double radius = 0.0;        // from the centre to the start
  double endRadius = 0.0;     // from the centre to the end (differs when the end is off the circle)
  double startAngle = 0.0;    // radians
  double sweep = 0.0;         // radians, positive counter-clockwise, extra turns included
  double planarLength = 0.0;  // along the circle in XY
  double length = 0.0;        // along the path, Z included (a helix)
};

// An arc whose end meets its start (in XY) is a whole turn.
ArcShape ShapeOfArc(const Move& move);

struct PlanarBox {
  double minX, minY, maxX, maxY;
};

// The XY box of every point the arc passes: its ends and the quadrant points
// (the circle's leftmost, rightmost, lowest and highest) its sweep crosses, at
// the radius the path has there when the end lies off the circle (the radius
// runs evenly from the start's to the end's along the sweep).
PlanarBox ArcBox(const Move& move, const ArcShape& shape);

}  // namespace kelvora::motion
