#include "dialog/sketches.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora::dialog {
namespace {

using geometry::ArcPrim;
using geometry::EllipsePrim;
using geometry::Font;
using geometry::LinePrim;
using geometry::Pen;
using geometry::Picture;
using geometry::RectPrim;
using geometry::Rgb;
using geometry::TextPrim;

constexpr Rgb kNavy{0, 51, 128};
constexpr Rgb kFaint{225, 230, 238};
constexpr Rgb kAxis{170, 180, 195};
constexpr Rgb kDimension{0, 128, 0};

Picture Blank(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  return p;
}

void Line(Picture& p, Rgb color, double width, double x1, double y1, double x2, double y2) {
  p.items.push_back(LinePrim{Pen{color, width}, geometry::RoundPixel(x1), geometry::RoundPixel(y1),
                             geometry::RoundPixel(x2), geometry::RoundPixel(y2)});
}

void Circle(Picture& p, Rgb color, double width, double cx, double cy, double r) {
  const int d = geometry::RoundPixel(2 * r);
  p.items.push_back(EllipsePrim{Pen{color, width}, geometry::RoundPixel(cx - r),
                                geometry::RoundPixel(cy - r), d, d});
}

void Text(Picture& p, const char* text, double points, bool bold, Rgb color, double x, double y) {
  p.items.push_back(TextPrim{text, Font{"Arial", points, bold}, color, x, y});
}

}  // namespace

Picture WindowIcon() {
  Picture p = Blank(32, 32);
  p.items.push_back(RectPrim{Pen{kNavy, 2}, 1, 1, 30, 30});
  // Four holes on a circle around a centre cross: the plug-in's first job.
  for (int i = 0; i < 4; ++i) {
    const double a = std::numbers::pi / 4 + i * std::numbers::pi / 2;
    Circle(p, geometry::kBlue, 2, 16 + 9 * std::cos(a), 16 + 9 * std::sin(a), 3);
  }
  Line(p, geometry::kRed, 1, 16, 8, 16, 24);
  Line(p, geometry::kRed, 1, 8, 16, 24, 16);
  return p;
}

Picture HeaderLogo(int width, int height) {
  Picture p = Blank(width, height);
  const double r = height * 0.36;
  const double cx = height * 0.5;
  const double cy = height * 0.5;
  Circle(p, kNavy, 2, cx, cy, r);
  for (int i = 0; i < 6; ++i) {
    const double a = i * std::numbers::pi / 3;
    Circle(p, geometry::kBlue, 1.5, cx + r * std::cos(a), cy + r * std::sin(a), 2.5);
  }
  Line(p, geometry::kRed, 1, cx - 4, cy, cx + 4, cy);
  Line(p, geometry::kRed, 1, cx, cy - 4, cx, cy + 4);
  Text(p, "KELVORA", height * 0.36, true, kNavy, height + 2.0, height * 0.18);
  return p;
}

Picture PreviewStartDrawing(int width, int height) {
  Picture p = Blank(width, height);
  constexpr int kStep = 25;
  for (int x = kStep; x < width; x += kStep) Line(p, kFaint, 1, x, 0, x, height);
  for (int y = kStep; y < height; y += kStep) Line(p, kFaint, 1, 0, y, width, y);
  Line(p, kAxis, 1, width / 2.0, 0, width / 2.0, height);
  Line(p, kAxis, 1, 0, height / 2.0, width, height / 2.0);
  Text(p, "Preview", 10, true, kAxis, width / 2.0 + 6, height / 2.0 + 6);
  return p;
}

Picture CircleSketch(int width, int height) {
  Picture p = Blank(width, height);
  const double cx = width * 0.5;
  const double cy = height * 0.52;
  const double r = std::min(width, height) * 0.32;
  constexpr int kHoles = 6;
  constexpr double kStart = 30.0;  // degrees, the first hole's angle

  // Axes through the centre, and the pitch circle.
  Line(p, kAxis, 1, cx - r - 20, cy, cx + r + 20, cy);
  Line(p, kAxis, 1, cx, cy - r - 20, cx, cy + r + 20);
  Circle(p, geometry::kGray, 1, cx, cy, r);
  // The holes, counter-clockwise from the start angle (screen Y points down).
  for (int i = 0; i < kHoles; ++i) {
    const double a = (kStart + i * 360.0 / kHoles) * std::numbers::pi / 180.0;
    Circle(p, geometry::kBlue, 2, cx + r * std::cos(a), cy - r * std::sin(a), r * 0.12);
  }
  // The first hole's angle from +X, with the line to it.
  const double a0 = kStart * std::numbers::pi / 180.0;
  Line(p, geometry::kRed, 1, cx, cy, cx + r * std::cos(a0), cy - r * std::sin(a0));
  const double ar = r * 0.45;
  p.items.push_back(ArcPrim{Pen{geometry::kRed, 1.5}, geometry::RoundPixel(cx - ar),
                            geometry::RoundPixel(cy - ar), geometry::RoundPixel(2 * ar),
                            geometry::RoundPixel(2 * ar), 0.0, -kStart});
  Text(p, "A", 11, true, geometry::kRed, cx + ar + 4, cy - ar * 0.55);
  // The diameter, below the circle with its extension lines.
  const double dy = cy + r + 14;
  Line(p, kDimension, 1, cx - r, cy + 4, cx - r, dy + 4);
  Line(p, kDimension, 1, cx + r, cy + 4, cx + r, dy + 4);
  Line(p, kDimension, 1.5, cx - r, dy, cx + r, dy);
  Text(p, "D", 11, true, kDimension, cx - 5, dy + 2);
  // The centre.
  Circle(p, geometry::kRed, 1, cx, cy, 3);
  Text(p, "Xc, Yc", 10, true, geometry::kRed, cx - 56, cy + 4);
  // The count of holes.
  Text(p, "n holes", 10, true, geometry::kBlue, cx + r * 0.55, cy - r - 26);
  return p;
}

}  // namespace kelvora::dialog
