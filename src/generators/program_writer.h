// Building program text: lines ended by CR LF, words back to back, depth words,
// user blocks, and the two depth-pass schemes shared by the drilling and milling jobs.
#pragma once

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_format.h"
#include "text/outcome.h"

namespace kelvora::generators {

inline constexpr std::string_view kLineEnd = "\r\n";

class ProgramWriter {
 public:
  explicit ProgramWriter(text::NumberFormat numbers) : numbers_(numbers) {}

  // Appends the words back to back and ends the line.
  void Line(std::initializer_list<std::string_view> words);
  // Appends text as it is, without a line end (end scripts).
  void Append(std::string_view raw) { text_ += raw; }
  // Inserts a block the operator typed: verbatim when it ends with a line feed,
  // else followed by CR LF. An empty block inserts nothing.
  void UserBlock(std::string_view block);

  // A number in the writer's pattern.
  std::string Num(double value) const {
    if (!std::isfinite(value)) nonFinite_ = true;
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

  const std::string& Text() const { return text_; }
  std::string Take() { return std::move(text_); }
  // The finished program, or the refusal when a number came out too large to be
  // written (coordinates that overflow): a controller cannot read "Infinity".
  Outcome<std::string> Finish();

 private:
  text::NumberFormat numbers_;
  std::string text_;
  mutable bool nonFinite_ = false;
};

// Peck drilling of one hole, after the rapid to the hole and the retract-height
// line. A pass depth at or above the depth, or at or below 0, drills in one plunge,
// followed by `specialOp` (empty when disabled).
struct PeckInputs {
  double depth;
  double pass;
  double retract;
  double feed;
};
void EmitPeck(ProgramWriter& w, const PeckInputs& in, std::string_view specialOp);
// Number of plunges the scheme makes, for the size limits (may be huge).
double PeckPlungeCount(double depth, double pass);

// Layered milling: the depths of the layers and the approach height above each.
// n = whole part of depth / stepdown layers at k * stepdown, then a final layer at
// the depth when more than 0.01 remains. When no full layer fits (the step-down
// exceeds the depth, or it is 0 or below) there is one layer at the depth: the
// cutter never goes deeper than asked.
struct Layer {
  double approach;  // retract - depth, the rapid height before the plunge
  double depth;
};
std::vector<Layer> MillLayers(double depth, double stepdown, double retract);
// Number of layers MillLayers would return, for the size limits (may be huge).
double MillLayerCount(double depth, double stepdown);

}  // namespace kelvora::generators
