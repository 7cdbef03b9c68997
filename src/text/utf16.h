// UTF-8 and UTF-16 conversions, for the texts exchanged with the host's
// automation object.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::text {

// nullopt when `utf8` is not well-formed UTF-8 (overlong forms, surrogates and
// values above U+10FFFF included).
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
// nullopt when `utf16` holds an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);

}  // namespace kelvora::text
