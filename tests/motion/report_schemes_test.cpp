// The pre-flight report of the circle tab's defaults drilled with every scheme
// and every canned cycle, against rows of the golden report table, and the run
// times in the order the schemes' motions give them: one feed to the bottom is
// quickest, chip break's short back-offs come next, full retract's trips to the
// retract height take longest, and a dwell adds its seconds at every hole.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "generators/circle.h"
#include "motion/report.h"
#include "motion/report_table.h"

namespace kelvora::motion {
namespace {

// The circle tab's stored defaults (two holes on a 10 mm circle round the
// origin, depth 5 in pecks of 2 from the retract height 1, safe height 3, F100),
// its options at their defaults, then `overrides`.
std::string CircleProgram(const std::map<std::string, std::string, std::less<>>& overrides) {
  std::map<std::string, std::string, std::less<>> texts = {{"CirXc", "0"},
                                                           {"CirYc", "0"},
                                                           {"CirDepth", "5"},
                                                           {"CirStep", "2"},
                                                           {"CirR", "10"},
                                                           {"Cirn", "2"},
                                                           {"CirA", "0"},
                                                           {"Cird", "3"},
                                                           {"CirFeedrate", "100"},
                                                           {"CirRetract", "1"},
                                                           {"CirZsafe", "3"},
                                                           {"CirSpinSpeed", "1000"},
                                                           {"CirEnSpecialOp", "False"},
                                                           {"CirEnSpin", "True"},
                                                           {"CirSpOpStr", ""},
                                                           {"CirScheme", "Standard"},
                                                           {"CirDwell", "0"},
                                                           {"CirBackOff", "0.5"},
                                                           {"CirFullEvery", "5"},
                                                           {"CirPeckFactor", "0.8"},
                                                           {"CirMinPeck", "0.5"},
                                                           {"CirCanned", "False"},
                                                           {"CirReturn", "G98"}};
  for (const auto& [key, value] : overrides) texts[key] = value;
  const auto program = generators::CircleJob([&texts](std::string_view key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  });
  EXPECT_TRUE(program) << (program ? ""
                                   : program.failure().message + " " + program.failure().detail);
  return program ? *program : std::string();
}

struct SchemeRow {
  const char* name;  // the row of the golden report table
  std::map<std::string, std::string, std::less<>> overrides;
};

const std::vector<SchemeRow>& SchemeRows() {
  static const std::vector<SchemeRow> rows = {
      {"circle_scheme_standard", {}},
      {"circle_scheme_standard_dwell", {{"CirDwell", "1.5"}}},
      {"circle_scheme_single_plunge", {{"CirScheme", "Single plunge"}}},
      {"circle_scheme_single_plunge_dwell", {{"CirScheme", "Single plunge"}, {"CirDwell", "1.5"}}},
      {"circle_scheme_full_retract", {{"CirScheme", "Full retract"}}},
      {"circle_scheme_chip_break", {{"CirScheme", "Chip break"}}},
      {"circle_scheme_decreasing", {{"CirScheme", "Decreasing"}}},
      {"circle_scheme_full_retract_g99", {{"CirScheme", "Full retract"}, {"CirReturn", "G99"}}},
      {"circle_canned_g81", {{"CirScheme", "Single plunge"}, {"CirCanned", "True"}}},
      {"circle_canned_g82",
       {{"CirScheme", "Single plunge"}, {"CirDwell", "1.5"}, {"CirCanned", "True"}}},
      {"circle_canned_g83", {{"CirScheme", "Full retract"}, {"CirCanned", "True"}}},
      {"circle_canned_g73", {{"CirScheme", "Chip break"}, {"CirCanned", "True"}}},
      {"circle_canned_g83_g99",
       {{"CirScheme", "Full retract"}, {"CirCanned", "True"}, {"CirReturn", "G99"}}},
  };
  return rows;
}

Report ReportOf(const std::map<std::string, std::string, std::less<>>& overrides) {
  return CheckProgram(CircleProgram(overrides), Machine{}, CheckOptions{});
}

TEST(ReportSchemes, EverySchemesReportAsInTheTable) {
  const auto table = testing::ReadReportTable();
  std::string missing;
  for (const SchemeRow& row : SchemeRows()) {
    SCOPED_TRACE(row.name);
    const Report report = ReportOf(row.overrides);
    for (const Finding& finding : report.findings) {
      if (IsNote(finding.kind)) continue;
      ADD_FAILURE() << "line " << finding.line << ": kind " << static_cast<int>(finding.kind) << " "
                    << finding.detail;
    }
    const std::vector<double> figures = testing::Figures(report);
    const auto found = table.find(row.name);
    if (found == table.end()) {
      missing += testing::RowText(row.name, figures) + "\n";
      continue;
    }
    ASSERT_EQ(found->second.size(), figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
      EXPECT_NEAR(figures[i], found->second[i], 0.0015) << "column " << i + 1 << "\n"
                                                        << testing::RowText(row.name, figures);
    }
  }
  EXPECT_TRUE(missing.empty()) << "not in the table (" << testing::kColumns << "):\n" << missing;
}

TEST(ReportSchemes, RunTimeFollowsTheSchemesMotion) {
  const double plunge = ReportOf({{"CirScheme", "Single plunge"}}).seconds;
  const double chipBreak = ReportOf({{"CirScheme", "Chip break"}}).seconds;
  const double fullRetract = ReportOf({{"CirScheme", "Full retract"}}).seconds;
  EXPECT_LT(plunge, chipBreak);
  EXPECT_LT(chipBreak, fullRetract);
  // Two holes: the dwell counts twice, whatever the scheme.
  struct Dwelt {
    const char* scheme;
    const char* canned;
  };
  for (const Dwelt d : {Dwelt{"Standard", "False"}, Dwelt{"Single plunge", "False"},
                        Dwelt{"Full retract", "False"}, Dwelt{"Chip break", "False"},
                        Dwelt{"Decreasing", "False"}, Dwelt{"Single plunge", "True"}}) {
    SCOPED_TRACE(std::string(d.scheme) + (d.canned[0] == 'T' ? " canned" : ""));
    const double without = ReportOf({{"CirScheme", d.scheme}, {"CirCanned", d.canned}}).seconds;
    const double with =
        ReportOf({{"CirScheme", d.scheme}, {"CirCanned", d.canned}, {"CirDwell", "1.25"}}).seconds;
    EXPECT_NEAR(with - without, 2 * 1.25, 1e-6);
  }
}

}  // namespace
}  // namespace kelvora::motion
