#include "geometry/dxf_curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora::geometry {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// How close the samples follow the curve, as a share of the tolerance: the rest
// of the tolerance is left for the arcs laid over the samples.
constexpr double kSampleShare = 0.05;
constexpr double kFitShare = 0.85;
// Halvings of one starting part at the most: enough for any curve a drawing
// holds, and a bound on the work for a wild one.
constexpr int kMaxDepth = 40;

double Distance(Point a, Point b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}

double DistanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  if (len2 <= 0.0) return Distance(p, a);
  const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0);
  return Distance(p, {a.x + t * dx, a.y + t * dy});
}

// An angle brought into [0, 2 pi).
double Turn(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

class Sampler {
 public:
  Sampler(const CurveFunction& f, double tolerance) : f_(f), tol_(tolerance * kSampleShare) {}

  std::vector<Point> Run(std::size_t parts) {
    parts = std::clamp<std::size_t>(parts, 1, kMaxCurveSamples / 4);
    Point a = f_(0.0);
    points_.push_back(a);
    for (std::size_t i = 0; i < parts; ++i) {
      const double t0 = static_cast<double>(i) / static_cast<double>(parts);
      const double t1 = static_cast<double>(i + 1) / static_cast<double>(parts);
      const Point b = f_(t1);
      Split(t0, a, t1, b, 0);
      a = b;
    }
    return std::move(points_);
  }

 private:
  // Adds the samples after (t0, a) up to and including (t1, b).
  void Split(double t0, Point a, double t1, Point b, int depth) {
    const double tm = 0.5 * (t0 + t1);
    const Point m = f_(tm);
    // Both the middle and the quarter points: a curve that crosses its chord in
    // the middle (an S) is still seen to bend.
    const double dev =
        std::max({DistanceToSegment(m, a, b), DistanceToSegment(f_(0.5 * (t0 + tm)), a, b),
                  DistanceToSegment(f_(0.5 * (tm + t1)), a, b)});
    if (dev > tol_ && depth < kMaxDepth && points_.size() + 2 < kMaxCurveSamples) {
      Split(t0, a, tm, m, depth + 1);
      Split(tm, m, t1, b, depth + 1);
      return;
    }
    points_.push_back(b);
  }

  const CurveFunction& f_;
  double tol_;
  std::vector<Point> points_;
};

struct ArcFit {
  bool ok = false;
  double bulge = 0;
};

// Whether one line or one arc (through the first, middle and last sample) stays
// within `tol` of samples i..j, and the bulge that does.
ArcFit Fit(const std::vector<Point>& p, std::size_t i, std::size_t j, double tol) {
  if (j == i + 1) return {true, 0.0};
  const Point a = p[i];
  const Point b = p[j];
  bool line = true;
  for (std::size_t k = i + 1; k < j && line; ++k) line = DistanceToSegment(p[k], a, b) <= tol;
  if (line) return {true, 0.0};

  const Point m = p[(i + j) / 2];
  const double bx = m.x - a.x, by = m.y - a.y;
  const double cx = b.x - a.x, cy = b.y - a.y;
  const double d = 2.0 * (bx * cy - by * cx);
  if (d == 0.0 || !std::isfinite(d)) return {};
  const double b2 = bx * bx + by * by;
  const double c2 = cx * cx + cy * cy;
  const Point centre{a.x + (cy * b2 - by * c2) / d, a.y + (bx * c2 - cx * b2) / d};
  const double r = Distance(centre, a);
  if (!std::isfinite(r) || r <= 0.0) return {};
  // Turning left from a through m to b: the arc runs counter-clockwise.
  const bool ccw = ((m.x - a.x) * (b.y - m.y) - (m.y - a.y) * (b.x - m.x)) > 0.0;
  const double a0 = std::atan2(a.y - centre.y, a.x - centre.x);
  const double a1 = std::atan2(b.y - centre.y, b.x - centre.x);
  const double sweep = ccw ? Turn(a1 - a0) : Turn(a0 - a1);
  // Half a circle at the most: bulges stay at or under 1.
  if (sweep <= 0.0 || sweep > std::numbers::pi) return {};
  for (std::size_t k = i + 1; k < j; ++k) {
    if (std::fabs(Distance(p[k], centre) - r) > tol) return {};
    const double ak = std::atan2(p[k].y - centre.y, p[k].x - centre.x);
    const double along = ccw ? Turn(ak - a0) : Turn(a0 - ak);
    if (along > sweep + 1e-9) return {};
  }
  const double signedSweep = ccw ? sweep : -sweep;
  return {true, std::tan(signedSweep / 4.0)};
}

}  // namespace

std::vector<Vertex> ApproximateCurve(const CurveFunction& f, double tolerance, std::size_t spans,
                                     std::size_t* samples) {
  if (!(tolerance > 0.0)) tolerance = 1e-6;
  const std::vector<Point> p = Sampler(f, tolerance).Run(spans * 4);
  if (samples != nullptr) *samples += p.size();
  const double tol = tolerance * kFitShare;
  std::vector<Vertex> out;
  const std::size_t last = p.size() - 1;
  std::size_t i = 0;
  while (i < last) {
    // The longest run of samples one arc or line covers: doubling while it
    // fits, then halving the gap between the last fit and the first miss.
    std::size_t good = i + 1;
    double bulge = 0.0;
    std::size_t bad = last + 1;
    for (std::size_t len = 2; i + len <= last; len *= 2) {
      const ArcFit fit = Fit(p, i, i + len, tol);
      if (!fit.ok) {
        bad = i + len;
        break;
      }
      good = i + len;
      bulge = fit.bulge;
    }
    if (bad == last + 1 && good < last) {
      const ArcFit fit = Fit(p, i, last, tol);
      if (fit.ok) {
        good = last;
        bulge = fit.bulge;
      } else {
        bad = last;
      }
    }
    while (bad - good > 1 && good < last) {
      const std::size_t mid = good + (bad - good) / 2;
      const ArcFit fit = Fit(p, i, mid, tol);
      if (fit.ok) {
        good = mid;
        bulge = fit.bulge;
      } else {
        bad = mid;
      }
    }
    out.push_back({p[i].x, p[i].y, bulge});
    i = good;
  }
  out.push_back({p[last].x, p[last].y, 0.0});
  return out;
}

Point EllipsePoint(const dCEllipse& e, double t) {
  // The minor axis: the major one turned a quarter counter-clockwise (clockwise
  // seen from below), scaled by the ratio.
  const double mx = e.mirrored ? e.majorY : -e.majorY;
  const double my = e.mirrored ? -e.majorX : e.majorX;
  const double c = std::cos(t);
  const double s = std::sin(t);
  return {e.cx + e.majorX * c + e.ratio * mx * s, e.cy + e.majorY * c + e.ratio * my * s};
}

namespace {

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

// The B-spline of the control points, or nullopt when its numbers do not agree.
std::optional<SplineCurve> ControlCurve(const dCSpline& s) {
  const std::size_t n = std::min(s.cx.size(), s.cy.size());
  // Degrees above this are never written by drawing programs, and each
  // evaluation costs the square of the degree.
  constexpr int kMaxDegree = 25;
  if (s.degree < 1 || s.degree > kMaxDegree) return std::nullopt;
  const auto p = static_cast<std::size_t>(s.degree);
  if (n < p + 1 || s.knots.size() != n + p + 1) return std::nullopt;
  if (!std::is_sorted(s.knots.begin(), s.knots.end())) return std::nullopt;
  if (!AllFinite(s.knots)) return std::nullopt;
  const double k0 = s.knots[p];
  const double k1 = s.knots[n];
  if (!(k0 < k1)) return std::nullopt;
  std::vector<double> w(n, 1.0);
  if (s.weights.size() == n && AllFinite(s.weights) &&
      std::all_of(s.weights.begin(), s.weights.end(), [](double v) { return v > 0; })) {
    w = s.weights;
  }
  std::size_t spans = 0;
  for (std::size_t i = p; i < n; ++i) spans += s.knots[i] < s.knots[i + 1] ? 1 : 0;

  SplineCurve curve;
  curve.spans = std::max<std::size_t>(spans, 1) * 2;
  curve.closed = (s.flags & (kDxfSplineClosed | kDxfSplinePeriodic)) != 0;
  const std::vector<double> knots = s.knots;
  std::vector<double> xs(s.cx.begin(), s.cx.begin() + static_cast<std::ptrdiff_t>(n));
  std::vector<double> ys(s.cy.begin(), s.cy.begin() + static_cast<std::ptrdiff_t>(n));
  curve.f = [knots, xs, ys, w, p, n, k0, k1](double u) {
    const double t = std::clamp(k0 + u * (k1 - k0), k0, k1);
    // The span holding t: knots[span] <= t < knots[span + 1], the last span
    // for the end of the range.
    std::size_t span = static_cast<std::size_t>(
        std::upper_bound(knots.begin() + static_cast<std::ptrdiff_t>(p),
                         knots.begin() + static_cast<std::ptrdiff_t>(n), t) -
        knots.begin());
    span = std::clamp(span, p + 1, n) - 1;
    // De Boor's scheme on weighted points.
    std::vector<double> dx(p + 1), dy(p + 1), dw(p + 1);
    for (std::size_t j = 0; j <= p; ++j) {
      const std::size_t i = span - p + j;
      dx[j] = xs[i] * w[i];
      dy[j] = ys[i] * w[i];
      dw[j] = w[i];
    }
    for (std::size_t r = 1; r <= p; ++r) {
      for (std::size_t j = p; j >= r; --j) {
        const std::size_t i = span - p + j;
        const double den = knots[i + p - r + 1] - knots[i];
        const double alpha = den > 0 ? (t - knots[i]) / den : 0.0;
        dx[j] = (1 - alpha) * dx[j - 1] + alpha * dx[j];
        dy[j] = (1 - alpha) * dy[j - 1] + alpha * dy[j];
        dw[j] = (1 - alpha) * dw[j - 1] + alpha * dw[j];
      }
    }
    return Point{dx[p] / dw[p], dy[p] / dw[p]};
  };
  return curve;
}

// Second derivatives of a natural cubic through (t, v).
std::vector<double> NaturalCubic(const std::vector<double>& t, const std::vector<double>& v) {
  const std::size_t n = t.size();
  std::vector<double> m(n, 0.0), c(n, 0.0), d(n, 0.0);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double h0 = t[i] - t[i - 1];
    const double h1 = t[i + 1] - t[i];
    const double rhs = 6.0 * ((v[i + 1] - v[i]) / h1 - (v[i] - v[i - 1]) / h0);
    const double diag = 2.0 * (h0 + h1) - h0 * c[i - 1];
    c[i] = h1 / diag;
    d[i] = (rhs - h0 * d[i - 1]) / diag;
  }
  for (std::size_t i = n - 1; i-- > 1;) m[i] = d[i] - c[i] * m[i + 1];
  return m;
}

// A smooth curve through the fit points (a natural cubic of the distance along
// them), for splines written by their fit points alone.
std::optional<SplineCurve> FitCurve(const dCSpline& s) {
  std::vector<double> x, y;
  const std::size_t count = std::min(s.x.size(), s.y.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (!x.empty() && x.back() == s.x[i] && y.back() == s.y[i]) continue;
    x.push_back(s.x[i]);
    y.push_back(s.y[i]);
  }
  const bool closed = (s.flags & (kDxfSplineClosed | kDxfSplinePeriodic)) != 0;
  if (closed && x.size() > 2) {
    x.push_back(x.front());
    y.push_back(y.front());
  }
  if (x.size() < 2) return std::nullopt;
  std::vector<double> t(x.size(), 0.0);
  for (std::size_t i = 1; i < x.size(); ++i) {
    t[i] = t[i - 1] + std::hypot(x[i] - x[i - 1], y[i] - y[i - 1]);
  }
  if (!(t.back() > 0) || !std::isfinite(t.back())) return std::nullopt;
  SplineCurve curve;
  curve.spans = x.size() - 1;
  curve.closed = closed;
  const std::vector<double> mx = NaturalCubic(t, x);
  const std::vector<double> my = NaturalCubic(t, y);
  curve.f = [t, x, y, mx, my](double u) {
    const double at = std::clamp(u * t.back(), 0.0, t.back());
    std::size_t i = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), at) - t.begin());
    i = std::clamp<std::size_t>(i, 1, t.size() - 1) - 1;
    const double h = t[i + 1] - t[i];
    const double a = (t[i + 1] - at) / h;
    const double b = (at - t[i]) / h;
    auto value = [&](const std::vector<double>& v, const std::vector<double>& m) {
      return a * v[i] + b * v[i + 1] +
             ((a * a * a - a) * m[i] + (b * b * b - b) * m[i + 1]) * h * h / 6.0;
    };
    return Point{value(x, mx), value(y, my)};
  };
  return curve;
}

}  // namespace

std::optional<SplineCurve> SplineCurveOf(const dCSpline& spline, std::string* reason) {
  if (auto c = ControlCurve(spline)) return c;
  if (auto c = FitCurve(spline)) return c;
  if (reason != nullptr) {
    *reason = spline.cx.empty() && spline.x.empty() ? "no points" : "knots out of order or too few";
  }
  return std::nullopt;
}

}  // namespace kelvora::geometry
