#include "harness.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "cli.h"
#include "generators/cut_lists.h"
#include "generators/limits.h"
#include "generators/point_list.h"
#include "generators/teach.h"
#include "geometry/draw_all.h"
#include "geometry/dxf.h"
#include "geometry/dxf_outlines.h"
#include "geometry/dxf_wrapper.h"
#include "geometry/svg.h"
#include "motion/report.h"
#include "program_check.h"
#include "scratch_file.h"
#include "settings/control_output.h"
#include "settings/settings_keys.h"
#include "settings/settings_profile.h"
#include "settings/stated_depth.h"
#include "settings/xml_net_profile.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::fuzz {
namespace {

using text::NumberFormat;

constexpr NumberFormat kAllFormats[] = {
    NumberFormat::kMax3, NumberFormat::kFixed3, NumberFormat::kFixed1,
    NumberFormat::kMax1, NumberFormat::kMax2,   NumberFormat::kWhole,
    NumberFormat::kF1,   NumberFormat::kF2,     NumberFormat::kF3,
};

// Put together by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on a
// literal added in front of a temporary string.
std::string Quoted(std::string_view s) {
  std::string quoted(1, '"');
  quoted.append(s.substr(0, 120)).append(1, '"');
  return quoted;
}

// ---- DXF ---------------------------------------------------------------------

Verdict CheckRecords(const geometry::CDxf& dxf) {
  for (const geometry::dCPolyLine& p : dxf.PolyLines()) {
    if (p.x.size() != p.m_VertexCount || p.y.size() != p.m_VertexCount ||
        p.b.size() != p.m_VertexCount) {
      return "a polyline's vertex arrays do not match its vertex count";
    }
  }
  for (const geometry::dCSpline& s : dxf.Splines()) {
    if (s.x.size() != s.m_FitPointCount || s.y.size() != s.m_FitPointCount) {
      return "a spline's fit-point arrays do not match its count";
    }
  }
  return std::nullopt;
}

Verdict CheckSvg(const std::string& svg) {
  if (svg.find("NaN") != std::string::npos || svg.find("Infinity") != std::string::npos) {
    return "the preview holds a number that is not finite";
  }
  return std::nullopt;
}

}  // namespace

Verdict FuzzDxf(std::string_view data) {
  geometry::CDxf inMemory;
  inMemory.LoadText(data);
  if (auto v = CheckRecords(inMemory)) return v;
  const bool sound = inMemory.GetProblem().empty();

  // Every outline entity, blocks placed and curves followed: contours whose
  // arrays agree with their counts, and notes that say something.
  geometry::OutlineOptions everything;
  everything.source = geometry::OutlineSource::kAllEntities;
  everything.order = geometry::ContourOrder::kShortest;
  const geometry::Outlines outlines = geometry::OutlinesOf(inMemory, everything);
  for (const auto& obj : outlines.contours) {
    const auto& p = static_cast<const geometry::CPolyLine&>(*obj);
    if (p.x.size() != p.m_VertexCount || p.y.size() != p.m_VertexCount ||
        p.b.size() != p.m_VertexCount) {
      return "an outline's vertex arrays do not match its vertex count";
    }
  }
  for (const std::string& note : outlines.notes) {
    if (note.empty()) return "an outline note is empty";
  }

  // The import reads the file the bytes were written to: it must see the same
  // drawing, refuse only a damaged one, and say why.
  const std::string path = WriteScratchFile("drawing.dxf", data);
  auto contours = geometry::DxfObjGen(path);
  if (contours) {
    if (!sound) return "a damaged drawing was imported: " + inMemory.GetProblem();
    if (contours->size() != inMemory.GetLwPolyLineCount()) return "the import lost polylines";
    const geometry::PreviewBox box;
    const geometry::Picture picture = geometry::DrawAll::DrawListPLine(*contours, box, 1);
    if (auto v = CheckSvg(geometry::PictureToSvg(picture))) return v;
  } else {
    if (contours.failure().message.empty()) return "a drawing was refused without a message";
    if (sound) return "a sound drawing was refused: " + contours.failure().detail;
  }

  // The point list's import reads the same file again; only a drawing with
  // circles gives it anything new to do.
  if (inMemory.GetCircleCount() == 0) return std::nullopt;
  auto points = generators::LoadDxfPoints(path);
  if (points) {
    if (points->rows.size() != inMemory.GetCircleCount()) return "the import lost circles";
    for (const generators::PointRow& row : points->rows) {
      if (!IsPlainNumber(row.x) || !IsPlainNumber(row.y)) {
        return "a circle centre is shown as " + Quoted(row.x) + ", " + Quoted(row.y);
      }
    }
  } else if (points.failure().message.empty()) {
    return "the circle centres were refused without a message";
  }
  return std::nullopt;
}

// ---- List files ---------------------------------------------------------------

namespace {

// A list that lost lines on reading is sound when a message said so.
Verdict LostLines(const generators::LineReport& report) {
  if (report.Messages().empty()) return "lines were lost without a message";
  return std::nullopt;
}

// A list saved and read again (`again`) must read back whole and the same.
template <typename Content, typename Same>
Verdict ReadsBack(const Content& again, std::string_view what, Same same) {
  if (!again.report.clean()) return "a saved " + std::string(what) + " does not read back whole";
  if (!same(again)) return "a saved " + std::string(what) + " reads back different";
  return std::nullopt;
}

}  // namespace

Verdict FuzzPointsCsv(std::string_view data) {
  const generators::PointFile file = generators::ParsePointFile(data);
  if (!file.report.clean()) return LostLines(file.report);
  // Save, then Open: the same rows.
  return ReadsBack(generators::ParsePointFile(generators::PointFileText(file.rows)), "point list",
                   [&](const generators::PointFile& again) { return again.rows == file.rows; });
}

Verdict FuzzCutsCsv(std::string_view data) {
  const generators::CutCsvContent list = generators::ReadCutCsv(data);
  if (!list.report.clean()) return LostLines(list.report);
  if (list.rows.empty()) return std::nullopt;
  if (!list.start || !list.end) return "a list with rows has no start or end";
  const auto kind = generators::CutListKindFromHeader(data.substr(0, data.find('\n')))
                        .value_or(generators::CutListKind::kHorizontal);
  return ReadsBack(
      generators::ReadCutCsv(generators::WriteCutCsv(kind, list.rows, *list.start, *list.end)),
      "cut list", [&](const generators::CutCsvContent& again) {
        return again.rows == list.rows && again.start == list.start && again.end == list.end;
      });
}

Verdict FuzzTeachCsv(std::string_view data) {
  generators::TeachDefinitions definitions{};
  const generators::TeachOpLists lists = generators::updateTchGrid(definitions);
  const generators::TeachCsvContent table = generators::LoadTchCsv(data, lists);
  if (!table.report.clean()) return LostLines(table.report);
  return ReadsBack(
      generators::LoadTchCsv(generators::WriteTchCsv(table.rows, lists), lists), "teach table",
      [&](const generators::TeachCsvContent& again) { return again.rows == table.rows; });
}

// ---- Profile ------------------------------------------------------------------

namespace {

// The stored form of every value: doubles as the profile writes them (15
// significant digits), so a value and its stored copy compare equal.
std::string StoredForm(const settings::Settings::Value& v) {
  if (const bool* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (const int* i = std::get_if<int>(&v)) return settings::ProfileIntText(*i);
  if (const double* d = std::get_if<double>(&v)) return settings::ProfileDoubleText(*d);
  return std::get<std::string>(v);
}

Verdict SameSettings(const settings::Settings& a, const settings::Settings& b) {
  for (const settings::SettingsKey& k : settings::SettingsKeys()) {
    if (k.key == "Dlg") continue;
    const std::string x = StoredForm(a.Get(k.key));
    const std::string y = StoredForm(b.Get(k.key));
    if (x != y) {
      return Quoted(k.key)
          .append(" was ")
          .append(Quoted(x))
          .append(" and reads back as ")
          .append(Quoted(y));
    }
  }
  return std::nullopt;
}

}  // namespace

Verdict FuzzProfile(std::string_view data) {
  const std::string path = WriteScratchFile("profile.xml", data);
  const settings::MessageSink quiet = [](std::string_view, std::string_view) {};

  settings::SettingsStartUp(path, quiet);
  const settings::FirstOpeningRead first = settings::SettingsFirstOpening(path, quiet);
  if (first.failure) {
    // Nothing may be written over a profile that does not load.
    std::string now;
    if (!ReadScratchFile(path, now) || now != data)
      return "a profile that did not load was changed";
    return std::nullopt;
  }

  settings::ShutdownState state;
  state.dialogExists = true;
  state.dialogVisible = true;
  state.settings = &first.settings;
  if (!settings::SettingsShutdown(path, state, quiet)) return "a profile that loaded was not saved";
  std::string saved;
  if (!ReadScratchFile(path, saved)) return "the saved profile cannot be read";

  const settings::FirstOpeningRead second = settings::SettingsFirstOpening(path, quiet);
  if (second.failure) return "the saved profile does not load: " + *second.failure;
  if (auto v = SameSettings(first.settings, second.settings)) return v;

  // Saving what was read back changes nothing more.
  state.settings = &second.settings;
  if (!settings::SettingsShutdown(path, state, quiet))
    return "the saved profile was not saved again";
  std::string savedAgain;
  if (!ReadScratchFile(path, savedAgain)) return "the profile saved twice cannot be read";
  if (savedAgain != saved) return "saving the saved profile again changed it";
  return std::nullopt;
}

// ---- Numbers ------------------------------------------------------------------

namespace {

Verdict CheckFormatted(double value) {
  for (NumberFormat f : kAllFormats) {
    const std::string s = text::FormatNumber(value, f);
    if (!IsPlainNumber(s)) {
      return std::string(text::PatternText(f)) + " wrote " + Quoted(s);
    }
    const auto back = text::ParseDouble(s);
    if (!back) return std::string(text::PatternText(f)) + " wrote " + Quoted(s) + ", unreadable";
    const std::string again = text::FormatNumber(*back, f);
    if (again != s) {
      return std::string(text::PatternText(f)) + " wrote " + Quoted(s) + ", then " + Quoted(again);
    }
  }
  const std::string stored = settings::ProfileDoubleText(value);
  const auto storedBack = text::ParseDouble(stored);
  if (!storedBack) return "the profile form " + Quoted(stored) + " does not read back";
  if (settings::ProfileDoubleText(*storedBack) != stored) {
    return "the profile form " + Quoted(stored) + " is not stable";
  }
  return std::nullopt;
}

}  // namespace

Verdict FuzzNumbers(std::string_view data) {
  if (const auto value = text::ParseDouble(data)) {
    if (!std::isfinite(*value)) return "a text read as a number that is not finite";
    if (auto v = CheckFormatted(*value)) return "from " + Quoted(data) + ": " + *v;
  }
  // Every finite double, as its bits, whatever text would give it.
  if (data.size() >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data.data(), sizeof raw);
    if (std::isfinite(raw)) {
      if (auto v = CheckFormatted(raw)) return *v;
    }
  }
  if (const auto i = text::ParseInt32(data)) {
    if (text::ParseInt32(std::to_string(*i)) != i) return "a whole number does not read back";
  }
  if (const auto i = text::ParseInt16(data)) {
    if (text::ParseInt16(std::to_string(*i)) != i) return "a 16-bit number does not read back";
  }
  geometry::DxfToDouble(data);
  geometry::DxfToInt(data);
  return std::nullopt;
}

// ---- Jobs ---------------------------------------------------------------------

namespace {

const cli::Job* FindJob(std::string_view name) {
  for (const cli::Job& j : cli::Jobs()) {
    if (j.name == name) return &j;
  }
  return nullptr;
}

std::string DefaultText(const cli::JobKey& k) {
  if (k.ownDefault) return std::string(*k.ownDefault);
  static const settings::Settings defaults;
  if (!settings::FindSettingsKey(k.key)) return {};
  return defaults.ControlText(k.key);
}

using Texts = std::map<std::string, std::string, std::less<>>;

}  // namespace

std::string ChosenText(std::string_view key, std::string_view text, bool ownBool) {
  if (text.size() != 1) return std::string(text);
  const auto pick = static_cast<unsigned char>(text[0]);
  const settings::SettingsKey* row = settings::FindSettingsKey(key);
  if (row && !row->choices.empty()) return std::string(row->choices[pick % row->choices.size()]);
  if (ownBool || (row && row->type == settings::KeyType::kBool)) return pick % 2 ? "True" : "False";
  return std::string(text);
}

namespace {

ProgramRules RulesFor(std::string_view job, const Texts& texts) {
  ProgramRules rules;
  rules.maxLines = generators::GetLimit(generators::LimitId::kProgramLines).max;
  auto add = [&](std::string_view key) {
    const auto it = texts.find(key);
    if (it != texts.end()) rules.userBlocks.push_back(it->second);
  };
  if (job == "circle") add("CirSpOpStr");
  if (job == "grid") add("GridSpOpStr");
  if (job == "points") {
    add("AnySpOpStr");
    add("AnyEndScript");
  }
  if (job == "dxf" || job == "cuts") {
    add("DxfSpOpStr");
    add("DxfSpOpStrOff");
    add("DxfEndScript");
  }
  if (job == "thread") {
    rules.threadLayout = true;
    rules.userBlocks.push_back("M3S" + texts.find("Spin")->second);
    for (std::string_view key : {"Xaxis", "Zaxis"}) {
      const std::string& t = texts.find(key)->second;
      if (t.size() != 1 || t[0] < 'A' || t[0] > 'Z') rules.letterTexts.push_back(t);
    }
  }
  return rules;
}

// Whether the program holds nothing the operator typed where words stand: no
// special operation or end script, and for the thread a spindle speed that is a
// number and two different axis letters of X, Y and Z (its A word is its own).
bool WithoutOperatorText(std::string_view job, const ProgramRules& rules, const Texts& texts) {
  if (job == "thread") {
    const std::string& spin = texts.find("Spin")->second;
    const std::string& x = texts.find("Xaxis")->second;
    const std::string& z = texts.find("Zaxis")->second;
    auto axis = [](const std::string& t) { return t == "X" || t == "Y" || t == "Z"; };
    return IsPlainNumber(spin) && axis(x) && axis(z) && x != z;
  }
  return std::all_of(rules.userBlocks.begin(), rules.userBlocks.end(),
                     [](const std::string& block) { return block.empty(); });
}

// The teach program is the operator's texts throughout; what is ours is its frame.
Verdict CheckTeachProgram(const std::string& program, const Texts& texts) {
  const std::string prefix = texts.find("TchPrefix")->second + "\r\n";
  const std::string suffix = texts.find("TchSurfix")->second + "\r\n";
  if (program.size() < prefix.size() + suffix.size() || program.compare(0, prefix.size(), prefix) ||
      program.compare(program.size() - suffix.size(), suffix.size(), suffix)) {
    return "the teach program is not framed by its prefix and suffix";
  }
  return std::nullopt;
}

Verdict CheckPointFile(const std::string& file) {
  const generators::PointFile read = generators::ParsePointFile(file + "\r\n");
  if (!read.report.clean()) return "the generated point file does not read back whole";
  for (const generators::PointRow& row : read.rows) {
    if (!IsPlainNumber(row.x) || !IsPlainNumber(row.y)) {
      return "a generated point is written " + Quoted(row.x) + ", " + Quoted(row.y);
    }
  }
  return std::nullopt;
}

std::string_view FileName(std::string_view job, std::string_view file) {
  if (job == "dxf") return "drawing.dxf";
  if (job == "points" && file.find("ENTITIES") != std::string_view::npos) return "points.dxf";
  return "list.csv";
}

}  // namespace

namespace {

// A job run on the texts and file decoded from the fuzzer's bytes.
struct JobRun {
  const cli::Job* job = nullptr;
  Texts texts;
  cli::JobOutput out;
  generators::TextLookup Lookup() const {
    return [this](std::string_view key) {
      const auto it = texts.find(key);
      return it == texts.end() ? std::string() : it->second;
    };
  }
};

void RunJob(const cli::Job& job, std::string_view data, JobRun& run) {
  run.job = &job;
  Texts& texts = run.texts;
  std::string_view rest = data;
  bool allGiven = true;
  for (const cli::JobKey& k : job.keys) {
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) {
      allGiven = false;
      texts[std::string(k.key)] = DefaultText(k);
      continue;
    }
    texts[std::string(k.key)] = ChosenText(k.key, rest.substr(0, end), k.ownBool);
    rest.remove_prefix(end + 1);
  }
  const std::string_view file = allGiven ? rest : std::string_view();
  // The thread tab's axis and spindle boxes hold one line each.
  if (job.name == "thread") {
    for (std::string_view key : {"Xaxis", "Zaxis", "Spin"}) {
      std::string& t = texts[std::string(key)];
      std::erase_if(t, [](char c) { return c == '\r' || c == '\n'; });
    }
  }

  cli::Request request;
  request.texts = run.Lookup();
  request.wantPreview = true;
  if (!job.files.empty()) {
    const std::string_view name = FileName(job.name, file);
    const std::string path = WriteScratchFile(name, file);
    // Where each kind of input file goes in the request.
    static constexpr std::pair<cli::FileOption, std::string cli::Request::*> kPaths[] = {
        {cli::FileOption::kDxf, &cli::Request::dxfPath},
        {cli::FileOption::kPoints, &cli::Request::pointsPath},
        {cli::FileOption::kCuts, &cli::Request::cutsPath},
        {cli::FileOption::kTeach, &cli::Request::teachPath},
    };
    const cli::FileOption option = name == "points.dxf" ? cli::FileOption::kDxf : job.files.front();
    for (const auto& [kind, member] : kPaths) {
      if (kind == option) request.*member = path;
    }
  }
  run.out = job.run(request);
}

}  // namespace

Verdict FuzzJob(std::string_view jobName, std::string_view data) {
  const cli::Job* job = FindJob(jobName);
  if (!job) return "no job " + std::string(jobName);
  JobRun run;
  RunJob(*job, data, run);
  const cli::JobOutput& out = run.out;
  const Texts& texts = run.texts;
  if (!out.program) {
    if (out.program.failure().message.empty()) return "refused without a message";
    return std::nullopt;
  }
  if (out.previewSvg) {
    if (auto v = CheckSvg(*out.previewSvg)) return v;
  }
  const std::string& program = *out.program;
  if (jobName == "autogrid") return CheckPointFile(program);
  if (jobName == "teach") return CheckTeachProgram(program, texts);
  const ProgramRules rules = RulesFor(jobName, texts);
  if (auto v = CheckProgram(program, rules)) return v;
  if (WithoutOperatorText(jobName, rules, texts)) return CheckProgramReads(program);
  return std::nullopt;
}

// ---- The pre-flight report of the jobs' programs ------------------------------

Verdict CheckReport(const motion::Report& report, std::string_view bytes) {
  if (report.lines != motion::CountProgramLines(bytes)) return "the report counts other lines";
  // The lengths are sums of finite moves: they pass the largest number only
  // when the program reaches far enough for its moves to add up to it. A time
  // is a length over a feed, and a tiny feed takes it past the largest number
  // too: an infinite time is the report's to word, a NaN or a negative one is
  // wrong.
  double reach = 0.0;
  for (int axis = 0; axis < 3; ++axis) {
    if (!report.extents.known[axis]) continue;
    reach = std::max(
        {reach, std::fabs(report.extents.minimum[axis]), std::fabs(report.extents.maximum[axis])});
  }
  const double most = 4.0 * reach * static_cast<double>(report.lines + 1);
  for (double v : {report.rapidLength, report.feedLength}) {
    if (std::isnan(v) || v < 0.0 ||
        (std::isinf(v) && std::isfinite(most) && most < std::numeric_limits<double>::max())) {
      return "a length that is negative or not finite";
    }
  }
  for (double v : {report.seconds, report.plainSeconds}) {
    if (std::isnan(v) || v < 0.0) return "a time that is negative or not a number";
  }
  if (report.findings.size() > motion::kMaxFindings)
    return "more findings kept than the report keeps";
  if (report.findingCount < report.findings.size() || report.noteCount > report.findingCount)
    return "the finding counts do not add up";
  std::uint64_t notes = 0;
  std::uint32_t last = 0;
  for (const motion::Finding& f : report.findings) {
    if (f.line == 0 || f.line > report.lines)
      return "a finding on line " + std::to_string(f.line) + " of " + std::to_string(report.lines);
    if (f.line < last) return "the findings are not in line order";
    last = f.line;
    if (motion::IsNote(f.kind)) ++notes;
  }
  if (notes > report.noteCount) return "more notes kept than counted";
  for (int axis = 0; axis < motion::kAxisCount; ++axis) {
    if (!report.extents.known[axis]) continue;
    const double low = report.extents.minimum[axis];
    const double high = report.extents.maximum[axis];
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
      return "an axis's extent is not a finite range";
  }
  return std::nullopt;
}

Verdict FuzzJobReport(std::string_view data) {
  // The first byte chooses the job, the control and the dwell unit; the rest is
  // the job's input as its own target reads it.
  static const char* const kJobs[] = {"circle", "grid",   "surface", "dxf",
                                      "points", "thread", "cuts",    "teach"};
  if (data.empty()) return std::nullopt;
  const auto pick = static_cast<unsigned char>(data[0]);
  const std::string_view jobName = kJobs[pick % 8];
  const cli::Job* job = FindJob(jobName);
  if (!job) return "no job " + std::string(jobName);
  motion::Machine machine;
  machine.dialect = text::kDialects[(pick / 8) % std::size(text::kDialects)].dialect;
  machine.dwellMilliseconds = (pick & 32) != 0;
  machine.hasA = (pick & 64) == 0;

  JobRun run;
  RunJob(*job, data.substr(1), run);
  if (!run.out.program) return std::nullopt;
  const generators::TextLookup texts = run.Lookup();
  const Outcome<std::string> made =
      settings::ForControl(*run.out.program, machine.dialect, job->inputTable, texts);
  if (!made) {
    if (made.failure().message.empty())
      return "a program the control cannot run was refused without a message";
    return std::nullopt;
  }
  const std::string bytes = *made + "\r\n";
  const motion::Report report =
      motion::CheckProgram(bytes, machine, settings::JobCheckOptions(job->inputTable, texts));
  if (auto v = CheckReport(report, bytes)) return std::string(jobName) + ": " + *v;
  return std::nullopt;
}

// ---- The table ----------------------------------------------------------------

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets = [] {
    std::vector<Target> t = {
        {"dxf", FuzzDxf},
        {"points_csv", FuzzPointsCsv},
        {"cuts_csv", FuzzCutsCsv},
        {"teach_csv", FuzzTeachCsv},
        {"profile", FuzzProfile},
        {"numbers", FuzzNumbers},
        {"gcode", FuzzGcode},
        {"outlines", FuzzOutlines},
        {"contour_plan", FuzzContourPlan},
        {"job_report", FuzzJobReport},
    };
    static const char* const kJobs[] = {"circle", "grid", "surface", "dxf",     "points",
                                        "thread", "cuts", "teach",   "autogrid"};
    static const char* const kNames[] = {"job_circle", "job_grid",   "job_surface",
                                         "job_dxf",    "job_points", "job_thread",
                                         "job_cuts",   "job_teach",  "job_autogrid"};
    for (std::size_t i = 0; i < std::size(kJobs); ++i) {
      const std::string_view job = kJobs[i];
      t.push_back({kNames[i], [job](std::string_view data) { return FuzzJob(job, data); }});
    }
    return t;
  }();
  return targets;
}

const Target* FindTarget(std::string_view name) {
  for (const Target& t : Targets()) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

}  // namespace kelvora::fuzz
