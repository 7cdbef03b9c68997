#include "text/utf8.h"

namespace kelvora::text {

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  // C0 and C1 could only start overlong forms, F5 to FF only values above
  // U+10FFFF: neither starts a sequence.
  std::size_t length = 0;
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
  if (length == 0 || i + length > text.size()) {
    ++i;
    return std::nullopt;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char c = byte(i + k);
    if ((c & 0xC0u) != 0x80u) {
      ++i;
      return std::nullopt;
    }
    code = (code << 6) | (c & 0x3Fu);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (overlong || surrogate || code > 0x10FFFF) {
    ++i;
    return std::nullopt;
  }
  i += length;
  return code;
}

char32_t NextUtf8Lenient(std::string_view text, std::size_t& i) {
  const std::size_t at = i;
  return NextUtf8(text, i).value_or(static_cast<unsigned char>(text[at]));
}

std::u32string DecodeUtf8Lenient(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out += NextUtf8Lenient(text, i);
  return out;
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace kelvora::text
