// The reader's modal state, shared by the block interpreter and the canned
// cycles. Positions are held in the program's units (as the control holds them,
// so that the cycles' depth loops step exactly as the control's do) and handed
// on in millimetres.
#pragma once

#include <cstdint>
#include <string_view>

#include "motion/moves.h"
#include "motion/word_scanner.h"

namespace kelvora::motion {

inline constexpr double kMillimetresPerInch = 25.4;

// Motion modes, as the G code that set them (ten times its number); kNoCode
// after G80 and before the first motion code.
inline constexpr int kModeNone = kNoCode;

// The most moves the cycles of one program may expand into together: far
// beyond any real hole pattern (10,000 holes of 60 pecks), small enough that
// damaged L or Q words, in one block or in many, cannot stall the reader. Past
// it a cycle block is refused as one that cannot be made. (The fuzz build
// scales it down with the jobs' size limits.)
#ifndef KELVORA_LIMIT_SCALE
#define KELVORA_LIMIT_SCALE 1
#endif
inline constexpr double kMaxCycleMoves = 2000000.0 * KELVORA_LIMIT_SCALE;

struct ReaderState {
  MotionSink* sink = nullptr;
  std::string_view line;  // the block being read, for notices
  std::uint32_t lineNumber = 0;

  // Units and distance modes.
  bool inch = false;
  double scale = 1.0;  // millimetres per program unit
  bool incremental = false;
  bool arcAbsolute = false;
  bool retractToR = true;  // G99 (the control's default) or G98

  int motionMode = kModeNone;
  double feed = 0.0;  // program units (or degrees) per minute
  double speed = 0.0;
  double tool = 0.0;
  // What a dwell's P is divided by to give seconds: 1000 when it counts ms.
  double dwellDivisor = 1.0;

  // Where the tool is, in program units (A in degrees).
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double a = 0.0;
  Position handedOn;       // the end of the last move, in millimetres
  std::uint8_t known = 0;  // the axes the program has given a position (Move::known)
  Move scratch;            // the move being handed on

  // Canned cycles: the sticky words and the level the run of cycles began at.
  double cycleR = 0.0;
  double cycleZ = 0.0;
  double cycleP = 0.0;
  double cycleQ = 0.0;
  bool initialLevelSet = false;
  double initialLevel = 0.0;
  // The moves the program's cycles may still expand into together.
  double cycleMovesLeft = kMaxCycleMoves;

  // Hands on a move to (x, y, z, a) in program units and makes it the position.
  // A move whose numbers are not finite is not handed on (a notice instead).
  void Emit(MoveKind kind, double toX, double toY, double toZ, double toA, bool canned,
            double centreX = 0.0, double centreY = 0.0, int extraTurns = 0);
  void Event(EventKind kind, double value);
  void NoticeAt(NoticeKind kind, WordSpan span) const;
};

// Runs the canned cycle `motion` (730, 810, 820, 830) for one block. Returns
// false (after a notice) when the block cannot make one.
bool RunCannedCycle(ReaderState& state, const BlockWords& words, int motion);

}  // namespace kelvora::motion
