// A file in a folder of this process's own, rewritten for every input: the
// readers under test take paths.
#pragma once

#include <string>
#include <string_view>

namespace kelvora::fuzz {

// Writes `bytes` to the scratch file called `name` and returns its path (UTF-8).
std::string WriteScratchFile(std::string_view name, std::string_view bytes);
// The file's bytes now; false when it cannot be read.
bool ReadScratchFile(const std::string& path, std::string& bytes);

}  // namespace kelvora::fuzz
