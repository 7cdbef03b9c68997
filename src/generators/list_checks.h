// Checks of the list rows a job is made from: a row with an empty cell the job
// needs is refused before the job runs, named by the "#" text its list shows for
// it. Rows come in the order the list shows them (sorted or not); a cell with no
// value reads as "". A text that is not a number passes here: the job itself
// refuses it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/cut_lists.h"
#include "generators/point_list.h"

namespace kelvora::generators {

// The refusal of a row: "Data Line:" + the row's "#" text + " wrong".
std::string DataLineWrong(std::string_view rowNumber);

// A point list row with the text of its "#" cell.
struct NumberedPoint {
  std::string number;
  PointRow point;
};

// The rows numbered 1, 2, 3, ... as the point list numbers the rows of a file it
// loads.
std::vector<NumberedPoint> NumberPoints(const std::vector<PointRow>& rows);

// The point list: the first row whose X or Y is empty. No rows pass.
std::optional<std::string> FindPointWithoutXY(const std::vector<NumberedPoint>& rows);

// The cut lists: the first row whose position is empty (horizontal and vertical
// cuts), or whose size or quantity is empty (generated cuts). No rows pass.
std::optional<std::string> FindCutWithEmptyCell(CutListKind kind, const std::vector<CutRow>& rows);

}  // namespace kelvora::generators
