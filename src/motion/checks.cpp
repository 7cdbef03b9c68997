#include "motion/checks.h"

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

DeepestFeeds::Key DeepestFeeds::KeyOf(double x, double y) {
  return {std::llround(x * kGrid), std::llround(y * kGrid)};
}

double* DeepestFeeds::Find(const Key& key) {
  if (last_ != nullptr && key == lastKey_) return last_;
  const auto found = deepest_.find(key);
  if (found == deepest_.end()) return nullptr;
  lastKey_ = key;
  last_ = &found->second;  // elements keep their place when the map grows
  return last_;
}

void DeepestFeeds::Record(double x, double y, double z) {
  const Key key = KeyOf(x, y);
  if (double* deepest = Find(key)) {
    if (z < *deepest) *deepest = z;
    return;
  }
  lastKey_ = key;
  last_ = &deepest_.emplace(key, z).first->second;
}

bool DeepestFeeds::ReachedAt(double x, double y, double z) {
  const double* deepest = Find(KeyOf(x, y));
  return deepest != nullptr && *deepest <= z + kDepthTolerance;
}

std::string AxisDetail(char axis, double value) {
  std::string detail(1, axis);
  text::AppendNumber(detail, value, text::NumberFormat::kMax3);
  return detail;
}

}  // namespace kelvora::motion
