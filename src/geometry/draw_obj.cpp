#include "geometry/draw_obj.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/util.h"

namespace kelvora::geometry {
namespace {

// Takes a candidate into a running maximum or minimum only when strictly beyond it.
void TakeMax(double& best, double candidate) {
  if (candidate > best) best = candidate;
}
void TakeMin(double& best, double candidate) {
  if (candidate < best) best = candidate;
}

// The larger (smaller) of two coordinates, taken from the bounds' start value
// and clipped to +/-99999.
double ClippedMax(double a, double b) {
  double best = kBoundsStartMax;
  TakeMax(best, a);
  TakeMax(best, b);
  return std::min(best, kBoundsStartMin);
}
double ClippedMin(double a, double b) {
  double best = kBoundsStartMin;
  TakeMin(best, a);
  TakeMin(best, b);
  return std::max(best, kBoundsStartMax);
}

// Whether the direction `angle` lies on the arc that starts at `start` and sweeps
// `sweep` radians (positive counter-clockwise).
bool ArcPassesAngle(double start, double sweep, double angle) {
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  double d = sweep >= 0 ? angle - start : start - angle;
  d = std::fmod(d, kTwoPi);
  if (d < 0) d += kTwoPi;
  return d <= std::fabs(sweep);
}

}  // namespace

BulgeArc ArcFromBulge(double x0, double y0, double x1, double y1, double bulge) {
  const double k = (1.0 / bulge - bulge) / 2.0;
  const UnitPoint c((x0 + x1 - (y1 - y0) * k) / 2.0, (y0 + y1 + (x1 - x0) * k) / 2.0);
  return {c, Util::Distance(UnitPoint(x0, y0), c, true)};
}

CLine::CLine(UnitPoint p1, UnitPoint p2) : P1(p1), P2(p2) {
  otype = otLine;
}

// A line's bounds stay within +/-99999: coordinates beyond are clipped, as the
// preview has always scaled them.
double CLine::MaxX() const {
  return ClippedMax(P1.X, P2.X);
}
double CLine::MaxY() const {
  return ClippedMax(P1.Y, P2.Y);
}
double CLine::MinX() const {
  return ClippedMin(P1.X, P2.X);
}
double CLine::MinY() const {
  return ClippedMin(P1.Y, P2.Y);
}

CCircle::CCircle(UnitPoint c, double r, bool d) : radius(r), dir(d), center(c) {
  otype = otCircle;
}

CDrill::CDrill(UnitPoint c, double d, double p, double r)
    : depth(d), pass(p), radius(r), center(c) {
  otype = otDrill;
  m_Layer.clear();
}

// The margin of three radii plus 2 units leaves room around the hole in the preview.
double CDrill::MaxX() const {
  return center.X + (radius * 3.0 + 2.0);
}
double CDrill::MaxY() const {
  return center.Y + (radius * 3.0 + 2.0);
}
double CDrill::MinX() const {
  return center.X - (radius * 3.0 + 2.0);
}
double CDrill::MinY() const {
  return center.Y - (radius * 3.0 + 2.0);
}

CPolyLine::CPolyLine() {
  otype = otPolyLine;
}

void CPolyLine::InitVertex(std::uint32_t n) {
  x.assign(n, 0.0);
  y.assign(n, 0.0);
  b.assign(n, 0.0);
}

bool CPolyLine::HasClosingSegment() const {
  if (!IsClosed() || m_VertexCount < 2) return false;
  const std::uint32_t last = m_VertexCount - 1;
  return !(x[last] == x[0] && y[last] == y[0]);
}

CPolyLine::Extent CPolyLine::Bounds() const {
  Extent e{kBoundsStartMin, kBoundsStartMin, kBoundsStartMax, kBoundsStartMax};
  auto take = [&e](double px, double py) {
    TakeMin(e.minX, px);
    TakeMin(e.minY, py);
    TakeMax(e.maxX, px);
    TakeMax(e.maxY, py);
  };
  // An arc reaches beyond its end points where it crosses an axis direction of its
  // centre; those points belong to the extent too.
  auto takeArc = [&take](double x0, double y0, double x1, double y1, double bulge) {
    const BulgeArc arc = ArcFromBulge(x0, y0, x1, y1, bulge);
    const double start = std::atan2(y0 - arc.center.Y, x0 - arc.center.X);
    const double sweep = 4.0 * std::atan(bulge);
    const double quarter = std::numbers::pi / 2.0;
    const double dx[4] = {1, 0, -1, 0};
    const double dy[4] = {0, 1, 0, -1};
    for (int q = 0; q < 4; ++q) {
      if (ArcPassesAngle(start, sweep, q * quarter)) {
        take(arc.center.X + dx[q] * arc.radius, arc.center.Y + dy[q] * arc.radius);
      }
    }
  };
  const std::uint32_t n = m_VertexCount;
  for (std::uint32_t i = 0; i < n; ++i) {
    take(x[i], y[i]);
    if (i + 1 < n && b[i] != 0.0) takeArc(x[i], y[i], x[i + 1], y[i + 1], b[i]);
  }
  if (HasClosingSegment() && b[n - 1] != 0.0) takeArc(x[n - 1], y[n - 1], x[0], y[0], b[n - 1]);
  return e;
}

double CPolyLine::MaxX() const {
  return Bounds().maxX;
}
double CPolyLine::MaxY() const {
  return Bounds().maxY;
}
double CPolyLine::MinX() const {
  return Bounds().minX;
}
double CPolyLine::MinY() const {
  return Bounds().minY;
}

}  // namespace kelvora::geometry
