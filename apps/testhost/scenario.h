// Scenario scripts for the replacement host: one step per line, run in order
// against a plug-in library (the format is described in README.md).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
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

// Helpers both hosts' runners share for their messages and numbers.
std::string Shown(std::string_view text);  // quoted, control characters visible
std::string ShownBytes(const std::optional<std::string>& bytes);
std::string FirstDifference(const std::string& expected, const std::string& actual);
std::optional<long> ParseWhole(const std::string& text);
std::optional<double> ParseReal(const std::string& text);
// A step's result, as the runners pass it on: empty when the action was done,
// else why it was not.
inline std::string MessageOf(const Outcome<void>& done) {
  return done ? std::string() : done.failure().message;
}

// The profile a run starts with.
inline constexpr char kDefaultProfile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<profile>\r\n  <PlugIns>\r\n  </PlugIns>\r\n"
    "</profile>\r\n";

struct RunOptions {
  std::filesystem::path library;  // the plug-in
  std::filesystem::path data;     // "@data/" in a path names this folder
  std::filesystem::path work;     // emptied first; holds the profile and drive C
};

// The host's command line: --plugin LIBRARY [--data FOLDER] --work FOLDER SCENARIO.
// The scenario's path, or nothing when the arguments are not that.
std::optional<std::filesystem::path> ParseHostArguments(int argc, char** argv, RunOptions& options);
inline constexpr char kHostUsage[] =
    "usage: testhost --plugin LIBRARY [--data FOLDER] --work FOLDER SCENARIO\n";

}  // namespace kelvora::testhost
