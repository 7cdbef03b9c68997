#include "generators/surface.h"

#include <cmath>

#include <vector>

#include "generators/limits.h"
#include "generators/pattern_job.h"
#include "generators/program_writer.h"

namespace kelvora::generators {

using geometry::CLine;
using geometry::otLine;
using geometry::UnitPoint;

namespace {
// A remainder of the height smaller than this gets no extra row.
constexpr double kMinRowRemainder = 0.01;
}  // namespace

std::optional<Failure> CheckSurfMillPattern(const SurfMillPatternInputs& in) {
  const double n = std::floor(in.Ly / in.step);
  return CheckLimit(LimitId::kRows, n > 0 ? n + 2 : (std::isnan(n) ? n : 2));
}

geometry::DrawList SurfMillPatternGen(const SurfMillPatternInputs& in) {
  geometry::DrawList lines;
  const double n = std::floor(in.Ly / in.step);
  UnitPoint c(in.Xc, in.Yc);
  double s = in.flip ? -1.0 : 1.0;
  auto add = [&lines](UnitPoint a, UnitPoint b) { lines.push_back(std::make_unique<CLine>(a, b)); };
  for (double i = 1; i <= n; ++i) {
    const UnitPoint rowEnd(c.X + s * in.Lx, c.Y);
    const UnitPoint stepEnd(rowEnd.X, c.Y + in.step);
    add(c, rowEnd);
    add(rowEnd, stepEnd);
    c = stepEnd;
    s = -s;
  }
  const UnitPoint lastEnd(c.X + s * in.Lx, c.Y);
  add(c, lastEnd);
  c = lastEnd;
  s = -s;
  const double rest = in.Ly - in.step * n;
  if (rest > kMinRowRemainder) {
    const UnitPoint up(c.X, c.Y + rest);
    add(c, up);
    add(up, UnitPoint(c.X + s * in.Lx, up.Y));
  }
  return lines;
}

Outcome<std::string> SurfMillGcodeGen(const geometry::DrawList& lines,
                                      const SurfMillProgramInputs& in) {
  const double layerCount = MillLayerCount(in.depth, in.stepdown);
  if (auto f = CheckLimit(LimitId::kLayers, layerCount)) return *f;
  if (auto f = CheckLimit(LimitId::kProgramLines,
                          layerCount * (static_cast<double>(lines.size()) + 4) + 7)) {
    return *f;
  }
  ProgramWriter w(text::NumberFormat::kMax3);
  const std::string safe = w.Num(in.zsafe);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kMax1)});
  w.Line({"G0Z", safe});
  if (!lines.empty() && lines.front()->otype == otLine) {
    const UnitPoint start = static_cast<const CLine&>(*lines.front()).P1;
    const std::string feed = w.Num(in.feed);
    const std::string plungeFeed = w.Num(in.plungeFeed);
    // Every layer, the last one included, ends back at the safe height so the
    // spindle never stops with the cutter in the material.
    const std::vector<Layer> layers = MillLayers(in.depth, in.stepdown, in.retract);
    for (std::size_t k = 0; k < layers.size(); ++k) {
      const Layer& layer = layers[k];
      const std::size_t layerStart = w.Size();
      w.Line({"G0X", w.Number(start.X), "Y", w.Number(start.Y)});
      w.Line({"G0Z", w.Number(layer.approach)});
      w.Line({"G1Z", w.DepthNumber(layer.depth), "F", plungeFeed});
      bool first = true;
      for (const auto& obj : lines) {
        if (obj->otype != otLine) continue;
        const UnitPoint end = static_cast<const CLine&>(*obj).P2;
        if (first) {
          w.Line({"G1X", w.Number(end.X), "Y", w.Number(end.Y), "F", feed});
          first = false;
        } else {
          w.Line({"X", w.Number(end.X), "Y", w.Number(end.Y)});
        }
      }
      w.Line({"G0Z", safe});
      // Every layer repeats the first with other depths.
      if (k == 0) w.ReserveRepeats(layerStart, layers.size() - 1, 64, 64);
    }
  }
  w.Line({"M5"});
  if (in.gotoZero) {
    w.Line({"G0Z", safe});
    w.Line({"G0X0Y0"});
  }
  w.Line({"M30"});
  return w.Finish();
}

Outcome<std::string> SurfMillJob(const TextLookup& texts, const ListSink& sink) {
  const PatternJobSteps<SurfMillPatternInputs, SurfMillProgramInputs> steps{
      ReadSurfMillPatternInputs, ReadSurfMillProgramInputs,
      [](const SurfMillPatternInputs& pattern, const SurfMillProgramInputs&) {
        return CheckSurfMillPattern(pattern);
      },
      SurfMillPatternGen, SurfMillGcodeGen};
  return RunPatternJob(steps, texts, sink);
}

}  // namespace kelvora::generators
