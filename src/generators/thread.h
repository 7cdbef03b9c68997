// Thread generation on the rotary A axis: the tool feeds in radially on one linear
// axis and, in each pass, travels along the workpiece on another while A turns one
// revolution per pitch. The program has its own layout (percent lines, a title,
// a unit word, blanks between words, fixed-decimal numbers).
#pragma once

#include <string>
#include <string_view>

#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "geometry/picture.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Thread depth: 0.613 x pitch for the standard depth, else the typed depth.
double ThreadDepth(const ThreadInputs& in);

// The program text. Refused ("Parameters error") when a value it would write is
// not a finite number (a pitch of 0), or when the passes exceed the limit.
Outcome<std::string> ThreadGcodeGen(const ThreadInputs& in);

// What the preview shows: the values of the last generation (all 0 before it).
struct ThreadPreview {
  double pitch = 0;
  double length = 0;
  double majorDia = 0;
  double depth = 0;
};
ThreadPreview ThreadPreviewOf(const ThreadInputs& in);

// A side view of the thread for a panel of the given size: major and root
// diameters as rectangles, the tooth profile along the top, and the captions.
// Blank before the first generation.
geometry::Picture ThreadPreviewPicture(const ThreadPreview& preview, int width, int height);

}  // namespace kelvora::generators
