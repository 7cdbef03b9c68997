// The window's GCode Gen on the largest grid the line limit takes in five
// passes (750 x 1000 holes, 5 deep in steps of 1: 12.75 million lines), with
// and without the report line and the path preview that now follow it:
//
// - "without": what GCode Gen did before, the job's program put into the box;
// - "with": the grid tab's GCode Gen button as it is now, the program read once
//   for the report and the path picture;
// - the reading alone (report and path picture), and the report alone, on the
//   same program.
//
//   build/release/bench/kelvora_window_report_bench [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>

#include "dialog/program_hand_off.h"
#include "dialog/xyz_demo_dialog.h"
#include "generators/grid.h"
#include "motion/path_picture.h"
#include "motion/report.h"
#include "ratio_reporter.h"
#include "settings/stated_depth.h"
#include "ui/scripted_prompts.h"

namespace {

using namespace kelvora;

constexpr int kPreviewWidth = 451;
constexpr int kPreviewHeight = 397;

// The window with the grid tab's inputs of the largest grid.
struct Window {
  ui::ScriptedPrompts prompts;
  dialog::RecordingHandOff handOff;
  dialog::XYZDemoDialog dlg{prompts, handOff};

  Window() {
    dlg.Get<ui::TextBox>("txtGridn").SetText("750");
    dlg.Get<ui::TextBox>("txtGridm").SetText("1000");
    dlg.Get<ui::TextBox>("txtGridDepth").SetText("5");
    dlg.Get<ui::TextBox>("txtGridStep").SetText("1");
  }
};

Window& TheWindow() {
  static Window w;
  return w;
}

const std::string& TheProgram() {
  static const std::string program = *generators::GridJob(TheWindow().dlg.Inputs(), {});
  return program;
}

motion::CheckOptions Options() {
  return settings::JobCheckOptions(settings::JobInputs::kGrid, TheWindow().dlg.Inputs());
}

void BM_GcodeGenWithoutReport(benchmark::State& state) {
  Window& w = TheWindow();
  for (auto _ : state) {
    const generators::TextLookup inputs = w.dlg.Inputs();
    w.dlg.PutProgram(generators::GridJob(inputs, {}), "txtGridGcode", settings::JobInputs::kGrid,
                     inputs);
    benchmark::DoNotOptimize(w.dlg.Get<ui::TextBox>("txtGridGcode").Text().data());
  }
}

void BM_GcodeGenWithReport(benchmark::State& state) {
  Window& w = TheWindow();
  for (auto _ : state) {
    w.dlg.Get<ui::Button>("btnGridGcodGen").Click();
    benchmark::DoNotOptimize(w.dlg.Get<ui::Label>("lblGridGcodeReport").Text().data());
  }
}

void BM_ReportAndPathPicture(benchmark::State& state) {
  const std::string& program = TheProgram();
  for (auto _ : state) {
    const motion::CheckedPath checked = motion::CheckAndDrawProgram(
        program, motion::Machine{}, Options(), kPreviewWidth, kPreviewHeight);
    benchmark::DoNotOptimize(checked.picture.items.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * program.size()));
}

void BM_ReportAlone(benchmark::State& state) {
  const std::string& program = TheProgram();
  for (auto _ : state) {
    const motion::Report report = motion::CheckProgram(program, motion::Machine{}, Options());
    benchmark::DoNotOptimize(report.moves);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * program.size()));
}

BENCHMARK(BM_GcodeGenWithoutReport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GcodeGenWithReport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReportAndPathPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReportAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::string& program = TheProgram();
  const motion::CheckedPath checked = motion::CheckAndDrawProgram(
      program, motion::Machine{}, Options(), kPreviewWidth, kPreviewHeight);
  std::printf(
      "Grid of 750 x 1000 holes, 5 passes: program %.1f MB, %llu lines, %llu moves;\n"
      "path picture of %zu primitives for %dx%d pixels\n\n",
      static_cast<double>(program.size()) / 1e6,
      static_cast<unsigned long long>(checked.report.lines),
      static_cast<unsigned long long>(checked.report.moves), checked.picture.items.size(),
      kPreviewWidth, kPreviewHeight);

  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto& [what, time] : {std::pair{"wall", &bench::RatioReporter::Wall},
                                   std::pair{"CPU", &bench::RatioReporter::Cpu}}) {
    const double without = (reporter.*time)("BM_GcodeGenWithoutReport");
    const double with = (reporter.*time)("BM_GcodeGenWithReport");
    if (without > 0 && with > 0) {
      std::printf("GCode Gen, %s time: %.2f s without the report, %.2f s with it (%.2f x)\n", what,
                  without, with, with / without);
    }
  }
  benchmark::Shutdown();
  return 0;
}
