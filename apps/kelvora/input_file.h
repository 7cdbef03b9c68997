// Reading the list files named on the command line (--cuts, --teach).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "text/outcome.h"

namespace kelvora::cli {

// The bytes of a list file, refused when the file cannot be read or holds more
// lines than the table-row limit allows.
Outcome<std::string> ReadListFile(const std::string& utf8Path);

// A refusal that concerns one row of a list file gets the file and the line that
// row starts on as its last detail line, so the operator finds it in the file
// (the table the dialog would show it in is not there). Others pass unchanged.
Failure AtFileLine(Failure failure, const std::string& utf8Path,
                   const std::vector<std::size_t>& rowLines);

}  // namespace kelvora::cli
