// testhost: the replacement host. Loads a plug-in library and runs scenario
// scripts against it, on the simulated system or on Windows against the
// plug-in's native window.
//
//   testhost --plugin LIBRARY --data FOLDER --work FOLDER SCENARIO
#include <iostream>

#include "runner.h"

int main(int argc, char** argv) {
  kelvora::testhost::RunOptions options;
  auto scenario = kelvora::testhost::ParseHostArguments(argc, argv, options);
  if (!scenario) {
    std::cerr << kelvora::testhost::kHostUsage;
    return 2;
  }
  auto driver = kelvora::testhost::MakeHostDriver();
  if (!kelvora::testhost::RunScenario(*scenario, options, *driver, std::cerr)) return 1;
  std::cout << scenario->string() << ": passed\n";
  return 0;
}
