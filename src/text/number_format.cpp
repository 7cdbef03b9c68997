#include "text/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kelvora::text {
namespace {

struct Decimals {
  int min;
  int max;
};

// Fewest and most decimals of each pattern, in the order of NumberFormat.
constexpr std::array<Decimals, 9> kDecimals{{
    {0, 3},  // kMax3 "0.###"
    {3, 3},  // kFixed3 "0.000"
    {1, 1},  // kFixed1 "0.0"
    {0, 1},  // kMax1 "0.#"
    {0, 2},  // kMax2 "0.##"
    {0, 0},  // kWhole "0"
    {1, 1},  // kF1
    {2, 2},  // kF2
    {3, 3},  // kF3
}};

Decimals DecimalsOf(NumberFormat format) {
  return kDecimals[static_cast<std::size_t>(format)];
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

std::string_view Scientific15(double value, char (&buffer)[32]) {
  const auto res =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view text(buffer, static_cast<std::size_t>(res.ptr - buffer));
  constexpr std::string_view kPastLargest = "1.79769313486232e+308";
  if (text.size() >= kPastLargest.size() &&
      text.substr(text.size() - kPastLargest.size()) == kPastLargest) {
    buffer[text.size() - 6] = '1';  // the last mantissa digit
  }
  return text;
}

namespace detail {

std::string FormatNumberGeneral(double value, NumberFormat format) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  const Decimals decimals = DecimalsOf(format);

  // Integer digits and fraction digits of |value| reduced to 15 significant digits.
  std::string intDigits = "0";
  std::string fracDigits;
  if (value != 0.0) {
    char buf[32];
    const std::string_view sci = Scientific15(std::fabs(value), buf);
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

}  // namespace detail

namespace {

constexpr std::array<std::uint64_t, 20> kPow10 = [] {
  std::array<std::uint64_t, 20> p{};
  std::uint64_t v = 1;
  for (auto& e : p) {
    e = v;
    v *= 10;
  }
  return p;
}();

// Powers of ten from 1e-5 to 1e15 as doubles, to settle a decimal exponent.
constexpr std::array<double, 21> kPow10Double = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,
                                                 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                                 1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// An unsigned 128-bit product of two 64-bit numbers, with the parts the rounding
// needs. The 32-bit Windows build has no 128-bit integer type: there the product
// is made from 32-bit halves.
#ifdef __SIZEOF_INT128__
struct Wide {
  __extension__ using U128 = unsigned __int128;
  U128 v;

  // The value shifted right by `s` bits (0 < s < 128), when it fits 64 bits.
  std::uint64_t ShiftedRight(int s) const { return static_cast<std::uint64_t>(v >> s); }
  bool Bit(int i) const { return ((v >> i) & 1) != 0; }
  // Whether any of the bits below bit `i` is set.
  bool AnyBelow(int i) const { return (v & ((U128{1} << i) - 1)) != 0; }
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
  return {static_cast<Wide::U128>(a) * b};
}
#else
struct Wide {
  std::uint64_t hi;
  std::uint64_t lo;

  std::uint64_t ShiftedRight(int s) const {
    if (s >= 64) return hi >> (s - 64);
    return (lo >> s) | (hi << (64 - s));
  }
  bool Bit(int i) const { return i >= 64 ? (hi >> (i - 64)) & 1 : (lo >> i) & 1; }
  bool AnyBelow(int i) const {
    if (i >= 64) return lo != 0 || (hi & ((std::uint64_t{1} << (i - 64)) - 1)) != 0;
    return i > 0 && (lo & ((std::uint64_t{1} << i) - 1)) != 0;
  }
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t mask = 0xffffffffu;
  const std::uint64_t ll = (a & mask) * (b & mask);
  const std::uint64_t lh = (a & mask) * (b >> 32);
  const std::uint64_t hl = (a >> 32) * (b & mask);
  const std::uint64_t hh = (a >> 32) * (b >> 32);
  const std::uint64_t mid = (ll >> 32) + (lh & mask) + (hl & mask);
  return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & mask)};
}
#endif

// |value| reduced to 15 significant digits and rounded half away from zero to
// `decimals` places, as a whole number of 10^-decimals; false when |value| is
// not below 1e15 (or not a number). The value m * 2^-shift is scaled by a power
// of ten and split exactly, so the 15-digit step rounds the exact binary value
// (halves to even, as the general way's digit text does), with no floating-point
// error.
bool ScaledUnits(double magnitude, int decimals, std::uint64_t& units) {
  if (!(magnitude < 1e15)) return false;
  units = 0;
  // Below 1e-4 even the 15-digit form rounds to 0 at three decimals.
  if (magnitude < 1e-4) return true;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int shift = 1075 - biased;  // magnitude = mantissa / 2^shift, shift in [3, 66]
  // The decimal exponent E (10^E <= magnitude < 10^(E+1)): from the binary
  // exponent (log10(2) ~ 1233 / 4096) it is one of two, told apart by the next
  // power of ten, then settled exactly on the scaled value (the doubles of the
  // negative powers are not exact).
  int exponent = ((biased - 1023) * 1233) >> 12;
  if (magnitude >= kPow10Double[static_cast<std::size_t>(exponent + 6)]) ++exponent;
  Wide scaled{};
  std::uint64_t digits = 0;  // floor(magnitude * 10^(14 - E)): 15 digits
  for (int tries = 0;; ++tries) {
    const int k = 14 - exponent;
    if (tries == 3 || k < 0 || k >= static_cast<int>(kPow10.size())) return false;
    scaled = Multiply(mantissa, kPow10[static_cast<std::size_t>(k)]);
    digits = scaled.ShiftedRight(shift);
    if (digits < kPow10[14]) {
      --exponent;
    } else if (digits >= kPow10[15]) {
      ++exponent;
    } else {
      break;
    }
  }
  // 15 significant digits, the exact half going to the even neighbour.
  if (scaled.Bit(shift - 1) && (scaled.AnyBelow(shift - 1) || (digits & 1) != 0)) ++digits;
  // digits counts units of 10^(E - 14); the pattern keeps units of 10^-decimals.
  const int drop = 14 - exponent - decimals;
  if (drop > 0) {
    const std::uint64_t unit = kPow10[static_cast<std::size_t>(drop)];
    units = (digits + unit / 2) / unit;
  } else {
    units = digits * kPow10[static_cast<std::size_t>(-drop)];
  }
  return true;
}

// Writes the decimal digits of `v` (below 10^19) two at a time; returns the end.
char* WriteWhole(char* out, std::uint64_t v) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  int length = 1;
  while (length < 19 && v >= kPow10[static_cast<std::size_t>(length)]) ++length;
  char* p = out + length;
  while (v >= 100) {
    const std::size_t pair = static_cast<std::size_t>(v % 100) * 2;
    v /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (v >= 10) {
    *--p = kPairs[v * 2 + 1];
    *--p = kPairs[v * 2];
  } else {
    *--p = static_cast<char>('0' + v);
  }
  return out + length;
}

}  // namespace

std::size_t FormatNumberShort(double value, NumberFormat format, char* out) {
  const Decimals decimals = DecimalsOf(format);
  std::uint64_t units = 0;
  if (!ScaledUnits(std::fabs(value), decimals.max, units)) return 0;
  char* p = out;
  if (value < 0 && units != 0) *p++ = '-';
  const std::uint64_t scale = kPow10[static_cast<std::size_t>(decimals.max)];
  p = WriteWhole(p, units / scale);
  std::uint64_t fraction = units % scale;
  int kept = decimals.max;
  while (kept > decimals.min && fraction % 10 == 0) {
    fraction /= 10;
    --kept;
  }
  if (kept > 0) {
    *p++ = '.';
    for (int i = kept - 1; i >= 0; --i) {
      p[i] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    p += kept;
  }
  return static_cast<std::size_t>(p - out);
}

void AppendNumber(std::string& out, double value, NumberFormat format) {
  char buf[kShortNumberChars];
  const std::size_t n = FormatNumberShort(value, format, buf);
  if (n != 0) {
    out.append(buf, n);
  } else {
    out += detail::FormatNumberGeneral(value, format);
  }
}

std::string FormatNumber(double value, NumberFormat format) {
  char buf[kShortNumberChars];
  const std::size_t n = FormatNumberShort(value, format, buf);
  if (n != 0) return std::string(buf, n);
  return detail::FormatNumberGeneral(value, format);
}

}  // namespace kelvora::text
