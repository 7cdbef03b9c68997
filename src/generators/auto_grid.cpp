#include "generators/auto_grid.h"

#include <algorithm>
#include <cmath>

#include "generators/limits.h"
#include "text/number_format.h"

namespace kelvora::generators {
namespace {

// Lines are counted from 1; the second, fourth, ... are the "even" ones that carry
// the stagger, the reversal and the missing point.
bool IsEven(int line) {
  return line % 2 == 0;
}

int LinePoints(const AutoGridParams& p, int lineIndex, int full) {
  return p.sub1 && IsEven(lineIndex + 1) ? full - 1 : full;
}

std::string Coord(double v) {
  return text::FormatNumber(v, text::NumberFormat::kMax2);
}

}  // namespace

double AutoGridPointCount(const AutoGridParams& p) {
  const int lines = p.byRow ? p.NumRow : p.NumCol;
  const int full = p.byRow ? p.NumCol : p.NumRow;
  double count = 0;
  for (int i = 0; i < lines; ++i) count += std::max(0, LinePoints(p, i, full));
  return p.Dual ? 2 * count : count;
}

Outcome<std::vector<PointRow>> AutoGridGen(const AutoGridParams& p) {
  if (auto f = CheckLimit(LimitId::kGridPoints, AutoGridPointCount(p))) return *f;
  std::vector<PointRow> rows;
  const double half = p.DualDist / 2;
  bool overflow = false;
  auto add = [&rows, &overflow](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) overflow = true;
    rows.push_back({"", Coord(x), Coord(y)});
  };

  // A grid is walked line by line: rows (along X) one above the other, or
  // columns (along Y) side by side. `along` places the points of a line, `across`
  // places the lines.
  struct Axis {
    double start;
    double dist;
    double stagger;  // offset of every second line
  };
  const Axis xAxis{p.Xc, p.ColDist, p.soleHang};
  const Axis yAxis{p.Yc, p.RowDist, p.soleCot};
  const Axis& along = p.byRow ? xAxis : yAxis;
  const Axis& across = p.byRow ? yAxis : xAxis;
  const int lines = p.byRow ? p.NumRow : p.NumCol;
  const int full = p.byRow ? p.NumCol : p.NumRow;
  for (int i = 0; i < lines; ++i) {
    const bool even = IsEven(i + 1);
    const int n = LinePoints(p, i, full);
    const double a = across.start + i * across.dist;
    for (int j = 0; j < n; ++j) {
      double b = along.start + (even && p.EndCont ? n - 1 - j : j) * along.dist;
      if (even) b += along.stagger;
      const double x = p.byRow ? b : a;
      const double y = p.byRow ? a : b;
      if (p.Dual) {
        // A backward column keeps its path monotonic: upper point first.
        const bool upperFirst = !p.byRow && even && p.EndCont;
        add(x, upperFirst ? y + half : y - half);
        add(x, upperFirst ? y - half : y + half);
      } else {
        add(x, y);
      }
    }
  }
  // Distances that carry a point past the largest number refuse the grid: a
  // list holding "Infinity" reads back as no point at all.
  if (overflow) return Failure{std::string(kCoordinateTooLarge), ""};
  return rows;
}

}  // namespace kelvora::generators
