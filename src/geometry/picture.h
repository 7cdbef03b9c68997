// A picture as a display list: the size, a white background and ordered drawing
// primitives in whole pixels (screen coordinates, Y pointing down). The preview
// renderers produce pictures; back-ends (SVG here, GDI+ on Windows) draw them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kelvora::geometry {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kGray{128, 128, 128};
inline constexpr Rgb kDarkGreen{0, 100, 0};
inline constexpr Rgb kDeepPink{255, 20, 147};

// A pen: colour, width and whether it draws dashes (a rapid move in a path
// picture). The flag sits in the byte after the colour, so a pen stays eight
// bytes.
struct Pen {
  constexpr Pen() = default;
  constexpr Pen(Rgb c, double w, bool d = false)
      : color(c), dashed(d), width(static_cast<float>(w)) {}

  Rgb color;
  bool dashed = false;
  float width = 1.0f;  // pixels
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Font {
  std::string family;
  double points = 8.0;  // size in typographic points (1/72 inch)
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

struct LinePrim {
  Pen pen;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// An ellipse inscribed in the rectangle at (x, y) of width x height (a circle when
// the rectangle is a square).
struct EllipsePrim {
  Pen pen;
  int x = 0, y = 0, width = 0, height = 0;
};

// Part of the ellipse inscribed in the rectangle, from `startAngle` through
// `sweepAngle` degrees, both measured clockwise on the screen from the +X direction.
struct ArcPrim {
  Pen pen;
  int x = 0, y = 0, width = 0, height = 0;
  double startAngle = 0.0;
  double sweepAngle = 0.0;
};

// A rectangle outline. A negative width or height draws nothing. A filled
// rectangle is painted in the pen's colour instead, exactly the pixels x to
// x + width - 1 of the rows y to y + height - 1 (the pen's width unused).
struct RectPrim {
  Pen pen;
  int x = 0, y = 0, width = 0, height = 0;
  bool filled = false;
};

// What a text shows, in which font and colour. Text primitives share it, so a
// primitive holds no string of its own.
struct TextLabel {
  std::string text;  // UTF-8
  Font font;
  Rgb brush;
};

// Text whose layout box has its top-left corner at (x, y); positions may fall
// between pixels, as the label positions do.
struct TextPrim {
  TextPrim() = default;
  // A label of its own.
  TextPrim(std::string text, Font font, Rgb brush, double left, double top);
  // A label shared with other texts.
  TextPrim(std::shared_ptr<const TextLabel> shared, double left, double top)
      : label(std::move(shared)), x(left), y(top) {}

  const std::string& Text() const;
  const Font& TextFont() const;
  Rgb Brush() const;

  std::shared_ptr<const TextLabel> label;  // never null once constructed with one
  double x = 0.0;
  double y = 0.0;
};

using Primitive = std::variant<LinePrim, EllipsePrim, ArcPrim, RectPrim, TextPrim>;

// A picture of a million holes holds a million primitives, so each is kept
// small: whole pixels, a pen of eight bytes, no string of its own (48 bytes).
struct Picture {
  int width = 0;
  int height = 0;
  Rgb background = kWhite;
  std::vector<Primitive> items;  // drawn in order, later ones on top
};

// Converts a screen coordinate to whole pixels, by truncation toward zero or by
// rounding down. Coordinates far outside any picture are clamped so the
// conversion stays defined (a cut that runs millions of pixels off the box still
// runs off it); a coordinate that is not a number becomes 0.
int TruncPixel(double v);
int FloorPixel(double v);
int RoundPixel(double v);
// The same clamping for a position kept with its fraction (a text's place).
double PlacePixel(double v);

}  // namespace kelvora::geometry
