// The pieces of a contour pass in the plane: a path cut into its segments and
// measured along its length, parts of it taken between two distances, reversed,
// lead arcs tangent to it, holding tabs placed along it, and the distance from a
// point to it.
#pragma once

#include <vector>

#include "toolpath/path.h"

namespace kelvora::generators {

// One segment of a path: a line (bulge 0) or an arc from (x0, y0) to (x1, y1),
// `s` the distance along the path where it starts.
struct PathSegment {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double b = 0;
  double length = 0;
  double s = 0;
};

// The segments of a path in order (a closed path's closing segment last);
// segments of no length are left out.
std::vector<PathSegment> SegmentsOf(const toolpath::Path& path);

// The length of a segment, an arc measured along the arc.
double SegmentLength(double x0, double y0, double x1, double y1, double b);

// The part of `seg` between the fractions t0 and t1 of its length (t0 > t1
// gives the part run backwards).
PathSegment PartOf(const PathSegment& seg, double t0, double t1);

// The point at fraction t of the segment's length, and the unit direction of
// travel there.
toolpath::Point PointOn(const PathSegment& seg, double t);
toolpath::Point DirectionOn(const PathSegment& seg, double t);

// The path run the other way: vertices in reverse order, each segment's bulge
// negated and carried by the vertex that now starts it.
toolpath::Path Reversed(const toolpath::Path& path);

// The closed path started at the middle of its longest straight segment (of its
// longest arc when it has no straight one): a lead arc there has room on both
// sides, where at a corner it would swing through the wall beside it.
toolpath::Path StartedMidway(const toolpath::Path& path);

// The distance from (x, y) to the nearest point of the path, and of a segment.
double DistanceToPath(const toolpath::Path& path, double x, double y);
double DistanceToSegment(const PathSegment& seg, double x, double y);

// A quarter arc of radius `radius` tangent to the path at (x, y), where it runs
// in the unit direction (dx, dy), on its left (`left`) or right: the lead-in ends
// at the point running along the direction, the lead-out starts there. Each is a
// two-vertex open path.
toolpath::Path LeadIn(double x, double y, double dx, double dy, double radius, bool left);
toolpath::Path LeadOut(double x, double y, double dx, double dy, double radius, bool left);

// A holding tab: the stretch of a path between two distances along it (on a
// closed path `to` may pass its length: the tab runs over the start).
struct TabSpan {
  double from = 0;
  double to = 0;
};

// How many tabs a path of length `length` is due: `count`, or with `spacing` > 0
// one for every `spacing` of length (at least one).
double TabsDue(double length, int count, double spacing);

// Where the tabs go on a path of the segments `segs` and length `length`: the
// tabs due (TabsDue) evenly spread, each `width` long. A tab is moved to lie
// wholly on a straight segment near where it was due, when one is within reach
// of it (half the distance between tabs), so that it stands clear of corners
// and arcs. One that would still span a corner (a vertex where the path turns
// by more than a few degrees) slides, within the same reach, to the nearest
// place where it spans none and does not overlap the tab before it; where there
// is no such place it stays. Tabs that would overlap one placed before are left
// out, as are all on a path no longer than a tab. An open path keeps its tabs
// within its ends.
std::vector<TabSpan> PlaceTabs(const std::vector<PathSegment>& segs, double length, bool closed,
                               int count, double spacing, double width);

// The distances along the path where it turns by more than a few degrees: the
// starts of the segments that leave a vertex at such an angle to the one
// arriving (on a closed path the start, 0, too when the closing segment meets
// the first so).
std::vector<double> CornersOf(const std::vector<PathSegment>& segs, bool closed);

}  // namespace kelvora::generators
