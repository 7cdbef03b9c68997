#include "platform/win32/automation.h"

#include <new>
#include <string_view>

#include "plugin/automation.h"

namespace kelvora::win32 {

namespace {

// The user's default locale, as the host's automation expects names in.
constexpr LCID kUserDefaultLocale = 0x0400;

// Fills one argument from the variable arguments. Returns E_OUTOFMEMORY when a
// BSTR cannot be allocated.
HRESULT FillArgument(VARIANT& arg, VARTYPE type, va_list& args) {
  V_VT(&arg) = type;
  if (type & VT_BYREF) {
    V_BYREF(&arg) = va_arg(args, void*);
    return S_OK;
  }
  switch (type) {
    case VT_BOOL:
      V_BOOL(&arg) = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_I2:
      V_I2(&arg) = static_cast<SHORT>(va_arg(args, int));
      break;
    case VT_I4:
      V_I4(&arg) = va_arg(args, LONG);
      break;
    case VT_ERROR:
      V_ERROR(&arg) = va_arg(args, SCODE);
      break;
    case VT_R4:
      V_R4(&arg) = static_cast<FLOAT>(va_arg(args, double));
      break;
    case VT_R8:
      V_R8(&arg) = va_arg(args, double);
      break;
    case VT_DATE:
      V_DATE(&arg) = va_arg(args, DATE);
      break;
    case VT_CY:
      V_CY(&arg) = va_arg(args, CY);
      break;
    case VT_DISPATCH:
      V_DISPATCH(&arg) = va_arg(args, IDispatch*);
      break;
    case VT_UNKNOWN:
      V_UNKNOWN(&arg) = va_arg(args, IUnknown*);
      break;
    case VT_VARIANT:
      // A variant by value is passed on as it is: its own type replaces VT_VARIANT.
      arg = va_arg(args, VARIANT);
      break;
    case VT_BSTR: {
      const wchar_t* text = va_arg(args, const wchar_t*);
      // A null text is the empty BSTR; any other must be copied.
      V_BSTR(&arg) = text ? SysAllocString(text) : nullptr;
      if (text && !V_BSTR(&arg)) {
        V_VT(&arg) = VT_EMPTY;
        return E_OUTOFMEMORY;
      }
      break;
    }
    default:
      return E_INVALIDARG;
  }
  return S_OK;
}

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

HRESULT Invoke(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
               const wchar_t* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const HRESULT hr = InvokeV(object, kind, result, exception, argError, name, format, args);
  va_end(args);
  return hr;
}

HRESULT InvokeV(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
                const wchar_t* name, const char* format, va_list args) {
  DISPID member;
  HRESULT hr = ResolveMember(object, name, &member);
  if (FAILED(hr)) return hr;
  const std::optional<int> count = plugin::CountArgsInFormat(format);
  if (!count) return E_INVALIDARG;
  if ((kind & DISPATCH_PROPERTYPUT) && *count == 0) return E_INVALIDARG;

  std::vector<VARIANT> arguments;
  try {
    arguments.resize(static_cast<std::size_t>(*count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (VARIANT& arg : arguments) VariantInit(&arg);
  // The last argument of the call is the first VARIANT.
  const std::string_view letters = format ? format : "";
  std::size_t position = 0;
  for (std::size_t i = arguments.size(); i > 0; --i) {
    const std::optional<plugin::FormatStep> step = plugin::GetNextVarType(letters, position);
    hr = step ? FillArgument(arguments[i - 1], step->varType, args) : E_INVALIDARG;
    if (FAILED(hr)) {
      FreeArguments(arguments);
      return hr;
    }
    position = step->next;
  }
  hr = CallMember(object, member, kind, arguments, result, exception, argError);
  FreeArguments(arguments);
  return hr;
}

IDispatch* DispatchFromVariant(const VARIANT& value) {
  return V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : nullptr;
}

}  // namespace kelvora::win32
