// UTF-8 ⇄ UTF-16 for the wide-character Windows API: everything inside the
// plug-in is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kelvora::win32 {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace kelvora::win32
