// The scenario runner's third host: the web window (its session and server in
// this process) driven in headless Chromium over the WebDriver protocol, as the
// operator uses the page. There is no host behind it: the steps that need one
// (update cycles, DROs, loads, the status line) fail and say so.
#pragma once

#include <filesystem>
#include <memory>

#include "host_driver.h"

namespace kelvora::testhost {

struct WebDriverOptions {
  std::filesystem::path chromium = "/usr/bin/chromium";
  std::filesystem::path chromedriver = "/usr/bin/chromedriver";
};

std::unique_ptr<HostDriver> MakeWebDriver(WebDriverOptions options);

}  // namespace kelvora::testhost
