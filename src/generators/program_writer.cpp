#include "generators/program_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

#include "generators/limits.h"

namespace kelvora::generators {

void Word::AppendTo(std::string& out) const {
  if (!isNumber_) {
    out += text_;
    return;
  }
  char buf[text::kShortNumberChars];
  std::string general;
  std::string_view formatted;
  if (const std::size_t n = text::FormatNumberShort(number_.value, number_.format, buf); n != 0) {
    formatted = std::string_view(buf, n);
  } else {
    general = text::detail::FormatNumberGeneral(number_.value, number_.format);
    formatted = general;
  }
  if (number_.depth) {
    if (formatted.front() == '-') {
      formatted.remove_prefix(1);
    } else {
      out += '-';
    }
  }
  out += formatted;
}

bool Word::WriteTo(char* line, std::size_t& n, std::size_t room) const {
  if (!isNumber_) {
    if (text_.size() > room - n) return false;
    std::memcpy(line + n, text_.data(), text_.size());
    n += text_.size();
    return true;
  }
  // The depth sign and the number.
  if (room - n < text::kShortNumberChars + 1) return false;
  char* p = line + n;
  const std::size_t length = text::FormatNumberShort(number_.value, number_.format, p + 1);
  if (length == 0) return false;
  if (!number_.depth) {
    std::memmove(p, p + 1, length);
    n += length;
  } else if (p[1] == '-') {
    std::memmove(p, p + 2, length - 1);
    n += length - 1;
  } else {
    *p = '-';
    n += length + 1;
  }
  return true;
}

void ProgramWriter::Line(std::initializer_list<Word> words) {
  // The line is put together on the stack and appended once; a word too long
  // for that goes straight into the program.
  constexpr std::size_t kRoom = 256;
  char line[kRoom];
  std::size_t n = 0;
  for (const Word& w : words) {
    if (w.WriteTo(line, n, kRoom - kLineEnd.size())) continue;
    text_.append(line, n);
    n = 0;
    w.AppendTo(text_);
  }
  std::memcpy(line + n, kLineEnd.data(), kLineEnd.size());
  text_.append(line, n + kLineEnd.size());
}

void ProgramWriter::UserBlock(std::string_view block) {
  if (block.empty()) return;
  text_ += block;
  if (block.back() != '\n') text_ += kLineEnd;
}

namespace {

// The step between two numbers a pattern writes: 0.001 for "0.###".
double StepOf(text::NumberFormat format) {
  switch (format) {
    case text::NumberFormat::kMax3:
    case text::NumberFormat::kFixed3:
    case text::NumberFormat::kF3:
      return 0.001;
    case text::NumberFormat::kMax2:
    case text::NumberFormat::kF2:
      return 0.01;
    case text::NumberFormat::kFixed1:
    case text::NumberFormat::kMax1:
    case text::NumberFormat::kF1:
      return 0.1;
    case text::NumberFormat::kWhole:
      return 1.0;
  }
  return 0.001;
}

}  // namespace

ArcCentreWords ProgramWriter::ArcCentre(double x0, double y0, double x1, double y1, double cx,
                                        double cy, bool ccw) const {
  NoteFinite(cx);
  NoteFinite(cy);
  // What the control reads: every number as the program writes it (read back
  // without the locale, whose decimal separator may not be ".").
  const auto written = [this](double value) {
    const std::string number = text::FormatNumber(value, numbers_);
    double read = value;
    std::from_chars(number.data(), number.data() + number.size(), read);
    return read;
  };
  const double step = StepOf(numbers_);
  const double sx = written(x0);
  const double sy = written(y0);
  const double ex = written(x1);
  const double ey = written(y1);
  const double trueI = cx - x0;
  const double trueJ = cy - y0;
  const auto apart = [&](double i, double j) {
    return std::fabs(std::hypot(ex - sx - i, ey - sy - j) - std::hypot(i, j));
  };
  double bestI = written(trueI);
  double bestJ = written(trueJ);
  double bestApart = apart(bestI, bestJ);
  if (bestApart > step / 2 && std::isfinite(bestApart)) {
    const double roundedI = bestI;
    const double roundedJ = bestJ;
    for (int di = -1; di <= 1; ++di) {
      for (int dj = -1; dj <= 1; ++dj) {
        const double i = written(roundedI + di * step);
        const double j = written(roundedJ + dj * step);
        // Within one step of the true centre (and its rounding's own slack).
        if (std::fabs(i - trueI) > step * 1.000001 || std::fabs(j - trueJ) > step * 1.000001) {
          continue;
        }
        const double a = apart(i, j);
        if (a < bestApart) {
          bestApart = a;
          bestI = i;
          bestJ = j;
        }
      }
    }
  }
  ArcCentreWords words;
  // A radius that rounds below one step, or a written one below it, is no arc.
  words.arc = !(sx == ex && sy == ey) && std::hypot(trueI, trueJ) >= step / 2 &&
              std::hypot(bestI, bestJ) >= step * 0.999999;
  if (words.arc && bestApart > step / 2) {
    // No centre near enough brings the ends onto one circle (a short piece of
    // a large arc): when the arc bows less than half a step from its chord, the
    // line to its end is the same path as the program can write it.
    const double radius = std::hypot(trueI, trueJ);
    double sweep = std::atan2(y1 - cy, x1 - cx) - std::atan2(y0 - cy, x0 - cx);
    if (ccw && sweep < 0) sweep += 2 * std::numbers::pi;
    if (!ccw && sweep > 0) sweep -= 2 * std::numbers::pi;
    const double half = std::fabs(sweep) / 2;
    if (half <= std::numbers::pi / 2 && radius * (1 - std::cos(half)) <= step / 2) {
      words.arc = false;
    }
  }
  words.i = {bestI, numbers_, false};
  words.j = {bestJ, numbers_, false};
  return words;
}

Outcome<std::string> ProgramWriter::Finish() {
  if (nonFinite_) return Failure{std::string(kCoordinateTooLarge), ""};
  return Take();
}

std::string ProgramWriter::DepthWord(std::string_view formatted) {
  if (!formatted.empty() && formatted.front() == '-') return std::string(formatted.substr(1));
  std::string word = "-";
  word += formatted;
  return word;
}

namespace {
// The smallest remainder worth a last plunge.
constexpr double kPeckMinRemainder = 0.1;
constexpr double kMillMinRemainder = 0.01;
}  // namespace

double PeckPlungeCount(double depth, double pass) {
  if (!(pass > 0) || !(pass < depth)) return 1;
  return std::floor(depth / pass) + 1;
}

double PeckBottom(double depth, double pass) {
  if (!(pass > 0) || !(pass < depth)) return depth;
  const double bottom = std::floor(depth / pass) * pass;
  return depth - bottom > kPeckMinRemainder ? depth : bottom;
}

void EmitPeck(ProgramWriter& w, const PeckInputs& in, std::string_view specialOp,
              std::string_view dwell) {
  const std::string feed = w.Num(in.feed);
  const std::string retract = w.Num(in.retract);
  if (in.pass > 0 && in.pass < in.depth) {
    const auto n = static_cast<long long>(std::floor(in.depth / in.pass));
    for (long long k = 1; k <= n; ++k) {
      const double bottom = static_cast<double>(k) * in.pass;
      const bool remainder = k == n && in.depth - bottom > kPeckMinRemainder;
      w.Line({"G1Z", w.Depth(bottom), "F", feed});
      // The last full pass is the deepest when too little remains below it.
      if (k == n && !remainder) w.UserBlock(dwell);
      w.Line({"G0Z", retract});
      if (k != n) {
        w.Line({"G0Z", w.Depth(bottom - kPeckClearance)});
      } else if (remainder) {
        w.Line({"G0Z", w.Depth(bottom - kPeckClearance)});
        w.Line({"G1Z", w.Depth(in.depth), "F", feed});
        w.UserBlock(dwell);
      }
    }
    return;
  }
  w.Line({"G1Z", w.Depth(in.depth), "F", feed});
  w.UserBlock(dwell);
  w.UserBlock(specialOp);
}

double MillLayerCount(double depth, double stepdown) {
  if (!(stepdown > 0)) return 1;
  const double n = std::floor(depth / stepdown);
  if (!(n >= 1)) return 1;
  return depth - n * stepdown > kMillMinRemainder ? n + 1 : n;
}

double MillBottom(double depth, double stepdown) {
  const double n = stepdown > 0 ? std::floor(depth / stepdown) : 0;
  if (!(n >= 1)) return depth;
  return depth - n * stepdown > kMillMinRemainder ? depth : n * stepdown;
}

double ApproachHeight(double retract, double depth, double floorDepth) {
  // Layer depths are multiples of the step-down: a retract height equal to the
  // step-down stops at the floor itself, not a rounding error below it.
  constexpr double kAtTheFloor = 1e-9;
  const double above = retract - depth;
  return above < -floorDepth - kAtTheFloor ? retract - floorDepth : above;
}

std::vector<Layer> MillLayers(double depth, double stepdown, double retract) {
  std::vector<Layer> layers;
  const double n = stepdown > 0 ? std::floor(depth / stepdown) : 0;
  if (!(n >= 1)) {
    layers.push_back({ApproachHeight(retract, depth, 0), depth, 0});
    return layers;
  }
  const auto count = static_cast<long long>(n);
  layers.reserve(static_cast<std::size_t>(count) + 1);
  double cut = 0;
  for (long long k = 1; k <= count; ++k) {
    const double d = static_cast<double>(k) * stepdown;
    layers.push_back({ApproachHeight(retract, d, cut), d, cut});
    cut = d;
  }
  if (depth - n * stepdown > kMillMinRemainder) {
    layers.push_back({ApproachHeight(retract, depth, cut), depth, cut});
  }
  return layers;
}

}  // namespace kelvora::generators
