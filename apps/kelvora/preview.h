// Preview pictures for the command line: a job's drawing list drawn with its
// tab's renderer and mode at the requested size, as an SVG document.
#pragma once

#include <functional>
#include <string>

#include "cli.h"
#include "geometry/draw_obj.h"

namespace kelvora::cli {

enum class PreviewRenderer { kDrill, kPocket, kLine, kPLine };

// The renderer and mode of a tab's Preview button; R1 and R2 are the pocket radii
// (after the tab's corrections) for kPocket.
struct PreviewStyle {
  PreviewRenderer renderer = PreviewRenderer::kDrill;
  int mode = 0;
  double R1 = 0;
  double R2 = 0;
};

// The list drawn at the request's preview size, as SVG.
std::string DrawListSvg(const geometry::DrawList& list, const Request& request,
                        const PreviewStyle& style);

// When the request asks for a preview and the program was made, builds the list
// with `build` and puts its picture into out.previewSvg. Nothing is built
// otherwise, so a refused job never draws.
void AttachPreview(JobOutput& out, const Request& request, const PreviewStyle& style,
                   const std::function<geometry::DrawList()>& build);

}  // namespace kelvora::cli
