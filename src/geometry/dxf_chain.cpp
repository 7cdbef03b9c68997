#include "geometry/dxf_chain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

namespace kelvora::geometry {
namespace {

// Groups points lying within a tolerance of each other (and so on, one after
// another) with a grid of cells as wide as the tolerance: only points in
// neighbouring cells need comparing.
class Clusters {
 public:
  static constexpr std::size_t kMaxPerCell = 16;

  Clusters(const std::vector<UnitPoint>& points, double tolerance) : parent_(points.size()) {
    std::iota(parent_.begin(), parent_.end(), std::size_t{0});
    const double cell = std::max(tolerance, 1e-9);
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> grid;
    auto key = [](std::int64_t ix, std::int64_t iy) {
      return (static_cast<std::uint64_t>(ix) * 0x9E3779B97F4A7C15ull) ^
             static_cast<std::uint64_t>(iy);
    };
    auto index = [cell](double v) {
      // Beyond about 9e18 cells every point shares the outermost cell.
      const double i = std::clamp(std::floor(v / cell), -9e18, 9e18);
      return std::isfinite(i) ? static_cast<std::int64_t>(i) : std::int64_t{0};
    };
    for (std::size_t n = 0; n < points.size(); ++n) {
      const std::int64_t ix = index(points[n].X);
      const std::int64_t iy = index(points[n].Y);
      for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
          const auto found = grid.find(key(ix + dx, iy + dy));
          if (found == grid.end()) continue;
          for (std::size_t m : found->second) {
            if (std::hypot(points[m].X - points[n].X, points[m].Y - points[n].Y) <= tolerance) {
              Join(m, n);
            }
          }
        }
      }
      // A cell crowded with ends (many pieces stacked on one spot) keeps only
      // its first few for comparing: the rest still join those, and the work
      // stays in proportion to the number of ends.
      std::vector<std::size_t>& here = grid[key(ix, iy)];
      if (here.size() < kMaxPerCell) here.push_back(n);
    }
  }

  std::size_t Root(std::size_t n) {
    while (parent_[n] != n) {
      parent_[n] = parent_[parent_[n]];
      n = parent_[n];
    }
    return n;
  }

 private:
  void Join(std::size_t a, std::size_t b) {
    a = Root(a);
    b = Root(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

  std::vector<std::size_t> parent_;
};

ChainPiece Reversed(const ChainPiece& p) {
  return {p.x1, p.y1, p.x0, p.y0, -p.b};
}

}  // namespace

void AppendPiece(CPolyLine& polyline, const ChainPiece& piece) {
  if (std::fabs(piece.b) <= 1.0) {
    polyline.x.push_back(piece.x0);
    polyline.y.push_back(piece.y0);
    polyline.b.push_back(piece.b);
    return;
  }
  // The arc's middle: off the chord's middle, to the right for a positive
  // bulge, by the bulge times half the chord; each half has the bulge of half
  // the angle.
  const double dx = piece.x1 - piece.x0;
  const double dy = piece.y1 - piece.y0;
  const double h = piece.b / 2.0;
  const double mx = (piece.x0 + piece.x1) / 2.0 + h * dy;
  const double my = (piece.y0 + piece.y1) / 2.0 - h * dx;
  const double half = std::tan(std::atan(piece.b) / 2.0);
  polyline.x.push_back(piece.x0);
  polyline.y.push_back(piece.y0);
  polyline.b.push_back(half);
  polyline.x.push_back(mx);
  polyline.y.push_back(my);
  polyline.b.push_back(half);
}

Chains ChainPieces(const std::vector<ChainPiece>& all, double tolerance) {
  Chains out;
  std::vector<ChainPiece> pieces;
  pieces.reserve(all.size());
  for (const ChainPiece& p : all) {
    // A piece whose ends meet is left out: a straight one has no length, and an
    // arc that is a whole circle comes as two halves.
    if (std::hypot(p.x1 - p.x0, p.y1 - p.y0) > tolerance) pieces.push_back(p);
  }
  const std::size_t n = pieces.size();
  if (n == 0) return out;

  // Ends 2i (start) and 2i + 1 (end) of piece i, grouped into nodes.
  std::vector<UnitPoint> ends;
  ends.reserve(2 * n);
  for (const ChainPiece& p : pieces) {
    ends.emplace_back(p.x0, p.y0);
    ends.emplace_back(p.x1, p.y1);
  }
  Clusters clusters(ends, tolerance);
  std::vector<std::size_t> node(2 * n);
  std::unordered_map<std::size_t, std::vector<std::size_t>> at;  // node -> ends
  for (std::size_t e = 0; e < 2 * n; ++e) {
    node[e] = clusters.Root(e);
    at[node[e]].push_back(e);
  }
  auto degree = [&](std::size_t nd) { return at[nd].size(); };

  std::vector<bool> used(n, false);
  // Follows pieces from end `e` (the piece leaves its node there) until an end
  // no other piece meets, a branch, or the start again.
  auto walk = [&](std::size_t e) {
    auto poly = std::make_unique<CPolyLine>();
    const std::size_t start = node[e];
    std::size_t cur = start;
    ChainPiece last{};
    for (;;) {
      const std::size_t piece = e / 2;
      used[piece] = true;
      last = (e % 2 == 0) ? pieces[piece] : Reversed(pieces[piece]);
      AppendPiece(*poly, last);
      const std::size_t other = e ^ 1u;
      cur = node[other];
      if (cur == start || degree(cur) != 2) break;
      // The node's other end, on a piece not yet taken.
      const std::vector<std::size_t>& pair = at[cur];
      const std::size_t next = pair[0] == other ? pair[1] : pair[0];
      if (used[next / 2]) break;
      e = next;
    }
    if (cur == start) {
      poly->m_PolyLineFlag = kPolyLineClosed;
    } else {
      poly->x.push_back(last.x1);
      poly->y.push_back(last.y1);
      poly->b.push_back(0.0);
    }
    poly->m_VertexCount = static_cast<std::uint32_t>(poly->x.size());
    out.contours.push_back(std::move(poly));
  };

  // Chains with a free end start there; then those from branches; what is left
  // are loops through points where exactly two ends meet.
  for (std::size_t e = 0; e < 2 * n; ++e) {
    if (!used[e / 2] && degree(node[e]) == 1) walk(e);
  }
  for (std::size_t e = 0; e < 2 * n; ++e) {
    if (!used[e / 2] && degree(node[e]) > 2) walk(e);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!used[i]) walk(2 * i);
  }
  std::unordered_set<std::size_t> seen;
  for (std::size_t e = 0; e < 2 * n; ++e) {
    if (degree(node[e]) > 2 && seen.insert(node[e]).second) out.branches.push_back(ends[e]);
  }
  return out;
}

}  // namespace kelvora::geometry
