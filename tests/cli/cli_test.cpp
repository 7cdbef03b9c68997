#include "cli.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_run.h"
#include "text/csv.h"
#include "text/files.h"

namespace kelvora::cli {
namespace {

using testing::CliRun;
using testing::RunArgs;

TEST(Cli, UsageErrorsExitWithTwoAndWriteNoProgram) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"nosuchjob"},
      {"circle", "NoSuchKey=1"},
      {"circle", "GridXc=1"},  // a key of another job
      {"circle", "CirXc"},     // not KEY=VALUE
      {"circle", "CirEnSpin=true"},
      {"circle", "--nosuchoption"},
      {"circle", "--dxf", "x.dxf"},  // a file option the job does not take
      {"circle", "--size", "0x10", "--preview", "p.svg"},
      {"circle", "--size", "abc"},
      {"circle", "--size", "30x397", "--preview", "p.svg"},  // no room inside the margins
  };
  for (const auto& args : cases) {
    const CliRun r = RunArgs(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.status, kExitUsage) << joined;
    EXPECT_EQ(r.out.find("G90"), std::string::npos) << joined;
    EXPECT_FALSE(r.err.empty() && r.out.empty()) << joined;
  }
}

TEST(Cli, RefusalNamesTheKeyAndWritesNothing) {
  const CliRun r = RunArgs({"circle", "CirDepth=abc"});
  EXPECT_EQ(r.status, kExitRefused);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Parameters error\nCirDepth\n");
}

TEST(Cli, LastRepetitionCountsAndMultiLineValuesAreVerbatim) {
  const CliRun r = RunArgs({"circle", "Cirn=5", "Cirn=1", "CirEnSpin=False", "CirStep=9",
                            "CirEnSpecialOp=True", "CirSpOpStr=M7\r\nM8"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "G90\r\nG0Z3\r\nG0X5Y0\r\nG0Z1\r\nG1Z-5F100\r\nM7\r\nM8\r\nG0Z3\r\nM5\r\nM30\r\n\r\n");
}

TEST(Cli, MultiLineSpecialOperationMatchesItsGoldenProgram) {
  // A block ending in a line feed goes in verbatim after each single plunge.
  const CliRun r = RunArgs({"circle", "Cirn=2", "CirDepth=3", "CirStep=3", "CirEnSpecialOp=True",
                            "CirSpOpStr=M7\nG4P1\n"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const auto golden = text::ReadFileBytes(
      text::PathFromUtf8(std::string(KELVORA_TEST_DATA) + "/generators/golden/circle_sp_op.nc"));
  ASSERT_TRUE(golden.has_value());
  EXPECT_EQ(r.out, *golden);
}

// The version is the project version set in CMake, given to this test apart from
// the header that the program reads.
TEST(Cli, VersionIsTheProjectVersionAndListedInTheHelp) {
  const CliRun r = RunArgs({"--version"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "kelvora " KELVORA_PROJECT_VERSION "\n");
  EXPECT_EQ(r.err, "");
  const CliRun help = RunArgs({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("--version"), std::string::npos);
}

TEST(Cli, HelpListsKeysDefaultsAndLimits) {
  const CliRun r = RunArgs({"grid", "--help"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_NE(r.out.find("GridZigzac = \"0\""), std::string::npos);
  EXPECT_NE(r.out.find("Gridd = \"3\""), std::string::npos);
  EXPECT_NE(r.out.find("holes: 1000000"), std::string::npos);
}

TEST(Cli, OutputFileIsWholeOrUntouched) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvora_cli_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = text::PathToUtf8(dir / "out.tap");

  CliRun r = RunArgs({"surface", "-o", path});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "");
  const auto written = text::ReadFileBytes(text::PathFromUtf8(path));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->substr(0, 5), "G90\r\n");

  // A refused job leaves the earlier file as it was.
  r = RunArgs({"surface", "MsqrStep=0", "-o", path});
  EXPECT_EQ(r.status, kExitRefused);
  EXPECT_EQ(text::ReadFileBytes(text::PathFromUtf8(path)), written);

  r = RunArgs({"surface", "-o", text::PathToUtf8(dir / "missing" / "out.tap")});
  EXPECT_EQ(r.status, kExitRefused);
  std::filesystem::remove_all(dir);
}

std::string Data(const std::string& relative) {
  return std::string(KELVORA_TEST_DATA) + "/" + relative;
}

// The file's lines, each ended by `end`.
std::string WithLineEnds(const std::string& bytes, const std::string& end) {
  std::string out;
  for (const std::string& line : text::SplitLines(bytes)) out += line + end;
  return out;
}

// Every name a drawing is read by, padded with blanks as some writers do.
std::string PaddedNames(const std::string& bytes) {
  std::string out;
  for (const std::string& line : text::SplitLines(bytes)) {
    out += line;
    for (const char* name : {"SECTION", "ENTITIES", "ENDSEC", "EOF", "LWPOLYLINE", "CIRCLE"}) {
      if (line == name) out += "  ";
    }
    out += "\r\n";
  }
  return out;
}

TEST(Cli, FilesWrittenOtherwiseGiveTheSameProgram) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvora_cli_readers_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::vector<std::string> drill = {"Anyd=3", "AnyDepth=2", "AnyStepdown=2",
                                          "AnyFeedrate=120"};
  struct Case {
    const char* name;
    std::string job, option, fixture;
    std::vector<std::string> keys;
    std::string (*form)(const std::string&);
  };
  const Case cases[] = {
      {"point list, CR-only line ends", "points", "--points", "generators/points/drill.csv", drill,
       [](const std::string& b) { return WithLineEnds(b, "\r"); }},
      {"point list, LF line ends", "points", "--points", "generators/points/drill.csv", drill,
       [](const std::string& b) { return WithLineEnds(b, "\n"); }},
      {"drawing, CR-only line ends",
       "dxf",
       "--dxf",
       "geometry/dxf/r2000_contours.dxf",
       {"DxfDepth=1", "DxfStepdown=0.5"},
       [](const std::string& b) { return WithLineEnds(b, "\r"); }},
      {"drawing, byte-order mark",
       "dxf",
       "--dxf",
       "geometry/dxf/r2000_contours.dxf",
       {"DxfDepth=1", "DxfStepdown=0.5"},
       [](const std::string& b) { return "\xEF\xBB\xBF" + b; }},
      {"drawing, blank first line",
       "dxf",
       "--dxf",
       "geometry/dxf/r2000_contours.dxf",
       {"DxfDepth=1", "DxfStepdown=0.5"},
       [](const std::string& b) { return "\r\n" + b; }},
      {"drawing, padded names",
       "dxf",
       "--dxf",
       "geometry/dxf/r2000_contours.dxf",
       {"DxfDepth=1", "DxfStepdown=0.5"},
       PaddedNames},
      {"circles, CR-only line ends and byte-order mark", "points", "--dxf",
       "geometry/dxf/r12_entities.dxf", drill,
       [](const std::string& b) { return "\xEF\xBB\xBF" + WithLineEnds(b, "\r"); }},
      {"circles, padded names", "points", "--dxf", "geometry/dxf/r12_entities.dxf", drill,
       PaddedNames},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string original = Data(c.fixture);
    const auto bytes = text::ReadFileBytes(text::PathFromUtf8(original));
    ASSERT_TRUE(bytes.has_value());
    const std::string changed = text::PathToUtf8(dir / std::filesystem::path(c.fixture).filename());
    ASSERT_TRUE(text::WriteFileAtomic(text::PathFromUtf8(changed), c.form(*bytes)));
    std::vector<std::string> args = {c.job, c.option, original};
    args.insert(args.end(), c.keys.begin(), c.keys.end());
    const CliRun expected = RunArgs(args);
    args[2] = changed;
    const CliRun got = RunArgs(args);
    ASSERT_EQ(expected.status, kExitOk) << expected.err;
    EXPECT_EQ(got.status, kExitOk) << got.err;
    EXPECT_EQ(got.out, expected.out);
    EXPECT_EQ(got.err, "");
    EXPECT_NE(got.out.find("G1"), std::string::npos) << got.out;
  }
  std::filesystem::remove_all(dir);
}

TEST(Cli, ADrawingWithNothingToCutIsSaid) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      // The drawing's outlines are of other kinds: named, with what to choose.
      {{"dxf", "--dxf", Data("geometry/dxf/r12_entities.dxf")},
       "The drawing holds no LWPOLYLINE: it holds 3 LINE, 1 ARC, 1 POLYLINE, 3 CIRCLE: choose all "
       "outline entities\nSkipped: 1 TEXT\n"},
      {{"dxf", "--dxf", Data("geometry/dxf/not_dxf.dxf")}, "The drawing holds no LWPOLYLINE\n"},
      {{"dxf", "--dxf", Data("geometry/dxf/square.dxf")}, ""},
      {{"points", "--dxf", Data("geometry/dxf/square.dxf"), "AnyFeedrate=100"},
       "The drawing holds no CIRCLE\n"},
      {{"points", "--dxf", Data("geometry/dxf/r12_entities.dxf"), "AnyFeedrate=100"}, ""},
      // A list file is not a drawing: nothing to say.
      {{"points", "--points", Data("generators/points/drill.csv"), "AnyFeedrate=100"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    const CliRun r = RunArgs(c.args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.rfind("G90\r\n", 0), 0u) << r.out;
  }
}

}  // namespace
}  // namespace kelvora::cli
