#include "geometry/svg.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string_view>

#include "text/number_format.h"

namespace kelvora::geometry {
namespace {

// Typographic points to pixels at the screen's 96 pixels per inch.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
// Arial's ascent, as a share of the font size: the baseline lies this far below
// the top of the text's layout box.
constexpr double kAscent = 0.905;
// The screen's text layout leaves about a sixth of the font size before the first
// glyph.
constexpr double kLeadingPad = 1.0 / 6.0;

std::string Num(double v) {
  return text::FormatNumber(v, text::NumberFormat::kMax3);
}

}  // namespace

std::string SvgColor(Rgb c) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string out = "#";
  for (std::uint8_t v : {c.r, c.g, c.b}) {
    out += kDigits[v >> 4];
    out += kDigits[v & 0xf];
  }
  return out;
}

namespace {

std::string Stroke(const Pen& pen) {
  return " fill=\"none\" stroke=\"" + SvgColor(pen.color) + "\" stroke-width=\"" + Num(pen.width) +
         "\"";
}

void Write(std::string& out, const LinePrim& l) {
  out += "<line x1=\"" + Num(l.x1) + "\" y1=\"" + Num(l.y1) + "\" x2=\"" + Num(l.x2) + "\" y2=\"" +
         Num(l.y2) + "\"" + Stroke(l.pen) + "/>\n";
}

void WriteEllipse(std::string& out, const Pen& pen, int x, int y, int w, int h) {
  if (w < 0 || h < 0) return;
  out += "<ellipse cx=\"" + Num(x + w / 2.0) + "\" cy=\"" + Num(y + h / 2.0) + "\" rx=\"" +
         Num(w / 2.0) + "\" ry=\"" + Num(h / 2.0) + "\"" + Stroke(pen) + "/>\n";
}

void Write(std::string& out, const EllipsePrim& e) {
  WriteEllipse(out, e.pen, e.x, e.y, e.width, e.height);
}

void Write(std::string& out, const ArcPrim& a) {
  if (a.width < 0 || a.height < 0 || a.sweepAngle == 0) return;
  if (std::fabs(a.sweepAngle) >= 360.0) {
    WriteEllipse(out, a.pen, a.x, a.y, a.width, a.height);
    return;
  }
  const double rx = a.width / 2.0;
  const double ry = a.height / 2.0;
  const double cx = a.x + rx;
  const double cy = a.y + ry;
  const double toRad = std::numbers::pi / 180.0;
  const double t0 = a.startAngle * toRad;
  const double t1 = (a.startAngle + a.sweepAngle) * toRad;
  // Angles grow clockwise on the screen, which is SVG's positive sweep direction.
  const bool large = std::fabs(a.sweepAngle) > 180.0;
  const bool positive = a.sweepAngle > 0;
  out += "<path d=\"M" + Num(cx + rx * std::cos(t0)) + " " + Num(cy + ry * std::sin(t0)) + " A" +
         Num(rx) + " " + Num(ry) + " 0 " + (large ? "1" : "0") + " " + (positive ? "1" : "0") +
         " " + Num(cx + rx * std::cos(t1)) + " " + Num(cy + ry * std::sin(t1)) + "\"" +
         Stroke(a.pen) + "/>\n";
}

void Write(std::string& out, const RectPrim& r) {
  if (r.width < 0 || r.height < 0) return;
  out += "<rect x=\"" + Num(r.x) + "\" y=\"" + Num(r.y) + "\" width=\"" + Num(r.width) +
         "\" height=\"" + Num(r.height) + "\"" + Stroke(r.pen) + "/>\n";
}

void Write(std::string& out, const TextPrim& t) {
  const double size = t.font.points * kPixelsPerPoint;
  out += "<text x=\"" + Num(t.x + size * kLeadingPad) + "\" y=\"" + Num(t.y + size * kAscent) +
         "\" font-family=\"" + SvgEscaped(t.font.family) + "\" font-size=\"" + Num(size) + "\"" +
         (t.font.bold ? " font-weight=\"bold\"" : "") + " fill=\"" + SvgColor(t.brush) +
         "\" xml:space=\"preserve\" style=\"white-space:pre\">" + SvgEscaped(t.text) + "</text>\n";
}

}  // namespace

std::string SvgEscaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string PictureToSvg(const Picture& picture) {
  const std::string w = Num(picture.width);
  const std::string h = Num(picture.height);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
  out += "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"" +
         SvgColor(picture.background) + "\"/>\n";
  for (const Primitive& item : picture.items) {
    std::visit([&out](const auto& prim) { Write(out, prim); }, item);
  }
  out += "</svg>\n";
  return out;
}

}  // namespace kelvora::geometry
