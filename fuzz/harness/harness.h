// What each fuzz target does with one input, as plain functions so that the
// ordinary test suite replays the inputs the fuzzers found with the same code.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::fuzz {

// nullopt when every property held for this input; otherwise what broke. A crash
// or a sanitizer report ends the process before that.
using Verdict = std::optional<std::string>;

struct Target {
  std::string_view name;
  std::function<Verdict(std::string_view data)> run;
};

// Every target: the readers ("dxf", "points_csv", "cuts_csv", "teach_csv",
// "profile", "numbers", "gcode") and one per job ("job_circle", ..., "job_autogrid").
const std::vector<Target>& Targets();
const Target* FindTarget(std::string_view name);

// The readers.
Verdict FuzzDxf(std::string_view data);
Verdict FuzzPointsCsv(std::string_view data);
Verdict FuzzCutsCsv(std::string_view data);
Verdict FuzzTeachCsv(std::string_view data);
Verdict FuzzProfile(std::string_view data);
Verdict FuzzNumbers(std::string_view data);
// The G-code reader: any bytes, read to the end; every move finite.
Verdict FuzzGcode(std::string_view data);
// A job's own program (no operator text in it) reads without an unknown word
// or a malformed number.
Verdict CheckProgramReads(std::string_view program);

// A job of the command line's table, its input texts decoded from `data`: the
// texts of its keys in the order `kelvora JOB --help` lists them, each ended by a
// NUL byte (keys after the last given text keep their defaults); for a job that
// reads a file, everything after the last key's NUL is that file.
Verdict FuzzJob(std::string_view job, std::string_view data);

}  // namespace kelvora::fuzz
