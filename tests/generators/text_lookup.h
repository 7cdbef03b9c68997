// Input texts for the generators' tests: a map from settings key to text; a
// key the map does not hold reads as an empty text.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "generators/inputs.h"

namespace kelvora::generators::testing {

using TextMap = std::map<std::string, std::string, std::less<>>;

inline TextLookup MapTexts(TextMap values) {
  return [values = std::move(values)](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
}

}  // namespace kelvora::generators::testing
