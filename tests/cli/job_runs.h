// Command lines of every job that writes a program, for the walks that hold
// the jobs' programs against each control: the worked examples of the golden
// cases (cases.txt), and seeded random inputs on the boxes' number grids.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::cli::testing {

struct JobRun {
  std::string label;  // for failure messages
  std::vector<std::string> args;
  // A drilling tab with canned output on: the program of a control that runs
  // cycles keeps them.
  bool canned = false;
};

// The golden cases that write a program (exit 0), without those that write
// files of their own or already name a control.
std::vector<JobRun> WorkedExamples();

// Texts for the random inputs' script boxes: words every control reads, and
// words one of them does not (a tool change, a host macro, path blending, a
// line longer than GRBL reads).
const std::vector<std::string>& ScriptTexts();

// `perJob` random command lines for every job that writes a program, from
// `seed`. Their script boxes hold words from `scripts` (blank lines between).
std::vector<JobRun> RandomRuns(int perJob, unsigned seed, const std::vector<std::string>& scripts);

// A fault these walks found in the run's program and that is reported rather
// than mended here: what the controls refuse, or nothing. The walks hold such a
// program to being refused by the control, so that the entry goes once the
// fault is mended.
std::optional<std::string> KnownFault(const JobRun& run);

// The value of KEY in the run's arguments (the last one given), if any.
std::optional<std::string> ValueOf(const JobRun& run, std::string_view key);

}  // namespace kelvora::cli::testing
