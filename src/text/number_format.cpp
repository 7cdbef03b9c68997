#include "text/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kelvora::text {
namespace {

struct Decimals {
  int min;
  int max;
};

Decimals DecimalsOf(NumberFormat format) {
  switch (format) {
    case NumberFormat::kMax3:
      return {0, 3};
    case NumberFormat::kFixed3:
      return {3, 3};
    case NumberFormat::kFixed1:
      return {1, 1};
    case NumberFormat::kMax1:
      return {0, 1};
    case NumberFormat::kMax2:
      return {0, 2};
    case NumberFormat::kWhole:
      return {0, 0};
    case NumberFormat::kF1:
      return {1, 1};
    case NumberFormat::kF2:
      return {2, 2};
    case NumberFormat::kF3:
      return {3, 3};
  }
  return {0, 0};
}

constexpr std::array<std::pair<NumberFormat, std::string_view>, 9> kPatterns{{
    {NumberFormat::kMax3, "0.###"},
    {NumberFormat::kFixed3, "0.000"},
    {NumberFormat::kFixed1, "0.0"},
    {NumberFormat::kMax1, "0.#"},
    {NumberFormat::kMax2, "0.##"},
    {NumberFormat::kWhole, "0"},
    {NumberFormat::kF1, "F1"},
    {NumberFormat::kF2, "F2"},
    {NumberFormat::kF3, "F3"},
}};

}  // namespace

std::string_view PatternText(NumberFormat format) {
  for (const auto& [f, text] : kPatterns) {
    if (f == format) return text;
  }
  return {};
}

std::optional<NumberFormat> NumberFormatFromPattern(std::string_view pattern) {
  for (const auto& [f, text] : kPatterns) {
    if (text == pattern) return f;
  }
  return std::nullopt;
}

std::string FormatNumber(double value, NumberFormat format) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  const Decimals decimals = DecimalsOf(format);

  // Integer digits and fraction digits of |value| reduced to 15 significant digits.
  std::string intDigits = "0";
  std::string fracDigits;
  if (value != 0.0) {
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos)) {
      if (c != '.') digits += c;
    }
    const int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
    const int pointPos = exponent + 1;  // digits before the decimal point
    if (pointPos <= 0) {
      fracDigits = std::string(static_cast<std::size_t>(-pointPos), '0') + digits;
    } else if (static_cast<std::size_t>(pointPos) >= digits.size()) {
      intDigits = digits + std::string(static_cast<std::size_t>(pointPos) - digits.size(), '0');
    } else {
      intDigits = digits.substr(0, static_cast<std::size_t>(pointPos));
      fracDigits = digits.substr(static_cast<std::size_t>(pointPos));
    }
  }

  // Round half away from zero at the last allowed decimal (on the magnitude).
  const auto keep = static_cast<std::size_t>(decimals.max);
  if (fracDigits.size() > keep) {
    const bool roundUp = fracDigits[keep] >= '5';
    fracDigits.resize(keep);
    if (roundUp) {
      std::string all = intDigits + fracDigits;
      int i = static_cast<int>(all.size()) - 1;
      while (i >= 0 && all[static_cast<std::size_t>(i)] == '9') {
        all[static_cast<std::size_t>(i)] = '0';
        --i;
      }
      if (i < 0) {
        all.insert(all.begin(), '1');
      } else {
        ++all[static_cast<std::size_t>(i)];
      }
      intDigits = all.substr(0, all.size() - keep);
      fracDigits = all.substr(all.size() - keep);
    }
  }
  while (fracDigits.size() > static_cast<std::size_t>(decimals.min) && fracDigits.back() == '0') {
    fracDigits.pop_back();
  }
  while (fracDigits.size() < static_cast<std::size_t>(decimals.min)) fracDigits += '0';

  const bool allZero = intDigits.find_first_not_of('0') == std::string::npos &&
                       fracDigits.find_first_not_of('0') == std::string::npos;
  std::string out;
  if (value < 0 && !allZero) out += '-';
  out += intDigits;
  if (!fracDigits.empty()) {
    out += '.';
    out += fracDigits;
  }
  return out;
}

}  // namespace kelvora::text
