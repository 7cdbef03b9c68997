// Preview pictures for the command line: a job's drawing list drawn with its
// tab's renderer and mode at the requested size, as an SVG document.
#pragma once

#include <optional>
#include <string>

#include "cli.h"
#include "generators/inputs.h"
#include "geometry/draw_obj.h"
#include "geometry/picture.h"

namespace kelvora::cli {

enum class PreviewRenderer { kDrill, kPocket, kLine, kPLine };

// The renderer and mode of a tab's Preview button; R1 and R2 are the pocket radii
// (after the tab's corrections) for kPocket.
struct PreviewStyle {
  PreviewRenderer renderer = PreviewRenderer::kDrill;
  int mode = 0;
  double R1 = 0;
  double R2 = 0;
  bool path = false;  // lines from hole to hole: the order the holes were put in
};

// The list drawn at the request's preview size.
geometry::Picture DrawListPicture(const geometry::DrawList& list, const Request& request,
                                  const PreviewStyle& style);

// The preview of one run, drawn from the list the job made its program from:
// the job hands the list to Sink() once the program is made, and Attach writes
// the picture as SVG after the job, when the list is gone.
class PreviewCollector {
 public:
  PreviewCollector(const Request& request, const PreviewStyle& style)
      : request_(request), style_(style) {}

  // What to hand to the job: empty when the request asks for no preview.
  generators::ListSink Sink();
  // Puts the picture into out.previewSvg when the program was made.
  void Attach(JobOutput& out);

 private:
  const Request& request_;
  PreviewStyle style_;
  std::optional<geometry::Picture> picture_;
};

}  // namespace kelvora::cli
