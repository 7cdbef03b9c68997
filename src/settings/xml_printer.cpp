#include "settings/xml_printer.h"

#include <charconv>

#include "text/parse.h"
#include "text/xml_text.h"

namespace kelvora::settings {
namespace {

using Node = XmlNode;
using Attribute = rapidxml::xml_attribute<char>;
using text::AppendCharRef;

constexpr std::string_view kIndent = "  ";

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Writes text or an attribute value: markup characters as entities, characters
// outside ASCII as PrintStyle says (and, where a parser would lose them, line ends
// and blanks) as character references. A byte that is not valid UTF-8 is taken as
// the character of the same number (Latin-1), so text from elsewhere is kept
// rather than dropped.
void AppendEscaped(std::string_view s, bool attribute, const PrintStyle& style, std::string& out) {
  // A text of blanks only would be dropped as mere indentation when read back.
  const bool blanksOnly = !attribute && !s.empty() && text::TrimBlanks(s).empty();
  const bool marked = style.marks.Marked(s);
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (marked && c == style.marks.mark) {
      out += '&';
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      const char32_t code = text::NextUtf8(s, i).value_or(static_cast<unsigned char>(c));
      if (style.codePage && text::CodePageByte(code, *style.codePage)) {
        text::AppendUtf8(code, out);
      } else {
        AppendCharRef(code, out);
      }
      continue;
    }
    ++i;
    if (blanksOnly || (attribute && (c == '\t' || c == '\n')) || c == '\r' ||
        (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')) {
      AppendCharRef(static_cast<unsigned char>(c), out);
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        if (attribute) {
          out += "&quot;";
          break;
        }
        out += c;
        break;
      default:
        out += c;
    }
  }
}

void AppendAttributes(const Node& n, const PrintStyle& style, std::string& out) {
  for (Attribute* a = n.first_attribute(); a; a = a->next_attribute()) {
    out += ' ';
    out += NameOf(*a);
    out += "=\"";
    AppendEscaped(ValueOf(*a), true, style, out);
    out += '"';
  }
}

void AppendIndent(int depth, std::string& out) {
  for (int k = 0; k < depth; ++k) out += kIndent;
}

}  // namespace

std::string_view NameOf(const rapidxml::xml_base<char>& n) {
  return {n.name(), n.name_size()};
}
std::string_view ValueOf(const rapidxml::xml_base<char>& n) {
  return {n.value(), n.value_size()};
}

bool IsText(const Node& n) {
  return n.type() == rapidxml::node_data || n.type() == rapidxml::node_cdata;
}
// The first control byte that the parsed text cannot hold, or 0 when there is
// none: neither in the text nor produced by a character reference ("&#x1;", which
// the parser turns into that byte and a save writes for it).
char FreeMark(std::string_view text) {
  bool seen[32] = {};
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 32) seen[static_cast<unsigned char>(c)] = true;
  }
  for (std::size_t i = text.find("&#"); i != std::string_view::npos; i = text.find("&#", i + 1)) {
    std::size_t j = i + 2;
    const bool hex = j < text.size() && text[j] == 'x';
    if (hex) ++j;
    unsigned long code = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data() + j, end, code, hex ? 16 : 10);
    if (r.ec == std::errc() && code < 32) seen[code] = true;
  }
  for (unsigned char c = 1; c < 32; ++c) {
    if (!seen[c] && c != '\t' && c != '\n' && c != '\r') return static_cast<char>(c);
  }
  return 0;
}

// Marks the "&" of every entity reference the parser does not expand itself
// (anything but the five predefined entities and character references).
void MarkDeclaredReferences(std::string& text, char mark) {
  static constexpr std::string_view kPredefined[] = {"amp", "lt", "gt", "quot", "apos"};
  for (std::size_t i = text.find('&'); i != std::string::npos; i = text.find('&', i + 1)) {
    std::size_t j = i + 1;
    if (j >= text.size() || !IsNameStart(text[j])) continue;
    while (j < text.size() && IsNameChar(text[j])) ++j;
    if (j >= text.size() || text[j] != ';') continue;
    const std::string_view name(text.data() + i + 1, j - i - 1);
    bool predefined = false;
    for (std::string_view p : kPredefined) predefined = predefined || name == p;
    if (!predefined) text[i] = mark;
  }
}

// Prints one node. Elements that hold only elements (and comments) put each
// child on its own indented line; an element holding text is printed inline,
// since added blanks would change its text.
void AppendNode(const Node& n, int depth, bool indent, const PrintStyle& style, std::string& out) {
  switch (n.type()) {
    case rapidxml::node_element: {
      out += '<';
      out += NameOf(n);
      AppendAttributes(n, style, out);
      if (!n.first_node()) {
        out += " />";
        return;
      }
      out += '>';
      bool mixed = false;
      for (Node* child = n.first_node(); child; child = child->next_sibling()) {
        if (IsText(*child)) mixed = true;
      }
      const bool childIndent = indent && !mixed;
      for (Node* child = n.first_node(); child; child = child->next_sibling()) {
        if (childIndent) {
          out += kNewLine;
          AppendIndent(depth + 1, out);
        }
        AppendNode(*child, depth + 1, childIndent, style, out);
      }
      if (childIndent) {
        out += kNewLine;
        AppendIndent(depth, out);
      }
      out += "</";
      out += NameOf(n);
      out += '>';
      return;
    }
    case rapidxml::node_data:
      AppendEscaped(ValueOf(n), false, style, out);
      return;
    case rapidxml::node_cdata:
      out += "<![CDATA[";
      style.marks.Append(ValueOf(n), out);
      out += "]]>";
      return;
    case rapidxml::node_comment:
      // Comments cannot hold character references; their text is kept as it is.
      out += "<!--";
      style.marks.Append(ValueOf(n), out);
      out += "-->";
      return;
    case rapidxml::node_declaration:
      out += "<?xml";
      AppendAttributes(n, style, out);
      out += "?>";
      return;
    case rapidxml::node_doctype:
      out += "<!DOCTYPE ";
      style.marks.Append(ValueOf(n), out);
      out += '>';
      return;
    case rapidxml::node_pi:
      out += "<?";
      out += NameOf(n);
      if (n.value_size() > 0) {
        // A blank parts the name from a value that would otherwise continue it.
        // A value that starts with a character no name holds follows the name
        // directly, as it was read: after the name "xml" a blank would make the
        // instruction a declaration, which the next load refuses.
        const char first = n.value()[0];
        if (first != '/' && first != '>' && first != '?') out += ' ';
        style.marks.Append(ValueOf(n), out);
      }
      out += "?>";
      return;
    case rapidxml::node_document:
      return;
  }
}

}  // namespace kelvora::settings
