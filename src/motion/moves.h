// What a program makes the machine do, as the G-code reader hands it on: moves
// (canned cycles already expanded into their moves), events (spindle, dwell,
// tool, pause, end) and notices (what the reader could not take, with the line).
// Lengths are millimetres whatever the program's units; A is in degrees.
#pragma once

#include <cstdint>
#include <string>

namespace kelvora::motion {

struct Position {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double a = 0.0;
  friend bool operator==(const Position&, const Position&) = default;
};

enum class MoveKind : std::uint8_t {
  kRapid,   // G0, and the rapids of a canned cycle
  kFeed,    // G1, and the feeds of a canned cycle
  kArcCw,   // G2 in the XY plane (Z and A may move along: a helix)
  kArcCcw,  // G3
};

struct Move {
  MoveKind kind = MoveKind::kRapid;
  Position start;
  Position end;
  // Arc centre in XY (arcs only). The end may lie off the circle through the
  // start when the program's I/J say so; the checks report that.
  double centreX = 0.0;
  double centreY = 0.0;
  // Whole extra turns of an arc (G2/G3 with P), 0 for a plain arc.
  int extraTurns = 0;
  double feed = 0.0;       // mm/min (deg/min when only A moves) as programmed, 0 when none
                           // (and 0 for rapids, which run at the machine's rates)
  std::uint32_t line = 0;  // 1-based line of the block that made the move
  bool canned = false;     // made by a canned drilling cycle
  // The axes (bit 1 << Axis) whose position the program has given by this
  // move's end. Before its first word an axis stands wherever the machine
  // happened to be, which the reader takes as 0: such a position is not shown.
  std::uint8_t known = 0x0F;
};

enum class EventKind : std::uint8_t {
  kSpindleCw,    // M3, value: S (0 when none was given)
  kSpindleCcw,   // M4, value: S
  kSpindleStop,  // M5
  kDwell,        // G4 P, and the dwell of G82; value: seconds (also when P counts ms)
  kToolChange,   // M6, value: T
  kPause,        // M0 / M1
  kProgramEnd,   // M2 / M30
};

struct Event {
  EventKind kind = EventKind::kDwell;
  double value = 0.0;
  std::uint32_t line = 0;
};

// What the reader could not take. The block it stands in is otherwise read as
// far as it can be (the word is left out), so one strange word does not hide
// the moves after it.
enum class NoticeKind : std::uint8_t {
  kUnknownWord,      // a letter or G/M code the reader does not know (M101, G54, #1)
  kMalformedNumber,  // a word's number does not read ("X1.2.3", "Y", "X1,5")
  kBadArc,           // an arc that cannot be made (R too small, no centre, zero radius)
  kBadCycle,         // a canned cycle without its Z or R, or a Q that is not positive
  kUnclosedComment,  // "(" without ")" on its line
  kHostMacro,        // M100-M199: a macro of the host control (other controls refuse it)
  kForeignWord,      // a word the control the program is written for does not read (G83 on GRBL)
  kLongLine,         // a line longer than that control reads; the word is its length
};

struct Notice {
  NoticeKind kind = NoticeKind::kUnknownWord;
  std::uint32_t line = 0;
  std::string word;  // the text concerned, as it stands in the line (short)
};

// Receives what the reader finds, in program order.
class MotionSink {
 public:
  virtual ~MotionSink() = default;
  virtual void OnMove(const Move& move) = 0;
  virtual void OnEvent(const Event& event) = 0;
  virtual void OnNotice(const Notice& notice) = 0;
};

}  // namespace kelvora::motion
