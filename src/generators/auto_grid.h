// The automatic point grid: rows and columns of points, walked row by row or
// column by column, optionally snaking, staggered, shortened every second line,
// or doubled into pairs. The result is a list of point rows; the dialog replaces
// its list with it only when the operator confirms, so cancelling keeps the list.
#pragma once

#include <vector>

#include "generators/inputs.h"
#include "generators/point_list.h"
#include "text/outcome.h"

namespace kelvora::generators {

struct AutoGridParams {
  int NumRow = 0;  // rows, along Y
  int NumCol = 0;  // columns, along X
  double RowDist = 0;
  double ColDist = 0;
  double DualDist = 0;  // distance between the two points of a pair, in Y
  double soleHang = 0;  // X offset of every second row
  double soleCot = 0;   // Y offset of every second column
  double Xc = 0;        // start point
  double Yc = 0;
  bool byRow = false;    // row by row; otherwise column by column
  bool Dual = false;     // a pair of points at every position
  bool EndCont = false;  // every second line runs backwards
  bool sub1 = false;     // every second line has one point fewer
};

// Reads "AnyXc", "AnyYc", "AnyNumOfRow", "AnyNumOfCol" (16-bit whole numbers),
// "AnyDistRow", "AnyDistCol", "AnyDualDist", "AnyZigZacRow", "AnyZigZacCol" and the
// flags "AnyByRow", "AnyDual", "AnyEndcont", "AnySub1". A text that does not
// convert is refused with "Parameters error", naming its key.
Outcome<AutoGridParams> ReadAutoGridInputs(const TextLookup& texts);

// Number of points the grid makes, for the size limits.
double AutoGridPointCount(const AutoGridParams& p);

// The points in walking order, empty names, X and Y in "0.##". Refused when the
// grid is over the limit of grid points, or when a point lies past the largest
// number ("A coordinate is too large to write").
Outcome<std::vector<PointRow>> AutoGridGen(const AutoGridParams& p);

}  // namespace kelvora::generators
