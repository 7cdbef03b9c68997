#include "motion/checks.h"

#include <algorithm>
#include <cmath>

#include "text/number_format.h"

namespace kelvora::motion {
namespace {

constexpr double kGrid = 1000.0;  // positions a thousandth of a millimetre apart
constexpr double kDepthTolerance = 1e-6;

}  // namespace

std::size_t DeepestFeeds::KeyHash::operator()(const Key& key) const {
  const auto x = static_cast<std::uint64_t>(key.x);
  const auto y = static_cast<std::uint64_t>(key.y);
  return static_cast<std::size_t>((x * 0x9E3779B97F4A7C15ULL) ^ (y + 0x632BE59BD9B4E019ULL));
}

namespace {

// The nearest whole thousandth, without the library's rounding call (this runs
// for every plunge); positions beyond ±9e15 thousandths are held there, which
// keeps the conversion defined (and a NaN is taken as 0).
std::int64_t Thousandths(double value) {
  constexpr double kLargest = 9e15;
  const double scaled = std::clamp(value * kGrid, -kLargest, kLargest);
  if (std::isnan(scaled)) return 0;
  return static_cast<std::int64_t>(scaled + (scaled < 0.0 ? -0.5 : 0.5));
}

}  // namespace

DeepestFeeds::Key DeepestFeeds::KeyOf(double x, double y) {
  return {Thousandths(x), Thousandths(y)};
}

void DeepestFeeds::Record(double x, double y, double z) {
  const Key key = KeyOf(x, y);
  if (hasCurrent_ && key == current_.key) {
    current_.z = std::min(current_.z, z);
    return;
  }
  if (hasCurrent_) leftBehind_.push_back(current_);
  hasCurrent_ = true;
  current_ = {key, z};
}

void DeepestFeeds::IndexLeftBehind() {
  for (; indexed_ < leftBehind_.size(); ++indexed_) {
    const Entry& entry = leftBehind_[indexed_];
    const auto [place, added] = index_.emplace(entry.key, entry.z);
    if (!added) place->second = std::min(place->second, entry.z);
  }
}

bool DeepestFeeds::ReachedAt(double x, double y, double z) {
  const Key key = KeyOf(x, y);
  double deepest = 0.0;
  bool found = false;
  if (hasCurrent_ && key == current_.key) {
    deepest = current_.z;
    found = true;
  }
  // The position in hand may also have been left behind earlier, deeper.
  if (!found || deepest > z + kDepthTolerance) {
    IndexLeftBehind();
    const auto place = index_.find(key);
    if (place != index_.end() && (!found || place->second < deepest)) {
      deepest = place->second;
      found = true;
    }
  }
  return found && deepest <= z + kDepthTolerance;
}

namespace {

constexpr double kOnCut = 1e-3;  // how near a cut a point counts as on it
constexpr double kTurn = 6.283185307179586;

// Where along the line from `a` to `b` (0 at a, 1 at b) the point (x, y) stands,
// when it stands on it; a line of no length in XY (a plunge) holds its one point.
bool AlongLine(const RecentCuts::Point& a, const RecentCuts::Point& b, double x, double y,
               double& t) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double squared = dx * dx + dy * dy;
  if (squared <= kOnCut * kOnCut) {
    t = 0.0;
    return std::hypot(x - a.x, y - a.y) <= kOnCut;
  }
  const double length = std::sqrt(squared);
  const double along = ((x - a.x) * dx + (y - a.y) * dy) / length;
  const double aside = ((x - a.x) * dy - (y - a.y) * dx) / length;
  if (std::fabs(aside) > kOnCut || along < -kOnCut || along > length + kOnCut) return false;
  t = std::clamp(along / length, 0.0, 1.0);
  return true;
}

}  // namespace

void RecentCuts::Add(const Cut& cut) {
  if (cuts_.size() < kKept) {
    cuts_.push_back(cut);
    return;
  }
  cuts_[next_] = cut;
  next_ = (next_ + 1) % kKept;
}

void RecentCuts::AddLine(const Point& from, const Point& to) {
  Cut cut;
  cut.from = from;
  cut.to = to;
  Add(cut);
}

void RecentCuts::AddArc(double cx, double cy, double radius, double startAngle, double sweep,
                        double z0, double z1) {
  Cut cut;
  cut.arc = true;
  cut.cx = cx;
  cut.cy = cy;
  cut.radius = radius;
  cut.startAngle = startAngle;
  cut.sweep = sweep;
  cut.from.z = z0;
  cut.to.z = z1;
  Add(cut);
}

bool RecentCuts::FloorAt(const Cut& cut, double x, double y, double& floor) {
  if (!cut.arc) {
    double t = 0.0;
    if (!AlongLine(cut.from, cut.to, x, y, t)) return false;
    const bool plunge = std::hypot(cut.to.x - cut.from.x, cut.to.y - cut.from.y) <= kOnCut;
    floor = plunge ? std::min(cut.from.z, cut.to.z) : cut.from.z + t * (cut.to.z - cut.from.z);
    return true;
  }
  if (std::fabs(std::hypot(x - cut.cx, y - cut.cy) - cut.radius) > kOnCut) return false;
  const double span = std::fabs(cut.sweep);
  if (span == 0.0) return false;
  const double angle = std::atan2(y - cut.cy, x - cut.cx);
  double along = cut.sweep > 0.0 ? angle - cut.startAngle : cut.startAngle - angle;
  along = std::fmod(along, kTurn);
  if (along < 0.0) along += kTurn;
  // The ends are matched to the same 0.001 mm as the rest of the path.
  const double slack = cut.radius > 0.0 ? kOnCut / cut.radius : kTurn;
  if (along > span + slack) {
    if (kTurn - along > slack) return false;
    along = 0.0;
  }
  along = std::min(along, span);
  // With whole extra turns the point is passed once a turn: Z runs one way, so
  // the first or the last pass is the deepest.
  const double last = along + std::floor((span - along) / kTurn) * kTurn;
  const double rise = cut.to.z - cut.from.z;
  floor = std::min(cut.from.z + rise * along / span, cut.from.z + rise * last / span);
  return true;
}

bool RecentCuts::Holds(const Point& from, const Point& to) const {
  const bool down = from.x == to.x && from.y == to.y;
  for (const Cut& cut : cuts_) {
    if (down) {
      double floor = 0.0;
      if (FloorAt(cut, to.x, to.y, floor) && floor <= std::min(from.z, to.z) + kDepthTolerance) {
        return true;
      }
      continue;
    }
    if (cut.arc) continue;
    double t0 = 0.0;
    double t1 = 0.0;
    if (!AlongLine(cut.from, cut.to, from.x, from.y, t0) ||
        !AlongLine(cut.from, cut.to, to.x, to.y, t1)) {
      continue;
    }
    const double rise = cut.to.z - cut.from.z;
    if (from.z + kDepthTolerance >= cut.from.z + t0 * rise &&
        to.z + kDepthTolerance >= cut.from.z + t1 * rise) {
      return true;
    }
  }
  return false;
}

std::string AxisDetail(char axis, double value) {
  std::string detail(1, axis);
  text::AppendNumber(detail, value, text::NumberFormat::kMax3);
  return detail;
}

}  // namespace kelvora::motion
