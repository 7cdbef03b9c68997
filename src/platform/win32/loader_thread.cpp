#include "platform/win32/loader_thread.h"

#include <objbase.h>
#include <process.h>

#include "platform/win32/automation.h"

namespace kelvora::win32 {

namespace {

IGlobalInterfaceTable* OpenGlobalInterfaceTable() {
  IGlobalInterfaceTable* table = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table));
  return SUCCEEDED(hr) ? table : nullptr;
}

// What one worker owns: its copy of the path, the document's cookie and the
// mailbox it reports to.
struct Job {
  std::wstring path;
  DWORD cookie;
  std::shared_ptr<LoaderThread::Mailbox> mailbox;
};

HRESULT LoadThroughProxy(const Job& job) {
  IGlobalInterfaceTable* table = OpenGlobalInterfaceTable();
  if (!table) return E_NOINTERFACE;
  IDispatch* document = nullptr;
  HRESULT hr =
      table->GetInterfaceFromGlobal(job.cookie, IID_IDispatch, reinterpret_cast<void**>(&document));
  table->Release();
  if (FAILED(hr)) return hr;
  hr = Invoke(document, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"LoadGCodeFile", "s",
              job.path.c_str());
  document->Release();
  return hr;
}

unsigned __stdcall LoadFileWorker(void* context) {
  std::unique_ptr<Job> job(static_cast<Job*>(context));
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(hr)) {
    hr = LoadThroughProxy(*job);
    CoUninitialize();
  }
  std::lock_guard lock(job->mailbox->mutex);
  job->mailbox->outcome = LoadOutcome{hr};
  return 0;
}

}  // namespace

DocumentShare::~DocumentShare() {
  if (!cookie_) return;
  if (IGlobalInterfaceTable* table = OpenGlobalInterfaceTable()) {
    table->RevokeInterfaceFromGlobal(cookie_);
    table->Release();
  }
}

HRESULT DocumentShare::Register(IDispatch* document) {
  if (!document) return E_POINTER;
  if (cookie_) return S_OK;
  IGlobalInterfaceTable* table = OpenGlobalInterfaceTable();
  if (!table) return E_NOINTERFACE;
  const HRESULT hr = table->RegisterInterfaceInGlobal(document, IID_IDispatch, &cookie_);
  table->Release();
  if (FAILED(hr)) cookie_ = 0;
  return hr;
}

bool LoaderThread::Start(const std::wstring& path) {
  if (!share_.registered()) return false;
  auto job = std::make_unique<Job>(Job{path, share_.cookie(), mailbox_});
  const uintptr_t handle = _beginthreadex(nullptr, 0, LoadFileWorker, job.get(), 0, nullptr);
  if (handle == 0) return false;
  job.release();  // the worker owns it now
  // Nothing waits for the worker: its outcome arrives through the mailbox.
  CloseHandle(reinterpret_cast<HANDLE>(handle));
  return true;
}

std::optional<LoadOutcome> LoaderThread::TakeOutcome() {
  std::lock_guard lock(mailbox_->mutex);
  std::optional<LoadOutcome> outcome = mailbox_->outcome;
  mailbox_->outcome.reset();
  return outcome;
}

}  // namespace kelvora::win32
