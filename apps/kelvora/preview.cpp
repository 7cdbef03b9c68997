#include "preview.h"

#include "geometry/draw_all.h"
#include "geometry/svg.h"

namespace kelvora::cli {

std::string DrawListSvg(const geometry::DrawList& list, const Request& request,
                        const PreviewStyle& style) {
  using geometry::DrawAll;
  geometry::PreviewBox box;
  box.width = request.previewWidth;
  box.height = request.previewHeight;
  geometry::Picture picture;
  switch (style.renderer) {
    case PreviewRenderer::kDrill:
      picture = DrawAll::DrawListDrill(list, box, style.mode);
      break;
    case PreviewRenderer::kPocket:
      picture = DrawAll::DrawListPocket(list, box, style.mode, style.R1, style.R2);
      break;
    case PreviewRenderer::kLine:
      picture = DrawAll::DrawListLine(list, box, style.mode);
      break;
    case PreviewRenderer::kPLine:
      picture = DrawAll::DrawListPLine(list, box, style.mode);
      break;
  }
  return geometry::PictureToSvg(picture);
}

void AttachPreview(JobOutput& out, const Request& request, const PreviewStyle& style,
                   const std::function<geometry::DrawList()>& build) {
  if (!request.wantPreview || !out.program) return;
  out.previewSvg = DrawListSvg(build(), request, style);
}

}  // namespace kelvora::cli
