# cmake -DOUT=FILE.cpp -DFILES="a|b" -P embed_page.cmake: writes the page's files
# as byte arrays, with the table FindPageAsset serves them from
# (src/platform/web/page_assets.h), the files separated by "|". "index.html" is
# served at "/".
string(REPLACE "|" ";" FILES "${FILES}")
set(arrays "")
set(table "")
set(n 0)
foreach(file ${FILES})
  get_filename_component(name ${file} NAME)
  get_filename_component(ext ${file} EXT)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND arrays "const char kFile${n}[] = {${bytes} 0};\n")
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  else()
    set(type "application/octet-stream")
  endif()
  if(name STREQUAL "index.html")
    set(path "/")
  else()
    set(path "/${name}")
  endif()
  string(APPEND table "    {\"${path}\", \"${type}\", {kFile${n}, ${size}}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from src/platform/web/page by cmake/embed_page.cmake.
#include <array>
#include \"platform/web/page_assets.h\"

namespace kelvora::web {
namespace {
${arrays}
const PageAsset kAssets[] = {
${table}};
}  // namespace

const PageAsset* FindPageAsset(std::string_view path) {
  for (const PageAsset& a : kAssets) {
    if (a.path == path) return &a;
  }
  return nullptr;
}

std::size_t PageAssetBytes() {
  std::size_t total = 0;
  for (const PageAsset& a : kAssets) total += a.body.size();
  return total;
}

}  // namespace kelvora::web
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
