#include "text/csv_records.h"

#include "text/csv.h"

namespace kelvora::text {
namespace {

std::string JoinNumbers(const std::vector<std::size_t>& numbers) {
  std::string out;
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    if (k > 0) out += ", ";
    out += std::to_string(numbers[k]);
  }
  return out;
}

}  // namespace

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

std::optional<std::string> DescribeLostLines(const CsvRecords& records) {
  if (records.Complete()) return std::nullopt;
  std::string message;
  if (!records.skipped.empty()) {
    std::vector<std::size_t> numbers;
    for (const SkippedLine& s : records.skipped) numbers.push_back(s.line);
    message += "Lines skipped (wrong number of fields): " + JoinNumbers(numbers);
  }
  if (!records.ignored.empty()) {
    if (!message.empty()) message += "\n";
    message += "Lines ignored after the empty line " +
               std::to_string(records.emptyLine.value_or(0)) + ": " + JoinNumbers(records.ignored);
  }
  return message;
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
