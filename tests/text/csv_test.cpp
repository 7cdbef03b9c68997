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

TEST(JoinCsvLine, QuotesLineBreaksSoTheRecordStaysWhole) {
  EXPECT_EQ(JoinCsvLine({"Hole\nA", "1", "2"}), "\"Hole\nA\",1,2");
  EXPECT_EQ(JoinCsvLine({"a\rb", "c\r\nd"}), "\"a\rb\",\"c\r\nd\"");
}

TEST(SplitLines, EveryLineEndConvention) {
  const struct {
    const char* name;
    std::string_view content;
    Fields expected;
  } cases[] = {
      {"LF", "a\nb\n\nc", {"a", "b", "", "c"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"CR alone", "Name,X,Y\rA,1,2\rB,3,4\r", {"Name,X,Y", "A,1,2", "B,3,4"}},
      {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"empty lines of each kind", "a\r\r\n\n\rb", {"a", "", "", "", "b"}},
      {"no final line end", "a", {"a"}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitLines(c.content), c.expected) << c.name;
    EXPECT_EQ(CountLines(c.content), c.expected.size()) << c.name;
  }
}

TEST(SplitCsvRecords, QuotedFieldsRunAcrossLineEnds) {
  using Records = std::vector<std::pair<std::string, std::size_t>>;
  const struct {
    const char* name;
    std::string_view content;
    Records expected;  // text and first line
  } cases[] = {
      {"plain lines", "h\r\na\r\nb", {{"h", 1}, {"a", 2}, {"b", 3}}},
      {"LF inside quotes",
       "h\n\"Hole\nA\",1,2\nB,3,4\n",
       {{"h", 1}, {"\"Hole\nA\",1,2", 2}, {"B,3,4", 4}}},
      {"CR LF and CR inside quotes",
       "h\r\"a\r\nb\rc\",1\rz",
       {{"h", 1}, {"\"a\r\nb\rc\",1", 2}, {"z", 5}}},
      {"doubled quote before the line end",
       "\"say \"\"\nhi\"\"\",1\nx",
       {{"\"say \"\"\nhi\"\"\",1", 1}, {"x", 3}}},
      {"quote inside an unquoted field opens nothing", "a\"b,c\nd", {{"a\"b,c", 1}, {"d", 2}}},
      {"a quote that never closes stays on its line",
       "h\n\"open,1\nB,3\nC,4",
       {{"h", 1}, {"\"open,1", 2}, {"B,3", 3}, {"C,4", 4}}},
      {"empty records kept", "h\n\n\"\"\n", {{"h", 1}, {"", 2}, {"\"\"", 3}}},
  };
  for (const auto& c : cases) {
    Records got;
    for (const CsvLine& r : SplitCsvRecords(c.content)) got.emplace_back(r.text, r.line);
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(SplitCsvRecords, JoinedFieldsReadBackWhole) {
  const Fields samples[] = {{"Hole\nA", "1", "2"}, {"a\r\nb", "\"\r\"", ""}, {"\n", "\r"}};
  for (const Fields& f : samples) {
    const std::string file = "h\r\n" + JoinCsvLine(f) + "\r\nnext\r\n";
    const std::vector<CsvLine> records = SplitCsvRecords(file);
    ASSERT_EQ(records.size(), 3u) << file;
    EXPECT_EQ(SplitCsvLine(records[1].text), f);
    EXPECT_EQ(records[2].text, "next");
  }
}

}  // namespace
}  // namespace kelvora::text
