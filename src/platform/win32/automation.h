// Late-bound calls into the host's automation object: looking up the running
// "Mach4.Document" and calling its members by name with a small format string
// that names the type of each argument.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdarg>

namespace kelvora::win32 {

// The host's automation object, by ProgID, and the class id it registers in the
// running-object table (used when the ProgID is not in the registry).
inline constexpr wchar_t kHostProgId[] = L"Mach4.Document";
inline constexpr wchar_t kHostClassId[] = L"{CA7992B2-2653-4342-8061-D7D385C07809}";

// Attaches to the running instance named by `progId` (never starts one) and
// returns its IDispatch in `object` (null on failure). When the ProgID is not
// registered, the host's fixed class id is looked up instead.
HRESULT CreateObject(const wchar_t* progId, IDispatch** object);

// Argument formats: one letter per argument, optionally preceded by "&" for a
// by-reference argument (a pointer to the value is passed):
//   b VT_BOOL   i VT_I2   I VT_I4   r VT_R4   R VT_R8   c VT_CY   s VT_BSTR
//   e VT_ERROR  d VT_DATE  v VT_VARIANT  D VT_DISPATCH  U VT_UNKNOWN
// By value the variable arguments are: b, i int; I, e long; r, R, d double;
// c CY; s const wchar_t* (copied into a BSTR); v VARIANT; D IDispatch*;
// U IUnknown*.

// The number of arguments that `format` names (a null format names none), or
// E_INVALIDARG for a letter outside the table.
HRESULT CountArgsInFormat(const char* format, UINT* count);

// Reads the next argument's type at `format` into `type` and returns the
// position after it, or null for a letter outside the table (or a lone "&").
const char* GetNextVarType(const char* format, VARTYPE* type);

// Calls member `name` of `object` with call kind `kind` (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT) and the arguments described by
// `format`. `result`, `exception` and `argError` may be null.
HRESULT Invoke(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
               const wchar_t* name, const char* format, ...);
HRESULT InvokeV(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
                const wchar_t* name, const char* format, va_list args);

// The dispatch pointer a result holds, or null when it holds anything else:
// only a VARIANT of type VT_DISPATCH carries a script object.
IDispatch* DispatchFromVariant(const VARIANT& value);

}  // namespace kelvora::win32
