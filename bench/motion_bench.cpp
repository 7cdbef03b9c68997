// The G-code reader on the largest grid program the line limit takes in five
// passes (750 x 1000 holes, depth 5, pass 1: 12,750,005 lines), made in memory
// by the grid job with the command line's defaults, against LinuxCNC's rs274
// reading a slice of the same program from a file (the reference, measured in
// the same run; it reads about 4 MB a second, so the whole program would take
// most of a minute per repetition).
//
//   build/release/bench/kelvora_motion_bench [--slice-holes=N] [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include <sys/resource.h>
#include <unistd.h>

#include "generators/grid.h"
#include "motion/gcode_reader.h"
#include "ratio_reporter.h"

namespace {

namespace gen = kelvora::generators;
namespace motion = kelvora::motion;

// `kelvora grid Gridn=750 Gridm=1000 GridDepth=5 GridStep=1`: the named texts,
// every other text the tab's default.
const std::map<std::string, std::string, std::less<>> kGridTexts = {{"GridXc", "0"},
                                                                    {"GridYc", "0"},
                                                                    {"GridDepth", "5"},
                                                                    {"GridStep", "1"},
                                                                    {"Gridn", "750"},
                                                                    {"Gridm", "1000"},
                                                                    {"GridXm", "1"},
                                                                    {"GridYn", "1"},
                                                                    {"Gridd", "3"},
                                                                    {"GridZigzac", "0"},
                                                                    {"GridSub1", "False"},
                                                                    {"GridFeedrate", "100"},
                                                                    {"GridRetract", "1"},
                                                                    {"GridZsafe", "3"},
                                                                    {"GridSpinSpeed", "1000"},
                                                                    {"GridEnSpin", "True"},
                                                                    {"GridEnSpecialOp", "False"},
                                                                    {"GridSpOpStr", ""}};

const std::string& TheProgram() {
  static const std::string program = [] {
    const auto out = gen::GridJob([](std::string_view key) {
      const auto it = kGridTexts.find(key);
      return it == kGridTexts.end() ? std::string() : it->second;
    });
    if (!out) {
      std::fprintf(stderr, "the grid job refused: %s\n", out.failure().message.c_str());
      std::exit(1);
    }
    return *out;
  }();
  return program;
}

// Holes of the program in the slice rs274 reads.
long g_sliceHoles = 20000;

// The first `holes` holes of the program, ended with M2 as rs274 needs.
std::string Slice(long holes) {
  const std::string& p = TheProgram();
  // Each hole begins with its rapid to X/Y ("G0X"); the slice ends before hole holes+1.
  std::size_t at = 0;
  for (long h = 0; h <= holes; ++h) {
    at = p.find("G0X", at + 1);
    if (at == std::string::npos) break;
  }
  return p.substr(0, at == std::string::npos ? p.size() : at) + "G0Z3\r\nM5\r\nM2\r\n";
}

// Counts what the reader hands on, touching every move so none is optimised away.
class CountingSink final : public motion::MotionSink {
 public:
  void OnMove(const motion::Move& m) override {
    ++moves;
    sum += m.end.z;
  }
  void OnEvent(const motion::Event&) override { ++events; }
  void OnNotice(const motion::Notice&) override { ++notices; }
  long moves = 0;
  long events = 0;
  long notices = 0;
  double sum = 0.0;
};

const std::filesystem::path& SliceFile() {
  static const std::filesystem::path path = [] {
    // A folder of its own, also rs274's HOME: it truncates and maps
    // $HOME/.tool.mmap on every run, which another run at the same time breaks.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kelvora_motion_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "slice.ngc";
    std::ofstream(file, std::ios::binary) << Slice(g_sliceHoles);
    return file;
  }();
  return path;
}

void BM_ReadProgram(benchmark::State& state) {
  const std::string& program = TheProgram();
  for (auto _ : state) {
    CountingSink sink;
    motion::ReadProgram(program, sink);
    benchmark::DoNotOptimize(sink.sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(program.size()));
}

void BM_ReadSlice(benchmark::State& state) {
  const std::string slice = Slice(g_sliceHoles);
  for (auto _ : state) {
    CountingSink sink;
    motion::ReadProgram(slice, sink);
    benchmark::DoNotOptimize(sink.sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(slice.size()));
}

// CPU time of the finished child processes: rs274's own work, which a busy
// machine's wall time overstates.
double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
double g_rs274CpuSeconds = 0.0;  // per run, of the last repetition

// rs274 reads the slice from its file and prints its canonical calls to nowhere.
void BM_Rs274Slice(benchmark::State& state) {
  const std::string command = "HOME='" + SliceFile().parent_path().string() + "' rs274 -g '" +
                              SliceFile().string() + "' < /dev/null > /dev/null 2>&1";
  double childSeconds = 0.0;
  for (auto _ : state) {
    const double before = ChildCpuSeconds();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("rs274 did not run");
      return;
    }
    childSeconds += ChildCpuSeconds() - before;
  }
  g_rs274CpuSeconds = childSeconds / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(SliceFile())));
}

BENCHMARK(BM_ReadProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadSlice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rs274Slice)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

std::size_t CountLines(std::string_view text) {
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.rfind("--slice-holes=", 0) == 0) {
      g_sliceHoles = std::atol(argv[i] + 14);
      for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
      --argc;
      --i;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::string& program = TheProgram();
  const std::string slice = Slice(g_sliceHoles);
  CountingSink whole;
  motion::ReadProgram(program, whole);
  std::printf("Grid program: %zu lines, %.1f MB; %ld moves, %ld events, %ld notices\n",
              CountLines(program), static_cast<double>(program.size()) / 1e6, whole.moves,
              whole.events, whole.notices);
  std::printf("rs274's slice: the first %ld holes, %zu lines, %.1f MB\n\n", g_sliceHoles,
              CountLines(slice), static_cast<double>(slice.size()) / 1e6);
  kelvora::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double mb = static_cast<double>(program.size()) / 1e6;
  const double sliceMb = static_cast<double>(slice.size()) / 1e6;
  std::printf("\n                                   wall time     CPU time\n");
  auto rate = [&](const char* what, const char* name, double size) {
    if (reporter.Wall(name) == 0) return;
    std::printf("  %-32s %7.1f MB/s  %7.1f MB/s\n", what, size / reporter.Wall(name),
                size / reporter.Cpu(name));
  };
  rate("ReadProgram, whole program", "BM_ReadProgram", mb);
  rate("ReadProgram, rs274's slice", "BM_ReadSlice", sliceMb);
  if (reporter.Wall("BM_ReadProgram") != 0) {
    std::printf("  ReadProgram, whole program: %.3f s wall, %.3f s CPU\n",
                reporter.Wall("BM_ReadProgram"), reporter.Cpu("BM_ReadProgram"));
  }
  if (reporter.Wall("BM_Rs274Slice") != 0) {
    // rs274 is a child process: its CPU time is the children's, from getrusage.
    const double theirs = sliceMb / reporter.Wall("BM_Rs274Slice");
    const double theirsCpu = g_rs274CpuSeconds > 0 ? sliceMb / g_rs274CpuSeconds : 0.0;
    std::printf("  %-32s %7.1f MB/s  %7.1f MB/s\n", "rs274 -g, slice", theirs, theirsCpu);
    if (theirsCpu > 0 && reporter.Cpu("BM_ReadSlice") != 0) {
      std::printf("  ratio ReadProgram / rs274, same slice, CPU time: %.0f\n",
                  sliceMb / reporter.Cpu("BM_ReadSlice") / theirsCpu);
    }
    if (reporter.Wall("BM_ReadSlice") != 0) {
      std::printf("  ratio ReadProgram / rs274, same slice, wall time: %.0f\n",
                  sliceMb / reporter.Wall("BM_ReadSlice") / theirs);
    }
    if (reporter.Wall("BM_ReadProgram") != 0) {
      std::printf("  ratio ReadProgram (whole) / rs274 (slice), wall time: %.0f\n",
                  mb / reporter.Wall("BM_ReadProgram") / theirs);
    }
  }
  std::filesystem::remove_all(SliceFile().parent_path());
  benchmark::Shutdown();
  return 0;
}
