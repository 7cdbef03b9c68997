#include "text/gcode_dialect.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kelvora::text {
namespace {

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// Codes are held as ten times their number (G28.1 is 281), up to M199.
constexpr int kCodeSlots = 2000;
using CodeSet = std::bitset<kCodeSlots>;

// The codes of `list` ("0 1 28.1 100-199").
CodeSet ParseCodes(std::string_view list) {
  CodeSet codes;
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    const std::string token(list.substr(at, end - at));
    at = end + 1;
    if (token.empty()) continue;
    const std::size_t dash = token.find('-');
    const double low = std::strtod(token.substr(0, dash).c_str(), nullptr);
    const double high =
        dash == std::string::npos ? low : std::strtod(token.substr(dash + 1).c_str(), nullptr);
    const auto first = static_cast<int>(std::lround(low * 10.0));
    const auto last = static_cast<int>(std::lround(high * 10.0));
    // A range holds whole codes only; a single code may have its tenth.
    for (int code = first; code <= last && code < kCodeSlots;
         code += dash == std::string::npos ? 1 : 10) {
      codes.set(static_cast<std::size_t>(code));
    }
  }
  return codes;
}

struct DialectCodes {
  CodeSet g, m;
  std::uint32_t letters = 0;  // bit i: letter 'A' + i
};

std::uint32_t LetterBits(std::string_view letters) {
  std::uint32_t bits = 0;
  for (char c : letters) {
    if (c >= 'A' && c <= 'Z') bits |= 1U << (c - 'A');
  }
  return bits;
}

// The codes of a row of kDialects, parsed once; null for other rules (a caller's own).
const DialectCodes* TableCodes(const DialectRules& rules) {
  static const auto table = [] {
    std::array<DialectCodes, std::size(kDialects)> codes{};
    for (std::size_t i = 0; i < std::size(kDialects); ++i) {
      codes[i] = {ParseCodes(kDialects[i].gCodes), ParseCodes(kDialects[i].mCodes),
                  LetterBits(kDialects[i].letters)};
    }
    return codes;
  }();
  for (std::size_t i = 0; i < std::size(kDialects); ++i) {
    if (&rules == &kDialects[i]) return &table[i];
  }
  return nullptr;
}

bool Holds(const CodeSet& codes, double number) {
  const double tenths = number * 10.0;
  const double rounded = std::round(tenths);
  if (std::fabs(tenths - rounded) > 1e-6 || rounded < 0.0 || rounded >= kCodeSlots) return false;
  return codes.test(static_cast<std::size_t>(rounded));
}

}  // namespace

const DialectRules& RulesOf(Dialect dialect) {
  for (const DialectRules& rules : kDialects) {
    if (rules.dialect == dialect) return rules;
  }
  return kDialects[0];
}

std::optional<Dialect> DialectNamed(std::string_view name) {
  if (name.empty()) return Dialect::kHost;
  for (const DialectRules& rules : kDialects) {
    if (SameName(rules.name, name)) return rules.dialect;
  }
  return std::nullopt;
}

std::string_view DialectNameList() {
  return "Host, LinuxCNC, GRBL, grblHAL";
}

bool AcceptsWord(const DialectRules& rules, char letter, double number) {
  letter = Upper(letter);
  const DialectCodes* codes = TableCodes(rules);
  if (!rules.letters.empty()) {
    if (letter < 'A' || letter > 'Z') return false;
    const std::uint32_t bits = codes ? codes->letters : LetterBits(rules.letters);
    if (((bits >> (letter - 'A')) & 1U) == 0) return false;
  }
  const bool g = letter == 'G' && !rules.gCodes.empty();
  const bool m = letter == 'M' && !rules.mCodes.empty();
  if (!g && !m) return true;
  if (codes) return Holds(g ? codes->g : codes->m, number);
  return Holds(ParseCodes(g ? rules.gCodes : rules.mCodes), number);
}

}  // namespace kelvora::text
