#include "text/gcode_dialect.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvora::text {
namespace {

TEST(GcodeDialect, NamesReadInAnyCase) {
  EXPECT_EQ(DialectNamed(""), Dialect::kHost);
  EXPECT_EQ(DialectNamed("host"), Dialect::kHost);
  EXPECT_EQ(DialectNamed("linuxcnc"), Dialect::kLinuxCnc);
  EXPECT_EQ(DialectNamed("GRBL"), Dialect::kGrbl);
  EXPECT_EQ(DialectNamed("GrblHal"), Dialect::kGrblHal);
  EXPECT_EQ(DialectNamed("grbl "), std::nullopt);
  EXPECT_EQ(DialectNamed("Mach"), std::nullopt);
  // Each row answers for its own dialect.
  for (const DialectRules& rules : kDialects) {
    EXPECT_EQ(&RulesOf(rules.dialect), &rules);
    EXPECT_EQ(DialectNamed(rules.name), rules.dialect);
  }
}

TEST(GcodeDialect, AcceptsTheWordsOfEachControl) {
  struct Case {
    Dialect dialect;
    const char* word;
    char letter;
    double number;
    bool accepted;
  };
  const Case cases[] = {
      // The host's words are left to the host.
      {Dialect::kHost, "M101", 'M', 101, true},
      {Dialect::kHost, "E1", 'E', 1, true},
      // GRBL: no cycles, no tool change, no user M-codes, no A, no Q.
      {Dialect::kGrbl, "G91.1", 'G', 91.1, true},
      {Dialect::kGrbl, "g1", 'g', 1, true},
      {Dialect::kGrbl, "G90.1", 'G', 90.1, false},
      {Dialect::kGrbl, "G83", 'G', 83, false},
      {Dialect::kGrbl, "G98", 'G', 98, false},
      {Dialect::kGrbl, "G38.2", 'G', 38.2, true},
      {Dialect::kGrbl, "G38.1", 'G', 38.1, false},
      {Dialect::kGrbl, "G43", 'G', 43, false},
      {Dialect::kGrbl, "M6", 'M', 6, false},
      {Dialect::kGrbl, "M101", 'M', 101, false},
      {Dialect::kGrbl, "M30", 'M', 30, true},
      {Dialect::kGrbl, "A5", 'A', 5, false},
      {Dialect::kGrbl, "Q1", 'Q', 1, false},
      {Dialect::kGrbl, "P0.5", 'P', 0.5, true},
      // grblHAL: GRBL's words and its cycles, tool change and rotary axes.
      {Dialect::kGrblHal, "G83", 'G', 83, true},
      {Dialect::kGrblHal, "G99", 'G', 99, true},
      {Dialect::kGrblHal, "Q1", 'Q', 1, true},
      {Dialect::kGrblHal, "M6", 'M', 6, true},
      {Dialect::kGrblHal, "A90", 'A', 90, true},
      {Dialect::kGrblHal, "M101", 'M', 101, false},
      {Dialect::kGrblHal, "G41", 'G', 41, false},
      // LinuxCNC: user M-codes M100 to M199, whole codes only.
      {Dialect::kLinuxCnc, "M100", 'M', 100, true},
      {Dialect::kLinuxCnc, "M199", 'M', 199, true},
      {Dialect::kLinuxCnc, "M200", 'M', 200, false},
      {Dialect::kLinuxCnc, "M100.5", 'M', 100.5, false},
      {Dialect::kLinuxCnc, "G59.3", 'G', 59.3, true},
      {Dialect::kLinuxCnc, "G59.4", 'G', 59.4, false},
      {Dialect::kLinuxCnc, "G-1", 'G', -1, false},
      {Dialect::kLinuxCnc, "E1", 'E', 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AcceptsWord(RulesOf(c.dialect), c.letter, c.number), c.accepted)
        << RulesOf(c.dialect).name << " " << c.word;
  }
  // Rules of a caller's own read their lists just the same.
  DialectRules own = RulesOf(Dialect::kGrbl);
  own.mCodes = "3 5 100-102";
  EXPECT_TRUE(AcceptsWord(own, 'M', 101));
  EXPECT_FALSE(AcceptsWord(own, 'M', 30));
}

}  // namespace
}  // namespace kelvora::text
