// A million holes: the grid program of a perforated sheet (1000 x 1000 holes,
// staggered, one plunge each) written by ProgramWriter against a plain emitter
// that writes every coordinate with snprintf("%.3f") (the reference, measured in
// the same run), and the whole job, program and preview, from its input texts
// to the SVG document.
//
//   build/release/bench/kelvora_program_bench [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "generators/grid.h"
#include "geometry/draw_all.h"
#include "geometry/svg.h"
#include "heap_count.h"
#include "ratio_reporter.h"

namespace {

using kelvora::geometry::CDrill;
using kelvora::geometry::DrawList;
using kelvora::geometry::otDrill;
namespace gen = kelvora::generators;

const std::map<std::string, std::string, std::less<>>& GridTexts() {
  static const std::map<std::string, std::string, std::less<>> texts = {
      {"GridXc", "10"},
      {"GridYc", "10"},
      {"GridDepth", "2"},
      {"GridStep", "2"},
      {"GridXm", "1.5"},
      {"GridYn", "1.3"},
      {"Gridm", "1000"},
      {"Gridn", "1000"},
      {"Gridd", "1"},
      {"GridZigzac", "0.75"},
      {"GridSub1", "False"},
      {"GridFeedrate", "300"},
      {"GridRetract", "1"},
      {"GridZsafe", "5"},
      {"GridSpinSpeed", "12000"},
      {"GridEnSpin", "True"},
      {"GridEnSpecialOp", "False"},
      {"GridSpOpStr", ""}};
  return texts;
}

gen::TextLookup Lookup() {
  return [](std::string_view key) {
    const auto it = GridTexts().find(key);
    return it == GridTexts().end() ? std::string() : it->second;
  };
}

struct Fixture {
  DrawList holes;
  gen::DrillProgramInputs in;
};

const Fixture& TheGrid() {
  static const Fixture f = [] {
    Fixture out;
    out.holes = gen::GridPatternGen(*gen::ReadGridPatternInputs(Lookup()));
    out.in = *gen::ReadGridProgramInputs(Lookup());
    return out;
  }();
  return f;
}

// The reference: the same program, every number through snprintf("%.3f") (and
// the sign of a zero dropped, as "0.000" writes it), appended line by line; the
// numbers every hole repeats are written once.
std::string PlainNumber(double v) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s(buf, static_cast<std::size_t>(n));
  if (s == "-0.000") s.erase(0, 1);
  return s;
}

std::string PlainGridProgram(const DrawList& holes, const gen::DrillProgramInputs& in) {
  std::string out;
  const std::string safe = PlainNumber(in.zsafe);
  const std::string retract = PlainNumber(in.retract);
  const std::string depth = PlainNumber(in.depth);
  const std::string feed = PlainNumber(in.feed);
  char spindle[64];
  std::snprintf(spindle, sizeof spindle, "%.1f", in.spindle);
  out += "G90\r\nM3S";
  out += spindle;
  out += "\r\nG0Z" + safe + "\r\n";
  for (const auto& obj : holes) {
    if (obj->otype != otDrill) continue;
    const auto& hole = static_cast<const CDrill&>(*obj);
    char line[160];
    const int n =
        std::snprintf(line, sizeof line, "G0X%.3fY%.3f\r\n", hole.center.X, hole.center.Y);
    out.append(line, static_cast<std::size_t>(n));
    out += "G0Z" + retract + "\r\nG1Z-" + depth + "F" + feed + "\r\nG0Z" + safe + "\r\n";
  }
  out += "M5\r\nM30\r\n";
  return out;
}

void BM_GridProgram(benchmark::State& state) {
  const Fixture& f = TheGrid();
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto program = gen::GridPatternGcodeGen(f.holes, f.in);
    bytes = program->size();
    benchmark::DoNotOptimize(program->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_GridProgramSnprintf(benchmark::State& state) {
  const Fixture& f = TheGrid();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string program = PlainGridProgram(f.holes, f.in);
    bytes = program.size();
    benchmark::DoNotOptimize(program.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

kelvora::geometry::Picture GridPicture(const DrawList& holes) {
  return kelvora::geometry::DrawAll::DrawListDrill(holes, {}, kelvora::geometry::kMarkFirstHole);
}

void BM_GridPreviewSvg(benchmark::State& state) {
  const kelvora::geometry::Picture picture = GridPicture(TheGrid().holes);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string svg = kelvora::geometry::PictureToSvg(picture);
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// What `kelvora grid ... --preview` does in memory: the inputs read, the holes
// built once, the program, the picture from the same holes, then its SVG.
struct JobResult {
  std::string program;
  std::string svg;
};
JobResult GridJobWithPreview() {
  std::optional<kelvora::geometry::Picture> picture;
  auto program =
      gen::GridJob(Lookup(), [&](const DrawList& holes) { picture = GridPicture(holes); });
  JobResult out;
  out.program = std::move(*program);
  out.svg = kelvora::geometry::PictureToSvg(*picture);
  return out;
}

void BM_GridJobWithPreview(benchmark::State& state) {
  for (auto _ : state) {
    const JobResult r = GridJobWithPreview();
    benchmark::DoNotOptimize(r.svg.data());
  }
}

BENCHMARK(BM_GridProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GridProgramSnprintf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GridPreviewSvg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GridJobWithPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// Lines of `a` and `b` that differ (both split at line feeds).
std::size_t DifferingLines(std::string_view a, std::string_view b) {
  std::size_t differ = 0;
  while (!a.empty() || !b.empty()) {
    const std::size_t ea = a.find('\n');
    const std::size_t eb = b.find('\n');
    if (a.substr(0, ea) != b.substr(0, eb)) ++differ;
    a = ea == std::string_view::npos ? std::string_view() : a.substr(ea + 1);
    b = eb == std::string_view::npos ? std::string_view() : b.substr(eb + 1);
  }
  return differ;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const Fixture& f = TheGrid();
  const std::string ours = *gen::GridPatternGcodeGen(f.holes, f.in);
  const std::string plain = PlainGridProgram(f.holes, f.in);
  std::printf("Grid of %zu holes: program %.1f MB; the snprintf program %s (%zu lines differ)\n\n",
              f.holes.size(), static_cast<double>(ours.size()) / 1e6,
              ours == plain ? "has the same bytes" : "DIFFERS", DifferingLines(ours, plain));

  kelvora::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const double mb = static_cast<double>(ours.size()) / 1e6;
  const double svgMb =
      static_cast<double>(kelvora::geometry::PictureToSvg(GridPicture(f.holes)).size()) / 1e6;
  std::printf("\n                                   wall time   CPU time\n");
  auto line = [&](const char* what, const char* name, double size) {
    if (reporter.Wall(name) == 0) return;
    std::printf("  %-32s %6.0f MB/s %6.0f MB/s\n", what, size / reporter.Wall(name),
                size / reporter.Cpu(name));
  };
  line("program, ProgramWriter", "BM_GridProgram", mb);
  line("program, snprintf reference", "BM_GridProgramSnprintf", mb);
  line("preview SVG writer", "BM_GridPreviewSvg", svgMb);
  if (reporter.Wall("BM_GridProgram") != 0 && reporter.Wall("BM_GridProgramSnprintf") != 0) {
    std::printf("  ratio ProgramWriter / snprintf:  %6.1f      %6.1f\n",
                reporter.Wall("BM_GridProgramSnprintf") / reporter.Wall("BM_GridProgram"),
                reporter.Cpu("BM_GridProgramSnprintf") / reporter.Cpu("BM_GridProgram"));
  }
  if (reporter.Wall("BM_GridJobWithPreview") != 0) {
    std::printf("  program + preview, 1,000,000 holes: %.3f s wall, %.3f s CPU\n",
                reporter.Wall("BM_GridJobWithPreview"), reporter.Cpu("BM_GridJobWithPreview"));
  }

  const std::size_t peak = kelvora::bench::PeakDuring([] { GridJobWithPreview(); });
  std::printf("  peak heap of program + preview: %.1f MB (program %.1f MB, SVG %.1f MB)\n",
              static_cast<double>(peak) / 1e6, mb, svgMb);
  benchmark::Shutdown();
  return 0;
}
