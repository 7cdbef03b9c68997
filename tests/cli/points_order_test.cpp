// The points job's hole order and pocket entry on the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"

namespace kelvora::cli {
namespace {

using testing::DataPath;
using testing::RunArgs;

TEST(PointsOrder, ShortestIsReportedOnStandardErrorAndBadChoicesAreRefused) {
  struct Case {
    const char* what;
    std::vector<std::string> keys;
    int status;
    std::string err;
    std::string firstHoles;  // the program's rapids to the holes, in order
  };
  // drill.csv lists (10, 5), (25.5, 5), (-3.25, 12.125): from the first hole the
  // third is nearer than the second.
  const std::vector<Case> cases = {
      {"listed", {}, kExitOk, "", "G0X10.000Y5.000 G0X25.500Y5.000 G0X-3.250Y12.125 "},
      {"listed by name",
       {"AnyOrder=As listed"},
       kExitOk,
       "",
       "G0X10.000Y5.000 G0X25.500Y5.000 G0X-3.250Y12.125 "},
      {"shortest",
       {"AnyOrder=Shortest"},
       kExitOk,
       "Shortest order: rapids 44.664 mm, listed 45.12 mm\n",
       "G0X10.000Y5.000 G0X-3.250Y12.125 G0X25.500Y5.000 "},
      {"unknown order", {"AnyOrder=Nearest"}, kExitRefused, "Parameters error", ""},
      {"unknown entry",
       {"AnyPocket=True", "AnyEntry=Spiral", "AnyRo=2", "AnyHoleSize=4"},
       kExitRefused,
       "Parameters error",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {
        "points",          "--points",   DataPath("generators/points/drill.csv"),
        "Anyd=3",          "AnyDepth=2", "AnyStepdown=2",
        "AnyFeedrate=120", "AnyZsafe=5"};
    args.insert(args.end(), c.keys.begin(), c.keys.end());
    const auto run = RunArgs(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == kExitOk) {
      EXPECT_EQ(run.err, c.err);
      std::string holes;
      for (std::size_t at = 0; (at = run.out.find("G0Z5.000\r\nG0X", at)) != std::string::npos;) {
        at += 10;
        const std::size_t end = run.out.find('\r', at);
        holes += run.out.substr(at, end - at) + " ";
      }
      EXPECT_EQ(holes, c.firstHoles);
    } else {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
      EXPECT_TRUE(run.out.empty());
    }
  }
}

}  // namespace
}  // namespace kelvora::cli
