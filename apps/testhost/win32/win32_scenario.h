// Scenario scripts run against Kelvora.dll on Windows: the library loaded with
// LoadLibrary, the host's start-up order, and the plug-in's native window driven
// with window messages (characters through WM_CHAR, clicks through BM_CLICK,
// pages through the tab control's own notification), prompts answered in the
// real message boxes and file dialogs.
#pragma once

#include <iosfwd>

#include "scenario.h"

namespace kelvora::testhost {

// Runs the scenario file as RunScenario does on Linux. A step this host cannot
// take fails the scenario with a message that says so.
bool RunWindowsScenario(const std::filesystem::path& file, const RunOptions& options,
                        std::ostream& errors);

}  // namespace kelvora::testhost
