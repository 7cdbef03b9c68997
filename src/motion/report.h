// The pre-flight report of a program: extents, lengths, the run time with the
// machine's acceleration (and the plain length ÷ feed figure beside it), and
// the findings of the checks, each with its line. Built in one pass over the
// reader's output without keeping the moves, so a program of any size costs
// the same memory.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "motion/arc_shape.h"
#include "motion/machine.h"
#include "motion/moves.h"

namespace kelvora::motion {

// What the checks find. Warnings are things that may break a tool or a part;
// notes are worth knowing but often intended.
enum class FindingKind : std::uint8_t {
  kUnknownWord,      // from the reader
  kMalformedNumber,  // from the reader
  kBadArc,           // from the reader
  kBadCycle,         // from the reader
  kUnclosedComment,  // from the reader
  kBeyondSoftLimit,  // a move ends or passes beyond the machine's travel
  kRapidInStock,     // a rapid below the stock top (sideways, or down into uncut stock)
  kNoFeed,           // a feed move with no F or F 0
  kSpindleOff,       // note: cutting below the stock top with the spindle off
  kArcEndOffCircle,  // the arc's end is off its circle beyond the control's tolerance
  kBelowDepth,       // Z below the job's stated depth
  kNoAAxis,          // an A move on a machine without an A axis
  kHostMacro,        // note: M100-M199 runs the host control's own macro
  kForeignWord,      // a word the machine's control does not read (G83 or M101 on GRBL)
  kLongLine,         // a line longer than the machine's control reads
  // note: the arc's end is more than 0.001 mm off its circle, within the
  // control's tolerance (it runs the arc, a spiral of that little)
  kArcEndNearCircle,
};

struct Finding {
  FindingKind kind = FindingKind::kUnknownWord;
  std::uint32_t line = 0;
  std::string detail;  // the word, or the figure concerned ("Z-6", "X1210")
};

bool IsNote(FindingKind kind);

struct Extents {
  bool any = false;  // false when no move reaches a position the program has given
  // Per axis: whether its range holds any point. An axis counts from the first
  // move that names it: before that it stands where the machine happened to be.
  std::array<bool, kAxisCount> known{};
  std::array<double, kAxisCount> minimum{};
  std::array<double, kAxisCount> maximum{};
};

struct Report {
  // The control the program was read for, by its name in the dialect table
  // ("Host", "GRBL"): its words are the ones checked.
  std::string_view dialect = text::RulesOf(text::Dialect::kHost).name;
  Extents extents;            // every point the tool passes, arcs' bulges included
  double rapidLength = 0.0;   // mm of X/Y/Z path
  double feedLength = 0.0;    // mm of X/Y/Z path (G1, arcs, cycle feeds)
  double seconds = 0.0;       // run time with acceleration, exact stop at every block
  double plainSeconds = 0.0;  // length ÷ feed (rapids at the axes' limits), no acceleration
  std::uint64_t moves = 0;
  std::uint64_t lines = 0;
  // The spindle's starts and reversals (M3/M4 while it stands or turns the other
  // way), each of which waits the machine's spin-up time; in `seconds`.
  std::uint64_t spinUps = 0;
  double spinUpSeconds = 0.0;
  std::vector<Finding> findings;   // in line order; at most kMaxFindings kept
  std::uint64_t findingCount = 0;  // all of them, also those not kept
  std::uint64_t noteCount = 0;     // how many of findingCount are notes
};

inline constexpr std::size_t kMaxFindings = 1000;

// What the checks need to know beyond the machine.
struct CheckOptions {
  std::optional<double> statedDepth;  // the lowest Z the job means to reach (e.g. -5)
  // The checks against the stock's top (rapids below it, cutting with the
  // spindle off). Off for a part turned on A (the thread job), where Z runs
  // along the part and not into it.
  bool stockChecks = true;
};

// The program's line count as the report gives it: lines ended by CR LF, LF or
// CR; a last line without its end counts too.
std::uint64_t CountProgramLines(std::string_view program);

// Whether the bytes are no program at all: NUL bytes, with nothing besides them
// but blanks and line ends (a file zeroed by a failed copy or a crash). A
// control reads no such file; the check refuses it rather than report it as a
// program that makes no move.
bool IsNotAProgram(std::string_view bytes);

// Reads the program as the machine's control reads it (its dialect's words, the
// host's dwell unit) and reports on it.
Report CheckProgram(std::string_view program, const Machine& machine,
                    const CheckOptions& options = {});

// The report as a sink, for a caller that also wants the moves (the path
// picture): feed it the reader's output of the program read from
// ReaderStartFor(machine), then take the report.
class ReportBuilder final : public MotionSink {
 public:
  ReportBuilder(const Machine& machine, const CheckOptions& options);
  ~ReportBuilder() override;
  ReportBuilder(const ReportBuilder&) = delete;
  ReportBuilder& operator=(const ReportBuilder&) = delete;
  void OnMove(const Move& move) override;
  void OnEvent(const Event& event) override;
  void OnNotice(const Notice& notice) override;
  // The report so far; `lines` is the program's line count.
  Report Finish(std::uint64_t lines);

  // Whether the last move handed in was flagged by a check (for the path
  // picture, which draws such moves in red).
  bool LastMoveFlagged() const { return lastFlagged_; }

 private:
  struct State;
  Machine machine_;
  CheckOptions options_;
  Report report_;
  bool lastFlagged_ = false;
  // Spindle, the deepest feed at each X/Y for the re-approach rule, etc.
  std::unique_ptr<State> state_;

  void Add(FindingKind kind, std::uint32_t line, std::string detail);
  void Flag(FindingKind kind, std::uint32_t line, std::string detail);
  void CheckMove(const Move& move, const ArcShape& arcShape, const double (&low)[3],
                 const double (&high)[3]);
  void CheckRapid(const Move& move);
};

}  // namespace kelvora::motion
