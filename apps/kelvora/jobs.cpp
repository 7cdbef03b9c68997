// The table of jobs the command line runs. Each job reads its inputs through the
// same readers the dialog uses, so both produce the same program.
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
          {
              {"CirXc", "circle centre X"},
              {"CirYc", "circle centre Y"},
              {"CirDepth", "hole depth (positive, downward)"},
              {"CirStep", "pass depth of the peck drilling"},
              {"CirR", "pitch-circle diameter"},
              {"Cirn", "number of holes (16-bit whole number)"},
              {"CirA", "angle of the first hole, degrees"},
              {"Cird", "tool diameter"},
              {"CirFeedrate", "feed"},
              {"CirRetract", "retract height"},
              {"CirZsafe", "safe height"},
              {"CirSpinSpeed", "spindle speed"},
              {"CirEnSpecialOp", "insert the special operation after single-plunge holes"},
              {"CirEnSpin", "switch the spindle on"},
              {"CirSpOpStr", "special operation text"},
          },
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
          {
              {"GridXc", "X of the first hole of the first row"},
              {"GridYc", "Y of the first row"},
              {"GridDepth", "hole depth"},
              {"GridStep", "pass depth of the peck drilling"},
              {"Gridn", "number of rows"},
              {"Gridm", "holes per row"},
              {"GridXm", "distance between holes of a row"},
              {"GridYn", "distance between rows"},
              {"Gridd", "tool diameter"},
              {"GridZigzac", "X offset of every second row"},
              {"GridSub1", "every second row has one hole fewer"},
              {"GridFeedrate", "feed"},
              {"GridRetract", "retract height"},
              {"GridZsafe", "safe height"},
              {"GridSpinSpeed", "spindle speed"},
              {"GridEnSpecialOp", "insert the special operation after single-plunge holes"},
              {"GridEnSpin", "switch the spindle on"},
              {"GridSpOpStr", "special operation text"},
          },
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
          {
              {"MsqrXc", "X of the start corner"},
              {"MsqrYc", "Y of the start corner"},
              {"MsqrDepth", "total depth"},
              {"MsqrStep", "distance between rows (step-over)"},
              {"MsqrStepdown", "step-down per layer"},
              {"MsqrLx", "row length along X"},
              {"MsqrLy", "extent along +Y"},
              {"Msqrd", "tool diameter (not used by the program)"},
              {"MsqrFeedrate", "cutting feed"},
              {"MsqrPlugFeed", "plunge feed"},
              {"MsqrRetract", "retract height"},
              {"MsqrZsafe", "safe height"},
              {"MsqrSpinSpeed", "spindle speed"},
              {"MsqrEnSpin", "switch the spindle on"},
              {"MsqrFlip", "first row toward -X"},
              {"MsqrGotoZero", "return to X0 Y0 at the end"},
          },
          {},
          [](const Request& r) {
            return WithPreview(r, {PreviewRenderer::kLine, 2},
                               [&r](const generators::ListSink& sink) {
                                 return generators::SurfMillJob(r.texts, sink);
                               });
          }};
}

}  // namespace

const std::vector<Job>& Jobs() {
  static const std::vector<Job> jobs = {
      CircleJobEntry(), GridJobEntry(), SurfaceJobEntry(), DxfJobEntry(),      PointsJobEntry(),
      ThreadJobEntry(), CutsJobEntry(), TeachJobEntry(),   AutoGridJobEntry(),
  };
  return jobs;
}

}  // namespace kelvora::cli
