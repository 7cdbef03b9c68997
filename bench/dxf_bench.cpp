// Reading a large drawing: CDxf against dxflib in the same run, throughput of
// each and their ratio, and the peak memory of CDxf's records against the file
// size.
//
//   build/release/bench/kelvora_dxf_bench [--benchmark_repetitions=N ...]
#include <benchmark/benchmark.h>
#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <array>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "geometry/dxf.h"

// Heap accounting for the memory figures: every allocation carries its size in
// a header so the current and the peak number of bytes in use are known.
namespace {
std::atomic<std::size_t> gHeapNow{0};
std::atomic<std::size_t> gHeapPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t size) {
  void* raw = std::malloc(size + kHeader);
  if (!raw) throw std::bad_alloc();
  *static_cast<std::size_t*>(raw) = size;
  const std::size_t now = gHeapNow.fetch_add(size) + size;
  std::size_t peak = gHeapPeak.load();
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(raw) + kHeader;
}

void CountedFree(void* p) {
  if (!p) return;
  void* raw = static_cast<char*>(p) - kHeader;
  gHeapNow.fetch_sub(*static_cast<std::size_t*>(raw));
  std::free(raw);
}
}  // namespace

void* operator new(std::size_t size) {
  return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
  return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
  CountedFree(p);
}
void operator delete[](void* p) noexcept {
  CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
  CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  CountedFree(p);
}

namespace {

// The drawing: closed polylines of 24 vertices with bulges of both signs,
// circles and lines, as a CAD program writes them (R2000 entity layout).
constexpr int kPolylines = 30'000;
constexpr int kVerticesPerPolyline = 24;
constexpr int kCircles = 75'000;
constexpr int kLines = 30'000;

void Num(std::string& out, double v) {
  std::array<char, 32> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, 6);
  out.append(buf.data(), r.ptr);
  out += '\n';
}

void Group(std::string& out, const char* code, const char* value) {
  out += code;
  out += '\n';
  out += value;
  out += '\n';
}

std::string MakeDrawing() {
  std::string s;
  Group(s, "  0", "SECTION");
  Group(s, "  2", "HEADER");
  Group(s, "  9", "$ACADVER");
  Group(s, "  1", "AC1015");
  Group(s, "  0", "ENDSEC");
  Group(s, "  0", "SECTION");
  Group(s, "  2", "ENTITIES");
  unsigned handle = 0x100;
  auto head = [&](const char* name, const char* subclass) {
    Group(s, "  0", name);
    char h[16];
    std::snprintf(h, sizeof h, "%X", handle++);
    Group(s, "  5", h);
    Group(s, "330", "1F");
    Group(s, "100", "AcDbEntity");
    Group(s, "  8", "Outer Contour");
    Group(s, "100", subclass);
  };
  for (int i = 0; i < kPolylines; ++i) {
    head("LWPOLYLINE", "AcDbPolyline");
    Group(s, " 90", std::to_string(kVerticesPerPolyline).c_str());
    Group(s, " 70", "1");
    const double ox = (i % 300) * 40.0 + 0.123456;
    const double oy = (i / 300) * 40.0 - 0.654321;
    for (int v = 0; v < kVerticesPerPolyline; ++v) {
      s += " 10\n";
      Num(s, ox + v * 1.5);
      s += " 20\n";
      Num(s, oy + (v % 2) * 2.25);
      if (v % 3 != 0) {
        s += " 42\n";
        Num(s, (v % 2 ? 0.414214 : -0.25));
      }
    }
  }
  for (int i = 0; i < kCircles; ++i) {
    head("CIRCLE", "AcDbCircle");
    s += " 10\n";
    Num(s, (i % 500) * 12.5 + 0.001);
    s += " 20\n";
    Num(s, (i / 500) * 12.5 - 0.002);
    s += " 30\n0.0\n 40\n";
    Num(s, 3.175);
  }
  for (int i = 0; i < kLines; ++i) {
    head("LINE", "AcDbLine");
    s += " 10\n";
    Num(s, i * 0.5);
    s += " 20\n";
    Num(s, -i * 0.25);
    s += " 30\n0.0\n 11\n";
    Num(s, i * 0.5 + 10);
    s += " 21\n";
    Num(s, -i * 0.25 + 5);
    s += " 31\n0.0\n";
  }
  Group(s, "  0", "ENDSEC");
  Group(s, "  0", "EOF");
  return s;
}

struct Drawing {
  std::string path;
  std::string text;
};

const Drawing& TheDrawing() {
  static const Drawing d = [] {
    Drawing out;
    out.text = MakeDrawing();
    out.path = (std::filesystem::temp_directory_path() / "kelvora_dxf_bench.dxf").string();
    std::ofstream f(out.path, std::ios::binary | std::ios::trunc);
    f.write(out.text.data(), static_cast<std::streamsize>(out.text.size()));
    return out;
  }();
  return d;
}

// The reference keeps what CDxf keeps, so both do the same work.
class Collector : public DL_CreationAdapter {
 public:
  struct Poly {
    std::vector<double> x, y, b;
    int flags = 0;
  };
  void addLine(const DL_LineData& d) override { lines.push_back(d); }
  void addCircle(const DL_CircleData& d) override { circles.push_back(d); }
  void addArc(const DL_ArcData& d) override { arcs.push_back(d); }
  void addPolyline(const DL_PolylineData& d) override {
    polys.emplace_back();
    polys.back().flags = d.flags;
  }
  void addVertex(const DL_VertexData& d) override {
    if (polys.empty()) return;
    polys.back().x.push_back(d.x);
    polys.back().y.push_back(d.y);
    polys.back().b.push_back(d.bulge);
  }
  std::vector<DL_LineData> lines;
  std::vector<DL_CircleData> circles;
  std::vector<DL_ArcData> arcs;
  std::vector<Poly> polys;
};

void BM_CDxf_LoadFile(benchmark::State& state) {
  const Drawing& d = TheDrawing();
  for (auto _ : state) {
    kelvora::geometry::CDxf dxf;
    if (!dxf.LoadFile(d.path)) state.SkipWithError("LoadFile failed");
    benchmark::DoNotOptimize(dxf.GetLwPolyLineCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.text.size()));
}

void BM_CDxf_LoadText(benchmark::State& state) {
  const Drawing& d = TheDrawing();
  for (auto _ : state) {
    kelvora::geometry::CDxf dxf;
    dxf.LoadText(d.text);
    benchmark::DoNotOptimize(dxf.GetLwPolyLineCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.text.size()));
}

void BM_Dxflib_In(benchmark::State& state) {
  const Drawing& d = TheDrawing();
  for (auto _ : state) {
    Collector c;
    DL_Dxf dxf;
    if (!dxf.in(d.path, &c)) state.SkipWithError("dxflib in() failed");
    benchmark::DoNotOptimize(c.polys.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.text.size()));
}

BENCHMARK(BM_CDxf_LoadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CDxf_LoadText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dxflib_In)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints every run as the console does and keeps each benchmark's MB/s by wall
// time and by CPU time (mean of its iteration runs) for the ratio. On a busy
// machine the CPU figures are the steadier ones.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    const double mb = static_cast<double>(TheDrawing().text.size()) / 1e6;
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
      const double iterations = static_cast<double>(r.iterations);
      Rates& rates = rates_[r.run_name.function_name];
      rates.wall += mb / (r.real_accumulated_time / iterations);
      rates.cpu += mb / (r.cpu_accumulated_time / iterations);
      ++rates.runs;
    }
  }
  double Wall(const std::string& name) const {
    const auto it = rates_.find(name);
    return it == rates_.end() ? 0.0 : it->second.wall / it->second.runs;
  }
  double Cpu(const std::string& name) const {
    const auto it = rates_.find(name);
    return it == rates_.end() ? 0.0 : it->second.cpu / it->second.runs;
  }

 private:
  struct Rates {
    double wall = 0, cpu = 0;
    int runs = 0;
  };
  std::map<std::string, Rates> rates_;
};

// Peak heap while `load` runs, above what was in use before it.
template <typename F>
std::size_t PeakDuring(F load) {
  const std::size_t before = gHeapNow.load();
  gHeapPeak.store(before);
  load();
  return gHeapPeak.load() - before;
}

void PrintMemory() {
  const Drawing& d = TheDrawing();
  const double file = static_cast<double>(d.text.size());
  std::size_t recordBytes = 0;
  const std::size_t parsePeak = PeakDuring([&] {
    kelvora::geometry::CDxf dxf;
    dxf.LoadText(d.text);
    recordBytes = dxf.RecordBytes();
  });
  const std::size_t loadPeak = PeakDuring([&] {
    kelvora::geometry::CDxf dxf;
    dxf.LoadFile(d.path);
  });
  const std::size_t refPeak = PeakDuring([&] {
    Collector c;
    DL_Dxf dxf;
    dxf.in(d.path, &c);
  });
  std::printf("\nDrawing: %.1f MB, %d polylines of %d vertices, %d circles, %d lines\n", file / 1e6,
              kPolylines, kVerticesPerPolyline, kCircles, kLines);
  std::printf("CDxf records after the load:      %8.1f MB (%.2f x file)\n", recordBytes / 1e6,
              recordBytes / file);
  std::printf("CDxf peak while parsing (records): %8.1f MB (%.2f x file)\n", parsePeak / 1e6,
              parsePeak / file);
  std::printf("CDxf peak of LoadFile (+ file):    %8.1f MB (%.2f x file)\n", loadPeak / 1e6,
              loadPeak / file);
  std::printf("dxflib peak of in() (collected):   %8.1f MB (%.2f x file)\n", refPeak / 1e6,
              refPeak / file);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nThroughput (MB/s)        wall time   CPU time\n");
  for (const char* name : {"BM_CDxf_LoadFile", "BM_CDxf_LoadText", "BM_Dxflib_In"}) {
    std::printf("  %-22s %9.1f  %9.1f\n", name, reporter.Wall(name), reporter.Cpu(name));
  }
  const double wallRef = reporter.Wall("BM_Dxflib_In");
  const double cpuRef = reporter.Cpu("BM_Dxflib_In");
  if (wallRef > 0 && cpuRef > 0) {
    std::printf("Ratio CDxf LoadFile / dxflib: %.1f (wall time), %.1f (CPU time)\n",
                reporter.Wall("BM_CDxf_LoadFile") / wallRef,
                reporter.Cpu("BM_CDxf_LoadFile") / cpuRef);
  }
  PrintMemory();
  std::filesystem::remove(TheDrawing().path);
  benchmark::Shutdown();
  return 0;
}
