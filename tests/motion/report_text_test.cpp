// The report's English texts: the summary line in its exact form, the full
// text's finding lines, and the JSON (read back by a small reader here).
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "motion/report_text.h"

namespace kelvora::motion {
namespace {

Report Sample(double minX, double maxX, double minZ, double maxZ, double seconds) {
  Report report;
  report.extents.any = true;
  report.extents.known = {true, true, true, true};
  report.extents.minimum = {minX, 10, minZ, 0};
  report.extents.maximum = {maxX, 50, maxZ, 0};
  report.seconds = seconds;
  return report;
}

// A sample with its counts, lengths and plain time filled in.
Report WithFigures(Report report, double feedLength) {
  report.lines = 40;
  report.moves = 12;
  report.rapidLength = 120.5;
  report.feedLength = feedLength;
  report.plainSeconds = 30;
  return report;
}

struct SummaryCase {
  std::string name;
  Report report;
  std::string expected;
};

TEST(ReportText, SummaryLine) {
  Report twoWarnings = Sample(10, 50, -5, 10, 83.2);
  twoWarnings.findingCount = 2;
  Report warningAndNote = Sample(-0.5, 1.23456, -5, 0, 3725);
  warningAndNote.findingCount = 2;
  warningAndNote.noteCount = 1;
  Report rotary = Sample(0, 0, 0, 5, 120.4);
  rotary.extents.maximum[kAxisA] = 90;
  Report dwellOnly;
  dwellOnly.seconds = 2.5;
  const SummaryCase cases[] = {
      {"the window's example", twoWarnings,
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 1 min 23 s \u00b7 "
       "2 warnings"},
      {"decimals, hours and a note", warningAndNote,
       "X \u22120.5\u20261.235 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u20260 \u00b7 1 h 2 min "
       "\u00b7 1 warning \u00b7 1 note"},
      {"A and whole minutes", rotary,
       "X 0\u20260 \u00b7 Y 10\u202650 \u00b7 Z 0\u20265 \u00b7 A 0\u202690 \u00b7 2 min \u00b7 "
       "no warnings"},
      {"no moves", Report{}, "no moves \u00b7 0 s \u00b7 no warnings"},
      {"a dwell alone rounds to whole seconds", dwellOnly,
       "no moves \u00b7 3 s \u00b7 no warnings"},
      {"just under the hour", Sample(10, 50, -5, 10, 3599.6),
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 1 h \u00b7 no warnings"},
      // Hours as whole numbers up to a billion; past that (where minutes once
      // overflowed into "0 h") four significant digits; past every number "∞".
      {"a million hours", Sample(10, 50, -5, 10, 3.6e9 + 1800),
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 1000000 h 30 min "
       "\u00b7 no warnings"},
      {"far more hours than minutes can count", Sample(10, 50, -5, 10, 1e21),
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 2.778e+17 h "
       "\u00b7 no warnings"},
      {"the largest time", Sample(10, 50, -5, 10, 1.7e308),
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 4.722e+304 h "
       "\u00b7 no warnings"},
      {"a time past every number", Sample(10, 50, -5, 10, HUGE_VAL),
       "X 10\u202650 \u00b7 Y 10\u202650 \u00b7 Z \u22125\u202610 \u00b7 \u221e h "
       "\u00b7 no warnings"},
  };
  for (const SummaryCase& c : cases) EXPECT_EQ(SummaryLine(c.report), c.expected) << c.name;
}

// The spin-up's line says how much of the run time is waited and at how many
// starts; a machine without a spin-up time shows none.
TEST(ReportText, SpinUpLineOnlyWhenWaited) {
  Report report = WithFigures(Sample(10, 50, -5, 10, 83), 80);
  EXPECT_EQ(ReportText(report).find("Spin-up"), std::string::npos);
  report.spinUps = 2;
  report.spinUpSeconds = 5;
  EXPECT_NE(ReportText(report).find("\nLength \u00f7 feed: 30 s (no acceleration)\nSpin-up: 5 s, "
                                    "2 spindle starts (the spindle starting or reversing; an "
                                    "M3/M4 while it turns that way waits none)\nLines: 40"),
            std::string::npos)
      << ReportText(report);
}

TEST(ReportText, FullTextListsFindingsWithTheirLines) {
  Report report = WithFigures(Sample(10, 50, -5, 10, 83), 80);
  report.dialect = "GRBL";
  report.findings = {{FindingKind::kRapidInStock, 12, "Z-2"},
                     {FindingKind::kSpindleOff, 14, "Z-1"},
                     {FindingKind::kNoFeed, 15, ""},
                     {FindingKind::kForeignWord, 16, "G83"},
                     {FindingKind::kLongLine, 17, "81 > 80"}};
  report.findingCount = 7;
  report.noteCount = 1;
  const std::string text = ReportText(report);
  // The summary, then the control the program was read for.
  EXPECT_EQ(text.substr(0, text.find('\n')), SummaryLine(report));
  EXPECT_EQ(text.substr(text.find('\n'), 15), "\nControl: GRBL\n");
  EXPECT_NE(ReportText(Report{}).find("\nControl: Host\n"), std::string::npos);
  for (const char* expected :
       {"\nline 16: word this control does not read (G83)\n",
        "\nline 17: line longer than the control reads (81 > 80)\n", "\nRapid length: 120.5 mm\n",
        "\nFeed length: 80 mm\n", "\nRun time: 1 min 23 s (", "\nLength \u00f7 feed: 30 s (",
        "\nLines: 40, moves: 12\n", "\nline 12: rapid below the stock top (Z-2)\n",
        "\nline 14: note: cutting with the spindle off in the program (Z-1)\n",
        "\nline 15: feed move with no feed rate\n", "\nand 2 more not listed\n"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  }
}

TEST(ReportText, EveryKindHasItsOwnNameAndText) {
  std::map<std::string, int> names;
  std::map<std::string, int> texts;
  for (int kind = 0; kind <= static_cast<int>(FindingKind::kArcEndNearCircle); ++kind) {
    const auto k = static_cast<FindingKind>(kind);
    ++names[std::string(FindingName(k))];
    ++texts[std::string(FindingText(k))];
  }
  EXPECT_EQ(names.size(), 16U);
  EXPECT_EQ(texts.size(), 16U);
  EXPECT_EQ(FindingName(FindingKind::kRapidInStock), "rapid_in_stock");
  EXPECT_EQ(FindingName(FindingKind::kForeignWord), "foreign_word");
  EXPECT_EQ(FindingName(FindingKind::kLongLine), "long_line");
}

// A small JSON reader, enough to read the report back: objects, arrays,
// strings (with \" \\ and \u00XX escapes), numbers, true, false, null.
struct Json {
  enum Type { kNull, kBool, kNumber, kString, kArray, kObject } type = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> fields;
  const Json& operator[](const std::string& key) const { return fields.at(key); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}
  bool Read(Json& out) {
    if (!Value(out)) return false;
    Space();
    return pos_ == text_.size();
  }

 private:
  void Space() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool Take(char c) {
    Space();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const std::string w(word);
    if (text_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }
  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (pos_ >= text_.size()) return false;
        c = text_[pos_++];
        if (c == 'u') {
          if (pos_ + 4 > text_.size()) return false;
          c = static_cast<char>(std::strtol(text_.substr(pos_, 4).c_str(), nullptr, 16));
          pos_ += 4;
        } else if (c != '"' && c != '\\') {
          return false;
        }
      }
      out += c;
    }
    return Take('"');
  }
  bool Value(Json& out) {
    Space();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') {
      out.type = Json::kObject;
      ++pos_;
      if (Take('}')) return true;
      do {
        std::string key;
        if (!String(key) || !Take(':') || !Value(out.fields[key])) return false;
      } while (Take(','));
      return Take('}');
    }
    if (c == '[') {
      out.type = Json::kArray;
      ++pos_;
      if (Take(']')) return true;
      do {
        out.items.emplace_back();
        if (!Value(out.items.back())) return false;
      } while (Take(','));
      return Take(']');
    }
    if (c == '"') {
      out.type = Json::kString;
      return String(out.text);
    }
    if (Word("true") || Word("false")) {
      out.type = Json::kBool;
      out.boolean = text_[pos_ - 1] == 'e' && text_[pos_ - 2] == 'u';
      return true;
    }
    if (Word("null")) return true;
    char* end = nullptr;
    out.type = Json::kNumber;
    out.number = std::strtod(text_.c_str() + pos_, &end);
    if (end == text_.c_str() + pos_) return false;
    pos_ = static_cast<std::size_t>(end - text_.c_str());
    return true;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

TEST(ReportText, JsonHoldsTheFigures) {
  Report report = WithFigures(Sample(-0.5, 50, -5, 10, 83.25), 80.125);
  report.findings = {{FindingKind::kUnknownWord, 3, "M101\"\\\x01"},
                     {FindingKind::kSpindleOff, 14, "Z-1"}};
  report.findingCount = 2;
  report.noteCount = 1;
  Json json;
  const std::string text = ReportJson(report);
  ASSERT_TRUE(JsonReader(text).Read(json)) << text;
  EXPECT_EQ(json["control"].text, "Host");
  EXPECT_EQ(json["extents"]["x"]["min"].number, -0.5);
  EXPECT_EQ(json["extents"]["z"]["max"].number, 10);
  EXPECT_EQ(json["rapidLength"].number, 120.5);
  EXPECT_EQ(json["feedLength"].number, 80.125);
  EXPECT_EQ(json["seconds"].number, 83.25);
  EXPECT_EQ(json["plainSeconds"].number, 30);
  EXPECT_EQ(json["moves"].number, 12);
  EXPECT_EQ(json["lines"].number, 40);
  EXPECT_EQ(json["warnings"].number, 1);
  EXPECT_EQ(json["notes"].number, 1);
  const Json& findings = json["findings"];
  ASSERT_EQ(findings.items.size(), 2U);
  EXPECT_EQ(findings.items[0]["line"].number, 3);
  EXPECT_EQ(findings.items[0]["kind"].text, "unknown_word");
  EXPECT_FALSE(findings.items[0]["note"].boolean);
  EXPECT_EQ(findings.items[0]["detail"].text, "M101\"\\\x01");
  EXPECT_TRUE(findings.items[1]["note"].boolean);
  EXPECT_EQ(findings.items[1]["kind"].text, "spindle_off");

  Json empty;
  Report linuxCnc;
  linuxCnc.dialect = "LinuxCNC";
  ASSERT_TRUE(JsonReader(ReportJson(linuxCnc)).Read(empty));
  EXPECT_EQ(empty["control"].text, "LinuxCNC");
  EXPECT_EQ(empty["extents"].type, Json::kNull);
  EXPECT_TRUE(empty["findings"].items.empty());

  // Figures past the largest number are null, not a 0 that reads as no time.
  Report endless = WithFigures(Sample(0, 1, 0, 1, std::numeric_limits<double>::infinity()),
                               std::numeric_limits<double>::infinity());
  Json far;
  ASSERT_TRUE(JsonReader(ReportJson(endless)).Read(far)) << ReportJson(endless);
  EXPECT_EQ(far["seconds"].type, Json::kNull);
  EXPECT_EQ(far["feedLength"].type, Json::kNull);
  EXPECT_EQ(far["plainSeconds"].number, 30);
}

}  // namespace
}  // namespace kelvora::motion
