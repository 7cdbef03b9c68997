// One run of the command line inside the test process: its exit status and what
// it wrote to standard output and standard error.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

namespace kelvora::cli::testing {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// A file of the test data, as a path the command line takes.
inline std::string DataPath(const std::string& relative) {
  return std::string(KELVORA_TEST_DATA) + "/" + relative;
}

inline CliRun RunArgs(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace kelvora::cli::testing
