// CSV lines as the list files store them: fields separated by ",", a field that
// holds a "," or a double quote is written in double quotes with inner quotes doubled.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::text {

// Splits one line into its fields. A field that starts with a double quote runs
// to its closing quote (commas inside belong to it, a doubled quote is one quote)
// and must be followed by "," or the end of the line. An unterminated quote makes
// the line malformed: nullopt.
std::optional<std::vector<std::string>> SplitCsvLine(std::string_view line);

// Joins fields into one line (no line end). Fields without "," and '"' are written
// as they are, so such lines are byte for byte what a plain join gives.
std::string JoinCsvLine(const std::vector<std::string>& fields);

// Splits file content into lines at line feeds, removing one trailing carriage
// return from each. A final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view content);

}  // namespace kelvora::text
