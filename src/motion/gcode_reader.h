// The G-code reader: walks a program once, keeping the modal state (motion
// mode, units, distance modes, feed, canned cycle and its retract mode), and
// hands every move, event and notice to a sink. It never fails: what it cannot
// read becomes a notice with its line number.
#pragma once

#include <string_view>

#include "motion/moves.h"

namespace kelvora::motion {

struct ReaderStart {
  Position position;  // where the machine is before the first line
};

// Reads a whole program (any of CR LF, LF or CR line ends). Reading ends with
// the block that holds M2 or M30, as the control's does: what follows never runs.
void ReadProgram(std::string_view program, MotionSink& sink, const ReaderStart& start = {});

}  // namespace kelvora::motion
