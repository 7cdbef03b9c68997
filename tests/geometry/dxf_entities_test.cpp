// The reader's records of the entities beyond lines, arcs, circles and
// lightweight polylines: old-style polylines, ellipses, whole splines, blocks
// and inserts, the layer table, and the kinds counted as skipped.
#include <gtest/gtest.h>

#include <string>

#include "geometry/dxf.h"
#include "geometry/outline_geometry.h"

namespace kelvora::geometry {
namespace {

using outline_test::Drawing;
using outline_test::G;

G Vertex(const char* x, const char* y, const char* bulge = "0", const char* flags = "0") {
  return {{0, "VERTEX"}, {8, "0"}, {10, x}, {20, y}, {30, "7"}, {42, bulge}, {70, flags}};
}

G OldPolyLine(const char* flags, const char* layer, std::initializer_list<G> vertices,
              bool mirrored = false) {
  G g = {{0, "POLYLINE"}, {8, layer}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "7"}, {70, flags}};
  if (mirrored) g.insert(g.end(), {{210, "0"}, {220, "0"}, {230, "-1"}});
  for (const G& v : vertices) g.insert(g.end(), v.begin(), v.end());
  g.push_back({0, "SEQEND"});
  return g;
}

G Join(std::initializer_list<G> parts) {
  G all;
  for (const G& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(CDxfEntities, OldStylePolyLines) {
  struct Case {
    const char* name;
    G entities;
    std::vector<double> x, y, b;
    bool closed;
    const char* layer;
  };
  const std::vector<Case> cases = {
      {"closed, with a bulge, elevation ignored",
       OldPolyLine("1", "Cut", {Vertex("0", "0", "1"), Vertex("10", "0"), Vertex("10", "5")}),
       {0, 10, 10},
       {0, 0, 5},
       {1, 0, 0},
       true,
       "Cut"},
      {"open",
       OldPolyLine("0", "0", {Vertex("1", "2"), Vertex("3", "4")}),
       {1, 3},
       {2, 4},
       {0, 0},
       false,
       "0"},
      {"seen from below: X and bulges turned over",
       OldPolyLine("0", "0", {Vertex("1", "2", "0.5"), Vertex("3", "4")}, true),
       {-1, -3},
       {2, 4},
       {-0.5, 0},
       false,
       "0"},
      {"a spline-fit polyline's frame points are not its vertices",
       OldPolyLine(
           "4", "0",
           {Vertex("0", "0", "0", "16"), Vertex("1", "1", "0", "8"), Vertex("2", "0", "0", "8")}),
       {1, 2},
       {1, 0},
       {0, 0},
       false,
       "0"},
      {"no SEQEND: the next entity ends it",
       Join({{{0, "POLYLINE"}, {70, "1"}},
             Vertex("0", "0"),
             Vertex("5", "5"),
             {{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}}),
       {0, 5},
       {0, 5},
       {0, 0},
       true,
       "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(Drawing(c.entities));
    EXPECT_EQ(dxf.GetProblem(), "");
    EXPECT_EQ(dxf.GetLwPolyLineCount(), 0u);  // the old spelling is kept apart
    ASSERT_EQ(dxf.OldPolyLines().size(), 1u);
    const dCPolyLine& p = dxf.OldPolyLines()[0];
    EXPECT_EQ(p.m_VertexCount, c.x.size());
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
    EXPECT_EQ(p.b, c.b);
    EXPECT_EQ((p.m_PolyLineFlag & kDxfPolyLineClosed) != 0, c.closed);
    EXPECT_EQ(p.m_Layer, c.layer);
  }
}

TEST(CDxfEntities, ThreeDimensionalPolyLinesAndOtherKindsAreCountedAsSkipped) {
  CDxf dxf;
  dxf.LoadText(Drawing(Join({OldPolyLine("8", "0", {Vertex("0", "0"), Vertex("1", "1")}),
                             OldPolyLine("64", "0", {Vertex("0", "0")}),
                             {{0, "TEXT"}, {1, "LINE"}, {0, "MTEXT"}, {0, "TEXT"}},
                             {{0, "INSERT"}, {2, "B"}, {66, "1"}, {0, "ATTRIB"}, {0, "SEQEND"}}})));
  EXPECT_TRUE(dxf.OldPolyLines().empty());
  EXPECT_EQ(dxf.GetLineCount(), 0u);
  ASSERT_EQ(dxf.Inserts().size(), 1u);
  std::string skipped;
  for (const dCKindCount& k : dxf.Entities().skipped) {
    skipped += std::to_string(k.count) + " " + k.kind + ";";
  }
  EXPECT_EQ(skipped, "1 3D POLYLINE;1 POLYLINE mesh;2 TEXT;1 MTEXT;1 ATTRIB;");
}

TEST(CDxfEntities, EllipseSplineAndInsertFields) {
  const G entities = {
      {0, "ELLIPSE"}, {8, "E"},      {10, "1"},   {20, "2"},     {11, "3"}, {21, "4"},  {40, "0.5"},
      {41, "0.1"},    {42, "6"},     {230, "-1"}, {0, "SPLINE"}, {8, "S"},  {70, "11"}, {71, "2"},
      {72, "6"},      {73, "3"},     {74, "2"},   {40, "0"},     {40, "0"}, {40, "0"},  {40, "1"},
      {40, "1"},      {40, "1"},     {41, "1"},   {41, "0.5"},   {41, "1"}, {10, "0"},  {20, "0"},
      {10, "1"},      {20, "1"},     {10, "2"},   {20, "0"},     {11, "0"}, {21, "0"},  {11, "2"},
      {21, "0"},      {0, "INSERT"}, {8, "I"},    {2, "Part"},   {10, "5"}, {20, "6"},  {41, "2"},
      {42, "3"},      {43, "9"},     {50, "45"},  {70, "4"},     {71, "5"}, {44, "7"},  {45, "8"},
      {210, "0"},     {220, "0"},    {230, "-1"}};
  CDxf dxf;
  dxf.LoadText(Drawing(entities));
  ASSERT_EQ(dxf.Ellipses().size(), 1u);
  const dCEllipse& e = dxf.Ellipses()[0];
  EXPECT_EQ(e.m_Layer, "E");
  EXPECT_EQ(
      (std::vector<double>{e.cx, e.cy, e.majorX, e.majorY, e.ratio, e.startParam, e.endParam}),
      (std::vector<double>{1, 2, 3, 4, 0.5, 0.1, 6}));
  EXPECT_TRUE(e.mirrored);

  ASSERT_EQ(dxf.Splines().size(), 1u);
  const dCSpline& s = dxf.Splines()[0];
  EXPECT_EQ(s.m_Layer, "S");
  EXPECT_EQ(s.flags, 11u);
  EXPECT_EQ(s.degree, 2);
  EXPECT_EQ(s.knots, (std::vector<double>{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(s.weights, (std::vector<double>{1, 0.5, 1}));
  EXPECT_EQ(s.cx, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(s.cy, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(s.m_FitPointCount, 2u);
  EXPECT_EQ(s.x, (std::vector<double>{0, 2}));

  ASSERT_EQ(dxf.Inserts().size(), 1u);
  const dCInsert& i = dxf.Inserts()[0];
  EXPECT_EQ(i.m_Layer, "I");
  EXPECT_EQ(i.block, "Part");
  EXPECT_EQ((std::vector<double>{i.x, i.y, i.scaleX, i.scaleY, i.rotation, i.columnSpacing,
                                 i.rowSpacing}),
            (std::vector<double>{5, 6, 2, 3, 45, 7, 8}));
  EXPECT_EQ(i.columns, 4);
  EXPECT_EQ(i.rows, 5);
  EXPECT_TRUE(i.mirrored);
}

TEST(CDxfEntities, BlocksAndTheLayerTable) {
  const G layers = {{0, "LAYER"}, {2, "Frozen"}, {70, "1"}, {62, "7"},
                    {0, "LAYER"}, {2, "Off"},    {70, "0"}, {62, "-1"},
                    {0, "LAYER"}, {2, "Shown"},  {70, "0"}, {62, "3"}};
  const G blocks = {{0, "BLOCK"}, {2, "Part"},         {10, "1"},    {20, "2"},     {0, "LINE"},
                    {10, "0"},    {20, "0"},           {11, "1"},    {21, "0"},     {0, "CIRCLE"},
                    {10, "0"},    {20, "0"},           {40, "1"},    {0, "ENDBLK"}, {8, "0"},
                    {0, "BLOCK"}, {2, "*Model_Space"}, {0, "ENDBLK"}};
  CDxf dxf;
  dxf.LoadText(Drawing({{0, "INSERT"}, {2, "PART"}}, blocks, layers));
  EXPECT_EQ(dxf.GetProblem(), "");
  ASSERT_EQ(dxf.Blocks().size(), 2u);
  const dCBlock* part = dxf.FindBlock("pArT");
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->baseX, 1);
  EXPECT_EQ(part->baseY, 2);
  EXPECT_EQ(part->entities.lines.size(), 1u);
  EXPECT_EQ(part->entities.circles.size(), 1u);
  // The block's entities are not the drawing's own.
  EXPECT_EQ(dxf.GetLineCount(), 0u);
  EXPECT_EQ(dxf.FindBlock("Missing"), nullptr);
  EXPECT_FALSE(dxf.LayerShown("FROZEN"));
  EXPECT_FALSE(dxf.LayerShown("off"));
  EXPECT_TRUE(dxf.LayerShown("Shown"));
  EXPECT_TRUE(dxf.LayerShown("Not in the table"));
}

TEST(CDxfEntities, ASectionLeftUnclosedEndsAtTheNextOne) {
  for (const char* section : {"TABLES", "BLOCKS"}) {
    SCOPED_TRACE(section);
    CDxf dxf;
    dxf.LoadText(std::string("0\nSECTION\n2\n") + section +
                 "\n0\nLAYER\n2\nA\n0\nBLOCK\n2\nB\n0\nLINE\n"
                 "0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n4\n0\nENDSEC\n0\nEOF\n");
    EXPECT_EQ(dxf.GetProblem(), "");
    ASSERT_EQ(dxf.GetLineCount(), 1u);
    EXPECT_EQ(dxf.Lines()[0].x2, 4);
  }
}

TEST(CDxfEntities, MirroredArcsRunTheOtherWay) {
  CDxf dxf;
  dxf.LoadText(Drawing({{0, "ARC"},
                        {10, "5"},
                        {20, "1"},
                        {40, "2"},
                        {50, "10"},
                        {51, "100"},
                        {210, "0"},
                        {220, "0"},
                        {230, "-1"}}));
  ASSERT_EQ(dxf.GetArcCount(), 1u);
  const dCArc& a = dxf.Arcs()[0];
  // Seen from above: centre (-5, 1), from 80 to 170 degrees counter-clockwise.
  EXPECT_EQ((std::vector<double>{a.cx, a.cy, a.startAngle, a.endAngle}),
            (std::vector<double>{-5, 1, 80, 170}));
}

}  // namespace
}  // namespace kelvora::geometry
