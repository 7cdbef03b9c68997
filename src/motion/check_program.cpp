#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "motion/gcode_reader.h"
#include "motion/report.h"

namespace kelvora::motion {
namespace {

#if !defined(__SSE2__)
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// The high bit of each byte of `word` that equals `byte`: a byte of x is zero
// exactly there, and ~((x & 0x7F..) + 0x7F.. | x | 0x7F..) marks the zero bytes
// without the false marks of the shorter tests.
std::uint64_t BytesEqual(std::uint64_t word, char byte) {
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The sum of the eight byte lanes of `lanes`.
std::uint64_t LaneSum(std::uint64_t lanes) {
  std::uint64_t sum = 0;
  for (int lane = 0; lane < 8; ++lane) sum += (lanes >> (8 * lane)) & 0xFF;
  return sum;
}
#endif

}  // namespace

// Every LF ends a line, and every CR that no LF follows. Sixteen or eight bytes
// at a time (program files run to hundreds of megabytes), the bytes left one at
// a time.
std::uint64_t CountProgramLines(std::string_view program) {
  if (program.empty()) return 0;
  std::uint64_t ends = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time; the byte after each block is read too, so a CR at
  // its end pairs with the LF after it (the loop leaves the last byte out).
  while (i + 17 <= program.size()) {
    __m128i lanes = _mm_setzero_si128();  // each byte: -(ends) in its column, up to 255
    for (int blocks = 0; blocks < 255 && i + 17 <= program.size(); ++blocks, i += 16) {
      const auto* at = reinterpret_cast<const __m128i*>(program.data() + i);
      const __m128i bytes = _mm_loadu_si128(at);
      const __m128i next =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(program.data() + i + 1));
      const __m128i feeds = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'));
      const __m128i returns = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'));
      const __m128i paired = _mm_cmpeq_epi8(next, _mm_set1_epi8('\n'));
      // A LF ends a line; so does a CR not followed by a LF (each match is -1).
      const __m128i ended = _mm_or_si128(feeds, _mm_andnot_si128(paired, returns));
      lanes = _mm_sub_epi8(lanes, ended);
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    ends += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) +
            static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
#else
  if constexpr (std::endian::native == std::endian::little) {
    // Each byte lane of the sums counts one mark a word, so the lanes are
    // emptied into `ends` before 255 words can overflow them.
    constexpr std::size_t kWordsPerRound = 255;
    bool carriedReturn = false;  // the last byte of the word before was a CR
    while (i + 8 <= program.size()) {
      std::uint64_t returnLanes = 0;
      std::uint64_t feedLanes = 0;
      std::uint64_t pairLanes = 0;
      for (std::size_t words = 0; words < kWordsPerRound && i + 8 <= program.size(); ++words) {
        std::uint64_t word = 0;
        std::memcpy(&word, program.data() + i, sizeof word);
        i += 8;
        const std::uint64_t returns = BytesEqual(word, '\r');
        const std::uint64_t feeds = BytesEqual(word, '\n');
        returnLanes += returns >> 7;
        feedLanes += feeds >> 7;
        pairLanes += (returns & (feeds >> 8)) >> 7;
        // A CR LF pair split between two words.
        pairLanes += carriedReturn ? (feeds >> 7) & 1 : 0;
        carriedReturn = (returns >> 63) != 0;
      }
      ends += LaneSum(returnLanes) + LaneSum(feedLanes) - LaneSum(pairLanes);
    }
    // A CR counted above whose LF comes next: the LF is counted below.
    if (carriedReturn && i < program.size() && program[i] == '\n') --ends;
  }
#endif
  for (; i < program.size(); ++i) {
    const bool pairedReturn =
        program[i] == '\r' && i + 1 < program.size() && program[i + 1] == '\n';
    if (program[i] == '\n' || (program[i] == '\r' && !pairedReturn)) ++ends;
  }
  const char last = program.back();
  return ends + (last != '\n' && last != '\r' ? 1 : 0);
}

bool IsNotAProgram(std::string_view bytes) {
  bool nul = false;
  for (const char c : bytes) {
    if (c == '\0') {
      nul = true;
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      return false;
    }
  }
  return nul;
}

Report CheckProgram(std::string_view program, const Machine& machine, const CheckOptions& options) {
  ReportBuilder builder(machine, options);
  ReadProgram(program, builder, ReaderStartFor(machine));
  return builder.Finish(CountProgramLines(program));
}

}  // namespace kelvora::motion
