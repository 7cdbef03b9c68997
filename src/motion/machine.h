// What the pre-flight report needs to know of the machine: each axis's speed
// and acceleration limits, its travel, where the stock's top is and whether it
// has a rotary A axis. Lengths are millimetres, the A axis is in degrees.
#pragma once

#include <array>

#include "text/gcode_dialect.h"

namespace kelvora::motion {

enum Axis { kAxisX = 0, kAxisY = 1, kAxisZ = 2, kAxisA = 3, kAxisCount = 4 };

struct AxisLimits {
  double maxVelocity = 0.0;      // units a minute (mm/min, deg/min for A)
  double maxAcceleration = 0.0;  // units a second squared (mm/s², deg/s² for A)
};

// The defaults are those of a small hobby mill.
struct Machine {
  std::array<AxisLimits, kAxisCount> axes{{
      {3000.0, 250.0},  // X
      {3000.0, 250.0},  // Y
      {1500.0, 150.0},  // Z
      {7200.0, 720.0},  // A
  }};
  bool hasA = true;
  // Travel in the program's coordinates (mm), checked only when softLimits is on.
  bool softLimits = false;
  std::array<double, 3> minimum{-1000.0, -1000.0, -200.0};
  std::array<double, 3> maximum{1000.0, 1000.0, 100.0};
  double stockTop = 0.0;       // Z of the stock's top surface
  double spinUpSeconds = 0.0;  // waited when the spindle starts or reverses (M3/M4)
  // The control the programs are written for, and, for the host, whether it
  // reads a dwell's P in milliseconds (its default: seconds).
  text::Dialect dialect = text::Dialect::kHost;
  bool dwellMilliseconds = false;
  // The host's programs open with the line that states their units and modes,
  // as the other controls' always do.
  bool statesModes = false;
};

}  // namespace kelvora::motion
