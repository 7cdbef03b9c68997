// XML at the level of text, before or without a parsed document: character
// references, the declaration at the start of a file and the encoding it names,
// how deeply elements nest, and where a byte offset lies for a message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/encodings.h"

namespace kelvora::text {

// Appends "&#xHEX;" (capital hex digits) for the character.
void AppendCharRef(char32_t code, std::string& out);

// The blanks of XML: space, tab, carriage return and line feed.
bool IsXmlBlank(char c);

// The text after "<?xml" of an XML declaration at the start of the text (after
// blanks), if there is one there.
std::optional<std::string_view> DeclarationAtStart(std::string_view text);
// The value of the "encoding" attribute of that declaration, if any.
std::optional<std::string_view> DeclaredEncoding(std::string_view text);

// UTF-8 text into a single-byte code page; a character the page cannot hold
// becomes a character reference.
std::string ToCodePage(std::string_view utf8, Encoding page);

// Where the element nesting first goes beyond `maxNesting`, found by a quick
// scan of the tags (comments, sections and declarations skipped); npos if it
// never does.
std::size_t TooDeepAt(std::string_view s, std::size_t maxNesting);

// "line L, position P" of a byte offset, both counted from 1.
std::string PositionText(std::string_view bytes, std::size_t offset);

}  // namespace kelvora::text
