// Small layout helpers: an area is split into columns or rows of fixed size and
// stretching ones, so a page keeps its arrangement when its window grows and the
// stretching parts (pictures, program boxes) take the extra room.
#pragma once

#include <vector>

#include "ui/control.h"

namespace kelvora::ui {

// A column or row: `size` pixels, plus a share of the room left over in
// proportion to `stretch` (0: fixed).
struct Track {
  int size = 0;
  int stretch = 0;
};

// Splits `area` left to right (columns) or top to bottom (rows) into the tracks,
// with `gap` pixels between neighbours. When the fixed sizes do not fit, the
// stretching tracks get nothing and the fixed ones keep their sizes.
std::vector<Bounds> SplitColumns(const Bounds& area, const std::vector<Track>& tracks, int gap);
std::vector<Bounds> SplitRows(const Bounds& area, const std::vector<Track>& tracks, int gap);

// The area with `margin` pixels taken off every side.
Bounds Inset(const Bounds& area, int margin);

// Places controls one after another along rows of fixed height, left to right,
// starting a new row when the next does not fit the area's width.
class FlowLayout {
 public:
  FlowLayout(const Bounds& area, int rowHeight, int gap);
  // The bounds for the next item of `width` pixels.
  Bounds Next(int width);
  // The bottom of the last row used.
  int Bottom() const { return y_ + (used_ ? rowHeight_ : 0); }

 private:
  Bounds area_;
  int rowHeight_;
  int gap_;
  int x_;
  int y_;
  bool used_ = false;
};

}  // namespace kelvora::ui
