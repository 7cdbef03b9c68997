// CSV lines as the list files store them: fields separated by ",", a field that
// holds a ",", a double quote or a line break is written in double quotes with
// inner quotes doubled. Files may end their lines with LF, CR LF or CR alone.
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

// Joins fields into one record (no line end). Fields without ",", '"', CR and LF
// are written as they are, so such lines are byte for byte what a plain join gives.
std::string JoinCsvLine(const std::vector<std::string>& fields);

// Splits file content into lines. A line ends at LF, at CR LF or at a CR alone
// (older spreadsheet programs end lines with CR; the conventions may mix in one
// file). A final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view content);
// The number of lines SplitLines gives, without building them.
std::size_t CountLines(std::string_view content);

// One record of a CSV file and the 1-based number of the line it starts on.
struct CsvLine {
  std::string text;
  std::size_t line = 0;
};

// Splits file content into records: lines as SplitLines makes them, except that
// a line end inside a quoted field belongs to the field, so the record runs on
// over the next line. A quote that never closes would swallow the rest of the
// file; its record is then its first line alone (malformed for SplitCsvLine) and
// the records after it are read as usual.
std::vector<CsvLine> SplitCsvRecords(std::string_view content);

}  // namespace kelvora::text
