// Every job's program goes down to the depth its inputs state and never below
// it, so the report's "below the job's depth" check gives no false alarm on
// what the jobs write, and catches a program that goes deeper.
#include "settings/stated_depth.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "motion/report.h"
#include "settings/settings_profile.h"

namespace kelvora::cli {
namespace {

using settings::JobInputs;

using testing::DataPath;

bool Has(const motion::Report& report, motion::FindingKind kind) {
  for (const motion::Finding& f : report.findings) {
    if (f.kind == kind) return true;
  }
  return false;
}

// The job's texts as the command line gives them: the settings' defaults, then
// the KEY=VALUE arguments.
generators::TextLookup TextsOf(const std::vector<std::string>& args) {
  std::map<std::string, std::string, std::less<>> given;
  for (const std::string& a : args) {
    const std::size_t eq = a.find('=');
    if (eq != std::string::npos && a.rfind("--", 0) != 0) given[a.substr(0, eq)] = a.substr(eq + 1);
  }
  return [given](std::string_view key) {
    static const settings::Settings defaults;
    const auto it = given.find(key);
    return it == given.end() ? defaults.ControlText(key) : it->second;
  };
}

TEST(StatedDepth, EveryJobReachesItsStatedDepthAndNeverGoesBelow) {
  const struct {
    const char* name;
    JobInputs inputs;
    std::vector<std::string> args;
  } cases[] = {
      {"circle, defaults", JobInputs::kCircle, {"circle"}},
      {"grid, defaults", JobInputs::kGrid, {"grid"}},
      {"surface, defaults", JobInputs::kSurface, {"surface"}},
      {"dxf",
       JobInputs::kContour,
       {"dxf", "--dxf", DataPath("geometry/dxf/r2000_contours.dxf"), "DxfDepth=1",
        "DxfStepdown=0.3"}},
      {"points drilling",
       JobInputs::kPoints,
       {"points", "--points", DataPath("generators/points/drill.csv"), "AnyDepth=5",
        "AnyStepdown=2", "AnyFeedrate=100"}},
      {"points pocket",
       JobInputs::kPoints,
       {"points", "--points", DataPath("generators/points/origin.csv"), "AnyPocket=True", "Anyd=2",
        "AnyRo=1", "AnyHoleSize=4.9", "AnyStepOvr=0.3", "AnyDepth=2.5", "AnyStepdown=1",
        "AnyFeedrate=50", "AnyFeedrate2=100"}},
      {"cuts",
       JobInputs::kCuts,
       {"cuts", "--cuts", DataPath("generators/lists/generated.csv"), "CutToolDia=4",
        "DxfDepth=1.25", "DxfStepdown=0.5"}},
      // Edge cases: passes of 0.2 or less; a remainder too small to drill; a
      // step-down over the depth.
      {"circle, shallow passes",
       JobInputs::kCircle,
       {"circle", "Cirn=1", "CirR=20", "CirDepth=0.3", "CirStep=0.1", "CirRetract=1",
        "CirZsafe=5"}},
      {"grid, remainder not drilled", JobInputs::kGrid, {"grid", "GridDepth=4.05", "GridStep=2"}},
      {"surface, step-down over the depth",
       JobInputs::kSurface,
       {"surface", "MsqrLx=10", "MsqrLy=3", "MsqrStep=2", "MsqrDepth=0.5", "MsqrStepdown=2",
        "MsqrFlip=True"}},
      {"surface, final layer",
       JobInputs::kSurface,
       {"surface", "MsqrLx=10", "MsqrLy=4", "MsqrStep=2", "MsqrDepth=1.2", "MsqrStepdown=0.5"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::CliRun r = testing::RunArgs(c.args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::optional<double> stated = settings::StatedDepth(c.inputs, TextsOf(c.args));
    ASSERT_TRUE(stated.has_value());
    const motion::Report report = motion::CheckProgram(r.out, motion::Machine{}, {stated});
    EXPECT_FALSE(Has(report, motion::FindingKind::kBelowDepth));
    ASSERT_TRUE(report.extents.any);
    EXPECT_EQ(report.extents.minimum[motion::kAxisZ], *stated);
    // Stated a little shallower, the same program is caught going below it.
    const motion::Report shallower =
        motion::CheckProgram(r.out, motion::Machine{}, {*stated + 0.01});
    EXPECT_TRUE(Has(shallower, motion::FindingKind::kBelowDepth));
  }
}

}  // namespace
}  // namespace kelvora::cli
