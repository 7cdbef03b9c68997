// The router tab's drawing and contour options under the fuzzers: the outline
// reader with every outline choice, and the contour plan with every contour
// option over contours made from the input's bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "generators/contour_options.h"
#include "generators/dxf_contour.h"
#include "generators/limits.h"
#include "geometry/dxf.h"
#include "geometry/dxf_outlines.h"
#include "harness.h"
#include "motion/report.h"
#include "program_check.h"
#include "settings/settings_keys.h"
#include "settings/stated_depth.h"

namespace kelvora::fuzz {
namespace {

using Texts = std::map<std::string, std::string, std::less<>>;

// Reads the NUL-ended texts of `keys` from the front of `data` (a key whose
// text is not there keeps its empty text, the reader's default) and returns
// what follows the last of them.
template <std::size_t N>
std::string_view TakeTexts(std::string_view data, const std::string_view (&keys)[N], Texts& texts) {
  for (std::string_view key : keys) {
    const std::size_t end = data.find('\0');
    if (end == std::string_view::npos) return {};
    texts[std::string(key)] = ChosenText(key, data.substr(0, end));
    data.remove_prefix(end + 1);
  }
  return data;
}

generators::TextLookup LookupOf(const Texts& texts) {
  return [&texts](std::string_view key) {
    const auto it = texts.find(key);
    if (it != texts.end()) return it->second;
    const settings::SettingsKey* row = settings::FindSettingsKey(key);
    return row ? std::string(row->defaultText) : std::string();
  };
}

bool Finite(const geometry::CPolyLine& p) {
  for (std::uint32_t i = 0; i < p.m_VertexCount; ++i) {
    if (!std::isfinite(p.x[i]) || !std::isfinite(p.y[i]) || !std::isfinite(p.b[i])) return false;
  }
  return true;
}

Verdict CheckPolyLines(const geometry::DrawList& list, std::string_view what) {
  for (const auto& obj : list) {
    const auto* p = dynamic_cast<const geometry::CPolyLine*>(obj.get());
    if (!p) continue;
    if (p->x.size() != p->m_VertexCount || p->y.size() != p->m_VertexCount ||
        p->b.size() != p->m_VertexCount) {
      return std::string(what) + "'s vertex arrays do not match its vertex count";
    }
    if (!Finite(*p)) return std::string(what) + " with a number that is not finite";
  }
  return std::nullopt;
}

Verdict CheckNotes(const std::vector<std::string>& notes) {
  for (const std::string& note : notes) {
    if (note.empty()) return "an empty note";
  }
  return std::nullopt;
}

// The vertex counts of the contours, in order of size: the same set whatever
// order they are cut in.
std::vector<std::uint32_t> VertexCounts(const geometry::DrawList& list) {
  std::vector<std::uint32_t> counts;
  for (const auto& obj : list) {
    counts.push_back(static_cast<const geometry::CPolyLine&>(*obj).m_VertexCount);
  }
  std::sort(counts.begin(), counts.end());
  return counts;
}

// Whether the radii of an arc end off its circle ("R12.625/R12.626", as the
// report writes them to 0.001) differ by no more than the host refuses
// (0.005 mm, less the 0.001 the two written radii may hide). The plan writes
// every number to 0.001, so an arc's start, end and centre may each sit
// 0.0005 from where the plan had them: the report's 0.001 mm is below what
// such numbers can hold, and an end up to about 0.0014 off is the writing's,
// not the plan's.
bool WithinWrittenPrecision(std::string_view detail) {
  const std::size_t slash = detail.find('/');
  if (detail.size() < 4 || detail[0] != 'R' || slash == std::string_view::npos ||
      slash + 1 >= detail.size() || detail[slash + 1] != 'R') {
    return false;
  }
  const std::string first(detail.substr(1, slash - 1));
  const std::string second(detail.substr(slash + 2));
  char* end = nullptr;
  const double a = std::strtod(first.c_str(), &end);
  if (*end) return false;
  const double b = std::strtod(second.c_str(), &end);
  if (*end) return false;
  return std::fabs(a - b) <= 0.004;
}

constexpr std::string_view kOutlineKeys[] = {"DxfOutlines", "DxfJoinTol", "DxfChordTol",
                                             "DxfLayers", "DxfOrder"};

}  // namespace

Verdict FuzzOutlines(std::string_view data) {
  Texts texts;
  const std::string_view drawing = TakeTexts(data, kOutlineKeys, texts);
  const auto options = generators::ReadOutlineOptions(LookupOf(texts));
  if (!options) {
    if (options.failure().message.empty()) return "outline options refused without a message";
    return std::nullopt;
  }
  geometry::CDxf dxf;
  dxf.LoadText(drawing);
  const geometry::Outlines outlines = geometry::OutlinesOf(dxf, *options);
  if (auto v = CheckPolyLines(outlines.contours, "an outline")) return v;
  if (auto v = CheckNotes(outlines.notes)) return "outlines: " + *v;
  for (const auto& obj : outlines.contours) {
    if (!dynamic_cast<const geometry::CPolyLine*>(obj.get())) return "an outline is no polyline";
  }
  // The order only orders: the other order gives the same contours.
  geometry::OutlineOptions other = *options;
  other.order = other.order == geometry::ContourOrder::kAsRead ? geometry::ContourOrder::kShortest
                                                               : geometry::ContourOrder::kAsRead;
  const geometry::Outlines reordered = geometry::OutlinesOf(dxf, other);
  if (VertexCounts(reordered.contours) != VertexCounts(outlines.contours))
    return "the order changed which contours the drawing gives";
  return std::nullopt;
}

Verdict FuzzContourPlan(std::string_view data) {
  Texts texts;
  std::string_view rest = TakeTexts(data, kContourPlanKeys, texts);
  const generators::TextLookup lookup = LookupOf(texts);
  const auto machining = generators::ReadDxfMachiningInputs(lookup);
  if (!machining) return std::nullopt;
  const auto options = generators::ReadContourOptions(lookup, *machining);
  if (!options) {
    if (options.failure().message.empty()) return "contour options refused without a message";
    return std::nullopt;
  }

  geometry::DrawList contours;
  geometry::CPolyLine* open = nullptr;
  while (rest.size() >= 6) {
    std::int16_t x, y;
    std::memcpy(&x, rest.data(), 2);
    std::memcpy(&y, rest.data() + 2, 2);
    const auto bulge = static_cast<std::int8_t>(rest[4]);
    const auto flags = static_cast<unsigned char>(rest[5]);
    rest.remove_prefix(6);
    if (!open) {
      auto p = std::make_unique<geometry::CPolyLine>();
      open = p.get();
      contours.push_back(std::move(p));
    }
    open->x.push_back(x / 16.0);
    open->y.push_back(y / 16.0);
    open->b.push_back(bulge / 64.0);
    ++open->m_VertexCount;
    if (flags & 1) {
      if (flags & 2) open->m_PolyLineFlag = geometry::kPolyLineClosed;
      open = nullptr;
    }
  }

  if (auto refused = generators::CheckDxfContours(contours, *machining)) {
    if (refused->message.empty()) return "contours refused without a message";
    return std::nullopt;
  }
  std::vector<std::string> notes;
  const auto program = generators::DxfGcodeGen(contours, *machining, *options, &notes);
  if (!program) {
    if (program.failure().message.empty()) return "the plan was refused without a message";
    return std::nullopt;
  }
  if (auto v = CheckNotes(notes)) return "plan: " + *v;
  ProgramRules rules;
  rules.maxLines = generators::GetLimit(generators::LimitId::kProgramLines).max;
  if (auto v = CheckProgram(*program, rules)) return v;
  if (auto v = CheckProgramReads(*program)) return v;

  const auto paths = generators::ContourToolPaths(contours, *machining, *options);
  if (!paths) return "the preview's tool paths were refused where the program was not";
  if (auto v = CheckPolyLines(*paths, "a tool path")) return v;

  // The plan's program as the pre-flight report sees it: it goes no deeper
  // than the depth asked, never rapids into the stock, feeds every cut and
  // writes arcs that end on their circles.
  const std::string bytes = *program + "\r\n";
  motion::Machine machine;
  const motion::Report report = motion::CheckProgram(
      bytes, machine, settings::JobCheckOptions(settings::JobInputs::kContour, lookup));
  for (const motion::Finding& f : report.findings) {
    switch (f.kind) {
      case motion::FindingKind::kArcEndOffCircle:
        if (WithinWrittenPrecision(f.detail)) break;
        [[fallthrough]];
      case motion::FindingKind::kBelowDepth:
      case motion::FindingKind::kRapidInStock:
      case motion::FindingKind::kNoFeed:
      case motion::FindingKind::kBadArc:
        return "the report finds \"" + f.detail + "\" on line " + std::to_string(f.line) +
               " (finding " + std::to_string(static_cast<int>(f.kind)) + ")";
      default:
        break;
    }
  }
  if (!std::isfinite(report.seconds) || !std::isfinite(report.plainSeconds))
    return "the plan's run time is not finite";
  return std::nullopt;
}

}  // namespace kelvora::fuzz
