// testhost.exe: the replacement host on Windows. Loads Kelvora.dll and runs a
// scenario script against its native window.
//
//   testhost --plugin Kelvora.dll --data FOLDER --work FOLDER SCENARIO
#include <iostream>

#include "win32_scenario.h"

int main(int argc, char** argv) {
  kelvora::testhost::RunOptions options;
  auto scenario = kelvora::testhost::ParseHostArguments(argc, argv, options);
  if (!scenario) {
    std::cerr << kelvora::testhost::kHostUsage;
    return 2;
  }
  if (!kelvora::testhost::RunWindowsScenario(*scenario, options, std::cerr)) return 1;
  std::cout << scenario->string() << ": passed\n";
  return 0;
}
