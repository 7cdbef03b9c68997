#include "settings/stated_depth.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace kelvora::settings {
namespace {

struct Case {
  const char* name;
  JobInputs job;
  std::map<std::string, std::string, std::less<>> texts;
  std::optional<double> expected;
};

TEST(StatedDepth, IsTheDeepestCutOfEachJobsScheme) {
  const Case cases[] = {
      {"peck, depth a whole number of passes",
       JobInputs::kCircle,
       {{"CirDepth", "5"}, {"CirStep", "2"}},
       -5.0},
      {"peck, remainder of 0.1 or less is not drilled",
       JobInputs::kGrid,
       {{"GridDepth", "4.05"}, {"GridStep", "2"}},
       -4.0},
      {"peck, 0.3 in passes of 0.1 ends at 0.2",
       JobInputs::kCircle,
       {{"CirDepth", "0.3"}, {"CirStep", "0.1"}},
       -0.2},
      {"peck, one plunge when the pass exceeds the depth",
       JobInputs::kCircle,
       {{"CirDepth", "3"}, {"CirStep", "9"}},
       -3.0},
      {"peck, zero pass drills in one plunge",
       JobInputs::kGrid,
       {{"GridDepth", "2.5"}, {"GridStep", "0"}},
       -2.5},
      {"peck, negative depth is a height",
       JobInputs::kCircle,
       {{"CirDepth", "-2"}, {"CirStep", "2"}},
       2.0},
      {"points drilling follows the peck scheme",
       JobInputs::kPoints,
       {{"AnyPocket", "False"}, {"AnyDepth", "4.05"}, {"AnyStepdown", "2"}},
       -4.0},
      {"every other drilling scheme goes down to the depth itself",
       JobInputs::kGrid,
       {{"GridDepth", "4.05"}, {"GridStep", "2"}, {"GridScheme", "Full retract"}},
       -4.05},
      {"the point list's decreasing pecks too",
       JobInputs::kPoints,
       {{"AnyDepth", "4.05"}, {"AnyStepdown", "2"}, {"AnyScheme", "Decreasing"}},
       -4.05},
      {"the tab's own peck scheme named",
       JobInputs::kCircle,
       {{"CirDepth", "4.05"}, {"CirStep", "2"}, {"CirScheme", "Standard"}},
       -4.0},
      {"a pocket has no drilling scheme",
       JobInputs::kPoints,
       {{"AnyPocket", "True"},
        {"AnyDepth", "4.05"},
        {"AnyStepdown", "2"},
        {"AnyScheme", "Decreasing"}},
       -4.05},
      {"pocket, remainder over 0.05 is cut",
       JobInputs::kPoints,
       {{"AnyPocket", "True"}, {"AnyDepth", "4.06"}, {"AnyStepdown", "2"}},
       -4.06},
      {"pocket, a remainder of 0.05 is cut as well",
       JobInputs::kPoints,
       {{"AnyPocket", "True"}, {"AnyDepth", "4.05"}, {"AnyStepdown", "2"}},
       -4.05},
      {"pocket, a remainder the program cannot write is not",
       JobInputs::kPoints,
       {{"AnyPocket", "True"}, {"AnyDepth", "4.0004"}, {"AnyStepdown", "2"}},
       -4.0},
      {"layers, final layer at the depth",
       JobInputs::kSurface,
       {{"MsqrDepth", "1.2"}, {"MsqrStepdown", "0.5"}},
       -1.2},
      {"layers, remainder of 0.01 or less is not milled",
       JobInputs::kSurface,
       {{"MsqrDepth", "1.005"}, {"MsqrStepdown", "0.5"}},
       -1.0},
      {"layers, step-down over the depth mills at the depth",
       JobInputs::kContour,
       {{"DxfDepth", "0.5"}, {"DxfStepdown", "2"}},
       -0.5},
      {"cut lists take the router's depth",
       JobInputs::kCuts,
       {{"DxfDepth", "1.25"}, {"DxfStepdown", "0.5"}},
       -1.25},
      {"written with three decimals",
       JobInputs::kSurface,
       {{"MsqrDepth", "1.0006"}, {"MsqrStepdown", "5"}},
       -1.001},
      {"a depth that does not convert states none",
       JobInputs::kCircle,
       {{"CirDepth", "abc"}, {"CirStep", "2"}},
       std::nullopt},
      {"a step that does not convert states none",
       JobInputs::kContour,
       {{"DxfDepth", "1"}, {"DxfStepdown", "0,5"}},
       std::nullopt},
      {"the thread's infeed is radial", JobInputs::kThread, {{"PitDepth", "5"}}, std::nullopt},
      {"the teach table states none", JobInputs::kTeach, {}, std::nullopt},
      {"the point grid states none", JobInputs::kAutoGrid, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const generators::TextLookup texts = [&c](std::string_view key) {
      const auto it = c.texts.find(key);
      return it == c.texts.end() ? std::string() : it->second;
    };
    EXPECT_EQ(StatedDepth(c.job, texts), c.expected);
  }
}

}  // namespace
}  // namespace kelvora::settings
