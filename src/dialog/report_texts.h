// The texts of the program report under every program box, in the window's
// four languages (Vietnamese, English, Thai, Indonesian), and the report put
// into them: the one-line summary and the findings a click on it shows.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "dialog/language_texts.h"
#include "motion/report.h"

namespace kelvora::dialog {

// Every word the report shows, one row of the table each.
enum class ReportText {
  kHours,
  kMinutes,
  kSeconds,
  kNoWarnings,
  kWarning,   // one
  kWarnings,  // several
  kNote,
  kNotes,
  kNoMoves,
  kLine,      // "Line 12: ..."
  kCaption,   // the findings' message box
  kNone,      // the message when there are no findings
  kMore,      // "@" stands for the count of findings not listed
  kNoteMark,  // put before a note in the list
  // The finding kinds, in the order of motion::FindingKind.
  kUnknownWord,
  kMalformedNumber,
  kBadArc,
  kBadCycle,
  kUnclosedComment,
  kBeyondSoftLimit,
  kRapidInStock,
  kNoFeed,
  kSpindleOff,
  kArcEndOffCircle,
  kBelowDepth,
  kNoAAxis,
  kHostMacro,
  kForeignWord,
  kLongLine,
  kArcEndNearCircle,
  // The point list's shortest order: "@A" stands for its rapids, "@B" for the
  // listed order's.
  kOrder,
  kCount,
};

using ReportTextRow = std::array<std::string_view, kLanguageCount>;

// The whole table, by ReportText.
const std::array<ReportTextRow, static_cast<std::size_t>(ReportText::kCount)>& ReportTextTable();

// One text in a language (an index outside 0 ... 3 reads as Vietnamese, the
// start-up language).
std::string_view ReportWord(ReportText text, int language);
std::string_view FindingText(motion::FindingKind kind, int language);

// "X 10…50 · Y 10…50 · Z −5…10 · 1 min 23 s · 2 warnings": the command line's
// summary line (motion::SummaryLine) in the language's words.
std::string ReportSummary(const motion::Report& report, int language);

// "Shortest order: rapids 120 mm, listed 180 mm" in the language's words: the
// rapid length between the holes in the order found and in the listed order.
std::string OrderSummary(double after, double before, int language);

// The findings as the message lists them, one per line: "Line 12: rapid move
// below the stock top (Z-6)"; or the text saying there are none.
std::string ReportFindings(const motion::Report& report, int language);

}  // namespace kelvora::dialog
