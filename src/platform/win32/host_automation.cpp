#include "platform/win32/host_automation.h"

#include <objbase.h>

#include "platform/win32/automation.h"

namespace kelvora::win32 {

namespace {

// The host's path buffer holds 260 wide characters with the terminator.
constexpr std::size_t kMaxPathLength = 259;

}  // namespace

HostAutomation::~HostAutomation() {
  if (script_) script_->Release();
  if (document_) document_->Release();
}

bool HostAutomation::Connect() {
  if (script_) return true;
  if (!comJoined_) {
    // The host's thread normally has COM already; joining it again only counts.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comJoined_ = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    if (!comJoined_) return false;
  }
  IDispatch* document = nullptr;
  if (FAILED(CreateObject(kHostProgId, &document))) return false;

  VARIANT result;
  VariantInit(&result);
  const HRESULT hr =
      Invoke(document, DISPATCH_PROPERTYGET, &result, nullptr, nullptr, L"GetScriptDispatch", "");
  IDispatch* script = SUCCEEDED(hr) ? DispatchFromVariant(result) : nullptr;
  if (!script || FAILED(share_.Register(document))) {
    // Anything but a dispatch pointer means the host's automation is not there.
    VariantClear(&result);
    document->Release();
    return false;
  }
  // The result's reference to the script object is kept for the plug-in's life.
  document_ = document;
  script_ = script;
  return true;
}

bool HostAutomation::StartLoad(const std::wstring& path) {
  if (!script_ || path.size() > kMaxPathLength) return false;
  return loader_.Start(path);
}

}  // namespace kelvora::win32
