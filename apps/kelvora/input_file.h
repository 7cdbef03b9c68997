// Reading the list files named on the command line (--cuts, --teach).
#pragma once

#include <string>

#include "text/outcome.h"

namespace kelvora::cli {

// The bytes of a list file, refused when the file cannot be read or holds more
// lines than the table-row limit allows.
Outcome<std::string> ReadListFile(const std::string& utf8Path);

}  // namespace kelvora::cli
