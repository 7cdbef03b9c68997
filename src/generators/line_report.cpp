#include "generators/line_report.h"

namespace kelvora::generators {
namespace {

std::string JoinNumbers(const std::vector<int>& numbers) {
  std::string s;
  for (int n : numbers) {
    if (!s.empty()) s += ", ";
    s += std::to_string(n);
  }
  return s;
}

}  // namespace

LineReport ReportOf(const text::CsvRecords& records) {
  LineReport report;
  for (const text::SkippedLine& skipped : records.skipped) {
    report.skipped.push_back(static_cast<int>(skipped.line));
  }
  if (!records.ignored.empty()) {
    report.emptyLine = static_cast<int>(records.emptyLine.value_or(0));
    report.ignoredFirst = static_cast<int>(records.ignored.front());
    report.ignoredLast = static_cast<int>(records.ignored.back());
  }
  return report;
}

std::vector<std::string> LineReport::Messages() const {
  std::vector<std::string> out;
  if (!skipped.empty()) out.push_back("Lines skipped: " + JoinNumbers(skipped));
  if (stoppedAt != 0) {
    out.push_back(
        "Reading ended at line " + std::to_string(stoppedAt) +
        ": its operation position is not in the operation list; the lines after it were not read");
  }
  if (ignoredFirst != 0) {
    std::string m = "Lines ignored after the empty line " + std::to_string(emptyLine) + ": " +
                    std::to_string(ignoredFirst);
    if (ignoredLast != ignoredFirst) m += " to " + std::to_string(ignoredLast);
    out.push_back(std::move(m));
  }
  return out;
}

Failure LineReport::AsFailure(std::string_view file) const {
  std::string detail;
  for (const std::string& m : Messages()) {
    if (!detail.empty()) detail += "\n";
    detail += m;
  }
  return Failure{"The file was not read whole: " + std::string(file), detail};
}

}  // namespace kelvora::generators
