#include "geometry/draw_contours.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/dense_marks.h"

namespace kelvora::geometry {
namespace {

const Pen kContourPen{kBlue, 2.0};
const Pen kToolPen{kToolPathColor, 1.0};
const Pen kStartPen{kRed, 1.0};
const Pen kTabPen{kTabColor, 2.0};

constexpr int kBoxAllowance = 30;  // pixels kept free around the drawing
constexpr int kStartMark = 7;      // side of the start point's circle
constexpr double kArrowLength = 16;
constexpr double kArrowHead = 5;
constexpr int kMinTab = 6;

struct Extent {
  double minX = kBoundsStartMin, minY = kBoundsStartMin;
  double maxX = kBoundsStartMax, maxY = kBoundsStartMax;
  bool any = false;
  void Take(double x0, double y0, double x1, double y1) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
      return;
    }
    minX = std::min(minX, x0);
    minY = std::min(minY, y0);
    maxX = std::max(maxX, x1);
    maxY = std::max(maxY, y1);
    any = true;
  }
};

void TakeList(Extent& e, const DrawList& list) {
  for (const auto& o : list) {
    if (o->otype == otPolyLine) {
      const auto& p = static_cast<const CPolyLine&>(*o);
      if (p.m_VertexCount == 0) continue;
      e.Take(p.MinX(), p.MinY(), p.MaxX(), p.MaxY());
    } else if (o->otype == otCircle) {
      const auto& c = static_cast<const CCircle&>(*o);
      e.Take(c.center.X - c.radius, c.center.Y - c.radius, c.center.X + c.radius,
             c.center.Y + c.radius);
    }
  }
}

// Model to screen: the extent's centre at the box's centre, Y up.
struct Frame {
  double cx = 0, cy = 0, s = 1;
  int W = 0, H = 0;
  double X(double x) const { return W / 2.0 + (x - cx) * s; }
  double Y(double y) const { return H / 2.0 - (y - cy) * s; }
};

Frame MakeFrame(const PreviewBox& box, const Extent& e) {
  Frame f;
  f.W = box.width;
  f.H = box.height;
  const double dx = e.maxX - e.minX;
  const double dy = e.maxY - e.minY;
  f.cx = e.minX + dx / 2;
  f.cy = e.minY + dy / 2;
  double s = 1;
  bool fitted = false;
  if (dx > 0) {
    s = (box.width - kBoxAllowance) / dx;
    fitted = true;
  }
  if (dy > 0) {
    const double sy = (box.height - kBoxAllowance) / dy;
    s = fitted ? std::min(s, sy) : sy;
  }
  f.s = s > 0 && std::isfinite(s) ? s : 1;
  return f;
}

void Line(Picture& p, const Pen& pen, double x1, double y1, double x2, double y2) {
  p.items.push_back(LinePrim{pen, TruncPixel(x1), TruncPixel(y1), TruncPixel(x2), TruncPixel(y2)});
}

// A circle of `r` model units (at least `minSide` pixels across) around (x, y).
void Circle(Picture& p, const Pen& pen, const Frame& f, double x, double y, double r, int minSide) {
  const int side = std::max(minSide, 2 * FloorPixel(r * f.s));
  p.items.push_back(ArcPrim{pen, FloorPixel(f.X(x) - side / 2.0), FloorPixel(f.Y(y) - side / 2.0),
                            side, side, 0.0, 360.0});
}

void Segment(Picture& p, const Pen& pen, const Frame& f, double x1, double y1, double x2, double y2,
             double bulge) {
  if (bulge != 0) {
    const BulgeArc arc = ArcFromBulge(x1, y1, x2, y2, bulge);
    const double a1 = std::atan2(y1 - arc.center.Y, x1 - arc.center.X) * 180 / std::numbers::pi;
    const double sweep = 4 * std::atan(bulge) * 180 / std::numbers::pi;
    const double side = 2 * arc.radius * f.s;
    if (std::isfinite(a1) && std::isfinite(side) && side >= 1) {
      // The model turns counter-clockwise, the screen's angles clockwise.
      p.items.push_back(ArcPrim{pen, FloorPixel(f.X(arc.center.X - arc.radius)),
                                FloorPixel(f.Y(arc.center.Y + arc.radius)), FloorPixel(side),
                                FloorPixel(side), -a1, -sweep});
      return;
    }
  }
  Line(p, pen, f.X(x1), f.Y(y1), f.X(x2), f.Y(y2));
}

std::size_t SegmentCount(const CPolyLine& pl) {
  if (pl.m_VertexCount == 0) return 0;
  return pl.m_VertexCount - 1 + (pl.HasClosingSegment() ? 1 : 0);
}

void PolyLine(Picture& p, const Pen& pen, const Frame& f, const CPolyLine& pl) {
  const std::size_t n = pl.m_VertexCount;
  for (std::size_t i = 0; i < SegmentCount(pl); ++i) {
    const std::size_t k = i + 1 < n ? i + 1 : 0;
    Segment(p, pen, f, pl.x[i], pl.y[i], pl.x[k], pl.y[k], pl.b[i]);
  }
}

// An arrow at the polyline's first vertex along the way its first segment
// leaves it. An arc leaves turned from its chord by half its angle, clockwise
// for a counter-clockwise arc, which bulges to the right of its chord.
void StartArrow(Picture& p, const Pen& pen, const Frame& f, const CPolyLine& pl) {
  if (SegmentCount(pl) == 0) return;
  const std::size_t k = pl.m_VertexCount > 1 ? 1 : 0;
  const double dx = pl.x[k] - pl.x[0];
  const double dy = pl.y[k] - pl.y[0];
  if (dx == 0 && dy == 0) return;
  const double angle = std::atan2(dy, dx) - 2 * std::atan(pl.b[0]);
  // On the screen Y points down.
  const double ux = std::cos(angle);
  const double uy = -std::sin(angle);
  const double x0 = f.X(pl.x[0]);
  const double y0 = f.Y(pl.y[0]);
  const double tipX = x0 + ux * kArrowLength;
  const double tipY = y0 + uy * kArrowLength;
  Line(p, pen, x0, y0, tipX, tipY);
  for (double turn : {0.5, -0.5}) {
    const double c = std::cos(std::numbers::pi - turn);
    const double s = std::sin(std::numbers::pi - turn);
    Line(p, pen, tipX, tipY, tipX + (ux * c - uy * s) * kArrowHead,
         tipY + (ux * s + uy * c) * kArrowHead);
  }
}

}  // namespace

Picture DrawContours(const DrawList& contours, const DrawList& toolPaths, const PreviewBox& box) {
  Picture p;
  p.width = box.width;
  p.height = box.height;
  p.background = kWhite;
  Extent e;
  TakeList(e, contours);
  TakeList(e, toolPaths);
  if (!e.any) return p;
  const Frame f = MakeFrame(box, e);
  // The drawing first, the tool over it, the marks on top.
  for (const auto& o : contours) {
    if (o->otype == otPolyLine) PolyLine(p, kContourPen, f, static_cast<const CPolyLine&>(*o));
  }
  for (const auto& o : toolPaths) {
    if (o->otype == otPolyLine) PolyLine(p, kToolPen, f, static_cast<const CPolyLine&>(*o));
  }
  for (const auto& o : toolPaths) {
    if (o->otype == otPolyLine) {
      StartArrow(p, kToolPen, f, static_cast<const CPolyLine&>(*o));
    } else if (o->otype == otCircle) {
      const auto& tab = static_cast<const CCircle&>(*o);
      Circle(p, kTabPen, f, tab.center.X, tab.center.Y, tab.radius, kMinTab);
    }
  }
  for (const auto& o : contours) {
    if (o->otype != otPolyLine) continue;
    const auto& pl = static_cast<const CPolyLine&>(*o);
    if (pl.m_VertexCount == 0) continue;
    Circle(p, kStartPen, f, pl.x[0], pl.y[0], 0, kStartMark);
    StartArrow(p, kStartPen, f, pl);
  }
  // A drawing of thousands of tiny segments (a pocket's rings, a fine spline)
  // is drawn as the pixels it covers.
  MergeDenseMarks(p);
  return p;
}

bool PlainContourPicture(const OutlineOptions& outlines, bool cutAsToday) {
  return cutAsToday && outlines.source == OutlineSource::kLwPolylines && outlines.layers.empty() &&
         outlines.order == ContourOrder::kAsRead;
}

}  // namespace kelvora::geometry
