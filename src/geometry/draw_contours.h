// The router tab's contour picture: the drawing's contours and the paths the
// tool's centre follows, in two colours, with each contour's start point and
// direction and the holding tabs marked. Used in place of the plain polyline
// picture once an option asks for more than cutting LWPOLYLINEs on the line.
#pragma once

#include "geometry/draw_all.h"
#include "geometry/draw_obj.h"
#include "geometry/dxf_outlines.h"
#include "geometry/picture.h"

namespace kelvora::geometry {

// The pens of the picture: the drawing in the renderers' object pen, the tool
// in this second colour, the start marks and arrows in the marker's red, the
// tabs in orange.
inline constexpr Rgb kToolPathColor{0, 160, 0};
inline constexpr Rgb kTabColor{255, 140, 0};

// The contours (CPolyLine; other kinds are passed over) and the tool's paths
// (CPolyLine passes, each followed by the CCircle tabs on it) scaled together
// into the box. Each contour gets a small circle at its first vertex and an
// arrow along its first segment; each tool path an arrow at its start in its
// own colour; each tab a circle of its radius.
Picture DrawContours(const DrawList& contours, const DrawList& toolPaths, const PreviewBox& box);

// Whether the drawing is previewed as it always was (DrawAll::DrawListPLine):
// the drawing's LWPOLYLINEs as read from every layer, cut on the line with
// nothing added (`cutAsToday`).
bool PlainContourPicture(const OutlineOptions& outlines, bool cutAsToday);

}  // namespace kelvora::geometry
