// The Windows platform: the plug-in's platform services over the Windows API.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "plugin/platform.h"

namespace kelvora::win32 {

// The IDispatch behind a handle that the automation service handed out. It may
// be used on the thread that obtained it only; the service gives other threads
// their own proxy.
IDispatch* DispatchOfHandle(plugin::AutomationObject handle);

}  // namespace kelvora::win32
