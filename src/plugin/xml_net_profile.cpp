#include "plugin/xml_net_profile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "text/encodings.h"
#include "text/files.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::plugin {
namespace {

using Node = rapidxml::xml_node<char>;
using Attribute = rapidxml::xml_attribute<char>;

// Keep the declaration, comments, document type and processing instructions so
// that a save gives the host back everything it wrote. The parser must not end
// names and values with NUL bytes in the text: where a processing instruction's
// value follows its name directly ("<?x>...?>") the NUL would replace the value's
// first character, and the save would write it into the file. Every name and
// value is read by its size instead.
constexpr int kParseFlags = rapidxml::parse_full | rapidxml::parse_no_string_terminators;

constexpr std::string_view kNewLine = "\r\n";
constexpr std::string_view kIndent = "  ";

std::string_view NameOf(const rapidxml::xml_base<char>& n) {
  return {n.name(), n.name_size()};
}
std::string_view ValueOf(const rapidxml::xml_base<char>& n) {
  return {n.value(), n.value_size()};
}

bool IsText(const Node& n) {
  return n.type() == rapidxml::node_data || n.type() == rapidxml::node_cdata;
}

Node* FirstElement(const Node& parent, std::string_view name) {
  for (Node* child = parent.first_node(); child; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element && NameOf(*child) == name) return child;
  }
  return nullptr;
}

Node* RootElement(const rapidxml::xml_document<char>& doc) {
  for (Node* child = doc.first_node(); child; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element) return child;
  }
  return nullptr;
}

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

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
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

// The element's text content: every text below it, in document order.
void AppendTextContent(const Node& n, const ReferenceMarks& marks, std::string& out) {
  for (Node* child = n.first_node(); child; child = child->next_sibling()) {
    if (IsText(*child)) {
      marks.Append(ValueOf(*child), out);
    } else if (child->type() == rapidxml::node_element) {
      AppendTextContent(*child, marks, out);
    }
  }
}

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

// How the document is printed: a file in a single-byte code page keeps the
// characters that page holds as they are (they become the page's bytes when the
// text is encoded); every other character outside ASCII becomes a character
// reference.
struct PrintStyle {
  std::optional<text::Encoding> codePage;
  ReferenceMarks marks;
};

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

// The blanks of XML: space, tab, carriage return and line feed (not the vertical
// tab and form feed that text::IsBlank also takes).
bool IsXmlBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A character the parser takes into an attribute's name.
bool IsAttributeNameChar(char c) {
  return c != '\0' && !IsXmlBlank(c) && c != '!' && c != '/' && c != '<' && c != '=' && c != '>' &&
         c != '?';
}

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

// True when the document holds an XML declaration anywhere but as its first node.
bool HasMisplacedDeclaration(const Node& parent, const Node* first) {
  for (const Node* n = parent.first_node(); n; n = n->next_sibling()) {
    if (n->type() == rapidxml::node_declaration && n != first) return true;
    if (n->type() == rapidxml::node_element && HasMisplacedDeclaration(*n, first)) return true;
  }
  return false;
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

// The parser and the printer descend once per nesting level; a file nested
// deeper than any profile could be would exhaust the stack, so it is refused.
constexpr std::size_t kMaxNesting = 1000;

// Where the element nesting first goes beyond kMaxNesting, found by a quick scan
// of the tags (comments, sections and declarations skipped); npos if it never does.
std::size_t TooDeepAt(std::string_view s) {
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
      if (++depth > kMaxNesting) return start;
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

}  // namespace

std::string ProfileDoubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0) return "0";

  // 15 significant digits as d.dddddddddddddde±XX, then rearranged.
  char buffer[32];
  std::string_view s = text::Scientific15(value, buffer);
  std::string out;
  if (s.front() == '-') {
    out += '-';
    s.remove_prefix(1);
  }
  const std::size_t e = s.find('e');
  std::string digits(1, s[0]);
  if (e > 2) digits += s.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int exponent = std::atoi(std::string(s.substr(e + 1)).c_str());

  if (exponent < -4 || exponent >= 15) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent >= 0) {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole);
      out += '.';
      out += digits.substr(whole);
    }
  } else {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  }
  return out;
}

std::string ProfileIntText(int value) {
  return std::to_string(value);
}

XMLNetProfile::XMLNetProfile(std::string profileFileSpec, std::string sectionName, bool simplePath,
                             MessageSink messages)
    : profileFileSpec_(std::move(profileFileSpec)),
      sectionName_(std::move(sectionName)),
      simplePath_(simplePath),
      messages_(std::move(messages)) {}

void XMLNetProfile::Warn(const std::string& message) {
  lastError_ = message;
  if (messages_) messages_("Warning - " + message, kProfileCaption);
}

std::optional<std::string> XMLNetProfile::Decode(std::string_view bytes) {
  if (bytes.starts_with(text::kUtf8Bom)) {
    byteOrderMark_ = true;
    return std::string(bytes.substr(text::kUtf8Bom.size()));
  }
  const bool littleEndian = bytes.starts_with(text::kUtf16LeBom);
  if (littleEndian || bytes.starts_with(text::kUtf16BeBom)) {
    encoding_ = littleEndian ? text::Encoding::kUtf16Le : text::Encoding::kUtf16Be;
    byteOrderMark_ = true;
    std::size_t badAt = 0;
    auto decoded = text::Utf16ToUtf8(bytes.substr(2), !littleEndian, badAt);
    if (!decoded) {
      Warn("The file is not valid UTF-16 (byte " + std::to_string(badAt + 3) + ")");
    }
    return decoded;
  }
  // Without a byte-order mark the declaration names the encoding; UTF-8 if none.
  const auto declared = DeclaredEncoding(bytes);
  if (!declared) return std::string(bytes);
  const auto encoding = text::EncodingByName(*declared);
  const std::string name(*declared);
  if (!encoding) {
    Warn("The encoding \"" + name + "\" is not supported; the file is left as it is");
    return std::nullopt;
  }
  if (*encoding == text::Encoding::kUtf16Le || *encoding == text::Encoding::kUtf16Be) {
    Warn("The file declares the encoding \"" + name +
         "\" but has no byte-order mark; the file is left as it is");
    return std::nullopt;
  }
  encoding_ = *encoding;
  if (text::IsCodePage(*encoding)) return text::CodePageToUtf8(bytes, *encoding);
  return std::string(bytes);
}

bool XMLNetProfile::Load() {
  profileDocument_.clear();
  buffer_.clear();
  lastError_.clear();
  encoding_ = text::Encoding::kUtf8;
  byteOrderMark_ = false;
  referenceMark_ = 0;

  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(profileFileSpec_));
  if (!bytes) {
    // Nothing to parse: the caller goes on with defaults and must not save.
    lastError_ = "Cannot read the file " + profileFileSpec_;
    return false;
  }
  // The document is parsed as UTF-8 and written back in the file's own encoding.
  auto content = Decode(*bytes);
  if (!content) return false;
  // The parser stops at a NUL byte as if the file ended there; a save would then
  // drop whatever follows, so such a file is refused as malformed.
  if (const std::size_t nul = content->find('\0'); nul != std::string::npos) {
    Warn("Unexpected NUL character (" + PositionText(*content, nul) + ")");
    return false;
  }
  if (const std::size_t deep = TooDeepAt(*content); deep != std::string::npos) {
    Warn("Elements are nested too deeply (" + PositionText(*content, deep) + ")");
    return false;
  }
  if (content->find('&') != std::string::npos) {
    referenceMark_ = FreeMark(*content);
    if (referenceMark_ != 0) MarkDeclaredReferences(*content, referenceMark_);
  }
  buffer_.assign(content->begin(), content->end());
  buffer_.push_back('\0');
  try {
    profileDocument_.parse<kParseFlags>(buffer_.data());
  } catch (const rapidxml::parse_error& e) {
    std::string message = e.what();
    if (const char* where = e.where<char>()) {
      message +=
          " (" + PositionText(*content, static_cast<std::size_t>(where - buffer_.data())) + ")";
    }
    profileDocument_.clear();
    buffer_.clear();
    Warn(message);
    return false;
  }
  // The encoding is taken from a declaration at the very start of the file. A
  // declaration anywhere else (after other nodes, or inside an element) is not
  // well formed, and the save could bring it to the start, where the next load
  // would read the file in the encoding it names (the parser drops unknown "<!"
  // nodes before it). Such a file is refused and left as it is.
  const Node* first = profileDocument_.first_node();
  if (HasMisplacedDeclaration(profileDocument_, first) ||
      (first && first->type() == rapidxml::node_declaration && !DeclarationAtStart(*content))) {
    profileDocument_.clear();
    buffer_.clear();
    Warn("The XML declaration is not at the start of the file");
    return false;
  }
  if (!RootElement(profileDocument_)) {
    profileDocument_.clear();
    buffer_.clear();
    Warn("Root element is missing");
    return false;
  }
  return true;
}

std::string XMLNetProfile::Serialize() const {
  PrintStyle style;
  if (text::IsCodePage(encoding_)) style.codePage = encoding_;
  style.marks = {referenceMark_, std::string_view(buffer_.data(), buffer_.size())};
  std::string out;
  for (Node* n = profileDocument_.first_node(); n; n = n->next_sibling()) {
    AppendNode(*n, 0, true, style, out);
    out += kNewLine;
  }
  return out;
}

std::string XMLNetProfile::FileBytes() const {
  const std::string document = Serialize();
  switch (encoding_) {
    case text::Encoding::kUtf16Le:
      return std::string(text::kUtf16LeBom) + text::Utf8ToUtf16(document, false);
    case text::Encoding::kUtf16Be:
      return std::string(text::kUtf16BeBom) + text::Utf8ToUtf16(document, true);
    case text::Encoding::kLatin1:
    case text::Encoding::kWindows1252:
    case text::Encoding::kWindows1258:
      return ToCodePage(document, encoding_);
    case text::Encoding::kUtf8:
      break;
  }
  return byteOrderMark_ ? std::string(text::kUtf8Bom) + document : document;
}

bool XMLNetProfile::Save() {
  lastError_.clear();
  if (!profileDocument_.first_node()) {
    lastError_ = "There is nothing to save to " + profileFileSpec_;
    return false;
  }
  const Outcome<void> written =
      text::WriteFileAtomic(text::PathFromUtf8(profileFileSpec_), FileBytes());
  if (!written) {
    Warn(written.failure().message);
    return false;
  }
  return true;
}

std::vector<std::string> XMLNetProfile::ElementPath(std::string_view key) const {
  std::vector<std::string> path{sectionName_};
  if (!simplePath_) {
    path.emplace_back(key);
    return path;
  }
  while (true) {
    const std::size_t slash = key.find('/');
    path.emplace_back(key.substr(0, slash));
    if (slash == std::string_view::npos) break;
    key.remove_prefix(slash + 1);
  }
  return path;
}

XMLNetProfile::Element* XMLNetProfile::FindEntry(std::string_view key) const {
  Node* current = RootElement(profileDocument_);
  for (const std::string& name : ElementPath(key)) {
    if (!current) break;
    current = FirstElement(*current, name);
  }
  return current;
}

void XMLNetProfile::SetEntry(std::string_view key, std::string_view text) {
  const std::vector<std::string> path = ElementPath(key);
  // An empty name would make the file unreadable.
  for (const std::string& name : path) {
    if (name.empty()) return;
  }
  auto& doc = profileDocument_;
  const auto allocate = [&doc](std::string_view s) -> const char* {
    return s.empty() ? "" : doc.allocate_string(s.data(), s.size());
  };
  Node* current = RootElement(doc);
  if (!current) {
    current = doc.allocate_node(rapidxml::node_element, "profile");
    doc.append_node(current);
  }
  for (const std::string& name : path) {
    Node* child = FirstElement(*current, name);
    if (!child) {
      child = doc.allocate_node(rapidxml::node_element, allocate(name), nullptr, name.size());
      current->append_node(child);
    }
    current = child;
  }
  current->remove_all_nodes();
  current->value("", 0);
  current->append_node(
      doc.allocate_node(rapidxml::node_data, nullptr, allocate(text), 0, text.size()));
}

std::optional<std::string> XMLNetProfile::EntryText(std::string_view key) const {
  const Element* entry = FindEntry(key);
  if (!entry) return std::nullopt;
  std::string content;
  AppendTextContent(*entry, {referenceMark_, std::string_view(buffer_.data(), buffer_.size())},
                    content);
  return content;
}

bool XMLNetProfile::ReadBool(std::string_view key, bool defaultValue) const {
  const auto stored = EntryText(key);
  return stored ? *stored == "True" : defaultValue;
}

int XMLNetProfile::ReadInt(std::string_view key, int defaultValue) const {
  const auto stored = EntryText(key);
  if (!stored) return defaultValue;
  return text::ParseInt32(*stored).value_or(defaultValue);
}

double XMLNetProfile::ReadDouble(std::string_view key, double defaultValue) const {
  const auto stored = EntryText(key);
  if (!stored) return defaultValue;
  return text::ParseDouble(*stored).value_or(defaultValue);
}

std::string XMLNetProfile::ReadString(std::string_view key, std::string_view defaultValue) const {
  return EntryText(key).value_or(std::string(defaultValue));
}

void XMLNetProfile::WriteBool(std::string_view key, bool value) {
  SetEntry(key, value ? "True" : "False");
}

void XMLNetProfile::WriteInt(std::string_view key, int value) {
  SetEntry(key, ProfileIntText(value));
}

void XMLNetProfile::WriteDouble(std::string_view key, double value) {
  SetEntry(key, ProfileDoubleText(value));
}

void XMLNetProfile::WriteString(std::string_view key, std::string_view value) {
  SetEntry(key, value);
}

}  // namespace kelvora::plugin
