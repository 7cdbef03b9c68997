// Making the largest grid program the line limit takes in five passes (750 x
// 1000 holes, depth 5, pass 1: 12,750,005 lines) for each control: every line
// read word by word against the control's words, G91.1 put in front and M30
// checked. The reader's pass over the same program (kelvora_motion_bench) is
// the measure to compare with: the finishing must cost a fraction of it.
//
//   build/release/bench/kelvora_control_output_bench [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "generators/grid.h"
#include "settings/control_output.h"

namespace {

namespace gen = kelvora::generators;
namespace settings = kelvora::settings;
using kelvora::text::Dialect;

const std::map<std::string, std::string, std::less<>> kGridTexts = {{"GridDepth", "5"},
                                                                    {"GridStep", "1"},
                                                                    {"Gridn", "750"},
                                                                    {"Gridm", "1000"},
                                                                    {"GridXm", "1"},
                                                                    {"GridYn", "1"},
                                                                    {"Gridd", "3"},
                                                                    {"GridZigzac", "0"},
                                                                    {"GridSub1", "False"},
                                                                    {"GridXc", "0"},
                                                                    {"GridYc", "0"},
                                                                    {"GridFeedrate", "100"},
                                                                    {"GridRetract", "1"},
                                                                    {"GridZsafe", "3"},
                                                                    {"GridSpinSpeed", "1000"},
                                                                    {"GridEnSpin", "True"},
                                                                    {"GridEnSpecialOp", "False"},
                                                                    {"GridSpOpStr", ""}};

std::string Text(std::string_view key) {
  const auto it = kGridTexts.find(key);
  return it == kGridTexts.end() ? std::string() : it->second;
}

const std::string& TheProgram() {
  static const std::string program = [] {
    const auto out = gen::GridJob(Text);
    if (!out) {
      std::fprintf(stderr, "the grid job refused: %s\n", out.failure().message.c_str());
      std::exit(1);
    }
    return *out;
  }();
  return program;
}

void BM_ForControl(benchmark::State& state, Dialect dialect) {
  const std::string& program = TheProgram();
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = program;  // the job's program, which the pass takes over
    state.ResumeTiming();
    auto made = settings::ForControl(std::move(copy), dialect, settings::JobInputs::kGrid, Text);
    if (!made) {
      state.SkipWithError(made.failure().message.c_str());
      return;
    }
    benchmark::DoNotOptimize(made->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(program.size()));
}

BENCHMARK_CAPTURE(BM_ForControl, host, Dialect::kHost)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForControl, linuxcnc, Dialect::kLinuxCnc)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForControl, grbl, Dialect::kGrbl)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
