#include <bit>
#include <cstdint>
#include <cstring>

#include "motion/gcode_reader.h"
#include "motion/report.h"

namespace kelvora::motion {
namespace {

constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// The high bit of each byte of `word` that equals `byte`: a byte of x is zero
// exactly there, and ~((x & 0x7F..) + 0x7F.. | x | 0x7F..) marks the zero bytes
// without the false marks of the shorter tests.
std::uint64_t BytesEqual(std::uint64_t word, char byte) {
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// How many high bits a mask of BytesEqual has (at most 8).
std::uint64_t Marks(std::uint64_t mask) {
  return ((mask >> 7) * kOnes) >> 56;
}

}  // namespace

// Every LF and every CR ends a line, except the CR of a CR LF pair. Eight bytes
// at a time: program files run to hundreds of megabytes.
std::uint64_t CountProgramLines(std::string_view program) {
  if (program.empty()) return 0;
  std::uint64_t ends = 0;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    bool carriedReturn = false;  // the last byte of the word before was a CR
    for (; i + 8 <= program.size(); i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, program.data() + i, sizeof word);
      const std::uint64_t returns = BytesEqual(word, '\r');
      const std::uint64_t feeds = BytesEqual(word, '\n');
      const std::uint64_t pairs = returns & (feeds >> 8);
      ends += Marks(returns) + Marks(feeds) - Marks(pairs);
      if (carriedReturn && (feeds & 0x80) != 0) --ends;
      carriedReturn = (returns >> 63) != 0;
    }
  }
  for (; i < program.size(); ++i) {
    if (program[i] == '\n') {
      if (i == 0 || program[i - 1] != '\r') ++ends;
    } else if (program[i] == '\r') {
      ++ends;
    }
  }
  const char last = program.back();
  return ends + (last != '\n' && last != '\r' ? 1 : 0);
}

Report CheckProgram(std::string_view program, const Machine& machine, const CheckOptions& options) {
  ReportBuilder builder(machine, options);
  ReadProgram(program, builder);
  return builder.Finish(CountProgramLines(program));
}

}  // namespace kelvora::motion
