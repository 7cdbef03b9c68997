#include "geometry/picture.h"

#include <cmath>

namespace kelvora::geometry {
namespace {

// Far beyond any picture side, and small enough that adding a box position or a
// picture size to it cannot overflow an int.
constexpr double kPixelLimit = 100'000'000.0;

int Clamped(double whole) {
  if (std::isnan(whole)) return 0;
  if (whole > kPixelLimit) return static_cast<int>(kPixelLimit);
  if (whole < -kPixelLimit) return -static_cast<int>(kPixelLimit);
  return static_cast<int>(whole);
}

}  // namespace

int TruncPixel(double v) {
  return Clamped(std::trunc(v));
}

int FloorPixel(double v) {
  return Clamped(std::floor(v));
}

int RoundPixel(double v) {
  return Clamped(std::round(v));
}

}  // namespace kelvora::geometry
