#include "text/xml_text.h"

#include <charconv>

namespace kelvora::text {

void AppendCharRef(char32_t code, std::string& out) {
  char digits[16];
  const auto r =
      std::to_chars(digits, digits + sizeof digits, static_cast<unsigned long>(code), 16);
  out += "&#x";
  for (const char* p = digits; p != r.ptr; ++p) {
    out += static_cast<char>(*p >= 'a' && *p <= 'f' ? *p - 'a' + 'A' : *p);
  }
  out += ';';
}

// The blanks of XML: space, tab, carriage return and line feed (not the vertical
// tab and form feed that text::IsBlank also takes).
bool IsXmlBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

namespace {

// A character the parser takes into an attribute's name.
bool IsAttributeNameChar(char c) {
  return c != '\0' && !IsXmlBlank(c) && c != '!' && c != '/' && c != '<' && c != '=' && c != '>' &&
         c != '?';
}

}  // namespace

// The text after "<?xml" of the XML declaration at the start of the text, if
// there is one there. The parser takes blanks before the declaration, "xml" in
// any case, and a blank after it.
std::optional<std::string_view> DeclarationAtStart(std::string_view text) {
  while (!text.empty() && IsXmlBlank(text.front())) text.remove_prefix(1);
  const auto is = [&text](std::size_t i, char lower) {
    return i < text.size() && (text[i] == lower || text[i] == lower - 'a' + 'A');
  };
  if (!text.starts_with("<?") || !is(2, 'x') || !is(3, 'm') || !is(4, 'l') || text.size() < 6 ||
      !IsXmlBlank(text[5])) {
    return std::nullopt;
  }
  return text.substr(5);
}

// The encoding named by the XML declaration at the start of the text, if any.
// The declaration's attributes are read as the parser reads them: a name, "=",
// a quoted value, each part parted by blanks, up to the "?>" that ends the
// declaration. So the encoding is the value of the attribute named exactly
// "encoding", not of one whose name only ends in it, and a "?>" inside a quoted
// value does not end the declaration.
std::optional<std::string_view> DeclaredEncoding(std::string_view text) {
  const auto declaration = DeclarationAtStart(text);
  if (!declaration) return std::nullopt;
  std::string_view rest = *declaration;
  const auto skipBlanks = [&rest] {
    while (!rest.empty() && IsXmlBlank(rest.front())) rest.remove_prefix(1);
  };
  skipBlanks();
  while (!rest.empty() && IsAttributeNameChar(rest.front())) {
    std::size_t nameEnd = 0;
    while (nameEnd < rest.size() && IsAttributeNameChar(rest[nameEnd])) ++nameEnd;
    const std::string_view name = rest.substr(0, nameEnd);
    rest.remove_prefix(nameEnd);
    skipBlanks();
    if (rest.empty() || rest.front() != '=') return std::nullopt;
    rest.remove_prefix(1);
    skipBlanks();
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return std::nullopt;
    const char quote = rest.front();
    rest.remove_prefix(1);
    const std::size_t end = rest.find(quote);
    if (end == std::string_view::npos) return std::nullopt;
    if (name == "encoding") return rest.substr(0, end);
    rest.remove_prefix(end + 1);
    skipBlanks();
  }
  return std::nullopt;
}

// UTF-8 text into a single-byte code page; a character the page cannot hold (none
// that the printer let through) becomes a character reference.
std::string ToCodePage(std::string_view utf8, text::Encoding page) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    const char32_t code = text::NextUtf8(utf8, i).value_or(static_cast<unsigned char>(utf8[at]));
    if (const auto byte = text::CodePageByte(code, page)) {
      out += *byte;
    } else {
      AppendCharRef(code, out);
    }
  }
  return out;
}

// Where the element nesting first goes beyond kMaxNesting, found by a quick scan
// of the tags (comments, sections and declarations skipped); npos if it never does.
std::size_t TooDeepAt(std::string_view s, std::size_t maxNesting) {
  std::size_t depth = 0;
  std::size_t i = 0;
  const auto skipPast = [&s, &i](std::string_view end) {
    const std::size_t at = s.find(end, i);
    i = at == std::string_view::npos ? s.size() : at + end.size();
  };
  while ((i = s.find('<', i)) != std::string_view::npos) {
    const std::string_view rest = s.substr(i);
    if (rest.starts_with("<!--")) {
      skipPast("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      skipPast("]]>");
    } else if (rest.starts_with("<?")) {
      skipPast("?>");
    } else if (rest.starts_with("<!")) {
      skipPast(">");
    } else if (rest.starts_with("</")) {
      if (depth > 0) --depth;
      skipPast(">");
    } else {
      const std::size_t start = i;
      skipPast(">");
      if (i >= 2 && s[i - 2] == '/') continue;  // an empty element
      if (++depth > maxNesting) return start;
    }
  }
  return std::string_view::npos;
}

// "line L, position P" of a byte offset, both counted from 1.
std::string PositionText(std::string_view bytes, std::size_t offset) {
  std::size_t line = 1;
  std::size_t lineStart = 0;
  for (std::size_t k = 0; k < offset && k < bytes.size(); ++k) {
    if (bytes[k] == '\n') {
      ++line;
      lineStart = k + 1;
    }
  }
  return "line " + std::to_string(line) + ", position " + std::to_string(offset - lineStart + 1);
}

}  // namespace kelvora::text
