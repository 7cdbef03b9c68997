#include "generators/dxf_contour.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "generators/contour_path.h"
#include "generators/limits.h"
#include "generators/program_writer.h"
#include "geometry/dxf_outlines.h"
#include "geometry/dxf_wrapper.h"

namespace kelvora::generators {

using geometry::CPolyLine;
using geometry::DrawList;
using geometry::otPolyLine;

namespace {

// The contours worth cutting, in list order: polylines with at least one vertex.
std::vector<const CPolyLine*> Contours(const DrawList& list) {
  std::vector<const CPolyLine*> contours;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    const auto* p = static_cast<const CPolyLine*>(obj.get());
    if (p->m_VertexCount == 0) continue;
    contours.push_back(p);
  }
  return contours;
}

std::size_t SegmentCount(const CPolyLine& p) {
  return p.m_VertexCount - 1 + (p.HasClosingSegment() ? 1 : 0);
}

std::size_t LineCount(std::string_view block) {
  if (block.empty()) return 0;
  std::size_t lines = 0;
  for (char c : block) lines += c == '\n' ? 1 : 0;
  return block.back() == '\n' ? lines : lines + 1;
}

bool IsFinite(const CPolyLine& p) {
  for (std::uint32_t i = 0; i < p.m_VertexCount; ++i) {
    if (!std::isfinite(p.x[i]) || !std::isfinite(p.y[i]) || !std::isfinite(p.b[i])) return false;
  }
  return true;
}

class ContourWriter {
 public:
  ContourWriter(ProgramWriter& w, const DxfMachiningInputs& in)
      : w_(w),
        in_(in),
        safe_(w.Num(in.zsafe)),
        feed_(w.Num(in.feed)),
        plungeFeed_(w.Num(in.plungeFeed)) {}

  // Rapid to (x, y), down to the approach height, plunge to the layer.
  void Approach(double x, double y, const Layer& layer) {
    w_.Line({"G0X", w_.Number(x), "Y", w_.Number(y)});
    w_.Line({"G0Z", w_.Number(layer.approach)});
    w_.Line({"G1Z", w_.DepthNumber(layer.depth), "F", plungeFeed_});
  }

  // One contour at one layer: approach at its first vertex, every segment, the
  // off-text and the safe height.
  void Contour(const CPolyLine& p, const Layer& layer) {
    const std::uint32_t n = p.m_VertexCount;
    const std::size_t segments = SegmentCount(p);
    for (std::size_t j = 0; j < segments; ++j) {
      const std::size_t k = j + 1 < n ? j + 1 : 0;  // the closing segment ends at vertex 0
      if (j == 0) {
        Approach(p.x[0], p.y[0], layer);
        if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOn);
      }
      Segment(p.x[j], p.y[j], p.x[k], p.y[k], p.b[j], j == 0);
    }
    if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOff);
    w_.Line({"G0Z", safe_});
  }

 private:
  void Segment(double x1, double y1, double x2, double y2, double bulge, bool first) {
    if (bulge == 0.0) {
      if (first) {
        w_.Line({"G1X", w_.Number(x2), "Y", w_.Number(y2), "F", feed_});
      } else {
        w_.Line({"G1X", w_.Number(x2), "Y", w_.Number(y2)});
      }
      return;
    }
    const geometry::BulgeArc arc = geometry::ArcFromBulge(x1, y1, x2, y2, bulge);
    w_.Line({bulge > 0 ? "G3X" : "G2X", w_.Number(x2), "Y", w_.Number(y2), "I",
             w_.Number(arc.center.X - x1), "J", w_.Num(arc.center.Y - y1), "F", feed_});
  }

  ProgramWriter& w_;
  const DxfMachiningInputs& in_;
  std::string safe_;
  std::string feed_;
  std::string plungeFeed_;
};

}  // namespace

std::optional<Failure> CheckDxfContours(const DrawList& list, const DxfMachiningInputs& in) {
  const auto contours = Contours(list);
  double vertices = 0;
  double segments = 0;
  for (const CPolyLine* p : contours) {
    vertices += p->m_VertexCount;
    segments += static_cast<double>(SegmentCount(*p));
  }
  if (auto f = CheckLimit(LimitId::kVertices, vertices)) return f;
  const double layers = MillLayerCount(in.depth, in.stepdown);
  if (auto f = CheckLimit(LimitId::kLayers, layers)) return f;
  // Per contour and layer: approach (3 lines), the blocks, the safe height; the
  // final layer's extra approach; the start lines.
  const double blockLines =
      in.enSpecialOp ? static_cast<double>(LineCount(in.specialOpOn) + LineCount(in.specialOpOff))
                     : 0.0;
  const double perLayer = segments + static_cast<double>(contours.size()) * (4 + blockLines) + 3;
  if (auto f = CheckLimit(LimitId::kProgramLines, layers * perLayer + 3)) return f;
  for (const CPolyLine* p : contours) {
    if (!IsFinite(*p)) {
      return Failure{std::string(geometry::kNotFiniteNumber), "LWPOLYLINE"};
    }
  }
  return std::nullopt;
}

Outcome<std::string> DxfGcodeGen(const DrawList& list, const DxfMachiningInputs& in,
                                 const ContourOptions& /*options*/,
                                 std::vector<std::string>* /*notes*/) {
  if (auto f = CheckDxfContours(list, in)) return *f;
  const auto contours = Contours(list);
  ProgramWriter w(text::NumberFormat::kMax3);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kMax1)});
  w.Line({"G0Z", w.Number(in.zsafe)});
  if (contours.empty()) return w.Finish();

  const std::vector<Layer> layers = MillLayers(in.depth, in.stepdown, in.retract);
  // When full layers fit, a layer beyond them is the final one at the depth: it
  // begins with an approach and plunge at the first contour's start before the
  // contours are cut as at every layer.
  // That plunge is made only where a segment is cut: a contour of one vertex has
  // nothing to cut, and plunging at it would sink a hole the drawing does not have.
  const double full = in.stepdown > 0 ? std::floor(in.depth / in.stepdown) : 0.0;
  const bool hasFinal = full >= 1 && static_cast<double>(layers.size()) > full;
  const CPolyLine* opening = nullptr;
  for (const CPolyLine* p : contours) {
    if (SegmentCount(*p) > 0) {
      opening = p;
      break;
    }
  }

  ContourWriter cut(w, in);
  for (std::size_t k = 0; k < layers.size(); ++k) {
    const std::size_t layerStart = w.Size();
    if (hasFinal && opening && k + 1 == layers.size()) {
      cut.Approach(opening->x[0], opening->y[0], layers[k]);
    }
    for (const CPolyLine* p : contours) cut.Contour(*p, layers[k]);
    // Every layer repeats the first with other depths: a few more characters
    // per contour at most, and the final layer's extra approach.
    if (k == 0) {
      w.ReserveRepeats(layerStart, layers.size() - 1, 16 * contours.size() + 128,
                       in.endScript.size() + 128);
    }
  }
  return w.Finish();
}

Outcome<geometry::DrawList> ContourToolPaths(const DrawList& list, const DxfMachiningInputs& in,
                                             const ContourOptions& /*options*/) {
  if (auto f = CheckDxfContours(list, in)) return *f;
  DrawList paths;
  for (const CPolyLine* p : Contours(list)) paths.push_back(PolyLineOf(PathOf(*p)));
  return paths;
}

Outcome<std::string> DxfJob(const TextLookup& texts, const std::string& path, const ListSink& sink,
                            std::vector<std::string>* notes) {
  const auto outlineOptions = ReadOutlineOptions(texts);
  if (!outlineOptions) return outlineOptions.failure();
  auto drawing = geometry::ReadOutlines(path, *outlineOptions);
  if (!drawing) return drawing.failure();
  const auto in = ReadDxfMachiningInputs(texts);
  if (!in) return in.failure();
  const auto options = ReadContourOptions(texts, *in);
  if (!options) return options.failure();
  auto program = DxfGcodeGen(drawing->contours, *in, *options, notes);
  if (!program) return program;
  *program += in->endScript;
  if (notes) notes->insert(notes->begin(), drawing->notes.begin(), drawing->notes.end());
  if (sink) sink(drawing->contours);
  return program;
}

}  // namespace kelvora::generators
