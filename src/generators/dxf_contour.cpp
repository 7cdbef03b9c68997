#include "generators/dxf_contour.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generators/contour_cut.h"
#include "generators/contour_neighbours.h"
#include "generators/contour_nesting.h"
#include "generators/contour_offset.h"
#include "generators/contour_pocket.h"
#include "generators/limits.h"
#include "generators/program_writer.h"
#include "geometry/dxf_outlines.h"
#include "geometry/dxf_wrapper.h"
#include "toolpath/path.h"

namespace kelvora::generators {

using geometry::CPolyLine;
using geometry::DrawList;
using geometry::otPolyLine;

namespace {

// Vertices this close to the first count as the same point: a contour with no
// vertex farther away has no length to cut.
constexpr double kSamePoint = 1e-6;

// How closely a pocket's rings follow curves where they are approximated.
constexpr double kPocketChordTolerance = 0.01;

// A tool path nearer than the tool's radius less this to another contour's
// drawn line cuts into that contour's part: rounding is no such cut.
constexpr double kNeighbourTolerance = 0.001;

// Whether the polyline has a length to cut: some vertex away from its first.
// One that does not (a lone vertex, or vertices all at one point) would only
// sink the tool straight down, a hole the drawing does not have.
bool HasLength(const CPolyLine& p) {
  for (std::uint32_t i = 1; i < p.m_VertexCount; ++i) {
    if (std::abs(p.x[i] - p.x[0]) > kSamePoint || std::abs(p.y[i] - p.y[0]) > kSamePoint) {
      return true;
    }
  }
  return false;
}

// The contours worth cutting, in list order: polylines with a length.
std::vector<const CPolyLine*> Contours(const DrawList& list) {
  std::vector<const CPolyLine*> contours;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    const auto* p = static_cast<const CPolyLine*>(obj.get());
    if (!HasLength(*p)) continue;
    contours.push_back(p);
  }
  return contours;
}

// "Contour 3", "Contours 2 and 5", "Contours 1, 2 and 5": the numbers 1-based.
std::string ContourNumbers(const std::vector<std::size_t>& numbers) {
  std::string text = numbers.size() == 1 ? "Contour " : "Contours ";
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += i + 1 == numbers.size() ? " and " : ", ";
    text += std::to_string(numbers[i]);
  }
  return text;
}

// One sentence naming the drawing's polylines (numbered in list order from 1)
// that have no length and are left out of the program; none when all have one.
void NoteContoursWithoutLength(const DrawList& list, std::vector<std::string>* notes) {
  if (!notes) return;
  std::vector<std::size_t> numbers;
  std::size_t number = 0;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    ++number;
    if (!HasLength(*static_cast<const CPolyLine*>(obj.get()))) numbers.push_back(number);
  }
  if (numbers.empty()) return;
  notes->push_back(ContourNumbers(numbers) + (numbers.size() == 1
                                                  ? " has no length and is not cut."
                                                  : " have no length and are not cut."));
}

std::size_t SegmentCount(const CPolyLine& p) {
  return p.m_VertexCount - 1 + (p.HasClosingSegment() ? 1 : 0);
}

std::size_t LineCount(std::string_view block) {
  if (block.empty()) return 0;
  std::size_t lines = 0;
  for (char c : block) lines += c == '\n' ? 1 : 0;
  return block.back() == '\n' ? lines : lines + 1;
}

bool IsFinite(const CPolyLine& p) {
  for (std::uint32_t i = 0; i < p.m_VertexCount; ++i) {
    if (!std::isfinite(p.x[i]) || !std::isfinite(p.y[i]) || !std::isfinite(p.b[i])) return false;
  }
  return true;
}

class ContourWriter {
 public:
  ContourWriter(ProgramWriter& w, const DxfMachiningInputs& in)
      : w_(w),
        in_(in),
        safe_(w.Num(in.zsafe)),
        feed_(w.Num(in.feed)),
        plungeFeed_(w.Num(in.plungeFeed)) {}

  // Rapid to (x, y), down to the approach height, plunge to the layer.
  void Approach(double x, double y, const Layer& layer) {
    w_.Line({"G0X", w_.Number(x), "Y", w_.Number(y)});
    w_.Line({"G0Z", w_.Number(layer.approach)});
    w_.Line({"G1Z", w_.DepthNumber(layer.depth), "F", plungeFeed_});
  }

  // One contour at one layer: approach at its first vertex, every segment, the
  // off-text and the safe height.
  void Contour(const CPolyLine& p, const Layer& layer) {
    const std::uint32_t n = p.m_VertexCount;
    const std::size_t segments = SegmentCount(p);
    for (std::size_t j = 0; j < segments; ++j) {
      const std::size_t k = j + 1 < n ? j + 1 : 0;  // the closing segment ends at vertex 0
      if (j == 0) {
        Approach(p.x[0], p.y[0], layer);
        if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOn);
      }
      Segment(p.x[j], p.y[j], p.x[k], p.y[k], p.b[j], j == 0);
    }
    if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOff);
    w_.Line({"G0Z", safe_});
  }

 private:
  void Segment(double x1, double y1, double x2, double y2, double bulge, bool first) {
    // An arc whose ends would be written as one point reads as a whole circle
    // (or, with its centre written on that point, as an arc the control
    // refuses): so short a segment, a repeated vertex with a bulge, is a line.
    if (bulge == 0.0 || std::hypot(x2 - x1, y2 - y1) <= 0.002) {
      if (first) {
        w_.Line({"G1X", w_.Number(x2), "Y", w_.Number(y2), "F", feed_});
      } else {
        w_.Line({"G1X", w_.Number(x2), "Y", w_.Number(y2)});
      }
      return;
    }
    const geometry::BulgeArc arc = geometry::ArcFromBulge(x1, y1, x2, y2, bulge);
    const ArcCentreWords centre =
        w_.ArcCentre(x1, y1, x2, y2, arc.center.X, arc.center.Y, bulge > 0);
    if (!centre.arc) {
      w_.Line({"G1X", w_.Number(x2), "Y", w_.Number(y2), "F", feed_});
      return;
    }
    w_.Line({bulge > 0 ? "G3X" : "G2X", w_.Number(x2), "Y", w_.Number(y2), "I", centre.i, "J",
             centre.j, "F", feed_});
  }

  ProgramWriter& w_;
  const DxfMachiningInputs& in_;
  std::string safe_;
  std::string feed_;
  std::string plungeFeed_;
};

// ---- Contours cut on a side, entered, tabbed or cleared ----

// One pass of the tool round a contour or through a pocket: its centre's path,
// the lead arcs into and out of it, and its tabs (distances along the path).
struct Pass {
  toolpath::Path path;
  std::vector<PathSegment> segs;
  double length = 0;
  toolpath::Path leadIn;  // empty: none
  toolpath::Path leadOut;
  std::vector<TabSpan> tabs;
};

// A piece of a pass as the tool runs it: part of a segment between two
// fractions of it, with the heights at its ends. `main` when it lies on the
// pass's path (tabs apply), `seg` then the index of its segment.
struct Stroke {
  const PathSegment* seg = nullptr;
  double t0 = 0, t1 = 1;
  bool main = false;
  double z0 = 0, z1 = 0;
};

// Walks a pass from the start of its lead-in: through the lead-in, then round
// a closed path (lap after lap) or back and forth along an open one.
class Track {
 public:
  Track(const Pass& pass, const std::vector<PathSegment>& lead)
      : pass_(pass), lead_(lead), inLead_(!lead.empty()) {}

  // The pieces covering the next `distance` of travel, descending linearly from
  // z0 to z1 over it, appended to `out`.
  void Advance(double distance, double z0, double z1, std::vector<Stroke>& out) {
    const double total = distance;
    double done = 0;
    while (distance > kTiny) {
      Stroke s;
      double step = 0;
      if (inLead_) {
        const PathSegment& seg = lead_[index_];
        const double left = seg.length * (1 - at_);
        step = std::min(left, distance);
        const double t = at_ + step / seg.length;
        s = {&seg, at_, t, false};
        at_ = t;
        if (step >= left) {
          at_ = 0;
          if (++index_ == lead_.size()) {
            inLead_ = false;
            index_ = 0;
          }
        }
      } else {
        if (pass_.segs.empty()) return;
        const PathSegment& seg = pass_.segs[index_];
        const double left = seg.length * (forward_ ? 1 - at_ : at_);
        step = std::min(left, distance);
        const double t = at_ + (forward_ ? 1 : -1) * step / seg.length;
        s = {&seg, at_, t, true};
        at_ = t;
        looped_ += step;
        if (step >= left) NextSegment();
      }
      s.z0 = z0 + (z1 - z0) * (done / total);
      done += step;
      s.z1 = z0 + (z1 - z0) * (done / total);
      distance -= step;
      if (s.t0 != s.t1) out.push_back(s);
    }
  }

  // Where on the path the track stands (a distance from its start), whether it
  // runs forward, and how far it has run on the path.
  double Position() const {
    if (inLead_ || pass_.segs.empty()) return 0;
    const PathSegment& seg = pass_.segs[index_];
    return seg.s + at_ * seg.length;
  }
  double Looped() const { return looped_; }
  // What is left of the lead-in to run.
  double LeadLeft() const {
    if (!inLead_) return 0;
    double left = lead_[index_].length * (1 - at_);
    for (std::size_t i = index_ + 1; i < lead_.size(); ++i) left += lead_[i].length;
    return left;
  }
  // Turns the track along an open path (it runs on from where it stands).
  void SetForward(bool forward) { forward_ = forward; }

 private:
  // Travel shorter than this is not worth a line of its own.
  static constexpr double kTiny = 1e-6;

  void NextSegment() {
    const std::size_t n = pass_.segs.size();
    if (pass_.path.closed) {
      index_ = (index_ + 1) % n;
      at_ = 0;
    } else if (forward_) {
      if (index_ + 1 < n) {
        ++index_;
        at_ = 0;
      } else {
        forward_ = false;  // the open path's end: back along it
        at_ = 1;
      }
    } else if (index_ > 0) {
      --index_;
      at_ = 1;
    } else {
      forward_ = true;
      at_ = 0;
    }
  }

  const Pass& pass_;
  const std::vector<PathSegment>& lead_;
  bool inLead_;
  std::size_t index_ = 0;
  double at_ = 0;
  bool forward_ = true;
  double looped_ = 0;
};

// Writes the passes of every layer.
class PassWriter {
 public:
  PassWriter(ProgramWriter& w, const DxfMachiningInputs& in, const ContourOptions& options)
      : w_(w),
        in_(in),
        options_(options),
        safe_(w.Num(in.zsafe)),
        feed_(w.Num(in.feed)),
        plungeFeed_(w.Num(in.plungeFeed)) {}

  // One pass at one layer; `above` is the depth of the layer cut before it (0
  // for the first), `tabTop` the height tabs keep (tabs apply below it only).
  void Write(const Pass& pass, const Layer& layer, double above, double tabTop) {
    const std::vector<PathSegment> leadIn = SegmentsOf(pass.leadIn);
    const std::vector<PathSegment> leadOut = SegmentsOf(pass.leadOut);
    const double floor = -layer.depth;
    std::vector<Stroke> strokes;
    Track track(pass, leadIn);
    const bool closed = pass.path.closed;
    const double startX = leadIn.empty() ? pass.path.v[0].x : leadIn[0].x0;
    const double startY = leadIn.empty() ? pass.path.v[0].y : leadIn[0].y0;
    w_.Line({"G0X", w_.Number(startX), "Y", w_.Number(startY)});
    double leadLength = 0;
    for (const PathSegment& s : leadIn) leadLength += s.length;
    const bool tabbed = floor < tabTop - 1e-9 && !pass.tabs.empty();
    if (options_.entry == ContourEntry::kPlunge) {
      // A pass that starts over a tab plunges only to the tab top, and its
      // rapid stops above the tab, which the layers before left standing.
      if (tabbed && leadIn.empty() && StartsOverTab(pass)) {
        const double tabFloor = std::min(above, -tabTop);
        w_.Line({"G0Z", w_.Number(ApproachHeight(in_.retract, layer.depth, tabFloor))});
        w_.Line({"G1Z", Height(tabTop), "F", plungeFeed_});
        z_ = tabTop;
      } else {
        w_.Line({"G0Z", w_.Number(layer.approach)});
        w_.Line({"G1Z", w_.DepthNumber(layer.depth), "F", plungeFeed_});
        z_ = floor;
      }
      track.Advance(leadLength + pass.length, floor, floor, strokes);
    } else {
      const double step = layer.depth - above;
      double slope = std::tan(options_.rampAngle * std::numbers::pi / 180);
      if (options_.entry == ContourEntry::kHelix && closed && pass.length > 0) {
        slope = std::min(slope, step / pass.length);
      }
      if (leadIn.empty()) {
        // Fed down to the stock's top, then along the path: through the depth
        // the layers before cut (the slot is open there) at one in one, then
        // into new material at the entry's slope, never more than one step-down
        // of it.
        const double top = std::max(layer.approach, 0.0);
        w_.Line({"G0Z", w_.Number(top)});
        if (top > 0) w_.Line({"G1Z", w_.Number(0), "F", plungeFeed_});
        z_ = 0;
        track.Advance(above, 0, -above, strokes);
        track.Advance(step / slope, -above, floor, strokes);
      } else {
        // The lead-in starts over stock no layer has cut below its top: every
        // layer descends from the top along it at the entry's slope, on the
        // floor the layers before left there (they descended the same way) and
        // below it into new material. Where the lead-in ends above the floor
        // the layers before cut round the path, the tool is fed straight down
        // that open slot and descends on from there at the slope.
        const double top = std::max(ApproachHeight(in_.retract, layer.depth, 0), 0.0);
        w_.Line({"G0Z", w_.Number(top)});
        if (top > 0) w_.Line({"G1Z", w_.Number(0), "F", plungeFeed_});
        z_ = 0;
        const double onLead = std::min(leadLength, layer.depth / slope);
        const double reached = onLead * slope;
        track.Advance(onLead, 0, -reached, strokes);
        const double from = std::max(reached, above);
        if (from < layer.depth) track.Advance((layer.depth - from) / slope, -from, floor, strokes);
      }
      if (closed) {
        // Round to the start again, then a whole lap at the depth: the ramped
        // floor is cut again.
        const double rest = track.Looped() > 0
                                ? std::fmod(pass.length - track.Position(), pass.length)
                                : track.LeadLeft();
        track.Advance(rest + pass.length, floor, floor, strokes);
      } else {
        // Back to the start at the depth, then the whole path.
        track.SetForward(false);
        track.Advance(track.Position(), floor, floor, strokes);
        track.SetForward(true);
        track.Advance(pass.length, floor, floor, strokes);
      }
    }
    for (const PathSegment& s : leadOut) strokes.push_back({&s, 0, 1, false, floor, floor});

    if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOn);
    fed_ = false;
    for (const Stroke& s : strokes) {
      if (tabbed && s.main) {
        WriteTabbed(pass, s, tabTop);
      } else {
        Move(s);
      }
    }
    if (in_.enSpecialOp) w_.UserBlock(in_.specialOpOff);
    w_.Line({"G0Z", safe_});
  }

 private:
  // Splits a stroke on the path at the tabs' ends and keeps the tool at the
  // tab top over them.
  void WriteTabbed(const Pass& pass, const Stroke& s, double tabTop) {
    const PathSegment& seg = *s.seg;
    std::vector<double> cuts = {s.t0, s.t1};
    auto addCut = [&](double at) {
      const double t = (at - seg.s) / seg.length;
      if ((t - s.t0) * (t - s.t1) < 0) cuts.push_back(t);
    };
    for (const TabSpan& tab : pass.tabs) {
      for (const double shift : {0.0, -pass.length}) {
        addCut(tab.from + shift);
        addCut(tab.to + shift);
      }
    }
    std::sort(cuts.begin(), cuts.end());
    if (s.t1 < s.t0) std::reverse(cuts.begin(), cuts.end());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
      const double a = cuts[i];
      const double b = cuts[i + 1];
      const double za = s.z0 + (s.z1 - s.z0) * (a - s.t0) / (s.t1 - s.t0);
      const double zb = s.z0 + (s.z1 - s.z0) * (b - s.t0) / (s.t1 - s.t0);
      const double mid = seg.s + (a + b) / 2 * seg.length;
      const bool onTab = InTab(pass, mid);
      Move(
          {&seg, a, b, true, onTab ? std::max(za, tabTop) : za, onTab ? std::max(zb, tabTop) : zb});
    }
  }

  // Whether the pass's start lies within a tab, not at its end.
  static bool StartsOverTab(const Pass& pass) {
    return std::ranges::any_of(pass.tabs, [&](const TabSpan& tab) {
      return (tab.from < -1e-9 && tab.to > 1e-9) ||
             (pass.path.closed && tab.from < pass.length - 1e-9 && tab.to > pass.length + 1e-9);
    });
  }

  static bool InTab(const Pass& pass, double s) {
    for (const TabSpan& tab : pass.tabs) {
      if ((s >= tab.from && s <= tab.to) ||
          (pass.path.closed && s + pass.length >= tab.from && s + pass.length <= tab.to)) {
        return true;
      }
    }
    return false;
  }

  // A height at or below the stock's top as a depth word; the top itself "0".
  NumberWord Height(double z) const {
    return std::abs(z) < 0.0005 ? w_.Number(0) : w_.DepthNumber(-z);
  }

  void Move(const Stroke& s) {
    if (std::abs(s.z0 - z_) > 1e-9) {
      w_.Line({"G1Z", Height(s.z0)});
      z_ = s.z0;
    }
    const PathSegment part = PartOf(*s.seg, s.t0, s.t1);
    const bool climbs = std::abs(s.z1 - z_) > 1e-9;
    // An arc whose ends would be written as one point reads as a whole circle,
    // and one of a radius below what the program writes cannot be made: so
    // short or small a piece is written as a line.
    ArcCentreWords centre;
    if (part.b != 0 && std::hypot(part.x1 - part.x0, part.y1 - part.y0) > 0.002) {
      const geometry::BulgeArc a =
          geometry::ArcFromBulge(part.x0, part.y0, part.x1, part.y1, part.b);
      centre = w_.ArcCentre(part.x0, part.y0, part.x1, part.y1, a.center.X, a.center.Y, part.b > 0);
    }
    if (centre.arc) {
      if (climbs) {
        w_.Line({part.b > 0 ? "G3X" : "G2X", w_.Number(part.x1), "Y", w_.Number(part.y1), "Z",
                 Height(s.z1), "I", centre.i, "J", centre.j, "F", feed_});
      } else {
        w_.Line({part.b > 0 ? "G3X" : "G2X", w_.Number(part.x1), "Y", w_.Number(part.y1), "I",
                 centre.i, "J", centre.j, "F", feed_});
      }
    } else if (climbs) {
      if (fed_) {
        w_.Line({"G1X", w_.Number(part.x1), "Y", w_.Number(part.y1), "Z", Height(s.z1)});
      } else {
        w_.Line(
            {"G1X", w_.Number(part.x1), "Y", w_.Number(part.y1), "Z", Height(s.z1), "F", feed_});
      }
    } else if (fed_) {
      w_.Line({"G1X", w_.Number(part.x1), "Y", w_.Number(part.y1)});
    } else {
      w_.Line({"G1X", w_.Number(part.x1), "Y", w_.Number(part.y1), "F", feed_});
    }
    fed_ = true;
    z_ = s.z1;
  }

  ProgramWriter& w_;
  const DxfMachiningInputs& in_;
  const ContourOptions& options_;
  std::string safe_;
  std::string feed_;
  std::string plungeFeed_;
  double z_ = 0;
  bool fed_ = false;
};

// The 1-based numbers of the contours in a sentence: "Contour 3 is", "Contours
// 2 and 5 are".
std::string Named(const std::vector<std::size_t>& numbers, std::string_view one,
                  std::string_view many) {
  return ContourNumbers(numbers) + std::string(numbers.size() == 1 ? one : many);
}

// A polyline with its 1-based number among the drawing's polylines.
struct Numbered {
  const CPolyLine* polyline;
  std::size_t number;
};

std::vector<Numbered> NumberedContours(const DrawList& list) {
  std::vector<Numbered> out;
  std::size_t number = 0;
  for (const auto& obj : list) {
    if (obj->otype != otPolyLine) continue;
    ++number;
    const auto* p = static_cast<const CPolyLine*>(obj.get());
    if (HasLength(*p)) out.push_back({p, number});
  }
  return out;
}

Pass PassOf(toolpath::Path path) {
  Pass pass;
  pass.path = std::move(path);
  pass.segs = SegmentsOf(pass.path);
  for (const PathSegment& s : pass.segs) pass.length += s.length;
  return pass;
}

// Whether every point of the lead arcs keeps the tool's radius from the drawn
// contour.
bool LeadsFit(const Pass& pass, const toolpath::Path& contour, double radius) {
  for (const toolpath::Path* lead : {&pass.leadIn, &pass.leadOut}) {
    for (const PathSegment& seg : SegmentsOf(*lead)) {
      for (int i = 0; i <= 16; ++i) {
        const toolpath::Point p = PointOn(seg, i / 16.0);
        if (DistanceToPath(contour, p.x, p.y) < radius - 1e-6) return false;
      }
    }
  }
  return true;
}

// "Contour 3: 2 of 4 tabs placed (too short for more)."
std::string TabsNote(std::size_t number, std::size_t placed, double due) {
  const auto asked = static_cast<std::size_t>(due);
  return "Contour " + std::to_string(number) + ": " + std::to_string(placed) + " of " +
         std::to_string(asked) + (asked == 1 ? " tab" : " tabs") + " placed (too short for " +
         (placed == 0 ? "any)." : "more).");
}

// One sentence for each pair of contours whose paths cut into each other's
// part, the first 20 pairs named and the rest counted.
void NoteContoursTooClose(const std::vector<std::pair<std::size_t, std::size_t>>& pairs,
                          std::vector<std::string>& notes) {
  constexpr std::size_t kNamed = 20;
  for (std::size_t i = 0; i < pairs.size() && i < kNamed; ++i) {
    notes.push_back(ContourNumbers({pairs[i].first, pairs[i].second}) +
                    " are too close for the tool: its path cuts into the other's part.");
  }
  if (pairs.size() > kNamed) {
    notes.push_back(std::to_string(pairs.size() - kNamed) +
                    " more pairs of contours are too close for the tool.");
  }
}

// The segments the tool's centre follows on a pass, its leads included.
std::vector<PathSegment> ToolSegments(const Pass& pass) {
  std::vector<PathSegment> segs = pass.segs;
  for (const toolpath::Path* lead : {&pass.leadIn, &pass.leadOut}) {
    for (const PathSegment& seg : SegmentsOf(*lead)) segs.push_back(seg);
  }
  return segs;
}

// Which of the contours are holes of the part (inside an odd number of other
// closed contours), when Outside and Inside follow the nesting; none otherwise.
std::vector<bool> HolesOf(const std::vector<Numbered>& contours, const ContourOptions& options) {
  std::vector<bool> holes(contours.size(), false);
  const bool around = options.side == ContourSide::kOutside || options.side == ContourSide::kInside;
  if (!around || options.sideBy != SideBy::kNesting || options.pocket) return holes;
  std::vector<toolpath::Path> paths;
  paths.reserve(contours.size());
  for (const Numbered& c : contours) paths.push_back(toolpath::PathOf(*c.polyline));
  const std::vector<int> depths = NestingDepths(paths);
  for (std::size_t i = 0; i < contours.size(); ++i) holes[i] = depths[i] % 2 == 1;
  return holes;
}

struct PassPlan {
  std::vector<Pass> passes;
  std::vector<std::string> notes;
  std::optional<Failure> failure;  // the pockets were refused: nothing is cut
};

// The passes of the contours on the side, in the direction, with the leads and
// tabs the options ask for; pockets cleared in closed contours when asked.
PassPlan PlanPasses(const DrawList& list, const ContourOptions& options) {
  PassPlan plan;
  const double r = options.toolDiameter / 2;
  const bool climb = options.direction == CutDirection::kClimb;
  const bool tabs = options.tabCount > 0 || options.tabSpacing > 0;
  std::vector<std::size_t> tooSmall, partsLeft, openOnLine, leadsLeft;
  std::vector<std::string> tabNotes;
  // The tool paths, and the drawn lines of the contours cut on a side, for the
  // check that no path cuts into another contour's part.
  std::vector<NumberedPath> toolPaths, keptOutlines;
  std::vector<toolpath::Path> pocketed;
  std::vector<std::size_t> pocketNumbers;
  const std::vector<Numbered> numbered = NumberedContours(list);
  const std::vector<bool> holes = HolesOf(numbered, options);
  for (std::size_t i = 0; i < numbered.size(); ++i) {
    const Numbered& c = numbered[i];
    const toolpath::Path contour = toolpath::PathOf(*c.polyline);
    if (options.pocket && contour.closed) {
      pocketed.push_back(contour);
      pocketNumbers.push_back(c.number);
      continue;
    }
    const bool closed = contour.closed;
    const bool around =
        options.side == ContourSide::kOutside || options.side == ContourSide::kInside;
    std::vector<toolpath::Path> paths;
    bool sided = false;  // cut on a side: the other side is kept
    bool leads = false;
    bool wasteLeft = false;
    if (options.side == ContourSide::kOnLine || (around && !closed)) {
      if (around) openOnLine.push_back(c.number);
      paths.push_back(contour);
    } else {
      sided = true;
      double distance = 0;
      bool keep = true;
      if (around) {
        // A hole's outside, as the part is cut, is the contour's inside.
        const bool outside = (options.side == ContourSide::kOutside) != holes[i];
        const bool ccw = SignedArea(contour) > 0;
        distance = outside == ccw ? -r : r;
        const bool wantCcw = climb ? !outside : outside;
        keep = ccw == wantCcw;
        wasteLeft = outside ? !wantCcw : wantCcw;
        leads = options.leadRadius > 0;
      } else {
        const bool left = options.side == ContourSide::kLeft;
        distance = left ? r : -r;
        keep = left == climb;
      }
      OffsetResult offset = OffsetContour(contour, distance);
      if (offset.paths.empty()) tooSmall.push_back(c.number);
      if (offset.partsLeftOut && !offset.paths.empty()) partsLeft.push_back(c.number);
      for (toolpath::Path& p : offset.paths) paths.push_back(keep ? std::move(p) : Reversed(p));
    }
    bool leadsFit = true;
    std::size_t tabsPlaced = 0;
    double tabsDue = 0;
    const std::size_t firstPass = plan.passes.size();
    for (toolpath::Path& p : paths) {
      Pass pass = PassOf(leads && p.closed ? StartedMidway(p) : std::move(p));
      if (pass.segs.empty()) continue;
      if (leads) {
        const PathSegment& first = pass.segs.front();
        const PathSegment& last = pass.segs.back();
        const toolpath::Point in = DirectionOn(first, 0);
        const toolpath::Point out = DirectionOn(last, 1);
        pass.leadIn = LeadIn(first.x0, first.y0, in.x, in.y, options.leadRadius, wasteLeft);
        pass.leadOut = LeadOut(last.x1, last.y1, out.x, out.y, options.leadRadius, wasteLeft);
        if (!LeadsFit(pass, contour, r)) {
          pass.leadIn = {};
          pass.leadOut = {};
          leadsFit = false;
        }
      }
      if (tabs) {
        pass.tabs = PlaceTabs(pass.segs, pass.length, pass.path.closed, options.tabCount,
                              options.tabSpacing, options.tabWidth + options.toolDiameter);
        tabsPlaced += pass.tabs.size();
        tabsDue += TabsDue(pass.length, options.tabCount, options.tabSpacing);
      }
      toolPaths.push_back({c.number, ToolSegments(pass)});
      plan.passes.push_back(std::move(pass));
    }
    if (!leadsFit) leadsLeft.push_back(c.number);
    if (static_cast<double>(tabsPlaced) < tabsDue) {
      tabNotes.push_back(TabsNote(c.number, tabsPlaced, tabsDue));
    }
    if (sided && plan.passes.size() > firstPass) {
      keptOutlines.push_back({c.number, SegmentsOf(contour)});
    }
  }
  if (!pocketed.empty()) {
    PocketPlan pockets = PlanPockets(pocketed, r, options.stepover * options.toolDiameter / 100,
                                     kPocketChordTolerance, climb, pocketNumbers);
    if (pockets.failure) {
      plan.failure = std::move(pockets.failure);
      return plan;
    }
    std::vector<Pass> cleared;
    for (PocketPath& p : pockets.pockets) {
      Pass pass = PassOf(std::move(p.path));
      if (!pass.segs.empty()) cleared.push_back(std::move(pass));
    }
    plan.passes.insert(plan.passes.begin(), std::make_move_iterator(cleared.begin()),
                       std::make_move_iterator(cleared.end()));
    plan.notes.insert(plan.notes.end(), pockets.notes.begin(), pockets.notes.end());
  }
  if (!tooSmall.empty()) {
    plan.notes.push_back(Named(tooSmall, " is too small for the tool and is not cut.",
                               " are too small for the tool and are not cut."));
  }
  if (!partsLeft.empty()) {
    plan.notes.push_back(Named(partsLeft, " has parts too narrow for the tool; they are not cut.",
                               " have parts too narrow for the tool; they are not cut."));
  }
  if (!openOnLine.empty()) {
    plan.notes.push_back(
        Named(openOnLine, " is open: it has no outside or inside and is cut on the line.",
              " are open: they have no outside or inside and are cut on the line."));
  }
  if (!leadsLeft.empty()) {
    plan.notes.push_back(Named(leadsLeft, ": the lead arcs do not fit and are left out.",
                               ": the lead arcs do not fit and are left out."));
  }
  plan.notes.insert(plan.notes.end(), tabNotes.begin(), tabNotes.end());
  NoteContoursTooClose(ContoursTooClose(toolPaths, keptOutlines, r, kNeighbourTolerance),
                       plan.notes);
  return plan;
}

// The lines one layer of a pass takes at most: every segment run up to `laps`
// times, each tab's four extra lines per lap (its ends split the path, the
// rise and the descent), leads, approach and blocks.
double PassLines(const Pass& pass, double laps, double blockLines) {
  return static_cast<double>(pass.segs.size() + pass.tabs.size() * 4 + 4) * laps + 10 + blockLines;
}

}  // namespace

std::optional<Failure> CheckDxfContours(const DrawList& list, const DxfMachiningInputs& in) {
  const auto contours = Contours(list);
  double vertices = 0;
  double segments = 0;
  for (const CPolyLine* p : contours) {
    vertices += p->m_VertexCount;
    segments += static_cast<double>(SegmentCount(*p));
  }
  if (auto f = CheckLimit(LimitId::kVertices, vertices)) return f;
  const double layers = MillLayerCount(in.depth, in.stepdown);
  if (auto f = CheckLimit(LimitId::kLayers, layers)) return f;
  // Per contour and layer: approach (3 lines), the blocks, the safe height; the
  // final layer's extra approach; the start lines.
  const double blockLines =
      in.enSpecialOp ? static_cast<double>(LineCount(in.specialOpOn) + LineCount(in.specialOpOff))
                     : 0.0;
  const double perLayer = segments + static_cast<double>(contours.size()) * (4 + blockLines) + 3;
  if (auto f = CheckLimit(LimitId::kProgramLines, layers * perLayer + 3)) return f;
  for (const CPolyLine* p : contours) {
    if (!IsFinite(*p)) {
      return Failure{std::string(geometry::kNotFiniteNumber), "LWPOLYLINE"};
    }
  }
  return std::nullopt;
}

namespace {

// How many times at most a pass runs its path at one layer: the entry's descent
// (through the depth already cut at one in one, or along the lead-in, then at
// most one step-down at the entry's slope), round to the start again, and the
// lap or the path at depth.
double LapsPerLayer(double length, const DxfMachiningInputs& in, const ContourOptions& options) {
  if (options.entry == ContourEntry::kPlunge) return 1;
  const double slope = std::tan(options.rampAngle * std::numbers::pi / 180);
  const double step = std::min(in.stepdown > 0 ? in.stepdown : in.depth, in.depth);
  // A helix never descends more than one step-down a lap: at least a lap.
  const bool helix = options.entry == ContourEntry::kHelix;
  const double descent = in.depth + std::max(step / slope, helix ? length : 0.0);
  return length > 0 ? descent / length + 3 : 3;
}

// Refuses a job whose program would be over the line limit, estimated from the
// drawing before any path is built: offsets at most double a contour's segments,
// a pocket's rings are at most its smaller extent over the step-over, tabs add
// their lines at every layer.
std::optional<Failure> CheckContourJob(const DrawList& list, const DxfMachiningInputs& in,
                                       const ContourOptions& options) {
  const double layers = MillLayerCount(in.depth, in.stepdown);
  const double stepover = options.stepover * options.toolDiameter / 100;
  double perLayer = 0;
  for (const Numbered& c : NumberedContours(list)) {
    const toolpath::Path path = toolpath::PathOf(*c.polyline);
    double length = 0;
    for (const PathSegment& s : SegmentsOf(path)) length += s.length;
    double rings = 1;
    if (options.pocket && path.closed && stepover > 0) {
      const double w = c.polyline->MaxX() - c.polyline->MinX();
      const double h = c.polyline->MaxY() - c.polyline->MinY();
      rings = std::min(w, h) / (2 * stepover) + 2;
      length *= rings;
    }
    const double tabs = options.tabSpacing > 0 ? length / options.tabSpacing
                                               : static_cast<double>(std::max(options.tabCount, 0));
    const double segments = 2 * static_cast<double>(path.v.size()) + 2;
    perLayer += (segments * rings + 4 * tabs + 4) * LapsPerLayer(length, in, options) + 10;
  }
  return CheckLimit(LimitId::kProgramLines, layers * perLayer + 3);
}

// The same once the passes are known, before they are written.
std::optional<Failure> CheckPassLines(const std::vector<Pass>& passes, const DxfMachiningInputs& in,
                                      const ContourOptions& options) {
  const double blocks =
      in.enSpecialOp ? static_cast<double>(LineCount(in.specialOpOn) + LineCount(in.specialOpOff))
                     : 0.0;
  double perLayer = 0;
  for (const Pass& pass : passes) {
    perLayer += PassLines(pass, LapsPerLayer(pass.length, in, options), blocks);
  }
  return CheckLimit(LimitId::kProgramLines, MillLayerCount(in.depth, in.stepdown) * perLayer + 3);
}

}  // namespace

Outcome<std::string> DxfGcodeGen(const DrawList& list, const DxfMachiningInputs& in,
                                 const ContourOptions& options, std::vector<std::string>* notes) {
  if (auto f = CheckDxfContours(list, in)) return *f;
  const bool today = options.IsToday();
  if (!today) {
    if (auto f = CheckContourJob(list, in, options)) return *f;
  }
  const auto contours = Contours(list);
  NoteContoursWithoutLength(list, notes);
  ProgramWriter w(text::NumberFormat::kMax3);
  w.Line({"G90"});
  if (in.enSpin) w.Line({"M3S", ProgramWriter::Num(in.spindle, text::NumberFormat::kMax1)});
  w.Line({"G0Z", w.Number(in.zsafe)});
  if (contours.empty()) return w.Finish();

  const std::vector<Layer> layers = MillLayers(in.depth, in.stepdown, in.retract);
  if (!today) {
    PassPlan plan = PlanPasses(list, options);
    if (plan.failure) return *plan.failure;
    if (auto f = CheckPassLines(plan.passes, in, options)) return *f;
    if (notes) notes->insert(notes->end(), plan.notes.begin(), plan.notes.end());
    // Tabs stand from the full depth up to their height.
    const double tabTop = -layers.back().depth + options.tabHeight;
    PassWriter cut(w, in, options);
    double above = 0;
    for (const Layer& layer : layers) {
      for (const Pass& pass : plan.passes) cut.Write(pass, layer, above, tabTop);
      above = layer.depth;
    }
    return w.Finish();
  }

  // When full layers fit, a layer beyond them is the final one at the depth: it
  // begins with an approach and plunge at the first contour's start before the
  // contours are cut as at every layer.
  const double full = in.stepdown > 0 ? std::floor(in.depth / in.stepdown) : 0.0;
  const bool hasFinal = full >= 1 && static_cast<double>(layers.size()) > full;
  const CPolyLine* opening = contours.front();

  ContourWriter cut(w, in);
  for (std::size_t k = 0; k < layers.size(); ++k) {
    const std::size_t layerStart = w.Size();
    if (hasFinal && k + 1 == layers.size()) {
      cut.Approach(opening->x[0], opening->y[0], layers[k]);
    }
    for (const CPolyLine* p : contours) cut.Contour(*p, layers[k]);
    // Every layer repeats the first with other depths: a few more characters
    // per contour at most, and the final layer's extra approach.
    if (k == 0) {
      w.ReserveRepeats(layerStart, layers.size() - 1, 16 * contours.size() + 128,
                       in.endScript.size() + 128);
    }
  }
  return w.Finish();
}

Outcome<geometry::DrawList> ContourToolPaths(const DrawList& list, const DxfMachiningInputs& in,
                                             const ContourOptions& options) {
  if (auto f = CheckDxfContours(list, in)) return *f;
  DrawList paths;
  if (options.IsToday()) {
    for (const CPolyLine* p : Contours(list))
      paths.push_back(toolpath::PolyLineOf(toolpath::PathOf(*p)));
    return paths;
  }
  if (auto f = CheckContourJob(list, in, options)) return *f;
  const PassPlan plan = PlanPasses(list, options);
  if (plan.failure) return *plan.failure;
  for (const Pass& pass : plan.passes) {
    if (pass.leadIn.v.empty()) {
      paths.push_back(toolpath::PolyLineOf(pass.path));
      continue;
    }
    // Lead-in, the lap back to its start, lead-out: one open polyline.
    toolpath::Path chain;
    chain.v.push_back(pass.leadIn.v.front());
    chain.v.insert(chain.v.end(), pass.path.v.begin(), pass.path.v.end());
    chain.v.push_back(pass.leadOut.v.front());
    chain.v.push_back(pass.leadOut.v.back());
    paths.push_back(toolpath::PolyLineOf(chain));
  }
  // The tabs, each a circle of the width left in the material at its middle.
  for (const Pass& pass : plan.passes) {
    for (const TabSpan& tab : pass.tabs) {
      double middle = (tab.from + tab.to) / 2;
      if (middle > pass.length) middle -= pass.length;
      for (const PathSegment& seg : pass.segs) {
        if (middle <= seg.s + seg.length) {
          const toolpath::Point p = PointOn(seg, (middle - seg.s) / seg.length);
          paths.push_back(std::make_unique<geometry::CCircle>(geometry::UnitPoint(p.x, p.y),
                                                              options.tabWidth / 2, true));
          break;
        }
      }
    }
  }
  return paths;
}

Outcome<std::string> DxfJob(const TextLookup& texts, const std::string& path, const ListSink& sink,
                            std::vector<std::string>* notes) {
  const auto outlineOptions = ReadOutlineOptions(texts);
  if (!outlineOptions) return outlineOptions.failure();
  auto drawing = geometry::ReadOutlines(path, *outlineOptions);
  if (!drawing) return drawing.failure();
  const auto in = ReadDxfMachiningInputs(texts);
  if (!in) return in.failure();
  const auto options = ReadContourOptions(texts, *in);
  if (!options) return options.failure();
  auto program = DxfGcodeGen(drawing->contours, *in, *options, notes);
  if (!program) return program;
  *program += in->endScript;
  if (notes) notes->insert(notes->begin(), drawing->notes.begin(), drawing->notes.end());
  if (sink) sink(drawing->contours);
  return program;
}

}  // namespace kelvora::generators
