// testhost: the replacement host. Loads a plug-in library and runs scenario
// scripts against it.
//
//   testhost --plugin LIBRARY --data FOLDER --work FOLDER SCENARIO
#include <iostream>
#include <string>

#include "scenario.h"

int main(int argc, char** argv) {
  kelvora::testhost::RunOptions options;
  std::string scenario;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--plugin" || arg == "--data" || arg == "--work") && i + 1 < argc) {
      std::string value = argv[++i];
      if (arg == "--plugin") options.library = value;
      if (arg == "--data") options.data = value;
      if (arg == "--work") options.work = value;
    } else if (scenario.empty() && arg.rfind("--", 0) != 0) {
      scenario = arg;
    } else {
      scenario.clear();
      break;
    }
  }
  if (scenario.empty() || options.library.empty() || options.work.empty()) {
    std::cerr << "usage: testhost --plugin LIBRARY [--data FOLDER] --work FOLDER SCENARIO\n";
    return 2;
  }
  if (!kelvora::testhost::RunScenario(scenario, options, std::cerr)) return 1;
  std::cout << scenario << ": passed\n";
  return 0;
}
