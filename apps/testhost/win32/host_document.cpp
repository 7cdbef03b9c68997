#include "host_document.h"

#include <cwchar>

#include "platform/win32/automation.h"
#include "platform/win32/wide_text.h"
#include "text/files.h"

namespace kelvora::testhost {

HRESULT ScriptObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) {
  if (ids) ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT ScriptObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

HostDocument::HostDocument() : script_(new ScriptObject) {}

HostDocument::~HostDocument() {
  script_->Release();
}

HRESULT HostDocument::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // Automation names are not case-sensitive.
  if (_wcsicmp(names[0], L"GetScriptDispatch") == 0) {
    ids[0] = kGetScriptDispatch;
  } else if (_wcsicmp(names[0], L"LoadGCodeFile") == 0) {
    ids[0] = kLoadGCodeFile;
  } else {
    return DISP_E_UNKNOWNNAME;
  }
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT HostDocument::Invoke(DISPID member, REFIID, LCID, WORD kind, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT* argError) {
  const UINT argumentCount = params ? params->cArgs : 0;
  switch (member) {
    case kGetScriptDispatch: {
      if (!(kind & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
      if (argumentCount != 0) return DISP_E_BADPARAMCOUNT;
      ++scriptRequests_;
      if (!result) return S_OK;
      VariantInit(result);
      switch (scriptAnswer_) {
        case ScriptAnswer::kDispatch:
          script_->AddRef();
          V_VT(result) = VT_DISPATCH;
          V_DISPATCH(result) = script_;
          break;
        case ScriptAnswer::kEmpty:
          break;
        case ScriptAnswer::kNumber:
          V_VT(result) = VT_I4;
          V_I4(result) = 1;
          break;
      }
      return S_OK;
    }
    case kLoadGCodeFile: {
      if (!(kind & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
      if (argumentCount != 1) return DISP_E_BADPARAMCOUNT;
      VARIANT path;
      VariantInit(&path);
      if (FAILED(VariantChangeType(&path, &params->rgvarg[0], 0, VT_BSTR))) {
        if (argError) *argError = 0;
        return DISP_E_TYPEMISMATCH;
      }
      LoadCall call;
      const BSTR text = V_BSTR(&path);
      call.path = win32::Utf8FromWide(std::wstring_view(text ? text : L"", SysStringLen(text)));
      VariantClear(&path);
      call.bytes = text::ReadFileBytes(text::PathFromUtf8(call.path));
      call.threadId = GetCurrentThreadId();
      std::lock_guard lock(mutex_);
      loadCalls_.push_back(std::move(call));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

std::vector<HostDocument::LoadCall> HostDocument::load_calls() const {
  std::lock_guard lock(mutex_);
  return loadCalls_;
}

HRESULT RunningObjectEntry::Register(IUnknown* object) {
  Revoke();
  CLSID classId;
  HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(win32::kHostClassId), &classId);
  if (FAILED(hr)) return hr;
  hr = RegisterActiveObject(object, classId, ACTIVEOBJECT_STRONG, &cookie_);
  if (FAILED(hr)) cookie_ = 0;
  return hr;
}

void RunningObjectEntry::Revoke() {
  if (!cookie_) return;
  RevokeActiveObject(cookie_, nullptr);
  cookie_ = 0;
}

}  // namespace kelvora::testhost
