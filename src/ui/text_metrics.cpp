#include "ui/text_metrics.h"

#include <cmath>
#include <string>

#include "text/utf8.h"

namespace kelvora::ui {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

bool IsThaiMark(char32_t c) {
  return c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
}

double Share(char32_t c) {
  if (c >= 0x0300 && c <= 0x036F) return 0.0;  // a combining mark over the letter before it
  if (c >= 0x80) return IsThaiMark(c) ? 0.0 : 0.62;
  static const std::u32string_view kNarrow = U"ijlI!|.,:;' ";
  static const std::u32string_view kSlim = U"ftr()-/";
  static const std::u32string_view kWide = U"mwMW@%";
  if (kNarrow.find(c) != std::u32string_view::npos) return 0.28;
  if (kSlim.find(c) != std::u32string_view::npos) return 0.36;
  if (kWide.find(c) != std::u32string_view::npos) return 0.85;
  if (c >= 'A' && c <= 'Z') return 0.68;
  return 0.56;
}

}  // namespace

int EstimateTextWidth(std::string_view utf8, const Font& font) {
  const double px = font.points * kPixelsPerPoint;
  double ems = 0.0;
  for (char32_t c : text::DecodeUtf8Lenient(utf8)) {
    const double share = Share(c);
    ems += share;
    if (font.bold && share > 0.0) ems += 0.06;
  }
  return static_cast<int>(std::ceil(ems * px));
}

int EstimateTextHeight(const Font& font) {
  return static_cast<int>(std::ceil(font.points * kPixelsPerPoint * 1.25));
}

int CaptionRoom(const Control& control) {
  const int w = control.GetBounds().width;
  switch (control.Kind()) {
    case ControlKind::kLabel:
      return w;
    case ControlKind::kButton:
      return w - 8;
    case ControlKind::kCheckBox:
      return w - 18;
    case ControlKind::kGroupBox:
      return w - 16;
    default:
      return -1;
  }
}

bool CaptionFits(const Control& control) {
  const int room = CaptionRoom(control);
  if (room < 0 || control.Text().empty()) return true;
  // Several lines: each must fit.
  std::string_view text = control.Text();
  while (true) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (EstimateTextWidth(line, control.GetFont()) > room) return false;
    if (nl == std::string_view::npos) return true;
    text.remove_prefix(nl + 1);
  }
}

}  // namespace kelvora::ui
