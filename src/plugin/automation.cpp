#include "plugin/automation.h"

#include <array>

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

bool ArgumentFits(std::uint16_t varType, const AutomationArg& arg) {
  if (varType & kVtByRef) return std::holds_alternative<AutomationObject>(arg);
  switch (varType) {
    case kVtBool:
      return std::holds_alternative<bool>(arg);
    case kVtI2:
      return std::holds_alternative<std::int16_t>(arg);
    case kVtI4:
    case kVtError:
      return std::holds_alternative<std::int32_t>(arg);
    case kVtCy:
      return std::holds_alternative<std::int64_t>(arg);
    case kVtR4:
      return std::holds_alternative<float>(arg);
    case kVtR8:
    case kVtDate:
      return std::holds_alternative<double>(arg);
    case kVtBstr:
      return std::holds_alternative<std::u16string>(arg);
    case kVtDispatch:
    case kVtUnknown:
      return std::holds_alternative<AutomationObject>(arg);
    default:
      return false;
  }
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
