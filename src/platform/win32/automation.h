// Late-bound calls into the host's automation object: looking up the running
// "Mach4.Document" and calling its members by name, with the format letters of
// plugin/automation.h naming the type of each argument.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdarg>
#include <vector>

namespace kelvora::win32 {

// The host's automation object, by ProgID, and the class id it registers in the
// running-object table (used when the ProgID is not in the registry).
inline constexpr wchar_t kHostProgId[] = L"Mach4.Document";
inline constexpr wchar_t kHostClassId[] = L"{CA7992B2-2653-4342-8061-D7D385C07809}";

// Attaches to the running instance named by `progId` (never starts one) and
// returns its IDispatch in `object` (null on failure). When the ProgID is not
// registered, the host's fixed class id is looked up instead.
HRESULT CreateObject(const wchar_t* progId, IDispatch** object);

// Calls member `name` of `object` with call kind `kind` (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT) and the arguments described by
// `format`. `result`, `exception` and `argError` may be null. By value the
// variable arguments are: b, i int; I, e long; r, R, d double; c CY;
// s const wchar_t* (copied into a BSTR); v VARIANT; D IDispatch*; U IUnknown*;
// after "&" a pointer to such a value.
HRESULT Invoke(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
               const wchar_t* name, const char* format, ...);
HRESULT InvokeV(IDispatch* object, WORD kind, VARIANT* result, EXCEPINFO* exception, UINT* argError,
                const wchar_t* name, const char* format, va_list args);

// The two halves of Invoke, for callers that build the arguments themselves:
// the member's id, and the call with `arguments` in call order reversed (the
// last argument first). A property put names its one argument.
HRESULT ResolveMember(IDispatch* object, const wchar_t* name, DISPID* member);
HRESULT CallMember(IDispatch* object, DISPID member, WORD kind, std::vector<VARIANT>& arguments,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError);

// Frees the BSTRs among `arguments` (the other values are borrowed).
void FreeArguments(std::vector<VARIANT>& arguments);

// The dispatch pointer a result holds, or null when it holds anything else:
// only a VARIANT of type VT_DISPATCH carries a script object.
IDispatch* DispatchFromVariant(const VARIANT& value);

}  // namespace kelvora::win32
