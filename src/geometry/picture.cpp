#include "geometry/picture.h"

#include <algorithm>
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

const TextLabel kNoLabel{};

}  // namespace

TextPrim::TextPrim(std::string text, Font font, Rgb brush, double left, double top)
    : label(std::make_shared<const TextLabel>(TextLabel{std::move(text), std::move(font), brush})),
      x(left),
      y(top) {}

const std::string& TextPrim::Text() const {
  return (label ? *label : kNoLabel).text;
}
const Font& TextPrim::TextFont() const {
  return (label ? *label : kNoLabel).font;
}
Rgb TextPrim::Brush() const {
  return (label ? *label : kNoLabel).brush;
}

int TruncPixel(double v) {
  return Clamped(std::trunc(v));
}

int FloorPixel(double v) {
  return Clamped(std::floor(v));
}

int RoundPixel(double v) {
  return Clamped(std::round(v));
}

double PlacePixel(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(v, -kPixelLimit, kPixelLimit);
}

}  // namespace kelvora::geometry
static_assert(sizeof(kelvora::geometry::Primitive) <= 48, "a picture primitive is kept small");
static_assert(sizeof(kelvora::geometry::Pen) == 8, "a pen is eight bytes");
