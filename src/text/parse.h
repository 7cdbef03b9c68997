// Reading numbers from the text the operator typed or a file holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvora::text {

// A decimal number as a text box accepts it: optional blanks around, an optional
// sign, digits with an optional "." and fraction, an optional exponent. "." is
// the only decimal point and there is no group separator: a text holding a ","
// ("12,5", "1,000") does not convert, so it is never read as another number.
// "NaN", "Infinity", hexadecimal and out-of-range values do not convert.
std::optional<double> ParseDouble(std::string_view text);

// Whole numbers: optional blanks around, an optional sign, digits only. A
// fraction or a value outside the type's range does not convert.
std::optional<std::int16_t> ParseInt16(std::string_view text);
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Blanks as the number readers skip them: space, tab, line feed, vertical tab,
// form feed and carriage return.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);

}  // namespace kelvora::text
