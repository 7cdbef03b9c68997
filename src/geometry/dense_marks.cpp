#include "geometry/dense_marks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <unordered_set>
#include <utility>

namespace kelvora::geometry {
namespace {

// Points on the very edge of a stroke count, whatever the rounding.
constexpr double kEdge = 1e-9;
// A run of marks is worth merging only when it is this long at least.
constexpr std::size_t kMinimumRun = 16;

using RunSink = std::function<void(int y, int x1, int x2)>;

// The picture's pixels a shape may touch, and where the runs found go.
template <class Sink>
class Clip {
 public:
  Clip(int width, int height, const Sink& run) : w_(width), h_(height), run_(run) {}

  int FirstRow(double top) const { return std::max(0, static_cast<int>(std::ceil(top - kEdge))); }
  int LastRow(double bottom) const {
    return std::min(h_ - 1, static_cast<int>(std::floor(std::min(bottom + kEdge, 1e9))));
  }
  // The pixels whose centres lie in [lo, hi] on row y.
  void Span(int y, double lo, double hi) const {
    if (!(lo <= hi)) return;
    const double first = std::max(0.0, std::ceil(lo - kEdge));
    const double last = std::min(static_cast<double>(w_ - 1), std::floor(hi + kEdge));
    if (first > last) return;
    run_(y, static_cast<int>(first), static_cast<int>(last));
  }
  int Width() const { return w_; }

 private:
  int w_;
  int h_;
  const Sink& run_;
};

double HalfWidth(const Pen& pen) {
  return std::max(0.5, static_cast<double>(pen.width) / 2.0);
}

// [lo, hi] ∪= the interval of x where a·x + b lies in [low, high].
bool LinearRange(double a, double b, double low, double high, double& lo, double& hi) {
  if (a == 0) {
    if (b < low - kEdge || b > high + kEdge) return false;
    lo = -1e18;
    hi = 1e18;
    return true;
  }
  double x1 = (low - b) / a;
  double x2 = (high - b) / a;
  if (x1 > x2) std::swap(x1, x2);
  lo = x1;
  hi = x2;
  return true;
}

// The pixels within `hw` of the segment from (x1, y1) to (x2, y2): on every row
// the union of the two end discs and the band along the segment, one interval
// since the shape is convex.
template <class C>
void SegmentRuns(double x1, double y1, double x2, double y2, double hw, const C& clip) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double length = std::hypot(dx, dy);
  const int top = clip.FirstRow(std::min(y1, y2) - hw);
  const int bottom = clip.LastRow(std::max(y1, y2) + hw);
  for (int y = top; y <= bottom; ++y) {
    double lo = 1e18;
    double hi = -1e18;
    auto disc = [&](double cx, double cy) {
      const double d = y - cy;
      if (std::fabs(d) > hw + kEdge) return;
      const double s = std::sqrt(std::max(0.0, hw * hw - d * d));
      lo = std::min(lo, cx - s);
      hi = std::max(hi, cx + s);
    };
    disc(x1, y1);
    disc(x2, y2);
    if (length > 0) {
      const double ux = dx / length;
      const double uy = dy / length;
      // Across: |-uy (x - x1) + ux (y - y1)| <= hw; along: 0 <= ux (x - x1) + uy (y - y1) <= L.
      double aLo, aHi, bLo, bHi;
      const bool across = LinearRange(-uy, uy * x1 + ux * (y - y1), -hw, hw, aLo, aHi);
      const bool along = LinearRange(ux, -ux * x1 + uy * (y - y1), 0, length, bLo, bHi);
      if (across && along && std::max(aLo, bLo) <= std::min(aHi, bHi)) {
        lo = std::min(lo, std::max(aLo, bLo));
        hi = std::max(hi, std::min(aHi, bHi));
      }
    }
    clip.Span(y, lo, hi);
  }
}

// Degrees clockwise on the screen from +X, in [0, 360).
double ScreenAngle(double dx, double dy) {
  double a = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
  if (a < 0) a += 360.0;
  return a;
}

bool WithinSweep(double angle, double start, double sweep) {
  if (std::fabs(sweep) >= 360.0) return true;
  if (sweep >= 0) return std::fmod(std::fmod(angle - start, 360.0) + 720.0, 360.0) <= sweep + kEdge;
  return std::fmod(std::fmod(start - angle, 360.0) + 720.0, 360.0) <= -sweep + kEdge;
}

// The pixels within `hw` of the circle of centre (cx, cy) and radius r, those
// of an arc only where their direction from the centre lies in its sweep.
template <class C>
void CircleRuns(double cx, double cy, double r, double hw, const C& clip, bool arc = false,
                double start = 0, double sweep = 360) {
  const double outer = r + hw;
  const double inner = r - hw;
  const int top = clip.FirstRow(cy - outer);
  const int bottom = clip.LastRow(cy + outer);
  for (int y = top; y <= bottom; ++y) {
    const double d = y - cy;
    if (std::fabs(d) > outer + kEdge) continue;
    const double xo = std::sqrt(std::max(0.0, outer * outer - d * d));
    std::pair<double, double> pieces[2] = {{cx - xo, cx + xo}, {1, 0}};
    if (inner > 0 && std::fabs(d) < inner) {
      const double xi = std::sqrt(inner * inner - d * d);
      pieces[0] = {cx - xo, cx - xi};
      pieces[1] = {cx + xi, cx + xo};
    }
    for (const auto& [lo, hi] : pieces) {
      if (!arc) {
        clip.Span(y, lo, hi);
        continue;
      }
      // Pixel by pixel along the row, within the picture only.
      const int first = std::max(0, static_cast<int>(std::ceil(std::max(lo, -1.0) - kEdge)));
      const int last =
          std::min(clip.Width() - 1, static_cast<int>(std::floor(std::min(hi, 1e9) + kEdge)));
      int runStart = -1;
      for (int x = first; x <= last + 1; ++x) {
        const bool in = x <= last && WithinSweep(ScreenAngle(x - cx, d), start, sweep);
        if (in && runStart < 0) runStart = x;
        if (!in && runStart >= 0) {
          clip.Span(y, runStart, x - 1);
          runStart = -1;
        }
      }
    }
  }
}

template <class C>
struct Runs {
  const C& clip;

  bool operator()(const LinePrim& p) const {
    if (p.pen.dashed) return false;
    SegmentRuns(p.x1, p.y1, p.x2, p.y2, HalfWidth(p.pen), clip);
    return true;
  }
  bool operator()(const EllipsePrim& p) const {
    if (p.pen.dashed || p.width != p.height) return false;
    if (p.width < 0) return true;
    CircleRuns(p.x + p.width / 2.0, p.y + p.height / 2.0, p.width / 2.0, HalfWidth(p.pen), clip);
    return true;
  }
  bool operator()(const ArcPrim& p) const {
    if (p.pen.dashed || p.width != p.height) return false;
    if (p.width < 0 || p.sweepAngle == 0) return true;
    // A whole turn (every hole of a drilling preview) is a circle: no angles.
    const bool whole = std::fabs(p.sweepAngle) >= 360.0;
    CircleRuns(p.x + p.width / 2.0, p.y + p.height / 2.0, p.width / 2.0, HalfWidth(p.pen), clip,
               !whole, p.startAngle, p.sweepAngle);
    return true;
  }
  bool operator()(const RectPrim& p) const {
    if (p.pen.dashed && !p.filled) return false;
    if (p.width < 0 || p.height < 0) return true;
    if (p.filled) {
      const int top = std::max(0, p.y);
      const int bottom = std::min(p.y + p.height - 1, clip.LastRow(1e9));
      for (int y = top; y <= bottom; ++y) clip.Span(y, p.x, p.x + p.width - 1.0);
      return true;
    }
    const double hw = HalfWidth(p.pen);
    const double l = p.x, t = p.y, r = p.x + p.width, b = p.y + p.height;
    SegmentRuns(l, t, r, t, hw, clip);
    SegmentRuns(r, t, r, b, hw, clip);
    SegmentRuns(r, b, l, b, hw, clip);
    SegmentRuns(l, b, l, t, hw, clip);
    return true;
  }
  bool operator()(const TextPrim&) const { return false; }
};

// The pen of a primitive that may be merged, or null (text, dashed pens,
// shapes that are not circular).
const Pen* MergeablePen(const Primitive& item) {
  return std::visit(
      [](const auto& p) -> const Pen* {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, TextPrim>) {
          return nullptr;
        } else {
          if (p.pen.dashed) return nullptr;
          if constexpr (std::is_same_v<T, EllipsePrim> || std::is_same_v<T, ArcPrim>) {
            if (p.width != p.height) return nullptr;
          }
          if constexpr (std::is_same_v<T, RectPrim>) {
            if (p.filled) return nullptr;  // already the merged form
          }
          return &p.pen;
        }
      },
      item);
}

std::int64_t Floor(double v) {
  return static_cast<std::int64_t>(std::floor(std::clamp(v, -1e12, 1e12)));
}

// A key that two marks share when they lie within a pixel of each other: the
// kind, where it is and how big it is, each in whole pixels.
std::uint64_t AnchorOf(const Primitive& item) {
  auto mix = [](std::uint64_t h, std::int64_t v) {
    h ^= static_cast<std::uint64_t>(v) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h;
  };
  return std::visit(
      [&](const auto& p) -> std::uint64_t {
        using T = std::decay_t<decltype(p)>;
        std::uint64_t h = item.index();
        if constexpr (std::is_same_v<T, LinePrim>) {
          h = mix(h, Floor((p.x1 + p.x2) / 2.0));
          h = mix(h, Floor((p.y1 + p.y2) / 2.0));
          h = mix(h, Floor(std::hypot(double(p.x2) - p.x1, double(p.y2) - p.y1)));
        } else if constexpr (std::is_same_v<T, EllipsePrim>) {
          h = mix(h, Floor(p.x + p.width / 2.0));
          h = mix(h, Floor(p.y + p.height / 2.0));
          h = mix(h, p.width);
        } else if constexpr (std::is_same_v<T, ArcPrim>) {
          const double r = p.width / 2.0;
          const double mid = (p.startAngle + p.sweepAngle / 2.0) * std::numbers::pi / 180.0;
          h = mix(h, Floor(p.x + r + r * std::cos(mid)));
          h = mix(h, Floor(p.y + r + r * std::sin(mid)));
          h = mix(h, p.width);
        } else if constexpr (std::is_same_v<T, RectPrim>) {
          h = mix(mix(mix(mix(h, p.x), p.y), p.width), p.height);
        }
        return h;
      },
      item);
}

bool Crowded(std::span<const Primitive> run) {
  std::unordered_set<std::uint64_t> seen;
  seen.reserve(run.size());
  std::size_t repeats = 0;
  for (const Primitive& item : run) {
    if (!seen.insert(AnchorOf(item)).second) ++repeats;
  }
  return repeats * 8 > run.size();
}

// The filled rectangles that cover exactly the pixels set in `covered`: each
// row's runs, a run carried down while the rows below repeat it.
void AppendCover(const std::vector<std::uint8_t>& covered, int width, int height, Rgb color,
                 std::vector<Primitive>& out) {
  struct Open {
    int x1, x2;
    std::size_t index;
  };
  std::vector<Open> open;
  std::vector<Open> next;
  for (int y = 0; y < height; ++y) {
    next.clear();
    std::size_t o = 0;
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width;) {
      if (!covered[row + static_cast<std::size_t>(x)]) {
        ++x;
        continue;
      }
      const int x1 = x;
      while (x < width && covered[row + static_cast<std::size_t>(x)]) ++x;
      const int x2 = x - 1;
      while (o < open.size() && open[o].x1 < x1) ++o;
      if (o < open.size() && open[o].x1 == x1 && open[o].x2 == x2) {
        ++std::get<RectPrim>(out[open[o].index]).height;
        next.push_back(open[o]);
      } else {
        RectPrim r{Pen{color, 1.0}, x1, y, x2 - x1 + 1, 1};
        r.filled = true;
        out.emplace_back(r);
        next.push_back({x1, x2, out.size() - 1});
      }
    }
    std::swap(open, next);
  }
}

template <class Sink>
bool TouchedRuns(const Primitive& item, int width, int height, const Sink& run) {
  const Clip<Sink> clip(std::max(width, 0), std::max(height, 0), run);
  return std::visit(Runs<Clip<Sink>>{clip}, item);
}

}  // namespace

bool ForEachTouchedRun(const Primitive& item, int width, int height, const RunSink& run) {
  return TouchedRuns(item, width, height, run);
}

std::vector<Rgb> PaintedPixels(const Picture& picture) {
  const int w = std::max(0, picture.width);
  const int h = std::max(0, picture.height);
  std::vector<Rgb> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h),
                          picture.background);
  for (const Primitive& item : picture.items) {
    const Rgb color = std::visit(
        [](const auto& p) -> Rgb {
          if constexpr (std::is_same_v<std::decay_t<decltype(p)>, TextPrim>) {
            return p.Brush();
          } else {
            return p.pen.color;
          }
        },
        item);
    ForEachTouchedRun(item, w, h, [&](int y, int x1, int x2) {
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
      std::fill(
          pixels.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(x1)),
          pixels.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(x2) + 1),
          color);
    });
  }
  return pixels;
}

std::size_t MergeDenseMarks(Picture& picture) {
  const int w = picture.width;
  const int h = picture.height;
  if (w <= 0 || h <= 0 || picture.items.size() < kMinimumRun) return 0;
  std::vector<Primitive>& items = picture.items;
  std::vector<Primitive> out;
  bool changed = false;
  std::vector<std::uint8_t> covered;
  for (std::size_t i = 0; i < items.size();) {
    const Pen* pen = MergeablePen(items[i]);
    std::size_t end = i + 1;
    if (pen) {
      while (end < items.size()) {
        const Pen* next = MergeablePen(items[end]);
        if (!next || !(*next == *pen)) break;
        ++end;
      }
    }
    const std::span<const Primitive> run(items.data() + i, end - i);
    if (!pen || run.size() < kMinimumRun || !Crowded(run)) {
      if (changed) {
        for (const Primitive& item : run) out.push_back(item);
      }
      i = end;
      continue;
    }
    if (!changed) {
      out.reserve(i + 1024);
      out.assign(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    }
    covered.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    const auto cover = [&](int y, int x1, int x2) {
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
      std::fill(
          covered.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(x1)),
          covered.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(x2) + 1),
          std::uint8_t{1});
    };
    for (const Primitive& item : run) TouchedRuns(item, w, h, cover);
    AppendCover(covered, w, h, pen->color, out);
    i = end;
  }
  if (!changed) return 0;
  const std::size_t before = items.size();
  items = std::move(out);
  return before > items.size() ? before - items.size() : 0;
}

}  // namespace kelvora::geometry
