#include "ui/layout.h"

#include <algorithm>

namespace kelvora::ui {
namespace {

// Sizes of the tracks along a length.
std::vector<int> Sizes(int length, const std::vector<Track>& tracks, int gap) {
  int fixed = 0;
  int stretch = 0;
  for (const Track& t : tracks) {
    fixed += t.size;
    stretch += t.stretch;
  }
  if (!tracks.empty()) fixed += gap * static_cast<int>(tracks.size() - 1);
  const int spare = std::max(0, length - fixed);
  std::vector<int> sizes;
  int given = 0;
  int seen = 0;
  for (const Track& t : tracks) {
    int extra = 0;
    if (t.stretch > 0) {
      seen += t.stretch;
      // Shares by running total, so the rounding leftovers land in the last one.
      const int upTo = static_cast<int>(static_cast<long long>(spare) * seen / stretch);
      extra = upTo - given;
      given = upTo;
    }
    sizes.push_back(t.size + extra);
  }
  return sizes;
}

}  // namespace

std::vector<Bounds> SplitColumns(const Bounds& area, const std::vector<Track>& tracks, int gap) {
  std::vector<Bounds> out;
  int x = area.x;
  for (int w : Sizes(area.width, tracks, gap)) {
    out.push_back({x, area.y, w, area.height});
    x += w + gap;
  }
  return out;
}

std::vector<Bounds> SplitRows(const Bounds& area, const std::vector<Track>& tracks, int gap) {
  std::vector<Bounds> out;
  int y = area.y;
  for (int h : Sizes(area.height, tracks, gap)) {
    out.push_back({area.x, y, area.width, h});
    y += h + gap;
  }
  return out;
}

Bounds Inset(const Bounds& area, int margin) {
  return {area.x + margin, area.y + margin, std::max(0, area.width - 2 * margin),
          std::max(0, area.height - 2 * margin)};
}

FlowLayout::FlowLayout(const Bounds& area, int rowHeight, int gap)
    : area_(area), rowHeight_(rowHeight), gap_(gap), x_(area.x), y_(area.y) {}

Bounds FlowLayout::Next(int width) {
  if (used_ && x_ + width > area_.Right()) {
    x_ = area_.x;
    y_ += rowHeight_ + gap_;
  }
  const Bounds b{x_, y_, width, rowHeight_};
  x_ += width + gap_;
  used_ = true;
  return b;
}

}  // namespace kelvora::ui
