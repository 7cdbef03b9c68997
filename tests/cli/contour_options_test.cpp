// The dxf job's contour and outline keys and the point list's drawing layers on
// the command line: listed with their defaults, refusals exiting 1 with the key
// and no program, the preview following the options.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"
#include "geometry/draw_contours.h"
#include "geometry/svg.h"
#include "text/files.h"

namespace kelvora::cli {
namespace {

using testing::CliRun;
using testing::DataPath;
using testing::RunArgs;

// A dxf run with its preview: the program, the messages and the SVG picture.
struct PreviewRun {
  CliRun run;
  std::string svg;
};

PreviewRun RunWithPreview(std::vector<std::string> args) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kelvora_contour_cli_" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  const std::string svg = (dir / "preview.svg").string();
  args.insert(args.begin() + 1, {"--preview", svg});
  PreviewRun r{RunArgs(args), text::ReadFileBytes(svg).value_or("")};
  std::filesystem::remove_all(dir);
  return r;
}

TEST(CliContour, HelpListsTheNewKeysWithTheirDefaults) {
  const CliRun dxf = RunArgs({"dxf", "--help"});
  EXPECT_EQ(dxf.status, kExitOk);
  for (const char* listed :
       {"DxfOutlines = \"LWPOLYLINEs\"", "DxfLayers = \"\"", "DxfJoinTol = \"0.001\"",
        "DxfChordTol = \"0.01\"", "DxfOrder = \"As read\"", "DxfSide = \"On the line\"",
        "DxfToolDia = \"3\"", "DxfDirection = \"Climb\"", "DxfEntry = \"Plunge\"",
        "DxfRampAngle = \"3\"", "DxfLeadIn = \"0\"", "DxfTabCount = \"0\"", "DxfTabSpacing = \"0\"",
        "DxfTabWidth = \"5\"", "DxfTabHeight = \"1\"", "DxfPocket = \"False\"",
        "DxfStepover = \"40\""}) {
    EXPECT_NE(dxf.out.find(listed), std::string::npos) << listed;
  }
  const CliRun points = RunArgs({"points", "--help"});
  EXPECT_NE(points.out.find("AnyLayers = \"\""), std::string::npos) << points.out;
}

TEST(CliContour, RefusedOptionsExitOneWithTheKeyAndNoProgram) {
  const std::string square = DataPath("geometry/dxf/square.dxf");
  const struct {
    std::vector<std::string> keys;
    const char* key;
  } cases[] = {
      {{"DxfSide=Outside", "DxfToolDia=0"}, "DxfToolDia"},
      {{"DxfSide=Inside", "DxfToolDia=-3"}, "DxfToolDia"},
      {{"DxfPocket=True", "DxfStepover=0"}, "DxfStepover"},
      {{"DxfPocket=True", "DxfStepover=100.5"}, "DxfStepover"},
      {{"DxfDepth=5", "DxfTabCount=2", "DxfTabHeight=5.5"}, "DxfTabHeight"},
      {{"DxfEntry=Ramp", "DxfRampAngle=0"}, "DxfRampAngle"},
      {{"DxfSide=Sideways"}, "DxfSide"},
      {{"DxfOutlines=Everything"}, "DxfOutlines"},
      {{"DxfJoinTol=0"}, "DxfJoinTol"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"dxf", "--dxf", square};
    args.insert(args.end(), c.keys.begin(), c.keys.end());
    SCOPED_TRACE(c.key);
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitRefused);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Parameters error"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.key), std::string::npos) << r.err;
  }
}

TEST(CliContour, TodaysOptionsGiveTodaysProgramAndPicture) {
  const std::string square = DataPath("geometry/dxf/square.dxf");
  const PreviewRun today = RunWithPreview({"dxf", "--dxf", square});
  ASSERT_EQ(today.run.status, kExitOk) << today.run.err;
  ASSERT_FALSE(today.svg.empty());
  // Spelled out, the defaults change nothing; options a drawing of
  // LWPOLYLINEs cut on the line does not use change neither the program nor
  // the picture.
  for (const std::vector<std::string>& keys : std::vector<std::vector<std::string>>{
           {"DxfSide=On the line", "DxfEntry=Plunge", "DxfOutlines=LWPOLYLINEs"},
           {"DxfToolDia=6", "DxfJoinTol=0.1", "DxfChordTol=0.5", "DxfDirection=Conventional"}}) {
    std::vector<std::string> args{"dxf", "--dxf", square};
    args.insert(args.end(), keys.begin(), keys.end());
    const PreviewRun r = RunWithPreview(args);
    EXPECT_EQ(r.run.status, kExitOk) << r.run.err;
    EXPECT_EQ(r.run.out, today.run.out) << keys.front();
    EXPECT_EQ(r.run.err, today.run.err) << keys.front();
    EXPECT_EQ(r.svg, today.svg) << keys.front();
  }
}

TEST(CliContour, AnOptionBeyondTodaysCutDrawsTheToolsPaths) {
  const std::string square = DataPath("geometry/dxf/square.dxf");
  const std::string toolColour = geometry::SvgColor(geometry::kToolPathColor);
  const std::string startColour = geometry::SvgColor(geometry::kRed);
  const PreviewRun today = RunWithPreview({"dxf", "--dxf", square});
  const PreviewRun outside =
      RunWithPreview({"dxf", "--dxf", square, "DxfSide=Outside", "DxfToolDia=6"});
  ASSERT_EQ(outside.run.status, kExitOk) << outside.run.err;
  EXPECT_EQ(today.svg.find(toolColour), std::string::npos);
  EXPECT_EQ(today.svg.find(startColour), std::string::npos);
  EXPECT_NE(outside.svg.find(toolColour), std::string::npos) << outside.svg;
  EXPECT_NE(outside.svg.find(startColour), std::string::npos);
}

TEST(CliContour, PointsFromADrawingTakeTheNamedLayersOnly) {
  const std::string drawing = DataPath("geometry/dxf/r12_entities.dxf");
  const CliRun all = RunArgs({"points", "--dxf", drawing, "AnyFeedrate=100"});
  ASSERT_EQ(all.status, kExitOk) << all.err;
  // The drawing's circles lie on layer "0".
  const struct {
    const char* layers;
    bool same;
    const char* err;
  } cases[] = {
      {"AnyLayers=0", true, ""},
      {"AnyLayers=cut,0", true, ""},
      {"AnyLayers=", true, ""},
      {"AnyLayers=Holes", false, "The drawing holds no CIRCLE\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layers);
    const CliRun r = RunArgs({"points", "--dxf", drawing, "AnyFeedrate=100", c.layers});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out == all.out, c.same);
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(CliContour, TheCuttingsNotesGoToStandardErrorOneALineWithExitZero) {
  const std::string drawing = DataPath("geometry/dxf/r2007_edge_cases.dxf");
  const struct {
    std::vector<std::string> keys;
    std::string err;
  } cases[] = {
      // The drawing's notes come first, then the cutting's.
      {{}, "Skipped: 1 TEXT, 1 MTEXT\nContours 1 and 2 have no length and are not cut.\n"},
      {{"DxfSide=Inside", "DxfToolDia=2"},
       "Skipped: 1 TEXT, 1 MTEXT\n"
       "Contours 1 and 2 have no length and are not cut.\n"
       "Contours 3 and 4 are open: they have no outside or inside and are cut on the line.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"dxf", "--dxf", drawing, "DxfDepth=1", "DxfStepdown=1"};
    args.insert(args.end(), c.keys.begin(), c.keys.end());
    const CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.err, c.err);
    EXPECT_TRUE(r.out.starts_with("G90\r\n")) << r.out;
  }
}

TEST(CliContour, TheReportReadsHelicalAndRampedEntries) {
  // Entered along the contours (arcs descend as helical G2/G3 with Z), two
  // layers of 1 to the depth 2: the report's extents reach the depth exactly,
  // and it finds nothing to warn about.
  const std::string drawing = DataPath("geometry/dxf/r2000_contours.dxf");
  for (const char* entry : {"DxfEntry=Helix", "DxfEntry=Ramp"}) {
    SCOPED_TRACE(entry);
    const CliRun r = RunArgs({"dxf", "--dxf", drawing, "DxfDepth=2", "DxfStepdown=1", entry,
                              "DxfEndScript=M30", "--report"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.err.find("Extents (mm): X 0…70, Y −5…40, Z −2…1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no warnings"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace kelvora::cli
