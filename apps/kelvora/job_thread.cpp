// The thread job: a thread cut on the rotary A axis, with the thread's side view
// as its preview.
#include "job_thread.h"
#include "generators/thread.h"
#include "geometry/svg.h"

namespace kelvora::cli {

Job ThreadJobEntry() {
  using namespace generators;
  return {"thread",
          "An external thread on the rotary A axis, cut in equal passes",
          {
              {kThreadPitch, "pitch (travel per turn)", "5"},
              {kThreadLength, "thread length", "20"},
              {kThreadMajorDia, "major diameter", "15"},
              {kThreadPasses, "number of passes (whole number)", "5"},
              {kThreadFeed, "feed of the threading moves", "200"},
              {kThreadLeftHand, "left-hand thread", "False", true},
              {kThreadAutoDepth, "standard depth 0.613 x pitch instead of PitDepth", "False", true},
              {kThreadPitDepth, "thread depth (read when AutoDepth is False)", "5"},
              {kThreadZaxis, "letter of the axis along the workpiece", "Z"},
              {kThreadXaxis, "letter of the infeed axis", "X"},
              {kThreadSpin, "spindle speed, written as typed", "15000"},
          },
          {},
          [](const Request& r) {
            JobOutput out;
            const auto in = ReadThreadInputs(r.texts);
            if (!in) {
              out.program = in.failure();
              return out;
            }
            out.program = ThreadGcodeGen(*in);
            if (out.program && r.wantPreview) {
              out.previewSvg = geometry::PictureToSvg(
                  ThreadPreviewPicture(ThreadPreviewOf(*in), r.previewWidth, r.previewHeight));
            }
            return out;
          }};
}

}  // namespace kelvora::cli
