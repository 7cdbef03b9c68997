// Contour milling of polylines: arcs, layers, contour order, closing segments.
#include "generators/dxf_contour.h"
#include <algorithm>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "generators/router_inputs.h"
#include "support/polylines.h"

namespace kelvora::generators {
namespace {

using geometry::CPolyLine;
using geometry::DrawList;
using V = geometry::testing::Vertex;
using geometry::testing::Polyline;

DrawList List(std::vector<std::unique_ptr<CPolyLine>> polys) {
  DrawList list;
  for (auto& p : polys) list.push_back(std::move(p));
  return list;
}

using testing::RouterInputs;

// The program with "/" for each line end, easier to read in a table.
std::string Slashed(const Outcome<std::string>& program) {
  EXPECT_TRUE(program.ok()) << (program.ok() ? "" : program.failure().message);
  if (!program.ok()) return {};
  std::string out;
  for (std::size_t i = 0; i < program->size(); ++i) {
    if (program->compare(i, 2, "\r\n") == 0) {
      out += '/';
      ++i;
    } else {
      out += (*program)[i];
    }
  }
  return out;
}

TEST(DxfGcodeGen, ArcLines) {
  const double quarter = std::tan(std::numbers::pi / 8);
  struct Case {
    const char* name;
    std::vector<V> vertices;
    std::string arcLine;
  };
  const std::vector<Case> cases = {
      {"half circle counter-clockwise", {{0, 0, 1}, {10, 0}}, "G3X10Y0I5J0F200"},
      {"quarter circle", {{10, 0, quarter}, {0, 10}}, "G3X0Y10I-10J0F200"},
      {"half circle clockwise", {{0, 0, -1}, {10, 0}}, "G2X10Y0I5J0F200"},
      {"small clockwise arc", {{0, 0, -quarter}, {10, 10}}, "G2X10Y10I10J0F200"},
      // Ends written as one point: an arc would read as a whole circle, or,
      // at no length, as "I0J0", which the control refuses.
      {"bulge on a repeated vertex", {{0, 0}, {10, 0, -1}, {10, 0}}, "G1X10Y0F200/G1X10Y0"},
      {"bulge over 0.001", {{0, 0}, {10, 0, 1}, {10.001, 0}}, "G1X10Y0F200/G1X10.001Y0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<CPolyLine>> polys;
    polys.push_back(Polyline(c.vertices));
    const std::string program = Slashed(DxfGcodeGen(List(std::move(polys)), RouterInputs(1, 1)));
    EXPECT_EQ(program, "G90/G0Z10/G0X" + std::string(c.vertices[0].x == 0 ? "0" : "10") +
                           "Y0/G0Z2/G1Z-1F100/" + c.arcLine + "/G0Z10/");
  }
}

TEST(DxfGcodeGen, Programs) {
  struct Case {
    const char* name;
    std::vector<std::vector<V>> contours;
    bool closed;
    double depth, stepdown;
    std::string program;
  };
  const std::vector<Case> cases = {
      {"worked square",
       {{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}},
       false,
       1,
       0.5,
       "G90/G0Z10/G0X0Y0/G0Z2.5/G1Z-0.5F100/G1X10Y0F200/G1X10Y10/G1X0Y10/G1X0Y0/G0Z10/"
       "G0X0Y0/G0Z2/G1Z-1F100/G1X10Y0F200/G1X10Y10/G1X0Y10/G1X0Y0/G0Z10/"},
      // Layers 0.3, 0.6, 0.9 (retract 3: approaches 2.7, 2.4, 2.1), then the final
      // layer at 1, opened by an approach at the first contour's start.
      {"final layer",
       {{{0, 0}, {5, 0}}},
       false,
       1,
       0.3,
       "G90/G0Z10/G0X0Y0/G0Z2.7/G1Z-0.3F100/G1X5Y0F200/G0Z10/"
       "G0X0Y0/G0Z2.4/G1Z-0.6F100/G1X5Y0F200/G0Z10/"
       "G0X0Y0/G0Z2.1/G1Z-0.9F100/G1X5Y0F200/G0Z10/"
       "G0X0Y0/G0Z2/G1Z-1F100/G0X0Y0/G0Z2/G1Z-1F100/G1X5Y0F200/G0Z10/"},
      // Never deeper than asked: a step-down over the depth cuts one layer at it.
      {"step-down over the depth",
       {{{0, 0}, {5, 0}}},
       false,
       0.5,
       2,
       "G90/G0Z10/G0X0Y0/G0Z2.5/G1Z-0.5F100/G1X5Y0F200/G0Z10/"},
      {"two contours, two layers",
       {{{0, 0}, {1, 0}}, {{5, 5}, {6, 5}}},
       false,
       2,
       1,
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X1Y0F200/G0Z10/"
       "G0X5Y5/G0Z2/G1Z-1F100/G1X6Y5F200/G0Z10/"
       "G0X0Y0/G0Z1/G1Z-2F100/G1X1Y0F200/G0Z10/"
       "G0X5Y5/G0Z1/G1Z-2F100/G1X6Y5F200/G0Z10/"},
      // First segment an arc (feed word), later straight ones without.
      {"arc first",
       {{{0, 0, 1}, {10, 0}, {10, 5}, {0, 5}}},
       false,
       1,
       1,
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G3X10Y0I5J0F200/G1X10Y5/G1X0Y5/G0Z10/"},
      // Closed: the closing segment back to the first vertex, with the last bulge.
      {"closed with an arc back",
       {{{0, 0}, {10, 0}, {10, 10, -1}}},
       true,
       1,
       1,
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X10Y0F200/G1X10Y10/G2X0Y0I-5J-5F200/G0Z10/"},
      {"closed, last vertex repeats the first",
       {{{0, 0}, {10, 0}, {10, 10}, {0, 0}}},
       true,
       1,
       1,
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X10Y0F200/G1X10Y10/G1X0Y0/G0Z10/"},
      // Contours without length are left out, off-text and safe height too.
      {"single vertex, closed or not", {{{3, 3}}}, true, 1, 1, "G90/G0Z10/"},
      {"two vertices at one point", {{{3, 3}, {3, 3}}}, false, 1, 1, "G90/G0Z10/"},
      {"closed, vertices at one point with a bulge",
       {{{3, 3, 1}, {3, 3}, {3, 3}}},
       true,
       1,
       1,
       "G90/G0Z10/"},
      // A contour without vertices is skipped; the final layer still opens at the
      // first contour that has one.
      {"empty contour skipped",
       {{}, {{2, 2}, {3, 2}}},
       false,
       1.5,
       1,
       "G90/G0Z10/G0X2Y2/G0Z2/G1Z-1F100/G1X3Y2F200/G0Z10/"
       "G0X2Y2/G0Z1.5/G1Z-1.5F100/G0X2Y2/G0Z1.5/G1Z-1.5F100/G1X3Y2F200/G0Z10/"},
      // The final layer opens at the first contour that has a segment, never with
      // a plunge at a lone vertex.
      {"final layer after a single vertex",
       {{{7, 7}}, {{2, 2}, {3, 2}}},
       false,
       1.5,
       1,
       "G90/G0Z10/G0X2Y2/G0Z2/G1Z-1F100/G1X3Y2F200/G0Z10/"
       "G0X2Y2/G0Z1.5/G1Z-1.5F100/G0X2Y2/G0Z1.5/G1Z-1.5F100/G1X3Y2F200/G0Z10/"},
      {"final layer after vertices at one point",
       {{{7, 7}, {7, 7}}, {{2, 2}, {3, 2}}},
       false,
       1.5,
       1,
       "G90/G0Z10/G0X2Y2/G0Z2/G1Z-1F100/G1X3Y2F200/G0Z10/"
       "G0X2Y2/G0Z1.5/G1Z-1.5F100/G0X2Y2/G0Z1.5/G1Z-1.5F100/G1X3Y2F200/G0Z10/"},
      {"only single vertices, final layer due", {{{7, 7}}}, false, 1.5, 1, "G90/G0Z10/"},
      // With nothing to cut, the final layer due is left out.
      {"empty list, final layer due", {}, false, 1.5, 1, "G90/G0Z10/"},
      {"only empty contours", {{}, {}}, false, 1.5, 1, "G90/G0Z10/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<CPolyLine>> polys;
    for (const auto& vs : c.contours) polys.push_back(Polyline(vs, c.closed));
    EXPECT_EQ(Slashed(DxfGcodeGen(List(std::move(polys)), RouterInputs(c.depth, c.stepdown))),
              c.program);
  }
}

TEST(DxfGcodeGen, SpindleAndSpecialOperations) {
  struct Case {
    const char* name;
    bool enSpin, enSpOp;
    std::string on, off;
    std::string program;
  };
  const std::vector<Case> cases = {
      {"spindle on", true, false, "M8", "M9",
       "G90/M3S12000.5/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X1Y0F200/G0Z10/"},
      {"blocks with and without line end", false, true, "M8\r\n", "M9",
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/M8/G1X1Y0F200/M9/G0Z10/"},
      {"blocks disabled", false, false, "M8", "M9",
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X1Y0F200/G0Z10/"},
      {"empty blocks insert nothing", false, true, "", "",
       "G90/G0Z10/G0X0Y0/G0Z2/G1Z-1F100/G1X1Y0F200/G0Z10/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DxfMachiningInputs in = RouterInputs(1, 1);
    in.spindle = 12000.45;
    in.enSpin = c.enSpin;
    in.enSpecialOp = c.enSpOp;
    in.specialOpOn = c.on;
    in.specialOpOff = c.off;
    std::vector<std::unique_ptr<CPolyLine>> polys;
    polys.push_back(Polyline({{0, 0}, {1, 0}}));
    EXPECT_EQ(Slashed(DxfGcodeGen(List(std::move(polys)), in)), c.program);
  }
  // A single-vertex contour has nothing to cut: no blocks, no safe height.
  DxfMachiningInputs in = RouterInputs(1, 1);
  in.enSpecialOp = true;
  in.specialOpOn = "M8";
  in.specialOpOff = "M9";
  std::vector<std::unique_ptr<CPolyLine>> polys;
  polys.push_back(Polyline({{1, 1}}));
  EXPECT_EQ(Slashed(DxfGcodeGen(List(std::move(polys)), in)), "G90/G0Z10/");
}

TEST(DxfGcodeGen, ContoursWithoutLengthNamedInOneNote) {
  struct Case {
    const char* name;
    std::vector<std::vector<V>> contours;
    std::vector<std::string> notes;
    std::size_t plunges;  // one per contour cut at the one layer
  };
  const std::vector<Case> cases = {
      {"all with a length", {{{0, 0}, {1, 0}}, {{0, 1}, {1, 1}}}, {}, 2},
      {"one lone vertex",
       {{{0, 0}, {1, 0}}, {{5, 5}}},
       {"Contour 2 has no length and is not cut."},
       1},
      {"two, numbered in the drawing's order",
       {{{1, 1}, {1, 1}}, {{0, 0}, {1, 0}}, {{0, 1}, {1, 1}}, {{4, 4}, {4, 4}, {4, 4}}},
       {"Contours 1 and 4 have no length and are not cut."},
       2},
      {"three",
       {{{1, 1}}, {{2, 2}, {2, 2}}, {}, {{0, 0}, {1, 0}}},
       {"Contours 1, 2 and 3 have no length and are not cut."},
       1},
      {"a short one still has a length", {{{0, 0}, {0.0001, 0}}}, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<CPolyLine>> polys;
    for (const auto& vs : c.contours) polys.push_back(Polyline(vs));
    std::vector<std::string> notes;
    const auto program = DxfGcodeGen(List(std::move(polys)), RouterInputs(1, 1), {}, &notes);
    ASSERT_TRUE(program.ok());
    EXPECT_EQ(notes, c.notes);
    std::size_t plunges = 0;
    for (std::size_t at = program->find("G1Z"); at != std::string::npos;
         at = program->find("G1Z", at + 1)) {
      ++plunges;
    }
    EXPECT_EQ(plunges, c.plunges);
  }
}

// `n` vertices going back and forth between two points.
std::vector<V> Zigzag(std::size_t n) {
  std::vector<V> vertices;
  for (std::size_t i = 0; i < n; ++i) vertices.push_back({static_cast<double>(i % 2), 0});
  return vertices;
}

TEST(DxfGcodeGen, RefusedBeforeGenerating) {
  struct Case {
    const char* name;
    double depth, stepdown;
    std::vector<V> vertices;
    std::string message;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {"too many layers", 1000, 1e-6, {{0, 0}, {1, 0}}, "Too many layers"},
      {"too many program lines", 1000, 0.01, Zigzag(200), "Too many program lines"},
      {"infinite coordinate", 1, 1, {{0, 0}, {inf, 0}}, "not finite"},
      {"not-a-number bulge", 1, 1, {{0, 0, std::nan("")}, {1, 0}}, "not finite"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<CPolyLine>> polys;
    polys.push_back(Polyline(c.vertices));
    const auto program = DxfGcodeGen(List(std::move(polys)), RouterInputs(c.depth, c.stepdown));
    ASSERT_FALSE(program.ok());
    EXPECT_NE(program.failure().message.find(c.message), std::string::npos)
        << program.failure().message;
  }
}

}  // namespace
}  // namespace kelvora::generators

namespace kelvora::generators {
namespace {

TEST(DxfJob, ThePreviewGetsThePolylinesOfTheOneRead) {
  const TextLookup texts = [](std::string_view key) -> std::string {
    if (key == "DxfEnSpin" || key == "DxfEnSpOp") return "False";
    if (key == "DxfEndScript" || key == "DxfSpOpStr" || key == "DxfSpOpStrOff") return "M30";
    if (key == "DxfStepdown") return "0.5";
    // The machining numbers are 1; the contour options keep their defaults.
    constexpr std::string_view kNumbers[] = {"DxfFeedrate", "DxfRetract",   "DxfZsafe",
                                             "DxfDepth",    "DxfSpinSpeed", "DxfPlugFeed"};
    return std::ranges::find(kNumbers, key) != std::end(kNumbers) ? "1" : "";
  };
  struct Case {
    const char* file;
    std::size_t polylines;  // 0: the drawing is refused and nothing is drawn
  };
  const Case cases[] = {
      {"square.dxf", 1}, {"r2000_contours.dxf", 5}, {"truncated.dxf", 0}, {"no_such_file.dxf", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    int calls = 0;
    std::size_t polylines = 0;
    const auto program = DxfJob(texts, std::string(KELVORA_TEST_DATA "/geometry/dxf/") + c.file,
                                [&](const DrawList& list) {
                                  ++calls;
                                  polylines = list.size();
                                });
    EXPECT_EQ(program.ok(), c.polylines != 0);
    EXPECT_EQ(calls, c.polylines != 0 ? 1 : 0);
    EXPECT_EQ(polylines, c.polylines);
    if (program.ok()) {
      EXPECT_TRUE(program->ends_with("M30"));
    }
  }
}

}  // namespace
}  // namespace kelvora::generators

namespace kelvora::generators {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Programs checked by hand once and kept: the drawing's square cut with the
// options of each row.
TEST(DxfJob, OptionsGoldenPrograms) {
  struct Case {
    const char* golden;
    std::vector<std::pair<std::string_view, std::string>> options;
  };
  const std::vector<Case> cases = {
      // Waits for the exact offsets: the tool's centre 1.5 outside the square.
      {"square_outside_tabs_ramp.nc",
       {{"DxfSide", "Outside"},
        {"DxfToolDia", "3"},
        {"DxfEntry", "Ramp"},
        {"DxfRampAngle", "10"},
        {"DxfTabCount", "2"},
        {"DxfTabWidth", "4"},
        {"DxfTabHeight", "0.5"},
        {"DxfLeadIn", "2"}}},
      {"square_on_line_tab_helix.nc",
       {{"DxfEntry", "Helix"},
        {"DxfTabCount", "1"},
        {"DxfTabWidth", "2"},
        {"DxfToolDia", "2"},
        {"DxfTabHeight", "0.5"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    const TextLookup texts = [&](std::string_view key) -> std::string {
      for (const auto& [k, v] : c.options) {
        if (k == key) return v;
      }
      if (key == "DxfDepth") return "1";
      if (key == "DxfStepdown") return "0.5";
      if (key == "DxfRetract") return "3";
      if (key == "DxfZsafe") return "10";
      if (key == "DxfFeedrate") return "200";
      if (key == "DxfPlugFeed") return "100";
      if (key == "DxfSpinSpeed") return "12000";
      if (key == "DxfEnSpin" || key == "DxfEnSpOp") return "False";
      return "";
    };
    const auto program = DxfJob(texts, KELVORA_TEST_DATA "/geometry/dxf/square.dxf");
    ASSERT_TRUE(program.ok()) << program.failure().message << " " << program.failure().detail;
    // The goldens are the command line's output, which ends with a line end.
    EXPECT_EQ(*program + "\r\n",
              FileText(std::string(KELVORA_TEST_DATA "/generators/golden/dxf/") + c.golden));
  }
}

}  // namespace
}  // namespace kelvora::generators

namespace kelvora::generators {
namespace {

DrawList Square(double size) {
  DrawList list;
  list.push_back(Polyline({{0, 0}, {size, 0}, {size, size}, {0, size}}, true));
  return list;
}

// Jobs whose options would make the program too long are refused from the
// drawing's size before any path is built.
TEST(DxfGcodeGen, OptionsRefusedBeforeBuilding) {
  struct Case {
    const char* name;
    double size, depth, stepdown;
    ContourOptions options;
  };
  ContourOptions tabs;
  tabs.tabSpacing = 1e-5;
  ContourOptions ramp;
  ramp.entry = ContourEntry::kRamp;
  ramp.rampAngle = 1e-4;
  ContourOptions pocket;
  pocket.pocket = true;
  pocket.toolDiameter = 0.01;
  pocket.stepover = 1;
  const std::vector<Case> cases = {
      {"a tab every 10 micrometres", 10, 10, 1, tabs},
      {"a ramp almost flat", 10, 1000, 1, ramp},
      {"a pocket of millions of rings", 1000, 1, 1, pocket},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto program = DxfGcodeGen(Square(c.size), RouterInputs(c.depth, c.stepdown), c.options);
    ASSERT_FALSE(program.ok());
    EXPECT_NE(program.failure().message.find("Too many program lines"), std::string::npos)
        << program.failure().message;
    EXPECT_FALSE(
        ContourToolPaths(Square(c.size), RouterInputs(c.depth, c.stepdown), c.options).ok());
  }
}

TEST(ContourToolPaths, PassesThenTabMarks) {
  struct Case {
    const char* name;
    ContourOptions options;
    bool closed;       // the pass's polyline
    std::size_t tabs;  // circles after it
  };
  ContourOptions today;
  ContourOptions tabs;
  tabs.tabCount = 3;
  tabs.tabWidth = 4;
  ContourOptions leads;  // waits for the exact offsets
  leads.side = ContourSide::kOutside;
  leads.leadRadius = 2;
  const std::vector<Case> cases = {
      {"today", today, true, 0},
      {"three tabs", tabs, true, 3},
      {"outside with lead arcs", leads, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto paths = ContourToolPaths(Square(20), RouterInputs(1, 1), c.options);
    ASSERT_TRUE(paths.ok());
    ASSERT_EQ(paths->size(), 1 + c.tabs);
    ASSERT_EQ((*paths)[0]->otype, geometry::otPolyLine);
    const auto& pass = static_cast<const CPolyLine&>(*(*paths)[0]);
    EXPECT_EQ(pass.IsClosed(), c.closed);
    if (!c.closed) {
      // The lead-in starts and the lead-out ends off the path, outside the square.
      const auto last = pass.m_VertexCount - 1;
      for (const auto i : {0u, last}) {
        const double x = pass.x[i];
        const double y = pass.y[i];
        EXPECT_TRUE(x < -1.5 - 1 || x > 21.5 + 1 || y < -1.5 - 1 || y > 21.5 + 1) << x << "," << y;
      }
    }
    for (std::size_t k = 1; k < paths->size(); ++k) {
      ASSERT_EQ((*paths)[k]->otype, geometry::otCircle);
      const auto& tab = static_cast<const geometry::CCircle&>(*(*paths)[k]);
      EXPECT_EQ(tab.radius, 2);
      // On the square's edge, clear of its corners.
      const double x = tab.center.X;
      const double y = tab.center.Y;
      const bool onEdge = std::abs(x) < 1e-9 || std::abs(x - 20) < 1e-9 || std::abs(y) < 1e-9 ||
                          std::abs(y - 20) < 1e-9;
      EXPECT_TRUE(onEdge) << x << "," << y;
      EXPECT_TRUE(std::min(x, 20 - x) >= 2 - 1e-9 || std::min(y, 20 - y) >= 2 - 1e-9);
    }
  }
}

}  // namespace
}  // namespace kelvora::generators
