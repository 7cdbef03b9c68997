#include "text/utf8.h"

#include <gtest/gtest.h>

#include "text/utf16.h"

namespace kelvora::text {
namespace {

// Each text read both ways: the strict reading's characters, with 0 where a byte
// starts no character, and the lenient reading's.
TEST(Utf8, StrictAndLenientReadings) {
  const struct {
    const char* what;
    std::string bytes;
    std::u32string strict;   // U'\0' stands for a refused byte
    std::u32string lenient;  // what a text box or the width estimate sees
  } cases[] = {
      {"ASCII", "G0X1", U"G0X1", U"G0X1"},
      {"two, three and four bytes", "\xC3\xA9\xE1\xBA\xBF\xF0\x9F\x98\x80", U"éế😀", U"éế😀"},
      {"the highest character", "\xF4\x8F\xBF\xBF", U"\U0010FFFF", U"\U0010FFFF"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", std::u32string(4, U'\0'), U"\xF4\x90\x80\x80"},
      {"a lead byte beyond F4", "\xF5\x80\x80\x80", std::u32string(4, U'\0'), U"\xF5\x80\x80\x80"},
      {"overlong two bytes", "\xC0\xAF", std::u32string(2, U'\0'), U"\xC0\xAF"},
      {"overlong three bytes", "\xE0\x80\xAF", std::u32string(3, U'\0'), U"\xE0\x80\xAF"},
      {"overlong four bytes", "\xF0\x80\x80\xAF", std::u32string(4, U'\0'), U"\xF0\x80\x80\xAF"},
      {"a surrogate", "\xED\xA0\x80", std::u32string(3, U'\0'), U"\xED\xA0\x80"},
      {"cut short at the end", "A\xE1\xBA", std::u32string{U'A', 0, 0}, U"A\xE1\xBA"},
      {"broken off by a plain byte",
       "\xE1\xBA"
       "A",
       std::u32string{0, 0, U'A'},
       U"\xE1\xBA"
       "A"},
      {"a continuation byte alone",
       "\x80"
       "A",
       std::u32string{0, U'A'},
       U"\x80"
       "A"},
      {"a byte no character starts with", "\xFF", std::u32string(1, U'\0'), U"\xFF"},
  };
  for (const auto& c : cases) {
    std::u32string strict;
    for (std::size_t i = 0; i < c.bytes.size();) strict += NextUtf8(c.bytes, i).value_or(0);
    EXPECT_EQ(strict, c.strict) << c.what;
    EXPECT_EQ(DecodeUtf8Lenient(c.bytes), c.lenient) << c.what;
    // A text converts for the host exactly when the strict reading takes all of it.
    const bool wellFormed = c.strict.find(U'\0') == std::u32string::npos;
    EXPECT_EQ(Utf8ToUtf16(c.bytes).has_value(), wellFormed) << c.what;
  }
}

TEST(Utf8, EveryCharacterWrittenReadsBack) {
  for (char32_t code : {U'\0', U'\x7F', U'\x80', U'\x7FF', U'\x800', U'\xD7FF', U'\xE000',
                        U'\xFFFF', U'\x10000', U'\x1F600', U'\x10FFFF'}) {
    std::string bytes;
    AppendUtf8(code, bytes);
    std::size_t i = 0;
    EXPECT_EQ(NextUtf8(bytes, i), code) << static_cast<unsigned long>(code);
    EXPECT_EQ(i, bytes.size()) << static_cast<unsigned long>(code);
  }
}

}  // namespace
}  // namespace kelvora::text
