// Every golden program's report with the default machine, against a table
// worked out once and looked over for sense (tests/motion/golden_reports.txt):
// extents, lengths, both run times, warnings and notes. None of our own
// programs draws a warning, except the thread program of a blank spindle speed
// whose "M3S" no control reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "motion/report.h"

namespace kelvora::motion {
namespace {

const std::filesystem::path kData = KELVORA_TEST_DATA;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Row {
  std::vector<double> figures;  // the columns after the name, as in the table
};

// Golden programs whose inputs ask for something a check rightly reports.
const std::map<std::string, std::string> kExpectedWarnings = {
    // "M3S" without its speed: the reader's malformed-number notice.
    {"thread_blank_spin.nc", "line 5: malformed number (S)"},
    // Stepdown 2 with retract 1: the first layer's approach height is 1 above
    // its bottom, Z-1, and the rapid down to it goes 1 mm into uncut stock.
    {"dxf/many_vertices.nc", "line 5: rapid below the stock top (Z-1)"},
    // The teach list's moves carry no F.
    {"teach_reports.nc", "lines 3 and 4: feed move with no feed rate"},
};

constexpr const char* kColumns =
    "program minX maxX minY maxY minZ maxZ rapid_mm feed_mm seconds plain_seconds moves warnings "
    "notes named";

std::vector<double> Figures(const Report& report) {
  const Extents& e = report.extents;
  return {e.minimum[kAxisX], e.maximum[kAxisX], e.minimum[kAxisY], e.maximum[kAxisY],
          e.minimum[kAxisZ], e.maximum[kAxisZ], report.rapidLength, report.feedLength,
          report.seconds, report.plainSeconds, static_cast<double>(report.moves),
          static_cast<double>(report.findingCount - report.noteCount),
          static_cast<double>(report.noteCount),
          // The axes with a range (X 1, Y 2, Z 4, A 8): an axis the program
          // never names has none, and its columns read 0.
          static_cast<double>(e.known[kAxisX] + 2 * e.known[kAxisY] + 4 * e.known[kAxisZ] +
                              8 * e.known[kAxisA])};
}

std::string RowText(const std::string& name, const std::vector<double>& figures) {
  std::string text = name;
  for (double figure : figures) {
    char number[40];
    std::snprintf(number, sizeof number, " %.3f", figure);
    text += number;
  }
  return text;
}

std::map<std::string, std::vector<double>> ReadTable() {
  std::map<std::string, std::vector<double>> table;
  std::istringstream lines(ReadFile(kData / "motion/golden_reports.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string name;
    words >> name;
    std::vector<double> figures;
    double figure = 0;
    while (words >> figure) figures.push_back(figure);
    table[name] = figures;
  }
  return table;
}

TEST(ReportGolden, EveryGoldenProgramsReportAsInTheTable) {
  const auto table = ReadTable();
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
