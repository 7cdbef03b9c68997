#include "text/encodings.h"

#include <array>
#include <span>

namespace kelvora::text {
namespace {

// Characters 0x80 to 0xFF of the Windows code pages, each told by where it
// differs from the page before it: ISO-8859-1 is the identity, windows-1252
// puts printable characters into most of 0x80 to 0x9F, and windows-1258 takes
// four of those back and puts the Vietnamese letters and tone marks in place of
// fourteen Latin-1 characters.
struct PageChange {
  unsigned char byte;
  char16_t code;
};
constexpr PageChange kWindows1252Changes[] = {
    {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026}, {0x86, 0x2020},
    {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039}, {0x8C, 0x0152},
    {0x8E, 0x017D}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022},
    {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A},
    {0x9C, 0x0153}, {0x9E, 0x017E}, {0x9F, 0x0178}};
constexpr PageChange kWindows1258Changes[] = {
    {0x8A, 0x008A}, {0x8E, 0x008E}, {0x9A, 0x009A}, {0x9E, 0x009E}, {0xC3, 0x0102}, {0xCC, 0x0300},
    {0xD0, 0x0110}, {0xD2, 0x0309}, {0xD5, 0x01A0}, {0xDD, 0x01AF}, {0xDE, 0x0303}, {0xE3, 0x0103},
    {0xEC, 0x0301}, {0xF0, 0x0111}, {0xF2, 0x0323}, {0xF5, 0x01A1}, {0xFD, 0x01B0}, {0xFE, 0x20AB}};

using HighCodes = std::array<char16_t, 128>;

constexpr HighCodes WithChanges(HighCodes table, std::span<const PageChange> changes) {
  for (const PageChange& c : changes) table[c.byte - 0x80u] = c.code;
  return table;
}

constexpr HighCodes Latin1High() {
  HighCodes table{};
  for (std::size_t k = 0; k < table.size(); ++k) table[k] = static_cast<char16_t>(0x80 + k);
  return table;
}

constexpr HighCodes kWindows1252High = WithChanges(Latin1High(), kWindows1252Changes);
constexpr HighCodes kWindows1258High = WithChanges(kWindows1252High, kWindows1258Changes);

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

const HighCodes* HighTable(Encoding page) {
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

std::string CodePageToUtf8(std::string_view bytes, Encoding page) {
  const HighCodes* high = HighTable(page);
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
  const HighCodes* high = HighTable(page);
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
    const char32_t code = NextUtf8Lenient(utf8, i);
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
