// One outline as drawing programs write it (a lightweight polyline, scrambled
// lines and arcs, an R12 polyline, inserted blocks, a spline), written by the
// Python DXF library: the contours read from each agree with the reference
// drawing's within the tolerances.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "geometry/dxf_outlines.h"
#include "geometry/outline_geometry.h"

namespace kelvora::geometry {
namespace {

using outline_test::Contour;
using outline_test::Deviation;
using outline_test::Samples;

// The greatest distance of a point of `a`'s contours from the nearest contour of `b`.
double Farthest(const Outlines& a, const Outlines& b) {
  double worst = 0;
  for (std::size_t i = 0; i < a.contours.size(); ++i) {
    for (const auto& [x, y] : Samples(Contour(a, i))) {
      double best = INFINITY;
      for (std::size_t j = 0; j < b.contours.size(); ++j) {
        best = std::min(best, Deviation(Contour(b, j), x, y));
      }
      worst = std::max(worst, best);
    }
  }
  return worst;
}

TEST(OutlineCorpus, EveryWayOfWritingTheOutlineGivesItsContours) {
#ifdef _WIN32
  // Under Wine there is no Linux Python to write the corpus with; the Linux
  // build's run of this test reads it, and fails there without ezdxf.
  GTEST_SKIP() << "the corpus is written by /usr/bin/python3 with ezdxf, which the Linux "
                  "tests run";
#endif
  const bool required = [] {
    const char* v = std::getenv("KELVORA_REQUIRE_PYTHON_GEOMETRY");
    return v != nullptr && std::string(v) == "1";
  }();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "kelvora_outline_corpus";
  const std::string script =
      std::string(KELVORA_TEST_DATA) + "/geometry/dxf/make_outline_corpus.py";
  int status = -1;
  if (std::filesystem::exists("/usr/bin/python3")) {
    const std::string command = "/usr/bin/python3 \"" + script + "\" \"" + folder.string() + "\"";
    status = std::system(command.c_str());
  }
  if (status != 0) {
    const std::string why =
        "the corpus needs /usr/bin/python3 with ezdxf (status " + std::to_string(status) + ")";
    if (required) FAIL() << why << ", and KELVORA_REQUIRE_PYTHON_GEOMETRY=1";
    GTEST_SKIP() << why;
  }

  OutlineOptions all;
  all.source = OutlineSource::kAllEntities;
  // The spline's arcs may stray by the chord tolerance; pieces joined within
  // the join tolerance may keep such a gap.
  const double within = all.chordTolerance + all.joinTolerance;
  struct Case {
    const char* name;
    std::size_t contours;
    std::size_t mostVertices;
  };
  for (const Case& c : {Case{"lwpolyline", 1, 8}, Case{"pieces", 1, 8}, Case{"r12", 1, 8},
                        Case{"blocks", 2, 8}, Case{"spline", 1, 24}}) {
    SCOPED_TRACE(c.name);
    auto got = ReadOutlines((folder / (std::string(c.name) + ".dxf")).string(), all);
    auto want = ReadOutlines((folder / (std::string(c.name) + "_ref.dxf")).string(), {});
    ASSERT_TRUE(got.ok()) << got.failure().message;
    ASSERT_TRUE(want.ok()) << want.failure().message;
    ASSERT_EQ(got->contours.size(), c.contours);
    ASSERT_EQ(want->contours.size(), c.contours);
    for (std::size_t i = 0; i < c.contours; ++i) {
      EXPECT_TRUE(Contour(*got, i).IsClosed()) << i;
      EXPECT_LE(Contour(*got, i).x.size(), c.mostVertices) << i;
    }
    EXPECT_LE(Farthest(*got, *want), within);
    EXPECT_LE(Farthest(*want, *got), within);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kelvora::geometry
