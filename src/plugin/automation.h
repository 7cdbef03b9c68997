// Late-bound calls on the host's automation object: the result codes, the
// argument types named by the format letters, and the service that finds a running
// object and calls its members by name (one implementation per platform).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvora::plugin {

using HResult = std::int32_t;
inline constexpr HResult kSOk = 0;
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kDispEUnknownName = static_cast<HResult>(0x80020006u);
inline constexpr HResult kMkEUnavailable = static_cast<HResult>(0x800401E3u);
inline constexpr HResult kCoEClassString = static_cast<HResult>(0x800401F3u);
inline constexpr bool Succeeded(HResult hr) {
  return hr >= 0;
}
// "0x80070057", as failures are shown to the operator.
std::string HResultText(HResult hr);

// Call kinds.
inline constexpr std::uint16_t kDispatchMethod = 1;
inline constexpr std::uint16_t kDispatchPropertyGet = 2;
inline constexpr std::uint16_t kDispatchPropertyPut = 4;
inline constexpr std::int32_t kDispidPropertyPut = -3;

// Variant types.
enum VarType : std::uint16_t {
  kVtEmpty = 0,
  kVtI2 = 2,
  kVtI4 = 3,
  kVtR4 = 4,
  kVtR8 = 5,
  kVtCy = 6,
  kVtDate = 7,
  kVtBstr = 8,
  kVtDispatch = 9,
  kVtError = 10,
  kVtBool = 11,
  kVtVariant = 12,
  kVtUnknown = 13,
  kVtByRef = 0x4000,
};

// The number of arguments a format names: one per letter, a letter optionally
// preceded by "&" (by reference). An unknown letter, or "&" without a letter,
// gives nullopt (E_INVALIDARG to the caller). A null format names none.
std::optional<int> CountArgsInFormat(const char* format);

// The type of the argument at `position` of the format and the position after it;
// nullopt at the end of the format or on a letter the table does not know.
struct FormatStep {
  std::uint16_t varType;
  std::size_t next;
};
std::optional<FormatStep> GetNextVarType(std::string_view format, std::size_t position);

// The host's objects, as handles the service hands out and takes back.
using AutomationObject = void*;

// One argument of a late-bound call: the C++ value the format letter takes.
// "b" bool; "i" int16; "I" int32 and "e" (an error code); "r" float; "R" double
// and "d" (a date); "c" int64 (currency, in ten-thousandths); "s" UTF-16 text;
// "D" and "U" an object handle; any letter after "&" a pointer to such a value.
using AutomationArg = std::variant<bool, std::int16_t, std::int32_t, float, double, std::int64_t,
                                   std::u16string, AutomationObject>;

// Whether `arg` holds the C++ value a VARIANT of `varType` is filled from (an
// object handle for any type by reference). A VARIANT by value, or a type the
// format letters do not name, takes none.
bool ArgumentFits(std::uint16_t varType, const AutomationArg& arg);

// The result of a call, as far as the plug-in looks at it.
struct AutomationResult {
  std::uint16_t varType = kVtEmpty;
  AutomationObject object = nullptr;  // the object when varType is VT_DISPATCH
};

class AutomationService {
 public:
  virtual ~AutomationService() = default;
  // Attaches to the running object that the ProgID names (its class id, or the
  // host's fixed class id when the ProgID is unknown). Never starts a new one.
  virtual HResult CreateObject(std::u16string_view progId, AutomationObject* object) = 0;
  // Calls `member` on `object` with the arguments the format names, in order.
  virtual HResult Invoke(AutomationObject object, std::uint16_t callKind, AutomationResult* result,
                         std::u16string_view member, const char* format,
                         const std::vector<AutomationArg>& args) = 0;
};

// The host's document object, and its fixed class id.
inline constexpr std::u16string_view kHostDocumentProgId = u"Mach4.Document";
inline constexpr std::u16string_view kHostDocumentClassId =
    u"{CA7992B2-2653-4342-8061-D7D385C07809}";

}  // namespace kelvora::plugin
