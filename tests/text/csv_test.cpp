#include "text/csv.h"

#include <gtest/gtest.h>

namespace kelvora::text {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitCsvLine, PlainAndQuotedFields) {
  struct Case {
    const char* line;
    std::optional<Fields> expected;
  };
  const Case cases[] = {
      {"P1,10,20", Fields{"P1", "10", "20"}},
      {"", Fields{""}},
      {"a,", Fields{"a", ""}},
      {",", Fields{"", ""}},
      {"\"a,b\",1,2", Fields{"a,b", "1", "2"}},
      {"\"say \"\"hi\"\"\",3", Fields{"say \"hi\"", "3"}},
      {"\"\",x", Fields{"", "x"}},
      {"a\"b,c", Fields{"a\"b", "c"}},  // a quote inside an unquoted field is kept
      {"\"open,1,2", std::nullopt},     // unterminated quote
      {"\"a\"b,1", std::nullopt},       // text after the closing quote
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitCsvLine(c.line), c.expected) << c.line;
  }
}

TEST(JoinCsvLine, QuotesOnlyWhereNeededAndRoundTrips) {
  EXPECT_EQ(JoinCsvLine({"P1", "10", "20"}), "P1,10,20");
  EXPECT_EQ(JoinCsvLine({"a,b", "say \"hi\"", ""}), "\"a,b\",\"say \"\"hi\"\"\",");
  const Fields samples[] = {{"a,b", "c"}, {"\"", ",", ""}, {"x"}, {"", "", ""}};
  for (const Fields& f : samples) {
    EXPECT_EQ(SplitCsvLine(JoinCsvLine(f)), f);
  }
}

TEST(SplitLines, RemovesOneTrailingCarriageReturn) {
  EXPECT_EQ(SplitLines("a\r\nb\n\nc"), (Fields{"a", "b", "", "c"}));
  EXPECT_EQ(SplitLines("a\r\n"), (Fields{"a"}));
  EXPECT_EQ(SplitLines("a\r\r\n"), (Fields{"a\r"}));
  EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
}  // namespace kelvora::text
