// Building program text: lines ended by CR LF, words back to back, depth words,
// user blocks, and the two depth-pass schemes shared by the drilling and milling jobs.
#pragma once

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_format.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::string_view kLineEnd = "\r\n";

// A number written straight into the program text, without a string of its
// own: in `format`, and as a depth word (see ProgramWriter::DepthWord) when
// `depth` is set.
struct NumberWord {
  double value;
  text::NumberFormat format;
  bool depth = false;
};

// One piece of a line: a text or a number.
class Word {
 public:
  Word(const char* text) : text_(text) {}                        // NOLINT: implicit by design
  Word(std::string_view text) : text_(text) {}                   // NOLINT: implicit by design
  Word(const std::string& text) : text_(text) {}                 // NOLINT: implicit by design
  Word(NumberWord number) : number_(number), isNumber_(true) {}  // NOLINT: implicit by design

  void AppendTo(std::string& out) const;
  // Writes the word at line + n when it fits below `room` and advances n;
  // false (nothing written) when it does not fit or is a number the short way
  // of FormatNumber cannot write.
  bool WriteTo(char* line, std::size_t& n, std::size_t room) const;

 private:
  std::string_view text_;
  NumberWord number_{0.0, text::NumberFormat::kMax3};
  bool isNumber_ = false;
};

// The centre of an arc as a program writes it: I and J from the arc's start,
// or, when the arc cannot be written as one, a line to its end (`arc` false).
struct ArcCentreWords {
  bool arc = false;
  NumberWord i{0.0, text::NumberFormat::kMax3};
  NumberWord j{0.0, text::NumberFormat::kMax3};
};

class ProgramWriter {
 public:
  explicit ProgramWriter(text::NumberFormat numbers) : numbers_(numbers) {}

  // Appends the words back to back and ends the line.
  void Line(std::initializer_list<Word> words);
  // Appends text as it is, without a line end (end scripts, repeated blocks).
  void Append(std::string_view raw) { text_ += raw; }
  // Inserts a block the operator typed: verbatim when it ends with a line feed,
  // else followed by CR LF. An empty block inserts nothing.
  void UserBlock(std::string_view block);

  // Makes room for a program of about `bytes`, so a large program is written
  // into one buffer instead of being copied every time it outgrows it.
  void Reserve(std::size_t bytes) { text_.reserve(bytes); }
  // Makes room for `more` further parts like the one written since the text had
  // `partStart` bytes, each up to `slack` bytes longer, and `tail` bytes after
  // them: the size of the whole program estimated from its first layer or hole.
  void ReserveRepeats(std::size_t partStart, std::size_t more, std::size_t slack,
                      std::size_t tail) {
    Reserve(text_.size() + more * (text_.size() - partStart + slack) + tail);
  }
  std::size_t Size() const { return text_.size(); }

  // A number in the writer's pattern, written into the line.
  NumberWord Number(double value) const {
    NoteFinite(value);
    return {value, numbers_, false};
  }
  // A depth below the surface in the writer's pattern, written as DepthWord does.
  NumberWord DepthNumber(double value) const {
    NoteFinite(value);
    return {value, numbers_, true};
  }

  // A number in the writer's pattern, as a string to keep (values a program
  // repeats on many lines).
  std::string Num(double value) const {
    NoteFinite(value);
    return text::FormatNumber(value, numbers_);
  }
  // A number in another pattern (spindle speeds, pocket feeds).
  static std::string Num(double value, text::NumberFormat format) {
    return text::FormatNumber(value, format);
  }
  // A depth below the surface as it follows "Z": "-" and the formatted number, or,
  // when the number is itself negative (a height above the surface), the number
  // without its sign, so no line ever reads "Z--".
  std::string Depth(double depth) const { return DepthWord(Num(depth)); }
  static std::string DepthWord(std::string_view formatted);

  // The I and J of an arc from (x0, y0) to (x1, y1) about (cx, cy), chosen so
  // that the written end lies on the circle through the written start as
  // nearly as the writer's decimals allow. The control takes the centre as
  // the written start plus the written I and J; rounding each on its own can
  // leave the end's radius up to about two steps from the start's (0.002 mm
  // with three decimals). When the rounded centre leaves them more than half a
  // step apart, the I and J within one step of the true centre that bring them
  // nearest are written instead, so nothing moves by more than one step. An
  // arc whose written ends are one point (it would read as a whole circle) or
  // whose written radius is below one step is written as a line to its end,
  // and so is one that no centre near enough brings onto its circle when it
  // bows less than half a step from its chord. `ccw`: counter-clockwise (G3).
  ArcCentreWords ArcCentre(double x0, double y0, double x1, double y1, double cx, double cy,
                           bool ccw) const;

  const std::string& Text() const { return text_; }
  std::string Take() { return std::move(text_); }
  // The finished program, or the refusal when a number came out too large to be
  // written (coordinates that overflow): a controller cannot read "Infinity".
  Outcome<std::string> Finish();

 private:
  void NoteFinite(double value) const {
    if (!std::isfinite(value)) nonFinite_ = true;
  }

  text::NumberFormat numbers_;
  std::string text_;
  mutable bool nonFinite_ = false;
};

// How far above the depth just drilled a rapid back into the hole stops.
inline constexpr double kPeckClearance = 0.2;

// Peck drilling of one hole, after the rapid to the hole and the retract-height
// line. A pass depth at or above the depth, or at or below 0, drills in one plunge,
// followed by `specialOp` (empty when disabled). `dwell`, when not empty, is the
// dwell line written right after the feed to the deepest point.
struct PeckInputs {
  double depth;
  double pass;
  double retract;
  double feed;
};
void EmitPeck(ProgramWriter& w, const PeckInputs& in, std::string_view specialOp,
              std::string_view dwell = {});
// Number of plunges the scheme makes, for the size limits (may be huge).
double PeckPlungeCount(double depth, double pass);
// The deepest plunge of the scheme: the depth, or the last full pass when what
// remains below it is too little to drill.
double PeckBottom(double depth, double pass);

// Layered milling: the depths of the layers and the approach height above each.
// n = whole part of depth / stepdown layers at k * stepdown, then a final layer at
// the depth when more than 0.01 remains. When no full layer fits (the step-down
// exceeds the depth, or it is 0 or below) there is one layer at the depth: the
// cutter never goes deeper than asked.
struct Layer {
  double approach;  // the rapid height before the plunge, as ApproachHeight gives it
  double depth;
  double cut = 0;  // the depth the layers before have cut (0, the stock's top, for the first)
};
// Where a rapid down towards a layer at `depth` stops over a place whose floor is
// already cut to `floorDepth` (0: the stock's top): the retract height above the
// layer's depth, unless that lies below the floor; then the retract height above
// the floor, so that no rapid ends in uncut stock, and the rest of the way down is
// fed. With a retract height of at least the step-down the first applies.
double ApproachHeight(double retract, double depth, double floorDepth);
std::vector<Layer> MillLayers(double depth, double stepdown, double retract);
// Number of layers MillLayers would return, for the size limits (may be huge).
double MillLayerCount(double depth, double stepdown);
// The depth of MillLayers' last layer, without listing the layers.
double MillBottom(double depth, double stepdown);

}  // namespace kelvora::generators
