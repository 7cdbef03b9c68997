// Whole-file reading and writing with UTF-8 paths.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "text/outcome.h"

namespace kelvora::text {

// A path from UTF-8 text (on Windows the wide form is made from it).
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path` and then renames it over
// `path`, so a failure never leaves a half-written file. A failure's message
// names the file.
Outcome<void> WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kelvora::text
