#include "geometry/svg.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <optional>
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
// A little more than the size of one shape's element, to size the document up
// front: arcs have the longest, with their end points between pixels.
struct ItemBytes {
  std::size_t operator()(const LinePrim&) const { return 96; }
  std::size_t operator()(const EllipsePrim&) const { return 100; }
  std::size_t operator()(const ArcPrim&) const { return 132; }
  std::size_t operator()(const RectPrim&) const { return 100; }
  std::size_t operator()(const TextPrim& t) const { return 256 + 2 * t.Text().size(); }
};

// The document being written. Numbers are written as "0.###" writes them; whole
// and half pixels, which almost every shape has, are written directly.
class SvgText {
 public:
  explicit SvgText(std::size_t bytes) { out_.reserve(bytes); }

  SvgText& operator<<(std::string_view s) {
    out_ += s;
    return *this;
  }
  SvgText& operator<<(char c) {
    out_ += c;
    return *this;
  }
  SvgText& operator<<(int v) {
    char buf[16];
    out_.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    return *this;
  }
  // A number of half pixels: n / 2.
  void Half(long long n) {
    if (n < 0) out_ += '-';
    const unsigned long long a = static_cast<unsigned long long>(std::llabs(n));
    char buf[24];
    out_.append(buf, std::to_chars(buf, buf + sizeof buf, a / 2).ptr);
    if (a % 2 != 0) out_ += ".5";
  }
  SvgText& operator<<(double v) {
    text::AppendNumber(out_, v, text::NumberFormat::kMax3);
    return *this;
  }
  void Hex(Rgb c) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    out_ += '#';
    for (std::uint8_t v : {c.r, c.g, c.b}) {
      out_ += kDigits[v >> 4];
      out_ += kDigits[v & 0xf];
    }
  }
  void Escaped(std::string_view s) {
    for (char c : s) {
      switch (c) {
        case '&':
          out_ += "&amp;";
          break;
        case '<':
          out_ += "&lt;";
          break;
        case '>':
          out_ += "&gt;";
          break;
        case '"':
          out_ += "&quot;";
          break;
        default:
          out_ += c;
      }
    }
  }
  // The stroke attributes of a pen; a run of shapes drawn with one pen shares
  // one text of them.
  void Stroke(const Pen& pen) {
    if (!(strokePen_ && *strokePen_ == pen)) {
      SvgText s(0);
      s << " fill=\"none\" stroke=\"";
      s.Hex(pen.color);
      s << "\" stroke-width=\"" << static_cast<double>(pen.width) << "\"";
      // Dashes of 4 and gaps of 3 pen widths, as the screen's dashed pen draws them.
      if (pen.dashed) {
        const double w = static_cast<double>(pen.width);
        s << " stroke-dasharray=\"" << 4 * w << ' ' << 3 * w << "\"";
      }
      stroke_ = std::move(s.out_);
      strokePen_ = pen;
    }
    out_ += stroke_;
  }

  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
  std::string stroke_;
  std::optional<Pen> strokePen_;
};

void Write(SvgText& out, const LinePrim& l) {
  out << "<line x1=\"" << l.x1 << "\" y1=\"" << l.y1 << "\" x2=\"" << l.x2 << "\" y2=\"" << l.y2
      << "\"";
  out.Stroke(l.pen);
  out << "/>\n";
}

void WriteEllipse(SvgText& out, const Pen& pen, int x, int y, int w, int h) {
  if (w < 0 || h < 0) return;
  // Centre and radii in half pixels: x + w / 2 is (2x + w) / 2.
  out << "<ellipse cx=\"";
  out.Half(2LL * x + w);
  out << "\" cy=\"";
  out.Half(2LL * y + h);
  out << "\" rx=\"";
  out.Half(w);
  out << "\" ry=\"";
  out.Half(h);
  out << "\"";
  out.Stroke(pen);
  out << "/>\n";
}

void Write(SvgText& out, const EllipsePrim& e) {
  WriteEllipse(out, e.pen, e.x, e.y, e.width, e.height);
}

void Write(SvgText& out, const ArcPrim& a) {
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
  out << "<path d=\"M" << cx + rx * std::cos(t0) << ' ' << cy + ry * std::sin(t0) << " A" << rx
      << ' ' << ry << " 0 " << (large ? '1' : '0') << ' ' << (positive ? '1' : '0') << ' '
      << cx + rx * std::cos(t1) << ' ' << cy + ry * std::sin(t1) << "\"";
  out.Stroke(a.pen);
  out << "/>\n";
}

void Write(SvgText& out, const RectPrim& r) {
  if (r.width < 0 || r.height < 0) return;
  out << "<rect x=\"" << r.x << "\" y=\"" << r.y << "\" width=\"" << r.width << "\" height=\""
      << r.height << "\"";
  if (r.filled) {
    out << " fill=\"";
    out.Hex(r.pen.color);
    out << "\"/>\n";
    return;
  }
  out.Stroke(r.pen);
  out << "/>\n";
}

void Write(SvgText& out, const TextPrim& t) {
  const Font& font = t.TextFont();
  const double size = font.points * kPixelsPerPoint;
  out << "<text x=\"" << t.x + size * kLeadingPad << "\" y=\"" << t.y + size * kAscent
      << "\" font-family=\"";
  out.Escaped(font.family);
  out << "\" font-size=\"" << size << "\"" << (font.bold ? " font-weight=\"bold\"" : "")
      << " fill=\"";
  out.Hex(t.Brush());
  out << "\" xml:space=\"preserve\" style=\"white-space:pre\">";
  out.Escaped(t.Text());
  out << "</text>\n";
}

}  // namespace

std::string SvgColor(Rgb color) {
  SvgText out(0);
  out.Hex(color);
  return out.Take();
}

std::string SvgEscaped(std::string_view text) {
  SvgText out(0);
  out.Escaped(text);
  return out.Take();
}

std::string PictureToSvg(const Picture& picture) {
  std::size_t bytes = 512;
  for (const Primitive& item : picture.items) bytes += std::visit(ItemBytes{}, item);
  SvgText out(bytes);
  const int w = picture.width;
  const int h = picture.height;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h
      << "\" viewBox=\"0 0 " << w << ' ' << h << "\">\n";
  out << "<rect x=\"0\" y=\"0\" width=\"" << w << "\" height=\"" << h << "\" fill=\"";
  out.Hex(picture.background);
  out << "\"/>\n";
  for (const Primitive& item : picture.items) {
    std::visit([&out](const auto& prim) { Write(out, prim); }, item);
  }
  out << "</svg>\n";
  return out.Take();
}

}  // namespace kelvora::geometry
