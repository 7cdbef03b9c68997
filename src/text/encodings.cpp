#include "text/encodings.h"

#include <array>

namespace kelvora::text {
namespace {

// Characters 0x80 to 0xFF of the Windows code pages; ISO-8859-1 is the identity.
constexpr std::array<char16_t, 128> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
constexpr std::array<char16_t, 128> kWindows1258High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x008A, 0x2039,
    0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x009A, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x0300, 0x00CD, 0x00CE, 0x00CF, 0x0110, 0x00D1, 0x0309, 0x00D3,
    0x00D4, 0x01A0, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x01AF, 0x0303, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x0301, 0x00ED, 0x00EE, 0x00EF, 0x0111, 0x00F1, 0x0323, 0x00F3, 0x00F4, 0x01A1, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x01B0, 0x20AB, 0x00FF,
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

const std::array<char16_t, 128>* HighTable(Encoding page) {
  switch (page) {
    case Encoding::kWindows1252:
      return &kWindows1252High;
    case Encoding::kWindows1258:
      return &kWindows1258High;
    default:
      return nullptr;
  }
}

void AppendUnit(char16_t unit, bool bigEndian, std::string& out) {
  const auto high = static_cast<char>(unit >> 8);
  const auto low = static_cast<char>(unit & 0xFF);
  out += bigEndian ? high : low;
  out += bigEndian ? low : high;
}

}  // namespace

std::optional<Encoding> EncodingByName(std::string_view name) {
  struct Alias {
    std::string_view name;
    Encoding encoding;
  };
  static constexpr Alias kAliases[] = {
      {"utf-8", Encoding::kUtf8},         {"utf8", Encoding::kUtf8},
      {"us-ascii", Encoding::kUtf8},      {"ascii", Encoding::kUtf8},
      {"utf-16", Encoding::kUtf16Le},  // the byte-order mark decides the order
      {"utf-16le", Encoding::kUtf16Le},   {"utf-16be", Encoding::kUtf16Be},
      {"iso-8859-1", Encoding::kLatin1},  {"iso8859-1", Encoding::kLatin1},
      {"iso_8859-1", Encoding::kLatin1},  {"latin1", Encoding::kLatin1},
      {"latin-1", Encoding::kLatin1},     {"windows-1252", Encoding::kWindows1252},
      {"cp1252", Encoding::kWindows1252}, {"windows-1258", Encoding::kWindows1258},
      {"cp1258", Encoding::kWindows1258},
  };
  for (const Alias& a : kAliases) {
    if (SameName(name, a.name)) return a.encoding;
  }
  return std::nullopt;
}

bool IsCodePage(Encoding encoding) {
  return encoding == Encoding::kLatin1 || encoding == Encoding::kWindows1252 ||
         encoding == Encoding::kWindows1258;
}

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
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

std::string CodePageToUtf8(std::string_view bytes, Encoding page) {
  const std::array<char16_t, 128>* high = HighTable(page);
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(b < 0x80 || !high ? char32_t{b} : char32_t{(*high)[b - 0x80]}, out);
  }
  return out;
}

std::optional<char> CodePageByte(char32_t code, Encoding page) {
  if (code < 0x80) return static_cast<char>(code);
  const std::array<char16_t, 128>* high = HighTable(page);
  if (!high) {
    if (code <= 0xFF) return static_cast<char>(code);
    return std::nullopt;
  }
  for (std::size_t k = 0; k < high->size(); ++k) {
    if ((*high)[k] == code) return static_cast<char>(0x80 + k);
  }
  return std::nullopt;
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::size_t& badAt) {
  if (bytes.size() % 2 != 0) {
    badAt = bytes.size() - 1;
    return std::nullopt;
  }
  const auto unit = [&](std::size_t k) {
    const auto a = static_cast<unsigned char>(bytes[k]);
    const auto b = static_cast<unsigned char>(bytes[k + 1]);
    return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  std::string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t k = 0; k < bytes.size(); k += 2) {
    char32_t code = unit(k);
    if (code >= 0xDC00 && code <= 0xDFFF) {
      badAt = k;
      return std::nullopt;
    }
    if (code >= 0xD800 && code <= 0xDBFF) {
      const char32_t low = k + 3 < bytes.size() ? unit(k + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        badAt = k;
        return std::nullopt;
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      k += 2;
    }
    AppendUtf8(code, out);
  }
  return out;
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    const char32_t code = NextUtf8(utf8, i).value_or(static_cast<unsigned char>(utf8[at]));
    if (code < 0x10000) {
      AppendUnit(static_cast<char16_t>(code), bigEndian, out);
    } else {
      const char32_t v = code - 0x10000;
      AppendUnit(static_cast<char16_t>(0xD800 + (v >> 10)), bigEndian, out);
      AppendUnit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)), bigEndian, out);
    }
  }
  return out;
}

}  // namespace kelvora::text
