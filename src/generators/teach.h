// The teach table: its ten operation definitions, the operation lists built from
// them, its CSV files, and the program assembled from its rows.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generators/inputs.h"
#include "generators/line_report.h"
#include "text/gcode_dialect.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::size_t kTeachOperationCount = 10;
inline constexpr std::string_view kTeachCsvHeader = "Operation,X,Y,Z,A,B,C,F";
inline constexpr std::string_view kNoFeedrate = "No Feedrate/ Chưa có tốc độ ?";

// The definitions "tchOp1" … "tchOp10", each "name*value".
using TeachDefinitions = std::array<std::string, kTeachOperationCount>;

// "Op" n "*Op" n "Val", the text an empty definition n (1-based) is replaced by.
std::string DefaultTeachDefinition(std::size_t number);

// A definition split at its first two "*": the name before the first, the value
// between the first and the second (pieces after that are dropped). A definition
// without "*" is a name with an empty value.
std::pair<std::string, std::string> SplitTeachDefinition(std::string_view definition);

struct TeachOpLists {
  // name -> value, all ten definitions in definition order. A position in this
  // list is the definition's position, so the operation selector can store an
  // edited definition back at the place it came from even when names repeat.
  std::vector<std::pair<std::string, std::string>> Oplist;
  // The names in definition order; a teach file stores a row's operation as a
  // position in this list.
  std::vector<std::string> tempOpList;

  // The value of the first definition named `name`, nullptr when none is.
  const std::string* ValueOf(std::string_view name) const;
  // The position of the first definition named `name`, -1 when none is.
  int PositionOf(std::string_view name) const;
  // The motion operation's name (definition 1).
  const std::string& MotionName() const { return tempOpList.front(); }
};

// Rebuilds the operation lists. Empty definitions are first replaced by their
// defaults in `definitions` itself, so the defaults are what is saved later.
// Never fails: every definition keeps its position whatever its text.
TeachOpLists updateTchGrid(TeachDefinitions& definitions);

// "Update": the definition at `selected` (0 = "tchOp1") becomes name "*" value;
// nothing changes when no entry is selected. The lists are rebuilt afterwards by
// updateTchGrid, which splits the text again at its first "*".
void UpdateTeachDefinition(TeachDefinitions& definitions, std::optional<std::size_t> selected,
                           std::string_view name, std::string_view value);

// One step of the teach table: the operation's name and the X, Y, Z, A, B, C and
// feed cells, as texts.
inline constexpr std::size_t kTeachCellCount = 7;
struct TeachRow {
  std::string operation;
  std::array<std::string, kTeachCellCount> cells;
  bool operator==(const TeachRow&) const = default;
};

struct TeachCsvContent {
  std::vector<TeachRow> rows;
  // The file line each row starts on.
  std::vector<std::size_t> rowLines;
  LineReport report;
};

// Reads a teach file's content: the first line is skipped, then line after line
// up to the first empty line or the end. A line of at least eight fields is a row
// (the first eight count; the operation is the name at the stored position); a
// line with fewer is skipped and reported. A position that is not a whole number
// or not in the list ends the reading at that line, which is reported; the rows
// read before it stay.
TeachCsvContent LoadTchCsv(std::string_view content, const TeachOpLists& lists);

// Open of a teach file named by the file label (trimmed before use): refused with
// "Please select csv file" for an empty path, and with a message naming the file
// when it cannot be read.
Outcome<TeachCsvContent> LoadTchCsvFile(std::string_view path, const TeachOpLists& lists);

// The file text Save writes: the header, then one line per row that has an
// operation (its position, -1 for a name not in the list, and the seven cells),
// every line ended by CR LF. A cell holding "," or '"' is quoted.
std::string WriteTchCsv(const std::vector<TeachRow>& rows, const TeachOpLists& lists);

struct TeachProgram {
  std::string text;  // lines ended by CR LF
  // Messages for the operator, in order: rows left out, then the missing feed.
  // The program is produced all the same.
  std::vector<std::string> reports;
};

// The program of the given rows (the table's rows without its last one): the
// prefix, one line per row, the suffix. A row of the motion operation writes its
// value, the non-empty axis cells as X.. Y.. Z.. A.. B.. C.. and a non-empty feed
// as F..; any other operation writes its value alone. A row whose operation is
// empty or not defined is left out and reported. When no row gave a feed,
// kNoFeedrate is reported. A motion row with a cell holding a "," is refused
// with "Data Line:n wrong" (n its 1-based row): its word would carry a decimal
// comma that the host does not read as the number the operator meant.
// For a `control` without the A, B or C axis, that column writes no word where
// no motion row's cell leaves 0 (a taught position of a machine that has no
// such axis); any other value is written, and the control's finishing refuses it.
Outcome<TeachProgram> BuildTeachProgram(
    std::string_view prefix, std::string_view suffix, const std::vector<TeachRow>& rows,
    const TeachOpLists& lists,
    const text::DialectRules& control = text::RulesOf(text::Dialect::kHost));

// The report for a row left out of the program (`rowNumber` is 1-based).
std::string TeachRowLeftOut(std::size_t rowNumber, std::string_view operation);

// The definitions a command line or dialog holds under "tchOp1" … "tchOp10".
TeachDefinitions ReadTeachDefinitions(const TextLookup& texts);

}  // namespace kelvora::generators
