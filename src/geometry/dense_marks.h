// Pictures whose marks crowd closer together than a pixel (a million holes in a
// preview box, the rings of a dense pocket list, a contour of tiny segments) are
// drawn as the pixels they cover: one filled run per row of pixels instead of
// every mark, so drawing follows the box's pixels, not the job's size.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "geometry/picture.h"

namespace kelvora::geometry {

// The pixels a primitive touches, as runs of a row: pixel (x, y) is the one
// whose centre is the point (x, y). A stroke touches the pixels whose centres
// lie within half its pen width (at least half a pixel) of its line; a filled
// rectangle exactly its own pixels. Only pixels of a `width` x `height` picture
// are given. False, with nothing given, for a primitive this does not model
// (text, an ellipse or arc that is not circular, a dashed pen).
bool ForEachTouchedRun(const Primitive& item, int width, int height,
                       const std::function<void(int y, int x1, int x2)>& run);

// The colour every pixel is painted when the picture's modelled primitives are
// drawn in order on its background (row by row, width x height); primitives the
// model does not cover are passed over.
std::vector<Rgb> PaintedPixels(const Picture& picture);

// Replaces each crowded run of marks (consecutive lines, circles, circular arcs
// and rectangles drawn with one solid pen, more than an eighth of which fall in
// a pixel another mark of the run already fell in) by filled rectangles covering
// exactly the pixels the run touched, each row's runs of pixels joined with
// the same runs of the rows below. Marks a pixel or more apart are kept
// primitive for primitive. Returns the number of primitives removed.
std::size_t MergeDenseMarks(Picture& picture);

}  // namespace kelvora::geometry
