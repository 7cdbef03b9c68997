// The posix platform: the plug-in's platform services over the simulated system
// services, BSD sockets and the local file system.
#pragma once

#include <filesystem>
#include <string_view>

#include "plugin/platform.h"

namespace kelvora::platform::posix {

// Where "C:\" lies: $KELVORA_DRIVE_C, else a folder in the user's data directory.
std::filesystem::path DriveCRoot();
// A fixed "C:\..." path on this machine: below DriveCRoot(), "\" as "/". Windows
// compares names without regard to case, so each name is matched against the
// folder's existing entries that way ("PlugIns" finds "Plugins"). A path that does
// not start with a drive letter is taken as a local path as it stands.
std::filesystem::path MapWindowsPath(std::string_view windowsPath);

}  // namespace kelvora::platform::posix
