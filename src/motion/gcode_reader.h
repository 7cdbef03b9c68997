// The G-code reader: walks a program once, keeping the modal state (motion
// mode, units, distance modes, feed, canned cycle and its retract mode), and
// hands every move, event and notice to a sink. It never fails: what it cannot
// read becomes a notice with its line number.
#pragma once

#include <string_view>

#include "motion/machine.h"
#include "motion/moves.h"
#include "text/gcode_dialect.h"

namespace kelvora::motion {

struct ReaderStart {
  Position position;  // where the machine is before the first line
  // G4's P and G82's P count milliseconds (the host control's setting); the
  // dwell events still carry seconds.
  bool dwellMilliseconds = false;
  // The control the program is written for: each word it does not read, and
  // each line longer than it reads, becomes a notice. The host's leaves every
  // word to the reader's own notices.
  text::Dialect dialect = text::Dialect::kHost;
};

// How the machine's control reads a program: its dialect, and for the host its
// dwell unit (the other controls always count seconds).
ReaderStart ReaderStartFor(const Machine& machine);

// Reads a whole program (any of CR LF, LF or CR line ends). Reading ends with
// the block that holds M2 or M30, as the control's does: what follows never runs
// (for a control other than the host its lines are still checked for words and
// lengths that control does not read).
void ReadProgram(std::string_view program, MotionSink& sink, const ReaderStart& start = {});

}  // namespace kelvora::motion
