// The order the tool visits a list of holes in: the order they are listed, or a
// short path found from the first hole (nearest neighbour, then 2-opt).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "geometry/draw_obj.h"

namespace kelvora::generators {

// The length of the rapids from hole to hole, from the first to the last, along
// X and Y, visiting `points` in `order` (indices into `points`).
double RapidLength(std::span<const geometry::UnitPoint> points, std::span<const std::size_t> order);
// The same in the order the points are listed.
double RapidLength(std::span<const geometry::UnitPoint> points);

// A short visiting order of `points`, as indices into them: the first point
// stays first, the path ends wherever is shortest. The path is built by going
// to the nearest point not yet visited and then improved by 2-opt moves (two
// links swapped for two shorter ones) until none is found or the work done
// reaches a budget proportional to the number of points, so a list of a million
// holes is ordered in seconds. Never longer than the listed order: when the
// path found is, the listed order is returned.
std::vector<std::size_t> ShortestOrder(std::span<const geometry::UnitPoint> points);

}  // namespace kelvora::generators
