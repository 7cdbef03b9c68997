// Reading and writing UTF-8, the encoding of every text inside the program.
// Two readings: strict, for a text that must be well-formed (a name handed to
// the host, a file's bytes checked before they are converted), and lenient, for
// a text that is shown or edited whatever it holds, where each byte that is not
// part of a well-formed character stands for itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvora::text {

// Decodes the UTF-8 sequence at `i` and moves `i` past it. nullopt, with `i`
// moved by one byte, for a byte that does not start a well-formed sequence: a
// continuation byte, a sequence cut short or broken off, an overlong form, a
// surrogate, a value above U+10FFFF. `i` must be inside `text`.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i);

// The same, except that a byte that does not start a well-formed sequence comes
// out as the character of the same number (0x80 to 0xFF). Every byte belongs to
// exactly one character, so offsets found this way always fall between bytes
// the text can be cut at without losing any.
char32_t NextUtf8Lenient(std::string_view text, std::size_t& i);

// Every character of `text`, read leniently.
std::u32string DecodeUtf8Lenient(std::string_view text);

void AppendUtf8(char32_t code, std::string& out);

}  // namespace kelvora::text
