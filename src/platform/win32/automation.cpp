#include "platform/win32/automation.h"

namespace kelvora::win32 {

namespace {

// The user's default locale, as the host's automation expects names in.
constexpr LCID kUserDefaultLocale = 0x0400;

}  // namespace

HRESULT CreateObject(const wchar_t* progId, IDispatch** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CLSID classId;
  HRESULT hr = CLSIDFromProgID(progId, &classId);
  if (FAILED(hr)) {
    hr = CLSIDFromString(const_cast<LPOLESTR>(kHostClassId), &classId);
    if (FAILED(hr)) return hr;
  }
  IUnknown* unknown = nullptr;
  hr = GetActiveObject(classId, nullptr, &unknown);
  if (FAILED(hr)) return hr;
  if (!unknown) return E_POINTER;
  IDispatch* dispatch = nullptr;
  hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  unknown->Release();
  if (FAILED(hr)) {
    if (dispatch) dispatch->Release();
    return hr;
  }
  *object = dispatch;
  return S_OK;
}

HRESULT ResolveMember(IDispatch* object, const wchar_t* name, DISPID* member) {
  if (!object || !name) return E_INVALIDARG;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, kUserDefaultLocale, member);
}

HRESULT CallMember(IDispatch* object, DISPID member, WORD kind, std::vector<VARIANT>& arguments,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params = {};
  if (kind & DISPATCH_PROPERTYPUT) {
    if (arguments.empty()) return E_INVALIDARG;
    params.cNamedArgs = 1;
    params.rgdispidNamedArgs = &putId;
  }
  params.cArgs = static_cast<UINT>(arguments.size());
  params.rgvarg = arguments.empty() ? nullptr : arguments.data();
  if (result) VariantInit(result);
  return object->Invoke(member, IID_NULL, kUserDefaultLocale, kind, &params, result, exception,
                        argError);
}

void FreeArguments(std::vector<VARIANT>& arguments) {
  for (VARIANT& arg : arguments) {
    if (V_VT(&arg) == VT_BSTR) VariantClear(&arg);
  }
}

IDispatch* DispatchFromVariant(const VARIANT& value) {
  return V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : nullptr;
}

}  // namespace kelvora::win32
