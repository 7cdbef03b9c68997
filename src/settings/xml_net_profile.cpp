#include "settings/xml_net_profile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "settings/xml_printer.h"
#include "text/encodings.h"
#include "text/files.h"
#include "text/number_format.h"
#include "text/parse.h"
#include "text/xml_text.h"

namespace kelvora::settings {
namespace {

using Node = XmlNode;

// Keep the declaration, comments, document type and processing instructions so
// that a save gives the host back everything it wrote. The parser must not end
// names and values with NUL bytes in the text: where a processing instruction's
// value follows its name directly ("<?x>...?>") the NUL would replace the value's
// first character, and the save would write it into the file. Every name and
// value is read by its size instead.
constexpr int kParseFlags = rapidxml::parse_full | rapidxml::parse_no_string_terminators;

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

// The parser and the printer descend once per nesting level; a file nested
// deeper than any profile could be would exhaust the stack, so it is refused.
constexpr std::size_t kMaxNesting = 1000;

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

// True when the document holds an XML declaration anywhere but as its first node.
bool HasMisplacedDeclaration(const Node& parent, const Node* first) {
  for (const Node* n = parent.first_node(); n; n = n->next_sibling()) {
    if (n->type() == rapidxml::node_declaration && n != first) return true;
    if (n->type() == rapidxml::node_element && HasMisplacedDeclaration(*n, first)) return true;
  }
  return false;
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
  const auto declared = text::DeclaredEncoding(bytes);
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
    Warn("Unexpected NUL character (" + text::PositionText(*content, nul) + ")");
    return false;
  }
  if (const std::size_t deep = text::TooDeepAt(*content, kMaxNesting); deep != std::string::npos) {
    Warn("Elements are nested too deeply (" + text::PositionText(*content, deep) + ")");
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
      message += " (" +
                 text::PositionText(*content, static_cast<std::size_t>(where - buffer_.data())) +
                 ")";
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
      (first && first->type() == rapidxml::node_declaration &&
       !text::DeclarationAtStart(*content))) {
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
      return text::ToCodePage(document, encoding_);
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

}  // namespace kelvora::settings
