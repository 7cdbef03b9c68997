#include "geometry/svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvora::geometry {
namespace {

Picture With(Primitive item) {
  Picture p;
  p.width = 451;
  p.height = 397;
  p.items.push_back(std::move(item));
  return p;
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

TEST(PictureToSvg, DocumentHasTheSizeAndWhiteBackground) {
  const std::string svg = PictureToSvg(With(LinePrim{Pen{kRed, 1.0}, 225, 0, 225, 397}));
  EXPECT_TRUE(svg.starts_with("<?xml"));
  EXPECT_TRUE(Contains(svg, "width=\"451\" height=\"397\" viewBox=\"0 0 451 397\""));
  EXPECT_TRUE(Contains(svg, "fill=\"#ffffff\""));
  EXPECT_TRUE(Contains(
      svg, "<line x1=\"225\" y1=\"0\" x2=\"225\" y2=\"397\" fill=\"none\" stroke=\"#ff0000\""));
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

TEST(PictureToSvg, ArcsKeepStartAndSweep) {
  struct Case {
    const char* name;
    ArcPrim arc;
    std::string expected;  // empty: nothing is drawn
  };
  const Pen pen{kBlue, 2.0};
  const std::vector<Case> cases = {
      // Start at the left point, sweeping counter-clockwise on the screen: through
      // the bottom (SVG sweep flag 0).
      {"half circle below the chord",
       {pen, 14, -116, 420, 420, -180, -180},
       "<path d=\"M14 94 A210 210 0 0 0 434 94\""},
      {"half circle above the chord",
       {pen, 14, -116, 420, 420, -180, 180},
       "<path d=\"M14 94 A210 210 0 0 1 434 94\""},
      {"three quarters", {pen, 0, 0, 20, 20, 0, 270}, "<path d=\"M20 10 A10 10 0 1 1 10 0\""},
      {"full circle", {pen, 188, 163, 72, 72, 0, 360}, "<ellipse cx=\"224\" cy=\"199\" rx=\"36\""},
      {"no sweep", {pen, 0, 0, 20, 20, 45, 0}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string svg = PictureToSvg(With(c.arc));
    if (c.expected.empty()) {
      EXPECT_FALSE(Contains(svg, "<path"));
      EXPECT_FALSE(Contains(svg, "<ellipse"));
    } else {
      EXPECT_TRUE(Contains(svg, c.expected)) << svg;
      EXPECT_TRUE(Contains(svg, "stroke=\"#0000ff\" stroke-width=\"2\""));
    }
  }
}

TEST(PictureToSvg, TextKeepsFontColourAndBlanks) {
  const std::string svg =
      PictureToSvg(With(TextPrim{"Xc=@  Yc=@ <&>", Font{"Arial", 8.0, true}, kDeepPink, 191, 182}));
  EXPECT_TRUE(Contains(svg, "font-family=\"Arial\" font-size=\"10.667\" font-weight=\"bold\""));
  EXPECT_TRUE(Contains(svg, "fill=\"#ff1493\""));
  EXPECT_TRUE(Contains(svg, "xml:space=\"preserve\""));
  EXPECT_TRUE(Contains(svg, ">Xc=@  Yc=@ &lt;&amp;&gt;</text>"));
}

TEST(PictureToSvg, ShapesOfNegativeSizeAreLeftOut) {
  EXPECT_FALSE(
      Contains(PictureToSvg(With(RectPrim{Pen{kGray, 1}, 40, 200, 100, -20})), "<rect x=\"40\""));
  EXPECT_TRUE(Contains(PictureToSvg(With(RectPrim{Pen{kGray, 1}, 40, 200, 100, 20})),
                       "<rect x=\"40\" y=\"200\" width=\"100\" height=\"20\""));
}

TEST(PictureToSvg, EllipseCentresAndRadiiInHalfPixels) {
  struct Case {
    EllipsePrim e;
    const char* expected;
  };
  const Pen pen{kRed, 1.0};
  const Case cases[] = {
      {{pen, 188, 163, 72, 72}, "cx=\"224\" cy=\"199\" rx=\"36\" ry=\"36\""},
      {{pen, -3, -1, 5, 1}, "cx=\"-0.5\" cy=\"-0.5\" rx=\"2.5\" ry=\"0.5\""},
      {{pen, -5, 0, 1, 0}, "cx=\"-4.5\" cy=\"0\" rx=\"0.5\" ry=\"0\""},
      {{pen, -100'000'000, 100'000'000, 3, 3},
       "cx=\"-99999998.5\" cy=\"100000001.5\" rx=\"1.5\" ry=\"1.5\""},
  };
  for (const Case& c : cases) {
    const std::string svg = PictureToSvg(With(c.e));
    EXPECT_TRUE(Contains(svg, std::string("<ellipse ") + c.expected + " fill=\"none\"")) << svg;
  }
}

TEST(PictureToSvg, EveryShapeCarriesItsOwnPen) {
  Picture p = With(LinePrim{Pen{kRed, 1.0}, 0, 0, 1, 1});
  p.items.push_back(LinePrim{Pen{kBlue, 2.0}, 0, 0, 2, 2});
  p.items.push_back(LinePrim{Pen{kBlue, 1.5}, 0, 0, 3, 3});
  p.items.push_back(LinePrim{Pen{kRed, 1.0}, 0, 0, 4, 4});
  // Dashed pens: dashes of 4 and gaps of 3 pen widths; the solid pen after
  // them loses the dashes again.
  p.items.push_back(LinePrim{Pen{kGray, 1.0, true}, 0, 0, 5, 5});
  p.items.push_back(ArcPrim{Pen{kRed, 2.0, true}, 0, 0, 6, 6, 0, 90});
  p.items.push_back(LinePrim{Pen{kGray, 1.0}, 0, 0, 7, 7});
  const std::string svg = PictureToSvg(p);
  for (const char* line :
       {"x2=\"1\" y2=\"1\" fill=\"none\" stroke=\"#ff0000\" stroke-width=\"1\"/>",
        "x2=\"2\" y2=\"2\" fill=\"none\" stroke=\"#0000ff\" stroke-width=\"2\"/>",
        "x2=\"3\" y2=\"3\" fill=\"none\" stroke=\"#0000ff\" stroke-width=\"1.5\"/>",
        "x2=\"4\" y2=\"4\" fill=\"none\" stroke=\"#ff0000\" stroke-width=\"1\"/>",
        "x2=\"5\" y2=\"5\" fill=\"none\" stroke=\"#808080\" stroke-width=\"1\" "
        "stroke-dasharray=\"4 3\"/>",
        "\" fill=\"none\" stroke=\"#ff0000\" stroke-width=\"2\" stroke-dasharray=\"8 6\"/>",
        "x2=\"7\" y2=\"7\" fill=\"none\" stroke=\"#808080\" stroke-width=\"1\"/>"}) {
    EXPECT_TRUE(Contains(svg, line)) << line;
  }
}

TEST(PixelConversion, TruncFloorRoundAndClamp) {
  struct Case {
    double v;
    int trunc, floor, round;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {2.5, 2, 2, 3},
      {-0.4, 0, -1, 0},
      {-1.5, -1, -2, -2},
      {1e300, 100'000'000, 100'000'000, 100'000'000},
      {-inf, -100'000'000, -100'000'000, -100'000'000},
      {nan, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(TruncPixel(c.v), c.trunc);
    EXPECT_EQ(FloorPixel(c.v), c.floor);
    EXPECT_EQ(RoundPixel(c.v), c.round);
  }
}

}  // namespace
}  // namespace kelvora::geometry
