// The preview renderer: draws a list of drawing objects scaled into a tab's
// preview box, Y up, as a Picture. Four renderers, one per kind of job; nothing
// is kept between calls.
#pragma once

#include "geometry/draw_obj.h"
#include "geometry/picture.h"

namespace kelvora::geometry {

// The preview box a picture is drawn for: its outer size and its position in its
// panel (every box of the dialog sits at (0, 0)).
struct PreviewBox {
  int width = 451;
  int height = 397;
  int left = 0;
  int top = 0;
};

// Reference markers of the drill renderers: a cross with a small circle and the
// label, at the centre of the box (mode 1) or on the first hole (mode 2). Any
// other mode draws no marker.
inline constexpr int kMarkCentre = 1;
inline constexpr int kMarkFirstHole = 2;

class DrawAll {
 public:
  // Extent of the whole list: every object counts, whatever its kind.
  static double GetMaxX(const DrawList& list);
  static double GetMaxY(const DrawList& list);
  static double GetMinX(const DrawList& list);
  static double GetMinY(const DrawList& list);

  // Holes (CDrill) as circles of the tool radius, with the marker of `mode`;
  // with `path`, thin grey lines from each hole to the next show their order.
  static Picture DrawListDrill(const DrawList& list, const PreviewBox& box, int mode, bool path);
  static Picture DrawListDrill(const DrawList& list, const PreviewBox& box, int mode) {
    return DrawListDrill(list, box, mode, false);
  }
  // Pockets: two circles of radii R1 and R2 around each CDrill centre, with the
  // marker of `mode` (and the path, as for holes); the extent is widened by R2
  // on every side.
  static Picture DrawListPocket(const DrawList& list, const PreviewBox& box, int mode, double R1,
                                double R2, bool path);
  static Picture DrawListPocket(const DrawList& list, const PreviewBox& box, int mode, double R1,
                                double R2) {
    return DrawListPocket(list, box, mode, R1, R2, false);
  }
  // Straight lines (CLine); no marker.
  static Picture DrawListLine(const DrawList& list, const PreviewBox& box, int mode);
  // Polylines (CPolyLine) with their arcs, and the closing segment of a closed
  // polyline; no marker.
  static Picture DrawListPLine(const DrawList& list, const PreviewBox& box, int mode);
};

// The label drawn with the reference marker.
inline constexpr const char* kMarkerLabel = "Xc=@  Yc=@";

}  // namespace kelvora::geometry
