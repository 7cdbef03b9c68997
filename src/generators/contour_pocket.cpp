#include "generators/contour_pocket.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <span>
#include <string>
#include <vector>

// Boost.Geometry still includes a few of Boost's own headers that Boost has
// since moved, and Boost.Math (its constants) announces that the 32-bit MinGW
// library lacks thread-local storage, which Boost.Config marks there: notices
// not ours to act on, kept out of the build's output.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_MATH_DISABLE_DEPRECATED_03_WARNING
#include <boost/geometry.hpp>

#include "generators/limits.h"

namespace kelvora::generators {
namespace {

namespace bg = boost::geometry;
using Pt = bg::model::d2::point_xy<double>;
using Poly = bg::model::polygon<Pt>;  // outer ring clockwise, holes counter-clockwise, closed
using Ring = Poly::ring_type;
using MPoly = bg::model::multi_polygon<Poly>;
using Line = bg::model::linestring<Pt>;
using MLine = bg::model::multi_linestring<Line>;
using Box = bg::model::box<Pt>;

constexpr double kPi = std::numbers::pi;

// The polygon work approximates round joins within this much at the most, so
// that a ring never comes nearer to a wall than the tool radius less a
// thousandth.
constexpr double kJoinTolerance = 0.0005;
// How much nearer than the tool radius a link may pass by a wall: the join
// approximation above and rounding, not a cut into the wall.
constexpr double kLinkSlack = 0.0008;
// How many starts on a ring are tried for a straight link before the tool
// retracts and enters the ring anew.
constexpr std::size_t kStartsTried = 8;

// The angle an arc of `radius` may sweep per chord so that the chord stays
// within `tol` of it.
double ChordAngle(double radius, double tol) {
  if (!(radius > tol)) return kPi;
  return std::min(kPi, 2 * std::acos(1 - tol / radius));
}

// The angle a tangent piece may sweep on each side of its corner so that the
// corner stays within `tol` outside the arc.
double TangentHalfAngle(double radius, double tol) {
  return std::acos(radius / (radius + tol));
}

int PointsPerCircle(double radius, double tol) {
  const double n = std::ceil(2 * kPi / ChordAngle(radius, std::min(tol, kJoinTolerance)));
  return static_cast<int>(std::clamp(n, 8.0, 4096.0));
}

struct Arc {
  double cx = 0;
  double cy = 0;
  double radius = 0;
  double start = 0;  // angle of the start point seen from the centre
  double sweep = 0;  // signed, positive counter-clockwise
};

// The arc of the segment from `a` to `b` with a's bulge; none for a straight
// segment (or one too short to hold an arc).
std::optional<Arc> ArcOf(const toolpath::Vertex& a, const toolpath::Vertex& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  if (a.bulge == 0 || std::hypot(dx, dy) == 0) return std::nullopt;
  // The centre lies on the chord's perpendicular bisector, to the left for a
  // counter-clockwise arc shorter than a half circle.
  const double k = (1 - a.bulge * a.bulge) / (4 * a.bulge);
  Arc arc;
  arc.cx = (a.x + b.x) / 2 - k * dy;
  arc.cy = (a.y + b.y) / 2 + k * dx;
  arc.radius = std::hypot(a.x - arc.cx, a.y - arc.cy);
  arc.start = std::atan2(a.y - arc.cy, a.x - arc.cx);
  arc.sweep = 4 * std::atan(a.bulge);
  return arc;
}

// How a closed contour's arcs become straight pieces: chords inside the arc's
// circle, or pieces tangent to it (outside the circle). The pocket's polygon
// must lie within the true area, so each arc is approximated on the side of
// the area: inside the contour of the pocket's boundary, outside an island.
std::size_t ArcPieces(const Arc& arc, double tol, bool chords) {
  const double step = chords ? ChordAngle(arc.radius, tol) : 2 * TangentHalfAngle(arc.radius, tol);
  return static_cast<std::size_t>(std::max(1.0, std::ceil(std::abs(arc.sweep) / step)));
}

// The points of a closed contour, arcs approximated within `tol`; `areaInside`
// tells which side of the contour the pocket's area lies on.
std::vector<Pt> PointsOf(const toolpath::Path& path, double tol, bool areaInside,
                         double orientation) {
  std::vector<Pt> out;
  const std::size_t n = path.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = path.v[i];
    out.emplace_back(a.x, a.y);
    const std::optional<Arc> arc = ArcOf(a, path.v[(i + 1) % n]);
    if (!arc) continue;
    // The arc's centre lies inside the contour where the arc turns the same
    // way as the contour runs.
    const bool centreInside = (arc->sweep > 0) == (orientation > 0);
    const bool chords = centreInside == areaInside;
    const std::size_t pieces = ArcPieces(*arc, tol, chords);
    if (chords) {
      for (std::size_t k = 1; k < pieces; ++k) {
        const double t = arc->start + arc->sweep * static_cast<double>(k) / pieces;
        out.emplace_back(arc->cx + arc->radius * std::cos(t), arc->cy + arc->radius * std::sin(t));
      }
    } else {
      const double h = arc->sweep / (2.0 * static_cast<double>(pieces));
      const double rr = arc->radius / std::cos(h);
      for (std::size_t k = 1; k <= pieces; ++k) {
        const double t = arc->start + h * static_cast<double>(2 * k - 1);
        out.emplace_back(arc->cx + rr * std::cos(t), arc->cy + rr * std::sin(t));
      }
    }
  }
  return out;
}

// The number of points PointsOf gives at most, counted before any is made.
double PointCount(const toolpath::Path& path, double tol) {
  double count = 0;
  const std::size_t n = path.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    count += 1;
    if (const std::optional<Arc> arc = ArcOf(path.v[i], path.v[(i + 1) % n])) {
      count +=
          static_cast<double>(std::max(ArcPieces(*arc, tol, true), ArcPieces(*arc, tol, false)));
    }
  }
  return count;
}

Poly PolygonOf(const std::vector<Pt>& points) {
  Poly p;
  p.outer().assign(points.begin(), points.end());
  bg::unique(p);
  bg::correct(p);
  return p;
}

// Twice the signed area of a closed contour, arcs included (positive
// counter-clockwise): which way it runs.
double Orientation(const toolpath::Path& path) {
  double twice = 0;
  const std::size_t n = path.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const toolpath::Vertex& a = path.v[i];
    const toolpath::Vertex& b = path.v[(i + 1) % n];
    twice += a.x * b.y - b.x * a.y;
    // The circular segment between the chord and its arc.
    if (const std::optional<Arc> arc = ArcOf(a, b)) {
      twice += arc->radius * arc->radius * (arc->sweep - std::sin(arc->sweep));
    }
  }
  return twice;
}

MPoly Buffered(const MPoly& area, double distance, double tol) {
  const int ppc = PointsPerCircle(std::abs(distance), tol);
  bg::strategy::buffer::distance_symmetric<double> by(distance);
  bg::strategy::buffer::join_round join(ppc);
  bg::strategy::buffer::end_round end(ppc);
  bg::strategy::buffer::point_circle circle(ppc);
  bg::strategy::buffer::side_straight side;
  MPoly out;
  bg::buffer(area, out, by, side, join, end, circle);
  return out;
}

// The region the tool's centre may cover: the pocket's area shrunk by the tool
// radius. Its rings are the boundary rings, the last the tool cuts: the one
// place where they are made.
MPoly BoundaryRegion(const MPoly& area, double toolRadius, double tol) {
  return Buffered(area, -toolRadius, tol);
}

// One closed contour of the drawing as the planner sees it.
struct Contour {
  Poly poly;
  Box box;
  double area = 0;
  double orientation = 0;
  bool usable = false;
  int duplicateOf = -1;
  int parent = -1;
  int depth = 0;
};

// Whether contour `inner` lies inside contour `outer`.
bool Inside(const Contour& inner, const Contour& outer) {
  if (!bg::covered_by(inner.box, outer.box)) return false;
  return bg::covered_by(inner.poly, outer.poly);
}

// A connected piece of the region the tool's centre covers at one ring level.
struct Component {
  Poly poly;
  Box box;
  std::vector<std::size_t> children;  // pieces of the next level inside it
  // Pieces cut after this one's rings: around the parts of it farther than
  // the tool radius from its rings and from those of its children (the middle
  // of the innermost piece, the cusps a large step-over leaves in corners).
  std::vector<std::size_t> extras;
};

// A ring as the tool follows it: the points of a closed loop without its
// closing repeat.
std::vector<Pt> LoopOf(const Ring& ring, bool wantClockwise) {
  std::vector<Pt> pts(ring.begin(), ring.end());
  if (pts.size() > 1 && bg::equals(pts.front(), pts.back())) pts.pop_back();
  const double area = bg::area(ring);  // positive for a clockwise ring
  if ((area > 0) != wantClockwise) std::reverse(pts.begin(), pts.end());
  return pts;
}

double Distance2(const Pt& a, const Pt& b) {
  const double dx = a.x() - b.x();
  const double dy = a.y() - b.y();
  return dx * dx + dy * dy;
}

// The index into `items` of the one nearest to `position` (the first when the
// tool is nowhere yet).
template <typename T, typename Get>
std::size_t NearestOf(const std::optional<Pt>& position, const std::vector<T>& items, Get get) {
  if (!position) return 0;
  std::size_t best = 0;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const double d = bg::comparable_distance(*position, get(items[i]));
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

// One pocket's planning: the ring levels as a tree of pieces, then the
// order in which the tool cuts them.
class PocketPlanner {
 public:
  PocketPlanner(const MPoly& area, double toolRadius, double stepover, double tol, bool climb)
      : area_(area), radius_(toolRadius), stepover_(stepover), tol_(tol), climb_(climb) {
    for (const Poly& p : area_) {
      walls_.emplace_back(p.outer().begin(), p.outer().end());
      for (const Ring& r : p.inners()) walls_.emplace_back(r.begin(), r.end());
    }
  }

  // The ring levels, each shrunk from the area by the tool radius and a whole
  // number of step-overs; false when the area is too small for the tool.
  bool BuildLevels() {
    std::size_t previous = 0;
    for (std::size_t level = 0;; ++level) {
      const MPoly region =
          level == 0 ? BoundaryRegion(area_, radius_, tol_)
                     : Buffered(area_, -(radius_ + static_cast<double>(level) * stepover_), tol_);
      const std::size_t first = components_.size();
      for (const Poly& p : region) {
        if (!(std::abs(bg::area(p)) > 0)) continue;
        Component c;
        c.poly = p;
        bg::envelope(p, c.box);
        components_.push_back(std::move(c));
      }
      if (components_.size() == first) break;
      if (level == 0) roots_ = components_.size();
      for (std::size_t i = first; i < components_.size() && level > 0; ++i) {
        AttachToParent(i, previous, first);
      }
      previous = first;
    }
    // A leftover is narrower than the step-over plus the tool radius, and
    // each piece around one leaves at most half a radius less: three rounds
    // clear it.
    const std::size_t levels = components_.size();
    for (std::size_t i = 0; i < levels; ++i) FindExtras(i, 3);
    return !components_.empty();
  }

  // Whether the area splits into regions the tool cannot pass between.
  bool Splits() const { return roots_ > area_.size(); }

  // The paths: every region tree cleared inside out, a new path wherever a
  // link would leave the cleared area.
  std::vector<toolpath::Path> Plan() {
    std::vector<std::size_t> roots(roots_);
    for (std::size_t i = 0; i < roots_; ++i) roots[i] = i;
    while (!roots.empty()) {
      const std::size_t next = NearestOf(
          position_, roots, [&](std::size_t i) -> const Poly& { return components_[i].poly; });
      const std::size_t root = roots[next];
      roots.erase(roots.begin() + static_cast<std::ptrdiff_t>(next));
      ClearTree(root);
    }
    Close();
    return paths_;
  }

 private:
  struct Cleared {
    MPoly area;
    Box box;
  };

  // Hangs piece `index` under the piece of the level above (pieces `from` to
  // `to`) that holds it.
  void AttachToParent(std::size_t index, std::size_t from, std::size_t to) {
    const Pt probe = components_[index].poly.outer().front();
    std::size_t best = from;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = from; i < to; ++i) {
      const Component& parent = components_[i];
      if (bg::covered_by(probe, parent.box) && bg::within(probe, parent.poly)) {
        best = i;
        break;
      }
      // Rounding may put the probe on its holder's edge: the nearest piece
      // then holds it.
      const double d = bg::distance(probe, parent.poly);
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    components_[best].children.push_back(index);
  }

  // Finds the parts of piece `index` its rings and its children's leave
  // uncut and adds a piece around each: the part widened by half the tool
  // radius, within the piece. Those are checked in turn (`depth` deep), so
  // a wide leftover gets rings inward until nothing is left.
  void FindExtras(std::size_t index, int depth) {
    MPoly far = Buffered(MPoly{components_[index].poly}, -(radius_ + tol_), tol_);
    if (far.empty()) return;
    if (!components_[index].children.empty()) {
      MPoly inner;
      for (std::size_t child : components_[index].children)
        inner.push_back(components_[child].poly);
      const MPoly reached = Buffered(inner, radius_, tol_);
      MPoly left;
      bg::difference(far, reached, left);
      far = std::move(left);
    }
    for (const Poly& gap : far) {
      if (!(std::abs(bg::area(gap)) > tol_ * tol_)) continue;
      const MPoly widened = Buffered(MPoly{gap}, radius_ / 2, tol_);
      MPoly within;
      bg::intersection(widened, components_[index].poly, within);
      for (Poly& p : within) {
        if (!(std::abs(bg::area(p)) > 0)) continue;
        Component extra;
        extra.poly = std::move(p);
        bg::envelope(extra.poly, extra.box);
        components_.push_back(std::move(extra));
        const std::size_t added = components_.size() - 1;
        components_[index].extras.push_back(added);
        if (depth > 0) FindExtras(added, depth - 1);
      }
    }
  }

  // Clears the tree under `root`: every piece's inner pieces before its own
  // rings, its extras after them, kept on an explicit stack (a tree may be as
  // deep as the ring limit).
  void ClearTree(std::size_t root) {
    struct Frame {
      std::size_t component;
      std::vector<std::size_t> left;
      std::size_t mark;  // what was cleared before this piece's subtree
      bool ringsCut = false;
    };
    std::vector<Frame> stack;
    stack.push_back({root, components_[root].children, cleared_.size()});
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (!top.left.empty()) {
        const std::size_t next = NearestOf(
            position_, top.left, [&](std::size_t i) -> const Poly& { return components_[i].poly; });
        const std::size_t child = top.left[next];
        top.left.erase(top.left.begin() + static_cast<std::ptrdiff_t>(next));
        const bool after = top.ringsCut;
        stack.push_back({child, components_[child].children, cleared_.size()});
        // An extra is cut from the outside in: its own rings first.
        if (after) {
          CutRings(child);
          stack.back().left = components_[child].extras;
          stack.back().ringsCut = true;
        }
        continue;
      }
      if (!top.ringsCut) {
        CutRings(top.component);
        top.ringsCut = true;
        top.left = components_[top.component].extras;
        continue;
      }
      const std::size_t index = top.component;
      const std::size_t mark = top.mark;
      stack.pop_back();
      // The piece is cleared as a whole: it replaces what was cleared inside
      // it (its inner pieces, the strips along its rings).
      cleared_.resize(mark);
      Cleared whole;
      whole.area.push_back(components_[index].poly);
      whole.box = components_[index].box;
      cleared_.push_back(std::move(whole));
    }
  }

  // The rings of one piece: around its islands first (nearest first), then
  // along its outer edge.
  void CutRings(std::size_t index) {
    const Component& c = components_[index];
    std::vector<const Ring*> holes;
    for (const Ring& r : c.poly.inners()) holes.push_back(&r);
    while (!holes.empty()) {
      const std::size_t best =
          NearestOf(position_, holes, [](const Ring* r) -> const Ring& { return *r; });
      CutRing(*holes[best], c.poly, climb_);
      holes.erase(holes.begin() + static_cast<std::ptrdiff_t>(best));
    }
    CutRing(c.poly.outer(), c.poly, !climb_);
  }

  void CutRing(const Ring& ring, const Poly& piece, bool clockwise) {
    std::vector<Pt> loop = LoopOf(ring, clockwise);
    if (loop.size() < 2) return;
    Cleared band = Band(ring, piece);
    if (position_) {
      // The ring starts where the tool can feed to it straight: the point of
      // the ring nearest to the tool first, then its nearest corners.
      const std::size_t nearest = InsertNearestPoint(loop, *position_);
      std::vector<std::size_t> order(loop.size());
      for (std::size_t i = 0; i < loop.size(); ++i) order[i] = i;
      std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        return Distance2(*position_, loop[i]) < Distance2(*position_, loop[j]);
      });
      order.erase(std::remove(order.begin(), order.end(), nearest), order.end());
      order.insert(order.begin(), nearest);
      order.resize(std::min(order.size(), kStartsTried));
      std::size_t start = nearest;
      bool linked = false;
      for (std::size_t candidate : order) {
        if (LinkStaysInside(*position_, loop[candidate], band)) {
          start = candidate;
          linked = true;
          break;
        }
      }
      if (!linked) Close();
      std::rotate(loop.begin(), loop.begin() + static_cast<std::ptrdiff_t>(start), loop.end());
    }
    for (const Pt& p : loop) current_.v.push_back({p.x(), p.y(), 0});
    current_.v.push_back({loop.front().x(), loop.front().y(), 0});
    position_ = loop.front();
    cleared_.push_back(std::move(band));
  }

  // Puts the point of `loop` nearest to `p` into it (unless a corner is
  // there already) and gives its index.
  static std::size_t InsertNearestPoint(std::vector<Pt>& loop, const Pt& p) {
    std::size_t bestSide = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    double bestT = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const Pt& a = loop[i];
      const Pt& b = loop[(i + 1) % loop.size()];
      const double dx = b.x() - a.x();
      const double dy = b.y() - a.y();
      const double len2 = dx * dx + dy * dy;
      const double t =
          len2 > 0 ? std::clamp(((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2, 0.0, 1.0)
                   : 0.0;
      const double d = Distance2(p, Pt(a.x() + t * dx, a.y() + t * dy));
      if (d < bestDistance) {
        bestDistance = d;
        bestSide = i;
        bestT = t;
      }
    }
    const Pt& a = loop[bestSide];
    const Pt& b = loop[(bestSide + 1) % loop.size()];
    const Pt q(a.x() + bestT * (b.x() - a.x()), a.y() + bestT * (b.y() - a.y()));
    // A point within rounding of a corner is that corner.
    const double near2 = 1e-12;
    if (Distance2(q, a) <= near2) return bestSide;
    if (Distance2(q, b) <= near2) return (bestSide + 1) % loop.size();
    loop.insert(loop.begin() + static_cast<std::ptrdiff_t>(bestSide + 1), q);
    return bestSide + 1;
  }

  // What cutting a ring clears of its piece: the strip a step-over wide along
  // it (the piece farther inside was cleared before).
  Cleared Band(const Ring& ring, const Poly& piece) const {
    const Line line(ring.begin(), ring.end());
    const double width = stepover_ + 2 * tol_ + kLinkSlack;
    const int ppc = PointsPerCircle(width, tol_);
    MPoly strip;
    bg::buffer(line, strip, bg::strategy::buffer::distance_symmetric<double>(width),
               bg::strategy::buffer::side_straight(), bg::strategy::buffer::join_round(ppc),
               bg::strategy::buffer::end_round(ppc), bg::strategy::buffer::point_circle(ppc));
    Cleared band;
    bg::intersection(strip, piece, band.area);
    bg::envelope(band.area, band.box);
    return band;
  }

  // Whether the straight feed move from `a` to `b` keeps the tool out of the
  // walls and islands and crosses only stock that is cleared already or that
  // the ring it leads to clears (`next`).
  bool LinkStaysInside(const Pt& a, const Pt& b, const Cleared& next) const {
    const Line link{a, b};
    for (const Line& wall : walls_) {
      if (bg::distance(link, wall) < radius_ - kLinkSlack) return false;
    }
    const Pt middle((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    if (!bg::covered_by(middle, area_)) return false;
    MLine rest{link};
    Box span;
    bg::envelope(link, span);
    auto cut = [&](const Cleared& k) {
      if (rest.empty() || k.area.empty() || bg::disjoint(span, k.box)) return;
      MLine out;
      bg::difference(rest, k.area, out);
      rest = std::move(out);
    };
    for (const Cleared& k : cleared_) cut(k);
    cut(next);
    return bg::length(rest) <= tol_ + kLinkSlack;
  }

  void Close() {
    if (!current_.v.empty()) paths_.push_back(std::move(current_));
    current_ = toolpath::Path{};
  }

  MPoly area_;
  std::vector<Line> walls_;
  double radius_;
  double stepover_;
  double tol_;
  bool climb_;
  std::vector<Component> components_;
  std::size_t roots_ = 0;
  std::vector<Cleared> cleared_;
  std::optional<Pt> position_;
  toolpath::Path current_;
  std::vector<toolpath::Path> paths_;
};

// "Contour 3" or "Contours 3, 5 and 7", with the verb's number to match.
std::string Naming(const std::vector<std::size_t>& numbers, const std::string& one,
                   const std::string& many) {
  std::string s = numbers.size() == 1 ? "Contour " : "Contours ";
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) s += i + 1 == numbers.size() ? " and " : ", ";
    s += std::to_string(numbers[i]);
  }
  return s + (numbers.size() == 1 ? one : many);
}

}  // namespace

PocketPlan PlanPockets(const std::vector<toolpath::Path>& contours, double toolRadius,
                       double stepover, double chordTolerance, bool climb,
                       std::span<const std::size_t> numbers) {
  PocketPlan plan;
  if (!(toolRadius > 0) || !std::isfinite(toolRadius)) {
    plan.failure = Failure{"Parameters error", "DxfToolDia"};
    return plan;
  }
  if (!(stepover > 0)) {
    plan.failure = Failure{"Parameters error", "DxfStepover"};
    return plan;
  }
  if (!(chordTolerance > 0) || !std::isfinite(chordTolerance)) {
    plan.failure = Failure{"Parameters error", "DxfChordTol"};
    return plan;
  }
  // Rings farther apart than the tool is wide would leave stock between them.
  stepover = std::min(stepover, 2 * toolRadius);
  const double tol = chordTolerance;

  double points = 0;
  for (const toolpath::Path& c : contours) {
    for (const toolpath::Vertex& v : c.v) {
      if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.bulge)) {
        plan.failure = Failure{std::string(kCoordinateTooLarge), {}};
        return plan;
      }
    }
    points += PointCount(c, tol);
  }
  if (auto refusal = CheckLimit(LimitId::kVertices, points)) {
    plan.failure = std::move(*refusal);
    return plan;
  }

  std::vector<std::size_t> tooSmall;
  std::vector<std::size_t> narrow;
  std::vector<std::size_t> crossing;
  std::vector<std::size_t> repeated;

  // Each contour's polygon, its arcs by chords, to find which holds which.
  std::vector<Contour> items(contours.size());
  for (std::size_t i = 0; i < contours.size(); ++i) {
    Contour& c = items[i];
    if (contours[i].v.size() < 2) {
      tooSmall.push_back(i + 1);
      continue;
    }
    c.orientation = Orientation(contours[i]);
    c.poly = PolygonOf(PointsOf(contours[i], tol, true, c.orientation));
    c.area = std::abs(bg::area(c.poly));
    bg::envelope(c.poly, c.box);
    // A ring of fewer than three distinct points holds no area; a contour
    // that crosses itself has no inside to clear.
    if (c.poly.outer().size() < 4 || !(c.area > 0)) {
      if (c.poly.outer().size() >= 4 && bg::intersects(c.poly)) {
        crossing.push_back(i + 1);
      } else {
        tooSmall.push_back(i + 1);
      }
      continue;
    }
    if (!bg::is_valid(c.poly)) {
      crossing.push_back(i + 1);
      continue;
    }
    c.usable = true;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].usable) continue;
    for (std::size_t j = 0; j < i; ++j) {
      if (items[j].usable && items[j].duplicateOf < 0 && Inside(items[i], items[j]) &&
          Inside(items[j], items[i])) {
        items[i].duplicateOf = static_cast<int>(j);
        repeated.push_back(i + 1);
        break;
      }
    }
  }
  // The holder of a contour is the smallest contour around it; depth counts
  // the holders, even depths bound pockets, odd ones are islands.
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].usable || items[i].duplicateOf >= 0) continue;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < items.size(); ++j) {
      if (j == i || !items[j].usable || items[j].duplicateOf >= 0) continue;
      if (items[j].area > items[i].area && items[j].area < best && Inside(items[i], items[j])) {
        best = items[j].area;
        items[i].parent = static_cast<int>(j);
      }
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    int depth = 0;
    for (int p = items[i].parent; p >= 0 && depth <= static_cast<int>(items.size());
         p = items[static_cast<std::size_t>(p)].parent) {
      ++depth;
    }
    items[i].depth = depth;
  }
  // Now that each contour's part is known, its arcs are approximated on the
  // side of the pocket's area: the area never takes in stock it does not own.
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].usable || items[i].duplicateOf >= 0) continue;
    const bool island = items[i].depth % 2 == 1;
    Poly p = PolygonOf(PointsOf(contours[i], tol, !island, items[i].orientation));
    if (bg::is_valid(p)) items[i].poly = std::move(p);
  }

  struct Pocket {
    std::size_t contour;
    MPoly area;
  };
  std::vector<Pocket> pockets;
  double rings = 0;
  double ringPoints = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Contour& c = items[i];
    if (!c.usable || c.duplicateOf >= 0 || c.depth % 2 == 1) continue;
    MPoly islands;
    for (const Contour& other : items) {
      if (!other.usable || other.duplicateOf >= 0 || other.parent != static_cast<int>(i)) continue;
      MPoly joined;
      bg::union_(islands, other.poly, joined);
      islands = std::move(joined);
    }
    Pocket pocket{i, {}};
    if (islands.empty()) {
      pocket.area.push_back(c.poly);
    } else {
      bg::difference(c.poly, islands, pocket.area);
    }
    // The rings this pocket may need, from the size of its bounding box, and
    // their points: checked before any is made.
    const double w = bg::get<bg::max_corner, 0>(c.box) - bg::get<bg::min_corner, 0>(c.box);
    const double h = bg::get<bg::max_corner, 1>(c.box) - bg::get<bg::min_corner, 1>(c.box);
    const double levels =
        std::max(0.0, std::floor((std::min(w, h) / 2 - toolRadius) / stepover)) + 1;
    rings += levels;
    ringPoints += levels * (static_cast<double>(bg::num_points(pocket.area)) +
                            PointsPerCircle(toolRadius + levels * stepover, tol));
    pockets.push_back(std::move(pocket));
  }
  if (auto refusal = CheckLimit(LimitId::kRings, rings)) {
    plan.failure = std::move(*refusal);
    return plan;
  }
  if (auto refusal = CheckLimit(LimitId::kVertices, ringPoints)) {
    plan.failure = std::move(*refusal);
    return plan;
  }

  for (const Pocket& pocket : pockets) {
    PocketPlanner planner(pocket.area, toolRadius, stepover, tol, climb);
    if (pocket.area.empty() || !planner.BuildLevels()) {
      tooSmall.push_back(pocket.contour + 1);
      continue;
    }
    if (planner.Splits()) narrow.push_back(pocket.contour + 1);
    for (toolpath::Path& path : planner.Plan())
      plan.pockets.push_back({std::move(path), pocket.contour});
  }

  // The notes name the contours as the caller numbers them.
  for (std::vector<std::size_t>* named : {&tooSmall, &narrow, &crossing, &repeated}) {
    for (std::size_t& n : *named) {
      if (n - 1 < numbers.size()) n = numbers[n - 1];
    }
  }
  std::sort(tooSmall.begin(), tooSmall.end());
  if (!tooSmall.empty()) {
    plan.notes.push_back(Naming(tooSmall, " is too small for the tool and is not cleared",
                                " are too small for the tool and are not cleared"));
  }
  if (!narrow.empty()) {
    plan.notes.push_back(Naming(narrow,
                                " narrows below the tool's width: the necks are not cleared",
                                " narrow below the tool's width: the necks are not cleared"));
  }
  if (!crossing.empty()) {
    plan.notes.push_back(Naming(crossing, " crosses itself and is not cleared",
                                " cross themselves and are not cleared"));
  }
  if (!repeated.empty()) {
    plan.notes.push_back(Naming(repeated, " repeats another contour and is cleared once",
                                " repeat other contours and are cleared once"));
  }
  return plan;
}

}  // namespace kelvora::generators
