// Opens the system's browser on an address: xdg-open on Linux, open on macOS,
// the shell's association on Windows. Never through a shell command line.
#pragma once

#include <string>

namespace kelvora::web {

// Empty, or why the browser could not be started.
std::string OpenBrowser(const std::string& address);

}  // namespace kelvora::web
