#include "generators/limits.h"

#include <array>
#include <cmath>

#include "text/number_format.h"

// The fuzz build divides every limit (by 1000) so that its inputs stay small
// enough for thousands of executions a second; accepting and refusing are both
// still reached, only at smaller counts.
#ifndef KELVORA_LIMIT_SCALE
#define KELVORA_LIMIT_SCALE 1
#endif

namespace kelvora::generators {
namespace {

constexpr std::array<Limit, 11> kFullLimits{{
    {LimitId::kProgramLines, "program lines", kProgramTextBudget / kBytesPerProgramLine,
     "about 400 MB of program text at 25 bytes a line, so that the program and its preview "
     "fit well under 1 GB of memory"},
    {LimitId::kHoles, "holes", 1'000'000},
    {LimitId::kPasses, "passes per hole", 100'000},
    {LimitId::kLayers, "layers", 100'000},
    {LimitId::kRows, "rows", 1'000'000},
    {LimitId::kRings, "pocket rings", 100'000},
    {LimitId::kVertices, "vertices", 10'000'000},
    {LimitId::kTableRows, "table rows", 1'000'000},
    {LimitId::kGridPoints, "grid points", 1'000'000},
    {LimitId::kCutQuantity, "cuts", 1'000'000},
    {LimitId::kThreadPassCount, "thread passes", 100'000},
}};

constexpr std::array<Limit, 11> kLimits = [] {
  std::array<Limit, 11> scaled = kFullLimits;
  for (Limit& l : scaled) l.max *= KELVORA_LIMIT_SCALE;
  return scaled;
}();

}  // namespace

std::span<const Limit> Limits() {
  return kLimits;
}

const Limit& GetLimit(LimitId id) {
  for (const Limit& l : kLimits) {
    if (l.id == id) return l;
  }
  return kLimits[0];
}

std::optional<Failure> CheckLimit(LimitId id, double count) {
  const Limit& limit = GetLimit(id);
  if (count <= limit.max) return std::nullopt;
  const std::string shown =
      std::isnan(count) ? "unbounded" : text::FormatNumber(count, text::NumberFormat::kWhole);
  return Failure{"Too many " + std::string(limit.what) + ": " + shown + " (limit " +
                     text::FormatNumber(limit.max, text::NumberFormat::kWhole) + ")",
                 {}};
}

}  // namespace kelvora::generators
