#include "generators/point_list.h"

#include <algorithm>
#include <cmath>

#include "generators/dxf_points.h"
#include "generators/hole_order.h"
#include "generators/limits.h"
#include "generators/program_writer.h"
#include "geometry/dxf_wrapper.h"
#include "text/csv_records.h"
#include "text/files.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::generators {

using geometry::CDrill;
using geometry::otDrill;
using geometry::UnitPoint;
using text::NumberFormat;

namespace {

constexpr double kPocketRemainder = 0.05;
// Half the smallest step the program writes: a floor this close to the depth is
// the depth as written; any more that remains gets a last pass of its own.
constexpr double kDepthResolution = 0.0005;

// The first line of a point file.
constexpr std::string_view kPointFileHeader = "Name,X,Y";
// The messages of the pocket's tool checks: the tool is wider than twice R1
// (the program then uses half the tool's radius), and an R1 below the tool
// radius that the preview has raised to it.
constexpr std::string_view kToolDiameterOverR1 = "Tool diameter>R1";
constexpr std::string_view kR1IsToolRadius = "R1 = tool R?";

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < part.size() && same; ++k) same = Lower(text[i + k]) == part[k];
    if (same) return true;
  }
  return false;
}

// The extension with its dot, as the file dialogs report it; empty when the name
// has none.
std::string_view Extension(std::string_view path) {
  const std::size_t sep = path.find_last_of("/\\");
  const std::size_t name = sep == std::string_view::npos ? 0 : sep + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < name || dot + 1 == path.size()) return {};
  return path.substr(dot);
}

// A list row whose X or Y is no number (empty, a word, a decimal comma): refused
// as the list's other row checks refuse it, with the column named beside it.
Failure CellFailure(std::size_t row, std::string_view column) {
  return Failure{DataLineWrong(row + 1), "column " + std::string(column), row};
}

}  // namespace

// ---- Point files -------------------------------------------------------------

PointFile ParsePointFile(std::string_view content) {
  text::CsvRecords records = text::ReadCsvRecords(content, 3);
  PointFile out;
  out.rows.reserve(records.rows.size());
  for (auto& r : records.rows)
    out.rows.push_back({std::move(r[0]), std::move(r[1]), std::move(r[2])});
  out.rowLines = std::move(records.rowLines);
  out.report = ReportOf(records);
  return out;
}

Outcome<PointFile> LoadCsv(std::string_view path) {
  if (text::TrimBlanks(path).empty()) return Failure{std::string(kPleaseSelectCsv), {}};
  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(path));
  if (!bytes) return Failure{std::string(kNoFile), std::string(path)};
  return ParsePointFile(*bytes);
}

std::string PointFileText(const std::vector<PointRow>& rows) {
  std::vector<std::vector<std::string>> fields;
  fields.reserve(rows.size());
  for (const PointRow& r : rows) fields.push_back({r.name, r.x, r.y});
  return text::WriteCsvRecords(kPointFileHeader, fields);
}

Outcome<void> SavePointFile(std::string_view path, const std::vector<PointRow>& rows) {
  return text::WriteFileAtomic(text::PathFromUtf8(path), PointFileText(rows));
}

Outcome<PointFileKind> PointFileKindOf(std::string_view path) {
  const std::string_view ext = Extension(path);
  if (ContainsNoCase(ext, "dxf")) return PointFileKind::kDxf;
  if (ContainsNoCase(ext, "csv")) return PointFileKind::kCsv;
  return Failure{"File: *." + std::string(ext), std::string(path)};
}

Outcome<PointFile> ReadPointFile(std::string_view path) {
  const auto kind = PointFileKindOf(path);
  if (!kind) return kind.failure();
  if (*kind == PointFileKind::kCsv) return LoadCsv(path);
  return LoadDxfPoints(path);
}

Outcome<PointFile> LoadDxfPoints(std::string_view path) {
  return LoadDxfPoints(path, {});
}

Outcome<PointFile> LoadDxfPoints(std::string_view path, const std::vector<std::string>& layers,
                                 geometry::DrawingUnits units) {
  PointFile file;
  if (!layers.empty()) {
    auto circles = geometry::DxfCirclesOnLayers(std::string(path), layers, units, &file.notes);
    if (!circles) return circles.failure();
    for (const auto& c : *circles) {
      if (!std::isfinite(c->center.X) || !std::isfinite(c->center.Y)) {
        return Failure{std::string(geometry::kNotFiniteNumber), "CIRCLE"};
      }
    }
    for (auto& row : DxfCircleRows(*circles)) {
      file.rows.push_back({std::move(row.name), std::move(row.x), std::move(row.y)});
    }
    return file;
  }
  auto circles = DxfCircleRowsFromFile(std::string(path), units, &file.notes);
  if (!circles) return circles.failure();
  file.rows.reserve(circles->size());
  for (auto& c : *circles) file.rows.push_back({std::move(c.name), std::move(c.x), std::move(c.y)});
  return file;
}

// ---- Pattern -------------------------------------------------------------------

Outcome<geometry::DrawList> AnyListGen(const std::vector<PointRow>& rows, const TextLookup& texts) {
  if (auto f = CheckLimit(LimitId::kHoles, static_cast<double>(rows.size()))) return *f;
  geometry::DrawList list;
  std::optional<double> toolDia;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto x = text::ParseDouble(rows[i].x);
    if (!x) return CellFailure(i, "X");
    const auto y = text::ParseDouble(rows[i].y);
    if (!y) return CellFailure(i, "Y");
    if (!toolDia) {
      double d = 0;
      InputReader r(texts);
      if (!r.Double("Anyd", d).ok()) return r.failure();
      toolDia = d;
    }
    list.push_back(std::make_unique<CDrill>(UnitPoint(*x, *y), 0.0, 0.0, *toolDia / 2.0));
  }
  return list;
}

// ---- Drilling ------------------------------------------------------------------

Outcome<std::string> AnyGcodeGen(const geometry::DrawList& holes, const AnyDrillInputs& in) {
  return EmitDrillProgram(holes, in.drill, NumberFormat::kFixed3, in.endScript);
}

// ---- Pocketing -----------------------------------------------------------------

double PocketRingCount(double R1, double R2, double stepOver) {
  if (!(stepOver > 0) || !(R2 > R1)) return 0;
  return std::trunc((R2 - R1) / stepOver);
}

std::vector<double> PocketPassDepths(double depth, double pass) {
  if (!(pass > 0) || !(pass < depth)) return {depth};
  const double n = std::trunc(depth / pass);
  std::vector<double> depths;
  for (double k = 1; k <= n; ++k) depths.push_back(k * pass);
  if (depth - n * pass >= kDepthResolution) depths.push_back(depth);
  return depths;
}

double PocketBottom(double depth, double pass) {
  if (!(pass > 0) || !(pass < depth)) return depth;
  const double bottom = std::trunc(depth / pass) * pass;
  return depth - bottom >= kDepthResolution ? depth : bottom;
}

ToolCheck CheckToolAgainstR1(double R1, double toolRadius) {
  if (R1 > 0 && toolRadius > 2 * R1) return {toolRadius / 2, std::string(kToolDiameterOverR1)};
  return {R1, std::nullopt};
}

R1Correction CorrectR1(double R1, double toolDia) {
  const double t = toolDia / 2;
  if (!(R1 < t)) return {R1, std::nullopt, std::nullopt};
  return {t, text::FormatNumber(t, NumberFormat::kMax2), std::string(kR1IsToolRadius)};
}

Outcome<PocketPreviewRadii> PocketPreviewR1(const TextLookup& texts) {
  double toolDia = 0;
  double R1 = 0;
  double R2 = 0;
  InputReader r(texts);
  r.Double("Anyd", toolDia).Double("AnyRo", R1).Double("AnyHoleSize", R2);
  if (!r.ok()) return r.failure();
  return PocketPreviewRadii{CorrectR1(R1, toolDia), R2};
}

namespace {

// The smallest radius the program writes as more than zero.
constexpr double kSmallestRadius = 0.0005;

// A pocket's rings as the program cuts them: the radii of the tool centre, the
// regular rings from the inside out, then the outer ring when one remains. A
// ring whose edge lies within the tool's reach of the centre (a radius the
// program would write as zero or below) is left out: the tool plunged at the
// centre cuts it, and a circle around it would be an arc of radius zero, or one
// on the far side of the centre whose edge reaches beyond the ring's.
std::vector<double> RingRadii(double R1, double R2, double W, double t, int rings, bool outer) {
  std::vector<double> radii;
  radii.reserve(static_cast<std::size_t>(rings) + 1);
  for (int i = 1; i <= rings; ++i) {
    const double rho = R1 + i * W - t;
    if (rho >= kSmallestRadius) radii.push_back(rho);
  }
  if (outer && R2 - t >= kSmallestRadius) radii.push_back(R2 - t);
  return radii;
}

// Where the plunge entry goes down: at the first regular ring's start (R1 + W -
// t), as long as that is a ring the tool fits on inside R2; at the centre when it
// is within the tool's reach of the centre; otherwise at the first ring cut (the
// outer ring), or at the centre when there is none.
double PlungeRadius(double R1, double R2, double W, double t, const std::vector<double>& radii) {
  const double first = R1 + W - t;
  if (first < kSmallestRadius) return 0;
  if (first <= R2 - t + kSmallestRadius) return first;
  return radii.empty() ? 0 : radii.front();
}

// The helical entry of a pocket: on each layer the tool descends along the ring
// it cuts first, from z0 (just above the surface on the first layer, just above
// the previous layer's floor after it, never above the retract height) to the
// layer's depth, in full turns that each drop no more than the step-down. Turns
// in the air above the surface would only cost time.
struct HelixEntry {
  std::size_t ring = 0;        // the ring the helix runs on, in RingRadii
  double radius = 0;           // its radius
  std::vector<double> starts;  // z0 of each layer
  std::vector<double> turns;   // full turns of each layer
  double totalTurns = 0;
};

// Above the surface, or the previous layer's floor, the helix starts this high.
constexpr double kHelixClearance = 0.2;

Outcome<HelixEntry> PlanHelix(const std::vector<double>& radii, const std::vector<double>& depths,
                              double R2, double t, const AnyPocketInputs& in) {
  // A hole no wider than the tool leaves no room to turn in.
  if (!(R2 - t >= kSmallestRadius)) return Failure{std::string(kToolDiameterOverR1), "AnyHoleSize"};
  // Without a step-down there is no pitch to keep under.
  if (!(in.pass > 0)) return Failure{std::string(kParametersError), "AnyStepdown"};
  HelixEntry h;
  // The first ring cut (RingRadii leaves out those within the tool's reach of
  // the centre); with none the helix runs on the pocket's edge.
  h.ring = radii.size();
  h.radius = R2 - t;
  for (std::size_t i = 0; i < radii.size(); ++i) {
    if (radii[i] >= kSmallestRadius) {
      h.ring = i;
      h.radius = radii[i];
      break;
    }
  }
  double previous = 0;
  for (std::size_t k = 0; k < depths.size(); ++k) {
    const double z0 = std::min(in.retract, -previous + kHelixClearance);
    const double drop = z0 + depths[k];
    // The floor must lie below where the descent starts.
    if (!(drop > 0)) return Failure{std::string(kParametersError), "AnyRetract"};
    const double turns = std::max(1.0, std::ceil(drop / in.pass - 1e-9));
    h.starts.push_back(z0);
    h.turns.push_back(turns);
    h.totalTurns += turns;
    previous = depths[k];
  }
  return h;
}

}  // namespace

Outcome<PocketProgram> AnyPocketGcodeGen(const geometry::DrawList& points, double R1, double R2,
                                         const AnyPocketInputs& in) {
  PocketProgram out;
  const double t = in.toolDia / 2;
  const ToolCheck check = CheckToolAgainstR1(R1, t);
  if (check.message) out.reports.push_back(*check.message);
  R1 = check.R1;

  const double W = in.stepOver;
  const double m = PocketRingCount(R1, R2, W);
  const bool outerRing = R2 - (W * m + R1) > kPocketRemainder;
  if (auto f = CheckLimit(LimitId::kRings, m + 1)) return *f;
  if (auto f = CheckLimit(LimitId::kHoles, static_cast<double>(points.size()))) return *f;
  const double passCount =
      in.pass > 0 && in.pass < in.depth ? std::trunc(in.depth / in.pass) + 1 : 1;
  if (auto f = CheckLimit(LimitId::kPasses, passCount)) return *f;
  const std::vector<double> depths = PocketPassDepths(in.depth, in.pass);
  const int rings = static_cast<int>(m);
  const std::vector<double> radii = RingRadii(R1, R2, W, t, rings, outerRing);
  // The tool waits and moves between the pocket's passes at the retract height;
  // below the surface that would be a rapid into stock not cut yet.
  if (!(in.retract >= 0)) return Failure{std::string(kParametersError), "AnyRetract"};
  if (auto f = RefuseFeed(in.plungeFeed, "AnyFeedrate", NumberFormat::kFixed3)) return *f;
  std::optional<HelixEntry> helix;
  if (in.entry == PocketEntry::kHelix) {
    auto planned = PlanHelix(radii, depths, R2, t, in);
    if (!planned) return planned.failure();
    helix = std::move(*planned);
  }
  // The tool's edge reaches R2 on the outer ring and the tool's radius where it
  // plunges at the centre: a pocket narrower than the tool cannot be cut.
  if (R2 < t - 1e-9) return Failure{std::string(kParametersError), "AnyHoleSize"};
  // The ring moves, and the helix's turn round at the depth, are cut at the
  // cutting feed; a pocket no wider than the tool is only plunged.
  if (helix || !radii.empty()) {
    if (auto f = RefuseFeed(in.cutFeed, "AnyFeedrate2", NumberFormat::kFixed1)) return *f;
  }
  const double plungeRadius = PlungeRadius(R1, R2, W, t, radii);
  const double ringLines = 2 * static_cast<double>(radii.size());
  // The helix adds its turns, the full circle and the move down to where it
  // starts on every layer, in place of the plunge.
  const double helixLines =
      helix ? helix->totalTurns + 2 * static_cast<double>(depths.size()) + 2 : 0;
  if (auto f =
          CheckLimit(LimitId::kProgramLines, static_cast<double>(points.size()) *
                                                     (passCount * (ringLines + 3) + helixLines) +
                                                 static_cast<double>(points.size()) * 3 + 5)) {
    return *f;
  }

  ProgramWriter w(NumberFormat::kFixed3);
  const std::string safe = w.Num(in.zsafe);
  const std::string retract = w.Num(in.retract);
  const std::string cutFeed = ProgramWriter::Num(in.cutFeed, NumberFormat::kFixed1);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, NumberFormat::kFixed1)});
  w.Line({"G0Z", safe});
  bool sized = false;
  for (const auto& obj : points) {
    if (obj->otype != otDrill) continue;
    const std::size_t pocketStart = w.Size();
    const UnitPoint c = static_cast<const CDrill&>(*obj).center;
    const std::string cy = w.Num(c.Y);
    auto ring = [&](double rho) {
      const std::string x = w.Num(c.X + rho);
      w.Line({"G1X", x, "Y", cy, "F", cutFeed});
      w.Line({"G3X", x, "Y", cy, "I", w.Number(-rho), "F", cutFeed});
    };
    w.Line({"G0X", w.Number(c.X), "Y", cy});
    w.Line({"G0Z", retract});
    for (std::size_t k = 0; k < depths.size(); ++k) {
      const double d = depths[k];
      if (!helix) {
        w.Line({"G0X", w.Number(c.X + plungeRadius), "Y", cy});
        w.Line({"G1Z", w.DepthNumber(d), "F", w.Number(in.plungeFeed)});
        for (double rho : radii) ring(rho);
      } else {
        const double rho = helix->radius;
        const std::string x = w.Num(c.X + rho);
        const double z0 = helix->starts[k];
        const double turns = helix->turns[k];
        w.Line({"G0X", x, "Y", cy});
        w.Line({"G0Z", w.Number(z0)});
        for (double i = 1; i < turns; ++i) {
          w.Line({"G3X", x, "Y", cy, "Z", w.Number(z0 - i * (z0 + d) / turns), "I", w.Number(-rho),
                  "F", w.Number(in.plungeFeed)});
        }
        w.Line({"G3X", x, "Y", cy, "Z", w.DepthNumber(d), "I", w.Number(-rho), "F",
                w.Number(in.plungeFeed)});
        w.Line({"G3X", x, "Y", cy, "I", w.Number(-rho), "F", cutFeed});
        for (std::size_t i = 0; i < radii.size(); ++i) {
          if (i != helix->ring) ring(radii[i]);
        }
      }
      w.Line({"G0Z", retract});
    }
    w.Line({"G0Z", safe});
    // Every pocket repeats the first at another place, where its numbers may be
    // a little wider.
    if (!sized) {
      w.ReserveRepeats(pocketStart, points.size() - 1, (w.Size() - pocketStart) / 4 + 16, 16);
      sized = true;
    }
  }
  w.Line({"M5"});
  w.Line({"M30"});
  auto text = w.Finish();
  if (!text) return text.failure();
  out.text = std::move(*text);
  return out;
}

// ---- The "GCode Gen " button -----------------------------------------------------

std::string OrderReportText(const OrderReport& order) {
  return "Shortest order: rapids " + text::FormatNumber(order.after, NumberFormat::kMax3) +
         " mm, listed " + text::FormatNumber(order.before, NumberFormat::kMax3) + " mm";
}

Outcome<std::optional<OrderReport>> OrderHoles(geometry::DrawList& list, const TextLookup& texts) {
  const auto choice = ChoiceNamed<HoleOrder>(texts("AnyOrder"), kHoleOrderNames);
  if (!choice) return Failure{std::string(kParametersError), "AnyOrder"};
  if (*choice == HoleOrder::kAsListed) return std::optional<OrderReport>{};
  std::vector<UnitPoint> centres;
  centres.reserve(list.size());
  for (const auto& obj : list) centres.push_back(static_cast<const CDrill&>(*obj).center);
  const std::vector<std::size_t> order = ShortestOrder(centres);
  geometry::DrawList sorted;
  sorted.reserve(list.size());
  for (std::size_t k : order) sorted.push_back(std::move(list[k]));
  list = std::move(sorted);
  return std::optional<OrderReport>{OrderReport{RapidLength(centres), RapidLength(centres, order)}};
}

Outcome<PointsProgram> PointsJob(const std::vector<PointRow>& rows, const TextLookup& texts,
                                 const ListSink& sink) {
  bool pocket = false;
  InputReader(texts).Bool("AnyPocket", pocket);
  if (pocket) {
    const auto radii = ReadPocketRadii(texts);
    if (!radii) return radii.failure();
    auto list = AnyListGen(rows, texts);
    if (!list) return list.failure();
    const auto in = ReadAnyPocketInputs(texts);
    if (!in) return in.failure();
    const auto order = OrderHoles(*list, texts);
    if (!order) return order.failure();
    auto program = AnyPocketGcodeGen(*list, radii->R1, radii->R2, *in);
    if (!program) return program.failure();
    if (sink) sink(*list);
    return PointsProgram{std::move(program->text), std::move(program->reports), *order};
  }
  auto list = AnyListGen(rows, texts);
  if (!list) return list.failure();
  const auto in = ReadAnyDrillInputs(texts);
  if (!in) return in.failure();
  const auto order = OrderHoles(*list, texts);
  if (!order) return order.failure();
  auto program = AnyGcodeGen(*list, *in);
  if (!program) return program.failure();
  if (sink) sink(*list);
  return PointsProgram{std::move(*program), {}, *order};
}

}  // namespace kelvora::generators
