// The point list: free points typed in, read from a "Name,X,Y" file or taken from
// a drawing's circles, drilled hole after hole or milled as circular pockets.
// Everything here works on plain rows of texts in the order the list shows them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/drilling.h"
#include "generators/inputs.h"
#include "generators/job_inputs.h"
#include "generators/line_report.h"
#include "geometry/draw_obj.h"
#include "geometry/dxf_wrapper.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::string_view kPleaseSelectCsv = "Please select csv file";
inline constexpr std::string_view kNoFile = "No file!";

// One row of the list: the texts of its "Name", "X" and "Y" cells.
struct PointRow {
  std::string name;
  std::string x;
  std::string y;
  friend bool operator==(const PointRow&, const PointRow&) = default;
};

// ---- Point files -----------------------------------------------------------

struct PointFile {
  std::vector<PointRow> rows;
  // The file line each row starts on (none for a drawing's circles).
  std::vector<std::size_t> rowLines = {};
  // The lines that were skipped or not read; clean() when none were.
  LineReport report;
  // What a drawing's reading tells the operator (its declared units), whole
  // sentences.
  std::vector<std::string> notes = {};
};

// Reads the content of a point file: the first line is skipped, then one row per
// line of exactly three fields, up to the first empty line. Fields are kept as
// they are (no trimming, no number check); quoted fields follow the CSV rules.
PointFile ParsePointFile(std::string_view content);

// Reads the point file at `path` (UTF-8). A path of blanks only is refused with
// "Please select csv file", a file that cannot be read with "No file!".
Outcome<PointFile> LoadCsv(std::string_view path);

// The file text Save writes: "Name,X,Y" and one line per row, each ended by
// CR LF. A field holding "," or '"' is quoted, so it reads back unchanged.
std::string PointFileText(const std::vector<PointRow>& rows);
// Writes the file atomically; a failure's message names the file.
Outcome<void> SavePointFile(std::string_view path, const std::vector<PointRow>& rows);

// What kind of point file a path names, by its extension, without regard to letter
// case: an extension containing "dxf" is a drawing, one containing "csv" a list.
// Any other is refused with "File: *." followed by the extension with its dot
// ("File: *..txt").
enum class PointFileKind { kCsv, kDxf };
Outcome<PointFileKind> PointFileKindOf(std::string_view path);

// The circle centres of a drawing as rows: empty names, X and Y in "0.###", in
// file order. A file that cannot be read gives "Load file failed!".
Outcome<PointFile> LoadDxfPoints(std::string_view path);
// The same from the circles on `layers` only (blank: every circle, as above),
// their numbers read in `units` (its note among the file's notes).
Outcome<PointFile> LoadDxfPoints(
    std::string_view path, const std::vector<std::string>& layers,
    geometry::DrawingUnits units = geometry::DrawingUnits::kFromDrawing);

// Opens a point file as the list's OpenFile button does: by its extension, the
// circle centres of a drawing (empty names, "0.###") or the rows of a point file.
// Refusals: "File: *." with the extension, "No file!", "Load file failed!".
Outcome<PointFile> ReadPointFile(std::string_view path);

// ---- Pattern ---------------------------------------------------------------

// One CDrill per row, in row order, at (X, Y), depth 0, pass 0, radius = "Anyd" / 2.
// A cell that does not convert (empty, a word, a decimal comma) is refused as
// "Data Line:2 wrong" for the row (1-based, display order), with the column as
// its detail ("column X"); the tool diameter is read after the first row's cells.
Outcome<geometry::DrawList> AnyListGen(const std::vector<PointRow>& rows, const TextLookup& texts);

// ---- Drilling --------------------------------------------------------------

// The grid-drilling program in "0.000" (spindle "0.0"), ending with the end
// script and CR LF instead of "M5" and "M30".
Outcome<std::string> AnyGcodeGen(const geometry::DrawList& holes, const AnyDrillInputs& in);

// ---- Pocketing -------------------------------------------------------------

// Regular rings of a pocket: the whole part of (R2 - R1) / W; none when the
// step-over is 0 or below or R2 does not exceed R1.
double PocketRingCount(double R1, double R2, double stepOver);
// Depths of the pocket passes: P, 2P, ... and D when more than 0.05 remains; one
// pass at D when P is at or above D, or at or below 0.
std::vector<double> PocketPassDepths(double depth, double pass);
// The last of those depths, without listing them.
double PocketBottom(double depth, double pass);

// The tool check of the pocket program: with tool radius t, when R1 > 0 and
// t > 2 * R1, R1 becomes t / 2 for this program and the message is given.
struct ToolCheck {
  double R1;
  std::optional<std::string> message;  // "Tool diameter>R1"
};
ToolCheck CheckToolAgainstR1(double R1, double toolRadius);

// The R1 correction of the preview: an R1 below the tool radius becomes the tool
// radius; the box then shows it in "0.##" and "R1 = tool R?" is given.
struct R1Correction {
  double R1;
  std::optional<std::string> boxText;
  std::optional<std::string> message;
};
R1Correction CorrectR1(double R1, double toolDia);

// The pocket preview's radii: the tool diameter, R1 and R2 read in that order,
// then R1 corrected as above. A text that does not convert: "Parameters error".
struct PocketPreviewRadii {
  R1Correction r1;
  double R2 = 0;
};
Outcome<PocketPreviewRadii> PocketPreviewR1(const TextLookup& texts);

struct PocketProgram {
  std::string text;
  std::vector<std::string> reports;  // "Tool diameter>R1"
};
// Concentric full circles around every point, pass after pass; "0.000", the ring
// feed "0.0"; "M5", "M30" at the end. Refused when over the size limits.
// Each pass is entered by a plunge at the first ring's start, or, with the entry
// "Helix", by a descent along the first ring in full turns that each drop no
// more than the step-down (from the retract height, or 0.2 above the pass before),
// at the plunge feed, then that ring once round at the depth. The helix is
// refused for a hole no wider than the tool ("Tool diameter>R1"), without a
// step-down and when a floor is not below where its descent starts.
Outcome<PocketProgram> AnyPocketGcodeGen(const geometry::DrawList& points, double R1, double R2,
                                         const AnyPocketInputs& in);

// ---- The tab's "GCode Gen " button ----------------------------------------

// The rapid length between the holes (from the first hole to the last, along
// X and Y) before and after "Shortest" reordered them.
struct OrderReport {
  double before = 0;
  double after = 0;
};
// "Shortest order: rapids " after " mm, listed " before " mm", in "0.###".
std::string OrderReportText(const OrderReport& order);

// Pocketing when "AnyPocket" is "True" (radii read first), drilling otherwise.
// No table check and no R1 correction happen here. With "AnyOrder" "Shortest"
// the holes are visited in the shortest order found from the first one, by the
// program and by the list the sink receives; another text than the choices is
// refused ("Parameters error", "AnyOrder").
// Puts the holes of `list` in the order "AnyOrder" chooses; the rapid lengths
// before and after when "Shortest" reordered them. An unknown choice text is
// refused with "Parameters error" and the key.
Outcome<std::optional<OrderReport>> OrderHoles(geometry::DrawList& list, const TextLookup& texts);

struct PointsProgram {
  std::string text;
  std::vector<std::string> reports;
  std::optional<OrderReport> order;  // set when the holes were reordered ("Shortest")
};
// `sink`, when given, then receives the points as holes.
Outcome<PointsProgram> PointsJob(const std::vector<PointRow>& rows, const TextLookup& texts,
                                 const ListSink& sink = {});

}  // namespace kelvora::generators
