// Small geometry helpers shared by every generator.
#pragma once

#include "geometry/draw_obj.h"

namespace kelvora::geometry {

struct Util {
  // Distance between two points. With `absolute` the differences are taken as
  // magnitudes; when one difference is zero the other is returned as it is.
  static double Distance(UnitPoint p1, UnitPoint p2, bool absolute);
  static double DegreeToRad(double degrees);
  static double RadToDegree(double radians);
  // Direction of the line p1 -> p2 in radians, in [0, 2*pi) for step 0; with a
  // non-zero step the angle snaps to the nearest multiple (halves to even).
  static double LineAngleR(UnitPoint p1, UnitPoint p2, double step);
};

}  // namespace kelvora::geometry
