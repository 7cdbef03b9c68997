#include "text/encodings.h"

#include <gtest/gtest.h>

namespace kelvora::text {
namespace {

TEST(Encodings, NamesInAnyLetterCase) {
  const struct {
    const char* name;
    std::optional<Encoding> encoding;
  } cases[] = {
      {"UTF-8", Encoding::kUtf8},
      {"utf-8", Encoding::kUtf8},
      {"US-ASCII", Encoding::kUtf8},
      {"UTF-16", Encoding::kUtf16Le},
      {"ISO-8859-1", Encoding::kLatin1},
      {"Latin1", Encoding::kLatin1},
      {"Windows-1252", Encoding::kWindows1252},
      {"CP1258", Encoding::kWindows1258},
      {"windows-1250", std::nullopt},
      {"Shift_JIS", std::nullopt},
      {"", std::nullopt},
      {"utf-8 ", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodingByName(c.name), c.encoding) << c.name;
}

TEST(Encodings, CodePagesReadTheirOwnCharacters) {
  const struct {
    Encoding page;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {Encoding::kWindows1252, "\x93Main\x94 \x80 caf\xE9", "“Main” € café"},
      {Encoding::kLatin1, "caf\xE9 \x93", "café \xC2\x93"},
      {Encoding::kWindows1258, "\xF0\xFD\xD5 \xEC \xFE \x80", "đưƠ \xCC\x81 ₫ €"},
      // Bytes the page leaves undefined are the control characters of that number.
      {Encoding::kWindows1252, "\x81\x8D", "\xC2\x81\xC2\x8D"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodePageToUtf8(c.bytes, c.page), c.utf8) << c.utf8;
  }
}

TEST(Encodings, EveryByteOfAPageComesBackAsItself) {
  for (Encoding page : {Encoding::kLatin1, Encoding::kWindows1252, Encoding::kWindows1258}) {
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 = CodePageToUtf8(std::string(1, static_cast<char>(b)), page);
      std::size_t i = 0;
      const auto code = NextUtf8(utf8, i);
      ASSERT_TRUE(code.has_value()) << b;
      EXPECT_EQ(i, utf8.size()) << b;
      EXPECT_EQ(CodePageByte(*code, page), static_cast<char>(b)) << b;
    }
  }
  EXPECT_EQ(CodePageByte(U'€', Encoding::kLatin1), std::nullopt);
  EXPECT_EQ(CodePageByte(U'ế', Encoding::kWindows1258), std::nullopt);  // only decomposed
  EXPECT_EQ(CodePageByte(U'Ă', Encoding::kWindows1252), std::nullopt);
}

TEST(Encodings, Utf16InBothByteOrders) {
  const std::u16string units = u"A\u00e9\u1ebf\U0001D11E";
  std::string le, be;
  for (char16_t u : units) {
    le += static_cast<char>(u & 0xFF);
    le += static_cast<char>(u >> 8);
    be += static_cast<char>(u >> 8);
    be += static_cast<char>(u & 0xFF);
  }
  const std::string utf8 = "Aéế\xF0\x9D\x84\x9E";
  std::size_t bad = 0;
  EXPECT_EQ(Utf16ToUtf8(le, false, bad), utf8);
  EXPECT_EQ(Utf16ToUtf8(be, true, bad), utf8);
  EXPECT_EQ(Utf8ToUtf16(utf8, false), le);
  EXPECT_EQ(Utf8ToUtf16(utf8, true), be);

  const struct {
    const char* what;
    std::string bytes;
    std::size_t badAt;
  } broken[] = {
      {"odd number of bytes", std::string("A\0B", 3), 2},
      {"low surrogate alone", std::string("A\0\x00\xDC", 4), 2},
      {"high surrogate at the end", std::string("\x00\xD8", 2), 0},
      {"high surrogate before a plain unit",
       std::string("\x3D\xD8"
                   "A\0",
                   4),
       0},
  };
  for (const auto& b : broken) {
    EXPECT_EQ(Utf16ToUtf8(b.bytes, false, bad), std::nullopt) << b.what;
    EXPECT_EQ(bad, b.badAt) << b.what;
  }
}

}  // namespace
}  // namespace kelvora::text
