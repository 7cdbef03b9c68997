#include "motion/path_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>
#include <unordered_set>

#include "motion/gcode_reader.h"

namespace kelvora::motion {
namespace {

using geometry::Pen;

// The pens by index, in the order they are drawn: rapids under feeds, flagged
// moves on top so that they are never hidden.
enum PenIndex : std::uint8_t { kRapid, kFeed, kFlaggedRapid, kFlaggedFeed, kPenCount };

const Pen& PenOf(std::uint8_t index) {
  static const Pen pens[kPenCount] = {kPathRapidPen, kPathFeedPen, kPathFlaggedRapidPen,
                                      kPathFlaggedFeedPen};
  return pens[index];
}

std::uint8_t PenFor(bool rapid, bool flagged) {
  if (flagged) return rapid ? kFlaggedRapid : kFlaggedFeed;
  return rapid ? kRapid : kFeed;
}

constexpr double kDegrees = 180.0 / std::numbers::pi;

// The angle of (x, y) around (cx, cy), in degrees counter-clockwise from +X, in [0, 360).
double AngleOf(double cx, double cy, double x, double y) {
  const double a = std::atan2(y - cy, x - cx) * kDegrees;
  return a < 0 ? a + 360.0 : a;
}

// The model's counter-clockwise sweep of an arc, in degrees: positive for G3,
// negative for G2, a whole turn when it ends where it starts.
double SweepOf(double a0, double a1, bool clockwise, bool full) {
  if (full) return clockwise ? -360.0 : 360.0;
  double ccw = a1 - a0;
  if (ccw <= 0) ccw += 360.0;
  return clockwise ? ccw - 360.0 : ccw;
}

// Maps model millimetres to the picture's pixels, Y pointing up.
struct Frame {
  double scale = 1.0;
  double centreX = 0.0;
  double centreY = 0.0;
  double halfWidth = 0.0;
  double halfHeight = 0.0;

  double X(double x) const { return halfWidth + (x - centreX) * scale; }
  double Y(double y) const { return halfHeight - (y - centreY) * scale; }
};

// The pixel layers: one per pen for short moves, one per pen for marks (by
// cells of 2 x 2 pixels), and the pixels a hole stands on.
constexpr std::uint8_t kMarkLayer = kPenCount;
constexpr std::uint8_t kHoleLayer = 2 * kPenCount;
constexpr std::uint8_t kLayerCount = 2 * kPenCount + 1;

// What is already drawn: per layer the pixels that short moves or marks
// covered, and per pen the pixel ends of longer lines and the boxes of arcs.
class Drawn {
 public:
  Drawn(int width, int height)
      : width_(std::max(width, 0)),
        height_(std::max(height, 0)),
        pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) *
                kLayerCount) {}

  // Marks the pixel as drawn in the layer; false when it already was. Pixels
  // outside the picture count as drawn (nothing is seen of them).
  bool TakePixel(std::uint8_t layer, int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const std::size_t at = Index(layer, x, y);
    if (pixels_[at]) return false;
    pixels_[at] = true;
    return true;
  }
  bool Has(std::uint8_t layer, int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && pixels_[Index(layer, x, y)];
  }

  // A line between two pixels, either way round; false when one of the same
  // pen joins the same pixels already.
  bool TakeLine(std::uint8_t pen, int x0, int y0, int x1, int y1) {
    if (std::tie(x1, y1) < std::tie(x0, y0)) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    // Four values of 15 bits and the pen: exact for every pixel of a picture
    // (the path lies inside it), and cheap to keep for millions of lines.
    std::uint64_t key = pen;
    for (int v : {x0, y0, x1, y1}) {
      key = (key << 15) | static_cast<std::uint64_t>(std::clamp(v + 16384, 0, 32767));
    }
    return lines_.insert(key).second;
  }

  // An arc by its pixel box and whole-degree angles.
  bool TakeArc(std::uint8_t pen, int x, int y, int d, int start, int sweep) {
    return arcs_.insert({pen, x, y, d, start, sweep}).second;
  }

 private:
  std::size_t Index(std::uint8_t layer, int x, int y) const {
    return (static_cast<std::size_t>(layer) * static_cast<std::size_t>(height_) +
            static_cast<std::size_t>(y)) *
               static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_;
  int height_;
  std::vector<bool> pixels_;
  std::unordered_set<std::uint64_t> lines_;
  std::set<std::array<int, 6>> arcs_;
};

}  // namespace

void PathRecorder::Widen(double x, double y) {
  if (!any_) {
    minX_ = maxX_ = x;
    minY_ = maxY_ = y;
    any_ = true;
    return;
  }
  minX_ = std::min(minX_, x);
  maxX_ = std::max(maxX_, x);
  minY_ = std::min(minY_, y);
  maxY_ = std::max(maxY_, y);
}

void PathRecorder::WidenArc(const Arc& arc) {
  Widen(arc.x0, arc.y0);
  Widen(arc.x1, arc.y1);
  const double r = std::hypot(arc.x0 - arc.cx, arc.y0 - arc.cy);
  const double a0 = AngleOf(arc.cx, arc.cy, arc.x0, arc.y0);
  const double a1 = AngleOf(arc.cx, arc.cy, arc.x1, arc.y1);
  const double sweep = SweepOf(a0, a1, arc.clockwise, arc.full);
  // The circle's points at 0, 90, 180 and 270 degrees that the arc passes.
  for (int quarter = 0; quarter < 4; ++quarter) {
    const double at = quarter * 90.0;
    double along = sweep >= 0 ? at - a0 : a0 - at;
    if (along < 0) along += 360.0;
    if (along <= std::fabs(sweep)) {
      Widen(arc.cx + r * std::cos(at / kDegrees), arc.cy + r * std::sin(at / kDegrees));
    }
  }
}

void PathRecorder::OnMove(const Move& move) {
  report_.OnMove(move);
  const bool flagged = report_.LastMoveFlagged();
  const bool rapid = move.kind == MoveKind::kRapid;
  const std::uint8_t pen = PenFor(rapid, flagged);
  const auto x0 = static_cast<float>(move.start.x);
  const auto y0 = static_cast<float>(move.start.y);
  const auto x1 = static_cast<float>(move.end.x);
  const auto y1 = static_cast<float>(move.end.y);
  const bool inPlace = move.start.x == move.end.x && move.start.y == move.end.y;
  // Until the program has named X and Y the tool stands where the machine
  // happened to be: the move away from there is not drawn, only its end.
  constexpr std::uint8_t kXY = (1U << kAxisX) | (1U << kAxisY);
  const bool startKnown = (knownBefore_ & kXY) == kXY;
  knownBefore_ = move.known;
  if ((move.known & kXY) != kXY) return;
  if (!startKnown && !inPlace) {
    Widen(x1, y1);
    return;
  }

  if (move.kind == MoveKind::kArcCw || move.kind == MoveKind::kArcCcw) {
    const Arc arc{x0,
                  y0,
                  x1,
                  y1,
                  static_cast<float>(move.centreX),
                  static_cast<float>(move.centreY),
                  pen,
                  move.kind == MoveKind::kArcCw,
                  inPlace || move.extraTurns > 0};
    arcs_.push_back(arc);
    WidenArc(arc);
    return;
  }
  if (inPlace) {
    // Seen from above a move along Z (or A) stays on its point: a feed there is
    // a hole, a flagged rapid a plunge worth seeing; other rapids show nothing.
    if (rapid && !flagged) return;
    // A hole's pecks are one mark.
    if (!marks_.empty() && marks_.back().x == x0 && marks_.back().y == y0 &&
        marks_.back().pen == pen) {
      return;
    }
    marks_.push_back({x0, y0, pen});
    Widen(x0, y0);
    return;
  }
  // A move repeated at once (the same XY at another depth) is drawn once.
  if (!lines_.empty()) {
    const Line& last = lines_.back();
    if (last.pen == pen && last.x0 == x0 && last.y0 == y0 && last.x1 == x1 && last.y1 == y1) {
      return;
    }
  }
  lines_.push_back({x0, y0, x1, y1, pen});
  Widen(x0, y0);
  Widen(x1, y1);
}

geometry::Picture PathRecorder::Draw(int width, int height) const {
  geometry::Picture picture;
  picture.width = width;
  picture.height = height;
  if (!any_ || width <= 0 || height <= 0) return picture;

  Frame frame;
  frame.centreX = (minX_ + maxX_) / 2;
  frame.centreY = (minY_ + maxY_) / 2;
  frame.halfWidth = width / 2.0;
  frame.halfHeight = height / 2.0;
  const double dx = maxX_ - minX_;
  const double dy = maxY_ - minY_;
  const double roomX = std::max(1, width - 2 * kPathMargin);
  const double roomY = std::max(1, height - 2 * kPathMargin);
  // Both directions fit: the scale of the tighter one.
  if (dx > 0 && dy > 0) {
    frame.scale = std::min(roomX / dx, roomY / dy);
  } else if (dx > 0) {
    frame.scale = roomX / dx;
  } else if (dy > 0) {
    frame.scale = roomY / dy;
  }

  Drawn drawn(width, height);
  auto& items = picture.items;
  const auto px = [&](double x) { return geometry::RoundPixel(frame.X(x)); };
  const auto py = [&](double y) { return geometry::RoundPixel(frame.Y(y)); };

  // Where the holes are, first: a move of a pixel or two between close holes
  // lies under their circles.
  for (const Mark& m : marks_) drawn.TakePixel(kHoleLayer, px(m.x), py(m.y));

  for (std::uint8_t pen = 0; pen < kPenCount; ++pen) {
    const bool flagged = pen == kFlaggedRapid || pen == kFlaggedFeed;
    for (const Line& l : lines_) {
      if (l.pen != pen) continue;
      const int ax = px(l.x0), ay = py(l.y0), bx = px(l.x1), by = py(l.y1);
      // A move of a pixel or two covers its two end pixels, no more: drawn
      // only while one of them is new and not under a hole (flagged moves
      // always show).
      if (std::abs(bx - ax) <= 1 && std::abs(by - ay) <= 1) {
        if (!flagged && drawn.Has(kHoleLayer, ax, ay) && drawn.Has(kHoleLayer, bx, by)) continue;
        const bool a = drawn.TakePixel(pen, ax, ay);
        const bool b = drawn.TakePixel(pen, bx, by);
        if (!a && !b) continue;
        items.push_back(
            geometry::LinePrim{PenOf(pen), ax, ay, bx == ax && by == ay ? bx + 1 : bx, by});
        continue;
      }
      if (!drawn.TakeLine(pen, ax, ay, bx, by)) continue;
      items.push_back(geometry::LinePrim{PenOf(pen), ax, ay, bx, by});
    }
    for (const Arc& a : arcs_) {
      if (a.pen != pen) continue;
      const double r = std::hypot(a.x0 - a.cx, a.y0 - a.cy) * frame.scale;
      const double a0 = AngleOf(a.cx, a.cy, a.x0, a.y0);
      const double a1 = AngleOf(a.cx, a.cy, a.x1, a.y1);
      const double sweep = SweepOf(a0, a1, a.clockwise, a.full);
      const int x = geometry::RoundPixel(frame.X(a.cx) - r);
      const int y = geometry::RoundPixel(frame.Y(a.cy) - r);
      const int d = geometry::RoundPixel(2 * r);
      if (d < 2) {
        // Smaller than a pixel or two: its centre's pixel stands for it.
        if (drawn.TakePixel(pen, px(a.cx), py(a.cy))) {
          items.push_back(
              geometry::LinePrim{PenOf(pen), px(a.cx), py(a.cy), px(a.cx) + 1, py(a.cy)});
        }
        continue;
      }
      if (!drawn.TakeArc(pen, x, y, d, static_cast<int>(std::lround(a0)),
                         static_cast<int>(std::lround(sweep)))) {
        continue;
      }
      // The screen measures angles clockwise, its Y pointing down.
      items.push_back(geometry::ArcPrim{PenOf(pen), x, y, d, d, -a0, -sweep});
    }
    for (const Mark& m : marks_) {
      if (m.pen != pen) continue;
      const int x = px(m.x);
      const int y = py(m.y);
      // A hole's circle is 4 pixels wide: one in each cell of 2 x 2 pixels
      // shows them all.
      if (!drawn.TakePixel(static_cast<std::uint8_t>(kMarkLayer + pen), x / 2, y / 2)) continue;
      items.push_back(geometry::EllipsePrim{PenOf(pen), x - kPathMarkSize / 2,
                                            y - kPathMarkSize / 2, kPathMarkSize, kPathMarkSize});
    }
  }
  return picture;
}

CheckedPath CheckAndDrawProgram(std::string_view program, const Machine& machine,
                                const CheckOptions& options, int width, int height) {
  ReportBuilder report(machine, options);
  PathRecorder path(report);
  ReadProgram(program, path, ReaderStartFor(machine));
  CheckedPath out;
  out.report = report.Finish(CountProgramLines(program));
  out.picture = path.Draw(width, height);
  return out;
}

}  // namespace kelvora::motion
