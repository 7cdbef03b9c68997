// Every golden program's report with the default machine, against a table
// worked out once and looked over for sense (tests/motion/golden_reports.txt):
// extents, lengths, both run times, warnings and notes. None of our own
// programs draws a warning, except the thread program of a blank spindle speed
// whose "M3S" no control reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "motion/report.h"
#include "motion/report_table.h"

namespace kelvora::motion {
namespace {

using testing::Figures;
using testing::kColumns;
using testing::ReadFile;
using testing::ReadReportTable;
using testing::RowText;

const std::filesystem::path kData = KELVORA_TEST_DATA;

struct Row {
  std::vector<double> figures;  // the columns after the name, as in the table
};

// Golden programs whose inputs ask for something a check rightly reports.
const std::map<std::string, std::string> kExpectedWarnings = {
    // "M3S" without its speed: the reader's malformed-number notice.
    {"thread_blank_spin.nc", "line 5: malformed number (S)"},
    // The teach list's moves carry no F.
    {"teach_reports.nc", "lines 3 and 4: feed move with no feed rate"},
};

TEST(ReportGolden, EveryGoldenProgramsReportAsInTheTable) {
  const auto table = ReadReportTable();
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"generators/golden", "generators/golden/dxf"}) {
    for (const auto& entry : std::filesystem::directory_iterator(kData / folder)) {
      if (entry.path().extension() == ".nc") files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 35U);
  std::string missing;
  for (const auto& file : files) {
    const std::string name = file.parent_path().filename().string() == "dxf"
                                 ? "dxf/" + file.filename().string()
                                 : file.filename().string();
    SCOPED_TRACE(name);
    // The thread job turns the part on A, with Z along it: no stock checks.
    CheckOptions options;
    options.stockChecks = name.rfind("thread_", 0) != 0;
    const Report report = CheckProgram(ReadFile(file), Machine{}, options);
    for (const Finding& finding : report.findings) {
      if (IsNote(finding.kind) || kExpectedWarnings.count(name) != 0) continue;
      ADD_FAILURE() << "line " << finding.line << ": kind " << static_cast<int>(finding.kind) << " "
                    << finding.detail;
    }
    const std::vector<double> figures = Figures(report);
    const auto row = table.find(name);
    if (row == table.end()) {
      missing += RowText(name, figures) + "\n";
      continue;
    }
    ASSERT_EQ(row->second.size(), figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
      EXPECT_NEAR(figures[i], row->second[i], 0.0015) << "column " << i + 1 << "\n"
                                                      << RowText(name, figures);
    }
  }
  EXPECT_TRUE(missing.empty()) << "not in the table (" << kColumns << "):\n" << missing;
}

}  // namespace
}  // namespace kelvora::motion
