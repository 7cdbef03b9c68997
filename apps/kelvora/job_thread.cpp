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
          KeysOf(settings::JobInputs::kThread),
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
          },
          settings::JobInputs::kThread};
}

}  // namespace kelvora::cli
