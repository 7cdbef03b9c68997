// The loader thread: hands a program file to the host's automation object from
// a short-lived worker, so the host's thread is never blocked by the host's own
// load. The worker never uses the host's object pointer directly: the object is
// registered in the global interface table on the host's thread, and the worker
// initialises COM and takes its own proxy from there.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace kelvora::win32 {

// The host's document object in the global interface table. Register on the
// thread that obtained the object (the host's thread).
class DocumentShare {
 public:
  DocumentShare() = default;
  DocumentShare(const DocumentShare&) = delete;
  DocumentShare& operator=(const DocumentShare&) = delete;
  ~DocumentShare();

  HRESULT Register(IDispatch* document);
  bool registered() const { return cookie_ != 0; }
  DWORD cookie() const { return cookie_; }

 private:
  DWORD cookie_ = 0;
};

// The outcome of one load: the HRESULT of the host's "LoadGCodeFile" call, or of
// the step before it that failed (COM start-up, taking the proxy).
struct LoadOutcome {
  HRESULT result = S_OK;
};

class LoaderThread {
 public:
  explicit LoaderThread(const DocumentShare& share) : share_(share) {}

  // Starts a worker that loads `path` (the worker keeps its own copy). False
  // when the document is not registered or no thread could be started.
  bool Start(const std::wstring& path);

  // The outcome of a finished load, once; nullopt while none has finished since
  // the last call. Polled on the host's thread.
  std::optional<LoadOutcome> TakeOutcome();

  // Outcomes are handed over through this; shared with running workers, so a
  // worker may outlive the LoaderThread.
  struct Mailbox {
    std::mutex mutex;
    std::optional<LoadOutcome> outcome;
  };

 private:
  const DocumentShare& share_;
  std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();
};

}  // namespace kelvora::win32
