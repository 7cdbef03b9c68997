#include "dialog/sketches.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

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

// A blank sketch drawn round a centre: half the width across, `down` of the
// height down, with a radius of `share` of its smaller side.
struct RoundFrame {
  Picture p;
  double cx;
  double cy;
  double r;
};
RoundFrame BlankRound(int width, int height, double down, double share) {
  return {Blank(width, height), width * 0.5, height * down, std::min(width, height) * share};
}

void Line(Picture& p, Rgb color, float width, double x1, double y1, double x2, double y2) {
  p.items.push_back(LinePrim{Pen{color, width}, geometry::RoundPixel(x1), geometry::RoundPixel(y1),
                             geometry::RoundPixel(x2), geometry::RoundPixel(y2)});
}

void Circle(Picture& p, Rgb color, float width, double cx, double cy, double r) {
  const int d = geometry::RoundPixel(2 * r);
  p.items.push_back(EllipsePrim{Pen{color, width}, geometry::RoundPixel(cx - r),
                                geometry::RoundPixel(cy - r), d, d});
}

void Text(Picture& p, const char* text, double points, bool bold, Rgb color, double x, double y) {
  p.items.push_back(TextPrim{text, Font{"Arial", points, bold}, color, x, y});
}

// The X and Y axes through (cx, cy), `reach` pixels to either side.
void Axes(Picture& p, double cx, double cy, double reach) {
  Line(p, kAxis, 1, cx - reach, cy, cx + reach, cy);
  Line(p, kAxis, 1, cx, cy - reach, cx, cy + reach);
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

namespace {

// A dimension: a line between two points with short ticks across its ends, and
// its name beside it.
void Dimension(Picture& p, double x1, double y1, double x2, double y2, const char* name,
               double textX, double textY) {
  const bool across = x1 == x2;  // a vertical dimension gets horizontal ticks
  Line(p, kDimension, 1.5, x1, y1, x2, y2);
  for (const auto& [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
    if (across) {
      Line(p, kDimension, 1.5, x - 4, y, x + 4, y);
    } else {
      Line(p, kDimension, 1.5, x, y - 4, x, y + 4);
    }
  }
  Text(p, name, 10, true, kDimension, textX, textY);
}

// An arrow head at (x, y) pointing along (dx, dy), a unit vector.
void ArrowHead(Picture& p, Rgb color, double x, double y, double dx, double dy) {
  constexpr double kLength = 7;
  constexpr double kSpread = 4;
  const double bx = x - dx * kLength;
  const double by = y - dy * kLength;
  Line(p, color, 1.5, x, y, bx - dy * kSpread, by + dx * kSpread);
  Line(p, color, 1.5, x, y, bx + dy * kSpread, by - dx * kSpread);
}

}  // namespace

Picture GridSketch(int width, int height) {
  Picture p = Blank(width, height);
  constexpr int kHoles = 4;  // m
  constexpr int kRows = 3;   // n
  const double xm = width * 0.2;
  const double yn = height * 0.26;
  const double zig = xm * 0.5;
  const double x0 = width * 0.16;
  const double yBottom = height * 0.74;
  const double hole = std::min(xm, yn) * 0.14;

  // Where hole j of row i lies; the shifted rows have one hole fewer ("-1").
  auto at = [&](int row, int j) {
    const double x = x0 + xm * j + (row % 2 == 1 ? zig : 0.0);
    return std::pair{x, yBottom - yn * row};
  };
  auto holesIn = [](int row) { return row % 2 == 1 ? kHoles - 1 : kHoles; };

  // The drilling order: along the first row, back along the second, and so on.
  std::vector<std::pair<double, double>> path;
  for (int row = 0; row < kRows; ++row) {
    const int count = holesIn(row);
    for (int k = 0; k < count; ++k) path.push_back(at(row, row % 2 == 0 ? k : count - 1 - k));
  }
  for (std::size_t i = 1; i < path.size(); ++i) {
    Line(p, kAxis, 1, path[i - 1].first, path[i - 1].second, path[i].first, path[i].second);
  }
  for (std::size_t i = 1; i < path.size(); i += 3) {
    const double dx = path[i].first - path[i - 1].first;
    const double dy = path[i].second - path[i - 1].second;
    const double len = std::hypot(dx, dy);
    const double mx = (path[i].first + path[i - 1].first) / 2;
    const double my = (path[i].second + path[i - 1].second) / 2;
    ArrowHead(p, kAxis, mx, my, dx / len, dy / len);
  }
  for (const auto& [x, y] : path) Circle(p, geometry::kBlue, 2, x, y, hole);

  // The first hole.
  const auto [fx, fy] = at(0, 0);
  Line(p, geometry::kRed, 1, fx - hole - 6, fy, fx + hole + 6, fy);
  Line(p, geometry::kRed, 1, fx, fy - hole - 6, fx, fy + hole + 6);
  Text(p, "Xc, Yc", 10, true, geometry::kRed, fx - 30, fy + hole + 22);

  // Xm between the first two holes, below the first row.
  const double dimY = fy + hole + 12;
  Dimension(p, fx, dimY, fx + xm, dimY, "Xm", fx + xm * 0.5 - 9, dimY + 3);
  // Yn between the first two rows, left of them.
  const double dimX = fx - hole - 14;
  Dimension(p, dimX, fy, dimX, fy - yn, "Yn", dimX - 22, fy - yn * 0.5 - 8);
  // ZigZac: the second row's shift, below it, measured from the first hole.
  const auto [sx, sy] = at(1, 0);
  const double zigY = sy + hole + 12;
  Line(p, kAxis, 1, fx, fy - hole - 2, fx, zigY - 4);
  Dimension(p, fx, zigY, sx, zigY, "ZigZac", fx + 6, zigY + 4);
  // The hole the shifted row gives up.
  const auto [lx, ly] = at(1, kHoles - 1);
  Circle(p, kAxis, 1, lx, ly, hole);
  Text(p, "-1", 10, true, geometry::kRed, lx - 8, ly - hole - 18);
  // m holes per row, n rows.
  const auto [tx, ty] = at(kRows - 1, 0);
  Text(p, "m", 11, true, geometry::kBlue, tx + xm * 1.5 - 6, ty - hole - 22);
  Text(p, "n", 11, true, geometry::kBlue, lx + hole + 8, (ty + fy) / 2 + yn * 0.5 - 8);
  return p;
}

Picture SurfaceSketch(int width, int height, bool flipped) {
  Picture p = Blank(width, height);
  const double lx = width * 0.58;
  const double ly = height * 0.56;
  const double rows = 5;  // rows of the path; the step-over between them
  const double step = ly / (rows - 1);
  // The start corner: bottom left, or bottom right when flipped.
  const double cx = flipped ? width * 0.8 : width * 0.2;
  const double cy = height * 0.76;
  const double s = flipped ? -1.0 : 1.0;
  const double farX = cx + s * lx;

  // The rectangle, and the tool path over it: rows alternating in direction.
  p.items.push_back(RectPrim{Pen{geometry::kGray, 1}, geometry::RoundPixel(std::min(cx, farX)),
                             geometry::RoundPixel(cy - ly), geometry::RoundPixel(lx),
                             geometry::RoundPixel(ly)});
  double x = cx;
  for (int i = 0; i < rows; ++i) {
    const double y = cy - step * i;
    const double toX = x == cx ? farX : cx;
    Line(p, geometry::kBlue, 2, x, y, toX, y);
    ArrowHead(p, geometry::kBlue, (x + toX) / 2 + (toX > x ? 6 : -6), y, toX > x ? 1 : -1, 0);
    if (i + 1 < rows) Line(p, geometry::kBlue, 2, toX, y, toX, y - step);
    x = toX;
  }

  // The start corner.
  Circle(p, geometry::kRed, 1.5, cx, cy, 4);
  Text(p, "Xc, Yc", 10, true, geometry::kRed, cx - 24, cy + 8);
  // Lx below, Ly on the corner's outer side, the step-over on the far side.
  const double below = cy + 30;
  Dimension(p, cx, below, farX, below, "Lx", (cx + farX) / 2 - 8, below + 3);
  const double side = cx - s * 22;
  Dimension(p, side, cy, side, cy - ly, "Ly", side - (flipped ? -6 : 22), cy - ly / 2 - 8);
  const double far = farX + s * 18;
  Dimension(p, far, cy, far, cy - step, "step", far + (flipped ? -36 : 6), cy - step / 2 - 8);
  Text(p, flipped ? "Flipped: -X" : "+X", 10, true, geometry::kBlue,
       flipped ? width * 0.08 : width * 0.68, height * 0.06);
  return p;
}

Picture RoundSurfaceSketch(int width, int height) {
  auto [p, cx, cy, r2] = BlankRound(width, height, 0.5, 0.4);
  const double r1 = r2 * 0.3;
  constexpr int kRings = 4;
  const double stepOver = (r2 - r1) / kRings;

  Axes(p, cx, cy, r2 + 14);
  // The rings the tool runs, from R1 out to R2.
  for (int i = 1; i < kRings; ++i) Circle(p, kAxis, 1, cx, cy, r1 + stepOver * i);
  Circle(p, geometry::kBlue, 2, cx, cy, r1);
  Circle(p, geometry::kBlue, 2, cx, cy, r2);
  Circle(p, geometry::kRed, 1, cx, cy, 3);

  // R1 and R2 as radii, the step-over between two rings.
  const double a = -std::numbers::pi / 4;  // up and to the right on the screen
  Line(p, kDimension, 1.5, cx, cy, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
  Text(p, "R1", 10, true, kDimension, cx - r1 * 0.75, cy - r1 * 0.7);
  const double b = std::numbers::pi * 0.75;  // down and to the left
  Line(p, kDimension, 1.5, cx, cy, cx + r2 * std::cos(b), cy + r2 * std::sin(b));
  Text(p, "R2", 10, true, kDimension, cx - r2 * 0.45 - 26, cy + r2 * 0.45 - 6);
  const double ring = r1 + stepOver * (kRings - 1);
  Dimension(p, cx + 10, cy - ring, cx + 10, cy - r2, "stepOvr", cx + 6, cy - r2 - 20);
  return p;
}

Picture CircleSketch(int width, int height) {
  auto [p, cx, cy, r] = BlankRound(width, height, 0.52, 0.32);
  constexpr int kHoles = 6;
  constexpr double kStart = 30.0;  // degrees, the first hole's angle

  // Axes through the centre, and the pitch circle.
  Axes(p, cx, cy, r + 20);
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

Picture PointListSketch(int width, int height) {
  Picture p = Blank(width, height);
  // Left half: the points of the list, drilled in the order of their rows.
  const double half = width * 0.5;
  const double hole = std::max(3.0, height * 0.05);
  const double pts[][2] = {{0.14, 0.80}, {0.30, 0.45}, {0.52, 0.72}, {0.80, 0.42}};
  for (int i = 0; i < 4; ++i) {
    const double x = pts[i][0] * half;
    const double y = pts[i][1] * height;
    if (i > 0) {
      Line(p, kAxis, 1, pts[i - 1][0] * half, pts[i - 1][1] * height, x, y);
    }
    Circle(p, geometry::kBlue, 2, x, y, hole);
    const char* number[] = {"1", "2", "3", "4"};
    Text(p, number[i], 9, true, kNavy, x + hole + 2, y - hole - 12);
  }
  Text(p, "X, Y of each row", 9, true, geometry::kRed, 4, 4);

  // Right half: a pocket around one point, rings from R1 out to R2.
  const double cx = half + (width - half) * 0.42;
  const double cy = height * 0.5;
  const double R2 = std::min((width - half) * 0.40, height * 0.44);
  const double R1 = R2 * 0.35;
  const double W = (R2 - R1) / 3;
  Line(p, kFaint, 1, half, 0, half, height);
  Circle(p, geometry::kGray, 1, cx, cy, R1 + W);
  Circle(p, geometry::kGray, 1, cx, cy, R1 + 2 * W);
  Circle(p, geometry::kBlue, 2, cx, cy, R1);
  Circle(p, geometry::kBlue, 2, cx, cy, R2);
  Circle(p, geometry::kRed, 1, cx, cy, 2);
  // R1 down-left, R2 to the right, the step-over between two rings above.
  const double d = std::numbers::sqrt2 / 2;
  Line(p, kDimension, 1.5, cx, cy, cx - R1 * d, cy + R1 * d);
  Text(p, "R1", 9, true, kDimension, cx - R1 * d - 18, cy + R1 * d);
  Line(p, kDimension, 1.5, cx, cy, cx + R2, cy);
  Text(p, "R2", 9, true, kDimension, cx + R2 + 3, cy - 8);
  Line(p, geometry::kRed, 1.5, cx, cy - R1 - W, cx, cy - R1 - 2 * W);
  Text(p, "stepOvr", 9, true, geometry::kRed, cx + 4, cy - R1 - 2 * W - 4);
  return p;
}

}  // namespace kelvora::dialog
