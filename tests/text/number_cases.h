// Values on which the short way of writing a number (FormatNumberShort) is
// compared with the general way, digit for digit: shared by the test, which
// runs a sample, and the formatting benchmark, which runs ten million.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/number_format.h"

namespace kelvora::text::cases {

inline constexpr NumberFormat kAllFormats[] = {
    NumberFormat::kMax3, NumberFormat::kFixed3, NumberFormat::kFixed1,
    NumberFormat::kMax1, NumberFormat::kMax2,   NumberFormat::kWhole,
    NumberFormat::kF1,   NumberFormat::kF2,     NumberFormat::kF3,
};

// The value and its neighbours one and two representable steps away.
inline void AddWithNeighbours(std::vector<double>& out, double v) {
  const double down = std::nextafter(v, -INFINITY);
  const double up = std::nextafter(v, INFINITY);
  out.insert(out.end(),
             {v, down, up, std::nextafter(down, -INFINITY), std::nextafter(up, INFINITY)});
}

// Every halfway case (k + 0.5) / 10^d for d = 1 to 3 and k below `count`, both
// signs, with its neighbours: where rounding half away from zero and the
// 15-digit step decide the last digit.
inline std::vector<double> HalfwayValues(int count) {
  std::vector<double> out;
  for (int d = 1; d <= 3; ++d) {
    const double scale = 2 * std::pow(10.0, d);
    for (int k = 0; k < count; ++k) {
      const double v = (2.0 * k + 1) / scale;
      AddWithNeighbours(out, v);
      AddWithNeighbours(out, -v);
    }
  }
  return out;
}

// Values whose 16th significant digit is an exact 5 (ties of the 15-digit step,
// which go to the even neighbour) and values whose 16 and 17-digit texts end in
// 5 or 49999 (where rounding twice would go wrong): integer part I with 16 - t
// digits plus an odd number of 2^-t, and decimal texts read back.
inline std::vector<double> FifteenDigitValues(std::mt19937_64& rng, int perCase) {
  std::vector<double> out;
  for (int t = 1; t <= 15; ++t) {
    const double low = std::pow(10.0, 15 - t);
    const double high = std::min(std::pow(10.0, 16 - t), std::ldexp(1.0, 53 - t));
    std::uniform_real_distribution<double> whole(low, high);
    std::uniform_int_distribution<std::uint64_t> odd(0, (std::uint64_t{1} << (t - 1)) - 1);
    for (int i = 0; i < perCase; ++i) {
      const double v =
          std::floor(whole(rng)) + static_cast<double>(2 * odd(rng) + 1) / std::ldexp(1.0, t);
      AddWithNeighbours(out, v);
      AddWithNeighbours(out, -v);
    }
  }
  for (int t = 1; t <= 60; ++t) {
    std::uniform_int_distribution<std::uint64_t> odd(0,
                                                     (std::uint64_t{1} << std::min(t - 1, 52)) - 1);
    for (int i = 0; i < perCase; ++i) {
      AddWithNeighbours(out, static_cast<double>(2 * odd(rng) + 1) / std::ldexp(1.0, t));
    }
  }
  std::uniform_int_distribution<int> exponent(-6, 16);
  std::uniform_int_distribution<std::uint64_t> digits(100'000'000'000'000ULL,
                                                      999'999'999'999'999ULL);
  for (int i = 0; i < 20 * perCase; ++i) {
    const std::string base = std::to_string(digits(rng));
    for (const char* tail : {"5", "49999", "50001", "4", "6"}) {
      const std::string text =
          base.substr(0, 1) + "." + base.substr(1) + tail + "e" + std::to_string(exponent(rng));
      out.push_back(std::strtod(text.c_str(), nullptr));
    }
  }
  return out;
}

// A double across the magnitudes the programs meet and beyond: uniform in a
// random decade from 1e-8 to 1e17, a multiple of 0.0005 nudged by a few steps,
// or any bit pattern at all (subnormals, NaN and infinities included).
inline double RandomValue(std::mt19937_64& rng) {
  const std::uint64_t r = rng();
  switch (r % 4) {
    case 0:
    case 1: {
      std::uniform_real_distribution<double> unit(1.0, 10.0);
      const double v = unit(rng) * std::pow(10.0, static_cast<double>(rng() % 26) - 8);
      return (r & 4) ? -v : v;
    }
    case 2: {
      double v = static_cast<double>(rng() % 200'000'000) * 0.0005;
      for (std::uint64_t n = rng() % 4; n > 0; --n) v = std::nextafter(v, (r & 8) ? INFINITY : 0.0);
      return (r & 4) ? -v : v;
    }
    default: {
      const std::uint64_t bits = rng();
      double v = 0;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
  }
}

// The first format, if any, for which the short way writes something other
// than the general way; `shortCount` counts the formats the short way took.
struct Mismatch {
  double value;
  NumberFormat format;
  std::string shortText;
  std::string generalText;
};

inline bool CompareWays(double value, std::size_t& shortCount, Mismatch& mismatch) {
  for (NumberFormat f : kAllFormats) {
    char buf[kShortNumberChars];
    const std::size_t n = FormatNumberShort(value, f, buf);
    if (n == 0) continue;
    ++shortCount;
    std::string general = detail::FormatNumberGeneral(value, f);
    if (general.size() != n || std::memcmp(general.data(), buf, n) != 0) {
      mismatch = {value, f, std::string(buf, n), std::move(general)};
      return false;
    }
  }
  return true;
}

}  // namespace kelvora::text::cases
