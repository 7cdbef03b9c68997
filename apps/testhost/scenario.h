// Scenario scripts for the replacement host: one step per line, run in order
// against a plug-in library (the format is described in README.md).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "text/outcome.h"

namespace kelvora::testhost {

struct Step {
  int line = 0;
  std::vector<std::string> words;  // the step's name first
};

// Splits a script into steps: words separated by blanks, "..." for a word with
// blanks (escapes \" \\ \r \n \t), "#" at the start of a line for a comment.
// A failure names the line.
Outcome<std::vector<Step>> ParseScenario(const std::string& script);

struct RunOptions {
  std::filesystem::path library;  // the plug-in
  std::filesystem::path data;     // "@data/" in a path names this folder
  std::filesystem::path work;     // emptied first; holds the profile and drive C
};

// Runs the scenario file. Failures go to `errors` as "FILE:LINE: what"; returns
// whether every step and expectation held.
bool RunScenario(const std::filesystem::path& file, const RunOptions& options,
                 std::ostream& errors);

}  // namespace kelvora::testhost
