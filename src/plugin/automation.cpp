#include "plugin/automation.h"

#include <array>
#include <type_traits>

namespace kelvora::plugin {

std::string HResultText(HResult hr) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto bits = static_cast<std::uint32_t>(hr);
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(bits >> shift) & 0xF];
  return text;
}

namespace {

std::optional<std::uint16_t> LetterType(char letter) {
  switch (letter) {
    case 'b':
      return kVtBool;
    case 'c':
      return kVtCy;
    case 'i':
      return kVtI2;
    case 's':
      return kVtBstr;
    case 'I':
      return kVtI4;
    case 'e':
      return kVtError;
    case 'r':
      return kVtR4;
    case 'd':
      return kVtDate;
    case 'R':
      return kVtR8;
    case 'v':
      return kVtVariant;
    case 'D':
      return kVtDispatch;
    case 'U':
      return kVtUnknown;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<FormatStep> GetNextVarType(std::string_view format, std::size_t position) {
  if (position >= format.size()) return std::nullopt;
  std::uint16_t byRef = 0;
  if (format[position] == '&') {
    byRef = kVtByRef;
    ++position;
    if (position >= format.size()) return std::nullopt;
  }
  auto type = LetterType(format[position]);
  if (!type) return std::nullopt;
  return FormatStep{static_cast<std::uint16_t>(*type | byRef), position + 1};
}

namespace {

// The position of `T` among the alternatives of an AutomationArg.
template <typename T, typename... Alternatives>
constexpr std::size_t IndexIn(const std::variant<Alternatives...>*) {
  constexpr bool same[] = {std::is_same_v<T, Alternatives>...};
  std::size_t index = 0;
  while (index < sizeof...(Alternatives) && !same[index]) ++index;
  return index;
}
template <typename T>
constexpr std::size_t kArgIndex = IndexIn<T>(static_cast<const AutomationArg*>(nullptr));

// The C++ value each variant type is filled from (see AutomationArg).
struct ArgumentKind {
  std::uint16_t varType;
  std::size_t alternative;
};
constexpr ArgumentKind kArgumentKinds[] = {
    {kVtBool, kArgIndex<bool>},
    {kVtI2, kArgIndex<std::int16_t>},
    {kVtI4, kArgIndex<std::int32_t>},
    {kVtError, kArgIndex<std::int32_t>},
    {kVtCy, kArgIndex<std::int64_t>},
    {kVtR4, kArgIndex<float>},
    {kVtR8, kArgIndex<double>},
    {kVtDate, kArgIndex<double>},
    {kVtBstr, kArgIndex<std::u16string>},
    {kVtDispatch, kArgIndex<AutomationObject>},
    {kVtUnknown, kArgIndex<AutomationObject>},
};

}  // namespace

bool ArgumentFits(std::uint16_t varType, const AutomationArg& arg) {
  if (varType & kVtByRef) return arg.index() == kArgIndex<AutomationObject>;
  for (const ArgumentKind& kind : kArgumentKinds) {
    if (kind.varType == varType) return arg.index() == kind.alternative;
  }
  return false;
}

std::optional<int> CountArgsInFormat(const char* format) {
  if (format == nullptr) return 0;
  std::string_view text(format);
  int count = 0;
  for (std::size_t position = 0; position < text.size(); ++count) {
    auto step = GetNextVarType(text, position);
    if (!step) return std::nullopt;
    position = step->next;
  }
  return count;
}

}  // namespace kelvora::plugin
