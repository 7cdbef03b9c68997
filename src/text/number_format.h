// Number text: the display patterns used in programs, text boxes and files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvora::text {

// The patterns a value can be written with. "0.###" keeps at most three decimals
// and drops trailing zeros, "0.000" keeps exactly three, and so on; F1..F3 are the
// fixed-point forms with exactly one to three decimals.
enum class NumberFormat { kMax3, kFixed3, kFixed1, kMax1, kMax2, kWhole, kF1, kF2, kF3 };

// Writes `value` with `format`: the value is first reduced to 15 significant
// digits, then rounded half away from zero to the last decimal the pattern allows.
// A result whose digits are all zero carries no minus sign. The decimal separator
// is always ".".
std::string FormatNumber(double value, NumberFormat format);

// Appends FormatNumber(value, format) to `out` without a string of its own.
void AppendNumber(std::string& out, double value, NumberFormat format);

// Room for every text FormatNumberShort writes: a sign, 19 digits and the point.
inline constexpr std::size_t kShortNumberChars = 24;

// The common case of FormatNumber without any allocation: writes the same text
// into `out` (room for kShortNumberChars) and returns its length, or returns 0
// and writes nothing when the value needs the general way (not finite, or 1e15
// and above in magnitude).
std::size_t FormatNumberShort(double value, NumberFormat format, char* out);

namespace detail {
// The general way, digit by digit from the value's 15-significant-digit text;
// FormatNumber gives exactly its bytes for every value.
std::string FormatNumberGeneral(double value, NumberFormat format);
}  // namespace detail

// Writes `value` with 15 significant digits in the form "[-]d.dddddddddddddde±XX"
// into `buffer` and returns the text; every number text of programs and of the
// profile starts from it. Near the largest double the rounding would pass it
// (1.7976931348623157e308 rounds to 1.79769313486232e308, which no reader takes
// back), so those magnitudes keep 1.79769313486231e308, the largest 15-digit
// value there is.
std::string_view Scientific15(double value, char (&buffer)[32]);

// The pattern text ("0.###", "0.000", "0.0", "0.#", "0.##", "0", "F1", "F2", "F3").
std::string_view PatternText(NumberFormat format);
std::optional<NumberFormat> NumberFormatFromPattern(std::string_view pattern);

}  // namespace kelvora::text
