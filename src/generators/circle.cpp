#include "generators/circle.h"

#include <cmath>

#include "generators/pattern_job.h"
#include "geometry/util.h"

namespace kelvora::generators {

using geometry::CDrill;
using geometry::UnitPoint;
using geometry::Util;

geometry::DrawList CirclePatternGen(const CirclePatternInputs& in) {
  geometry::DrawList holes;
  if (in.n <= 0) return holes;
  const double r = in.diameter / 2.0;
  const double step = Util::DegreeToRad(360.0 / in.n);
  const double a0 = Util::DegreeToRad(in.startAngle);
  holes.reserve(static_cast<std::size_t>(in.n));
  for (int i = 0; i < in.n; ++i) {
    const double angle = a0 + i * step;
    holes.push_back(std::make_unique<CDrill>(
        UnitPoint(in.Xc + r * std::cos(angle), in.Yc + r * std::sin(angle)), in.depth, in.pass,
        in.toolDia / 2.0));
  }
  return holes;
}

Outcome<std::string> CirclePatternGcodeGen(const geometry::DrawList& holes,
                                           const DrillProgramInputs& in) {
  return EmitDrillProgram(holes, in, text::NumberFormat::kMax3);
}

Outcome<std::string> CircleJob(const TextLookup& texts, const ListSink& sink) {
  const PatternJobSteps<CirclePatternInputs, DrillProgramInputs> steps{
      ReadCirclePatternInputs, ReadCircleProgramInputs,
      [](const CirclePatternInputs& pattern, const DrillProgramInputs& program) {
        return CheckSchemeLimits(pattern.n, program);
      },
      CirclePatternGen, CirclePatternGcodeGen};
  return RunPatternJob(steps, texts, sink);
}

}  // namespace kelvora::generators
