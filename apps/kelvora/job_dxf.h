// The dxf job of the command line.
#pragma once

#include "cli.h"

namespace kelvora::cli {

Job DxfJobEntry();

}  // namespace kelvora::cli
