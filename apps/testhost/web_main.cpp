// testhost-web: the scenario runner against the web window in headless
// Chromium. The same arguments as testhost; --plugin is not loaded (the window
// runs in this process); KELVORA_CHROMIUM and KELVORA_CHROMEDRIVER name the
// browser when it is not Debian's.
//
//   testhost-web --plugin web --data FOLDER --work FOLDER SCENARIO
#include <cstdlib>
#include <iostream>

#include "runner.h"
#include "web_driver.h"

int main(int argc, char** argv) {
  kelvora::testhost::RunOptions options;
  auto scenario = kelvora::testhost::ParseHostArguments(argc, argv, options);
  if (!scenario) {
    std::cerr << kelvora::testhost::kHostUsage;
    return 2;
  }
  kelvora::testhost::WebDriverOptions web;
  if (const char* chromium = std::getenv("KELVORA_CHROMIUM")) web.chromium = chromium;
  if (const char* driver = std::getenv("KELVORA_CHROMEDRIVER")) web.chromedriver = driver;
  auto driver = kelvora::testhost::MakeWebDriver(web);
  if (!kelvora::testhost::RunScenario(*scenario, options, *driver, std::cerr)) return 1;
  std::cout << scenario->string() << ": passed\n";
  return 0;
}
