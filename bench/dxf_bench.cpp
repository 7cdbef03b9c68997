// Reading a large drawing: CDxf against dxflib in the same run, throughput of
// each and their ratio, and the peak memory of CDxf's records against the file
// size; then the whole dxf job (the drawing read once, the contour program, and
// with its preview) against dxflib's read of the same drawing.
//
//   build/release/bench/kelvora_dxf_bench [--benchmark_repetitions=N ...]
//   build/release/bench/kelvora_dxf_bench --write-drawing=PATH   (the drawing only)
#include <benchmark/benchmark.h>
#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/dxf_contour.h"
#include "geometry/draw_all.h"
#include "geometry/dxf.h"
#include "geometry/svg.h"
#include "heap_count.h"
#include "ratio_reporter.h"

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

// The dxf job with the router tab's defaults (one layer at depth 0), as
// `kelvora dxf --dxf FILE` runs it: the program, followed by the end script.
kelvora::generators::TextLookup JobTexts() {
  return [](std::string_view key) -> std::string {
    if (key == "DxfEnSpin") return "True";
    if (key == "DxfEnSpOp") return "False";
    if (key == "DxfEndScript") return "M30";
    if (key == "DxfSpOpStr" || key == "DxfSpOpStrOff") return "";
    if (key == "DxfFeedrate" || key == "DxfPlugFeed") return "100";
    if (key == "DxfSpinSpeed") return "10000";
    return key == "DxfRetract" || key == "DxfZsafe" ? "1" : "0";
  };
}

std::string DxfJobProgram() {
  auto program = kelvora::generators::DxfJob(JobTexts(), TheDrawing().path);
  return program ? std::move(*program) : std::string();
}

struct JobWithPreview {
  std::string program;
  std::string svg;
};
JobWithPreview DxfJobWithPreview() {
  std::optional<kelvora::geometry::Picture> picture;
  auto program = kelvora::generators::DxfJob(
      JobTexts(), TheDrawing().path, [&](const kelvora::geometry::DrawList& drawing) {
        picture = kelvora::geometry::DrawAll::DrawListPLine(drawing, {}, 1);
      });
  JobWithPreview out;
  if (!program || !picture) return out;
  out.program = std::move(*program);
  out.svg = kelvora::geometry::PictureToSvg(*picture);
  return out;
}

void BM_DxfJob(benchmark::State& state) {
  for (auto _ : state) {
    const std::string program = DxfJobProgram();
    if (program.empty()) state.SkipWithError("the dxf job failed");
    benchmark::DoNotOptimize(program.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheDrawing().text.size()));
}

void BM_DxfJobWithPreview(benchmark::State& state) {
  for (auto _ : state) {
    const JobWithPreview job = DxfJobWithPreview();
    if (job.svg.empty()) state.SkipWithError("the dxf job failed");
    benchmark::DoNotOptimize(job.svg.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheDrawing().text.size()));
}

BENCHMARK(BM_CDxf_LoadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CDxf_LoadText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dxflib_In)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DxfJob)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DxfJobWithPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

using kelvora::bench::PeakDuring;

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
  std::size_t programBytes = 0;
  const std::size_t jobPeak = PeakDuring([&] { programBytes = DxfJobProgram().size(); });
  std::size_t svgBytes = 0;
  const std::size_t previewPeak = PeakDuring([&] { svgBytes = DxfJobWithPreview().svg.size(); });
  const double program = static_cast<double>(programBytes);
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
  std::printf("dxf job, program %.1f MB: peak     %8.1f MB (%.2f x (drawing + program))\n",
              program / 1e6, jobPeak / 1e6, jobPeak / (file + program));
  std::printf("dxf job with its %.1f MB SVG: peak  %8.1f MB (%.2f x (drawing + program + SVG))\n",
              svgBytes / 1e6, previewPeak / 1e6,
              previewPeak / (file + program + static_cast<double>(svgBytes)));
}

}  // namespace

int main(int argc, char** argv) {
  // --write-drawing=PATH writes the drawing for the command line and ends.
  constexpr std::string_view kWrite = "--write-drawing=";
  if (argc == 2 && std::string_view(argv[1]).starts_with(kWrite)) {
    std::ofstream f(argv[1] + kWrite.size(), std::ios::binary | std::ios::trunc);
    const std::string drawing = MakeDrawing();
    f.write(drawing.data(), static_cast<std::streamsize>(drawing.size()));
    return f ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kelvora::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double mb = static_cast<double>(TheDrawing().text.size()) / 1e6;
  std::printf("\nMB of drawing per second     wall time   CPU time\n");
  for (const char* name : {"BM_CDxf_LoadFile", "BM_CDxf_LoadText", "BM_Dxflib_In", "BM_DxfJob",
                           "BM_DxfJobWithPreview"}) {
    if (reporter.Wall(name) == 0) continue;
    std::printf("  %-22s %9.1f  %9.1f\n", name, mb / reporter.Wall(name), mb / reporter.Cpu(name));
  }
  for (const char* name : {"BM_CDxf_LoadFile", "BM_DxfJob", "BM_DxfJobWithPreview"}) {
    if (reporter.Wall(name) == 0 || reporter.Wall("BM_Dxflib_In") == 0) continue;
    std::printf("Ratio %s / dxflib: %.1f (wall time), %.1f (CPU time)\n", name,
                reporter.Wall("BM_Dxflib_In") / reporter.Wall(name),
                reporter.Cpu("BM_Dxflib_In") / reporter.Cpu(name));
  }
  PrintMemory();
  std::filesystem::remove(TheDrawing().path);
  benchmark::Shutdown();
  return 0;
}
