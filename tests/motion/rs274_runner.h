// Runs LinuxCNC's standalone interpreter `rs274` on a program and reads back the
// canonical calls it prints: its traverses, feeds, arcs and dwells are an
// independent reading of the same program to hold the reader's moves against.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/scratch_folder.h"

namespace kelvora::motion::testing {

struct CanonCall {
  enum class Kind { kTraverse, kFeed, kArc, kDwell } kind = Kind::kTraverse;
  // Traverse and feed: x y z a; arc: end x y, centre x y, turns, end z, a.
  std::vector<double> values;
};

struct Rs274Run {
  std::vector<CanonCall> calls;
  bool ended = false;  // PROGRAM_END reached (rs274 stops at the first error)
  std::string output;  // everything it printed, for the failure message
};

// Where rs274 is, or empty (always on Windows, where it does not run).
inline std::string FindRs274() {
#ifdef _WIN32
  return {};
#else
  FILE* pipe = popen("command -v rs274 2>/dev/null", "r");
  if (pipe == nullptr) return {};
  char buffer[512] = {};
  std::string path;
  if (std::fgets(buffer, sizeof buffer, pipe) != nullptr) path = buffer;
  pclose(pipe);
  while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
  return path;
#endif
}

// Whether a test that needs rs274 must fail rather than skip without it.
inline bool Rs274Required() {
  const char* value = std::getenv("KELVORA_REQUIRE_RS274");
  return value != nullptr && std::string_view(value) == "1";
}

inline std::vector<double> Arguments(std::string_view line, std::string_view name) {
  std::vector<double> values;
  const auto open = line.find(name);
  if (open == std::string_view::npos) return values;
  std::string inner(line.substr(open + name.size()));
  const auto close = inner.find(')');
  if (close != std::string::npos) inner.resize(close);
  std::stringstream in(inner);
  std::string item;
  while (std::getline(in, item, ',')) values.push_back(std::strtod(item.c_str(), nullptr));
  return values;
}

// rs274's printed output read back: its calls, and whether it reached the end.
inline Rs274Run ReadRs274Output(std::string output) {
  Rs274Run run;
  run.output = std::move(output);
  std::stringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find("PROGRAM_END()") != std::string::npos) run.ended = true;
    if (line.find("STRAIGHT_TRAVERSE(") != std::string::npos) {
      run.calls.push_back({CanonCall::Kind::kTraverse, Arguments(line, "STRAIGHT_TRAVERSE(")});
    } else if (line.find("STRAIGHT_FEED(") != std::string::npos) {
      run.calls.push_back({CanonCall::Kind::kFeed, Arguments(line, "STRAIGHT_FEED(")});
    } else if (line.find("ARC_FEED(") != std::string::npos) {
      run.calls.push_back({CanonCall::Kind::kArc, Arguments(line, "ARC_FEED(")});
    } else if (line.find(" DWELL(") != std::string::npos) {
      run.calls.push_back({CanonCall::Kind::kDwell, Arguments(line, " DWELL(")});
    }
  }
  return run;
}

inline Rs274Run RunRs274(const std::string& rs274, std::string_view program) {
#ifdef _WIN32
  (void)rs274;
  (void)program;
  return {};
#else
  kelvora::testing::ScratchFolder folder("rs274");
  const auto file = folder.Path() / "program.ngc";
  {
    std::ofstream out(file, std::ios::binary);
    out << program;
  }
  Rs274Run run;
  // rs274 keeps its tool table in $HOME/.tool.mmap, truncated and mapped by every
  // run: two runs at once with one HOME end in a bus error. Each run gets its own.
  const std::string command = "HOME='" + folder.Path().string() + "' '" + rs274 + "' -g '" +
                              file.string() + "' < /dev/null 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  pclose(pipe);
  return ReadRs274Output(std::move(run.output));
#endif
}

// Many programs read at once: rs274 spends most of a run waiting rather than
// computing, so `parallel` runs side by side take little longer than one.
// The readings come back in the programs' order.
inline std::vector<Rs274Run> RunRs274Batch(const std::string& rs274,
                                           const std::vector<std::string>& programs,
                                           int parallel = 8) {
  std::vector<Rs274Run> runs(programs.size());
#ifdef _WIN32
  (void)rs274;
  (void)parallel;
#else
  if (programs.empty()) return runs;
  kelvora::testing::ScratchFolder folder("rs274_batch");
  std::string list;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    const auto own = folder.Path() / std::to_string(i);
    std::filesystem::create_directories(own);
    std::ofstream out(own / "program.ngc", std::ios::binary);
    out << programs[i];
    list += std::to_string(i) + "\n";
  }
  {
    std::ofstream out(folder.Path() / "list", std::ios::binary);
    out << list;
  }
  // Each run in its own folder, which is also its HOME (see RunRs274).
  const std::string command = "cd '" + folder.Path().string() + "' && xargs -P " +
                              std::to_string(parallel) + " -I{} sh -c \"cd {} && HOME=\\$PWD '" +
                              rs274 + "' -g program.ngc < /dev/null > out 2>&1\" < list";
  if (std::system(command.c_str()) == -1) return runs;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    std::ifstream in(folder.Path() / std::to_string(i) / "out", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    runs[i] = ReadRs274Output(text.str());
  }
#endif
  return runs;
}

}  // namespace kelvora::motion::testing
