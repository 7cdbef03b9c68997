#include "generators/list_checks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvora::generators {
namespace {

TEST(ListChecks, FirstPointWithAnEmptyXOrYInTheOrderGiven) {
  struct Case {
    const char* what;
    std::vector<NumberedPoint> rows;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"no rows", {}, std::nullopt},
      {"all filled, names empty", {{"1", {"", "0", "0"}}, {"2", {"", "a", "b"}}}, std::nullopt},
      {"empty Y text", {{"1", {"", "0", "0"}}, {"2", {"", "1", ""}}}, "Data Line:2 wrong"},
      {"X read as empty", {{"1", {"", "", "0"}}}, "Data Line:1 wrong"},
      // Sorted by name, row 3 is shown before row 2: its number is the one named.
      {"rows in display order",
       {{"3", {"a", "0", ""}}, {"2", {"b", "", "0"}}, {"1", {"c", "0", "0"}}},
       "Data Line:3 wrong"},
  };
  for (const Case& c : cases) EXPECT_EQ(FindPointWithoutXY(c.rows), c.expected) << c.what;
}

TEST(ListChecks, LoadedPointsAreNamedByTheirPlaceCountingFromOne) {
  const auto numbered = NumberPoints({{"a", "1", "2"}, {"b", "", "2"}});
  ASSERT_EQ(numbered.size(), 2u);
  EXPECT_EQ(numbered[0].number, "1");
  EXPECT_EQ(numbered[1].point, (PointRow{"b", "", "2"}));
  EXPECT_EQ(FindPointWithoutXY(numbered), "Data Line:2 wrong");
}

TEST(ListChecks, FirstCutWithAnEmptyCheckedCell) {
  struct Case {
    const char* what;
    CutListKind kind;
    std::vector<CutRow> rows;  // {first, second, "#"}
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"second row empty, third too",
       CutListKind::kHorizontal,
       {{"", "5", "1"}, {"", "", "2"}, {"", "", "3"}},
       "Data Line:2 wrong"},
      {"vertical X",
       CutListKind::kVertical,
       {{"n", "1", "7"}, {"n", "", "8"}},
       "Data Line:8 wrong"},
      {"generated, third column",
       CutListKind::kGenerated,
       {{"300", "2", "1"}, {"150", "", "2"}},
       "Data Line:2 wrong"},
      {"generated, second column", CutListKind::kGenerated, {{"", "2", "1"}}, "Data Line:1 wrong"},
      {"no rows", CutListKind::kGenerated, {}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(FindCutWithEmptyCell(c.kind, c.rows), c.expected) << c.what;
}

}  // namespace
}  // namespace kelvora::generators
