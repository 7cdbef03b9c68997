// Thread generation on the rotary A axis: the tool feeds in radially on one linear
// axis and, in each pass, travels along the workpiece on another while A turns one
// revolution per pitch. The program has its own layout (percent lines, a title,
// a unit word, blanks between words, fixed-decimal numbers).
#pragma once

#include <string>
#include <string_view>

#include "generators/inputs.h"
#include "geometry/picture.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Keys of the thread inputs. The tab's inputs are not stored in the profile; the
// keys name them for the command line.
inline constexpr std::string_view kThreadPitch = "Pitch";
inline constexpr std::string_view kThreadLength = "Length";
inline constexpr std::string_view kThreadMajorDia = "MajorDia";
inline constexpr std::string_view kThreadPasses = "Passes";
inline constexpr std::string_view kThreadFeed = "Feed";
inline constexpr std::string_view kThreadLeftHand = "LeftHand";
inline constexpr std::string_view kThreadAutoDepth = "AutoDepth";
inline constexpr std::string_view kThreadPitDepth = "PitDepth";
inline constexpr std::string_view kThreadZaxis = "Zaxis";
inline constexpr std::string_view kThreadXaxis = "Xaxis";
inline constexpr std::string_view kThreadSpin = "Spin";

struct ThreadInputs {
  double pitch = 0;     // travel per turn
  double length = 0;    // thread length
  double majorDia = 0;  // major diameter
  int passes = 0;
  double feed = 0;  // feed of the threading moves
  bool leftHand = false;
  bool autoDepth = false;  // depth from the pitch instead of pitDepth
  double pitDepth = 0;
  std::string zAxis = "Z";  // letter of the axis along the workpiece, verbatim
  std::string xAxis = "X";  // letter of the infeed axis, verbatim
  std::string spin;         // spindle speed text, copied as typed
};

// Reads the inputs in the tab's order; the depth box is read only when the
// standard depth is off. A number that does not convert: "Parameters error".
Outcome<ThreadInputs> ReadThreadInputs(const TextLookup& texts);

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
