// Lines and arcs drawn one by one, joined end to end into contours.
#pragma once

#include <vector>

#include "geometry/draw_obj.h"

namespace kelvora::geometry {

// A straight or arced piece from (x0, y0) to (x1, y1); the bulge is that of the
// arc (0 straight, positive counter-clockwise), at most half a turn either way
// more than a full one never.
struct ChainPiece {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double b = 0;
};

struct Chains {
  DrawList contours;                // CPolyLine objects, closed flag set on closed ones
  std::vector<UnitPoint> branches;  // where three or more ends met
};

// Joins pieces whose ends lie within `tolerance`, turning pieces round where
// needed. A chain runs until an end no other piece meets, or a point where
// three or more ends meet (a branch, which ends every chain through it); a chain
// that comes back to its start is closed. Pieces shorter than the tolerance are
// left out. Open chains start at a free end where they have one; the order
// follows the pieces' order.
Chains ChainPieces(const std::vector<ChainPiece>& pieces, double tolerance);

// Appends the vertex that starts a piece to a polyline's arrays: arcs of more
// than half a turn are cut in two, so no bulge exceeds 1.
void AppendPiece(CPolyLine& polyline, const ChainPiece& piece);

}  // namespace kelvora::geometry
