#include "generators/cut_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::generators {
namespace {

using geometry::CPolyLine;
using geometry::DrawList;
using geometry::otPolyLine;

struct CutEnds {
  double x0, y0, x1, y1;
  bool operator==(const CutEnds&) const = default;
};

std::vector<CutEnds> Ends(const DrawList& cuts) {
  std::vector<CutEnds> out;
  for (const auto& obj : cuts) {
    EXPECT_EQ(obj->otype, otPolyLine);
    const auto& p = static_cast<const CPolyLine&>(*obj);
    EXPECT_EQ(p.m_VertexCount, 2u);
    EXPECT_EQ(p.b, (std::vector<double>{0, 0}));
    EXPECT_EQ(p.m_Layer, "0");
    out.push_back({p.x[0], p.y[0], p.x[1], p.y[1]});
  }
  return out;
}

TEST(CutCsvRead, Cases) {
  struct Case {
    const char* name;
    std::string content;
    std::vector<CutRow> rows;
    std::optional<std::string> start, end;
    std::vector<int> skipped;
    int ignoredFirst = 0, ignoredLast = 0;
  };
  const std::vector<Case> cases = {
      {"header only", "Name,Y,X1,X2\r\n", {}, std::nullopt, std::nullopt, {}},
      {"no content at all", "", {}, std::nullopt, std::nullopt, {}},
      {"rows, last line decides start and end",
       "Name,Y,X1,X2\r\na,10,0,100\r\nb,20,5,95\r\n",
       {{"a", "10"}, {"b", "20"}},
       "5",
       "95",
       {}},
      {"header is not checked by the reader", "whatever\na,1,2,3", {{"a", "1"}}, "2", "3", {}},
      {"empty third line ends the reading, later lines reported",
       "Name,Y,X1,X2\r\na,10,0,100\r\n\r\nb,20,0,100\r\nc,30,0,100\r\n",
       {{"a", "10"}},
       "0",
       "100",
       {},
       4,
       5},
      {"trailing empty lines lose nothing",
       "Name,Y,X1,X2\r\na,10,0,100\r\n\r\n\r\n",
       {{"a", "10"}},
       "0",
       "100",
       {}},
      {"wrong field counts are skipped and do not set start or end",
       "Name,Y,X1,X2\na,1,0,10\nb,2,0\nc,3,0,10,7\nd,4,1,11\n",
       {{"a", "1"}, {"d", "4"}},
       "1",
       "11",
       {3, 4}},
      {"a skipped last line leaves the previous start and end",
       "Name,Y,X1,X2\na,1,0,10\nb,2,9\n",
       {{"a", "1"}},
       "0",
       "10",
       {3}},
      {"fields taken as they stand, without trimming",
       "Name,Y,X1,X2\n a , 7 , 0,x\n",
       {{" a ", " 7 "}},
       " 0",
       "x",
       {}},
      {"quoted name with comma and quote",
       "Name,Y,X1,X2\n\"a,\"\"b\"\"\",5,0,10\n",
       {{"a,\"b\"", "5"}},
       "0",
       "10",
       {}},
      {"unterminated quote is skipped",
       "Name,Y,X1,X2\n\"a,5,0,10\nb,6,0,10\n",
       {{"b", "6"}},
       "0",
       "10",
       {2}},
      {"CR-only line ends",
       "Name,Y,X1,X2\ra,1,0,10\rb,2,0,10\r",
       {{"a", "1"}, {"b", "2"}},
       "0",
       "10",
       {}},
      {"a quoted name across line ends",
       "Name,Y,X1,X2\n\"top\nedge\",1,0,10\nb,2,0\n",
       {{"top\nedge", "1"}},
       "0",
       "10",
       {4}},
      {"byte-order mark and a last line without line end",
       "\xEF\xBB\xBFName,Y,X1,X2\r\na,1,0,10",
       {{"a", "1"}},
       "0",
       "10",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CutCsvContent r = ReadCutCsv(c.content);
    EXPECT_EQ(r.rows, c.rows);
    EXPECT_EQ(r.start, c.start);
    EXPECT_EQ(r.end, c.end);
    EXPECT_EQ(r.report.skipped, c.skipped);
    EXPECT_EQ(r.report.ignoredFirst, c.ignoredFirst);
    EXPECT_EQ(r.report.ignoredLast, c.ignoredLast);
    EXPECT_EQ(r.report.clean(), c.skipped.empty() && c.ignoredFirst == 0);
  }
}

TEST(CutCsvRead, ReportNamesTheLines) {
  const CutCsvContent r =
      ReadCutCsv("Name,Y,X1,X2\na,1\nb,2,0,1\nc\n\nd,1,0,1\ne,2,0,1\n\nf,3,0,1\n");
  EXPECT_EQ(r.report.Messages(),
            (std::vector<std::string>{"Lines skipped: 2, 4",
                                      "Lines ignored after the empty line 5: 6 to 9"}));
  const Failure f = r.report.AsFailure("list.csv");
  EXPECT_NE(f.message.find("list.csv"), std::string::npos);
  EXPECT_EQ(f.detail, "Lines skipped: 2, 4\nLines ignored after the empty line 5: 6 to 9");
}

TEST(CutCsvWrite, HeadersAndRoundTrip) {
  const std::vector<CutRow> rows = {{"top", "10"}, {"", "20.50"}, {"a,b \"c\"", "-3"}};
  struct Case {
    CutListKind kind;
    std::string header;
  };
  for (const Case& c : {Case{CutListKind::kHorizontal, "Name,Y,X1,X2"},
                        Case{CutListKind::kVertical, "Name,X,Y1,Y2"},
                        Case{CutListKind::kGenerated, "KichThuoc,SoLuong,X1,X2"}}) {
    SCOPED_TRACE(c.header);
    const std::string file = WriteCutCsv(c.kind, rows, "0", "100.0");
    EXPECT_EQ(file, c.header +
                        "\r\ntop,10,0,100.0\r\n,20.50,0,100.0\r\n\"a,b \"\"c\"\"\",-3,0,100.0\r\n");
    EXPECT_EQ(CutListKindFromHeader(file.substr(0, file.find('\n'))), c.kind);
    const CutCsvContent back = ReadCutCsv(file);
    EXPECT_EQ(back.rows, rows);
    EXPECT_EQ(back.start, "0");
    EXPECT_EQ(back.end, "100.0");
    EXPECT_TRUE(back.report.clean());
  }
  EXPECT_EQ(WriteCutCsv(CutListKind::kHorizontal, {}, "0", "1"), "Name,Y,X1,X2\r\n");
  EXPECT_FALSE(CutListKindFromHeader("Name,Y,X1"));
  EXPECT_FALSE(CutListKindFromHeader("name,y,x1,x2"));
}

TEST(CutCsvWrite, DxfSubTabRefusesToSave) {
  const std::vector<CutRow> rows = {{"a", "1"}};
  const auto dxf = CutCsvForSave(CutSubTab::kDxf, rows, "0", "1");
  ASSERT_FALSE(dxf.ok());
  EXPECT_EQ(dxf.failure().message, kNoCutListToSave);
  const auto gen = CutCsvForSave(CutSubTab::kGen, rows, "0", "1");
  ASSERT_TRUE(gen.ok());
  EXPECT_EQ(*gen, "KichThuoc,SoLuong,X1,X2\r\na,1,0,1\r\n");
  const auto vertical = CutCsvForSave(CutSubTab::kVertical, rows, "0", "1");
  ASSERT_TRUE(vertical.ok());
  EXPECT_EQ(vertical->substr(0, 12), "Name,X,Y1,Y2");
}

TEST(CutObjects, StraightCutsWithAndWithoutZigZac) {
  const std::vector<CutRow> rows = {{"a", "10"}, {"b", "20"}, {"c", "30"}};
  struct Case {
    const char* name;
    bool vertical;
    bool zigZag;
    std::vector<CutEnds> ends;
  };
  const std::vector<Case> cases = {
      {"horizontal", false, false, {{0, 10, 100, 10}, {0, 20, 100, 20}, {0, 30, 100, 30}}},
      {"horizontal zigzac: row 2 runs back",
       false,
       true,
       {{0, 10, 100, 10}, {100, 20, 0, 20}, {0, 30, 100, 30}}},
      {"vertical", true, false, {{10, 0, 10, 100}, {20, 0, 20, 100}, {30, 0, 30, 100}}},
      {"vertical zigzac", true, true, {{10, 0, 10, 100}, {20, 100, 20, 0}, {30, 0, 30, 100}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CutListInputs in;  // the list's default span, 0 to 100
    in.zigZag = c.zigZag;
    const auto cuts = c.vertical ? InitObjectCutVer(rows, in) : InitObjectCutHorizone(rows, in);
    ASSERT_TRUE(cuts.ok());
    EXPECT_EQ(Ends(*cuts), c.ends);
  }
}

TEST(CutObjects, GeneratedCuts) {
  struct Case {
    const char* name;
    std::vector<CutRow> rows;
    std::string dia;
    bool zigZag;
    std::vector<CutEnds> ends;
  };
  const std::vector<Case> cases = {
      {"sizes 100 x2 and 50 x1, tool 4: 0, 104, 208, 262",
       {{"100", "2"}, {"50", "1"}},
       "4",
       false,
       {{0, 0, 500, 0}, {0, 104, 500, 104}, {0, 208, 500, 208}, {0, 262, 500, 262}}},
      {"zigzac alternates across rows",
       {{"100", "2"}, {"50", "1"}},
       "4",
       true,
       {{0, 0, 500, 0}, {500, 104, 0, 104}, {0, 208, 500, 208}, {500, 262, 0, 262}}},
      {"first row quantity 0 still cuts the edge", {{"10", "0"}}, "2", false, {{0, 0, 500, 0}}},
      {"zero quantity of a later row cuts nothing",
       {{"10", "1"}, {"20", "0"}, {"5", "1"}},
       "1",
       false,
       {{0, 0, 500, 0}, {0, 11, 500, 11}, {0, 17, 500, 17}}},
      {"no rows", {}, "4", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CutListInputs in;
    in.start = "0";
    in.end = "500";
    in.toolDia = c.dia;
    in.zigZag = c.zigZag;
    const auto cuts = InitObjectCutHorizoneGen(c.rows, in);
    ASSERT_TRUE(cuts.ok());
    EXPECT_EQ(Ends(*cuts), c.ends);
  }
}

TEST(CutObjects, Refusals) {
  struct Case {
    const char* name;
    CutListKind kind;
    std::vector<CutRow> rows;
    CutListInputs in;
    std::string message;
    std::string detail;
  };
  CutListInputs badStart;
  badStart.start = "";
  CutListInputs badEnd;
  badEnd.end = "1.2.3";
  CutListInputs badDia;
  badDia.toolDia = "x";
  const std::vector<Case> cases = {
      {"empty position names its row",
       CutListKind::kHorizontal,
       {{"a", "1"}, {"b", ""}, {"c", ""}},
       {},
       "Data Line:2 wrong",
       ""},
      {"text position", CutListKind::kVertical, {{"a", "abc"}}, {}, "Data Line:1 wrong", ""},
      {"fractional quantity",
       CutListKind::kGenerated,
       {{"10", "1"}, {"10", "1.5"}},
       {},
       "Data Line:2 wrong",
       ""},
      {"empty size", CutListKind::kGenerated, {{"", "1"}}, {}, "Data Line:1 wrong", ""},
      {"start box", CutListKind::kHorizontal, {{"a", "1"}}, badStart, "Parameters error", "CutX1"},
      {"end box", CutListKind::kVertical, {{"a", "1"}}, badEnd, "Parameters error", "CutY2"},
      {"tool diameter",
       CutListKind::kGenerated,
       {{"1", "1"}},
       badDia,
       "Parameters error",
       "CutToolDia"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto cuts = InitObjectCut(c.kind, c.rows, c.in);
    ASSERT_FALSE(cuts.ok());
    EXPECT_EQ(cuts.failure().message, c.message);
    EXPECT_EQ(cuts.failure().detail, c.detail);
  }
}

TEST(CutObjects, HugeQuantityIsRefusedBeforeBuilding) {
  const std::vector<CutRow> rows = {{"1", "2000000000"}, {"1", "2000000000"}};
  const auto cuts = InitObjectCutHorizoneGen(rows, {});
  ASSERT_FALSE(cuts.ok());
  EXPECT_NE(cuts.failure().message.find("Too many cuts"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::generators

namespace kelvora::generators {
namespace {

TEST(CutCsvFile, ExtensionRule) {
  struct Case {
    std::string path;
    std::optional<std::string> refusal;
  };
  const std::vector<Case> cases = {
      {"C:\\cuts\\list.csv", std::nullopt},
      {"/home/op/DATA.CSV", std::nullopt},
      {"list.csvx", std::nullopt},
      {"a.txt", "File: *..txtNot supported"},
      {"/dir.csv/noext", "File: *.Not supported"},
      {"C:\\x.csv\\list.dxf", "File: *..dxfNot supported"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CutFileRefusal(c.path), c.refusal);
  }
}

TEST(CutCsvFile, PathRules) {
  const std::string data = KELVORA_TEST_DATA;
  struct Case {
    std::string path;
    bool ok;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", false, "Please select csv file"},
      {"  \t", false, "Please select csv file"},
      {data + "/generators/lists/no_such_file.csv", false, "Cannot read the file"},
      {data + "/generators/lists", false, "Cannot read the file"},
      {"  " + data + "/generators/lists/generated.csv ", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto r = LoadCsvCutFile(c.path);
    ASSERT_EQ(r.ok(), c.ok);
    if (!c.ok) {
      EXPECT_EQ(r.failure().message, c.message);
    } else {
      EXPECT_EQ(r->rows, (std::vector<CutRow>{{"100", "2"}, {"50", "1"}}));
      EXPECT_EQ(r->end, "500");
    }
  }
}

}  // namespace
}  // namespace kelvora::generators
