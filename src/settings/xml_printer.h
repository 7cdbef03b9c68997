// Printing a parsed profile document back to text, as the host's own writer
// lays it out: elements that hold only elements indented one level per depth,
// texts inline, markup and characters outside ASCII as references. Also the
// marks that keep unexpanded entity references apart from literal text, which
// reading and printing share.
#pragma once

#include <functional>
#include <optional>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <string_view>

#include "text/encodings.h"

namespace kelvora::settings {

using XmlNode = rapidxml::xml_node<char>;

inline constexpr std::string_view kNewLine = "\r\n";

std::string_view NameOf(const rapidxml::xml_base<char>& n);
std::string_view ValueOf(const rapidxml::xml_base<char>& n);
bool IsText(const XmlNode& n);

// A reference to an entity the document type declares ("&co;") is not expanded
// by the parser, and once parsed it could not be told from a text "&co;" written
// as "&amp;co;". Before parsing, the "&" of each such reference is replaced by a
// mark: a control byte that occurs nowhere in the file. Texts of the parsed file
// turn the mark back into "&" when they are read or written; texts the plug-in
// stores are never marked.
struct ReferenceMarks {
  char mark = 0;            // 0: the file holds no such reference
  std::string_view parsed;  // the parsed file, which the document's texts point into

  bool Marked(std::string_view s) const {
    if (mark == 0 || s.empty()) return false;
    const std::less<const char*> before;
    return !before(s.data(), parsed.data()) && before(s.data(), parsed.data() + parsed.size());
  }
  // Appends `s`, with the marks of a parsed text turned back into "&".
  void Append(std::string_view s, std::string& out) const {
    if (!Marked(s)) {
      out += s;
      return;
    }
    for (char c : s) out += c == mark ? '&' : c;
  }
};

// The first control byte that the parsed text cannot hold, or 0 when there is
// none.
char FreeMark(std::string_view text);
// Marks the "&" of every entity reference the parser does not expand itself
// (anything but the five predefined entities and character references).
void MarkDeclaredReferences(std::string& text, char mark);

// How the document is printed: a file in a single-byte code page keeps the
// characters that page holds as they are (they become the page's bytes when the
// text is encoded); every other character outside ASCII becomes a character
// reference.
struct PrintStyle {
  std::optional<text::Encoding> codePage;
  ReferenceMarks marks;
};

// Prints one node and what it holds, `depth` levels in.
void AppendNode(const XmlNode& n, int depth, bool indent, const PrintStyle& style,
                std::string& out);

}  // namespace kelvora::settings
