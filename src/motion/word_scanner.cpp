#include "motion/word_scanner.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>
#include <system_error>

namespace kelvora::motion {
namespace {

constexpr std::size_t kMaxNoticeText = 40;

// Powers of ten a double holds exactly: a decimal of at most 15 digits divided
// by one of them is the correctly rounded value (one exact division).
constexpr std::array<double, 23> kPow10 = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The same as whole numbers, for the digits of a fraction (at most 15 in all).
constexpr std::array<std::uint64_t, 17> kPow10Whole = {1ULL,
                                                       10ULL,
                                                       100ULL,
                                                       1000ULL,
                                                       10000ULL,
                                                       100000ULL,
                                                       1000000ULL,
                                                       10000000ULL,
                                                       100000000ULL,
                                                       1000000000ULL,
                                                       10000000000ULL,
                                                       100000000000ULL,
                                                       1000000000000ULL,
                                                       10000000000000ULL,
                                                       100000000000000ULL,
                                                       1000000000000000ULL,
                                                       10000000000000000ULL};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}
// Where a word ends: the next letter, comment or the line's end.
bool EndsWord(char c) {
  return IsLetter(c) || c == '(' || c == ';' || IsLineEnd(c);
}

// Whether an exponent ("e3", "E-2") stands right after a number that ends at
// `i`, and if so moves `i` past it: "X1e3" is one malformed number, not X1 and
// a word E3. With a blank between ("X1 E3") the E is a word of its own.
bool ExponentFollows(std::string_view text, std::size_t& i) {
  const std::size_t n = text.size();
  if (i == 0 || i >= n || IsBlank(text[i - 1]) || Upper(text[i]) != 'E') return false;
  std::size_t k = i + 1;
  if (k < n && (text[k] == '+' || text[k] == '-')) ++k;
  if (k >= n || !IsDigit(text[k])) return false;
  // The exponent's digits are the number's: the notice quotes them with it.
  while (k < n && IsDigit(text[k])) ++k;
  i = k;
  return true;
}

struct Number {
  double value = 0.0;
  bool ok = false;
};

// Reads the number of a word from `i`: an optional sign, digits with at most one
// decimal point, at least one digit; blanks may stand anywhere inside. `i` is
// left after the number (and the blanks after it).
Number ReadNumberSlowly(std::string_view line, std::size_t& i) {
  const std::size_t n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  const std::size_t begin = i;
  bool negative = false;
  if (i < n && (line[i] == '+' || line[i] == '-')) {
    negative = line[i] == '-';
    ++i;
    while (i < n && IsBlank(line[i])) ++i;
  }
  std::uint64_t mantissa = 0;
  int significant = 0;  // digits held in the mantissa, leading zeros not counted
  int fraction = 0;     // of which after the point
  bool point = false;
  bool digits = false;
  bool blanks = false;
  while (i < n) {
    const char c = line[i];
    if (IsDigit(c)) {
      digits = true;
      if (significant < 19) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        if (mantissa != 0) ++significant;
        if (point) ++fraction;
      } else {
        significant = 99;  // too many for the short road
      }
      ++i;
    } else if (c == '.' && !point) {
      point = true;
      ++i;
    } else if (IsBlank(c)) {
      std::size_t k = i;
      while (k < n && IsBlank(line[k])) ++k;
      if (k < n && (IsDigit(line[k]) || (line[k] == '.' && !point))) {
        blanks = true;
        i = k;
      } else {
        break;
      }
    } else {
      break;
    }
  }
  const std::size_t end = i;
  while (i < n && IsBlank(line[i])) ++i;
  Number result;
  if (!digits) return result;
  if (significant <= 15 && fraction <= 22) {
    // Zeros at the end of the fraction ("12.500", "5.000") cost no division.
    while (fraction > 0 && mantissa % 10 == 0) {
      mantissa /= 10;
      --fraction;
    }
    const double magnitude =
        static_cast<double>(mantissa) / kPow10[static_cast<std::size_t>(fraction)];
    result.value = negative ? -magnitude : magnitude;
    result.ok = true;
    return result;
  }
  // Long numbers: the exact conversion, on the digits as they stand or, with
  // blanks among them, on a copy without the blanks (rare enough to allocate).
  std::size_t digitsBegin = begin;
  while (digitsBegin < end && !IsDigit(line[digitsBegin]) && line[digitsBegin] != '.') {
    ++digitsBegin;  // the sign and blanks after it
  }
  std::string_view text = line.substr(digitsBegin, end - digitsBegin);
  std::string copy;
  if (blanks) {
    for (char c : text) {
      if (!IsBlank(c)) copy += c;
    }
    text = copy;
  }
  double value = 0.0;
  const auto [ptr, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc{} || ptr != text.data() + text.size() || !std::isfinite(value)) {
    return result;
  }
  if (negative) value = -value;
  result.value = value;
  result.ok = true;
  return result;
}

// The same for the usual number, written without blanks inside and with at most
// 15 digits (what every program of ours holds): one pass, no branch per digit
// beyond the loop's own. Anything else goes the slow way from the start.
Number ReadNumber(std::string_view line, std::size_t& i) {
  const char* const data = line.data();
  const char* const end = data + line.size();
  const char* q = data + i;
  bool negative = false;
  if (q < end && (*q == '-' || *q == '+')) {
    negative = *q == '-';
    ++q;
  }
  std::uint64_t mantissa = 0;
  const char* const first = q;
  while (q < end && static_cast<unsigned char>(*q - '0') < 10) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*q - '0');
    ++q;
  }
  int fraction = 0;
  std::ptrdiff_t digits = q - first;
  if (q < end && *q == '.') {
    // Zeros at the end of the fraction ("12.500", "5.000") are left out, so
    // that they cost no division; zeros before a later digit are taken with it.
    const char* const point = ++q;
    int zeros = 0;
    while (q < end && static_cast<unsigned char>(*q - '0') < 10) {
      const auto digit = static_cast<std::uint64_t>(*q - '0');
      if (digit == 0) {
        ++zeros;
      } else {
        if (zeros >= 15) return ReadNumberSlowly(line, i);
        mantissa = mantissa * kPow10Whole[static_cast<std::size_t>(zeros) + 1] + digit;
        fraction += zeros + 1;
        zeros = 0;
      }
      ++q;
    }
    digits += q - point;
  }
  if (digits == 0 || digits > 15) return ReadNumberSlowly(line, i);
  // Blanks after the number: the number goes on after them when a digit or a
  // point follows ("X1 0.5"), which the slow way reads.
  const char* after = q;
  while (after < end && IsBlank(*after)) ++after;
  if (after != q && after < end &&
      (static_cast<unsigned char>(*after - '0') < 10 || *after == '.')) {
    return ReadNumberSlowly(line, i);
  }
  double magnitude = static_cast<double>(mantissa);
  if (fraction > 0) magnitude /= kPow10[static_cast<std::size_t>(fraction)];
  i = static_cast<std::size_t>(after - data);
  return {negative ? -magnitude : magnitude, true};
}

// The group of each G code below G100 (ten times its number), kCount for one
// not read.
constexpr std::array<GGroup, 1000> kGroupOf = [] {
  std::array<GGroup, 1000> table{};
  table.fill(GGroup::kCount);
  for (int code : {0, 10, 20, 30, 730, 800, 810, 820, 830}) table[code] = GGroup::kMotion;
  table[40] = GGroup::kDwell;
  table[170] = GGroup::kPlane;
  table[200] = table[210] = GGroup::kUnits;
  table[400] = GGroup::kCompensation;
  table[490] = GGroup::kToolLength;
  table[900] = table[910] = GGroup::kDistance;
  table[901] = table[911] = GGroup::kArcDistance;
  table[980] = table[990] = GGroup::kRetract;
  table[940] = GGroup::kFeedMode;
  return table;
}();

MGroup GroupOfM(int code) {
  switch (code) {
    case 0:
    case 1:
    case 2:
    case 30:
      return MGroup::kStop;
    case 6:
      return MGroup::kToolChange;
    case 3:
    case 4:
    case 5:
      return MGroup::kSpindle;
    case 7:
    case 8:
    case 9:
      return MGroup::kCoolant;
    default:
      return MGroup::kCount;
  }
}

// Letters that carry a value the reader uses (G, M and N are handled apart).
constexpr std::uint32_t Bit(char letter) {
  return 1U << (letter - 'A');
}
constexpr std::uint32_t kValueLetters = Bit('X') | Bit('Y') | Bit('Z') | Bit('A') | Bit('B') |
                                        Bit('C') | Bit('I') | Bit('J') | Bit('R') | Bit('Q') |
                                        Bit('P') | Bit('L') | Bit('F') | Bit('S') | Bit('T');

// Whether the control reads the word: the dialect table's letters and codes,
// and A only on a control with an A axis.
bool ControlReads(const text::DialectRules& control, char letter, double number) {
  if (letter == 'A' && !control.aAxis) return false;
  return text::AcceptsWord(control, letter, number);
}

}  // namespace

void SendNotice(MotionSink& sink, NoticeKind kind, std::uint32_t lineNumber, std::string_view line,
                WordSpan span) {
  std::string_view text;
  if (span.begin < line.size()) text = line.substr(span.begin, span.length);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.size() > kMaxNoticeText) text = text.substr(0, kMaxNoticeText);
  Notice notice;
  notice.kind = kind;
  notice.line = lineNumber;
  notice.word.assign(text);
  sink.OnNotice(notice);
}

std::size_t ScanLine(std::string_view text, std::uint32_t lineNumber, MotionSink& sink,
                     BlockWords& words, const text::DialectRules* control) {
  words.letters = 0;
  words.gGiven = 0;
  words.mGiven = 0;
  words.foreign = 0;
  const std::string_view line = text;  // notices quote spans of it
  const std::size_t n = text.size();
  auto lineEnd = [&](std::size_t from) {
    while (from < n && !IsLineEnd(text[from])) ++from;
    return from;
  };
  std::size_t i = 0;
  while (i < n && IsBlank(text[i])) ++i;
  if (i < n && text[i] == '%') {  // program delimiter
    if (control != nullptr && !control->keepsPercent) {
      SendNotice(sink, NoticeKind::kForeignWord, lineNumber, line,
                 {static_cast<std::uint32_t>(i), 1});
    }
    ++i;
  }
  while (i < n) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (IsLineEnd(c)) return i;
    if (c == ';') return lineEnd(i);
    if (c == '(') {
      std::size_t close = i + 1;
      while (close < n && text[close] != ')' && !IsLineEnd(text[close])) ++close;
      if (close == n || text[close] != ')') {
        SendNotice(sink, NoticeKind::kUnclosedComment, lineNumber, line,
                   {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(close - i)});
        return close;
      }
      i = close + 1;
      continue;
    }
    const std::size_t begin = i;
    if (!IsLetter(c)) {
      // Parameters, expressions, block delete and stray characters.
      ++i;
      while (i < n && !EndsWord(text[i])) ++i;
      SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line,
                 {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)});
      continue;
    }
    const char letter = Upper(c);
    ++i;
    // A word the control does not read is reported as that alone (the reader's
    // own notices on it would say the same again); it is read on as it stands.
    bool foreign = false;
    auto checkControl = [&](double value, WordSpan span) {
      if (control == nullptr || ControlReads(*control, letter, value)) return;
      foreign = true;
      words.foreign |= Bit(letter);
      SendNotice(sink, NoticeKind::kForeignWord, lineNumber, line, span);
    };
    // G and M codes: ten times a G code's number (G90.1 is 901), an M code's own.
    auto storeCode = [&](int code, WordSpan span) {
      // One code of each group a block: a second one, or a code of no group, is refused.
      auto store = [&](auto group, auto count, std::uint32_t& given, auto& codes, auto& spans) {
        const auto slot = static_cast<std::size_t>(group);
        if (group == count || ((given >> slot) & 1U) != 0) {
          if (!foreign) SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line, span);
          return;
        }
        given |= 1U << slot;
        codes[slot] = code;
        spans[slot] = span;
      };
      if (letter == 'G') {
        store(code >= 0 && code < 1000 ? kGroupOf[static_cast<std::size_t>(code)] : GGroup::kCount,
              GGroup::kCount, words.gGiven, words.g, words.gSpan);
      } else if (code >= 100 && code <= 199) {
        // The host control's own macros: read as a note, since the host runs
        // them and other controls refuse them. For another control its own
        // words say whether it reads them (LinuxCNC runs its own M100-M199).
        if (control == nullptr) SendNotice(sink, NoticeKind::kHostMacro, lineNumber, line, span);
      } else {
        store(code >= 0 ? GroupOfM(code) : MGroup::kCount, MGroup::kCount, words.mGiven, words.m,
              words.mSpan);
      }
    };
    if ((letter == 'G' || letter == 'M') && i < n && IsDigit(text[i])) {
      // The short road for the usual code: up to three digits, a G code's one
      // decimal, then the next word, a comment or the line's end.
      std::size_t k = i;
      int code = 0;
      while (k < n && k - i < 3 && IsDigit(text[k])) code = code * 10 + (text[k++] - '0');
      if (letter == 'G') {
        code *= 10;
        if (k + 1 < n && text[k] == '.' && IsDigit(text[k + 1])) {
          code += text[k + 1] - '0';
          k += 2;
        }
      }
      std::size_t next = k;
      while (next < n && IsBlank(text[next])) ++next;
      if (next == n || EndsWord(text[next])) {
        const WordSpan span{static_cast<std::uint32_t>(begin),
                            static_cast<std::uint32_t>(k - begin)};
        if (control != nullptr) checkControl(letter == 'G' ? code / 10.0 : code, span);
        storeCode(code, span);
        i = next;
        continue;
      }
    }
    const Number number = ReadNumber(text, i);
    // A control of its own words reads "X1E3" as X1 and an E word, which its
    // check reports; the host's reading says the number does not read.
    if (!number.ok || (i < n && !EndsWord(text[i])) ||
        (control == nullptr && ExponentFollows(text, i))) {
      while (i < n && !EndsWord(text[i])) ++i;
      SendNotice(sink, NoticeKind::kMalformedNumber, lineNumber, line,
                 {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)});
      continue;
    }
    const WordSpan span{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)};
    const double value = number.value;
    if (control != nullptr) checkControl(value, span);
    if (letter == 'N') continue;
    if (letter == 'G' || letter == 'M') {
      // Codes are whole (G also tenths); anything else is not a code we know.
      const double scaled = letter == 'G' ? value * 10.0 : value;
      const bool inRange = scaled >= 0.0 && scaled < 10000.0;
      const int rounded = inRange ? static_cast<int>(scaled + 0.5) : kNoCode;
      const bool whole = inRange && std::fabs(scaled - rounded) < 1e-6;
      storeCode(whole ? rounded : kNoCode, span);
      continue;
    }
    const std::uint32_t bit = Bit(letter);
    if ((kValueLetters & bit) == 0 || (words.letters & bit) != 0) {
      // A letter the reader does not know, or one given twice in the block.
      if (!foreign) SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line, span);
      continue;
    }
    const auto index = static_cast<std::size_t>(letter - 'A');
    words.letters |= bit;
    words.value[index] = value;
    words.span[index] = span;
  }
  return n;
}

}  // namespace kelvora::motion
