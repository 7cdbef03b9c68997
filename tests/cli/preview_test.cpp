#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli.h"
#include "text/files.h"

namespace kelvora::cli {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / "kelvora_preview_test";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return text::PathToUtf8(dir_ / name); }

  std::filesystem::path dir_;
};

TEST_F(PreviewTest, EachJobDrawsWithItsTabsRendererAndMode) {
  const std::string data = KELVORA_TEST_DATA;
  const std::string square = data + "/geometry/dxf/square.dxf";
  struct Case {
    std::vector<std::string> args;
    std::string programStart;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases = {
      // Drill renderers draw the red marker; line and polyline renderers do not.
      {{"circle", "Cirn=3"}, "G90", {"stroke=\"#ff0000\"", "<ellipse", "Xc=@  Yc=@"}, {}},
      {{"grid", "Gridm=2", "Gridn=2"}, "G90", {"stroke=\"#ff0000\"", "Xc=@  Yc=@"}, {}},
      {{"surface"}, "G90", {"<line", "stroke=\"#0000ff\""}, {"#ff0000", "<ellipse"}},
      {{"dxf", "--dxf", square}, "G90", {"<line", "stroke=\"#0000ff\""}, {"#ff0000"}},
      {{"cuts", "--cuts", data + "/generators/lists/generated.csv", "CutToolDia=4"},
       "G90",
       {"<line", "stroke=\"#0000ff\""},
       {"#ff0000"}},
      {{"thread"}, "%", {"<rect x=\"40\"", "Pitch: 5.00 mm", "stroke=\"#006400\""}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = c.args;
    const std::string svgPath = Path("p.svg");
    args.insert(args.end(), {"--preview", svgPath, "--size", "300x250"});
    std::ostringstream out, err;
    ASSERT_EQ(RunCli(args, out, err), kExitOk) << err.str();
    EXPECT_TRUE(out.str().starts_with(c.programStart));  // the program is still written
    const auto svg = text::ReadFileBytes(text::PathFromUtf8(svgPath));
    ASSERT_TRUE(svg);
    EXPECT_TRUE(Has(*svg, "width=\"300\" height=\"250\""));
    for (const auto& p : c.present) EXPECT_TRUE(Has(*svg, p)) << p;
    for (const auto& a : c.absent) EXPECT_FALSE(Has(*svg, a)) << a;
    std::filesystem::remove(text::PathFromUtf8(svgPath));
  }
}

TEST_F(PreviewTest, RefusedJobWritesNoPicture) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"circle", "CirDepth=abc"}, {"thread", "Pitch=0"}}) {
    SCOPED_TRACE(args[0]);
    std::vector<std::string> all = args;
    all.insert(all.end(), {"--preview", Path("refused.svg")});
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(all, out, err), kExitRefused);
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists(text::PathFromUtf8(Path("refused.svg"))));
  }
}

}  // namespace
}  // namespace kelvora::cli
