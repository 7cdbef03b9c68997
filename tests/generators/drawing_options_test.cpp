// A drawing cut as a part is cut (Outside and Inside follow the nesting of its
// contours), read in its units, and refused where a number cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "generators/contour_cut.h"
#include "generators/contour_nesting.h"
#include "generators/contour_options.h"
#include "generators/dxf_contour.h"
#include "generators/point_list.h"
#include "generators/router_inputs.h"
#include "generators/text_lookup.h"
#include "geometry/dxf_outlines.h"

namespace kelvora::generators {
namespace {

using geometry::CPolyLine;
using geometry::DrawList;
using testing::MapTexts;
using testing::RouterInputs;

std::string Drawing(const char* name) {
  return std::string(KELVORA_TEST_DATA "/generators/drawings/") + name;
}

geometry::Outlines Read(const char* name, geometry::DrawingUnits units) {
  geometry::OutlineOptions o;
  o.units = units;
  auto read = geometry::ReadOutlines(Drawing(name), o);
  EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.failure().detail);
  return read.ok() ? std::move(*read) : geometry::Outlines{};
}

// ---- Side by nesting ------------------------------------------------------------

// The part of part_slot_hole.dxf, as exact geometry: a plate 120 x 60, a slot
// round the line (20, 20)-(40, 20) 5 wide each side, a hole of radius 8 at
// (60, 30), a window 80..110 x 10..50 with a boss 90..100 x 25..35 in it.
double SlotDistance(double x, double y) {
  const double t = std::clamp((x - 20) / 20, 0.0, 1.0);
  return std::hypot(x - (20 + 20 * t), y - 20);
}
bool InBox(double x, double y, double x0, double x1, double y0, double y1) {
  return x > x0 && x < x1 && y > y0 && y < y1;
}
bool InMaterial(double x, double y) {
  if (!InBox(x, y, 0, 120, 0, 60)) return false;
  if (SlotDistance(x, y) < 5 || std::hypot(x - 60, y - 30) < 8) return false;
  return !InBox(x, y, 80, 110, 10, 50) || InBox(x, y, 90, 100, 25, 35);
}
double BoxDistance(double x, double y, double x0, double x1, double y0, double y1) {
  const double dx = std::max({x0 - x, 0.0, x - x1});
  const double dy = std::max({y0 - y, 0.0, y - y1});
  if (dx > 0 || dy > 0) return std::hypot(dx, dy);
  return std::min({x - x0, x1 - x, y - y0, y1 - y});
}
// The distance from the nearest drawn line.
double DrawingDistance(double x, double y) {
  return std::min({BoxDistance(x, y, 0, 120, 0, 60), std::abs(SlotDistance(x, y) - 5),
                   std::abs(std::hypot(x - 60, y - 30) - 8), BoxDistance(x, y, 80, 110, 10, 50),
                   BoxDistance(x, y, 90, 100, 25, 35)});
}

ContourOptions Side(ContourSide side, SideBy by) {
  ContourOptions o;
  o.side = side;
  o.sideBy = by;
  o.toolDiameter = 4;
  return o;
}

// Every pass's points (vertices and the middle of every segment).
std::vector<toolpath::Point> PassPoints(const DrawList& paths) {
  std::vector<toolpath::Point> points;
  for (const auto& obj : paths) {
    if (obj->otype != geometry::otPolyLine) continue;
    for (const PathSegment& s : SegmentsOf(toolpath::PathOf(static_cast<const CPolyLine&>(*obj)))) {
      points.push_back(PointOn(s, 0));
      points.push_back(PointOn(s, 0.5));
    }
  }
  return points;
}

TEST(SideByNesting, ThePartComesOutAsDrawn) {
  // Outside of the part: the tool runs in the waste (outside the plate, inside
  // the slot, the hole and the window, outside the boss); Inside: in the
  // material, always its radius from the nearest drawn line.
  const struct {
    const char* name;
    ContourSide side;
    bool inMaterial;
  } cases[] = {{"Outside", ContourSide::kOutside, false}, {"Inside", ContourSide::kInside, true}};
  const geometry::Outlines part = Read("part_slot_hole.dxf", geometry::DrawingUnits::kFromDrawing);
  ASSERT_EQ(part.contours.size(), 5u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto paths =
        ContourToolPaths(part.contours, RouterInputs(2, 0), Side(c.side, SideBy::kNesting));
    ASSERT_TRUE(paths.ok());
    EXPECT_EQ(paths->size(), 5u);
    const std::vector<toolpath::Point> points = PassPoints(*paths);
    ASSERT_GT(points.size(), 20u);
    for (const toolpath::Point& p : points) {
      ASSERT_EQ(InMaterial(p.x, p.y), c.inMaterial) << p.x << ", " << p.y;
      ASSERT_NEAR(DrawingDistance(p.x, p.y), 2.0, 1e-3) << p.x << ", " << p.y;
    }
  }
}

TEST(SideByNesting, EachContourKeepsEveryContourOnItsOwnSide) {
  // Each contour cut as if it stood alone: what the drawing cut before sides
  // followed the nesting.
  const geometry::Outlines part = Read("part_slot_hole.dxf", geometry::DrawingUnits::kFromDrawing);
  for (const ContourSide side : {ContourSide::kOutside, ContourSide::kInside}) {
    const auto all =
        ContourToolPaths(part.contours, RouterInputs(2, 0), Side(side, SideBy::kEachContour));
    ASSERT_TRUE(all.ok());
    ASSERT_EQ(all->size(), part.contours.size());
    for (std::size_t i = 0; i < part.contours.size(); ++i) {
      DrawList alone;
      alone.push_back(
          toolpath::PolyLineOf(toolpath::PathOf(static_cast<const CPolyLine&>(*part.contours[i]))));
      const auto one = ContourToolPaths(alone, RouterInputs(2, 0), Side(side, SideBy::kNesting));
      ASSERT_TRUE(one.ok());
      ASSERT_EQ(one->size(), 1u);
      const auto& a = static_cast<const CPolyLine&>(*(*all)[i]);
      const auto& b = static_cast<const CPolyLine&>(*(*one)[0]);
      EXPECT_EQ(a.x, b.x) << i;
      EXPECT_EQ(a.y, b.y) << i;
      EXPECT_EQ(a.b, b.b) << i;
    }
  }
}

TEST(SideByNesting, TheChoiceIsReadAndTheDefaultFollowsNesting) {
  const struct {
    const char* text;
    bool ok;
    SideBy by;
  } cases[] = {{"", true, SideBy::kNesting},
               {"Nesting", true, SideBy::kNesting},
               {"Each contour", true, SideBy::kEachContour},
               {"each contour", false, SideBy::kNesting}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto o = ReadContourOptions(MapTexts({{"DxfSideBy", c.text}}), RouterInputs(2, 0));
    ASSERT_EQ(o.ok(), c.ok);
    if (c.ok) {
      EXPECT_EQ(o->sideBy, c.by);
    } else {
      EXPECT_EQ(o.failure().detail, "DxfSideBy");
    }
  }
}

TEST(NestingDepths, CountTheContoursAround) {
  auto square = [](double x0, double y0, double side) {
    toolpath::Path p;
    p.closed = true;
    p.v = {{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}};
    return p;
  };
  toolpath::Path open = square(1, 1, 2);
  open.closed = false;
  // Three squares one inside the other, one beside them, an open path inside,
  // a second square on the line of the first (held by neither).
  const std::vector<toolpath::Path> contours = {
      square(0, 0, 100), square(10, 10, 50), square(20, 20, 10), square(200, 0, 10), open,
      square(0, 0, 100)};
  EXPECT_EQ(NestingDepths(contours), (std::vector<int>{0, 1, 2, 0, 0, 0}));
}

// ---- Drawing units ----------------------------------------------------------------

// The plate's vertices, in order.
std::vector<double> Coordinates(const geometry::Outlines& o) {
  std::vector<double> out;
  for (const auto& obj : o.contours) {
    const auto& p = static_cast<const CPolyLine&>(*obj);
    for (std::size_t i = 0; i < p.x.size(); ++i) {
      out.insert(out.end(), {p.x[i], p.y[i], p.b[i]});
    }
  }
  return out;
}

TEST(DrawingUnits, ContoursInTheUnitsChosen) {
  using U = geometry::DrawingUnits;
  const struct {
    const char* file;
    U units;
    double scale;
    const char* note;  // empty: none
  } cases[] = {
      {"plate_inches.dxf", U::kFromDrawing, 25.4, ""},
      {"plate_inches.dxf", U::kInches, 25.4, ""},
      {"plate_inches.dxf", U::kMillimetres, 1,
       "The drawing's units are inches; its numbers were read as millimetres"},
      {"plate_millimetres.dxf", U::kFromDrawing, 1, ""},
      {"plate_millimetres.dxf", U::kInches, 25.4,
       "The drawing's units are millimetres; its numbers were read as inches"},
      {"plate_no_header.dxf", U::kFromDrawing, 1, ""},
      {"plate_no_header.dxf", U::kInches, 25.4, ""},
      {"plate_metres.dxf", U::kFromDrawing, 1,
       "The drawing's units are metres; its numbers were read as millimetres"},
      {"plate_centimetres.dxf", U::kFromDrawing, 1,
       "The drawing's units are centimetres; its numbers were read as millimetres"},
  };
  const std::vector<double> plain = Coordinates(Read("plate_no_header.dxf", U::kMillimetres));
  ASSERT_EQ(plain.size(), 12u);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(static_cast<int>(c.units)));
    const geometry::Outlines o = Read(c.file, c.units);
    const std::vector<double> read = Coordinates(o);
    ASSERT_EQ(read.size(), plain.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      // Every third number is a bulge: it has no length.
      EXPECT_DOUBLE_EQ(read[i], i % 3 == 2 ? plain[i] : plain[i] * c.scale) << i;
    }
    const bool noted = !o.notes.empty() && o.notes.front() == c.note;
    EXPECT_TRUE(*c.note == '\0' ? o.notes.empty() : noted)
        << (o.notes.empty() ? "no note" : o.notes.front());
  }
}

TEST(DrawingUnits, PointListCirclesAndTheJobsRead) {
  const auto inches =
      LoadDxfPoints(Drawing("plate_inches.dxf"), {}, geometry::DrawingUnits::kFromDrawing);
  ASSERT_TRUE(inches.ok());
  ASSERT_EQ(inches->rows.size(), 2u);
  EXPECT_EQ(inches->rows[0].x, "25.4");
  EXPECT_EQ(inches->rows[0].y, "12.7");
  EXPECT_EQ(inches->rows[1].x, "76.2");
  EXPECT_EQ(inches->rows[1].y, "38.1");
  EXPECT_TRUE(inches->notes.empty());
  // On chosen layers, and read as millimetres, with the note.
  const auto asMm =
      LoadDxfPoints(Drawing("plate_inches.dxf"), {"0"}, geometry::DrawingUnits::kMillimetres);
  ASSERT_TRUE(asMm.ok());
  ASSERT_EQ(asMm->rows.size(), 2u);
  EXPECT_EQ(asMm->rows[1].x, "3");
  EXPECT_EQ(asMm->notes,
            std::vector<std::string>{
                "The drawing's units are inches; its numbers were read as millimetres"});

  // The keys: blank is from the drawing, a wrong name is refused with its key.
  EXPECT_EQ(*ReadPointUnits(MapTexts({})), geometry::DrawingUnits::kFromDrawing);
  EXPECT_EQ(*ReadPointUnits(MapTexts({{"AnyUnits", "Inches"}})), geometry::DrawingUnits::kInches);
  EXPECT_EQ(ReadPointUnits(MapTexts({{"AnyUnits", "mm"}})).failure().detail, "AnyUnits");
  EXPECT_EQ(ReadOutlineOptions(MapTexts({{"DxfUnits", "Millimetres"}}))->units,
            geometry::DrawingUnits::kMillimetres);
  EXPECT_EQ(ReadOutlineOptions(MapTexts({{"DxfUnits", "Feet"}})).failure().detail, "DxfUnits");
}

TEST(DrawingNumbers, RefusedNamingTheLine) {
  // Both readers refuse the drawing as damaged, naming the line.
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {
      {"coordinate_1e308.dxf",
       "Line 18: \"1e308\" is beyond 1000000, the largest coordinate or size taken"},
      {"decimal_comma.dxf", "Line 50: \"0,25\" is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = Drawing(c.file);
    const auto outlines = geometry::ReadOutlines(path, {});
    ASSERT_FALSE(outlines.ok());
    EXPECT_EQ(outlines.failure().message, "Load file failed!");
    EXPECT_EQ(outlines.failure().detail, path + ": " + c.reason);
    const auto points = LoadDxfPoints(path, {});
    ASSERT_FALSE(points.ok());
    EXPECT_EQ(points.failure().detail, path + ": " + c.reason);
  }
}

}  // namespace
}  // namespace kelvora::generators
