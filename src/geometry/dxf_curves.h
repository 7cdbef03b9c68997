// Curves of a drawing (ellipses, splines, arcs under a stretching placement)
// turned into arcs and lines a controller can cut: the approximation stays within
// a chord tolerance of the curve at every sampled point, and takes arcs where
// arcs fit, so a round curve gives a few arcs instead of hundreds of short lines.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geometry/dxf.h"
#include "geometry/plane.h"

namespace kelvora::geometry {

// A curve as a function of a parameter running from 0 to 1.
using CurveFunction = std::function<Point(double)>;

// The most samples one curve is split into, and so the most segments its
// approximation has: beyond, the curve is followed less closely rather than
// exhausting memory.
inline constexpr std::size_t kMaxCurveSamples = 200'000;

// Arcs and lines from f(0) to f(1), each sample of the curve within `tolerance`
// of them. `spans` is how many equal parts the parameter range is cut into before
// the curve's own bends decide (at least one; a spline's knot spans, say). The
// result runs from f(0) (its first vertex) to f(1) (its last vertex, bulge 0).
// `samples`, when given, is increased by the number of samples taken.
std::vector<Vertex> ApproximateCurve(const CurveFunction& f, double tolerance,
                                     std::size_t spans = 8, std::size_t* samples = nullptr);

// A spline as a curve of the parameter 0..1: its B-spline when the degree,
// knots and control points (and weights, when given) agree, otherwise a smooth
// curve through its fit points. nullopt with the reason when it has neither.
struct SplineCurve {
  CurveFunction f;
  std::size_t spans = 8;
  bool closed = false;
};
std::optional<SplineCurve> SplineCurveOf(const dCSpline& spline, std::string* reason);

// The point of an ellipse record at parameter t (radians).
Point EllipsePoint(const dCEllipse& e, double t);

}  // namespace kelvora::geometry
