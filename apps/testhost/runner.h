// The scenario runner: reads a scenario file and takes its steps, one table of
// steps and one of expectations, against a host driver.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "host_driver.h"
#include "scenario.h"

namespace kelvora::testhost {

// Runs the scenario file against the driver's host. Failures go to `errors` as
// "FILE:LINE: what"; returns whether every step and expectation held. A step the
// driver cannot take fails the run with a message that says so.
bool RunScenario(const std::filesystem::path& file, const RunOptions& options, HostDriver& driver,
                 std::ostream& errors);

}  // namespace kelvora::testhost
