// An acceptance check of programs for the small serial controls, written from
// their own documented command sets and kept apart from the code that writes
// the programs: it reads a program line by line as GRBL 1.1 (or grblHAL) does,
// keeping the modal state and the position, and lists every line the control
// would answer with an error. A job's program for such a control must come out
// of it with no refusal.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::acceptance {

enum class Flavour { kGrbl, kGrblHal };

// What the control would answer a line with.
enum class Why {
  kLineTooLong,       // longer than the control's line buffer
  kPercent,           // a "%" line: not a program delimiter on these controls
  kRealTimeByte,      // a byte the control takes as a real-time command, not as text
  kNotAWord,          // a character where a letter belongs, or a letter without its number
  kLetter,            // a letter the control has no use for
  kGCode,             // a G code it does not run
  kMCode,             // an M code it does not run
  kModalGroup,        // two codes of one modal group
  kRepeatedWord,      // a letter twice
  kNegativeValue,     // F, N, P, S or T below zero
  kFeedNotSet,        // a feed move before any feed rate
  kDwellWithoutP,     // G4 without its time
  kAxisConflict,      // two commands on the line that both take the axis words
  kAxisWordsUnused,   // axis words that no command uses (after G80)
  kAxisWordsMissing,  // G92 without axis words
  kG53Motion,         // G53 with a motion other than G0/G1
  kUnusedValueWord,   // I J K L P Q R that no command of the line uses
  kArcNoPlaneAxis,    // an arc with no end word in its plane
  kArcNoOffsets,      // an arc with neither its plane's centre offsets nor R
  kArcRadius,         // an arc whose end is not on its circle, or an R it cannot make
  kCycleWords,        // a drilling cycle started without its Z, R (or Q)
};

struct Refusal {
  int line;  // 1-based
  Why why;
  std::string reason;
};

// The lines of `program` that the control refuses, in order, one refusal a
// line (the control stops reading a line at its first error and discards it).
std::vector<Refusal> GrblAccepts(std::string_view program, Flavour flavour);

// The codes of `letter` ('G' or 'M') the program holds, as written by the
// control's own reading ("G83", "G91.1"), comments left out.
std::set<std::string> CodesUsed(std::string_view program, char letter);

// The refusals as lines of text, for a failure message.
std::string Describe(const std::vector<Refusal>& refusals);

}  // namespace kelvora::acceptance
