// Late-bound calls into the host's automation object: looking up the running
// "Mach4.Document" and calling its members by name.
#pragma once

#include <oaidl.h>
#include <windows.h>

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

// A late-bound call in two steps: the member's id, and the call with
// `arguments` in call order reversed (the last argument first). A property put
// names its one argument. `result`, `exception` and `argError` may be null.
HRESULT ResolveMember(IDispatch* object, const wchar_t* name, DISPID* member);
HRESULT CallMember(IDispatch* object, DISPID member, WORD kind, std::vector<VARIANT>& arguments,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError);

// Frees the BSTRs among `arguments` (the other values are borrowed).
void FreeArguments(std::vector<VARIANT>& arguments);

// The dispatch pointer a result holds, or null when it holds anything else:
// only a VARIANT of type VT_DISPATCH carries a script object.
IDispatch* DispatchFromVariant(const VARIANT& value);

}  // namespace kelvora::win32
