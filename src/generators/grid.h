// Grid drilling: m holes per row, n rows, visited in a serpentine; every second
// row may be shifted (ZigZac) and shortened by one hole.
#pragma once

#include <string>

#include "generators/drilling.h"
#include "generators/inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::string_view kParameterError = "Parameter error";

struct GridPatternInputs {
  double Xc = 0;
  double Yc = 0;
  double depth = 0;
  double pass = 0;
  double Xm = 0;  // distance between holes of a row
  double Yn = 0;  // distance between rows
  int m = 0;      // holes per row
  int n = 0;      // rows
  double toolDia = 0;
  double zigZac = 0;  // X offset of every second row
  bool sub1 = false;  // every second row has one hole fewer
};

// A pattern text that does not convert is refused with "Parameter error".
Outcome<GridPatternInputs> ReadGridPatternInputs(const TextLookup& texts);
Outcome<DrillProgramInputs> ReadGridProgramInputs(const TextLookup& texts);

// Number of holes the pattern makes, for the limits.
double GridHoleCount(const GridPatternInputs& in);
geometry::DrawList GridPatternGen(const GridPatternInputs& in);
// The peck-drilling program, numbers "0.000", spindle "0.0".
Outcome<std::string> GridPatternGcodeGen(const geometry::DrawList& holes,
                                         const DrillProgramInputs& in);

// The GCode Gen button's program; `sink`, when given, then receives the holes.
Outcome<std::string> GridJob(const TextLookup& texts, const ListSink& sink = {});

}  // namespace kelvora::generators
