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

std::string AxisDetail(char axis, double value) {
  std::string detail(1, axis);
  text::AppendNumber(detail, value, text::NumberFormat::kMax3);
  return detail;
}

}  // namespace kelvora::motion
