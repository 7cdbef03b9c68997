// A feed of 0 or below, in a box whose feed the job writes a move at, is
// refused on the command line with "Parameters error" and the box's key (exit
// 1, no program); a box the job does not use for a move does not refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace kelvora::cli {
namespace {

using testing::DataPath;

TEST(CliFeeds, AFeedOfZeroIsRefusedWithItsKey) {
  const std::string drill = DataPath("generators/points/drill.csv");
  const std::string origin = DataPath("generators/points/origin.csv");
  const std::string square = DataPath("geometry/dxf/square.dxf");
  const std::string cuts = DataPath("generators/lists/horizontal_one.csv");
  const std::vector<std::string> pocket = {"points",         "--points",     origin,
                                           "AnyPocket=True", "Anyd=4",       "AnyRo=2",
                                           "AnyHoleSize=5",  "AnyStepOvr=1", "AnyDepth=1",
                                           "AnyStepdown=1",  "AnyRetract=3", "AnyZsafe=10"};
  auto with = [](std::vector<std::string> args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
    return args;
  };
  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* key;  // nullptr: the program is written
  };
  const std::vector<Case> cases = {
      {"circle", {"circle", "CirFeedrate=0"}, "CirFeedrate"},
      {"circle canned",
       {"circle", "CirFeedrate=-1", "CirScheme=Single plunge", "CirCanned=True"},
       "CirFeedrate"},
      {"grid", {"grid", "GridFeedrate=0"}, "GridFeedrate"},
      {"surface feed", {"surface", "MsqrFeedrate=0"}, "MsqrFeedrate"},
      {"surface plunge feed", {"surface", "MsqrPlugFeed=0"}, "MsqrPlugFeed"},
      {"dxf feed", {"dxf", "--dxf", square, "DxfFeedrate=0"}, "DxfFeedrate"},
      {"dxf plunge feed", {"dxf", "--dxf", square, "DxfPlugFeed=0.0001"}, "DxfPlugFeed"},
      {"cut toolpath", {"cuts", "--cuts", cuts, "DxfFeedrate=0"}, "DxfFeedrate"},
      {"cut toolpath plunge", {"cuts", "--cuts", cuts, "DxfPlugFeed=-5"}, "DxfPlugFeed"},
      {"thread", {"thread", "Feed=0"}, "Feed"},
      {"point list drilling, the defaults", {"points", "--points", drill}, "AnyFeedrate"},
      {"point list drilling", {"points", "--points", drill, "AnyFeedrate=100"}, nullptr},
      {"pocket plunge feed", with(pocket, {"AnyFeedrate=0", "AnyFeedrate2=100"}), "AnyFeedrate"},
      {"pocket ring feed", with(pocket, {"AnyFeedrate=50", "AnyFeedrate2=0"}), "AnyFeedrate2"},
      {"pocket ring feed written as 0", with(pocket, {"AnyFeedrate=50", "AnyFeedrate2=0.04"}),
       "AnyFeedrate2"},
      {"pocket as wide as the tool: no ring, the ring feed unused",
       with(pocket, {"AnyFeedrate=50", "AnyFeedrate2=0", "AnyRo=0", "AnyHoleSize=2"}), nullptr},
      {"point list drilling: the ring feed unused",
       {"points", "--points", drill, "AnyFeedrate=100", "AnyFeedrate2=0"},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const testing::CliRun r = testing::RunArgs(c.args);
    if (c.key == nullptr) {
      EXPECT_EQ(r.status, kExitOk) << r.err;
      EXPECT_EQ(r.out.rfind("G90\r\n", 0), 0u);
      continue;
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Parameters error\n" + std::string(c.key) + "\n");
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace kelvora::cli
