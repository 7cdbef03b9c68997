#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario.h"

namespace kelvora::testhost {
namespace {

TEST(ParseScenario, SplitsWordsAndKeepsLineNumbers) {
  struct Case {
    std::string script;
    std::vector<std::vector<std::string>> words;
    std::vector<int> lines;
  };
  const std::vector<Case> cases = {
      {"start\n", {{"start"}}, {1}},
      {"# comment\n\n  update 3\r\n", {{"update", "3"}}, {3}},
      {"type txtR \"1 2\"", {{"type", "txtR", "1 2"}}, {1}},
      {"expect text t \"a\\r\\nb\\t\\\"c\\\"\\\\\"",
       {{"expect", "text", "t", "a\r\nb\t\"c\"\\"}},
       {1}},
      // A backslash that escapes nothing stands for itself; bare words are literal.
      {"expect file C:\\Mach3\\temp.tap \"C:\\Mach3\\x\"",
       {{"expect", "file", "C:\\Mach3\\temp.tap", "C:\\Mach3\\x"}},
       {1}},
      {"type a \"\"\ntype b \"#\"", {{"type", "a", ""}, {"type", "b", "#"}}, {1, 2}},
  };
  for (const Case& c : cases) {
    auto steps = ParseScenario(c.script);
    ASSERT_TRUE(steps) << c.script;
    ASSERT_EQ(steps->size(), c.words.size()) << c.script;
    for (std::size_t i = 0; i < steps->size(); ++i) {
      EXPECT_EQ((*steps)[i].words, c.words[i]) << c.script;
      EXPECT_EQ((*steps)[i].line, c.lines[i]) << c.script;
    }
  }
}

TEST(ParseScenario, AnUnclosedQuoteNamesItsLine) {
  auto steps = ParseScenario("start\ntype txtR \"20\n");
  ASSERT_FALSE(steps);
  EXPECT_EQ(steps.failure().message, "unclosed quote");
  EXPECT_EQ(steps.failure().detail, "2");
}

TEST(Shown, EscapesAsAScenarioWritesThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "\"\""},
      {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      // A backslash stands for itself, as in Windows paths.
      {"C:\\Mach3\\x.tap", "\"C:\\Mach3\\x.tap\""},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(Shown(text), shown) << text;
    // What is shown reads back as the text it shows.
    auto steps = ParseScenario("w " + shown);
    ASSERT_TRUE(steps) << shown;
    EXPECT_EQ((*steps)[0].words.back(), text) << shown;
  }
}

}  // namespace
}  // namespace kelvora::testhost
