#include "generators/thread.h"

#include <algorithm>
#include <cmath>

#include "generators/limits.h"
#include "generators/program_writer.h"

namespace kelvora::generators {
namespace {

// Standard thread depth as a share of the pitch.
constexpr double kStandardDepth = 0.613;
// The infeed axis waits this far outside the major diameter.
constexpr double kClearance = 2.0;
// Each pass starts this far before the workpiece on the axis along it.
constexpr double kLeadIn = 2.0;

// Margins of the thread picture: the scale leaves this much on each side; the
// drawing starts at kPictureLeft.
constexpr double kPictureMargin = 120.0;
constexpr double kPictureLeft = 40.0;

}  // namespace

double ThreadDepth(const ThreadInputs& in) {
  return in.autoDepth ? kStandardDepth * in.pitch : in.pitDepth;
}

Outcome<std::string> ThreadGcodeGen(const ThreadInputs& in) {
  const double h = ThreadDepth(in);
  const int n = in.passes;
  const double travel = in.length + in.pitch * 0.5;
  // A turns once per pitch over the whole move, lead-in included, so the helix
  // has the pitch the operator asked for.
  double turn = 360.0 / in.pitch * (travel + kLeadIn);
  if (in.leftHand) turn = -turn;
  const double xs = in.majorDia + kClearance;
  const double perPass = n > 0 ? h / n : 0.0;

  // Refuse anything the program would have to write as "Infinity" or "NaN".
  if (in.pitch == 0 || !std::isfinite(turn)) return Failure{std::string(kParametersError), "Pitch"};
  if (!std::isfinite(travel)) return Failure{std::string(kParametersError), "Length"};
  if (!std::isfinite(perPass) || !std::isfinite(h)) {
    return Failure{std::string(kParametersError), std::string(kThreadPitDepth)};
  }
  if (!std::isfinite(xs) || !std::isfinite(in.majorDia - perPass * n)) {
    return Failure{std::string(kParametersError), std::string(kThreadMajorDia)};
  }
  if (auto f = CheckLimit(LimitId::kThreadPassCount, n)) return *f;
  // Every pass cuts along the workpiece at the feed.
  if (n > 0) {
    if (auto f = RefuseFeed(in.feed, kThreadFeed, text::NumberFormat::kF1)) return *f;
  }

  ProgramWriter w(text::NumberFormat::kF3);
  const std::string& xa = in.xAxis;
  const std::string& za = in.zAxis;
  const std::string xsText = w.Num(xs);
  const std::string travelWord = ProgramWriter::DepthWord(w.Num(travel));
  const std::string turnText = w.Num(turn);
  const std::string feedText = ProgramWriter::Num(in.feed, text::NumberFormat::kF1);

  w.Line({"%"});
  w.Line({"(Thread Generation)"});
  w.Line({"G90 G21"});
  w.Line({});
  w.Line({"M3S", in.spin});
  w.Line({"G0", xa, xsText, za, "2 A0"});
  for (int i = 1; i <= n; ++i) {
    w.Line({});
    w.Line({"(Pass ", std::to_string(i), ")"});
    w.Line({"G1 ", xa, w.Num(in.majorDia - perPass * i), " F200"});
    w.Line({"G1 ", za, travelWord, " A", turnText, " F", feedText});
    w.Line({"G0 ", xa, xsText});
    w.Line({"G0 A0", za, "2"});
  }
  w.Line({"M5"});
  w.Line({"M30"});
  w.Line({"%"});
  return w.Finish();
}

ThreadPreview ThreadPreviewOf(const ThreadInputs& in) {
  return {in.pitch, in.length, in.majorDia, ThreadDepth(in)};
}

geometry::Picture ThreadPreviewPicture(const ThreadPreview& pv, int width, int height) {
  using geometry::LinePrim;
  using geometry::Pen;
  using geometry::RoundPixel;
  using geometry::TruncPixel;

  geometry::Picture pic;
  pic.width = width;
  pic.height = height;
  if (!(pv.pitch > 0) || !(pv.length > 0)) return pic;

  // Fit the length across and the major diameter up and down, within the margins.
  double k = (width - 2 * kPictureMargin) / pv.length;
  if (pv.majorDia != 0) k = std::min(k, (height - 2 * kPictureMargin) / pv.majorDia);
  // A panel too small for the margins has nothing to draw in.
  if (!(k > 0) || !std::isfinite(k)) return pic;

  const double d1 = pv.majorDia * k;
  const double d2 = (pv.majorDia - 2 * pv.depth) * k;
  const double lp = pv.length * k;
  const int yc = height / 2;
  const double x0 = kPictureLeft;
  const double crest = yc - d1 / 2;
  const double root = yc - d2 / 2;

  pic.items.push_back(geometry::RectPrim{Pen{geometry::kBlue, 2.0}, TruncPixel(x0),
                                         TruncPixel(crest), TruncPixel(lp), TruncPixel(d1)});
  pic.items.push_back(geometry::RectPrim{Pen{geometry::kGray, 1.0}, TruncPixel(x0),
                                         TruncPixel(root), TruncPixel(lp), TruncPixel(d2)});

  // The tooth profile: down to the root and back up to the crest once per pitch,
  // the last tooth cut off at the end of the thread so that no tooth is drawn past
  // it. Teeth under a pixel wide cannot be told apart and are not drawn, which also
  // keeps their number within the panel's width.
  const double pp = pv.pitch * k;
  if (pp >= 1.0) {
    const Pen toothPen{geometry::kDarkGreen, 1.5};
    const int crestY = RoundPixel(crest);
    const int rootY = RoundPixel(root);
    const double end = x0 + lp;
    for (long long i = 0;; ++i) {
      const double t = static_cast<double>(i) * pp;
      if (!(t <= lp)) break;
      const int xa = RoundPixel(x0 + t);
      const int xm = RoundPixel(std::min(x0 + t + pp / 2, end));
      const int xb = RoundPixel(std::min(x0 + t + pp, end));
      pic.items.push_back(LinePrim{toothPen, xa, crestY, xm, rootY});
      pic.items.push_back(LinePrim{toothPen, xm, rootY, xb, crestY});
    }
  }

  const geometry::Font font{"Arial", 9.0, false};
  auto f2 = [](double v) { return text::FormatNumber(v, text::NumberFormat::kF2); };
  pic.items.push_back(geometry::TextPrim{"Pitch: " + f2(pv.pitch) + " mm", font, geometry::kBlack,
                                         x0, yc + d1 / 2 + 20});
  pic.items.push_back(geometry::TextPrim{"Length: " + f2(pv.length) + " mm", font, geometry::kBlack,
                                         x0, yc - d1 / 2 - 25});
  pic.items.push_back(geometry::TextPrim{"Major \xC3\x98: " + f2(pv.majorDia), font,
                                         geometry::kBlack, x0 + lp + 10, yc - 10.0});
  return pic;
}

}  // namespace kelvora::generators
