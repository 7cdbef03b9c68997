// Holding tabs: kept off the corners of a path where it has room for them, and
// the contours that get fewer tabs than asked named with the numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "generators/contour_cut.h"
#include "generators/dxf_contour.h"
#include "generators/router_inputs.h"
#include "support/polylines.h"

namespace kelvora::generators {
namespace {

using geometry::DrawList;
using V = geometry::testing::Vertex;

toolpath::Path PathFrom(const std::vector<V>& vertices, bool closed) {
  toolpath::Path path;
  path.closed = closed;
  for (const V& v : vertices) path.v.push_back({v.x, v.y, v.b});
  return path;
}

// Two circles of radius 10, 12 apart, as one outline: two arcs of 253.7
// degrees (bulge 2) meeting in concave corners at (0, 8) and (0, -8).
const std::vector<V> kPeanut = {{0, 8, 2}, {0, -8, 2}};

TEST(PlaceTabs, TabsStayOffCornersWhereThePathHasRoom) {
  struct Case {
    const char* name;
    std::vector<V> vertices;
    bool closed;
    int count;
    // The corners, as the index of the vertex that starts each segment after
    // one: a tab may end at one but not span it.
    std::vector<std::size_t> cornerVertices;
    // Where the tabs' middles are expected, as distances along the path.
    std::vector<double> middles;
  };
  const double arc = 10 * 4 * std::atan(2.0);  // one arc of the peanut
  const double openArc = 10 * (1 + 0.4 * 0.4) / (4 * 0.4) * 4 * std::atan(0.4);
  const std::vector<Case> cases = {
      // Due at the concave corner (0, -8): slid half a tab back onto the
      // first arc, the nearest place wholly on one.
      {"one tab due at a concave corner", kPeanut, true, 1, {0, 1}, {arc - 4}},
      // Due at the arcs' middles: clear of the corners, where they were.
      {"two tabs clear of the corners", kPeanut, true, 2, {0, 1}, {arc / 2, arc * 1.5}},
      // An open path of two arcs meeting at a corner in its middle.
      {"open path, a tab due at its corner",
       {{0, 0, 0.4}, {10, 0, 0.4}, {20, 0}},
       false,
       1,
       {1},
       {openArc - 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<PathSegment> segs = SegmentsOf(PathFrom(c.vertices, c.closed));
    double length = 0;
    for (const PathSegment& s : segs) length += s.length;
    const std::vector<TabSpan> tabs = PlaceTabs(segs, length, c.closed, c.count, 0, 8);
    ASSERT_EQ(tabs.size(), c.middles.size());
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      EXPECT_NEAR(tabs[i].to - tabs[i].from, 8, 1e-9);
      EXPECT_NEAR(std::fmod((tabs[i].from + tabs[i].to) / 2, length), c.middles[i], 1e-6);
      for (std::size_t k : c.cornerVertices) {
        // The corner's distance along the path, from the drawn vertices.
        double at = 0;
        for (std::size_t j = 0; j < k; ++j) at += segs[j].length;
        for (const double q : {at, at + length}) {
          EXPECT_FALSE(q > tabs[i].from + 1e-6 && q < tabs[i].to - 1e-6)
              << "tab " << i << " spans the corner at " << q;
        }
      }
    }
  }
}

TEST(PlaceTabs, APathWithNoRoomBetweenCornersKeepsTheTabsWhereTheyWere) {
  // A 6 square on the line: every side shorter than a tab of 8.
  const std::vector<PathSegment> segs =
      SegmentsOf(PathFrom({{0, 0}, {6, 0}, {6, 6}, {0, 6}}, true));
  const std::vector<TabSpan> tabs = PlaceTabs(segs, 24, true, 1, 0, 8);
  ASSERT_EQ(tabs.size(), 1U);
  EXPECT_DOUBLE_EQ(tabs[0].from, 8);
  EXPECT_DOUBLE_EQ(tabs[0].to, 16);
}

// The cutting's notes for a drawing of the given contours and options.
std::vector<std::string> NotesOf(const std::vector<std::vector<V>>& contours,
                                 const ContourOptions& options) {
  DrawList list;
  for (const auto& v : contours) list.push_back(geometry::testing::Polyline(v, true));
  std::vector<std::string> notes;
  const auto program = DxfGcodeGen(list, testing::RouterInputs(2, 1), options, &notes);
  EXPECT_TRUE(program.ok()) << (program.ok() ? "" : program.failure().message);
  return notes;
}

std::vector<V> Circle(double x, double r) {
  return {{x - r, 0, 1}, {x + r, 0, 1}};
}

TEST(ContourNotes, NameTheContoursGivenFewerTabsThanAsked) {
  // A slot 6 long and 6 wide, its ends half circles.
  const std::vector<V> slot = {{0, 0}, {6, 0, 1}, {6, 6}, {0, 6, 1}};
  const std::vector<V> square = {{0, 0}, {20, 0}, {20, 20}, {0, 20}};
  struct Case {
    const char* name;
    std::vector<std::vector<V>> contours;
    ContourSide side;
    int count;
    double spacing;
    std::vector<std::string> notes;
  };
  const std::vector<Case> cases = {
      // Cut inside with the tool of 3 the slot's path is 21.4 long: tabs of 8
      // (the width of 5 and the tool) fit every other one.
      {"short slot, four tabs asked",
       {slot},
       ContourSide::kInside,
       4,
       0,
       {"Contour 1: 2 of 4 tabs placed (too short for more)."}},
      // A hole of 5 cut inside leaves a path of 6.3: no tab of 8 fits.
      {"small hole",
       {Circle(0, 2.5)},
       ContourSide::kInside,
       4,
       0,
       {"Contour 1: 0 of 4 tabs placed (too short for any)."}},
      {"one tab asked on a small hole",
       {Circle(0, 2.5)},
       ContourSide::kInside,
       1,
       0,
       {"Contour 1: 0 of 1 tab placed (too short for any)."}},
      {"each contour named",
       {square, {{30, 0}, {36, 0, 1}, {36, 6}, {30, 6, 1}}, Circle(50, 2.5)},
       ContourSide::kInside,
       4,
       0,
       {"Contour 2: 2 of 4 tabs placed (too short for more).",
        "Contour 3: 0 of 4 tabs placed (too short for any)."}},
      // A tab every 5 on the square's 80: 16 due, one of 8 fits every 10.
      {"spacing closer than a tab",
       {square},
       ContourSide::kOnLine,
       0,
       5,
       {"Contour 1: 8 of 16 tabs placed (too short for more)."}},
      {"all tabs placed", {square}, ContourSide::kOutside, 4, 0, {}},
      {"spacing met", {square}, ContourSide::kOnLine, 0, 10, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ContourOptions options;
    options.side = c.side;
    options.tabCount = c.count;
    options.tabSpacing = c.spacing;
    EXPECT_EQ(NotesOf(c.contours, options), c.notes);
  }
}

TEST(ContourNotes, NameNeighboursWhosePathsCutIntoEachOther) {
  // Holes of 10 with the tool of 6.35: cut outside, their outlines need the
  // tool's width between them.
  const std::string tooClose = " are too close for the tool: its path cuts into the other's part.";
  struct Case {
    const char* name;
    std::vector<std::vector<V>> contours;
    ContourSide side;
    std::vector<std::string> notes;
  };
  const std::vector<Case> cases = {
      {"0.35 too close, outside",
       {Circle(0, 5), Circle(16, 5)},
       ContourSide::kOutside,
       {"Contours 1 and 2" + tooClose}},
      {"0.01 too close, outside",
       {Circle(0, 5), Circle(16.34, 5)},
       ContourSide::kOutside,
       {"Contours 1 and 2" + tooClose}},
      {"the tool's width apart", {Circle(0, 5), Circle(16.35, 5)}, ContourSide::kOutside, {}},
      {"far apart", {Circle(0, 5), Circle(30, 5)}, ContourSide::kOutside, {}},
      {"each close pair",
       {Circle(0, 5), Circle(16, 5), Circle(32, 5), Circle(60, 5)},
       ContourSide::kOutside,
       {"Contours 1 and 2" + tooClose, "Contours 2 and 3" + tooClose}},
      // Cut inside, the paths stay within the holes.
      {"0.35 too close, inside", {Circle(0, 5), Circle(16, 5)}, ContourSide::kInside, {}},
      // On the line no side is kept.
      {"0.35 too close, on the line", {Circle(0, 5), Circle(16, 5)}, ContourSide::kOnLine, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ContourOptions options;
    options.side = c.side;
    options.toolDiameter = 6.35;
    options.entry = ContourEntry::kRamp;  // asks for more than today's cut on the line too
    EXPECT_EQ(NotesOf(c.contours, options), c.notes);
  }
}

}  // namespace
}  // namespace kelvora::generators
