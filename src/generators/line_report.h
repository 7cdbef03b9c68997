// What a list reader did not take from a file, so nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/csv_records.h"
#include "text/outcome.h"

namespace kelvora::generators {

// Lines a list reader did not take, by their 1-based line numbers in the file.
// The dialog names them in a message; the command line refuses such a file.
struct LineReport {
  std::vector<int> skipped;  // lines that did not have the expected fields
  int emptyLine = 0;         // the empty line that ended the reading, 0 for none
  int ignoredFirst = 0;      // lines after it that were not read (0 when none)
  int ignoredLast = 0;
  int stoppedAt = 0;  // a line whose content ended the reading, 0 for none

  bool clean() const { return skipped.empty() && ignoredFirst == 0 && stoppedAt == 0; }
  // One sentence per kind of loss, e.g. "Lines skipped: 3, 7".
  std::vector<std::string> Messages() const;
  // The refusal the command line gives for a file that was not read whole.
  Failure AsFailure(std::string_view file) const;
};

// What a list file's reading skipped and left unread after its empty line.
LineReport ReportOf(const text::CsvRecords& records);

}  // namespace kelvora::generators
