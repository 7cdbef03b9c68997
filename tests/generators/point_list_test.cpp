// The point list: point files, the pattern, drilling and pocketing programs.
#include "generators/point_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "text/files.h"

namespace kelvora::generators {
namespace {

using Rows = std::vector<PointRow>;

TextLookup Texts(std::map<std::string, std::string, std::less<>> values) {
  return [values = std::move(values)](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
}

// The worked pocket: R1 2, R2 5, step-over 1, tool 4, depth 1, step 1, feeds 50 and
// 100, retract 3, safe 10, spindle off.
std::map<std::string, std::string, std::less<>> PocketExample() {
  return {{"AnyPocket", "True"},   {"AnyRo", "2"},      {"AnyHoleSize", "5"}, {"AnyStepOvr", "1"},
          {"Anyd", "4"},           {"AnyDepth", "1"},   {"AnyStepdown", "1"}, {"AnyFeedrate", "50"},
          {"AnyFeedrate2", "100"}, {"AnyRetract", "3"}, {"AnyZsafe", "10"},   {"AnySpinSpeed", "0"},
          {"AnyEnSpin", "False"}};
}

std::vector<std::string> Lines(const std::string& program) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < program.size()) {
    const std::size_t end = program.find("\r\n", start);
    out.push_back(program.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

TEST(PointFile, ReadingKeepsFieldsAndReportsWhatItDoesNotRead) {
  struct Case {
    const char* what;
    std::string content;
    Rows rows;
    std::optional<std::string> lost;
  };
  const std::vector<Case> cases = {
      {"header skipped whatever it holds",
       "anything\r\nA,1,2\r\nB, 3 ,4\r\n",
       {{"A", "1", "2"}, {"B", " 3 ", "4"}},
       std::nullopt},
      {"LF only, no final line end", "Name,X,Y\nA,1,2", {{"A", "1", "2"}}, std::nullopt},
      {"four fields skipped",
       "Name,X,Y\r\nA,1,2,3\r\nB,1,2\r\nC,1\r\n",
       {{"B", "1", "2"}},
       "Lines skipped: 2, 4"},
      {"second line empty",
       "Name,X,Y\r\n\r\nA,1,2\r\n",
       {},
       "Lines ignored after the empty line 2: 3"},
      {"empty lines at the end lose nothing",
       "Name,X,Y\r\nA,1,2\r\n\r\n\r\n",
       {{"A", "1", "2"}},
       std::nullopt},
      {"quoted name with comma and quote",
       "Name,X,Y\r\n\"Hole, \"\"big\"\"\",1,2\r\n",
       {{"Hole, \"big\"", "1", "2"}},
       std::nullopt},
      {"unterminated quote", "Name,X,Y\r\n\"A,1,2\r\nB,,\r\n", {{"B", "", ""}}, "Lines skipped: 2"},
      {"empty file", "", {}, std::nullopt},
      {"CR-only line ends",
       "Name,X,Y\rA,1,2\rB,3,4\r",
       {{"A", "1", "2"}, {"B", "3", "4"}},
       std::nullopt},
      {"mixed line ends",
       "Name,X,Y\rA,1,2\nB,3,4\r\nC,5,6",
       {{"A", "1", "2"}, {"B", "3", "4"}, {"C", "5", "6"}},
       std::nullopt},
      {"CR-only empty line ends the reading",
       "Name,X,Y\rA,1,2\r\rB,3,4\r",
       {{"A", "1", "2"}},
       "Lines ignored after the empty line 3: 4"},
      {"a quoted name across a line end, later lines keep their numbers",
       "Name,X,Y\r\n\"Hole\r\nA\",1,2\r\nB,3\r\n",
       {{"Hole\r\nA", "1", "2"}},
       "Lines skipped: 4"},
      {"blank line is not empty",
       "Name,X,Y\r\n \r\nA,1,2\r\n",
       {{"A", "1", "2"}},
       "Lines skipped: 2"},
      {"skipped and ignored",
       "h\r\nx\r\n\r\nA,1,2\r\n\r\nB\r\n",
       {},
       "Lines skipped: 2\nLines ignored after the empty line 3: 4 to 6"},
  };
  for (const Case& c : cases) {
    const PointFile f = ParsePointFile(c.content);
    EXPECT_EQ(f.rows, c.rows) << c.what;
    std::optional<std::string> lost;
    for (const std::string& m : f.report.Messages()) lost = lost ? *lost + "\n" + m : m;
    EXPECT_EQ(lost, c.lost) << c.what;
  }
}

TEST(PointFile, WritingRoundTripsAndPlainFilesAreByteForByte) {
  const Rows plain = {{"A", "1.5", "-2"}, {"", "", ""}};
  EXPECT_EQ(PointFileText(plain), "Name,X,Y\r\nA,1.5,-2\r\n,,\r\n");
  EXPECT_EQ(PointFileText({}), "Name,X,Y\r\n");

  const Rows odd = {{"Hole, big", "1", "2"},
                    {"say \"hi\"", "3", "4"},
                    {"\"", ",", "5"},
                    {"Hole\nA", "6", "7"},
                    {"B\r", "8", "9"}};
  const std::string text = PointFileText(odd);
  EXPECT_EQ(Lines(text)[1], "\"Hole, big\",1,2");
  const PointFile back = ParsePointFile(text);
  EXPECT_EQ(back.rows, odd);
  EXPECT_TRUE(back.report.clean());

  const auto dir = std::filesystem::temp_directory_path() / "kelvora_point_file_test";
  std::filesystem::create_directories(dir);
  const std::string path = text::PathToUtf8(dir / "points.csv");
  ASSERT_TRUE(SavePointFile(path, odd));
  const auto loaded = LoadCsv(path);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded->rows, odd);

  EXPECT_EQ(LoadCsv("   ").failure().message, "Please select csv file");
  EXPECT_EQ(LoadCsv(text::PathToUtf8(dir / "missing.csv")).failure().message, "No file!");
  std::filesystem::remove_all(dir);
}

TEST(PointFile, KindByExtensionIgnoresLetterCase) {
  struct Case {
    const char* path;
    std::optional<PointFileKind> kind;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"C:\\jobs\\pts.csv", PointFileKind::kCsv, ""},  {"pts.CSV", PointFileKind::kCsv, ""},
      {"/home/x/PART.DXF", PointFileKind::kDxf, ""},   {"notes.txt", std::nullopt, "File: *..txt"},
      {"dxf.folder/points", std::nullopt, "File: *."}, {"plain", std::nullopt, "File: *."},
  };
  for (const Case& c : cases) {
    const auto kind = PointFileKindOf(c.path);
    if (c.kind) {
      ASSERT_TRUE(kind.ok()) << c.path;
      EXPECT_EQ(*kind, *c.kind) << c.path;
    } else {
      ASSERT_FALSE(kind.ok()) << c.path;
      EXPECT_EQ(kind.failure().message, c.message) << c.path;
    }
  }
}

TEST(PointFile, OpeningByKindReadsDrawingsAndLists) {
  const std::string data = KELVORA_TEST_DATA;
  const auto drawing = ReadPointFile(data + "/geometry/dxf/r12_entities.dxf");
  ASSERT_TRUE(drawing.ok());
  EXPECT_EQ(drawing->rows, (Rows{{"", "10.123", "-4"}, {"", "20", "20"}, {"", "-7.001", "30.25"}}));
  const auto list = ReadPointFile(data + "/generators/points/drill.csv");
  ASSERT_TRUE(list.ok());
  EXPECT_EQ(list->rows.size(), 3u);
  EXPECT_EQ(list->rows[0].name, "Hole, left");
  EXPECT_EQ(ReadPointFile(data + "/generators/points/none.txt").failure().message, "File: *..txt");
  EXPECT_EQ(ReadPointFile(data + "/generators/points/none.dxf").failure().message,
            "Load file failed!");
}

TEST(PointList, CellsThatDoNotConvertAreNamedByRowAndColumn) {
  struct Case {
    Rows rows;
    std::string anyd;
    std::string message;
    std::string detail;
  };
  const std::vector<Case> cases = {
      {{{"", "1", "2"}, {"", "x", "2"}}, "4", "Data Line:2 wrong", "column X"},
      {{{"", "1", ""}}, "4", "Data Line:1 wrong", "column Y"},
      {{{"", "1", "2"}}, "d", "Parameters error", "Anyd"},
  };
  for (const Case& c : cases) {
    const auto list = AnyListGen(c.rows, Texts({{"Anyd", c.anyd}}));
    ASSERT_FALSE(list.ok()) << c.detail;
    EXPECT_EQ(list.failure().message, c.message);
    EXPECT_EQ(list.failure().detail, c.detail);
  }
  const auto list = AnyListGen({{"a", "1.5", "-2"}}, Texts({{"Anyd", "3"}}));
  ASSERT_TRUE(list.ok());
  const auto& hole = static_cast<const geometry::CDrill&>(*list->at(0));
  EXPECT_EQ(hole.center, geometry::UnitPoint(1.5, -2));
  EXPECT_DOUBLE_EQ(hole.radius, 1.5);
}

TEST(PointList, DrillingEndsWithTheEndScript) {
  auto texts = Texts({{"Anyd", "4"},
                      {"AnyDepth", "2"},
                      {"AnyStepdown", "2"},
                      {"AnyFeedrate", "100"},
                      {"AnyRetract", "3"},
                      {"AnyZsafe", "10"},
                      {"AnyEnSpin", "True"},
                      {"AnySpinSpeed", "800"},
                      {"AnyEndScript", "M30\r\n"}});
  const auto program = PointsJob({{"", "1", "2"}}, texts);
  ASSERT_TRUE(program.ok());
  EXPECT_EQ(program->text,
            "G90\r\nM3S800.0\r\nG0Z10.000\r\nG0X1.000Y2.000\r\nG0Z3.000\r\nG1Z-2.000F100.000\r\n"
            "G0Z10.000\r\nM30\r\n\r\n");
  EXPECT_TRUE(program->reports.empty());
}

TEST(Pocket, RingCountPassesAndToolCheck) {
  struct Case {
    const char* what;
    double R1, R2, W;
    double rings;
  };
  const std::vector<Case> rings = {
      {"worked example", 2, 5, 1, 3},  {"difference below 1 still gets rings", 2, 2.9, 0.3, 3},
      {"3.9 by 0.3", 1, 4.9, 0.3, 13}, {"step-over larger than the difference", 1, 2, 3, 0},
      {"step-over 0", 1, 2, 0, 0},     {"negative step-over", 1, 2, -1, 0},
      {"R2 below R1", 3, 2, 0.5, 0},
  };
  for (const Case& c : rings) EXPECT_EQ(PocketRingCount(c.R1, c.R2, c.W), c.rings) << c.what;

  struct Passes {
    double depth, pass;
    std::vector<double> depths;
  };
  const std::vector<Passes> passes = {
      {1, 1, {1}},
      {1, 2, {1}},
      {2.5, 1, {1, 2, 2.5}},
      {2.04, 1, {1, 2, 2.04}},
      {2.05, 1, {1, 2, 2.05}},
      {3.0004, 1, {1, 2, 3}},
      {1, 0, {1}},
      {1, -0.5, {1}},
      {0.6, 0.2, {0.2, 0.4, 0.6}},
  };
  for (const Passes& p : passes) {
    const auto got = PocketPassDepths(p.depth, p.pass);
    ASSERT_EQ(got.size(), p.depths.size()) << p.depth << "/" << p.pass;
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], p.depths[k], 1e-12);
  }

  EXPECT_EQ(CheckToolAgainstR1(1, 3).message, "Tool diameter>R1");
  EXPECT_DOUBLE_EQ(CheckToolAgainstR1(1, 3).R1, 1.5);
  EXPECT_EQ(CheckToolAgainstR1(1, 2).message, std::nullopt);
  EXPECT_EQ(CheckToolAgainstR1(0, 3).message, std::nullopt);

  const R1Correction low = CorrectR1(1, 4.51);
  EXPECT_DOUBLE_EQ(low.R1, 2.255);
  EXPECT_EQ(low.boxText, "2.26");
  EXPECT_EQ(low.message, "R1 = tool R?");
  EXPECT_EQ(CorrectR1(2, 4).message, std::nullopt);

  const auto preview =
      PocketPreviewR1(Texts({{"Anyd", "5"}, {"AnyRo", "1"}, {"AnyHoleSize", "6"}}));
  ASSERT_TRUE(preview.ok());
  EXPECT_DOUBLE_EQ(preview->r1.R1, 2.5);
  EXPECT_EQ(preview->r1.boxText, "2.5");
  EXPECT_EQ(preview->r1.message, "R1 = tool R?");
  EXPECT_DOUBLE_EQ(preview->R2, 6);
  EXPECT_EQ(PocketPreviewR1(Texts({{"Anyd", "5"}, {"AnyRo", "a"}})).failure().detail, "AnyRo");
}

TEST(Pocket, ProgramsLineByLine) {
  {
    // The ring-count fix: R2 - R1 = 0.9, step-over 0.3 gives three regular rings;
    // the outer ring falls on the third (remainder 0) and is not repeated.
    auto values = PocketExample();
    values["AnyRo"] = "2";
    values["AnyHoleSize"] = "2.9";
    values["AnyStepOvr"] = "0.3";
    const auto program = PointsJob({{"", "10", "0"}}, Texts(values));
    ASSERT_TRUE(program.ok());
    const auto lines = Lines(program->text);
    const std::vector<std::string> rings(lines.begin() + 6, lines.end() - 4);
    EXPECT_EQ(rings,
              (std::vector<std::string>{"G1X10.300Y0.000F100.0", "G3X10.300Y0.000I-0.300F100.0",
                                        "G1X10.600Y0.000F100.0", "G3X10.600Y0.000I-0.600F100.0",
                                        "G1X10.900Y0.000F100.0", "G3X10.900Y0.000I-0.900F100.0"}));
  }
  {
    // Pass depth 0: one pass at full depth; spindle on; the tool check report.
    auto values = PocketExample();
    values["AnyStepdown"] = "0";
    values["AnyDepth"] = "2";
    values["AnyRo"] = "0.5";
    values["AnyHoleSize"] = "3";
    values["AnyEnSpin"] = "True";
    values["AnySpinSpeed"] = "800";
    const auto program = PointsJob({{"", "0", "0"}}, Texts(values));
    ASSERT_TRUE(program.ok());
    EXPECT_EQ(program->reports, (std::vector<std::string>{"Tool diameter>R1"}));
    const auto lines = Lines(program->text);
    EXPECT_EQ(lines[1], "M3S800.0");
    // R1 becomes t / 2 = 1; first ring at 1 + 1 - 2 = 0, rings to 3 - 2 = 1.
    EXPECT_EQ(lines[5], "G0X0.000Y0.000");
    EXPECT_EQ(lines[6], "G1Z-2.000F50.000");
    int plunges = 0;
    for (const auto& l : lines) plunges += l.rfind("G1Z", 0) == 0;
    EXPECT_EQ(plunges, 1);
  }
  {
    auto values = PocketExample();
    values["AnyHoleSize"] = "R";
    const auto program = PointsJob({{"", "0", "0"}}, Texts(values));
    ASSERT_FALSE(program.ok());
    EXPECT_EQ(program.failure().message, "Parameters error");
    EXPECT_EQ(program.failure().detail, "AnyHoleSize");
  }
  {
    auto values = PocketExample();
    values["AnyStepOvr"] = "1e-9";
    const auto program = PointsJob({{"", "0", "0"}}, Texts(values));
    ASSERT_FALSE(program.ok());
    EXPECT_EQ(program.failure().message.rfind("Too many pocket rings", 0), 0u);
  }
}

}  // namespace
}  // namespace kelvora::generators
