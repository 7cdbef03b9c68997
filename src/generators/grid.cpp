#include "generators/grid.h"

#include <cmath>

#include "generators/limits.h"
#include "generators/pattern_job.h"

namespace kelvora::generators {

using geometry::CDrill;
using geometry::UnitPoint;

double GridHoleCount(const GridPatternInputs& in) {
  if (in.n <= 0 || in.m <= 0) return 0;
  const double rows = in.n;
  const double shifted = std::floor(rows / 2.0);
  const double shortRow = in.sub1 ? in.m - 1 : in.m;
  return (rows - shifted) * in.m + shifted * shortRow;
}

geometry::DrawList GridPatternGen(const GridPatternInputs& in) {
  geometry::DrawList holes;
  // No holes in a row means none in any: the rows are not walked (a billion of
  // them would take seconds to give nothing).
  if (in.n <= 0 || in.m <= 0) return holes;
  const double r = in.toolDia / 2.0;
  bool shifted = false;  // inverted after every row
  for (int i = 0; i < in.n; ++i) {
    const double y = in.Yc + in.Yn * i;
    if (!shifted) {
      for (int j = 0; j < in.m; ++j) {
        holes.push_back(
            std::make_unique<CDrill>(UnitPoint(in.Xc + in.Xm * j, y), in.depth, in.pass, r));
      }
    } else {
      const int c = in.sub1 ? in.m - 1 : in.m;
      for (int j = c; j >= 1; --j) {
        holes.push_back(std::make_unique<CDrill>(UnitPoint(in.Xc + in.Xm * (j - 1) + in.zigZac, y),
                                                 in.depth, in.pass, r));
      }
    }
    shifted = !shifted;
  }
  return holes;
}

Outcome<std::string> GridPatternGcodeGen(const geometry::DrawList& holes,
                                         const DrillProgramInputs& in) {
  return EmitDrillProgram(holes, in, text::NumberFormat::kFixed3);
}

Outcome<std::string> GridJob(const TextLookup& texts, const ListSink& sink) {
  const PatternJobSteps<GridPatternInputs, DrillProgramInputs> steps{
      ReadGridPatternInputs, ReadGridProgramInputs,
      [](const GridPatternInputs& pattern, const DrillProgramInputs& program) {
        return CheckSchemeLimits(GridHoleCount(pattern), program);
      },
      GridPatternGen, GridPatternGcodeGen};
  return RunPatternJob(steps, texts, sink);
}

}  // namespace kelvora::generators
