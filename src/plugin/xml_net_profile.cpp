#include "plugin/xml_net_profile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "text/files.h"
#include "text/parse.h"

namespace kelvora::plugin {
namespace {

using Node = rapidxml::xml_node<char>;
using Attribute = rapidxml::xml_attribute<char>;

// Keep the declaration, comments, document type and processing instructions so
// that a save gives the host back everything it wrote.
constexpr int kParseFlags = rapidxml::parse_full;

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

// The element's text content: every text below it, in document order.
void AppendTextContent(const Node& n, std::string& out) {
  for (Node* child = n.first_node(); child; child = child->next_sibling()) {
    if (IsText(*child)) {
      out += ValueOf(*child);
    } else if (child->type() == rapidxml::node_element) {
      AppendTextContent(*child, out);
    }
  }
}

// Decodes one UTF-8 sequence at `i`. A byte that does not start a valid
// sequence is taken as the character of the same number (Latin-1), so text from
// other encodings is kept rather than dropped.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  int length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  }
  if (length == 0 || i + length > s.size()) return byte(i++);
  for (int k = 1; k < length; ++k) {
    const unsigned char c = byte(i + k);
    if ((c & 0xC0u) != 0x80u) return byte(i++);
    code = (code << 6) | (c & 0x3Fu);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (overlong || surrogate || code > 0x10FFFF) return byte(i++);
  i += length;
  return code;
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

// Writes text or an attribute value as ASCII: markup characters as entities,
// characters outside ASCII (and, where a parser would lose them, line ends and
// blanks) as character references.
void AppendEscaped(std::string_view s, bool attribute, std::string& out) {
  // A text of blanks only would be dropped as mere indentation when read back.
  const bool blanksOnly = !attribute && !s.empty() && text::TrimBlanks(s).empty();
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      AppendCharRef(DecodeUtf8(s, i), out);
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

void AppendAttributes(const Node& n, std::string& out) {
  for (Attribute* a = n.first_attribute(); a; a = a->next_attribute()) {
    out += ' ';
    out += NameOf(*a);
    out += "=\"";
    AppendEscaped(ValueOf(*a), true, out);
    out += '"';
  }
}

void AppendIndent(int depth, std::string& out) {
  for (int k = 0; k < depth; ++k) out += kIndent;
}

// Prints one node. Elements that hold only elements (and comments) put each
// child on its own indented line; an element holding text is printed inline,
// since added blanks would change its text.
void AppendNode(const Node& n, int depth, bool indent, std::string& out) {
  switch (n.type()) {
    case rapidxml::node_element: {
      out += '<';
      out += NameOf(n);
      AppendAttributes(n, out);
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
        AppendNode(*child, depth + 1, childIndent, out);
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
      AppendEscaped(ValueOf(n), false, out);
      return;
    case rapidxml::node_cdata:
      out += "<![CDATA[";
      out += ValueOf(n);
      out += "]]>";
      return;
    case rapidxml::node_comment:
      // Comments cannot hold character references; their text is kept as it is.
      out += "<!--";
      out += ValueOf(n);
      out += "-->";
      return;
    case rapidxml::node_declaration:
      out += "<?xml";
      AppendAttributes(n, out);
      out += "?>";
      return;
    case rapidxml::node_doctype:
      out += "<!DOCTYPE ";
      out += ValueOf(n);
      out += '>';
      return;
    case rapidxml::node_pi:
      out += "<?";
      out += NameOf(n);
      if (n.value_size() > 0) {
        out += ' ';
        out += ValueOf(n);
      }
      out += "?>";
      return;
    case rapidxml::node_document:
      return;
  }
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
  char buffer[64];
  const auto r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view s(buffer, static_cast<std::size_t>(r.ptr - buffer));
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

bool XMLNetProfile::Load() {
  profileDocument_.clear();
  buffer_.clear();
  lastError_.clear();

  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(profileFileSpec_));
  if (!bytes) {
    // Nothing to parse: the caller goes on with defaults and must not save.
    lastError_ = "Cannot read the file " + profileFileSpec_;
    return false;
  }
  // The parser stops at a NUL byte as if the file ended there; a save would then
  // drop whatever follows, so such a file is refused as malformed.
  if (const std::size_t nul = bytes->find('\0'); nul != std::string::npos) {
    Warn("Unexpected NUL character (" + PositionText(*bytes, nul) + ")");
    return false;
  }
  if (const std::size_t deep = TooDeepAt(*bytes); deep != std::string::npos) {
    Warn("Elements are nested too deeply (" + PositionText(*bytes, deep) + ")");
    return false;
  }
  buffer_.assign(bytes->begin(), bytes->end());
  buffer_.push_back('\0');
  try {
    profileDocument_.parse<kParseFlags>(buffer_.data());
  } catch (const rapidxml::parse_error& e) {
    std::string message = e.what();
    if (const char* where = e.where<char>()) {
      message +=
          " (" + PositionText(*bytes, static_cast<std::size_t>(where - buffer_.data())) + ")";
    }
    profileDocument_.clear();
    buffer_.clear();
    Warn(message);
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
  std::string out;
  for (Node* n = profileDocument_.first_node(); n; n = n->next_sibling()) {
    AppendNode(*n, 0, true, out);
    out += kNewLine;
  }
  return out;
}

bool XMLNetProfile::Save() {
  lastError_.clear();
  if (!profileDocument_.first_node()) {
    lastError_ = "There is nothing to save to " + profileFileSpec_;
    return false;
  }
  const std::string failure =
      text::WriteFileAtomic(text::PathFromUtf8(profileFileSpec_), Serialize());
  if (!failure.empty()) {
    Warn(failure);
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
  AppendTextContent(*entry, content);
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
