// The points job's preview: holes or pockets as the list's Preview button draws
// them, after the R1 correction.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "cli.h"
#include "text/files.h"

namespace kelvora::cli {
namespace {

// Radii of the blue circles (holes, pocket rings) of an SVG picture, in order.
std::vector<int> BlueRadii(const std::string& svg) {
  static const std::regex kEllipse(R"re(<ellipse [^>]*rx="(\d+)"[^>]*stroke="#0000ff")re");
  std::vector<int> radii;
  for (std::sregex_iterator it(svg.begin(), svg.end(), kEllipse), end; it != end; ++it) {
    radii.push_back(std::stoi((*it)[1]));
  }
  return radii;
}

TEST(PointsPreview, HolesOrPocketsWithTheR1Correction) {
  const std::string data = KELVORA_TEST_DATA;
  const auto dir = std::filesystem::temp_directory_path() / "kelvora_points_preview_test";
  std::filesystem::create_directories(dir);
  const std::string svgPath = text::PathToUtf8(dir / "points.svg");
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::size_t circles;
    double outerToInner;  // ratio of each pocket's two radii; 0 for holes
    bool r1Report;
  };
  const std::vector<Case> cases = {
      {"holes", {"--points", data + "/generators/points/drill.csv", "Anyd=3"}, 3, 0, false},
      // R1 1 is raised to the tool radius 2: rings of 2 and 3.
      {"pockets, R1 raised",
       {"--dxf", data + "/geometry/dxf/r12_entities.dxf", "AnyPocket=True", "Anyd=4", "AnyRo=1",
        "AnyHoleSize=3", "AnyStepOvr=0.5"},
       6,
       1.5,
       true},
      {"pockets, R1 kept",
       {"--dxf", data + "/geometry/dxf/r12_entities.dxf", "AnyPocket=True", "Anyd=1", "AnyRo=1",
        "AnyHoleSize=4", "AnyStepOvr=0.5"},
       6,
       4,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Feeds the program can be written with (the boxes' defaults are 0).
    std::vector<std::string> args = {"points", "AnyFeedrate=100", "AnyFeedrate2=100"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--preview", svgPath});
    std::ostringstream out, err;
    ASSERT_EQ(RunCli(args, out, err), kExitOk) << err.str();
    EXPECT_TRUE(out.str().starts_with("G90\r\n"));
    EXPECT_EQ(err.str().find("R1 = tool R?") != std::string::npos, c.r1Report) << err.str();
    const auto svg = text::ReadFileBytes(text::PathFromUtf8(svgPath));
    ASSERT_TRUE(svg);
    const std::vector<int> radii = BlueRadii(*svg);
    ASSERT_EQ(radii.size(), c.circles);
    if (c.outerToInner > 0) {
      for (std::size_t k = 0; k + 1 < radii.size(); k += 2) {
        const double big = std::max(radii[k], radii[k + 1]);
        const double small = std::min(radii[k], radii[k + 1]);
        EXPECT_NEAR(big / small, c.outerToInner, 0.15);
      }
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelvora::cli
