// Contour milling of a drawing's polylines: what the router tab's GCodeGen button
// leaves in its program box, the end script included.
#include "job_dxf.h"

#include "generators/dxf_contour.h"
#include "geometry/dxf_wrapper.h"
#include "preview.h"

namespace kelvora::cli {

Job DxfJobEntry() {
  return {"dxf",
          "Contour milling along the LWPOLYLINEs of a DXF drawing (--dxf FILE), layer by layer",
          KeysOf(settings::JobInputs::kContour),
          {FileOption::kDxf},
          [](const Request& r) {
            // The drawing, read once, as the tab previews it when the file is opened.
            PreviewCollector preview(r, {PreviewRenderer::kPLine, 1});
            const generators::ListSink previewSink = preview.Sink();
            bool noPolyline = false;
            JobOutput out;
            out.program =
                generators::DxfJob(r.texts, r.dxfPath, [&](const geometry::DrawList& drawing) {
                  noPolyline = drawing.empty();
                  if (previewSink) previewSink(drawing);
                });
            if (out.program && noPolyline) out.reports.emplace_back(geometry::kNoLwPolyline);
            preview.Attach(out);
            return out;
          },
          settings::JobInputs::kContour};
}

}  // namespace kelvora::cli
