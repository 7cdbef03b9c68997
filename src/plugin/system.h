// The platform and dialogs the library's exports run on: defined by the platform
// folder the library is built with.
#pragma once

#include "plugin/platform.h"
#include "plugin/plugin_dialog.h"

namespace kelvora::plugin {

const Platform& SystemPlatform();
PluginDialogs& SystemDialogs();

}  // namespace kelvora::plugin
