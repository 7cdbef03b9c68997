#include "generators/list_checks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora::generators {
namespace {

// A list's rows in the order it shows them, and the refusal expected for them.
template <typename Row>
struct ListCase {
  const char* what;
  std::vector<Row> rows;
  std::optional<std::string> expected;
};

TEST(ListChecks, FirstPointWithAnEmptyXOrYInTheOrderGiven) {
  const std::vector<ListCase<NumberedPoint>> cases = {
      {"no rows", {}, std::nullopt},
      {"all filled, names empty", {{"1", {"", "0", "0"}}, {"2", {"", "a", "b"}}}, std::nullopt},
      {"empty Y text", {{"1", {"", "0", "0"}}, {"2", {"", "1", ""}}}, "Data Line:2 wrong"},
      {"X read as empty", {{"1", {"", "", "0"}}}, "Data Line:1 wrong"},
      // Sorted by name, row 3 is shown before row 2: its number is the one named.
      {"rows in display order",
       {{"3", {"a", "0", ""}}, {"2", {"b", "", "0"}}, {"1", {"c", "0", "0"}}},
       "Data Line:3 wrong"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindPointWithoutXY(c.rows), c.expected) << c.what;
}

TEST(ListChecks, LoadedPointsAreNamedByTheirPlaceCountingFromOne) {
  const auto numbered = NumberPoints({{"a", "1", "2"}, {"b", "", "2"}});
  ASSERT_EQ(numbered.size(), 2u);
  EXPECT_EQ(numbered[0].number, "1");
  EXPECT_EQ(numbered[1].point, (PointRow{"b", "", "2"}));
  EXPECT_EQ(FindPointWithoutXY(numbered), "Data Line:2 wrong");
}

TEST(ListChecks, FirstCutWithAnEmptyCheckedCell) {
  // Rows are {first, second, "#"}.
  const std::vector<std::pair<CutListKind, ListCase<CutRow>>> cases = {
      {CutListKind::kHorizontal,
       {"second row empty, third too",
        {{"", "5", "1"}, {"", "", "2"}, {"", "", "3"}},
        "Data Line:2 wrong"}},
      {CutListKind::kVertical,
       {"vertical X", {{"n", "1", "7"}, {"n", "", "8"}}, "Data Line:8 wrong"}},
      {CutListKind::kGenerated,
       {"generated, third column", {{"300", "2", "1"}, {"150", "", "2"}}, "Data Line:2 wrong"}},
      {CutListKind::kGenerated,
       {"generated, second column", {{"", "2", "1"}}, "Data Line:1 wrong"}},
      {CutListKind::kGenerated, {"no rows", {}, std::nullopt}},
  };
  for (const auto& [kind, c] : cases) {
    EXPECT_EQ(FindCutWithEmptyCell(kind, c.rows), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace kelvora::generators
