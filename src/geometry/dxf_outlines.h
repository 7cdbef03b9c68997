// The outlines of a drawing as contours to cut: the drawing's LWPOLYLINEs, or,
// when asked, every outline entity (lines and arcs chained end to end, old-style
// POLYLINEs, circles, ellipses, splines, and the entities of inserted blocks),
// taken from the chosen layers and put in the chosen order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/draw_obj.h"
#include "geometry/dxf.h"
#include "geometry/dxf_wrapper.h"
#include "text/outcome.h"

namespace kelvora::geometry {

// Which entities give contours. The first is the default: the drawing's
// LWPOLYLINEs only, as the contour tab has always read them.
enum class OutlineSource { kLwPolylines, kAllEntities };
inline constexpr std::string_view kOutlineSourceNames[] = {"LWPOLYLINEs", "All outline entities"};

// The order contours are cut in: as the drawing holds them, or each next one
// the nearest from where the last ended (open contours may then be reversed).
enum class ContourOrder { kAsRead, kShortest };
inline constexpr std::string_view kContourOrderNames[] = {"As read", "Shortest"};

struct OutlineOptions {
  OutlineSource source = OutlineSource::kLwPolylines;
  double joinTolerance = 0.001;     // end points this close meet
  double chordTolerance = 0.01;     // greatest distance of an approximation from its curve
  std::vector<std::string> layers;  // the layers taken; empty: all
  ContourOrder order = ContourOrder::kAsRead;
  DrawingUnits units = DrawingUnits::kFromDrawing;  // the drawing's numbers read in
};

// The contours of a drawing and what the operator should be told about it:
// entities skipped (with counts), branches that ended a chain, a drawing with
// no LWPOLYLINE but other outlines. Notes are whole sentences, one per entry.
struct Outlines {
  DrawList contours;  // CPolyLine objects, the closed flag set for closed ones
  std::vector<std::string> notes;
};

// The layer names of a comma-separated list, trimmed, empty names left out.
std::vector<std::string> ParseLayerList(std::string_view text);

// Whether entities on `layer` are taken: the layer is neither frozen nor off,
// and it is one of `layers` (compared without regard to case) or `layers` is
// empty. The point list's circles are chosen by the same rule.
bool LayerTaken(const CDxf& dxf, std::string_view layer, const std::vector<std::string>& layers);

// Reads the drawing at `path` and builds its outlines. A file that cannot be
// read or is damaged gives "Load file failed!" as DxfObjGen does; a block that
// inserts itself, inserts that place too many blocks or vertices, and a number
// that is not finite in an outline taken are refused with their reason. The
// numbers are read in `options.units`; its note comes first among the notes.
Outcome<Outlines> ReadOutlines(const std::string& path, const OutlineOptions& options);

// The outlines of a drawing already read. What ReadOutlines refuses gives no
// contours here, and the reason as the first note.
Outlines OutlinesOf(const CDxf& dxf, const OutlineOptions& options);

// Puts the contours in `order`, starting from (x0, y0).
void OrderContours(DrawList& contours, ContourOrder order, double x0 = 0, double y0 = 0);

}  // namespace kelvora::geometry
