#include "geometry/dxf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/dxf_wrapper.h"

namespace kelvora::geometry {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(KELVORA_TEST_DATA) + "/geometry/dxf/" + name;
}

// Group pairs as a DXF file writes them, one per line.
std::string Groups(const std::vector<std::pair<int, std::string>>& groups,
                   const std::string& lineEnd = "\n") {
  std::string text;
  for (const auto& [code, value] : groups) {
    text += std::to_string(code) + lineEnd + value + lineEnd;
  }
  return text;
}

// Opens `text` as a drawing file: written to the temporary folder under `name`,
// read, and removed again.
bool LoadAsFile(CDxf& dxf, const std::string& text, const char* name) {
  const auto path = std::filesystem::temp_directory_path() / name;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  const bool loaded = dxf.LoadFile(path.string());
  std::filesystem::remove(path);
  return loaded;
}

struct CountCase {
  std::string file;
  std::uint32_t lines, arcs, circles, polylines;
  std::size_t splines;
  std::string problem = {};  // GetProblem after the load
};

TEST(CDxf, CountsPerFixture) {
  const std::vector<CountCase> cases = {
      {"square.dxf", 0, 0, 0, 1, 0},
      // The old-style POLYLINE and the TEXT reading LINE are not lines.
      {"r12_entities.dxf", 3, 1, 3, 0, 0},
      {"r2000_contours.dxf", 1, 1, 0, 5, 0},
      // The circle after a single-vertex polyline is kept.
      {"r2007_edge_cases.dxf", 0, 0, 3, 4, 1},
      {"many_vertices.dxf", 0, 0, 1, 1, 0},
      {"crlf.dxf", 0, 0, 1, 1, 0},
      // Lower-case "line" and everything after ENDSEC are not read.
      {"damaged.dxf", 1, 0, 1, 1, 0, "Line 28: \"12.5abc\" is not a number"},
      {"not_dxf.dxf", 0, 0, 0, 0, 0},
      {"binary.dxf", 0, 0, 0, 0, 0},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.file);
    CDxf dxf;
    ASSERT_TRUE(dxf.LoadFile(Fixture(c.file)));
    EXPECT_EQ(dxf.GetLineCount(), c.lines);
    EXPECT_EQ(dxf.GetArcCount(), c.arcs);
    EXPECT_EQ(dxf.GetCircleCount(), c.circles);
    EXPECT_EQ(dxf.GetLwPolyLineCount(), c.polylines);
    EXPECT_EQ(dxf.Splines().size(), c.splines);
    EXPECT_EQ(dxf.GetProblem(), c.problem);
  }
}

struct PolyCase {
  std::string file;
  std::size_t index;
  std::vector<double> x, y, b;
  bool closed;
};

TEST(CDxf, PolylineVerticesPerFixture) {
  const double t = std::tan(std::numbers::pi / 8);
  const std::vector<PolyCase> cases = {
      {"square.dxf", 0, {0, 10, 10, 0, 0}, {0, 0, 10, 10, 0}, {0, 0, 0, 0, 0}, false},
      {"r2000_contours.dxf", 0, {0, 10, 10, 20}, {0, 0, 10, 10}, {1, 0, -1, 0}, false},
      {"r2000_contours.dxf", 1, {30, 50, 50, 30}, {0, 0, 20, 20}, {0, 0, 0, t}, true},
      {"r2000_contours.dxf", 2, {60, 70, 70, 60}, {0, 0, 10, 0}, {0, 0, 0, 0}, true},
      // Start and end widths between the vertices do not shift them.
      {"r2000_contours.dxf", 3, {0, 10, 10}, {30, 30, 40}, {0.5, 0, 0}, false},
      {"r2000_contours.dxf", 4, {20, 30, 30}, {30, 30, 40}, {0, 0, 0}, false},
      {"r2007_edge_cases.dxf", 0, {5}, {5}, {0}, false},
      {"r2007_edge_cases.dxf", 1, {7}, {7}, {0}, true},
      // Extrusion (0, 0, -1): X and bulges turned over.
      {"r2007_edge_cases.dxf", 2, {-10, -20, -20}, {0, 0, 10}, {-0.5, 0, 0}, false},
      {"r2007_edge_cases.dxf", 3, {0, 5}, {50, 50}, {0, 0}, false},
      {"crlf.dxf", 0, {0, 10, 10}, {0, 0, 10}, {0, 1, 0}, false},
      // Declares 3 vertices, has 2: the count is what was read.
      {"damaged.dxf", 0, {0, 2}, {0, 0}, {1, 0}, false},
  };
  for (const PolyCase& c : cases) {
    SCOPED_TRACE(c.file + " #" + std::to_string(c.index));
    CDxf dxf;
    ASSERT_TRUE(dxf.LoadFile(Fixture(c.file)));
    ASSERT_LT(c.index, dxf.PolyLines().size());
    const dCPolyLine& p = dxf.PolyLines()[c.index];
    ASSERT_EQ(p.m_VertexCount, c.x.size());
    ASSERT_EQ(p.x.size(), c.x.size());
    for (std::size_t i = 0; i < c.x.size(); ++i) {
      EXPECT_DOUBLE_EQ(p.x[i], c.x[i]) << "vertex " << i;
      EXPECT_DOUBLE_EQ(p.y[i], c.y[i]) << "vertex " << i;
      EXPECT_DOUBLE_EQ(p.b[i], c.b[i]) << "vertex " << i;
    }
    EXPECT_EQ((p.m_PolyLineFlag & kDxfPolyLineClosed) != 0, c.closed);
  }
}

TEST(CDxf, OtherEntitiesFields) {
  CDxf r12;
  ASSERT_TRUE(r12.LoadFile(Fixture("r12_entities.dxf")));
  ASSERT_EQ(r12.GetLineCount(), 3u);
  EXPECT_EQ(r12.Lines()[0].m_Layer, "CUT");
  EXPECT_DOUBLE_EQ(r12.Lines()[1].y2, 50.5);
  EXPECT_DOUBLE_EQ(r12.Lines()[2].x1, 1);
  EXPECT_DOUBLE_EQ(r12.Lines()[2].y2, 4);
  ASSERT_EQ(r12.GetCircleCount(), 3u);
  EXPECT_DOUBLE_EQ(r12.Circles()[0].cx, 10.12345);
  EXPECT_DOUBLE_EQ(r12.Circles()[0].cy, -4);
  EXPECT_DOUBLE_EQ(r12.Circles()[0].radius, 3);
  ASSERT_EQ(r12.GetArcCount(), 1u);
  EXPECT_DOUBLE_EQ(r12.Arcs()[0].radius, 10);
  EXPECT_DOUBLE_EQ(r12.Arcs()[0].endAngle, 90);
  EXPECT_EQ(r12.Arcs()[0].m_Layer, "CUT");

  CDxf r2000;
  ASSERT_TRUE(r2000.LoadFile(Fixture("r2000_contours.dxf")));
  EXPECT_EQ(r2000.Lines()[0].m_Layer, "Outer Contour");
  EXPECT_EQ(r2000.Arcs()[0].m_Layer, "Outer Contour");
  EXPECT_DOUBLE_EQ(r2000.Arcs()[0].startAngle, 45);

  CDxf edge;
  ASSERT_TRUE(edge.LoadFile(Fixture("r2007_edge_cases.dxf")));
  ASSERT_EQ(edge.GetCircleCount(), 3u);
  EXPECT_DOUBLE_EQ(edge.Circles()[0].cx, 1);
  EXPECT_EQ(edge.Circles()[0].m_Layer, "Drill Holes");
  EXPECT_DOUBLE_EQ(edge.Circles()[1].cx, -15);  // mirrored
  EXPECT_DOUBLE_EQ(edge.Circles()[1].cy, 5);
  EXPECT_DOUBLE_EQ(edge.Circles()[2].cx, 3);  // another direction: as written
  ASSERT_EQ(edge.Splines().size(), 1u);
  EXPECT_EQ(edge.Splines()[0].m_FitPointCount, 4u);
  EXPECT_DOUBLE_EQ(edge.Splines()[0].x[3], 15);
  EXPECT_DOUBLE_EQ(edge.Splines()[0].y[3], 5);

  CDxf damaged;
  ASSERT_TRUE(damaged.LoadFile(Fixture("damaged.dxf")));
  // The missing end point stays 0; the circle after it is kept, its numbers
  // that are not numbers read as 0 (the load's problem names the first).
  EXPECT_EQ(damaged.Lines()[0].m_Layer, "Layer With Blanks");
  EXPECT_DOUBLE_EQ(damaged.Lines()[0].x1, 3);
  EXPECT_DOUBLE_EQ(damaged.Lines()[0].x2, 0);
  EXPECT_DOUBLE_EQ(damaged.Circles()[0].cx, 0);
  EXPECT_DOUBLE_EQ(damaged.Circles()[0].cy, 0);
  EXPECT_DOUBLE_EQ(damaged.Circles()[0].radius, 2);
}

TEST(CDxf, ManyVerticesAreAllKept) {
  CDxf dxf;
  ASSERT_TRUE(dxf.LoadFile(Fixture("many_vertices.dxf")));
  const dCPolyLine& p = dxf.PolyLines()[0];
  ASSERT_EQ(p.m_VertexCount, 5000u);
  EXPECT_DOUBLE_EQ(p.x[0], 100);
  EXPECT_NEAR(p.x[2500], -100, 1e-9);
  EXPECT_NEAR(p.y[4999], -100 * std::sin(2 * std::numbers::pi / 5000), 1e-6);
  EXPECT_TRUE(p.m_PolyLineFlag & kDxfPolyLineClosed);
}

TEST(CDxf, GroupStructure) {
  const auto open = std::vector<std::pair<int, std::string>>{{0, "SECTION"}, {2, "ENTITIES"}};
  struct Case {
    std::string name;
    std::string text;
    std::uint32_t lines, polylines, circles;
  };
  auto with = [&open](std::vector<std::pair<int, std::string>> body) {
    auto all = open;
    all.insert(all.end(), body.begin(), body.end());
    all.push_back({0, "ENDSEC"});
    all.push_back({0, "EOF"});
    return all;
  };
  const std::vector<Case> cases = {
      // The stream of a minimal polyline, closed by ENDSEC.
      {"minimal polyline",
       Groups({{0, "SECTION"},
               {2, "ENTITIES"},
               {0, "LWPOLYLINE"},
               {5, "2F"},
               {100, "AcDbEntity"},
               {8, "0"},
               {100, "AcDbPolyline"},
               {90, "2"},
               {70, "0"},
               {10, "0.0"},
               {20, "0.0"},
               {42, "1.0"},
               {10, "2.0"},
               {20, "0.0"},
               {0, "ENDSEC"}}),
       0, 1, 0},
      {"codes with blanks, CR LF", Groups(with({{0, "LINE"}, {10, "1"}}), "\r\n"), 1, 0, 0},
      {"no ENTITIES section", Groups({{0, "SECTION"}, {2, "HEADER"}, {0, "ENDSEC"}}), 0, 0, 0},
      // A value reading ENTITIES that is not a section name does not open it.
      {"ENTITIES as a value", Groups({{1, "ENTITIES"}, {0, "LINE"}}), 0, 0, 0},
      {"empty file", "", 0, 0, 0},
      {"code without value at the end", Groups(with({{0, "CIRCLE"}})) + "10\n", 0, 0, 1},
      {"entity names at group 0 only",
       Groups(with({{0, "TEXT"}, {1, "LINE"}, {0, "MTEXT"}, {3, "LWPOLYLINE"}, {0, "CIRCLE"}})), 0,
       0, 1},
      {"values with blanks stay whole",
       Groups(with({{0, "LINE"}, {8, "Two Words"}, {10, " 1.5"}, {0, "CIRCLE"}})), 1, 0, 1},
      {"CR-only line ends", Groups(with({{0, "LINE"}, {0, "CIRCLE"}}), "\r"), 1, 0, 1},
      {"mixed line ends",
       Groups(open, "\r") + Groups({{0, "LINE"}}, "\r\n") + Groups({{0, "CIRCLE"}, {0, "ENDSEC"}}),
       1, 0, 1},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + Groups(with({{0, "CIRCLE"}})), 0, 0, 1},
      {"byte-order mark and CR LF", "\xEF\xBB\xBF" + Groups(with({{0, "LINE"}}), "\r\n"), 1, 0, 0},
      {"blank lines before the first code", "\n  \r\n" + Groups(with({{0, "LWPOLYLINE"}})), 0, 1,
       0},
      {"names padded with blanks",
       Groups(
           {{0, "SECTION "}, {2, "ENTITIES  "}, {0, "CIRCLE "}, {0, "\tLINE\t"}, {0, "ENDSEC "}}),
       1, 0, 1},
      {"a non-numeric code line costs nothing else",
       Groups(open) + Groups({{0, "LINE"}}) + "x\ny\n" + Groups({{0, "CIRCLE"}, {0, "ENDSEC"}}), 1,
       0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(c.text);
    EXPECT_EQ(dxf.GetLineCount(), c.lines);
    EXPECT_EQ(dxf.GetLwPolyLineCount(), c.polylines);
    EXPECT_EQ(dxf.GetCircleCount(), c.circles);
  }

  CDxf minimal;
  minimal.LoadText(cases[0].text);
  const dCPolyLine& p = minimal.PolyLines()[0];
  ASSERT_EQ(p.m_VertexCount, 2u);
  EXPECT_DOUBLE_EQ(p.x[1], 2);
  EXPECT_DOUBLE_EQ(p.b[0], 1);
  EXPECT_DOUBLE_EQ(p.b[1], 0);

  CDxf blanks;
  blanks.LoadText(cases[7].text);
  EXPECT_EQ(blanks.Lines()[0].m_Layer, "Two Words");
  EXPECT_DOUBLE_EQ(blanks.Lines()[0].x1, 1.5);
}

TEST(CDxf, DamagedStructureIsReported) {
  const std::string open = Groups({{0, "SECTION"}, {2, "ENTITIES"}});
  struct Case {
    std::string name;
    std::string text;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"sound", open + Groups({{0, "LINE"}, {10, "1"}, {0, "ENDSEC"}}), ""},
      {"closed by EOF", open + Groups({{0, "LINE"}, {0, "EOF"}}), ""},
      {"no ENTITIES section", Groups({{0, "SECTION"}, {2, "HEADER"}}), ""},
      // The Y line of a vertex lost: its value is read as the next code.
      {"a line lost", open + "0\nLWPOLYLINE\n10\n1.0\n20\n10\n2.5\n20\n0.0\n0\nENDSEC\n",
       "Line 11: a group code was expected"},
      {"blank code line", open + "0\nLINE\n\n1\n0\nENDSEC\n", "Line 7: a group code was expected"},
      {"cut short", open + Groups({{0, "LWPOLYLINE"}, {10, "1"}}),
       "The ENTITIES section is not closed: the file may be cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(c.text);
    EXPECT_EQ(dxf.GetProblem(), c.problem);
  }

  CDxf cut;
  ASSERT_TRUE(cut.LoadFile(Fixture("truncated.dxf")));
  EXPECT_EQ(cut.GetProblem(), "The ENTITIES section is not closed: the file may be cut short");
  const auto refused = DxfObjGen(Fixture("truncated.dxf"));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.failure().message, "Load file failed!");
  EXPECT_NE(refused.failure().detail.find("cut short"), std::string::npos);
}

TEST(CDxf, NumbersAreReadWholeAndWithinRange) {
  // A LINE whose start X (line 8) is the text; then the header's units.
  const auto line = [](const std::string& x) {
    return Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, x}, {0, "ENDSEC"}});
  };
  struct Case {
    std::string name;
    std::string text;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"blanks around", line(" 12.5 "), ""},
      {"the largest coordinate", line("-1000000"), ""},
      {"a decimal comma", line("12,5"), "Line 8: \"12,5\" is not a number"},
      {"a word after", line("12 mm"), "Line 8: \"12 mm\" is not a number"},
      {"empty", line(""), "Line 8: \"\" is not a number"},
      {"beyond the range", line("1e308"),
       "Line 8: \"1e308\" is beyond 1000000, the largest coordinate or size taken"},
      {"just beyond", line("1000000.5"),
       "Line 8: \"1000000.5\" is beyond 1000000, the largest coordinate or size taken"},
      // Past the largest number: refused as not finite where an outline takes it.
      {"not finite", line("1e999"), ""},
      {"a flag written with a fraction",
       Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LWPOLYLINE"}, {70, "1.0"}, {0, "ENDSEC"}}),
       ""},
      {"a flag with a fraction",
       Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LWPOLYLINE"}, {70, "1.5"}, {0, "ENDSEC"}}),
       "Line 8: \"1.5\" is not a number"},
      {"a number in a block",
       Groups({{0, "SECTION"},
               {2, "BLOCKS"},
               {0, "BLOCK"},
               {2, "B"},
               {0, "CIRCLE"},
               {40, "2;"},
               {0, "ENDBLK"},
               {0, "ENDSEC"}}),
       "Line 12: \"2;\" is not a number"},
      {"an angle is no coordinate",
       Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "ARC"}, {50, "1e308"}, {0, "ENDSEC"}}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDxf dxf;
    dxf.LoadText(c.text);
    EXPECT_EQ(dxf.GetProblem(), c.problem);
  }

  const struct {
    std::string header;
    long long units;
  } headers[] = {
      {"", -1},
      {Groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$INSUNITS"}, {70, "1"}, {0, "ENDSEC"}}), 1},
      {Groups({{0, "SECTION"},
               {2, "HEADER"},
               {9, "$ACADVER"},
               {1, "AC1015"},
               {9, "$INSUNITS"},
               {70, " 6"},
               {9, "$LUNITS"},
               {70, "2"},
               {0, "ENDSEC"}}),
       6},
  };
  for (const auto& h : headers) {
    CDxf dxf;
    dxf.LoadText(h.header + line("1"));
    EXPECT_EQ(dxf.GetInsUnits(), h.units) << h.header;
    EXPECT_EQ(dxf.GetProblem(), "");
  }
}

TEST(CDxf, DeclaredCountIsNotTrusted) {
  // A polyline declaring two billion vertices must not reserve room for them.
  CDxf dxf;
  dxf.LoadText(Groups({{0, "SECTION"},
                       {2, "ENTITIES"},
                       {0, "LWPOLYLINE"},
                       {90, "2000000000"},
                       {10, "1"},
                       {20, "2"},
                       {0, "ENDSEC"}}));
  ASSERT_EQ(dxf.GetLwPolyLineCount(), 1u);
  EXPECT_EQ(dxf.PolyLines()[0].m_VertexCount, 1u);
  EXPECT_LT(dxf.RecordBytes(), 4096u);
}

TEST(CDxf, NumberConversions) {
  struct Case {
    std::string text;
    double value;
  };
  const std::vector<Case> doubles = {
      {"1.5", 1.5}, {"  -2.25", -2.25}, {"+3", 3},  {"1e3", 1000}, {"12.5abc", 12.5}, {"abc", 0},
      {"", 0},      {"-", 0},           {"+-1", 0}, {".5", 0.5},   {"-0.0", -0.0},    {"1,5", 1},
      {"\t7\r", 7},
  };
  for (const Case& c : doubles) EXPECT_DOUBLE_EQ(DxfToDouble(c.text), c.value) << c.text;
  EXPECT_TRUE(std::isinf(DxfToDouble("1e999")));

  const std::vector<std::pair<std::string, long long>> ints = {
      {"1", 1}, {" 70", 70}, {"-5", -5}, {"+8", 8}, {"3.9", 3}, {"x", 0}, {"", 0},
  };
  for (const auto& [text, value] : ints) EXPECT_EQ(DxfToInt(text), value) << text;
}

TEST(CDxf, LargeFileReadInPiecesMatchesTheText) {
  // Several megabytes, CR LF line ends, and one value longer than any read piece,
  // so lines and pairs straddle the pieces the file is read in.
  std::string text = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
  for (int i = 0; i < 40000; ++i) {
    text += "0\r\nLWPOLYLINE\r\n90\r\n3\r\n70\r\n1\r\n";
    for (int v = 0; v < 3; ++v) {
      text += "10\r\n" + std::to_string(i + v) + ".25\r\n20\r\n" + std::to_string(v) +
              "\r\n42\r\n0.5\r\n";
    }
    if (i == 20000) text += "0\r\nTEXT\r\n1\r\n" + std::string(3 << 20, 'x') + "\r\n";
  }
  text += "0\r\nCIRCLE\r\n10\r\n7\r\n0\r\nENDSEC\r\n";
  CDxf fromFile;
  ASSERT_TRUE(LoadAsFile(fromFile, text, "kelvora_dxf_pieces_test.dxf"));
  CDxf fromText;
  fromText.LoadText(text);
  ASSERT_EQ(fromFile.GetLwPolyLineCount(), 40000u);
  ASSERT_EQ(fromText.GetLwPolyLineCount(), 40000u);
  ASSERT_EQ(fromFile.GetCircleCount(), 1u);
  EXPECT_DOUBLE_EQ(fromFile.Circles()[0].cx, 7);
  for (std::size_t i = 0; i < 40000; ++i) {
    const dCPolyLine& a = fromFile.PolyLines()[i];
    const dCPolyLine& b = fromText.PolyLines()[i];
    ASSERT_EQ(a.m_VertexCount, 3u) << i;
    ASSERT_EQ(a.x, b.x) << i;
    ASSERT_EQ(a.y, b.y) << i;
    ASSERT_EQ(a.b, b.b) << i;
    ASSERT_DOUBLE_EQ(a.x[2], static_cast<double>(i) + 2.25) << i;
  }
}

TEST(CDxf, LineEndsFoundAtEveryPositionOfALine) {
  // Lines of every length up to a few machine words, so a line end falls at each
  // byte position of the words the reader scans at a time.
  for (const std::string end : {"\n", "\r", "\r\n"}) {
    std::vector<std::pair<int, std::string>> groups = {{0, "SECTION"}, {2, "ENTITIES"}};
    for (std::size_t n = 0; n < 20; ++n) {
      groups.push_back({0, "LINE"});
      groups.push_back({8, std::string(n, 'L') + "\t" + std::string(n, 'x')});
    }
    groups.push_back({0, "ENDSEC"});
    CDxf dxf;
    dxf.LoadText(Groups(groups, end));
    ASSERT_EQ(dxf.GetLineCount(), 20u);
    EXPECT_EQ(dxf.GetProblem(), "");
    for (std::size_t n = 0; n < 20; ++n) {
      EXPECT_EQ(dxf.Lines()[n].m_Layer, std::string(n, 'L') + "\t" + std::string(n, 'x')) << n;
    }
  }
}

TEST(CDxf, LineEndAtTheEdgeOfAReadPiece) {
  // The CR of a line end is the last byte of the first piece read from the file:
  // whether an LF follows is only known after the next piece.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  for (const std::string end : {"\r\n", "\r", "\n"}) {
    SCOPED_TRACE(end == "\r" ? "CR" : end == "\n" ? "LF" : "CR LF");
    std::string text = Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "TEXT"}}, end) + "1" + end;
    text += std::string(kPiece - 1 - text.size(), 'x');
    text += end + Groups({{0, "CIRCLE"}, {10, "7"}, {0, "ENDSEC"}}, end);
    ASSERT_EQ(text[kPiece - 1], end[0]);
    CDxf dxf;
    ASSERT_TRUE(LoadAsFile(dxf, text, "kelvora_dxf_edge_test.dxf"));
    EXPECT_EQ(dxf.GetProblem(), "");
    ASSERT_EQ(dxf.GetCircleCount(), 1u);
    EXPECT_DOUBLE_EQ(dxf.Circles()[0].cx, 7);
  }
}

TEST(CDxf, FileThatCannotBeOpened) {
  CDxf dxf;
  ASSERT_TRUE(dxf.LoadFile(Fixture("square.dxf")));
  EXPECT_FALSE(dxf.LoadFile(Fixture("no_such_file.dxf")));
  EXPECT_FALSE(dxf.LoadFile(Fixture("")));  // a folder
  // A stream without line ends is refused, not read into memory without end.
  if (std::filesystem::exists("/dev/zero")) {
    EXPECT_FALSE(dxf.LoadFile("/dev/zero"));
  }
  // The reader keeps what it had.
  EXPECT_EQ(dxf.GetLwPolyLineCount(), 1u);
}

TEST(DxfWraper, InitObjectsCarriesGeometryAndClosedFlag) {
  DxfWraper dxf;
  ASSERT_TRUE(dxf.LoadFile(Fixture("r2000_contours.dxf")));
  dxf.InitObjects();
  ASSERT_EQ(dxf.lstPolyLines.size(), 5u);
  ASSERT_EQ(dxf.lstLines.size(), 1u);
  EXPECT_TRUE(dxf.lstCircles.empty());
  EXPECT_TRUE(dxf.lstArcs.empty());
  const CPolyLine& open = *dxf.lstPolyLines[0];
  EXPECT_EQ(open.otype, otPolyLine);
  EXPECT_FALSE(open.IsClosed());
  EXPECT_EQ(open.m_VertexCount, 4u);
  EXPECT_DOUBLE_EQ(open.b[2], -1);
  EXPECT_TRUE(dxf.lstPolyLines[1]->HasClosingSegment());
  EXPECT_TRUE(dxf.lstPolyLines[2]->IsClosed());
  EXPECT_FALSE(dxf.lstPolyLines[2]->HasClosingSegment());  // repeats its first vertex
  EXPECT_EQ(dxf.lstLines[0]->m_Layer, "0");                // layers are not carried over
  EXPECT_EQ(dxf.lstLines[0]->P2, UnitPoint(10, -10));
}

TEST(DxfWraper, InitObjectsBuildsTheKindsAskedFor) {
  struct Case {
    unsigned kinds;
    std::size_t lines, polylines, circles;
  };
  DxfWraper dxf;
  ASSERT_TRUE(dxf.LoadFile(Fixture("r2007_edge_cases.dxf")));
  dxf.InitObjects();
  const std::size_t lines = dxf.lstLines.size();
  const std::size_t polylines = dxf.lstPolyLines.size();
  const std::size_t circles = dxf.lstCircles.size();
  ASSERT_GT(polylines * circles, 0u) << "the drawing has polylines and circles";
  const Case cases[] = {
      {kDxfLines, lines, 0, 0},
      {kDxfPolyLines, 0, polylines, 0},
      {kDxfCircles, 0, 0, circles},
      {kDxfPolyLines | kDxfCircles, 0, polylines, circles},
      {kAllDxfObjects, lines, polylines, circles},
  };
  for (const Case& c : cases) {
    dxf.InitObjects(c.kinds);
    EXPECT_EQ(dxf.lstLines.size(), c.lines) << c.kinds;
    EXPECT_EQ(dxf.lstPolyLines.size(), c.polylines) << c.kinds;
    EXPECT_EQ(dxf.lstCircles.size(), c.circles) << c.kinds;
  }
}

TEST(DxfObjGen, PolylinesOnlyAndFreshEachTime) {
  auto first = DxfObjGen(Fixture("r2007_edge_cases.dxf"));
  auto second = DxfObjGen(Fixture("r2007_edge_cases.dxf"));
  ASSERT_TRUE(first.ok());
  ASSERT_TRUE(second.ok());
  ASSERT_EQ(first->size(), 4u);
  ASSERT_EQ(second->size(), 4u);
  EXPECT_NE((*first)[0].get(), (*second)[0].get());
  for (const auto& obj : *first) EXPECT_EQ(obj->otype, otPolyLine);

  auto lines = DxfObjGen(Fixture("r12_entities.dxf"));
  ASSERT_TRUE(lines.ok());
  EXPECT_TRUE(lines->empty());

  auto missing = DxfObjGen(Fixture("no_such_file.dxf"));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.failure().message, "Load file failed!");
}

}  // namespace
}  // namespace kelvora::geometry
