// Number text: FormatNumber per call on its short way and on its general way,
// and, before the timings, the full differential check of the two ways (ten
// million random doubles across magnitudes, every halfway case at 1 to 3
// decimals up to 100000, and the 15-digit reduction cases).
//
//   build/release/bench/kelvora_format_bench [--values=N] [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/number_cases.h"
#include "text/number_format.h"

namespace {

using kelvora::text::FormatNumber;
using kelvora::text::NumberFormat;
namespace cases = kelvora::text::cases;

// Runs the comparison over `values`, printing the first mismatches; returns
// the number of values that differ.
std::size_t Compare(const char* name, const std::vector<double>& values) {
  std::size_t shortCount = 0;
  std::size_t failures = 0;
  for (double v : values) {
    cases::Mismatch m;
    if (cases::CompareWays(v, shortCount, m)) continue;
    if (++failures <= 10) {
      std::printf("  MISMATCH %.17g with %s: short \"%s\" general \"%s\"\n", m.value,
                  std::string(kelvora::text::PatternText(m.format)).c_str(), m.shortText.c_str(),
                  m.generalText.c_str());
    }
  }
  std::printf("%-36s %10zu values, %10zu short-way formats, %zu mismatches\n", name, values.size(),
              shortCount, failures);
  return failures;
}

std::size_t DifferentialCheck(long long randomCount) {
  std::printf("Short way against general way, every format:\n");
  std::size_t failures = Compare("halfway cases (k + 0.5) / 10^d", cases::HalfwayValues(100'000));
  std::mt19937_64 rng(16);
  failures += Compare("15-digit reduction cases", cases::FifteenDigitValues(rng, 2'000));
  std::vector<double> batch;
  std::size_t randomFailures = 0;
  std::size_t shortCount = 0;
  for (long long i = 0; i < randomCount; ++i) {
    cases::Mismatch m;
    const double v = cases::RandomValue(rng);
    if (cases::CompareWays(v, shortCount, m)) continue;
    if (++randomFailures <= 10) {
      std::printf("  MISMATCH %.17g: short \"%s\" general \"%s\"\n", m.value, m.shortText.c_str(),
                  m.generalText.c_str());
    }
  }
  std::printf("%-36s %10lld values, %10zu short-way formats, %zu mismatches\n\n",
              "random doubles across magnitudes", randomCount, shortCount, randomFailures);
  return failures + randomFailures;
}

// Coordinates as a drilling program meets them: a grid of 0.5 mm pitch.
std::vector<double> Coordinates() {
  std::vector<double> v;
  for (int i = 0; i < 4096; ++i) v.push_back(12.5 + 0.5 * (i % 64) + 0.001 * (i / 64));
  return v;
}

void BM_FormatNumber(benchmark::State& state) {
  const std::vector<double> values = Coordinates();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatNumber(values[i++ & 4095], NumberFormat::kFixed3));
  }
}

void BM_FormatNumberShortWay(benchmark::State& state) {
  const std::vector<double> values = Coordinates();
  char buf[kelvora::text::kShortNumberChars];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kelvora::text::FormatNumberShort(values[i++ & 4095], NumberFormat::kFixed3, buf));
    benchmark::ClobberMemory();
  }
}

void BM_FormatNumberGeneralWay(benchmark::State& state) {
  const std::vector<double> values = Coordinates();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kelvora::text::detail::FormatNumberGeneral(values[i++ & 4095], NumberFormat::kFixed3));
  }
}

BENCHMARK(BM_FormatNumber);
BENCHMARK(BM_FormatNumberShortWay);
BENCHMARK(BM_FormatNumberGeneralWay);

}  // namespace

int main(int argc, char** argv) {
  long long randomCount = 10'000'000;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--values=", 9) == 0) {
      randomCount = std::atoll(argv[i] + 9);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
  const std::size_t failures = DifferentialCheck(randomCount);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return failures == 0 ? 0 : 1;
}
