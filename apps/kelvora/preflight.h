// The pre-flight report on the command line: `kelvora check FILE`, and the
// report a job adds with --report and --report-json.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "motion/machine.h"
#include "motion/report.h"
#include "text/gcode_dialect.h"
#include "text/outcome.h"

namespace kelvora::cli {

// What the command line asked of the report.
struct ReportRequest {
  bool text = false;        // --report: the full text on standard error
  std::string jsonPath;     // --report-json FILE, empty when not given
  std::string machinePath;  // --machine FILE, empty when not given
  // --dialect NAME: the control the program is written for, over the machine's.
  std::optional<text::Dialect> dialect;

  bool wanted() const { return text || !jsonPath.empty(); }
};

// The machine a report is made for: the machine keys of the profile of
// --machine, else of the job's --profile (`profilePath`, empty when not given),
// else the defaults; its dialect that of --dialect when given. Keys missing from
// the profile take their defaults; a missing or malformed file, or a value that
// does not convert or is out of range, is refused naming the file or key.
Outcome<motion::Machine> ReportMachine(const ReportRequest& request,
                                       const std::string& profilePath);

// Writes the report's JSON to the file of --report-json, whole or not at all.
Outcome<void> WriteReportJson(const std::string& utf8Path, const motion::Report& report);

// `kelvora check FILE`: the full text report of any program on `out`; exit 0
// also when the report holds warnings, 1 when the file or machine cannot be read.
int RunCheck(const std::string& programPath, const ReportRequest& request, std::ostream& out,
             std::ostream& err);

}  // namespace kelvora::cli
