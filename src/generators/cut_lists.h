// The router tab's three cut lists: their CSV files and the straight cuts built
// from their rows. Rows are plain texts here; the dialog's grids hand them over
// in display order.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/inputs.h"
#include "generators/line_report.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

enum class CutListKind {
  kHorizontal,  // "Name,Y,X1,X2": one cut along X per row
  kVertical,    // "Name,X,Y1,Y2": one cut along Y per row
  kGenerated,   // "KichThuoc,SoLuong,X1,X2": piece sizes and quantities
};

// Indexes of the router tab's sub-tabs. The DXF sub-tab holds no cut list.
enum class CutSubTab { kHorizontal = 0, kVertical = 1, kDxf = 2, kGen = 3 };

inline constexpr std::string_view kCutHeaderHorizontal = "Name,Y,X1,X2";
inline constexpr std::string_view kCutHeaderVertical = "Name,X,Y1,Y2";
inline constexpr std::string_view kCutHeaderGenerated = "KichThuoc,SoLuong,X1,X2";

std::string_view CutCsvHeader(CutListKind kind);
// The list kind a file's first line names; nullopt for any other line.
std::optional<CutListKind> CutListKindFromHeader(std::string_view header);
// The list a sub-tab holds; nullopt for the DXF sub-tab.
std::optional<CutListKind> CutListOfSubTab(CutSubTab tab);

// One row of a cut list. For the horizontal and vertical lists `first` is the
// name and `second` the position; for the generated list `first` is the piece
// size and `second` the quantity. `number` is the row's "#" text as the grid
// shows it, which names the row in messages as the grid checks name it; rows
// read from a file have none and are named by their position in the list.
struct CutRow {
  std::string first;
  std::string second;
  std::string number = {};
  bool operator==(const CutRow&) const = default;
};

struct CutCsvContent {
  std::vector<CutRow> rows;
  // The file line each row starts on.
  std::vector<std::size_t> rowLines;
  // Fields 3 and 4 of the last accepted line: the list's start and end texts.
  // Unset when no line was accepted (the boxes keep their texts).
  std::optional<std::string> start;
  std::optional<std::string> end;
  LineReport report;
};

// Reads a cut list file's content: the first line is skipped whatever it holds,
// then line after line up to the first empty line or the end. A line of exactly
// four fields (quoted fields as csv.h reads them) is a row; any other line is
// skipped and reported. A UTF-8 byte-order mark is ignored.
CutCsvContent ReadCutCsv(std::string_view content);

inline constexpr std::string_view kPleaseSelectCsvFile = "Please select csv file";

// Open accepts a file whose extension holds "csv" in any letter case (Windows and
// CNC software write DATA.CSV as often as data.csv). Any other file is refused with
// "File: *." followed by the extension with its dot and "Not supported"
// ("File: *..txtNot supported"); nullopt when the file is accepted.
std::optional<std::string> CutFileRefusal(std::string_view path);

// Open of a cut list file: the path as the file label holds it (trimmed before
// use). Refused with kPleaseSelectCsvFile for an empty path, and with a message
// naming the file when it cannot be read, so the list can be left as it was.
Outcome<CutCsvContent> LoadCsvCutFile(std::string_view path);

// The file text Save writes: the header, then one line per row with the list's
// start and end texts repeated, every line ended by CR LF. Texts are written as
// they stand; a text holding "," or '"' is quoted so that it reads back whole.
std::string WriteCutCsv(CutListKind kind, const std::vector<CutRow>& rows, std::string_view start,
                        std::string_view end);

// Save of the list on the selected sub-tab: the file text, or a refusal for the
// DXF sub-tab, which has no list (the file at the path must stay untouched).
inline constexpr std::string_view kNoCutListToSave =
    "The DXF tab has no cut list to save; nothing was written";
Outcome<std::string> CutCsvForSave(CutSubTab tab, const std::vector<CutRow>& rows,
                                   std::string_view start, std::string_view end);

// The list-wide values and switches the object builders read.
struct CutListInputs {
  std::string start = "0";    // X1 (horizontal, generated) or Y1 (vertical)
  std::string end = "100";    // X2 or Y2
  std::string toolDia = "4";  // generated list only
  bool zigZag = false;
};

// The straight cuts of a list, in row order: every object a CPolyLine of two
// vertices with zero bulges. A cell or box that does not convert gives
// "Data Line:" n " wrong" (n the row's "#" text, else its 1-based position) or
// "Parameters error" naming the
// box, and no objects. The generated list's total number of cuts is checked
// against the limits before anything is built.
Outcome<geometry::DrawList> InitObjectCutHorizone(const std::vector<CutRow>& rows,
                                                  const CutListInputs& in);
Outcome<geometry::DrawList> InitObjectCutVer(const std::vector<CutRow>& rows,
                                             const CutListInputs& in);
Outcome<geometry::DrawList> InitObjectCutHorizoneGen(const std::vector<CutRow>& rows,
                                                     const CutListInputs& in);
Outcome<geometry::DrawList> InitObjectCut(CutListKind kind, const std::vector<CutRow>& rows,
                                          const CutListInputs& in);

// The message for rows[index]: named by its "#" text, or by index + 1 without one.
std::string DataLineWrong(const std::vector<CutRow>& rows, std::size_t index);

}  // namespace kelvora::generators
