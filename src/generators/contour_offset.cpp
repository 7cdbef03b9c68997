#include "generators/contour_offset.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>
#include <utility>

namespace kelvora::generators {
namespace {

constexpr double kPi = std::numbers::pi;

// Two points nearer than this are one point (mm): repeated vertices, the ends of
// pieces that meet, an intersection at a piece's end.
constexpr double kSamePoint = 1e-7;
// A piece of the moved contour is kept when its sample points are at least the
// distance minus this from the contour: it absorbs rounding, not geometry.
constexpr double kValidSlack = 1e-6;
// Bulges smaller than this are straight lines.
constexpr double kStraightBulge = 1e-12;

struct Pt {
  double x = 0;
  double y = 0;
};

Pt operator+(Pt a, Pt b) {
  return {a.x + b.x, a.y + b.y};
}
Pt operator-(Pt a, Pt b) {
  return {a.x - b.x, a.y - b.y};
}
Pt operator*(Pt a, double s) {
  return {a.x * s, a.y * s};
}
double Dot(Pt a, Pt b) {
  return a.x * b.x + a.y * b.y;
}
double Cross(Pt a, Pt b) {
  return a.x * b.y - a.y * b.x;
}
double Len(Pt a) {
  return std::sqrt(a.x * a.x + a.y * a.y);
}
double Dist(Pt a, Pt b) {
  return Len(a - b);
}
Pt LeftNormal(Pt unit) {
  return {-unit.y, unit.x};
}

// One straight or circular piece: from `a` to `b`, an arc when `arc` is set,
// centred on `c` with radius `r`, starting at angle `a0` and turning through
// `sweep` (positive counter-clockwise).
struct Seg {
  Pt a;
  Pt b;
  double bulge = 0;
  bool arc = false;
  Pt c;
  double r = 0;
  double a0 = 0;
  double sweep = 0;
};

Seg MakeSeg(Pt a, Pt b, double bulge) {
  Seg s;
  s.a = a;
  s.b = b;
  const Pt chord = b - a;
  const double len = Len(chord);
  if (std::abs(bulge) < kStraightBulge || len < kSamePoint) return s;
  s.bulge = bulge;
  s.arc = true;
  s.sweep = 4 * std::atan(bulge);
  // The centre lies on the chord's perpendicular through its middle, to the left
  // of the chord for a counter-clockwise arc of less than half a turn.
  const Pt mid = (a + b) * 0.5;
  const double h = len * 0.5 * (1 - bulge * bulge) / (2 * bulge);
  s.c = mid + LeftNormal(chord * (1 / len)) * h;
  s.r = len * 0.5 * (1 + bulge * bulge) / (2 * std::abs(bulge));
  s.a0 = std::atan2(a.y - s.c.y, a.x - s.c.x);
  return s;
}

double SegLength(const Seg& s) {
  return s.arc ? s.r * std::abs(s.sweep) : Dist(s.a, s.b);
}

Pt PointAt(const Seg& s, double t) {
  if (t <= 0) return s.a;
  if (t >= 1) return s.b;
  if (!s.arc) return s.a + (s.b - s.a) * t;
  const double ang = s.a0 + s.sweep * t;
  return {s.c.x + s.r * std::cos(ang), s.c.y + s.r * std::sin(ang)};
}

// The direction of travel at parameter t (unit length).
Pt TangentAt(const Seg& s, double t) {
  if (!s.arc) return (s.b - s.a) * (1 / Dist(s.a, s.b));
  const double ang = s.a0 + s.sweep * t;
  const double dir = s.sweep > 0 ? 1 : -1;
  return {-std::sin(ang) * dir, std::cos(ang) * dir};
}

// The parameter of a point on the piece's line or circle: 0 at `a`, 1 at `b`,
// outside [0, 1] beyond the ends (an arc's remaining turn is split half before
// the start, half after the end).
double ParamOf(const Seg& s, Pt p) {
  if (!s.arc) {
    const Pt d = s.b - s.a;
    return Dot(p - s.a, d) / Dot(d, d);
  }
  double delta = std::atan2(p.y - s.c.y, p.x - s.c.x) - s.a0;
  const double sweep = std::abs(s.sweep);
  if (s.sweep < 0) delta = -delta;
  delta = std::fmod(delta, 2 * kPi);
  if (delta < 0) delta += 2 * kPi;
  if (delta > (sweep + 2 * kPi) / 2) delta -= 2 * kPi;
  return delta / sweep;
}

// The parameter span that stands for kSamePoint along the piece.
double ParamSlack(const Seg& s) {
  return kSamePoint / std::max(SegLength(s), kSamePoint);
}

struct Box {
  double x0, y0, x1, y1;
};

Box BoxOf(const Seg& s) {
  Box b{std::min(s.a.x, s.b.x), std::min(s.a.y, s.b.y), std::max(s.a.x, s.b.x),
        std::max(s.a.y, s.b.y)};
  if (s.arc) {
    // The circle's extreme points that the arc passes.
    const std::array<Pt, 4> dirs{Pt{1, 0}, Pt{0, 1}, Pt{-1, 0}, Pt{0, -1}};
    for (const Pt& d : dirs) {
      const Pt p = s.c + d * s.r;
      const double t = ParamOf(s, p);
      if (t > 0 && t < 1) {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
      }
    }
  }
  return b;
}

double DistToSeg(const Seg& s, Pt p) {
  if (!s.arc) {
    const Pt d = s.b - s.a;
    const double dd = Dot(d, d);
    const double t = dd > 0 ? std::clamp(Dot(p - s.a, d) / dd, 0.0, 1.0) : 0.0;
    return Dist(p, s.a + d * t);
  }
  const double t = ParamOf(s, p);
  if (t >= 0 && t <= 1) return std::abs(Dist(p, s.c) - s.r);
  return std::min(Dist(p, s.a), Dist(p, s.b));
}

// A bounding-volume tree over pieces, for the two questions asked of many
// pieces at once: which pieces may meet this one, and is any piece nearer than
// a distance to this point.
class BoxTree {
 public:
  explicit BoxTree(const std::vector<Seg>& segs) {
    boxes_.reserve(segs.size());
    for (const Seg& s : segs) boxes_.push_back(BoxOf(s));
    order_.resize(segs.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    if (!order_.empty()) Build(0, order_.size());
  }

  // Calls `visit(index)` for every piece whose box meets `q` grown by `grow`.
  template <typename Visit>
  void Query(const Box& q, double grow, Visit&& visit) const {
    if (nodes_.empty()) return;
    // The tree is balanced: its depth stays far below the stack's size.
    std::array<std::size_t, 128> stack;
    std::size_t top = 0;
    stack[top++] = 0;
    while (top > 0) {
      const Node& n = nodes_[stack[--top]];
      if (n.box.x0 > q.x1 + grow || n.box.x1 < q.x0 - grow || n.box.y0 > q.y1 + grow ||
          n.box.y1 < q.y0 - grow) {
        continue;
      }
      if (n.left == kLeaf) {
        for (std::size_t k = n.begin; k < n.end; ++k) {
          const Box& b = boxes_[order_[k]];
          if (b.x0 > q.x1 + grow || b.x1 < q.x0 - grow || b.y0 > q.y1 + grow ||
              b.y1 < q.y0 - grow) {
            continue;
          }
          if (!visit(order_[k])) return;
        }
      } else {
        stack[top++] = n.left;
        stack[top++] = n.left + 1;
      }
    }
  }

  // Calls `visit(index)` for every piece whose box lies nearer than `reach` to
  // `p`, until `visit` returns false.
  template <typename Visit>
  void QueryNear(Pt p, double reach, Visit&& visit) const {
    if (nodes_.empty()) return;
    const double reach2 = reach * reach;
    auto far = [&](const Box& b) {
      const double dx = std::max({b.x0 - p.x, 0.0, p.x - b.x1});
      const double dy = std::max({b.y0 - p.y, 0.0, p.y - b.y1});
      return dx * dx + dy * dy >= reach2;
    };
    // The tree is balanced: its depth stays far below the stack's size.
    std::array<std::size_t, 128> stack;
    std::size_t top = 0;
    stack[top++] = 0;
    while (top > 0) {
      const Node& n = nodes_[stack[--top]];
      if (far(n.box)) continue;
      if (n.left == kLeaf) {
        for (std::size_t k = n.begin; k < n.end; ++k) {
          if (far(boxes_[order_[k]])) continue;
          if (!visit(order_[k])) return;
        }
      } else {
        stack[top++] = n.left;
        stack[top++] = n.left + 1;
      }
    }
  }

 private:
  static constexpr std::size_t kLeaf = static_cast<std::size_t>(-1);
  static constexpr std::size_t kLeafSize = 8;
  struct Node {
    Box box;
    std::size_t begin, end;
    std::size_t left;  // children at left and left + 1, or kLeaf
  };

  void Build(std::size_t begin, std::size_t end) {
    struct Job {
      std::size_t node, begin, end;
    };
    nodes_.push_back({});
    std::vector<Job> jobs{{0, begin, end}};
    while (!jobs.empty()) {
      const Job job = jobs.back();
      jobs.pop_back();
      Box box = boxes_[order_[job.begin]];
      for (std::size_t k = job.begin + 1; k < job.end; ++k) {
        const Box& b = boxes_[order_[k]];
        box = {std::min(box.x0, b.x0), std::min(box.y0, b.y0), std::max(box.x1, b.x1),
               std::max(box.y1, b.y1)};
      }
      nodes_[job.node] = {box, job.begin, job.end, kLeaf};
      if (job.end - job.begin <= kLeafSize) continue;
      const bool alongX = box.x1 - box.x0 >= box.y1 - box.y0;
      const std::size_t mid = job.begin + (job.end - job.begin) / 2;
      std::nth_element(order_.begin() + static_cast<std::ptrdiff_t>(job.begin),
                       order_.begin() + static_cast<std::ptrdiff_t>(mid),
                       order_.begin() + static_cast<std::ptrdiff_t>(job.end),
                       [&](std::size_t i, std::size_t j) {
                         const Box& a = boxes_[i];
                         const Box& b = boxes_[j];
                         return alongX ? a.x0 + a.x1 < b.x0 + b.x1 : a.y0 + a.y1 < b.y0 + b.y1;
                       });
      const std::size_t left = nodes_.size();
      nodes_.push_back({});
      nodes_.push_back({});
      nodes_[job.node].left = left;
      jobs.push_back({left, job.begin, mid});
      jobs.push_back({left + 1, mid, job.end});
    }
  }

  std::vector<Box> boxes_;
  std::vector<std::size_t> order_;
  std::vector<Node> nodes_;
};

// Where the carriers (infinite line, full circle) of two pieces meet; pieces on
// one carrier (collinear lines, arcs of one circle) give the ends of each that lie
// on the other.
std::vector<Pt> CarrierMeets(const Seg& p, const Seg& q) {
  std::vector<Pt> out;
  if (!p.arc && !q.arc) {
    const Pt r = p.b - p.a;
    const Pt s = q.b - q.a;
    const double den = Cross(r, s);
    const double lr = Len(r);
    const double ls = Len(s);
    if (std::abs(den) > 1e-12 * lr * ls) {
      const double t = Cross(q.a - p.a, s) / den;
      out.push_back(p.a + r * t);
    } else if (std::abs(Cross(q.a - p.a, r)) / lr < kSamePoint) {
      out = {p.a, p.b, q.a, q.b};
    }
    return out;
  }
  if (p.arc && q.arc) {
    const Pt d = q.c - p.c;
    const double dist = Len(d);
    if (dist < kSamePoint) {
      if (std::abs(p.r - q.r) < kSamePoint) out = {p.a, p.b, q.a, q.b};
      return out;
    }
    if (dist > p.r + q.r + kSamePoint || dist < std::abs(p.r - q.r) - kSamePoint) return out;
    const double a = (p.r * p.r - q.r * q.r + dist * dist) / (2 * dist);
    const double h2 = p.r * p.r - a * a;
    const Pt u = d * (1 / dist);
    const Pt base = p.c + u * a;
    if (h2 <= 0) {
      out.push_back(base);
      return out;
    }
    const double h = std::sqrt(h2);
    out.push_back(base + LeftNormal(u) * h);
    out.push_back(base - LeftNormal(u) * h);
    return out;
  }
  const Seg& line = p.arc ? q : p;
  const Seg& circle = p.arc ? p : q;
  const Pt d = line.b - line.a;
  const double len = Len(d);
  const Pt u = d * (1 / len);
  const double along = Dot(circle.c - line.a, u);
  const Pt foot = line.a + u * along;
  const double off = Dist(circle.c, foot);
  if (off > circle.r + kSamePoint) return out;
  const double h2 = circle.r * circle.r - off * off;
  if (h2 <= 0) {
    out.push_back(foot);
    return out;
  }
  const double h = std::sqrt(h2);
  out.push_back(foot - u * h);
  out.push_back(foot + u * h);
  return out;
}

// The contour without repeated vertices: a list of pieces, closed or open.
std::vector<Seg> CleanPieces(const toolpath::Path& path) {
  std::vector<toolpath::Vertex> v;
  v.reserve(path.v.size());
  for (const toolpath::Vertex& pv : path.v) {
    if (!v.empty() && Dist({v.back().x, v.back().y}, {pv.x, pv.y}) < kSamePoint) {
      // The zero-length piece goes; the piece leaving the repeat is the one kept.
      v.back().bulge = pv.bulge;
      continue;
    }
    v.push_back(pv);
  }
  if (path.closed) {
    while (v.size() > 1 &&
           Dist({v.back().x, v.back().y}, {v.front().x, v.front().y}) < kSamePoint) {
      v.pop_back();
    }
  }
  std::vector<Seg> segs;
  if (v.size() < 2) return segs;
  const std::size_t n = path.closed ? v.size() : v.size() - 1;
  segs.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = v[i];
    const toolpath::Vertex& b = v[(i + 1) % v.size()];
    segs.push_back(MakeSeg({a.x, a.y}, {b.x, b.y}, a.bulge));
  }
  return segs;
}

// The piece moved by `d` to its left: a parallel line, or a concentric arc. An
// arc whose radius would reach zero or below becomes the straight line between
// its moved ends, which lies within the distance of the contour and is cut away.
Seg MovedPiece(const Seg& s, double d) {
  const Pt a = s.a + LeftNormal(TangentAt(s, 0)) * d;
  const Pt b = s.b + LeftNormal(TangentAt(s, 1)) * d;
  if (!s.arc) return MakeSeg(a, b, 0);
  const double r = s.r - (s.sweep > 0 ? d : -d);
  if (r <= kSamePoint) return MakeSeg(a, b, 0);
  Seg m = MakeSeg(a, b, s.bulge);
  // The moved arc keeps the centre exactly.
  m.c = s.c;
  m.r = r;
  m.a0 = s.a0;
  return m;
}

// A piece of the moved contour after splitting at crossings: the span [t0, t1]
// of raw piece `raw`, with its end points.
struct Slice {
  std::size_t raw;
  double t0, t1;
  Pt a, b;
};

struct RawPiece {
  Seg seg;
  // The contour piece this was moved from; none for the corner arcs.
  std::optional<std::size_t> source;
  // On the side asked for (an open contour's other side and ends are not).
  bool asked = true;
};

Seg SliceSeg(const Seg& raw, const Slice& s) {
  Seg out = MakeSeg(s.a, s.b, raw.arc ? std::tan(raw.sweep * (s.t1 - s.t0) / 4) : 0);
  if (raw.arc && out.arc) {
    out.c = raw.c;
    out.r = raw.r;
    out.a0 = raw.a0 + raw.sweep * s.t0;
  }
  return out;
}

double SweepOf(double bulge) {
  return 4 * std::atan(bulge);
}

// True when two pieces of the contour cross or touch anywhere but at the vertex
// that neighbours share.
bool CrossesItself(const std::vector<Seg>& segs, bool closed, const BoxTree& tree) {
  const std::size_t n = segs.size();
  bool crosses = false;
  for (std::size_t i = 0; i < n && !crosses; ++i) {
    tree.Query(BoxOf(segs[i]), kSamePoint, [&](std::size_t j) {
      if (j <= i) return true;
      const bool next = j == i + 1;
      const bool wraps = closed && i == 0 && j + 1 == n;
      for (const Pt& p : CarrierMeets(segs[i], segs[j])) {
        const double ti = ParamOf(segs[i], p);
        const double tj = ParamOf(segs[j], p);
        const double si = ParamSlack(segs[i]);
        const double sj = ParamSlack(segs[j]);
        if (ti < -si || ti > 1 + si || tj < -sj || tj > 1 + sj) continue;
        if ((next && Dist(p, segs[i].b) < kSamePoint) ||
            (wraps && Dist(p, segs[i].a) < kSamePoint)) {
          continue;
        }
        crosses = true;
        return false;
      }
      return true;
    });
  }
  return crosses;
}

}  // namespace

OffsetResult OffsetContour(const toolpath::Path& contour, double distance) {
  OffsetResult result;
  const std::vector<Seg> segs = CleanPieces(contour);
  if (segs.empty()) return result;
  const bool closed = contour.closed;
  if (!std::isfinite(distance)) {
    // Nothing lies at no finite distance: the whole contour is left out.
    result.partsLeftOut = true;
    return result;
  }
  if (distance == 0) {
    toolpath::Path same;
    same.closed = closed;
    for (const Seg& s : segs) same.v.push_back({s.a.x, s.a.y, s.bulge});
    if (!closed) same.v.push_back({segs.back().b.x, segs.back().b.y, 0});
    result.paths.push_back(std::move(same));
    return result;
  }
  const double reach = std::abs(distance);

  // What is nearer to the contour than the distance is cut away. A piece of the
  // raw offset that lies wholly that near never bounds what is kept, so it is
  // left out before the crossings are sought: on contours of many small
  // features most raw pieces go here.
  const double limit = reach - kValidSlack;
  const BoxTree contourTree(segs);
  auto tooNear = [&](Pt p) {
    bool near = false;
    contourTree.QueryNear(p, limit, [&](std::size_t k) {
      if (DistToSeg(segs[k], p) < limit) {
        near = true;
        return false;
      }
      return true;
    });
    return near;
  };
  // Wholly near when the piece's hull (its ends, and for an arc the point where
  // its end tangents meet) lies near one straight piece: the points nearer than
  // the distance to a line piece form a convex set.
  auto whollyNear = [&](const Seg& piece) {
    std::array<Pt, 3> hull{piece.a, piece.b, piece.b};
    if (piece.arc) {
      if (std::abs(piece.sweep) > 0.9 * kPi) return false;
      const Pt ta = TangentAt(piece, 0);
      const Pt tb = TangentAt(piece, 1);
      const double den = Cross(ta, tb);
      if (std::abs(den) < 1e-15) return false;
      hull[2] = piece.a + ta * (Cross(piece.b - piece.a, tb) / den);
    }
    bool near = false;
    contourTree.QueryNear(piece.a, limit, [&](std::size_t k) {
      if (segs[k].arc) return true;
      for (const Pt& p : hull) {
        if (DistToSeg(segs[k], p) >= limit) return true;
      }
      near = true;
      return false;
    });
    return near;
  };

  // The raw offset: every piece moved, the moved pieces at an outside corner
  // joined by an arc of the distance's radius about their shared vertex. At an
  // inside corner the moved pieces overlap: they are split where they cross
  // below and their overlapping ends cut away, which trims them there.
  //
  // An open contour is offset as the closed outline around it: its side moved
  // one way, a half circle round its last vertex, its other side moved back and
  // a half circle round its first vertex. Only the pieces of the asked side are
  // returned, but the other side and the ends bound what is kept just as much.
  std::vector<RawPiece> raw;
  raw.reserve(segs.size() * (closed ? 2 : 4) + 2);
  auto appendSide = [&](const std::vector<Seg>& side, bool loop, bool asked) {
    const std::size_t count = side.size();
    for (std::size_t i = 0; i < count; ++i) {
      // A collapsed arc whose moved ends meet leaves nothing to cut.
      const Seg moved = MovedPiece(side[i], distance);
      if (Dist(moved.a, moved.b) >= kSamePoint && !whollyNear(moved)) {
        raw.push_back({moved, asked ? std::optional<std::size_t>(i) : std::nullopt, asked});
      }
      if (!loop && i + 1 == count) break;
      const Seg& cur = side[i];
      const Seg& next = side[(i + 1) % count];
      const Pt tin = TangentAt(cur, 1);
      const Pt tout = TangentAt(next, 0);
      const Pt from = cur.b + LeftNormal(tin) * distance;
      const Pt to = next.a + LeftNormal(tout) * distance;
      if (Dist(from, to) < kSamePoint) continue;
      double turn = std::atan2(Cross(tin, tout), Dot(tin, tout));
      if (std::abs(Cross(tin, tout)) < 1e-12 && Dot(tin, tout) < 0) {
        // Turning back on itself: round the far side of the vertex.
        turn = distance > 0 ? -kPi : kPi;
      }
      // The arc at an inside corner runs backwards, nearer than the distance to
      // both pieces all along: it would only be cut away again.
      if (turn * distance > 0) continue;
      Seg join = MakeSeg(from, to, std::tan(turn / 4));
      join.c = cur.b;
      join.r = reach;
      join.a0 = std::atan2(from.y - cur.b.y, from.x - cur.b.x);
      if (!whollyNear(join)) raw.push_back({join, std::nullopt, asked});
    }
  };
  // The half circle round an open contour's end vertex, from the side leaving
  // it along `tangent` moved one way to the other side.
  auto appendEnd = [&](Pt vertex, Pt tangent) {
    const Pt from = vertex + LeftNormal(tangent) * distance;
    const Pt to = vertex - LeftNormal(tangent) * distance;
    Seg cap = MakeSeg(from, to, distance > 0 ? -1 : 1);
    cap.c = vertex;
    cap.r = reach;
    cap.a0 = std::atan2(from.y - vertex.y, from.x - vertex.x);
    raw.push_back({cap, std::nullopt, false});
  };
  const std::size_t n = segs.size();
  appendSide(segs, closed, true);
  if (!closed || CrossesItself(segs, closed, contourTree)) {
    // The other side bounds what is kept wherever it can meet the asked side:
    // always round an open contour, and where a closed contour crosses itself
    // (its left then lies inside on one loop and outside on the next).
    std::vector<Seg> back;
    back.reserve(n);
    for (std::size_t i = n; i-- > 0;) back.push_back(MakeSeg(segs[i].b, segs[i].a, -segs[i].bulge));
    if (!closed) appendEnd(segs.back().b, TangentAt(segs.back(), 1));
    appendSide(back, closed, false);
    if (!closed) appendEnd(back.back().b, TangentAt(back.back(), 1));
  }
  std::vector<Seg> rawSegs;
  rawSegs.reserve(raw.size());
  for (const RawPiece& p : raw) rawSegs.push_back(p.seg);

  // Split every raw piece where another crosses it.
  const std::size_t m = rawSegs.size();
  std::vector<std::vector<std::pair<double, Pt>>> cuts(m);
  const BoxTree rawTree(rawSegs);
  auto addCut = [&](std::size_t i, Pt p) {
    const double t = ParamOf(rawSegs[i], p);
    const double slack = ParamSlack(rawSegs[i]);
    if (t <= slack || t >= 1 - slack) return false;
    cuts[i].push_back({t, p});
    return true;
  };
  auto within = [&](std::size_t i, Pt p) {
    const double t = ParamOf(rawSegs[i], p);
    const double slack = ParamSlack(rawSegs[i]);
    return t >= -slack && t <= 1 + slack;
  };
  for (std::size_t i = 0; i < m; ++i) {
    rawTree.Query(BoxOf(rawSegs[i]), kSamePoint, [&](std::size_t j) {
      if (j <= i) return true;
      for (const Pt& p : CarrierMeets(rawSegs[i], rawSegs[j])) {
        if (!within(i, p) || !within(j, p)) continue;
        addCut(i, p);
        addCut(j, p);
      }
      return true;
    });
  }
  // The slices, each kept when it stays the distance away from the contour.
  std::vector<Slice> slices;
  std::vector<bool> sourceKept(n, false);
  for (std::size_t i = 0; i < m; ++i) {
    auto& c = cuts[i];
    std::sort(c.begin(), c.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    const double slack = ParamSlack(rawSegs[i]);
    double t0 = 0;
    Pt a = rawSegs[i].a;
    for (std::size_t k = 0; k <= c.size(); ++k) {
      const bool last = k == c.size();
      if (!last && c[k].first - t0 <= slack) continue;
      const double t1 = last ? 1.0 : c[k].first;
      const Pt b = last ? rawSegs[i].b : c[k].second;
      if (Dist(a, b) >= kSamePoint) {
        bool keep = true;
        for (const double f : {0.25, 0.5, 0.75}) {
          if (keep && tooNear(PointAt(rawSegs[i], t0 + (t1 - t0) * f))) keep = false;
        }
        if (keep) {
          slices.push_back({i, t0, t1, a, b});
        }
      }
      t0 = t1;
      a = b;
    }
  }

  // Chain the kept slices end to start. A slice that leads nowhere (its end
  // meets no other slice's start) or comes from nowhere is a sliver left where
  // two moved pieces cross at a shallow angle, within rounding of the distance:
  // such slices are dropped, again and again as dropping one strands another.
  const double joinTol = kSamePoint * 10;
  auto sortedBy = [&](bool byEnd) {
    std::vector<std::size_t> idx(slices.size());
    for (std::size_t k = 0; k < idx.size(); ++k) idx[k] = k;
    std::sort(idx.begin(), idx.end(), [&](std::size_t x, std::size_t y) {
      return (byEnd ? slices[x].b.x : slices[x].a.x) < (byEnd ? slices[y].b.x : slices[y].a.x);
    });
    return idx;
  };
  const std::vector<std::size_t> byStart = sortedBy(false);
  const std::vector<std::size_t> byEnd = sortedBy(true);
  auto near = [&](const std::vector<std::size_t>& idx, bool ends, Pt p, auto&& visit) {
    auto key = [&](std::size_t k) { return ends ? slices[k].b : slices[k].a; };
    auto it = std::lower_bound(idx.begin(), idx.end(), p.x - joinTol,
                               [&](std::size_t k, double x) { return key(k).x < x; });
    for (; it != idx.end() && key(*it).x <= p.x + joinTol; ++it) {
      if (Dist(key(*it), p) < joinTol) visit(*it);
    }
  };
  auto startsAt = [&](Pt p, auto&& visit) { near(byStart, false, p, visit); };
  auto endsAt = [&](Pt p, auto&& visit) { near(byEnd, true, p, visit); };
  std::vector<bool> alive(slices.size(), true);
  std::vector<std::size_t> preds(slices.size(), 0);
  std::vector<std::size_t> succs(slices.size(), 0);
  for (std::size_t k = 0; k < slices.size(); ++k) {
    startsAt(slices[k].b, [&](std::size_t j) {
      if (j == k) return;
      ++succs[k];
      ++preds[j];
    });
  }
  std::vector<std::size_t> stranded;
  auto check = [&](std::size_t k) {
    if (!alive[k]) return;
    if (succs[k] == 0 || preds[k] == 0) {
      alive[k] = false;
      stranded.push_back(k);
    }
  };
  for (std::size_t k = 0; k < slices.size(); ++k) check(k);
  while (!stranded.empty()) {
    const std::size_t k = stranded.back();
    stranded.pop_back();
    startsAt(slices[k].b, [&](std::size_t j) {
      if (j == k || !alive[j]) return;
      --preds[j];
      check(j);
    });
    endsAt(slices[k].a, [&](std::size_t j) {
      if (j == k || !alive[j]) return;
      --succs[j];
      check(j);
    });
  }
  for (std::size_t k = 0; k < slices.size(); ++k) {
    if (alive[k] && raw[slices[k].raw].source) sourceKept[*raw[slices[k].raw].source] = true;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!sourceKept[i]) result.partsLeftOut = true;
  }
  std::vector<bool> used(slices.size(), false);
  for (std::size_t k = 0; k < slices.size(); ++k) used[k] = !alive[k];
  const std::size_t count = slices.size();
  auto forward = [&](std::size_t from, std::size_t to) { return (to + count - from) % count; };

  std::vector<std::pair<std::vector<std::size_t>, bool>> chains;  // slices, closed
  auto follow = [&](std::size_t first) {
    std::vector<std::size_t> chain{first};
    used[first] = true;
    bool loop = false;
    for (;;) {
      const std::size_t cur = chain.back();
      std::optional<std::size_t> best;
      startsAt(slices[cur].b, [&](std::size_t k) {
        if (used[k] && k != first) return;
        if (k == cur && chain.size() > 1) return;
        if (!best || forward(cur, k) < forward(cur, *best)) best = k;
      });
      if (!best) break;
      if (*best == first) {
        loop = true;
        break;
      }
      used[*best] = true;
      chain.push_back(*best);
    }
    chains.push_back({std::move(chain), loop});
  };
  for (std::size_t k = 0; k < count; ++k) {
    if (!used[k]) follow(k);
  }

  // Slices of one raw piece that follow each other join again, so a moved arc
  // or line comes out whole where nothing crossed it.
  const double area = closed ? SignedArea(contour) : 0;
  const bool shrinks = closed && area * distance > 0;
  auto pathOf = [&](const std::vector<Slice>& run, bool loop) {
    toolpath::Path out;
    out.closed = loop;
    for (const Slice& sl : run) {
      const Seg seg = SliceSeg(rawSegs[sl.raw], sl);
      out.v.push_back({sl.a.x, sl.a.y, seg.bulge});
    }
    if (!loop) out.v.push_back({run.back().b.x, run.back().b.y, 0});
    return out;
  };
  std::vector<std::pair<std::size_t, toolpath::Path>> openRuns;  // first raw piece, path
  for (auto& [chain, loop] : chains) {
    if (!loop) {
      // Every kept slice lies on a closed outline; a chain that does not close
      // is a leftover of rounding.
      result.partsLeftOut = true;
      continue;
    }
    std::vector<Slice> merged;
    for (const std::size_t k : chain) {
      const Slice& sl = slices[k];
      if (!merged.empty() && merged.back().raw == sl.raw &&
          std::abs(merged.back().t1 - sl.t0) < 1e-12) {
        merged.back().t1 = sl.t1;
        merged.back().b = sl.b;
      } else {
        merged.push_back(sl);
      }
    }
    if (merged.size() > 1 && merged.back().raw == merged.front().raw &&
        std::abs(merged.back().t1 - merged.front().t0) < 1e-12) {
      merged.front().t0 = merged.back().t0;
      merged.front().a = merged.back().a;
      merged.pop_back();
    }
    const auto other = std::find_if(merged.begin(), merged.end(),
                                    [&](const Slice& sl) { return !raw[sl.raw].asked; });
    if (other == merged.end()) {
      // A closed loop that encloses nothing, or one that turns against the
      // contour where the contour shrinks (which cannot hold a hole), is a
      // leftover of rounding, not a path.
      toolpath::Path out = pathOf(merged, true);
      const double loopArea = SignedArea(out);
      if (std::abs(loopArea) < kSamePoint || (shrinks && loopArea * area < 0)) {
        result.partsLeftOut = true;
        continue;
      }
      result.paths.push_back(std::move(out));
      continue;
    }
    // An open contour's outline: the runs on the asked side are its paths.
    std::rotate(merged.begin(), other, merged.end());
    std::vector<Slice> run;
    for (std::size_t k = 0; k <= merged.size(); ++k) {
      if (k < merged.size() && raw[merged[k].raw].asked) {
        run.push_back(merged[k]);
        continue;
      }
      if (!run.empty()) openRuns.push_back({run.front().raw, pathOf(run, false)});
      run.clear();
    }
  }
  std::sort(openRuns.begin(), openRuns.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  // A closed contour that crosses itself cannot be followed round in one.
  if (closed && !openRuns.empty()) result.partsLeftOut = true;
  for (auto& [first, path] : openRuns) result.paths.push_back(std::move(path));
  if (result.paths.empty()) result.partsLeftOut = true;
  if (!closed) {
    const Pt start = segs.front().a + LeftNormal(TangentAt(segs.front(), 0)) * distance;
    const Pt end = segs.back().b + LeftNormal(TangentAt(segs.back(), 1)) * distance;
    if (result.paths.size() != 1 ||
        Dist({result.paths[0].v.front().x, result.paths[0].v.front().y}, start) > kSamePoint * 10 ||
        Dist({result.paths[0].v.back().x, result.paths[0].v.back().y}, end) > kSamePoint * 10) {
      result.partsLeftOut = true;
    }
  }
  return result;
}

double SignedArea(const toolpath::Path& path) {
  const std::size_t n = path.v.size();
  if (n < 2) return 0;
  double area = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    area += (a.x * b.y - b.x * a.y) / 2;
    if (std::abs(a.bulge) >= kStraightBulge) {
      // The circular segment between the chord and the arc.
      const double chord = std::hypot(b.x - a.x, b.y - a.y);
      const double sweep = SweepOf(a.bulge);
      const double r = chord * (1 + a.bulge * a.bulge) / (4 * std::abs(a.bulge));
      area += r * r / 2 * (sweep - std::sin(sweep));
    }
  }
  return area;
}

double PathLength(const toolpath::Path& path) {
  const std::size_t n = path.v.size();
  if (n < 2) return 0;
  const std::size_t pieces = path.closed ? n : n - 1;
  double length = 0;
  for (std::size_t i = 0; i < pieces; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    const Seg s = MakeSeg({a.x, a.y}, {b.x, b.y}, a.bulge);
    length += SegLength(s);
  }
  return length;
}

}  // namespace kelvora::generators
