// The G-code reader under the fuzzers: any bytes read to the end without a
// fault, as the host or any other control reads them, and every move handed on
// has finite numbers and a line of the input;
// and the programs the jobs write read without an unknown word or a word whose
// number does not read wherever no operator's text stands in them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "harness.h"
#include "motion/gcode_reader.h"
#include "program_check.h"

namespace kelvora::fuzz {
namespace {

using motion::Event;
using motion::Move;
using motion::Notice;
using motion::NoticeKind;

bool Finite(const motion::Position& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.a);
}

// Keeps the first thing that breaks a property, with the line it came from.
class CheckingSink final : public motion::MotionSink {
 public:
  explicit CheckingSink(std::uint64_t lines) : lines_(lines) {}

  void OnMove(const Move& m) override {
    if (!Finite(m.start) || !Finite(m.end) || !std::isfinite(m.centreX) ||
        !std::isfinite(m.centreY) || !std::isfinite(m.feed)) {
      Fail("a move with a number that is not finite", m.line);
    }
    if (m.feed < 0.0) Fail("a move with a negative feed", m.line);
    if (m.extraTurns < 0) Fail("an arc with negative extra turns", m.line);
    if (moves_ > 0 && !(m.start == last_))
      Fail("a move that does not start where the last ended", m.line);
    CheckLine(m.line);
    last_ = m.end;
    ++moves_;
  }
  void OnEvent(const Event& e) override {
    if (!std::isfinite(e.value)) Fail("an event with a value that is not finite", e.line);
    CheckLine(e.line);
  }
  void OnNotice(const Notice& n) override {
    CheckLine(n.line);
    if (n.word.size() > 64) Fail("a notice quoting more than a short text", n.line);
    // A word whose number reads but whose value the control refuses (a job's
    // negative spindle speed written as "S-1.0") is the report's to show; a
    // word that does not read at all is the reader's or the job's fault.
    const bool plainValue = n.word.size() > 1 && IsPlainNumber(std::string_view(n.word).substr(1));
    if (n.kind == NoticeKind::kUnknownWord ||
        (n.kind == NoticeKind::kMalformedNumber && !plainValue)) {
      if (firstWordNotice.empty()) {
        firstWordNotice = "line " + std::to_string(n.line) + ": \"" + n.word + "\"";
      }
    }
  }

  Verdict verdict;
  std::string firstWordNotice;

 private:
  void CheckLine(std::uint32_t line) {
    if (line == 0 || line > lines_) Fail("a line number outside the input", line);
  }
  void Fail(const std::string& what, std::uint32_t line) {
    if (!verdict) verdict = what + " (line " + std::to_string(line) + ")";
  }

  std::uint64_t lines_;
  std::uint64_t moves_ = 0;
  motion::Position last_;
};

std::uint64_t CountLines(std::string_view data) {
  std::uint64_t lines = 1;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == data.size() || data[i + 1] != '\n'))) {
      ++lines;
    }
  }
  return lines;
}

}  // namespace

Verdict FuzzGcode(std::string_view data) {
  CheckingSink sink(CountLines(data));
  // Each input is read for one of the controls, chosen by its length, and half
  // of them with the dwell's P in milliseconds, so that the corpus reaches every
  // control's checks at the cost of one reading an input.
  const std::size_t pick = data.size() % (2 * std::size(text::kDialects));
  motion::ReaderStart start;
  start.dialect = text::kDialects[pick % std::size(text::kDialects)].dialect;
  start.dwellMilliseconds = pick >= std::size(text::kDialects);
  motion::ReadProgram(data, sink, start);
  return sink.verdict;
}

Verdict CheckProgramReads(std::string_view program) {
  CheckingSink sink(CountLines(program));
  motion::ReadProgram(program, sink);
  if (sink.verdict) return sink.verdict;
  if (!sink.firstWordNotice.empty()) {
    return "the reader does not take a word of the job's own program, " + sink.firstWordNotice;
  }
  return std::nullopt;
}

}  // namespace kelvora::fuzz
