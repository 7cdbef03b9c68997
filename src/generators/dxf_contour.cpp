#include "generators/dxf_contour.h"

#include <cmath>
#include <string>
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

// Vertices this close to the first count as the same point: a contour with no
// vertex farther away has no length to cut.
constexpr double kSamePoint = 1e-6;

// Whether the polyline has a length to cut: some vertex away from its first.
// One that does not (a lone vertex, or vertices all at one point) would only
// sink the tool straight down, a hole the drawing does not have.
bool HasLength(const CPolyLine& p) {
  for (std::uint32_t i = 1; i < p.m_VertexCount; ++i) {
    if (std::abs(p.x[i] - p.x[0]) > kSamePoint || std::abs(p.y[i] - p.y[0]) > kSamePoint) {
      return true;
    }
  }
  return false;
}

// The contours worth cutting, in list order: polylines with a length.
std::vector<const CPolyLine*> Contours(const DrawList& list) {
  std::vector<const CPolyLine*> contours;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    const auto* p = static_cast<const CPolyLine*>(obj.get());
    if (!HasLength(*p)) continue;
    contours.push_back(p);
  }
  return contours;
}

// "Contour 3", "Contours 2 and 5", "Contours 1, 2 and 5": the numbers 1-based.
std::string ContourNumbers(const std::vector<std::size_t>& numbers) {
  std::string text = numbers.size() == 1 ? "Contour " : "Contours ";
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += i + 1 == numbers.size() ? " and " : ", ";
    text += std::to_string(numbers[i]);
  }
  return text;
}

// One sentence naming the drawing's polylines (numbered in list order from 1)
// that have no length and are left out of the program; none when all have one.
void NoteContoursWithoutLength(const DrawList& list, std::vector<std::string>* notes) {
  if (!notes) return;
  std::vector<std::size_t> numbers;
  std::size_t number = 0;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    ++number;
    if (!HasLength(*static_cast<const CPolyLine*>(obj.get()))) numbers.push_back(number);
  }
  if (numbers.empty()) return;
  notes->push_back(ContourNumbers(numbers) + (numbers.size() == 1
                                                  ? " has no length and is not cut."
                                                  : " have no length and are not cut."));
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
                                 std::vector<std::string>* notes) {
  if (auto f = CheckDxfContours(list, in)) return *f;
  const auto contours = Contours(list);
  NoteContoursWithoutLength(list, notes);
  ProgramWriter w(text::NumberFormat::kMax3);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kMax1)});
  w.Line({"G0Z", w.Number(in.zsafe)});
  if (contours.empty()) return w.Finish();

  const std::vector<Layer> layers = MillLayers(in.depth, in.stepdown, in.retract);
  // When full layers fit, a layer beyond them is the final one at the depth: it
  // begins with an approach and plunge at the first contour's start before the
  // contours are cut as at every layer.
  const double full = in.stepdown > 0 ? std::floor(in.depth / in.stepdown) : 0.0;
  const bool hasFinal = full >= 1 && static_cast<double>(layers.size()) > full;
  const CPolyLine* opening = contours.front();

  ContourWriter cut(w, in);
  for (std::size_t k = 0; k < layers.size(); ++k) {
    const std::size_t layerStart = w.Size();
    if (hasFinal && k + 1 == layers.size()) {
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
