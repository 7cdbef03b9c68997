// The drilling options the circle, grid and point-list tabs share: how each hole
// is drilled (the scheme, the dwell at the bottom), whether the program writes
// the control's canned cycles or the moves, where the tool waits between holes,
// and, for the point list, the order of the holes and how a pocket is entered.
// The choices are stored and typed as the texts below; the first is the default
// and gives the program the tabs wrote before these options existed.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvora::generators {

enum class DrillScheme {
  kStandard,     // the tab's own peck scheme, unchanged
  kFullRetract,  // after each peck a rapid to the retract height, then back down
  kChipBreak,    // after each peck a short back-off; every N pecks a full retract
  kDecreasing,   // each peck smaller by a factor, never below a minimum
  kSinglePlunge  // one feed to the full depth
};
inline constexpr std::string_view kDrillSchemeNames[] = {"Standard", "Full retract", "Chip break",
                                                         "Decreasing", "Single plunge"};

// Where the tool goes between holes: the start height (the safe height, G98 in
// a canned cycle) or the retract height (G99).
enum class HoleReturn { kStartHeight, kRetract };
inline constexpr std::string_view kHoleReturnNames[] = {"G98", "G99"};

enum class HoleOrder { kAsListed, kShortest };
inline constexpr std::string_view kHoleOrderNames[] = {"As listed", "Shortest"};

enum class PocketEntry { kPlunge, kHelix };
inline constexpr std::string_view kPocketEntryNames[] = {"Plunge", "Helix"};

// The choice a stored text names, by its position among `names`. An empty text
// (a key the profile or the caller does not hold) is the first, default choice;
// any other text that names none of them gives nothing.
template <class Choice, std::size_t N>
std::optional<Choice> ChoiceNamed(std::string_view text, const std::string_view (&names)[N]) {
  if (text.empty()) return Choice{};
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == text) return static_cast<Choice>(i);
  }
  return std::nullopt;
}

struct DrillSchemeInputs {
  DrillScheme scheme = DrillScheme::kStandard;
  double dwell = 0;     // seconds at the bottom of every hole; 0: none
  double backOff = 0;   // chip break: distance backed off after each peck
  int fullEvery = 0;    // chip break: a full retract after every N pecks; 0: never
  double factor = 1;    // decreasing: each peck is the one before times this
  double minPeck = 0;   // decreasing: no peck smaller than this
  bool canned = false;  // write the control's canned cycle instead of the moves
  HoleReturn holeReturn = HoleReturn::kStartHeight;
};

}  // namespace kelvora::generators
