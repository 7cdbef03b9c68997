#include "generators/cut_toolpath.h"

#include <algorithm>

#include "generators/limits.h"
#include "generators/program_writer.h"

namespace kelvora::generators {

using geometry::CPolyLine;
using geometry::otPolyLine;

namespace {

// Lines a user block adds to the program (0 for an empty block).
double BlockLines(std::string_view block) {
  if (block.empty()) return 0;
  const auto feeds = static_cast<double>(std::count(block.begin(), block.end(), '\n'));
  return block.back() == '\n' ? feeds : feeds + 1;
}

}  // namespace

Outcome<std::string> GcodeGenHoriz(const geometry::DrawList& cuts, const DxfMachiningInputs& in,
                                   bool twoWay) {
  const double layerCount = MillLayerCount(in.depth, in.stepdown);
  if (auto f = CheckLimit(LimitId::kLayers, layerCount)) return *f;
  const double blockLines =
      in.enSpecialOp ? BlockLines(in.specialOpOn) + BlockLines(in.specialOpOff) : 0;
  const double lines = static_cast<double>(cuts.size()) * (layerCount * (4 + blockLines) + 1) + 3;
  if (auto f = CheckLimit(LimitId::kProgramLines, lines)) return *f;

  ProgramWriter w(text::NumberFormat::kMax3);
  const std::string safe = w.Num(in.zsafe);
  const std::string feed = w.Num(in.feed);
  const std::string plungeFeed = w.Num(in.plungeFeed);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kMax1)});
  w.Line({"G0Z", safe});
  const std::vector<Layer> layers = MillLayers(in.depth, in.stepdown, in.retract);
  for (const auto& obj : cuts) {
    if (obj->otype != otPolyLine) continue;
    const auto& cut = static_cast<const CPolyLine&>(*obj);
    if (cut.m_VertexCount < 2 || cut.x.size() < 2 || cut.y.size() < 2) continue;
    const std::string x0 = w.Num(cut.x[0]), y0 = w.Num(cut.y[0]);
    const std::string x1 = w.Num(cut.x[1]), y1 = w.Num(cut.y[1]);
    for (std::size_t p = 1; p <= layers.size(); ++p) {
      const bool back = twoWay && p % 2 == 0;
      const Layer& layer = layers[p - 1];
      w.Line({"G0X", back ? x1 : x0, "Y", back ? y1 : y0});
      w.Line({"G0Z", w.Number(layer.approach)});
      w.Line({"G1Z", w.DepthNumber(layer.depth), "F", plungeFeed});
      if (in.enSpecialOp) w.UserBlock(in.specialOpOn);
      w.Line({"G1X", back ? x0 : x1, "Y", back ? y0 : y1, "F", feed});
      if (in.enSpecialOp) w.UserBlock(in.specialOpOff);
    }
    w.Line({"G0Z", safe});
  }
  return w.Finish();
}

CutListInputs ReadCutListInputs(std::string_view start, std::string_view end,
                                const TextLookup& texts) {
  CutListInputs list;
  list.start = start;
  list.end = end;
  InputReader(texts).Text("CutToolDia", list.toolDia).Bool("CutZigZac", list.zigZag);
  return list;
}

Outcome<std::string> CutsJob(CutListKind kind, const std::vector<CutRow>& rows,
                             std::string_view start, std::string_view end, const TextLookup& texts,
                             const ListSink& sink) {
  const CutListInputs list = ReadCutListInputs(start, end, texts);
  bool twoWay = false;
  InputReader(texts).Bool("Cut2Way", twoWay);
  // The rows are checked and turned into cuts before the machining inputs are
  // read, as the GCodeGen button does.
  const auto cuts = InitObjectCut(kind, rows, list);
  if (!cuts) return cuts.failure();
  const auto machining = ReadDxfMachiningInputs(texts);
  if (!machining) return machining.failure();
  auto program = GcodeGenHoriz(*cuts, *machining, twoWay);
  if (!program) return program;
  *program += machining->endScript;
  if (sink) sink(*cuts);
  return program;
}

}  // namespace kelvora::generators
