// `points` generates as the point list's "GCode Gen " button does, from the rows
// of a point file or of a drawing's circles, after the list's table check.
// `autogrid` prints the point file that Save would write for a generated grid.
#include "job_points.h"

#include <cmath>
#include <optional>
#include <string>

#include "generators/auto_grid.h"
#include "generators/contour_options.h"
#include "generators/dxf_points.h"
#include "generators/limits.h"
#include "generators/list_checks.h"
#include "generators/point_list.h"
#include "geometry/draw_all.h"
#include "geometry/dxf_wrapper.h"
#include "input_file.h"
#include "preview.h"

namespace kelvora::cli {
namespace {

using generators::PointRow;

Outcome<generators::PointFile> ReadRows(const Request& r) {
  const bool drawing = !r.dxfPath.empty();
  const std::string& path = drawing ? r.dxfPath : r.pointsPath;
  // The option names the kind of file, whatever its extension.
  const auto units = generators::ReadPointUnits(r.texts);
  if (!units) return units.failure();
  auto file = drawing
                  ? generators::LoadDxfPoints(path, generators::ReadPointLayers(r.texts), *units)
                  : generators::LoadCsv(path);
  if (!file) return file.failure();
  // A file the list would only partly show is refused rather than cut short.
  if (!file->report.clean()) return file->report.AsFailure(path);
  return std::move(*file);
}

// The style of the list's Preview button: pockets of radii R1 and R2 after the
// R1 correction (its message is a report), or holes; the first point marked.
struct PointsPreview {
  Outcome<PreviewStyle> style = PreviewStyle{PreviewRenderer::kDrill, geometry::kMarkFirstHole};
  std::optional<std::string> report;
};

PointsPreview PointsPreviewOf(const Request& r) {
  bool pocket = false;
  generators::InputReader(r.texts).Bool("AnyPocket", pocket);
  if (!pocket) return {};
  const auto radii = generators::PocketPreviewR1(r.texts);
  if (!radii) return {radii.failure(), std::nullopt};
  return {PreviewStyle{PreviewRenderer::kPocket, geometry::kMarkFirstHole, radii->r1.R1, radii->R2},
          radii->r1.message};
}

JobOutput RunPoints(const Request& r) {
  auto file = ReadRows(r);
  if (!file) return Refused(file.failure());
  const std::vector<PointRow>& rows = file->rows;
  if (auto f = generators::CheckLimit(generators::LimitId::kTableRows,
                                      static_cast<double>(rows.size()))) {
    return Refused(*f);
  }
  // The rows as the tab's list holds them after loading: numbered and checked.
  if (auto wrong = generators::FindPointWithoutXY(generators::NumberPoints(rows))) {
    return Refused(Failure{*wrong, {}});
  }
  // The preview is drawn from the holes the program was made from.
  const PointsPreview look = r.wantPreview ? PointsPreviewOf(r) : PointsPreview{};
  PreviewStyle style = look.style ? *look.style : PreviewStyle{};
  // Holes put in the shortest order show the way from each to the next.
  style.path = r.texts("AnyOrder") == generators::kHoleOrderNames[1];
  PreviewCollector preview(r, style);
  auto program =
      generators::PointsJob(rows, r.texts, look.style ? preview.Sink() : generators::ListSink{});
  if (!program) return Refused(AtFileLine(program.failure(), r.pointsPath, file->rowLines));
  JobOutput out;
  out.reports = std::move(file->notes);
  out.reports.insert(out.reports.end(), program->reports.begin(), program->reports.end());
  if (program->order) out.reports.push_back(generators::OrderReportText(*program->order));
  out.program = std::move(program->text);
  if (!r.dxfPath.empty() && rows.empty()) out.reports.emplace_back(geometry::kNoCircle);
  if (!look.style) {
    out.program = look.style.failure();
    return out;
  }
  if (look.report) out.reports.push_back(*look.report);
  preview.Attach(out);
  return out;
}

JobOutput RunAutoGrid(const Request& r) {
  const auto params = generators::ReadAutoGridInputs(r.texts);
  if (!params) return Refused(params.failure());
  const auto rows = generators::AutoGridGen(*params);
  if (!rows) return Refused(rows.failure());
  JobOutput out;
  // The command line adds the last line end itself.
  std::string file = generators::PointFileText(*rows);
  file.resize(file.size() - 2);
  out.program = std::move(file);
  return out;
}

}  // namespace

Job PointsJobEntry() {
  return {"points",
          "Drilling or circular pockets at the points of a Name,X,Y file or a drawing's circles",
          KeysOf(settings::JobInputs::kPoints),
          {FileOption::kPoints, FileOption::kDxf},
          RunPoints,
          settings::JobInputs::kPoints};
}

Job AutoGridJobEntry() {
  return {"autogrid",
          "The point file of an automatic grid of points (Name,X,Y)",
          KeysOf(settings::JobInputs::kAutoGrid),
          {},
          RunAutoGrid,
          settings::JobInputs::kAutoGrid,
          /*writesProgram=*/false};
}

}  // namespace kelvora::cli
