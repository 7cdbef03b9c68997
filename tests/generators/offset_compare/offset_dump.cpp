// Prints the offsets of the test shapes, vertex by vertex with their bulges, for
// the comparison with a polygon library's buffer (compare_offsets.py):
//   CASE <name> <distance>
//   CONTOUR <closed 0|1> x y bulge ...
//   PATH <closed 0|1> x y bulge ...      (one line per returned path)
// With "--time N" it times the offset of two closed contours of N vertices
// instead: a smooth ring and a wavy ring whose waves are finer than the distance.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "../offset_shapes.h"
#include "generators/contour_offset.h"

namespace {

using namespace kelvora::generators;
namespace toolpath = kelvora::toolpath;

void Print(const char* tag, const toolpath::Path& p) {
  std::printf("%s %d", tag, p.closed ? 1 : 0);
  for (const toolpath::Vertex& v : p.v) std::printf(" %.17g %.17g %.17g", v.x, v.y, v.bulge);
  std::printf("\n");
}

int Time(int n) {
  for (const double wave : {0.0, 0.5}) {
    toolpath::Path ring;
    ring.closed = true;
    for (int k = 0; k < n; ++k) {
      const double a = 2 * std::numbers::pi * k / n;
      const double r = 500 + wave * std::sin(2000 * a);
      ring.v.push_back({r * std::cos(a), r * std::sin(a), 0});
    }
    for (const double d : {3.0, -3.0}) {
      const auto t0 = std::chrono::steady_clock::now();
      const OffsetResult r = OffsetContour(ring, d);
      const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      std::printf("%d vertices, waves %.1f mm, distance %+.0f: %zu path(s), %.3f s\n", n, wave, d,
                  r.paths.size(), s);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--time") == 0) return Time(std::atoi(argv[2]));
  for (const testing::NamedShape& shape : testing::ComparedShapes()) {
    for (const double d : {-3.0, -1.0, 0.5, 1.0, 1.5, 2.5}) {
      std::printf("CASE %s %g\n", shape.name.c_str(), d);
      Print("CONTOUR", shape.path);
      for (const toolpath::Path& p : OffsetContour(shape.path, d).paths) Print("PATH", p);
    }
  }
  return 0;
}
