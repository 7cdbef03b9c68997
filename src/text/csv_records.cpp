#include "text/csv_records.h"

#include "text/csv.h"

namespace kelvora::text {

CsvRecords ReadCsvRecords(std::string_view content, std::size_t fieldCount) {
  CsvRecords out;
  const std::vector<std::string> lines = SplitLines(content);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t number = i + 1;
    if (out.emptyLine) {
      if (!lines[i].empty()) out.ignored.push_back(number);
      continue;
    }
    if (lines[i].empty()) {
      out.emptyLine = number;
      continue;
    }
    auto fields = SplitCsvLine(lines[i]);
    if (!fields || fields->size() != fieldCount) {
      out.skipped.push_back({number, fields ? fields->size() : 0});
      continue;
    }
    out.rows.push_back(std::move(*fields));
  }
  return out;
}

std::string WriteCsvRecords(std::string_view header,
                            const std::vector<std::vector<std::string>>& rows) {
  std::string out(header);
  out += "\r\n";
  for (const auto& row : rows) {
    out += JoinCsvLine(row);
    out += "\r\n";
  }
  return out;
}

}  // namespace kelvora::text
