// The table of reports worked out once and looked over
// (tests/motion/golden_reports.txt): one row a program, its extents, lengths,
// both run times, move count, warnings, notes and named axes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "motion/report.h"

namespace kelvora::motion::testing {

inline const std::filesystem::path kReportData = KELVORA_TEST_DATA;

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline constexpr const char* kColumns =
    "program minX maxX minY maxY minZ maxZ rapid_mm feed_mm seconds plain_seconds moves warnings "
    "notes named";

inline std::vector<double> Figures(const Report& report) {
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

inline std::string RowText(const std::string& name, const std::vector<double>& figures) {
  std::string text = name;
  for (double figure : figures) {
    char number[40];
    std::snprintf(number, sizeof number, " %.3f", figure);
    text += number;
  }
  return text;
}

inline std::map<std::string, std::vector<double>> ReadReportTable() {
  std::map<std::string, std::vector<double>> table;
  std::istringstream lines(ReadFile(kReportData / "motion/golden_reports.txt"));
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

}  // namespace kelvora::motion::testing
