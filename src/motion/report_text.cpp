#include "motion/report_text.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "text/number_format.h"
#include "text/utf8.h"

namespace kelvora::motion {
namespace {

struct FindingWords {
  FindingKind kind;
  std::string_view name;
  std::string_view text;
};

// Every finding's stable name and English text, in FindingKind's order.
constexpr std::array<FindingWords, 16> kFindingWords{{
    {FindingKind::kUnknownWord, "unknown_word", "unknown word"},
    {FindingKind::kMalformedNumber, "malformed_number", "malformed number"},
    {FindingKind::kBadArc, "bad_arc", "arc that cannot be made"},
    {FindingKind::kBadCycle, "bad_cycle", "canned cycle that cannot be made"},
    {FindingKind::kUnclosedComment, "unclosed_comment", "comment without its closing \")\""},
    {FindingKind::kBeyondSoftLimit, "beyond_soft_limit", "move beyond the machine's travel"},
    {FindingKind::kRapidInStock, "rapid_in_stock", "rapid below the stock top"},
    {FindingKind::kNoFeed, "no_feed", "feed move with no feed rate"},
    {FindingKind::kSpindleOff, "spindle_off", "cutting with the spindle off in the program"},
    {FindingKind::kArcEndOffCircle, "arc_end_off_circle", "arc end off its circle"},
    {FindingKind::kBelowDepth, "below_depth", "below the job's depth"},
    {FindingKind::kNoAAxis, "no_a_axis", "A move on a machine without an A axis"},
    {FindingKind::kHostMacro, "host_macro", "macro of the host control (other controls refuse it)"},
    {FindingKind::kForeignWord, "foreign_word", "word this control does not read"},
    {FindingKind::kLongLine, "long_line", "line longer than the control reads"},
    {FindingKind::kArcEndNearCircle, "arc_end_near_circle",
     "arc end off its circle, within the control's tolerance"},
}};

constexpr bool InKindOrder() {
  for (std::size_t i = 0; i < kFindingWords.size(); ++i) {
    if (static_cast<std::size_t>(kFindingWords[i].kind) != i) return false;
  }
  return true;
}
static_assert(InKindOrder(), "kFindingWords is indexed by FindingKind");

const FindingWords& WordsOf(FindingKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < kFindingWords.size() ? kFindingWords[index] : kFindingWords[0];
}

constexpr std::string_view kMinus = "\u2212";
constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kDot = " \u00b7 ";

// "0.###" with a real minus sign.
void AppendShown(std::string& out, double value) {
  std::string number = text::FormatNumber(value, text::NumberFormat::kMax3);
  if (!number.empty() && number.front() == '-') {
    out += kMinus;
    out.append(number, 1);
  } else {
    out += number;
  }
}

void AppendCount(std::string& out, std::uint64_t count, std::string_view one,
                 std::string_view many) {
  out += std::to_string(count);
  out += ' ';
  out += count == 1 ? one : many;
}

constexpr double kManyHours = 1e9;

void AppendDuration(std::string& out, double seconds, const SummaryWords& words = {}) {
  const auto unit = [&](std::uint64_t value, std::string_view name) {
    out += std::to_string(value);
    out += ' ';
    out += name;
  };
  if (std::isnan(seconds)) seconds = 0.0;
  const double rounded = std::round(std::max(seconds, 0.0));
  // A time of a billion hours and more (a machine profile's limits typed far
  // too low, or positions far out) is shown in hours with four significant
  // digits ("2.778e+17 h"); one past every number, as "∞ h".
  if (rounded >= kManyHours * 3600.0) {
    if (std::isinf(rounded)) {
      out += "\u221e";
    } else {
      char hours[32];
      std::snprintf(hours, sizeof hours, "%.3e", rounded / 3600.0);
      out += hours;
    }
    out += ' ';
    out += words.hours;
    return;
  }
  if (rounded >= 3600.0) {
    const auto minutes = static_cast<std::uint64_t>(std::round(rounded / 60.0));
    unit(minutes / 60, words.hours);
    if (minutes % 60 != 0) {
      out += ' ';
      unit(minutes % 60, words.minutes);
    }
    return;
  }
  const auto whole = static_cast<std::uint64_t>(rounded);
  if (whole < 60) {
    unit(whole, words.seconds);
    return;
  }
  unit(whole / 60, words.minutes);
  if (whole % 60 != 0) {
    out += ' ';
    unit(whole % 60, words.seconds);
  }
}

void AppendRange(std::string& out, char axis, const Extents& extents, int index) {
  out += axis;
  out += ' ';
  AppendShown(out, extents.minimum[index]);
  out += kEllipsis;
  AppendShown(out, extents.maximum[index]);
}

// The ranges of the axes the program has given a position (A only when it
// turns), joined by `separator`.
void AppendRanges(std::string& out, const Extents& extents, std::string_view separator,
                  std::string_view aSuffix = {}) {
  bool first = true;
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if (!extents.known[axis]) continue;
    if (axis == kAxisA && extents.minimum[kAxisA] == extents.maximum[kAxisA]) continue;
    if (!first) out += separator;
    first = false;
    AppendRange(out, "XYZA"[axis], extents, axis);
    if (axis == kAxisA) out += aSuffix;
  }
}

std::uint64_t Warnings(const Report& report) {
  return report.findingCount - report.noteCount;
}

void AppendJsonString(std::string& out, std::string_view value) {
  out += '"';
  for (std::size_t i = 0; i < value.size();) {
    const char32_t code = text::NextUtf8Lenient(value, i);
    if (code == U'"' || code == U'\\') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (code < 0x20 || code == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
      out += escaped;
    } else {
      text::AppendUtf8(code, out);
    }
  }
  out += '"';
}

// JSON has no infinity: a length or time past the largest number is null, never
// a 0 that would read as "no time at all".
void AppendJsonNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  text::AppendNumber(out, value, text::NumberFormat::kMax3);
}

}  // namespace

std::string_view FindingText(FindingKind kind) {
  return WordsOf(kind).text;
}
std::string_view FindingName(FindingKind kind) {
  return WordsOf(kind).name;
}

std::string SummaryLine(const Report& report) {
  return SummaryLine(report, SummaryWords{});
}

std::string SummaryLine(const Report& report, const SummaryWords& words) {
  std::string out;
  const Extents& extents = report.extents;
  if (extents.any) {
    AppendRanges(out, extents, kDot);
  } else {
    out += words.noMoves;
  }
  out += kDot;
  AppendDuration(out, report.seconds, words);
  out += kDot;
  if (Warnings(report) == 0) {
    out += words.noWarnings;
  } else {
    AppendCount(out, Warnings(report), words.warning, words.warnings);
  }
  if (report.noteCount > 0) {
    out += kDot;
    AppendCount(out, report.noteCount, words.note, words.notes);
  }
  return out;
}

std::string ReportText(const Report& report) {
  std::string out = SummaryLine(report) + "\n";
  out += "Control: ";
  out += report.dialect;
  out += '\n';
  const Extents& extents = report.extents;
  if (extents.any) {
    out += "Extents (mm): ";
    AppendRanges(out, extents, ", ", " (degrees)");
    out += '\n';
  }
  out += "Rapid length: ";
  AppendShown(out, report.rapidLength);
  out += " mm\nFeed length: ";
  AppendShown(out, report.feedLength);
  out += " mm\nRun time: ";
  AppendDuration(out, report.seconds);
  out += " (acceleration, exact stop at every block)\nLength \u00f7 feed: ";
  AppendDuration(out, report.plainSeconds);
  out += " (no acceleration)\n";
  if (report.spinUpSeconds > 0.0) {
    // Said apart, so the operator sees which M3/M4 the run time waits at.
    out += "Spin-up: ";
    AppendShown(out, report.spinUpSeconds);
    out += " s, " + std::to_string(report.spinUps) +
           (report.spinUps == 1 ? " spindle start" : " spindle starts") +
           " (the spindle starting or reversing; an M3/M4 while it turns that way waits none)\n";
  }
  out += "Lines: " + std::to_string(report.lines) + ", moves: " + std::to_string(report.moves);
  out += '\n';
  for (const Finding& finding : report.findings) {
    out += "line " + std::to_string(finding.line) + ": ";
    if (IsNote(finding.kind)) out += "note: ";
    out += FindingText(finding.kind);
    if (!finding.detail.empty()) {
      out += " (";
      out += finding.detail;
      out += ')';
    }
    out += '\n';
  }
  if (report.findingCount > report.findings.size()) {
    out += "and " + std::to_string(report.findingCount - report.findings.size()) +
           " more not listed\n";
  }
  return out;
}

std::string ReportJson(const Report& report) {
  std::string out = "{\"control\": ";
  AppendJsonString(out, report.dialect);
  out += ", \"extents\": ";
  const Extents& extents = report.extents;
  if (extents.any) {
    static constexpr std::string_view kNames[kAxisCount] = {"x", "y", "z", "a"};
    out += '{';
    for (int axis = 0; axis < kAxisCount; ++axis) {
      if (axis > 0) out += ", ";
      out += '"';
      out += kNames[axis];
      if (!extents.known[axis]) {
        out += "\": null";
        continue;
      }
      out += "\": {\"min\": ";
      AppendJsonNumber(out, extents.minimum[axis]);
      out += ", \"max\": ";
      AppendJsonNumber(out, extents.maximum[axis]);
      out += '}';
    }
    out += '}';
  } else {
    out += "null";
  }
  const auto field = [&out](std::string_view name) {
    out += ", \"";
    out += name;
    out += "\": ";
  };
  field("rapidLength");
  AppendJsonNumber(out, report.rapidLength);
  field("feedLength");
  AppendJsonNumber(out, report.feedLength);
  field("seconds");
  AppendJsonNumber(out, report.seconds);
  field("plainSeconds");
  AppendJsonNumber(out, report.plainSeconds);
  field("moves");
  out += std::to_string(report.moves);
  field("lines");
  out += std::to_string(report.lines);
  field("warnings");
  out += std::to_string(Warnings(report));
  field("notes");
  out += std::to_string(report.noteCount);
  field("findingCount");
  out += std::to_string(report.findingCount);
  field("findings");
  out += '[';
  bool first = true;
  for (const Finding& finding : report.findings) {
    out += first ? "\n  " : ",\n  ";
    first = false;
    out += "{\"line\": " + std::to_string(finding.line) + ", \"kind\": \"";
    out += FindingName(finding.kind);
    out += "\", \"note\": ";
    out += IsNote(finding.kind) ? "true" : "false";
    out += ", \"detail\": ";
    AppendJsonString(out, finding.detail);
    out += ", \"text\": ";
    AppendJsonString(out, FindingText(finding.kind));
    out += '}';
  }
  out += "]}\n";
  return out;
}

}  // namespace kelvora::motion
