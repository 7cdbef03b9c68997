#include "generators/hole_order.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <numeric>

namespace kelvora::generators {

using geometry::UnitPoint;

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

double Distance(const UnitPoint& a, const UnitPoint& b) {
  const double dx = a.X - b.X;
  const double dy = a.Y - b.Y;
  return std::sqrt(dx * dx + dy * dy);
}

double Distance2(const UnitPoint& a, const UnitPoint& b) {
  const double dx = a.X - b.X;
  const double dy = a.Y - b.Y;
  return dx * dx + dy * dy;
}

// A 2-d tree over the points, kept in one array: the node of a range [lo, hi)
// is its middle element, the points before it lie on one side of its splitting
// line and those after it on the other. The tree names each point by its place
// in that array, so points near each other are near in memory too. Points can
// be taken out, so it answers both "the k nearest points" and "the nearest
// point not visited yet"; each node counts the points left in its range, so
// emptied ranges are skipped.
class PointTree {
 public:
  explicit PointTree(std::span<const UnitPoint> points)
      : points_(points),
        index_(points.size()),
        splitY_(points.size()),
        left_(points.size()),
        count_(points.size()) {
    std::iota(index_.begin(), index_.end(), std::size_t{0});
    Build(0, points.size());
    at_.reserve(points.size());
    for (std::size_t i : index_) at_.push_back(points[i]);
    std::fill(left_.begin(), left_.end(), std::uint8_t{1});
  }

  // The points in tree order, and the point each place holds.
  std::span<const UnitPoint> Points() const { return at_; }
  std::size_t PointAt(std::size_t place) const { return index_[place]; }
  std::size_t PlaceOf(std::size_t point) const {
    return static_cast<std::size_t>(std::find(index_.begin(), index_.end(), point) -
                                    index_.begin());
  }

  // The nearest point still in the tree; kNone when it is empty.
  std::size_t Nearest(const UnitPoint& q) const {
    std::size_t best = kNone;
    double bestD2 = std::numeric_limits<double>::infinity();
    Nearest(0, points_.size(), q, best, bestD2);
    return best;
  }

  void Remove(std::size_t at) {
    std::size_t lo = 0;
    std::size_t hi = points_.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      --count_[mid];
      if (at == mid) {
        left_[mid] = 0;
        return;
      }
      if (at < mid) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
  }

  // The `k` points nearest to the point at `point` (itself left out), nearest
  // first, whether or not they were taken out.
  void KNearest(std::size_t point, std::size_t k, std::vector<std::size_t>& out) const {
    std::vector<std::pair<double, std::size_t>> best;
    best.reserve(k + 1);
    KNearest(0, points_.size(), point, k, best);
    out.clear();
    for (const auto& [d2, i] : best) out.push_back(i);
  }

 private:
  void Build(std::size_t lo, std::size_t hi) {
    if (hi - lo < 2) {
      if (hi > lo) count_[lo] = 1;
      return;
    }
    // Split across the wider side of the range's bounding box.
    double x0 = std::numeric_limits<double>::infinity();
    double x1 = -x0;
    double y0 = x0;
    double y1 = -x0;
    for (std::size_t k = lo; k < hi; ++k) {
      const UnitPoint& p = points_[index_[k]];
      x0 = std::min(x0, p.X);
      x1 = std::max(x1, p.X);
      y0 = std::min(y0, p.Y);
      y1 = std::max(y1, p.Y);
    }
    const bool byY = y1 - y0 > x1 - x0;
    const std::size_t mid = lo + (hi - lo) / 2;
    std::nth_element(index_.begin() + static_cast<std::ptrdiff_t>(lo),
                     index_.begin() + static_cast<std::ptrdiff_t>(mid),
                     index_.begin() + static_cast<std::ptrdiff_t>(hi),
                     [&](std::size_t a, std::size_t b) {
                       return byY ? points_[a].Y < points_[b].Y : points_[a].X < points_[b].X;
                     });
    splitY_[mid] = byY ? 1 : 0;
    count_[mid] = hi - lo;
    Build(lo, mid);
    Build(mid + 1, hi);
  }

  double Across(std::size_t mid, const UnitPoint& q) const {
    const UnitPoint& p = at_[mid];
    return splitY_[mid] ? q.Y - p.Y : q.X - p.X;
  }

  void Nearest(std::size_t lo, std::size_t hi, const UnitPoint& q, std::size_t& best,
               double& bestD2) const {
    if (lo >= hi) return;
    const std::size_t mid = lo + (hi - lo) / 2;
    if (count_[mid] == 0) return;
    if (left_[mid]) {
      const double d2 = Distance2(q, at_[mid]);
      if (d2 < bestD2) {
        bestD2 = d2;
        best = mid;
      }
    }
    const double across = Across(mid, q);
    const bool below = across < 0;
    Nearest(below ? lo : mid + 1, below ? mid : hi, q, best, bestD2);
    if (across * across < bestD2) Nearest(below ? mid + 1 : lo, below ? hi : mid, q, best, bestD2);
  }

  void KNearest(std::size_t lo, std::size_t hi, std::size_t point, std::size_t k,
                std::vector<std::pair<double, std::size_t>>& best) const {
    if (lo >= hi) return;
    const std::size_t mid = lo + (hi - lo) / 2;
    const UnitPoint& q = at_[point];
    if (mid != point) {
      const double d2 = Distance2(q, at_[mid]);
      if (best.size() < k || d2 < best.back().first) {
        const std::pair<double, std::size_t> found{d2, mid};
        best.insert(std::upper_bound(best.begin(), best.end(), found), found);
        if (best.size() > k) best.pop_back();
      }
    }
    const double across = Across(mid, q);
    const bool below = across < 0;
    KNearest(below ? lo : mid + 1, below ? mid : hi, point, k, best);
    if (best.size() < k || across * across < best.back().first) {
      KNearest(below ? mid + 1 : lo, below ? hi : mid, point, k, best);
    }
  }

  std::span<const UnitPoint> points_;
  std::vector<std::size_t> index_;  // the points in tree order
  std::vector<UnitPoint> at_;       // and their coordinates
  std::vector<std::uint8_t> splitY_;
  std::vector<std::uint8_t> left_;  // the point at this place is still in the tree
  std::vector<std::size_t> count_;  // points still in the node's range
};

// The path from the place `start`, always on to the nearest place not yet
// visited; it takes every point out of the tree.
std::vector<std::size_t> NearestNeighbourPath(PointTree& tree, std::size_t start) {
  std::vector<std::size_t> path;
  path.reserve(tree.Points().size());
  std::size_t at = start;
  for (;;) {
    tree.Remove(at);
    path.push_back(at);
    at = tree.Nearest(tree.Points()[at]);
    if (at == kNone) return path;
  }
}

// 2-opt on an open path whose first point is fixed and whose end is free. A move
// replaces the links after the places i and j (i < j) by the links i-j and
// (i+1)-(j+1), reversing the part between them; at the end of the path j has
// no link after it and the move simply turns the tail round. A second kind of
// move takes a run of one to three points out and puts it in elsewhere. Each point is
// tried against its nearest neighbours only, and a point whose neighbourhood
// gave no move is not looked at again until one of its links changes.
class TwoOpt {
 public:
  // Neighbours per point, and the work (points looked at and places reversed)
  // allowed per point of the list.
  static constexpr std::size_t kNeighbours = 8;
  static constexpr std::size_t kWorkPerPoint = 150;
  // No single move reverses more places than this, so a move costs little
  // against the rest of the work however long the list.
  static constexpr std::size_t kLongestReversal = 50000;
  // Runs of up to this many points are moved elsewhere whole.
  static constexpr std::size_t kLongestShift = 3;

  // `path` and the tree's neighbours name the points by their places in the tree.
  TwoOpt(const PointTree& tree, std::vector<std::size_t> path)
      : tree_(tree), points_(tree.Points()), path_(std::move(path)), place_(points_.size()) {
    for (std::size_t k = 0; k < path_.size(); ++k) place_[path_[k]] = k;
    budget_ = kWorkPerPoint * points_.size() + 10000;
  }

  std::vector<std::size_t> Run() {
    const std::size_t n = points_.size();
    const std::size_t k = std::min(kNeighbours, n - 1);
    neighbours_.resize(n * k);
    std::vector<std::size_t> near;
    for (std::size_t p = 0; p < n; ++p) {
      tree_.KNearest(p, k, near);
      std::copy(near.begin(), near.end(), neighbours_.begin() + static_cast<std::ptrdiff_t>(p * k));
    }
    k_ = k;
    queued_.assign(n, 1);
    queue_.assign(path_.begin(), path_.end());
    while (!queue_.empty() && work_ < budget_) {
      const std::size_t a = queue_.front();
      queue_.pop_front();
      queued_[a] = 0;
      if (Improve(a)) Queue(a);
    }
    return std::move(path_);
  }

 private:
  double D(std::size_t a, std::size_t b) const { return Distance(points_[a], points_[b]); }

  void Queue(std::size_t p) {
    if (queued_[p]) return;
    queued_[p] = 1;
    queue_.push_back(p);
  }

  bool Move(std::size_t i, std::size_t j) {
    const std::size_t last = path_.size() - 1;
    if (j < i + 2 || j - i > kLongestReversal) return false;
    const std::size_t a = path_[i];
    const std::size_t b = path_[i + 1];
    const std::size_t c = path_[j];
    const bool tail = j == last;
    const std::size_t d = tail ? kNone : path_[j + 1];
    const double gain = D(a, b) - D(a, c) + (tail ? 0.0 : D(c, d) - D(b, d));
    if (!(gain > 1e-9)) return false;
    std::reverse(path_.begin() + static_cast<std::ptrdiff_t>(i + 1),
                 path_.begin() + static_cast<std::ptrdiff_t>(j + 1));
    for (std::size_t k = i + 1; k <= j; ++k) place_[path_[k]] = k;
    work_ += j - i;
    Queue(a);
    Queue(b);
    Queue(c);
    if (!tail) Queue(d);
    return true;
  }

  // Calls `attempt` with each near neighbour of `a` nearer than `within`, and
  // its place on the path, nearest first, until an attempt makes a move.
  template <class Attempt>
  bool Neighbours(std::size_t a, double within, Attempt attempt) {
    const std::size_t* near = neighbours_.data() + a * k_;
    for (std::size_t n = 0; n < k_; ++n) {
      ++work_;
      const std::size_t c = near[n];
      const double ac = D(a, c);
      if (ac >= within) return false;
      if (attempt(c, ac, place_[c])) return true;
    }
    return false;
  }

  // Tries to link `a` to one of its near neighbours in place of the link to the
  // point after it, then of the link to the point before it, then to move the
  // run it starts next to one of them.
  bool Improve(std::size_t a) {
    const std::size_t last = path_.size() - 1;
    const std::size_t i = place_[a];
    const double inf = std::numeric_limits<double>::infinity();
    const double next = i < last ? D(a, path_[i + 1]) : inf;
    if (Neighbours(a, next, [&](std::size_t, double, std::size_t j) {
          return j > i ? Move(i, j) : Move(j, i);
        })) {
      return true;
    }
    if (i == 0) return false;
    if (Neighbours(a, D(a, path_[i - 1]), [&](std::size_t, double, std::size_t j) {
          return j > i ? Move(i - 1, j - 1) : (j > 0 && Move(j - 1, i - 1));
        })) {
      return true;
    }
    for (std::size_t length = 1; length <= kLongestShift && i + length - 1 <= last; ++length) {
      if (Shift(i, length)) return true;
    }
    return false;
  }

  // Takes the `length` points from place p on out of the path and puts them
  // back next to one of the first point's near neighbours, either way round.
  bool Shift(std::size_t p, std::size_t length) {
    const std::size_t last = path_.size() - 1;
    const std::size_t e = p + length - 1;
    const std::size_t first = path_[p];
    const std::size_t end = path_[e];
    const std::size_t before = path_[p - 1];
    const bool tail = e == last;
    // What taking the points out saves.
    const double saved =
        D(before, first) + (tail ? 0.0 : D(end, path_[e + 1]) - D(before, path_[e + 1]));
    return Neighbours(first, saved, [&](std::size_t c, double cFirst, std::size_t j) {
      if (j >= p && j <= e) return false;
      // After c, in the same direction: c, first .. end, then what followed c.
      if (j != p - 1) {
        const double rejoin = j == last ? 0.0 : D(end, path_[j + 1]) - D(c, path_[j + 1]);
        if (saved - cFirst - rejoin > 1e-9 && Place(p, e, j, false)) return true;
      }
      // Before c, turned round: what preceded c, end .. first, then c.
      if (j > 0 && j - 1 != e) {
        const std::size_t g = path_[j - 1];
        const double rejoin = D(g, end) - D(g, c);
        if (saved - cFirst - rejoin > 1e-9 && Place(p, e, j - 1, true)) return true;
      }
      return false;
    });
  }

  // Moves the places p..e to just after place g (g outside p-1..e), turned
  // round when `reversed`.
  bool Place(std::size_t p, std::size_t e, std::size_t g, bool reversed) {
    const std::size_t lo = g > e ? p : g + 1;
    const std::size_t hi = g > e ? g : e;  // the range shifted, inclusive
    if (hi - lo > kLongestReversal) return false;
    const auto at = [&](std::size_t k) { return path_.begin() + static_cast<std::ptrdiff_t>(k); };
    const std::size_t length = e - p + 1;
    std::size_t from = 0;
    if (g > e) {
      std::rotate(at(p), at(e + 1), at(g + 1));
      from = g + 1 - length;
    } else {
      std::rotate(at(g + 1), at(p), at(e + 1));
      from = g + 1;
    }
    if (reversed) std::reverse(at(from), at(from + length));
    for (std::size_t k = lo; k <= hi; ++k) place_[path_[k]] = k;
    work_ += hi - lo + 1;
    for (std::size_t k :
         {lo - 1, lo, hi, hi + 1, from - 1, from, from + length - 1, from + length}) {
      if (k < path_.size()) Queue(path_[k]);
    }
    return true;
  }

  const PointTree& tree_;
  std::span<const UnitPoint> points_;
  std::vector<std::size_t> path_;
  std::vector<std::size_t> place_;  // each point's place on the path
  std::vector<std::size_t> neighbours_;
  std::size_t k_ = 0;
  std::vector<std::uint8_t> queued_;
  std::deque<std::size_t> queue_;
  std::size_t work_ = 0;
  std::size_t budget_ = 0;
};

}  // namespace

double RapidLength(std::span<const UnitPoint> points, std::span<const std::size_t> order) {
  double length = 0;
  for (std::size_t k = 1; k < order.size(); ++k) {
    length += Distance(points[order[k - 1]], points[order[k]]);
  }
  return length;
}

double RapidLength(std::span<const UnitPoint> points) {
  double length = 0;
  for (std::size_t k = 1; k < points.size(); ++k) length += Distance(points[k - 1], points[k]);
  return length;
}

std::vector<std::size_t> ShortestOrder(std::span<const UnitPoint> points) {
  std::vector<std::size_t> listed(points.size());
  std::iota(listed.begin(), listed.end(), std::size_t{0});
  if (points.size() < 3) return listed;
  // Coordinates whose squared distances overflow cannot be compared: such a list
  // stays as it is (its program is refused for its numbers anyway).
  const bool measurable = std::all_of(points.begin(), points.end(), [](const UnitPoint& p) {
    return std::abs(p.X) < 1e150 && std::abs(p.Y) < 1e150;
  });
  if (!measurable) return listed;
  PointTree tree(points);
  std::vector<std::size_t> path = TwoOpt(tree, NearestNeighbourPath(tree, tree.PlaceOf(0))).Run();
  for (std::size_t& p : path) p = tree.PointAt(p);
  if (RapidLength(points, path) > RapidLength(points)) return listed;
  return path;
}

}  // namespace kelvora::generators
