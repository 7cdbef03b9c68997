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

// A job of the dialog's inputs alone whose program and preview come from one
// drawing list.
using ListJob = Outcome<std::string> (*)(const generators::TextLookup& texts,
                                         const generators::ListSink& sink);

Job ListJobEntry(std::string_view name, std::string_view summary, settings::JobInputs inputs,
                 PreviewStyle style, ListJob job) {
  return {name,
          summary,
          KeysOf(inputs),
          {},
          [style, job](const Request& r) {
            PreviewCollector preview(r, style);
            JobOutput out;
            out.program = job(r.texts, preview.Sink());
            preview.Attach(out);
            return out;
          },
          inputs};
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
      ListJobEntry("circle", "Holes evenly spaced on a pitch circle, peck drilled",
                   settings::JobInputs::kCircle, {PreviewRenderer::kDrill, geometry::kMarkCentre},
                   generators::CircleJob),
      ListJobEntry("grid", "A grid of holes in serpentine order, optionally staggered",
                   settings::JobInputs::kGrid, {PreviewRenderer::kDrill, geometry::kMarkFirstHole},
                   generators::GridJob),
      ListJobEntry("surface", "Face milling of a rectangle, back and forth, layer by layer",
                   settings::JobInputs::kSurface, {PreviewRenderer::kLine, 2},
                   generators::SurfMillJob),
      DxfJobEntry(),
      PointsJobEntry(),
      ThreadJobEntry(),
      CutsJobEntry(),
      TeachJobEntry(),
      AutoGridJobEntry(),
  };
  return jobs;
}

}  // namespace kelvora::cli
