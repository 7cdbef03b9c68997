// The plug-in's connection to the host's automation object: the document
// object "Mach4.Document", its script object (whose presence tells that the
// host's automation is registered), and the loader thread that asks the
// document to load a program file.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/loader_thread.h"

namespace kelvora::win32 {

class HostAutomation {
 public:
  HostAutomation() = default;
  HostAutomation(const HostAutomation&) = delete;
  HostAutomation& operator=(const HostAutomation&) = delete;
  ~HostAutomation();

  // On the host's thread: joins COM, attaches to the running document object,
  // asks it for its script object and shares the document with the loader
  // thread. True when the script object was obtained; otherwise nothing is
  // kept and every load is refused.
  bool Connect();
  bool script_registered() const { return script_ != nullptr; }

  // Starts the loader thread for `path` (at most 259 characters, the host's
  // path limit). False when the host's automation is not registered, the path
  // is too long, or no thread could start.
  bool StartLoad(const std::wstring& path);
  // The outcome of a finished load, once (see LoaderThread).
  std::optional<LoadOutcome> TakeOutcome() { return loader_.TakeOutcome(); }

 private:
  bool comJoined_ = false;
  IDispatch* document_ = nullptr;
  IDispatch* script_ = nullptr;
  DocumentShare share_;
  LoaderThread loader_{share_};
};

}  // namespace kelvora::win32
