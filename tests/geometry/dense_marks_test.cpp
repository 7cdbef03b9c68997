#include "geometry/dense_marks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "geometry/draw_all.h"
#include "support/polylines.h"

namespace kelvora::geometry {
namespace {

DrawList Grid(int columns, int rows, double pitch, double radius) {
  DrawList list;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      list.push_back(std::make_unique<CDrill>(UnitPoint(c * pitch, r * pitch), 1.0, 1.0, radius));
    }
  }
  return list;
}

// A closed contour of many tiny straight segments round a circle.
DrawList DenseContour(int vertices, double radius) {
  std::vector<testing::Vertex> v;
  for (int i = 0; i < vertices; ++i) {
    const double a = 2 * 3.141592653589793 * i / vertices;
    v.push_back({radius * std::cos(a), radius * std::sin(a), 0.0});
  }
  DrawList list;
  list.push_back(testing::Polyline(v, true));
  return list;
}

std::size_t Count(const Picture& p) {
  return p.items.size();
}

// Every pixel is at most one mark of the merged picture, and no two filled
// rectangles overlap.
void ExpectOneMarkPerPixel(const Picture& p) {
  std::vector<int> marks(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
  for (const Primitive& item : p.items) {
    const auto* r = std::get_if<RectPrim>(&item);
    if (!r || !r->filled) continue;
    for (int y = r->y; y < r->y + r->height; ++y) {
      for (int x = r->x; x < r->x + r->width; ++x) {
        ++marks[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) +
                static_cast<std::size_t>(x)];
      }
    }
  }
  for (int m : marks) ASSERT_LE(m, 1);
}

TEST(DenseMarks, CrowdedPicturesPaintExactlyThePixelsOfTheFullPicture) {
  struct Case {
    const char* name;
    Picture full;  // every mark drawn
  };
  std::vector<Case> cases;
  {
    Picture holes{451, 397, kWhite, {}};
    holes.items.push_back(LinePrim{Pen{kRed, 1}, 225, 0, 225, 397});
    for (int r = 0; r < 300; ++r) {
      for (int c = 0; c < 300; ++c) {
        holes.items.push_back(EllipsePrim{Pen{kBlue, 2}, 20 + c * 4 / 3, 20 + r, 4, 4});
      }
    }
    cases.push_back({"dense grid of holes", std::move(holes)});
  }
  {
    Picture rings{451, 397, kWhite, {}};
    for (int i = 0; i < 2000; ++i) {
      rings.items.push_back(EllipsePrim{Pen{kBlue, 2}, 100 + (i % 50), 80 + (i / 50) * 3, 60, 60});
    }
    cases.push_back({"dense pocket rings", std::move(rings)});
  }
  {
    Picture arcs{451, 397, kWhite, {}};
    for (int i = 0; i < 3000; ++i) {
      arcs.items.push_back(
          ArcPrim{Pen{kBlue, 2}, 150 + i % 7, 100 + i % 5, 120, 120, i * 0.37, 45.0});
    }
    arcs.items.push_back(LinePrim{Pen{kRed, 1}, 0, 10, 450, 10});
    cases.push_back({"dense arcs then a sparse line", std::move(arcs)});
  }
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture merged = c.full;
    const std::size_t removed = MergeDenseMarks(merged);
    EXPECT_GT(removed, 0u);
    EXPECT_LT(Count(merged), Count(c.full) / 4);
    EXPECT_EQ(PaintedPixels(merged), PaintedPixels(c.full));
    ExpectOneMarkPerPixel(merged);
  }
}

TEST(DenseMarks, RenderersMergeCrowdedListsAndKeepSparseOnes) {
  const PreviewBox box{451, 397, 0, 0};
  struct Case {
    const char* name;
    Picture picture;
    std::size_t atMost;   // primitives the picture may hold
    std::size_t atLeast;  // and must hold (a sparse picture keeps every mark)
  };
  const DrawList dense = Grid(400, 400, 1.0, 0.5);
  const DrawList sparse = Grid(20, 20, 10.0, 1.0);
  const DrawList pockets = Grid(200, 200, 1.0, 0.2);
  const DrawList contour = DenseContour(20000, 50);
  const DrawList roundContour = DenseContour(60, 50);
  const Case cases[] = {
      {"a dense grid of holes", DrawAll::DrawListDrill(dense, box, kMarkFirstHole), 400, 1},
      // 400 holes and the marker: its circle, two lines and label.
      {"sparse holes", DrawAll::DrawListDrill(sparse, box, kMarkFirstHole), 404, 404},
      {"dense pockets", DrawAll::DrawListPocket(pockets, box, kMarkFirstHole, 0.5, 1.0), 1000, 1},
      {"dense contour", DrawAll::DrawListPLine(contour, box, 1), 2000, 1},
      {"sparse contour", DrawAll::DrawListPLine(roundContour, box, 1), 60, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_LE(Count(c.picture), c.atMost);
    EXPECT_GE(Count(c.picture), c.atLeast);
    ExpectOneMarkPerPixel(c.picture);
  }
  // The first-hole marker survives the merge: its red lines and circle.
  std::set<std::pair<int, int>> redLines;
  for (const Primitive& item : cases[0].picture.items) {
    if (const auto* l = std::get_if<LinePrim>(&item); l && l->pen.color == kRed) {
      redLines.insert({l->x1, l->y1});
    }
  }
  EXPECT_EQ(redLines.size(), 2u);
}

TEST(DenseMarks, TouchedPixelsOfEachKind) {
  struct Case {
    const char* name;
    Primitive item;
    std::set<std::pair<int, int>> pixels;  // (x, y)
  };
  const Case cases[] = {
      {"a horizontal line of pen 1",
       LinePrim{Pen{kBlue, 1}, 2, 3, 5, 3},
       {{2, 3}, {3, 3}, {4, 3}, {5, 3}}},
      {"a filled rectangle",
       [] {
         RectPrim r{Pen{kBlue, 1}, 1, 1, 2, 2};
         r.filled = true;
         return Primitive{r};
       }(),
       {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
      // Centre (2, 2), radius 1: the pixels 0.5 to 1.5 from the centre.
      {"a circle of diameter 2",
       EllipsePrim{Pen{kBlue, 1}, 1, 1, 2, 2},
       {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}}},
      {"a quarter arc, clockwise from +X",
       ArcPrim{Pen{kBlue, 1}, 0, 0, 4, 4, 0.0, 90.0},
       {{4, 2}, {4, 3}, {3, 4}, {2, 4}}},
      {"a negative rectangle draws nothing", RectPrim{Pen{kBlue, 1}, 0, 0, -3, 4}, {}},
      {"clipped to the picture", LinePrim{Pen{kBlue, 1}, -100, 0, 1, 0}, {{0, 0}, {1, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::set<std::pair<int, int>> got;
    EXPECT_TRUE(ForEachTouchedRun(c.item, 8, 8, [&](int y, int x1, int x2) {
      for (int x = x1; x <= x2; ++x) got.insert({x, y});
    }));
    EXPECT_EQ(got, c.pixels);
  }
  EXPECT_FALSE(ForEachTouchedRun(EllipsePrim{Pen{kBlue, 1}, 0, 0, 4, 2}, 8, 8,
                                 [](int, int, int) { FAIL() << "an ellipse is not modelled"; }));
}

}  // namespace
}  // namespace kelvora::geometry
