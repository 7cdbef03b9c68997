#include "platform/win32/automation.h"

#include <new>
#include <vector>

namespace kelvora::win32 {

namespace {

// The user's default locale, as the host's automation expects names in.
constexpr LCID kUserDefaultLocale = 0x0400;

VARTYPE TypeOfLetter(char letter) {
  switch (letter) {
    case 'b':
      return VT_BOOL;
    case 'c':
      return VT_CY;
    case 'i':
      return VT_I2;
    case 's':
      return VT_BSTR;
    case 'I':
      return VT_I4;
    case 'e':
      return VT_ERROR;
    case 'r':
      return VT_R4;
    case 'd':
      return VT_DATE;
    case 'R':
      return VT_R8;
    case 'v':
      return VT_VARIANT;
    case 'D':
      return VT_DISPATCH;
    case 'U':
      return VT_UNKNOWN;
    default:
      return VT_EMPTY;
  }
}

// Fills one argument from the variable arguments. Returns E_OUTOFMEMORY when a
// BSTR cannot be allocated.
HRESULT FillArgument(VARIANT& arg, VARTYPE type, va_list& args) {
  if (type & VT_BYREF) {
    V_VT(&arg) = type;
    V_BYREF(&arg) = va_arg(args, void*);
    return S_OK;
  }
  V_VT(&arg) = type;
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

void FreeArguments(std::vector<VARIANT>& args) {
  for (VARIANT& arg : args) {
    if (V_VT(&arg) == VT_BSTR) VariantClear(&arg);
  }
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

const char* GetNextVarType(const char* format, VARTYPE* type) {
  VARTYPE byRef = 0;
  if (*format == '&') {
    byRef = VT_BYREF;
    ++format;
  }
  const VARTYPE base = TypeOfLetter(*format);
  if (base == VT_EMPTY) return nullptr;
  *type = static_cast<VARTYPE>(base | byRef);
  return format + 1;
}

HRESULT CountArgsInFormat(const char* format, UINT* count) {
  *count = 0;
  if (!format) return S_OK;
  while (*format) {
    VARTYPE type;
    format = GetNextVarType(format, &type);
    if (!format) return E_INVALIDARG;
    ++*count;
  }
  return S_OK;
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
  if (!object || !name) return E_INVALIDARG;
  DISPID member;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, kUserDefaultLocale, &member);
  if (FAILED(hr)) return hr;

  UINT count = 0;
  hr = CountArgsInFormat(format, &count);
  if (FAILED(hr)) return hr;

  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params = {};
  if (kind & DISPATCH_PROPERTYPUT) {
    if (count == 0) return E_INVALIDARG;
    params.cNamedArgs = 1;
    params.rgdispidNamedArgs = &putId;
  }

  std::vector<VARIANT> arguments;
  try {
    arguments.resize(count);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (VARIANT& arg : arguments) VariantInit(&arg);
  // The last argument of the call is the first VARIANT.
  const char* position = format;
  for (UINT i = count; i > 0; --i) {
    VARTYPE type;
    position = GetNextVarType(position, &type);
    hr = FillArgument(arguments[i - 1], type, args);
    if (FAILED(hr)) {
      FreeArguments(arguments);
      return hr;
    }
  }
  params.cArgs = count;
  params.rgvarg = count ? arguments.data() : nullptr;

  if (result) VariantInit(result);
  hr = object->Invoke(member, IID_NULL, kUserDefaultLocale, kind, &params, result, exception,
                      argError);
  FreeArguments(arguments);
  return hr;
}

IDispatch* DispatchFromVariant(const VARIANT& value) {
  return V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : nullptr;
}

}  // namespace kelvora::win32
