#include "text/gcode_dialect.h"

#include <algorithm>
#include <cmath>
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

// Whether `number` is one of the codes of `list` ("0 1 28.1 100-199").
bool ListHolds(std::string_view list, double number) {
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    const std::string token(list.substr(at, end - at));
    at = end + 1;
    if (token.empty()) continue;
    const std::size_t dash = token.find('-');
    if (dash != std::string::npos) {
      const double low = std::strtod(token.substr(0, dash).c_str(), nullptr);
      const double high = std::strtod(token.substr(dash + 1).c_str(), nullptr);
      if (number >= low && number <= high && number == std::floor(number)) return true;
      continue;
    }
    if (std::fabs(std::strtod(token.c_str(), nullptr) - number) < 1e-6) return true;
  }
  return false;
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
  if (!rules.letters.empty() && rules.letters.find(letter) == std::string_view::npos) return false;
  if (letter == 'G' && !rules.gCodes.empty()) return ListHolds(rules.gCodes, number);
  if (letter == 'M' && !rules.mCodes.empty()) return ListHolds(rules.mCodes, number);
  return true;
}

}  // namespace kelvora::text
