#include "text/parse.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kelvora::text {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

template <typename T>
std::optional<T> ParseWhole(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > static_cast<std::int64_t>(std::numeric_limits<T>::max()) + 1) {
      return std::nullopt;
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
    return std::nullopt;
  }
  return static_cast<T>(value);
}

}  // namespace

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseDouble(std::string_view text) {
  text = TrimBlanks(text);
  // Validate the shape while building a clean copy (no sign) for from_chars.
  std::string clean;
  clean.reserve(text.size());
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int intDigits = 0;     // significant integer digits (leading zeros dropped)
  int leadingZeros = 0;  // zeros after the point before the first non-zero digit
  bool seenNonZero = false;
  bool anyDigit = false;
  // A "," is no part of a number: "12,5" written with a decimal comma must not
  // read as 125, nor "1,000" as 1 or 1000, so it is refused wherever it stands.
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    anyDigit = true;
    if (text[i] != '0') seenNonZero = true;
    if (seenNonZero) ++intDigits;
    clean += text[i];
  }
  if (i < text.size() && text[i] == '.') {
    clean += '.';
    ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      anyDigit = true;
      if (!seenNonZero) {
        if (text[i] == '0') {
          ++leadingZeros;
        } else {
          seenNonZero = true;
        }
      }
      clean += text[i];
    }
  }
  if (!anyDigit) return std::nullopt;
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    clean += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      clean += text[i];
      ++i;
    }
    const std::size_t expStart = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      clean += text[i];
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (i == expStart) return std::nullopt;
    if (clean[clean.size() - (i - expStart) - 1] == '-') exponent = -exponent;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0.0;
  const auto res = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (res.ptr != clean.data() + clean.size()) return std::nullopt;
  if (res.ec == std::errc::result_out_of_range) {
    // Too small to represent reads as zero; too large does not convert.
    const long long magnitude =
        seenNonZero ? (intDigits > 0 ? intDigits : -leadingZeros) + exponent : -1;
    if (magnitude > 0) return std::nullopt;
    value = 0.0;
  } else if (res.ec != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int16_t> ParseInt16(std::string_view text) {
  return ParseWhole<std::int16_t>(text);
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  return ParseWhole<std::int32_t>(text);
}

}  // namespace kelvora::text
