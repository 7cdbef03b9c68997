#include "plugin/load_file_obj.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace kelvora::plugin {

// The worker gets its own copy of the path and of the document handle, so a later
// load that rewrites the buffer never races with a worker still reading it.
struct LoadFileObj::LoadJob {
  LoadFileObj* owner;
  AutomationObject document;
  std::u16string path;
};

LoadFileObj::LoadFileObj(AutomationService& automation, ThreadStarter& threads)
    : automation_(automation), threads_(threads) {}

LoadFileObj::~LoadFileObj() = default;

void LoadFileObj::Start() {
  if (document_ == nullptr) {
    AutomationObject document = nullptr;
    if (!Succeeded(automation_.CreateObject(kHostDocumentProgId, &document)) || !document) return;
    document_ = document;
  }
  if (script_ != nullptr) return;
  AutomationResult result;
  HResult hr =
      automation_.Invoke(document_, kDispatchPropertyGet, &result, u"GetScriptDispatch", "", {});
  if (Succeeded(hr) && result.varType == kVtDispatch && result.object != nullptr) {
    script_ = result.object;
  }
}

bool LoadFileObj::SetPath(std::u16string_view path) {
  path_.fill(u'\0');
  if (path.size() >= kPathBufferSize) return false;
  std::copy(path.begin(), path.end(), path_.begin());
  return true;
}

std::u16string LoadFileObj::Path() const {
  return std::u16string(path_.data());
}

bool LoadFileObj::StartLoad() {
  auto job = std::make_unique<LoadJob>(LoadJob{this, document_, Path()});
  if (!threads_.StartThread(&LoadFileObj::LoadFile2, job.get())) return false;
  job.release();  // the worker owns it now
  return true;
}

void LoadFileObj::LoadFile2(void* context) {
  std::unique_ptr<LoadJob> job(static_cast<LoadJob*>(context));
  LoadFileObj& self = *job->owner;
  if (job->document == nullptr) return;
  HResult hr = self.automation_.Invoke(job->document, kDispatchMethod, nullptr, u"LoadGCodeFile",
                                       "s", {AutomationArg(job->path)});
  std::lock_guard lock(self.reportsMutex_);
  self.reports_.push_back(LoadReport{hr});
}

std::vector<LoadReport> LoadFileObj::TakeReports() {
  std::lock_guard lock(reportsMutex_);
  return std::exchange(reports_, {});
}

}  // namespace kelvora::plugin
