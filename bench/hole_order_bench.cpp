// The Shortest hole order: nearest neighbour from the first hole, then 2-opt and
// moves of short runs, on random holes over a square of 1 mm per hole (1,000,
// 10,000, 100,000 and 1,000,000 holes) and on a 100 x 100 grid of holes 5 mm
// apart listed in a random order. Each run shows the rapid length of the listed
// order and of the order found (mm), and their ratio.
//
//   build/release/bench/kelvora_hole_order_bench [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "generators/hole_order.h"

namespace {

using kelvora::geometry::UnitPoint;
namespace gen = kelvora::generators;

std::vector<UnitPoint> RandomHoles(std::size_t n) {
  std::mt19937_64 rng(20261210);
  const double side = std::sqrt(static_cast<double>(n));
  std::uniform_real_distribution<double> u(0, side);
  std::vector<UnitPoint> points(n);
  for (auto& p : points) p = UnitPoint(u(rng), u(rng));
  return points;
}

std::vector<UnitPoint> ShuffledGrid(int columns, int rows, double pitch) {
  std::vector<UnitPoint> points;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) points.emplace_back(c * pitch, r * pitch);
  }
  std::mt19937_64 rng(7);
  std::shuffle(points.begin(), points.end(), rng);
  return points;
}

void Order(benchmark::State& state, const std::vector<UnitPoint>& points) {
  std::vector<std::size_t> order;
  for (auto _ : state) {
    order = gen::ShortestOrder(points);
    benchmark::DoNotOptimize(order.data());
  }
  const double listed = gen::RapidLength(points);
  const double after = gen::RapidLength(points, order);
  state.counters["listed_mm"] = listed;
  state.counters["after_mm"] = after;
  state.counters["after/listed"] = after / listed;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * points.size()));
}

void BM_RandomHoles(benchmark::State& state) {
  const auto points = RandomHoles(static_cast<std::size_t>(state.range(0)));
  Order(state, points);
}

void BM_ShuffledGrid100x100(benchmark::State& state) {
  Order(state, ShuffledGrid(100, 100, 5));
}

}  // namespace

BENCHMARK(BM_RandomHoles)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ShuffledGrid100x100)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
