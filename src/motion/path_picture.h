// The path picture: a program's moves seen from above (XY), scaled into a
// preview box. Feed moves are solid, rapids dashed, moves a check flagged red,
// arcs drawn as arcs, and a feed that moves only Z (a drilled hole) as a small
// circle. Moves that only Z or A take, without a feed, are not seen from above.
//
// A program of millions of moves gives a picture of at most a few primitives
// per pixel: a move that maps onto pixels a move of the same pen already drew
// is left out, so the picture stays as small as the box, not as the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "geometry/picture.h"
#include "motion/machine.h"
#include "motion/moves.h"
#include "motion/report.h"

namespace kelvora::motion {

// The pens of the path picture.
inline constexpr geometry::Pen kPathFeedPen{geometry::kBlue, 1.0};
inline constexpr geometry::Pen kPathRapidPen{geometry::kGray, 1.0, true};
inline constexpr geometry::Pen kPathFlaggedFeedPen{geometry::kRed, 2.0};
inline constexpr geometry::Pen kPathFlaggedRapidPen{geometry::kRed, 2.0, true};
// The side of the circle that marks a hole, in pixels.
inline constexpr int kPathMarkSize = 4;
// Room kept free on every side of the path, in pixels.
inline constexpr int kPathMargin = 15;

// Keeps what the picture needs of each move, passing everything on to the
// report so that each move's flag is known as it is kept.
class PathRecorder final : public MotionSink {
 public:
  explicit PathRecorder(ReportBuilder& report) : report_(report) {}

  void OnMove(const Move& move) override;
  void OnEvent(const Event& event) override { report_.OnEvent(event); }
  void OnNotice(const Notice& notice) override { report_.OnNotice(notice); }

  // The picture of everything kept, `width` x `height` pixels; blank (white)
  // when no move is seen from above.
  geometry::Picture Draw(int width, int height) const;

  // How many lines, arcs and marks are kept (a hole's repeated pecks count once).
  std::size_t Kept() const { return lines_.size() + arcs_.size() + marks_.size(); }

 private:
  struct Line {
    float x0, y0, x1, y1;
    std::uint8_t pen;  // PenIndex
  };
  struct Arc {
    float x0, y0, x1, y1, cx, cy;
    std::uint8_t pen;
    bool clockwise;
    bool full;  // a whole circle (start and end the same, or extra turns)
  };
  struct Mark {
    float x, y;
    std::uint8_t pen;
  };
  void Widen(double x, double y);
  void WidenArc(const Arc& arc);

  ReportBuilder& report_;
  std::vector<Line> lines_;
  std::vector<Arc> arcs_;
  std::vector<Mark> marks_;
  bool any_ = false;
  double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
  std::uint8_t knownBefore_ = 0;  // Move::known of the move before
};

// What one reading of a program gives: its report and its path picture.
struct CheckedPath {
  Report report;
  geometry::Picture picture;
};

// Reads the program once, building its report (as CheckProgram does) and its
// path picture of `width` x `height` pixels.
CheckedPath CheckAndDrawProgram(std::string_view program, const Machine& machine,
                                const CheckOptions& options, int width, int height);

}  // namespace kelvora::motion
