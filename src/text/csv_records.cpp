#include "text/csv_records.h"

#include "text/csv.h"

namespace kelvora::text {

CsvRecords ReadCsvRecords(std::string_view content, std::size_t fieldCount) {
  CsvRecords out;
  const std::vector<CsvLine> records = SplitCsvRecords(content);
  for (std::size_t i = 1; i < records.size(); ++i) {
    const std::size_t number = records[i].line;
    if (out.emptyLine) {
      if (!records[i].text.empty()) out.ignored.push_back(number);
      continue;
    }
    if (records[i].text.empty()) {
      out.emptyLine = number;
      continue;
    }
    auto fields = SplitCsvLine(records[i].text);
    if (!fields || fields->size() != fieldCount) {
      out.skipped.push_back({number, fields ? fields->size() : 0});
      continue;
    }
    out.rows.push_back(std::move(*fields));
    out.rowLines.push_back(number);
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
