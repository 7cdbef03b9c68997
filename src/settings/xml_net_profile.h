// One section of the host's XML profile, read and written by key. The whole file
// is loaded into a document, keys are elements below the section, and a save
// writes the whole document back, the host's own sections included.
#pragma once

#include <functional>
#include <optional>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "text/encodings.h"

namespace kelvora::settings {

// Shows a message to the operator: its text and the caption of the box.
using MessageSink = std::function<void(std::string_view text, std::string_view caption)>;

inline constexpr std::string_view kProfileCaption = "XMLNetProfile";

// The stored text forms of numbers. Doubles use the general invariant form: 15
// significant digits, trailing zeros dropped, "." as decimal point, exponent
// form ("1E-05", "1.5E+15") below 0.0001 and from 1E+15 up.
std::string ProfileDoubleText(double value);
std::string ProfileIntText(int value);

class XMLNetProfile {
 public:
  using Element = rapidxml::xml_node<char>;

  // Stores the three values; touches no file. `messages` receives the warnings a
  // failed load or save shows the operator (none when empty).
  XMLNetProfile(std::string profileFileSpec, std::string sectionName, bool simplePath,
                MessageSink messages = {});
  XMLNetProfile(const XMLNetProfile&) = delete;
  XMLNetProfile& operator=(const XMLNetProfile&) = delete;

  // Parses the whole file into the document. The file may be UTF-8 (with or
  // without a byte-order mark), UTF-16 with its byte-order mark, or in the
  // encoding its declaration names: ISO-8859-1, windows-1252 or windows-1258. A
  // file that is missing, unreadable, not well-formed or in another encoding
  // leaves the document empty and gives false.
  bool Load();
  // Writes the whole document over the file in the file's own encoding (UTF-8
  // for a new file), through a temporary file beside it that is then renamed, so
  // an interrupted save leaves the old file whole. An empty document (nothing
  // loaded, nothing written) is not saved.
  bool Save();

  // Readers: the key's stored value, or the default when the key is missing or
  // its text does not convert. Only "True" reads as true.
  bool ReadBool(std::string_view key, bool defaultValue = false) const;
  int ReadInt(std::string_view key, int defaultValue = 0) const;
  double ReadDouble(std::string_view key, double defaultValue = 0.0) const;
  std::string ReadString(std::string_view key, std::string_view defaultValue = {}) const;
  // The key's stored text (its element's text content), or nullopt when the key
  // is missing: tells a stored value that does not convert from a missing one.
  std::optional<std::string> EntryText(std::string_view key) const;

  void WriteBool(std::string_view key, bool value);
  void WriteInt(std::string_view key, int value);
  void WriteDouble(std::string_view key, double value);
  void WriteString(std::string_view key, std::string_view value);

  // The key's element, or null. Its names and values are not NUL-terminated: read
  // them with their sizes.
  Element* FindEntry(std::string_view key) const;
  // Stores `text` as the key's only content, creating the elements on its path
  // (and a "profile" root in an empty document) as needed.
  void SetEntry(std::string_view key, std::string_view text);

  // Why the last Load or Save failed; empty after a success.
  const std::string& LastError() const { return lastError_; }
  // The document as Save writes it, as UTF-8 text: characters outside ASCII as
  // character references, except those a single-byte code page file holds.
  std::string Serialize() const;
  // The bytes Save writes: Serialize in the file's own encoding.
  std::string FileBytes() const;

 private:
  // The file's text as UTF-8, its encoding noted for the save; nullopt (after a
  // warning) for an encoding that is not understood.
  std::optional<std::string> Decode(std::string_view bytes);
  std::vector<std::string> ElementPath(std::string_view key) const;
  void Warn(const std::string& message);

  rapidxml::xml_document<char> profileDocument_;
  std::vector<char> buffer_;  // the parsed file: the document points into it
  std::string profileFileSpec_;
  std::string sectionName_;
  bool simplePath_;
  MessageSink messages_;
  std::string lastError_;
  text::Encoding encoding_ = text::Encoding::kUtf8;
  bool byteOrderMark_ = false;  // a UTF-8 file that began with one keeps it
  // Stands for the "&" of references the parser left unexpanded (0: none).
  char referenceMark_ = 0;
};

}  // namespace kelvora::settings
