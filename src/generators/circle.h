// Circle drilling: n holes evenly spaced on a pitch circle.
#pragma once

#include <string>

#include "generators/drilling.h"
#include "generators/inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

struct CirclePatternInputs {
  double diameter = 0;  // pitch-circle diameter
  int n = 0;            // number of holes (16-bit)
  double Xc = 0;
  double Yc = 0;
  double depth = 0;
  double pass = 0;
  double toolDia = 0;
  double startAngle = 0;  // degrees, of the first hole
};

Outcome<CirclePatternInputs> ReadCirclePatternInputs(const TextLookup& texts);
Outcome<DrillProgramInputs> ReadCircleProgramInputs(const TextLookup& texts);

// One CDrill per hole, counter-clockwise from the start angle.
geometry::DrawList CirclePatternGen(const CirclePatternInputs& in);
// The peck-drilling program, numbers "0.###", spindle "0.0".
Outcome<std::string> CirclePatternGcodeGen(const geometry::DrawList& holes,
                                           const DrillProgramInputs& in);

// The whole job as the "GCode Gen " button runs it: pattern inputs, emitter inputs,
// limits, then the program; nothing is produced when any step is refused. `sink`,
// when given, receives the holes the program was made from.
Outcome<std::string> CircleJob(const TextLookup& texts, const ListSink& sink = {});

}  // namespace kelvora::generators
