// The report in English words for the command line: the one-line summary, the
// full text and the JSON form. The window writes its own texts in its language
// from the same Report.
//
// Numbers: extents are written with at most three decimals and no trailing
// zeros (the "0.###" pattern of the program texts), negatives with a real minus
// sign "−" (U+2212); the summary's parts are joined by " · " and a range is
// written "min…max". The run time is rounded to whole seconds: "23 s",
// "1 min 23 s", "2 min", "1 h 5 min" (hours drop the seconds).
#pragma once

#include <string>
#include <string_view>

#include "motion/report.h"

namespace kelvora::motion {

// "X 10…50 · Y 10…50 · Z −5…10 · 1 min 23 s · 2 warnings", with " · A 0…90"
// after Z when A moves, "no warnings" / "1 warning", and " · 1 note" when there
// are notes. A program without moves: "no moves · 0 s · no warnings".
std::string SummaryLine(const Report& report);

// The words of the summary line, English unless a window in another language
// gives its own.
struct SummaryWords {
  std::string_view noMoves = "no moves";
  std::string_view hours = "h";
  std::string_view minutes = "min";
  std::string_view seconds = "s";
  std::string_view noWarnings = "no warnings";
  std::string_view warning = "warning";
  std::string_view warnings = "warnings";
  std::string_view note = "note";
  std::string_view notes = "notes";
};
// The summary line in those words (numbers, axis letters and signs as above).
std::string SummaryLine(const Report& report, const SummaryWords& words);

// The whole report, several lines each ended by "\n": the summary, the control
// it was read for ("Control: GRBL"), the extents, the lengths, both run times
// (the plain one labelled "length ÷ feed"), the line and move counts, then one
// line per finding kept ("line 12: rapid below the stock top (Z-2)") and, when
// not all were kept, how many were left out.
std::string ReportText(const Report& report);

// The same figures as one JSON object (UTF-8, ended by "\n"):
// {"control": "GRBL", "extents": {"x": {"min": 10, "max": 50}, ...} or null without moves,
//  "rapidLength", "feedLength" (mm), "seconds", "plainSeconds", "moves",
//  "lines", "warnings", "notes", "findingCount",
//  "findings": [{"line", "kind", "note", "detail", "text"}]}.
std::string ReportJson(const Report& report);

// The finding's text: "rapid below the stock top", "unknown word", ...
std::string_view FindingText(FindingKind kind);
// A stable snake_case name for files and scripts: "rapid_in_stock", ...
std::string_view FindingName(FindingKind kind);

}  // namespace kelvora::motion
