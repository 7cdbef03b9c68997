// Job "cuts": a cut list file turned into the router tab's cut program.
#include "cli.h"
#include "generators/cut_lists.h"
#include "generators/cut_toolpath.h"
#include "input_file.h"
#include "preview.h"
#include "settings/settings_profile.h"
#include "text/csv.h"

namespace kelvora::cli {
namespace {

// The text a list-wide box shows when the file sets none (a list without rows):
// the same default text a profile without the plug-in's section gives.
std::string StoredDefault(std::string_view key) {
  static const settings::Settings defaults;
  return defaults.ControlText(key);
}

// The router tab's machining inputs read by a cut job; a pass of a cut is what
// a layer of a contour is to the drawing job.
std::string_view CutMeaning(const settings::InputRow& row) {
  static constexpr std::pair<std::string_view, std::string_view> kCutMeanings[] = {
      {"DxfStepdown", "depth per pass"},
      {"DxfFeedrate", "cutting feed"},
      {"DxfRetract", "retract height above each pass depth"},
      {"DxfEnSpOp", "insert the special operation texts around each pass"},
      {"DxfSpOpStr", "special operation text after each plunge"},
      {"DxfSpOpStrOff", "special operation text after each pass"},
      {"DxfEndScript", "text appended after the program"},
  };
  for (const auto& [key, meaning] : kCutMeanings) {
    if (key == row.key) return meaning;
  }
  return row.help;
}

JobOutput RunCuts(const Request& r) {
  const auto bytes = ReadListFile(r.cutsPath);
  if (!bytes) return Refused(bytes.failure());
  const std::vector<std::string> lines = text::SplitLines(*bytes);
  const auto kind =
      generators::CutListKindFromHeader(lines.empty() ? std::string_view() : lines.front());
  if (!kind) {
    return Refused(
        Failure{"Not a cut list: the first line must be Name,Y,X1,X2, Name,X,Y1,Y2 or "
                "KichThuoc,SoLuong,X1,X2",
                r.cutsPath});
  }
  const generators::CutCsvContent list = generators::ReadCutCsv(*bytes);
  if (!list.report.clean()) {
    return Refused(list.report.AsFailure(r.cutsPath));
  }
  JobOutput out;
  const bool vertical = *kind == generators::CutListKind::kVertical;
  const bool generated = *kind == generators::CutListKind::kGenerated;
  const std::string_view startKey = generated ? "CutGenX1" : vertical ? "CutY1" : "CutX1";
  const std::string_view endKey = generated ? "CutGenX2" : vertical ? "CutY2" : "CutX2";
  const std::string start = list.start.value_or(StoredDefault(startKey));
  const std::string end = list.end.value_or(StoredDefault(endKey));
  // The cuts as the tab's Preview button draws them: polylines, mode 1.
  PreviewCollector preview(r, {PreviewRenderer::kPLine, 1});
  out.program = generators::CutsJob(*kind, list.rows, start, end, r.texts, preview.Sink());
  if (!out.program) {
    Failure f = out.program.failure();
    // A start or end that does not convert came from the file's last row: that
    // row's line is named beside the key.
    if (list.start && (f.detail == startKey || f.detail == endKey) && !list.rows.empty()) {
      f.row = list.rows.size() - 1;
    }
    out.program = AtFileLine(std::move(f), r.cutsPath, list.rowLines);
  }
  preview.Attach(out);
  return out;
}

}  // namespace

Job CutsJobEntry() {
  Job job{"cuts",
          "Straight cuts from a cut list file (horizontal, vertical or generated sizes)",
          KeysOf(settings::JobInputs::kCuts),
          {FileOption::kCuts},
          RunCuts,
          settings::JobInputs::kCuts};
  // The router tab's machining inputs, with what they mean for a cut.
  for (const settings::InputRow& row : settings::InputsOf(settings::JobInputs::kContour)) {
    job.keys.push_back({row.key, CutMeaning(row)});
  }
  return job;
}

}  // namespace kelvora::cli
