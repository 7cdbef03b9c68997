// The command-line generator: one job per run, inputs as KEY=VALUE named by the
// settings keys, the program to standard output or a file.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generators/inputs.h"
#include "settings/settings_keys.h"
#include "text/outcome.h"

namespace kelvora::cli {

// Exit statuses: the program was written, an input or file was refused, the
// command line was not understood.
enum ExitStatus : int { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

// An input the job reads. Settings keys take their default from the settings
// table; keys that are not persisted (the thread job's) carry their own.
struct JobKey {
  std::string_view key;
  std::string_view meaning;
  std::optional<std::string_view> ownDefault = std::nullopt;
  bool ownBool = false;  // an own key that holds "True" or "False"
};

enum class FileOption { kDxf, kPoints, kCuts, kTeach };

// What a job receives: the input texts and the files named on the command line.
struct Request {
  generators::TextLookup texts;
  std::string dxfPath;  // UTF-8 paths, empty when not given
  std::string pointsPath;
  std::string cutsPath;
  std::string teachPath;
  bool wantPreview = false;
  int previewWidth = 451;
  int previewHeight = 397;
};

// Every file option: its name on the command line, and the request's path it
// gives.
struct FileOptionRow {
  FileOption option;
  std::string_view name;
  std::string Request::*path;
};
inline constexpr FileOptionRow kFileOptions[] = {
    {FileOption::kDxf, "--dxf", &Request::dxfPath},
    {FileOption::kPoints, "--points", &Request::pointsPath},
    {FileOption::kCuts, "--cuts", &Request::cutsPath},
    {FileOption::kTeach, "--teach", &Request::teachPath},
};

struct JobOutput {
  // The program text as the tab's text box holds it (without the final CR LF that
  // Load adds), or the refusal.
  Outcome<std::string> program = Failure{};
  // Reports that do not stop the program ("Tool diameter>R1"); exit stays 0.
  std::vector<std::string> reports;
  // The preview picture as an SVG document, when asked for and available.
  std::optional<std::string> previewSvg;
};

// The output of a run that made no program: the refusal alone.
inline JobOutput Refused(Failure failure) {
  JobOutput out;
  out.program = std::move(failure);
  return out;
}

struct Job {
  std::string_view name;
  std::string_view summary;
  std::vector<JobKey> keys;
  // File options the job takes; when there are any, exactly one must be given.
  std::vector<FileOption> files;
  std::function<JobOutput(const Request&)> run;
  // The input table that says what the pre-flight checks hold the program to
  // (settings::JobCheckOptions: the stated depth, the stock-top checks).
  settings::JobInputs inputTable = settings::JobInputs::kGeneral;
  // False for a job whose output is a point file rather than a program: it
  // takes no --report.
  bool writesProgram = true;
};

// The command-line inputs of a job's table: its rows that have a meaning, in
// help order (jobs.cpp).
std::vector<JobKey> KeysOf(settings::JobInputs job);

// Every job, in help order (jobs.cpp).
const std::vector<Job>& Jobs();

// Jobs that live in their own files (job_<name>.cpp).
Job CutsJobEntry();
Job TeachJobEntry();

// A refusal on standard error: the message, and what it concerns on the next line.
void WriteMessage(std::ostream& err, const Failure& f);

// Runs one command line (arguments without the program name). The program bytes
// go to `out`, messages to `err`; returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelvora::cli
