#include "preview.h"

#include "geometry/draw_all.h"
#include "geometry/svg.h"

namespace kelvora::cli {

geometry::Picture DrawListPicture(const geometry::DrawList& list, const Request& request,
                                  const PreviewStyle& style) {
  using geometry::DrawAll;
  geometry::PreviewBox box;
  box.width = request.previewWidth;
  box.height = request.previewHeight;
  switch (style.renderer) {
    case PreviewRenderer::kDrill:
      return DrawAll::DrawListDrill(list, box, style.mode, style.path);
    case PreviewRenderer::kPocket:
      return DrawAll::DrawListPocket(list, box, style.mode, style.R1, style.R2, style.path);
    case PreviewRenderer::kLine:
      return DrawAll::DrawListLine(list, box, style.mode);
    case PreviewRenderer::kPLine:
      break;
  }
  return DrawAll::DrawListPLine(list, box, style.mode);
}

generators::ListSink PreviewCollector::Sink() {
  if (!request_.wantPreview) return {};
  return [this](const geometry::DrawList& list) {
    picture_ = DrawListPicture(list, request_, style_);
  };
}

void PreviewCollector::Attach(JobOutput& out) {
  if (!picture_ || !out.program) return;
  out.previewSvg = geometry::PictureToSvg(*picture_);
  picture_.reset();
}

}  // namespace kelvora::cli
