// Contour milling of a drawing's outlines: what the router tab's GCodeGen button
// leaves in its program box, the end script included.
#include "job_dxf.h"

#include "generators/dxf_contour.h"
#include "geometry/draw_contours.h"
#include "geometry/dxf_wrapper.h"
#include "geometry/svg.h"
#include "preview.h"

namespace kelvora::cli {
namespace {

// The contours' picture as the tab draws it after Open: today's polylines for
// today's cut, otherwise the drawing with the tool's paths, starts and tabs.
geometry::Picture ContourPicture(const Request& r, const geometry::DrawList& contours) {
  const auto outlines = generators::ReadOutlineOptions(r.texts);
  const auto in = generators::ReadDxfMachiningInputs(r.texts);
  // The job made its program, so its inputs were read already.
  if (!outlines || !in) return DrawListPicture(contours, r, {PreviewRenderer::kPLine, 1});
  const auto options = generators::ReadContourOptions(r.texts, *in);
  if (!options || geometry::PlainContourPicture(*outlines, options->IsToday())) {
    return DrawListPicture(contours, r, {PreviewRenderer::kPLine, 1});
  }
  geometry::DrawList paths;
  if (auto made = generators::ContourToolPaths(contours, *in, *options)) paths = std::move(*made);
  return geometry::DrawContours(contours, paths, {r.previewWidth, r.previewHeight, 0, 0});
}

}  // namespace

Job DxfJobEntry() {
  return {"dxf",
          "Contour milling along the outlines of a DXF drawing (--dxf FILE), layer by layer: "
          "LWPOLYLINEs, or every outline entity (DxfOutlines), on or beside the line",
          KeysOf(settings::JobInputs::kContour),
          {FileOption::kDxf},
          [](const Request& r) {
            // The drawing, read once, as the tab previews it when the file is opened.
            std::optional<geometry::Picture> picture;
            bool noContour = false;
            std::vector<std::string> notes;
            JobOutput out;
            out.program = generators::DxfJob(
                r.texts, r.dxfPath,
                [&](const geometry::DrawList& contours) {
                  noContour = contours.empty();
                  if (r.wantPreview) picture = ContourPicture(r, contours);
                },
                &notes);
            if (!out.program) return out;
            // What the reading and the cutting left out; a drawing with nothing
            // to cut says so.
            if (notes.empty() && noContour) notes.emplace_back(geometry::kNoLwPolyline);
            out.reports = std::move(notes);
            if (picture) out.previewSvg = geometry::PictureToSvg(*picture);
            return out;
          },
          settings::JobInputs::kContour};
}

}  // namespace kelvora::cli
