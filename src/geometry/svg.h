// Writes a Picture as an SVG document, the portable way to look at a preview.
#pragma once

#include <string>
#include <string_view>

#include "geometry/picture.h"

namespace kelvora::geometry {

// A standalone SVG document of the picture's size: the background, then every
// primitive in order with its pen (or font and brush). Arcs keep their start and
// sweep; text is placed by the top of its layout box, as the screen draws it.
std::string PictureToSvg(const Picture& picture);

// A colour as SVG writes it ("#rrggbb"), and text with the markup characters
// escaped, for other SVG writers.
std::string SvgColor(Rgb color);
std::string SvgEscaped(std::string_view text);

}  // namespace kelvora::geometry
