// The page's files (HTML, CSS, JavaScript modules), embedded in the program when
// it is built from src/platform/web/page, so the window needs no files beside it.
#pragma once

#include <string_view>

namespace kelvora::web {

struct PageAsset {
  std::string_view path;  // as requested: "/", "/window.js", ...
  std::string_view contentType;
  std::string_view body;
};

// The file served at `path`, or null.
const PageAsset* FindPageAsset(std::string_view path);

// The size of every file together, what a first load fetches at most.
std::size_t PageAssetBytes();

}  // namespace kelvora::web
