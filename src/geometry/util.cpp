#include "geometry/util.h"

#include <cmath>

namespace kelvora::geometry {

namespace {
constexpr double kPi = 3.141592653589793;
}

double Util::Distance(UnitPoint p1, UnitPoint p2, bool absolute) {
  double dx = p1.X - p2.X;
  double dy = p1.Y - p2.Y;
  if (absolute) {
    dx = std::fabs(dx);
    dy = std::fabs(dy);
  }
  if (dx == 0) return dy;
  if (dy == 0) return dx;
  return std::sqrt(dx * dx + dy * dy);
}

double Util::DegreeToRad(double degrees) {
  return degrees * kPi / 180.0;
}

double Util::RadToDegree(double radians) {
  return radians * 180.0 / kPi;
}

double Util::LineAngleR(UnitPoint p1, UnitPoint p2, double step) {
  if (p1.X == p2.X) {
    if (p1.Y > p2.Y) return 4.71238898038469;
    if (p1.Y < p2.Y) return 1.5707963267948966;
    return 0.0;
  }
  const double dx = p2.X - p1.X;
  const double dy = p2.Y - p1.Y;
  double a = std::atan(dy / dx);
  if (dx < 0) a += kPi;
  if (dx > 0 && dy < 0) a += 6.283185307179586;
  if (step != 0) a = step * std::nearbyint(a / step);
  return a;
}

}  // namespace kelvora::geometry
