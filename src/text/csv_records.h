// Reading and writing the list files (points, cuts, teach tables): a header line,
// then one record per line with a fixed number of fields, up to the first empty
// line. Lines end with LF, CR LF or CR alone; a quoted field may hold line ends. Nothing is dropped
// silently: lines that are skipped and lines that follow the empty line are listed, so the caller
// can name them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::text {

struct SkippedLine {
  std::size_t line;    // 1-based line number in the file (where the record starts)
  std::size_t fields;  // fields found; 0 for an unterminated quote
};

struct CsvRecords {
  std::vector<std::vector<std::string>> rows;
  // The 1-based line of the file where each row's record starts.
  std::vector<std::size_t> rowLines;
  // Lines that were read but did not give a record: a wrong number of fields or
  // an unterminated quote.
  std::vector<SkippedLine> skipped;
  // Lines after the first empty line that hold text; reading stops at the empty
  // line, so these are not read. Empty lines there lose nothing and are not listed.
  std::vector<std::size_t> ignored;
  // The line number of the first empty line, when there is one.
  std::optional<std::size_t> emptyLine;

  bool Complete() const { return skipped.empty() && ignored.empty(); }
};

// Reads file content: the first record is skipped whatever it holds (the header);
// every further record (SplitCsvRecords) up to the first empty line is split by
// SplitCsvLine and kept when it has exactly `fieldCount` fields.
CsvRecords ReadCsvRecords(std::string_view content, std::size_t fieldCount);

// The file text: the header line, then one line per row (fields joined by
// JoinCsvLine), every line ended by CR LF.
std::string WriteCsvRecords(std::string_view header,
                            const std::vector<std::vector<std::string>>& rows);

}  // namespace kelvora::text
