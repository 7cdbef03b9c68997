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
// Where a word ends: the next letter, comment or the line's end.
bool EndsWord(char c) {
  return IsLetter(c) || c == '(' || c == ';';
}

struct Number {
  double value = 0.0;
  bool ok = false;
};

// Reads the number of a word from `i`: an optional sign, digits with at most one
// decimal point, at least one digit; blanks may stand anywhere inside. `i` is
// left after the number (and the blanks after it).
Number ReadNumber(std::string_view line, std::size_t& i) {
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
    const double magnitude =
        static_cast<double>(mantissa) / kPow10[static_cast<std::size_t>(fraction)];
    result.value = negative ? -magnitude : magnitude;
    result.ok = true;
    return result;
  }
  // Long numbers: the exact conversion, on the text without its blanks.
  std::array<char, 128> buffer{};
  std::size_t length = 0;
  if (negative) buffer[length++] = '-';
  for (std::size_t k = begin; k < end; ++k) {
    const char c = line[k];
    if (IsDigit(c) || c == '.') {
      if (length == buffer.size()) return result;
      buffer[length++] = c;
    }
  }
  (void)blanks;
  double value = 0.0;
  const auto [ptr, ec] =
      std::from_chars(buffer.data(), buffer.data() + length, value, std::chars_format::fixed);
  if (ec != std::errc{} || ptr != buffer.data() + length || !std::isfinite(value)) return result;
  result.value = value;
  result.ok = true;
  return result;
}

// The group of a G code (ten times its number), or kCount for one not read.
GGroup GroupOf(int code) {
  switch (code) {
    case 0:
    case 10:
    case 20:
    case 30:
    case 730:
    case 800:
    case 810:
    case 820:
    case 830:
      return GGroup::kMotion;
    case 40:
      return GGroup::kDwell;
    case 170:
      return GGroup::kPlane;
    case 200:
    case 210:
      return GGroup::kUnits;
    case 400:
      return GGroup::kCompensation;
    case 490:
      return GGroup::kToolLength;
    case 900:
    case 910:
      return GGroup::kDistance;
    case 901:
    case 911:
      return GGroup::kArcDistance;
    case 980:
    case 990:
      return GGroup::kRetract;
    default:
      return GGroup::kCount;
  }
}

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

void ScanLine(std::string_view line, std::uint32_t lineNumber, MotionSink& sink,
              BlockWords& words) {
  words.letters = 0;
  words.g.fill(kNoCode);
  words.m.fill(kNoCode);
  const std::size_t n = line.size();
  std::size_t i = 0;
  while (i < n && IsBlank(line[i])) ++i;
  if (i < n && line[i] == '%') ++i;  // program delimiter
  while (i < n) {
    const char c = line[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == ';') return;
    if (c == '(') {
      const std::size_t close = line.find(')', i + 1);
      if (close == std::string_view::npos) {
        SendNotice(sink, NoticeKind::kUnclosedComment, lineNumber, line,
                   {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(n - i)});
        return;
      }
      i = close + 1;
      continue;
    }
    const std::size_t begin = i;
    if (!IsLetter(c)) {
      // Parameters, expressions, block delete and stray characters.
      ++i;
      while (i < n && !EndsWord(line[i])) ++i;
      SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line,
                 {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)});
      continue;
    }
    const char letter = Upper(c);
    ++i;
    const Number number = ReadNumber(line, i);
    if (!number.ok || (i < n && !EndsWord(line[i]))) {
      while (i < n && !EndsWord(line[i])) ++i;
      SendNotice(sink, NoticeKind::kMalformedNumber, lineNumber, line,
                 {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)});
      continue;
    }
    const WordSpan span{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i - begin)};
    const double value = number.value;
    if (letter == 'N') continue;
    if (letter == 'G' || letter == 'M') {
      // Codes are whole (G also tenths: G90.1); anything else is not a code we know.
      const double scaled = letter == 'G' ? value * 10.0 : value;
      const double rounded = std::nearbyint(scaled);
      const bool whole = std::fabs(scaled - rounded) < 1e-6 && rounded >= 0.0 && rounded < 10000.0;
      const int code = whole ? static_cast<int>(rounded) : kNoCode;
      if (letter == 'G') {
        const GGroup group = whole ? GroupOf(code) : GGroup::kCount;
        const auto slot = static_cast<std::size_t>(group);
        if (group == GGroup::kCount || words.g[slot] != kNoCode) {
          SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line, span);
          continue;
        }
        words.g[slot] = code;
        words.gSpan[slot] = span;
      } else {
        const MGroup group = whole ? GroupOfM(code) : MGroup::kCount;
        const auto slot = static_cast<std::size_t>(group);
        if (group == MGroup::kCount || words.m[slot] != kNoCode) {
          SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line, span);
          continue;
        }
        words.m[slot] = code;
        words.mSpan[slot] = span;
      }
      continue;
    }
    const std::uint32_t bit = Bit(letter);
    if ((kValueLetters & bit) == 0 || (words.letters & bit) != 0) {
      // A letter the reader does not know, or one given twice in the block.
      SendNotice(sink, NoticeKind::kUnknownWord, lineNumber, line, span);
      continue;
    }
    const auto index = static_cast<std::size_t>(letter - 'A');
    words.letters |= bit;
    words.value[index] = value;
    words.span[index] = span;
  }
}

}  // namespace kelvora::motion
