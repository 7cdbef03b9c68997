// The one table of size limits. Every count that comes from input is checked
// against it before anything is generated, so a mistyped job is refused with a
// message instead of exhausting memory. The limits are far above any real job.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "text/outcome.h"

namespace kelvora::generators {

enum class LimitId {
  kProgramLines,
  kHoles,
  kPasses,
  kLayers,
  kRows,
  kRings,
  kVertices,
  kTableRows,
  kGridPoints,
  kCutQuantity,
  kThreadPassCount,
};

struct Limit {
  LimitId id;
  std::string_view what;  // plural noun used in the message ("holes")
  double max;
  std::string_view basis = {};  // how the limit was set, where it is not plain
};

// The program-line limit comes from memory, not from a count a job could need:
// the program text and its preview must fit well under 1 GB together (the
// plug-in lives inside the 32-bit host). A program line takes about 25 bytes
// (a rapid to two coordinates with three decimals), and 400 MB of program text
// leaves room for the preview of a million holes (the holes, their picture and
// its SVG take about 280 MB at the most).
inline constexpr double kProgramTextBudget = 400e6;
inline constexpr double kBytesPerProgramLine = 25;

std::span<const Limit> Limits();
const Limit& GetLimit(LimitId id);

// nullopt when `count` is within the limit; otherwise the refusal, naming the
// limit ("Too many holes: 10000000000 (limit 1000000)"). A count that is not a
// number (from a step of 0 over a length of 0) is refused as well.
std::optional<Failure> CheckLimit(LimitId id, double count);

// The refusal of a result holding a coordinate past the largest number (sizes
// that overflow when multiplied out): a controller cannot read "Infinity".
inline constexpr std::string_view kCoordinateTooLarge = "A coordinate is too large to write";

}  // namespace kelvora::generators
