// The table of jobs the command line runs. Each job reads its inputs through the
// same readers the dialog uses, so both produce the same program.
#include <algorithm>

#include "cli.h"
#include "generators/circle.h"
#include "generators/grid.h"
#include "generators/surface.h"
#include "geometry/draw_all.h"
#include "job_dxf.h"
#include "job_points.h"
#include "job_thread.h"
#include "preview.h"

namespace kelvora::cli {
namespace {

// Runs a job whose program and preview come from one drawing list: `job` makes
// the program and hands the list to the sink it is given.
template <typename RunJob>
JobOutput WithPreview(const Request& r, const PreviewStyle& style, RunJob job) {
  PreviewCollector preview(r, style);
  JobOutput out;
  out.program = job(preview.Sink());
  preview.Attach(out);
  return out;
}

Job CircleJobEntry() {
  return {"circle",
          "Holes evenly spaced on a pitch circle, peck drilled",
          KeysOf(settings::JobInputs::kCircle),
          {},
          [](const Request& r) {
            return WithPreview(r, {PreviewRenderer::kDrill, geometry::kMarkCentre},
                               [&r](const generators::ListSink& sink) {
                                 return generators::CircleJob(r.texts, sink);
                               });
          }};
}

Job GridJobEntry() {
  return {"grid",
          "A grid of holes in serpentine order, optionally staggered",
          KeysOf(settings::JobInputs::kGrid),
          {},
          [](const Request& r) {
            return WithPreview(r, {PreviewRenderer::kDrill, geometry::kMarkFirstHole},
                               [&r](const generators::ListSink& sink) {
                                 return generators::GridJob(r.texts, sink);
                               });
          }};
}

Job SurfaceJobEntry() {
  return {"surface",
          "Face milling of a rectangle, back and forth, layer by layer",
          KeysOf(settings::JobInputs::kSurface),
          {},
          [](const Request& r) {
            return WithPreview(r, {PreviewRenderer::kLine, 2},
                               [&r](const generators::ListSink& sink) {
                                 return generators::SurfMillJob(r.texts, sink);
                               });
          }};
}

}  // namespace

std::vector<JobKey> KeysOf(settings::JobInputs job) {
  std::vector<const settings::InputRow*> rows;
  for (const settings::InputRow& row : settings::InputsOf(job)) {
    if (!row.help.empty()) rows.push_back(&row);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto* a, const auto* b) { return a->helpOrder < b->helpOrder; });
  // Inputs that are not stored carry their own defaults.
  const bool stored = settings::IsStored(job);
  std::vector<JobKey> keys;
  for (const settings::InputRow* row : rows) {
    if (stored) {
      keys.push_back({row->key, row->help});
    } else {
      keys.push_back(
          {row->key, row->help, row->defaultText, row->type == settings::KeyType::kBool});
    }
  }
  return keys;
}

const std::vector<Job>& Jobs() {
  static const std::vector<Job> jobs = {
      CircleJobEntry(), GridJobEntry(), SurfaceJobEntry(), DxfJobEntry(),      PointsJobEntry(),
      ThreadJobEntry(), CutsJobEntry(), TeachJobEntry(),   AutoGridJobEntry(),
  };
  return jobs;
}

}  // namespace kelvora::cli
