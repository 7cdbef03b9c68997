#include "motion/path_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "geometry/svg.h"
#include "motion/report.h"
#include "support/picture_items.h"

namespace kelvora::motion {
namespace {

using geometry::ArcPrim;
using geometry::EllipsePrim;
using geometry::LinePrim;
using geometry::Picture;

constexpr int kWidth = 451;
constexpr int kHeight = 397;

Picture Draw(std::string_view program, int width = kWidth, int height = kHeight) {
  return CheckAndDrawProgram(program, Machine{}, {}, width, height).picture;
}

template <typename T>
std::vector<T> All(const Picture& p) {
  return kelvora::testing::ItemsOf<T>(p);
}

TEST(PathPicture, MovesTakeTheirPens) {
  struct Case {
    const char* name;
    const char* program;
    geometry::Pen pen;  // of the one line drawn
  };
  const std::vector<Case> cases = {
      {"a feed is solid", "G0X0Y0Z5\nM3S1000\nG1X10Y10F100\n", kPathFeedPen},
      {"a rapid above the stock is dashed", "G0X0Y0Z5\nG0X10Y10\n", kPathRapidPen},
      {"a feed without F is flagged", "G0X0Y0Z5\nM3S1000\nG1X10Y10\n", kPathFlaggedFeedPen},
      // Z 0 is the stock's top: a rapid sideways below it is flagged.
      {"a rapid in the stock is flagged and dashed", "G0X0Y0Z-1\nG0X10Y10\n", kPathFlaggedRapidPen},
  };
  for (const Case& c : cases) {
    const auto lines = All<LinePrim>(Draw(c.program));
    ASSERT_EQ(lines.size(), 1u) << c.name;
    EXPECT_EQ(lines[0].pen, c.pen) << c.name;
  }
  EXPECT_TRUE(kPathRapidPen.dashed);
  EXPECT_TRUE(kPathFlaggedRapidPen.dashed);
  EXPECT_FALSE(kPathFeedPen.dashed);
}

TEST(PathPicture, PathFitsTheBoxWithYUp) {
  // 100 x 50 mm: X decides the scale, (451 - 30) / 100 = 4.21 pixels a mm.
  const auto lines = All<LinePrim>(Draw("G0X0Y0Z5\nG0X100Y50\n"));
  ASSERT_EQ(lines.size(), 1u);
  const LinePrim& l = lines[0];
  EXPECT_EQ(l.x1, 15);
  EXPECT_EQ(l.x2, 436);
  // Y grows upwards: the end (Y 50) lies above the start.
  EXPECT_EQ(l.y1, 304);  // 198.5 + 25 * 4.21
  EXPECT_EQ(l.y2, 93);   // 198.5 - 25 * 4.21
}

TEST(PathPicture, ArcsAreArcs) {
  struct Case {
    const char* name;
    const char* program;
    double start, sweep;  // screen degrees, clockwise
  };
  const std::vector<Case> cases = {
      // From (10, 0) round (0, 0) to (-10, 0): counter-clockwise over the top,
      // which the screen (Y down) sweeps anticlockwise, a negative sweep.
      {"G3 half circle", "G0Z5\nG0X10Y0\nM3S1000\nG3X-10Y0I-10J0F100\n", 0, -180},
      {"G2 half circle", "G0Z5\nG0X10Y0\nM3S1000\nG2X-10Y0I-10J0F100\n", 0, 180},
      {"R form quarter", "G0Z5\nG0X10Y0\nM3S1000\nG3X0Y10R10F100\n", 0, -90},
      {"full circle", "G0Z5\nG0X10Y0\nM3S1000\nG2X10Y0I-10J0F100\n", 0, 360},
  };
  for (const Case& c : cases) {
    const Picture p = Draw(c.program);
    const auto arcs = All<ArcPrim>(p);
    ASSERT_EQ(arcs.size(), 1u) << c.name;
    // The same direction, whichever turn it is written in (-360 is 0).
    EXPECT_NEAR(std::remainder(arcs[0].startAngle - c.start, 360.0), 0.0, 1e-6) << c.name;
    EXPECT_NEAR(arcs[0].sweepAngle, c.sweep, 1e-9) << c.name;
    EXPECT_EQ(arcs[0].width, arcs[0].height) << c.name;
    EXPECT_EQ(arcs[0].pen, kPathFeedPen) << c.name;
  }
  // The half circle's bulge counts in the frame: 20 x 10 mm, so the circle's
  // 20 mm diameter spans the box's width less the margins.
  const auto half = All<ArcPrim>(Draw(cases[0].program));
  EXPECT_EQ(half[0].width, kWidth - 2 * kPathMargin);
}

TEST(PathPicture, DrillingIsAMarkPerHole) {
  // Two holes, each pecked three times; the pecks' rapids up and down are not
  // seen from above.
  const Picture p = Draw(
      "G0Z5\nM3S1000\nG0X0Y0\nG1Z-1F100\nG0Z1\nG1Z-2\nG0Z1\nG1Z-3\nG0Z5\n"
      "G0X10Y0\nG1Z-1\nG0Z1\nG1Z-2\nG0Z1\nG1Z-3\nG0Z5\n");
  const auto marks = All<EllipsePrim>(p);
  ASSERT_EQ(marks.size(), 2u);
  for (const EllipsePrim& m : marks) {
    EXPECT_EQ(m.width, kPathMarkSize);
    EXPECT_EQ(m.height, kPathMarkSize);
    EXPECT_EQ(m.pen, kPathFeedPen);
  }
  EXPECT_EQ(All<LinePrim>(p).size(), 1u);  // the rapid between the holes
}

TEST(PathPicture, TheMoveFromWhereTheMachineStoodIsNotDrawn) {
  // X and Y are named first on line 2: the rapid there starts wherever the
  // machine happened to be, so only the path after it is drawn and scaled.
  const Picture p = Draw("G0Z5\nG0X100Y50\nG0X200Y50\n");
  const auto lines = All<LinePrim>(p);
  ASSERT_EQ(lines.size(), 1u);
  // 100 mm across: (451 - 30) / 100 pixels a mm, the line from margin to margin.
  EXPECT_EQ(lines[0].x1, 15);
  EXPECT_EQ(lines[0].x2, 436);
  EXPECT_EQ(lines[0].y1, lines[0].y2);
}

TEST(PathPicture, FlaggedMovesAreDrawnOverTheOthers) {
  // The same line as a rapid in the stock and as a rapid above it.
  const Picture p = Draw("G0X0Y0Z-1\nG0X10\nG0Z5\nG0X0\n");
  const auto lines = All<LinePrim>(p);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines.back().pen, kPathFlaggedRapidPen);
}

TEST(PathPicture, RepeatedMovesCostNoPrimitives) {
  // Layers of the same rows: each row is drawn once.
  std::string layers = "G0Z5\nM3S1000\nF500\n";
  for (int layer = 1; layer <= 20; ++layer) {
    layers += "G1Z-" + std::to_string(layer) + "\n";
    for (int row = 0; row < 10; ++row) {
      layers +=
          "G1X100Y" + std::to_string(row * 10) + "\nG1X0Y" + std::to_string(row * 10 + 5) + "\n";
    }
    layers += "G0Z5\nG0X0Y0\n";
  }
  const CheckedPath checked = CheckAndDrawProgram(layers, Machine{}, {}, kWidth, kHeight);
  EXPECT_GT(checked.report.moves, 400u);
  EXPECT_LE(checked.picture.items.size(), 25u);
}

TEST(PathPicture, ALargeProgramIsBoundedByThePixels) {
  // 300 x 300 holes 0.1 mm apart in a 60 x 50 picture: many holes to a pixel.
  std::string program = "G0Z5\nM3S1000\nF100\n";
  for (int row = 0; row < 300; ++row) {
    for (int col = 0; col < 300; ++col) {
      const int x = row % 2 == 0 ? col : 299 - col;
      program += "G0X" + std::to_string(x / 10) + "." + std::to_string(x % 10) + "Y" +
                 std::to_string(row / 10) + "." + std::to_string(row % 10) + "\nG1Z-1\nG0Z1\n";
    }
  }
  constexpr int kSmallWidth = 60;
  constexpr int kSmallHeight = 50;
  const CheckedPath checked =
      CheckAndDrawProgram(program, Machine{}, {}, kSmallWidth, kSmallHeight);
  EXPECT_EQ(checked.report.moves, 3u * 300u * 300u + 1u);  // and the first G0Z5
  // At most one short line and one mark per pixel and pen, and far below the
  // 90 000 holes.
  const std::size_t pixels = static_cast<std::size_t>(kSmallWidth) * kSmallHeight;
  EXPECT_LE(checked.picture.items.size(), 2 * pixels);
  EXPECT_GT(checked.picture.items.size(), 100u);
}

TEST(PathPicture, NothingSeenFromAboveIsABlankPicture) {
  for (const char* program : {"", "G0Z5\nG0Z1\n", "(only a comment)\n"}) {
    const Picture p = Draw(program);
    EXPECT_EQ(p.width, kWidth);
    EXPECT_EQ(p.height, kHeight);
    EXPECT_TRUE(p.items.empty()) << program;
  }
}

// The window's picture reads the program as the report does: the machine's
// control and the host's dwell unit included.
TEST(PathPicture, ReportIsTheCheckedProgramsReport) {
  const std::string program = "G0Z5\nG0X10Y10\nG1Z-1\nG0X20\nM101\nG4P500\nG3X30Y10R5F100\nG0A5\n";
  Machine dwellMs;
  dwellMs.dwellMilliseconds = true;
  Machine grbl;
  grbl.dialect = text::Dialect::kGrbl;
  for (const Machine& machine : {Machine{}, dwellMs, grbl}) {
    const std::string_view name = text::RulesOf(machine.dialect).name;
    const Report alone = CheckProgram(program, machine, {});
    const Report drawn = CheckAndDrawProgram(program, machine, {}, kWidth, kHeight).report;
    EXPECT_EQ(drawn.dialect, name);
    EXPECT_EQ(drawn.lines, alone.lines) << name;
    EXPECT_EQ(drawn.moves, alone.moves) << name;
    EXPECT_EQ(drawn.findingCount, alone.findingCount) << name;
    ASSERT_EQ(drawn.findings.size(), alone.findings.size()) << name;
    for (std::size_t i = 0; i < drawn.findings.size(); ++i) {
      EXPECT_EQ(drawn.findings[i].kind, alone.findings[i].kind) << name;
      EXPECT_EQ(drawn.findings[i].line, alone.findings[i].line) << name;
    }
    EXPECT_DOUBLE_EQ(drawn.seconds, alone.seconds) << name;
    EXPECT_DOUBLE_EQ(drawn.feedLength, alone.feedLength) << name;
  }
  // The machines above do read it differently.
  EXPECT_NE(CheckProgram(program, grbl).findingCount,
            CheckProgram(program, Machine{}).findingCount);
  EXPECT_NEAR(CheckProgram(program, Machine{}).seconds - CheckProgram(program, dwellMs).seconds,
              499.5, 1e-9);
}

TEST(PathPicture, SvgShowsTheRapidsDashed) {
  const std::string svg = geometry::PictureToSvg(Draw("G0X0Y0Z5\nG0X10Y10\nM3S900\nG1X20F100\n"));
  EXPECT_NE(svg.find("stroke=\"#808080\" stroke-width=\"1\" stroke-dasharray=\"4 3\""),
            std::string::npos);
  EXPECT_NE(svg.find("stroke=\"#0000ff\" stroke-width=\"1\"/>"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::motion
