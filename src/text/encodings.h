// Character encodings of text files: UTF-8, UTF-16 in either byte order, and the
// single-byte code pages ISO-8859-1, windows-1252 and windows-1258. Text inside
// the program is UTF-8; these convert to and from the file's own bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace kelvora::text {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be, kLatin1, kWindows1252, kWindows1258 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The text without a leading UTF-8 byte-order mark.
inline std::string_view WithoutUtf8Bom(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return text;
}

// The encoding a declared name stands for, in any letter case ("UTF-8",
// "utf-16", "ISO-8859-1", "latin1", "windows-1252", "cp1258", ...); "US-ASCII"
// is read as UTF-8, of which it is a part. nullopt for any other name.
std::optional<Encoding> EncodingByName(std::string_view name);

bool IsCodePage(Encoding encoding);

// Code page bytes to UTF-8: every byte is one character (bytes a page leaves
// undefined are the control characters of the same number, as Windows reads them).
std::string CodePageToUtf8(std::string_view bytes, Encoding page);
// The page's byte for a character, or nullopt when the page cannot hold it.
std::optional<char> CodePageByte(char32_t code, Encoding page);

// UTF-16 bytes (no byte-order mark) to UTF-8. nullopt for an odd number of bytes
// or a surrogate without its partner; `badAt` then holds the byte offset.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::size_t& badAt);
// Valid UTF-8 to UTF-16 bytes (no byte-order mark). A byte that is not valid
// UTF-8 is taken as the character of the same number.
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

}  // namespace kelvora::text
