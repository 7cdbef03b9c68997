// The word scanner: splits one line of a program into its words (letter and
// number), without allocating. Spaces and tabs may stand between and inside
// words ("G 1 X 1 0 . 5" is G1 X10.5), letters are read in either case,
// comments in parentheses and after ";" are skipped, and a "%" opening a line
// is a program delimiter. What does not read (an unknown letter, a malformed
// number, a letter given twice, two codes of one modal group, an unclosed
// comment) goes to the sink as a notice, and the scan goes on with the next word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "motion/moves.h"
#include "text/gcode_dialect.h"

namespace kelvora::motion {

// Where a word stands in its line, for a notice that quotes it.
struct WordSpan {
  std::uint32_t begin = 0;
  std::uint32_t length = 0;
};

// The G-code groups of which a block may hold one code each.
enum class GGroup : std::uint8_t {
  kMotion,        // G0 G1 G2 G3 G73 G80 G81 G82 G83
  kDwell,         // G4
  kPlane,         // G17
  kUnits,         // G20 G21
  kCompensation,  // G40
  kToolLength,    // G49
  kDistance,      // G90 G91
  kArcDistance,   // G90.1 G91.1
  kRetract,       // G98 G99
  kFeedMode,      // G94: the feed a minute the reader models (G93, G95 are not read)
  kCount,
};

enum class MGroup : std::uint8_t {
  kStop,        // M0 M1 M2 M30
  kToolChange,  // M6
  kSpindle,     // M3 M4 M5
  kCoolant,     // M7 M8 M9 (read, nothing to model)
  kCount,
};

inline constexpr int kNoCode = -1;

// The words of one block. Letter words are indexed 0..25 ('A'..'Z'); G codes
// are held as ten times their number (G90.1 is 901).
struct BlockWords {
  std::uint32_t letters = 0;  // bit i: letter 'A' + i was given
  std::array<double, 26> value{};
  std::array<WordSpan, 26> span{};
  std::array<int, static_cast<int>(GGroup::kCount)> g{};
  std::array<WordSpan, static_cast<int>(GGroup::kCount)> gSpan{};
  std::array<int, static_cast<int>(MGroup::kCount)> m{};
  std::array<WordSpan, static_cast<int>(MGroup::kCount)> mSpan{};

  bool Has(char letter) const { return (letters >> (letter - 'A')) & 1U; }
  double Value(char letter) const { return value[static_cast<std::size_t>(letter - 'A')]; }
  WordSpan Span(char letter) const { return span[static_cast<std::size_t>(letter - 'A')]; }
  std::uint32_t gGiven = 0;  // bit i: a code of GGroup i was given (g[i] holds it)
  std::uint32_t mGiven = 0;  // the same for the M groups
  // Letters of words the control does not read, already reported as such: the
  // reader says nothing more of them.
  std::uint32_t foreign = 0;

  int G(GGroup group) const {
    const auto i = static_cast<std::size_t>(group);
    return (gGiven >> i) & 1U ? g[i] : kNoCode;
  }
  int M(MGroup group) const {
    const auto i = static_cast<std::size_t>(group);
    return (mGiven >> i) & 1U ? m[i] : kNoCode;
  }
};

// Scans the line that `text` begins with into `words` and returns its length
// (where its CR or LF stands, or the end of `text`). Notices carry `lineNumber`
// and quote the line. With `control`, each word it does not read (and a "%"
// where it takes none) is a foreign-word notice instead of any other.
std::size_t ScanLine(std::string_view text, std::uint32_t lineNumber, MotionSink& sink,
                     BlockWords& words, const text::DialectRules* control = nullptr);

// A notice quoting `span` of `line` (cut to a short text).
void SendNotice(MotionSink& sink, NoticeKind kind, std::uint32_t lineNumber, std::string_view line,
                WordSpan span);

}  // namespace kelvora::motion
