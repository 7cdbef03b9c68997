#include "generators/dxf_points.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kelvora::generators {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(KELVORA_TEST_DATA) + "/geometry/dxf/" + name;
}

struct RowsCase {
  std::string file;
  std::vector<std::vector<std::string>> rows;  // "#", "Name", "X", "Y"
};

TEST(DxfCircleRows, PerFixture) {
  const std::vector<RowsCase> cases = {
      {"r12_entities.dxf",
       {{"1", "", "10.123", "-4"}, {"2", "", "20", "20"}, {"3", "", "-7.001", "30.25"}}},
      // The mirrored circle's centre is seen from above.
      {"r2007_edge_cases.dxf", {{"1", "", "1", "2"}, {"2", "", "-15", "5"}, {"3", "", "3", "4"}}},
      {"crlf.dxf", {{"1", "", "2.5", "2.5"}}},
      {"square.dxf", {}},
      {"not_dxf.dxf", {}},
  };
  for (const RowsCase& c : cases) {
    SCOPED_TRACE(c.file);
    const auto rows = DxfCircleRowsFromFile(Fixture(c.file));
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->size(), c.rows.size());
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      const DxfPointRow& r = (*rows)[i];
      EXPECT_EQ((std::vector<std::string>{r.number, r.name, r.x, r.y}), c.rows[i]);
    }
  }
}

TEST(DxfCircleRows, ACentrePastTheLargestNumberIsRefused) {
  // "-1e30812" reads as minus infinity; a point list cannot show or drill it.
  const auto dir = std::filesystem::temp_directory_path() / "kelvora_dxf_points_test";
  std::filesystem::create_directories(dir);
  for (const char* x : {"-1e30812", "1e999"}) {
    SCOPED_TRACE(x);
    const std::string path = (dir / "circle.dxf").string();
    std::ofstream(path, std::ios::binary) << "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n"
                                          << x << "\n20\n1\n40\n2\n0\nENDSEC\n0\nEOF\n";
    const auto rows = DxfCircleRowsFromFile(path);
    ASSERT_FALSE(rows.ok());
    EXPECT_EQ(rows.failure().message, "The drawing holds a number that is not finite");
    EXPECT_EQ(rows.failure().detail, "CIRCLE");
  }
  std::filesystem::remove_all(dir);
}

TEST(DxfCircleRows, UnreadableFile) {
  const auto rows = DxfCircleRowsFromFile(Fixture("no_such_file.dxf"));
  ASSERT_FALSE(rows.ok());
  EXPECT_EQ(rows.failure().message, "Load file failed!");
}

}  // namespace
}  // namespace kelvora::generators
