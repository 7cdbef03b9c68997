// The thread job's entry in the job table.
#pragma once

#include "cli.h"

namespace kelvora::cli {

Job ThreadJobEntry();

}  // namespace kelvora::cli
