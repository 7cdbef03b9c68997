#include "geometry/draw_all.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "geometry/dense_marks.h"
#include "geometry/util.h"

namespace kelvora::geometry {
namespace {

const Pen kMarkerPen{kRed, 1.0};
const Pen kObjectPen{kBlue, 2.0};
const Pen kPathPen{kGray, 1.0};

// The marker's label, one for every picture.
const std::shared_ptr<const TextLabel>& MarkerLabel() {
  static const auto label = std::make_shared<const TextLabel>(
      TextLabel{kMarkerLabel, Font{"Arial", 8.0, true}, kDeepPink});
  return label;
}

// The smallest side a circle is drawn with, so that tiny holes stay visible.
constexpr int kMinCircle = 4;
// Pixels kept free around the drawing when it is scaled into the box.
constexpr int kBoxAllowance = 30;

struct Extent {
  double maxX, maxY, minX, minY;
};

Extent ListExtent(const DrawList& list) {
  return {DrawAll::GetMaxX(list), DrawAll::GetMaxY(list), DrawAll::GetMinX(list),
          DrawAll::GetMinY(list)};
}

// The largest scale at which the whole extent fits the box less the allowance.
// Only axes with an extent count; with none the scale stays 1.
double FitScale(int width, int height, double dx, double dy) {
  double s = 1.0;
  bool any = false;
  if (dx != 0) {
    s = (width - kBoxAllowance) / dx;
    any = true;
  }
  if (dy != 0) {
    const double sy = (height - kBoxAllowance) / dy;
    s = any ? std::min(s, sy) : sy;
  }
  return s;
}

// Model to screen: the centre of the extent goes to the centre of the box, scaled
// by s, with Y flipped so that model Y grows upwards.
struct Frame {
  int W = 0, H = 0;
  int px0 = 0, py0 = 0;
  double cx = 0, cy = 0, s = 1.0;

  double ScreenX(double x) const { return px0 + (x - cx) * s; }
  double ScreenY(double y) const { return H - (py0 + (y - cy) * s); }
};

Frame MakeFrame(const PreviewBox& box, const Extent& e) {
  Frame f;
  f.W = box.width;
  f.H = box.height;
  const double dx = e.maxX - e.minX;
  const double dy = e.maxY - e.minY;
  f.cx = dx / 2 + e.minX;
  f.cy = dy / 2 + e.minY;
  f.s = FitScale(box.width, box.height, dx, dy);
  f.px0 = box.left + box.width / 2;
  f.py0 = box.top + box.height / 2;
  return f;
}

// A picture for `items` primitives and the marker, in one allocation.
Picture BlankPicture(const PreviewBox& box, std::size_t items = 0) {
  Picture p;
  p.width = box.width;
  p.height = box.height;
  p.background = kWhite;
  if (items != 0) p.items.reserve(items + 4);
  return p;
}

// The bounding square of a circle in pixels. Squares smaller than the minimum are
// drawn at the minimum side, moved up and left by half of it.
struct Square {
  int x, y, side;
};
Square CircleSquare(const Frame& f, double x, double y, double r) {
  const int left = FloorPixel((x - f.cx - r) * f.s);
  const int top = FloorPixel((y - f.cy + r) * f.s);
  const int d = 2 * FloorPixel(r * f.s);
  if (d < kMinCircle) {
    return {f.px0 + left - kMinCircle / 2, f.H - (f.py0 + top + kMinCircle / 2), kMinCircle};
  }
  return {f.px0 + left, f.H - (f.py0 + top), d};
}

void AddCircle(Picture& p, const Frame& f, UnitPoint c, double r) {
  const Square q = CircleSquare(f, c.X, c.Y, r);
  p.items.push_back(ArcPrim{kObjectPen, q.x, q.y, q.side, q.side, 0.0, 360.0});
}

void AddMarker(Picture& p, const Frame& f, const DrawList& list, int mode) {
  if (mode == kMarkCentre) {
    p.items.push_back(EllipsePrim{kMarkerPen, f.px0 - 2, f.py0 - 2, 4, 4});
    p.items.push_back(LinePrim{kMarkerPen, f.px0, 0, f.px0, f.H});
    p.items.push_back(LinePrim{kMarkerPen, 0, f.py0, f.W, f.py0});
    p.items.push_back(TextPrim{MarkerLabel(), f.px0 - 34.0, f.py0 - 16.0});
    return;
  }
  if (mode != kMarkFirstHole || list.front()->otype != otDrill) return;
  // The first hole's screen position, held in single precision as the screen uses it.
  const auto& first = static_cast<const CDrill&>(*list.front());
  const auto fx = static_cast<float>(f.ScreenX(first.center.X));
  const auto fy = static_cast<float>(f.ScreenY(first.center.Y));
  p.items.push_back(EllipsePrim{kMarkerPen, FloorPixel(fx - 2.0f), FloorPixel(fy - 2.0f), 4, 4});
  p.items.push_back(LinePrim{kMarkerPen, FloorPixel(fx), 0, FloorPixel(fx), f.H});
  p.items.push_back(LinePrim{kMarkerPen, 0, FloorPixel(fy), f.W, FloorPixel(fy)});
  p.items.push_back(TextPrim{MarkerLabel(), PlacePixel(static_cast<double>(fx - 34.0f)),
                             PlacePixel(static_cast<double>(fy - 16.0f))});
}

// The way from each hole to the next, in list order.
void AddPath(Picture& p, const Frame& f, const DrawList& list) {
  const CDrill* previous = nullptr;
  for (const auto& o : list) {
    if (o->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*o);
    if (previous) {
      p.items.push_back(LinePrim{kPathPen, TruncPixel(f.ScreenX(previous->center.X)),
                                 TruncPixel(f.ScreenY(previous->center.Y)),
                                 TruncPixel(f.ScreenX(hole.center.X)),
                                 TruncPixel(f.ScreenY(hole.center.Y))});
    }
    previous = &hole;
  }
}

void AddStraight(Picture& p, const Frame& f, UnitPoint a, UnitPoint b) {
  p.items.push_back(LinePrim{kObjectPen, TruncPixel(f.ScreenX(a.X)), TruncPixel(f.ScreenY(a.Y)),
                             TruncPixel(f.ScreenX(b.X)), TruncPixel(f.ScreenY(b.Y))});
}

// A bulged segment: the arc from p1 to p2 around the bulge's centre, turned from
// the model's counter-clockwise angles into the screen's clockwise ones.
void AddBulgeArc(Picture& p, const Frame& f, UnitPoint p1, UnitPoint p2, double bulge) {
  const BulgeArc arc = ArcFromBulge(p1.X, p1.Y, p2.X, p2.Y, bulge);
  const double a1 = Util::RadToDegree(Util::LineAngleR(arc.center, p1, 0));
  const double a2 = Util::RadToDegree(Util::LineAngleR(arc.center, p2, 0));
  double sweep = 0;
  if (bulge > 0) {
    sweep = a2 >= a1 ? a2 - a1 : 360 - (a1 - a2);
  } else {
    sweep = a2 < a1 ? -(a1 - a2) : -(360 - (a2 - a1));
  }
  if (!std::isfinite(arc.radius) || !std::isfinite(a1) || !std::isfinite(sweep)) {
    // A bulge so large or so small that its arc has no finite centre.
    AddStraight(p, f, p1, p2);
    return;
  }
  const Square q = CircleSquare(f, arc.center.X, arc.center.Y, arc.radius);
  p.items.push_back(ArcPrim{kObjectPen, q.x, q.y, q.side, q.side, -a1, -sweep});
}

void AddSegment(Picture& p, const Frame& f, UnitPoint a, UnitPoint b, double bulge) {
  if (bulge == 0) {
    AddStraight(p, f, a, b);
  } else {
    AddBulgeArc(p, f, a, b, bulge);
  }
}

void AddPolyLine(Picture& p, const Frame& f, const CPolyLine& pl) {
  const std::size_t n =
      std::min<std::size_t>({pl.m_VertexCount, pl.x.size(), pl.y.size(), pl.b.size()});
  if (n < 2) return;
  auto vertex = [&pl](std::size_t i) { return UnitPoint(pl.x[i], pl.y[i]); };
  for (std::size_t i = 0; i + 1 < n; ++i) AddSegment(p, f, vertex(i), vertex(i + 1), pl.b[i]);
  if (n == pl.m_VertexCount && pl.HasClosingSegment()) {
    AddSegment(p, f, vertex(n - 1), vertex(0), pl.b[n - 1]);
  }
}

// One bound over the whole list, from the bounds' start value: the greatest of
// every object's (or the least, by `beyond`).
template <typename Beyond>
double Extreme(const DrawList& list, double (DrawObj::*bound)() const, double start,
               Beyond beyond) {
  double best = start;
  for (const auto& o : list) {
    const double v = ((*o).*bound)();
    if (beyond(v, best)) best = v;
  }
  return best;
}

}  // namespace

double DrawAll::GetMaxX(const DrawList& list) {
  return Extreme(list, &DrawObj::MaxX, kBoundsStartMax, std::greater<>());
}
double DrawAll::GetMaxY(const DrawList& list) {
  return Extreme(list, &DrawObj::MaxY, kBoundsStartMax, std::greater<>());
}
double DrawAll::GetMinX(const DrawList& list) {
  return Extreme(list, &DrawObj::MinX, kBoundsStartMin, std::less<>());
}
double DrawAll::GetMinY(const DrawList& list) {
  return Extreme(list, &DrawObj::MinY, kBoundsStartMin, std::less<>());
}

Picture DrawAll::DrawListDrill(const DrawList& list, const PreviewBox& box, int mode, bool path) {
  Picture p = BlankPicture(box, (path ? 2 : 1) * list.size());
  if (list.empty()) return p;
  const Frame f = MakeFrame(box, ListExtent(list));
  AddMarker(p, f, list, mode);
  if (path) AddPath(p, f, list);
  for (const auto& o : list) {
    if (o->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*o);
    AddCircle(p, f, hole.center, hole.radius);
  }
  MergeDenseMarks(p);
  return p;
}

Picture DrawAll::DrawListPocket(const DrawList& list, const PreviewBox& box, int mode, double R1,
                                double R2, bool path) {
  Picture p = BlankPicture(box, (path ? 3 : 2) * list.size());
  if (list.empty()) return p;
  Extent e = ListExtent(list);
  e.maxX += R2;
  e.maxY += R2;
  e.minX -= R2;
  e.minY -= R2;
  const Frame f = MakeFrame(box, e);
  AddMarker(p, f, list, mode);
  if (path) AddPath(p, f, list);
  for (const auto& o : list) {
    if (o->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*o);
    AddCircle(p, f, hole.center, R1);
    AddCircle(p, f, hole.center, R2);
  }
  MergeDenseMarks(p);
  return p;
}

Picture DrawAll::DrawListLine(const DrawList& list, const PreviewBox& box, int /*mode*/) {
  Picture p = BlankPicture(box, list.size());
  if (list.empty()) return p;
  const Frame f = MakeFrame(box, ListExtent(list));
  for (const auto& o : list) {
    if (o->otype != otLine) continue;
    const auto& line = static_cast<const CLine&>(*o);
    AddStraight(p, f, line.P1, line.P2);
  }
  MergeDenseMarks(p);
  return p;
}

Picture DrawAll::DrawListPLine(const DrawList& list, const PreviewBox& box, int /*mode*/) {
  // A segment per vertex at most, the closing one included.
  std::size_t segments = 0;
  for (const auto& o : list) {
    if (o->otype == otPolyLine) segments += static_cast<const CPolyLine&>(*o).m_VertexCount;
  }
  Picture p = BlankPicture(box, segments);
  if (list.empty()) return p;
  const Frame f = MakeFrame(box, ListExtent(list));
  for (const auto& o : list) {
    if (o->otype != otPolyLine) continue;
    AddPolyLine(p, f, static_cast<const CPolyLine&>(*o));
  }
  MergeDenseMarks(p);
  return p;
}

}  // namespace kelvora::geometry
