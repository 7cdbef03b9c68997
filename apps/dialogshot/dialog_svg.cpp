#include "dialog_svg.h"

#include <algorithm>
#include <string_view>

#include "geometry/svg.h"
#include "text/number_format.h"
#include "ui/data_grid.h"
#include "ui/text_box.h"
#include "ui/text_metrics.h"
#include "ui/widgets.h"

namespace kelvora::dialogshot {
namespace {

using ui::Bounds;
using ui::Control;
using ui::ControlKind;

constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr ui::Rgb kControlFace{240, 240, 240};
constexpr ui::Rgb kButtonFace{225, 225, 225};
constexpr ui::Rgb kFrame{122, 122, 122};
constexpr ui::Rgb kLightFrame{192, 192, 192};
constexpr ui::Rgb kWindow{255, 255, 255};
constexpr ui::Rgb kText{0, 0, 0};
constexpr ui::Rgb kGrayText{109, 109, 109};

std::string N(double v) {
  return text::FormatNumber(v, text::NumberFormat::kMax3);
}

void Rect(std::string& out, double x, double y, double w, double h, std::optional<ui::Rgb> fill,
          std::optional<ui::Rgb> stroke) {
  out += "<rect x=\"" + N(x) + "\" y=\"" + N(y) + "\" width=\"" + N(w) + "\" height=\"" + N(h) +
         "\" fill=\"" + (fill ? geometry::SvgColor(*fill) : "none") + "\"";
  if (stroke) out += " stroke=\"" + geometry::SvgColor(*stroke) + "\" stroke-width=\"1\"";
  out += "/>\n";
}

// Text whose layout box starts at (x, top).
void Text(std::string& out, std::string_view text, const ui::Font& font, ui::Rgb color, double x,
          double top, std::string_view anchor = "start") {
  const double px = font.points * kPixelsPerPoint;
  out += "<text x=\"" + N(x) + "\" y=\"" + N(top + px * 0.95) +
         "\" font-family=\"Microsoft Sans Serif, Arial, sans-serif\" font-size=\"" + N(px) + "\"";
  if (font.bold) out += " font-weight=\"bold\"";
  if (anchor != "start") out += " text-anchor=\"" + std::string(anchor) + "\"";
  out += " fill=\"" + geometry::SvgColor(color) + "\" xml:space=\"preserve\">" +
         geometry::SvgEscaped(text) + "</text>\n";
}

// A picture zoomed to fit the area, keeping its proportions.
void PictureIn(std::string& out, const geometry::Picture& picture, double w, double h) {
  std::string svg = geometry::PictureToSvg(picture);
  const std::size_t open = svg.find("<svg");
  const std::size_t bodyStart = svg.find('>', open) + 1;
  const std::size_t bodyEnd = svg.rfind("</svg>");
  out += "<svg x=\"0\" y=\"0\" width=\"" + N(w) + "\" height=\"" + N(h) + "\" viewBox=\"0 0 " +
         N(picture.width) + " " + N(picture.height) + "\" preserveAspectRatio=\"xMidYMid meet\">\n";
  out += svg.substr(bodyStart, bodyEnd - bodyStart);
  out += "</svg>\n";
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (true) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) return lines;
    text.remove_prefix(nl + 1);
  }
}

void DrawTabStrip(std::string& out, const ui::TabControl& tabs, double w, double h) {
  const ui::Font& font = tabs.GetFont();
  const bool bottom = tabs.Alignment() == ui::TabAlignment::kBottom;
  const double stripY = bottom ? h - ui::TabControl::kTabStripHeight : 0;
  const double bodyY = bottom ? 0 : ui::TabControl::kTabStripHeight - 2;
  Rect(out, 0.5, bodyY + 0.5, w - 1, h - ui::TabControl::kTabStripHeight + 1, kControlFace,
       kLightFrame);
  double x = 2;
  for (std::size_t i = 0; i < tabs.Pages().size(); ++i) {
    const ui::TabPage* page = tabs.Pages()[i];
    const bool selected = static_cast<int>(i) == tabs.SelectedIndex();
    const double tw = ui::EstimateTextWidth(page->Text(), font) + 14;
    const double ty = stripY + (selected ? 0 : (bottom ? 0 : 2));
    Rect(out, x + 0.5, ty + 0.5, tw, ui::TabControl::kTabStripHeight - 3,
         selected ? kControlFace : ui::Rgb{218, 218, 218}, kLightFrame);
    Text(out, page->Text(), font, kText, x + 7, ty + 4);
    x += tw;
  }
}

void DrawGrid(std::string& out, const ui::DataGrid& grid, double w, double h) {
  Rect(out, 0.5, 0.5, w - 1, h - 1, ui::Rgb{171, 171, 171}, kFrame);
  const ui::Font& font = grid.GetFont();
  constexpr double kRow = 22;
  double x0 = grid.RowHeadersVisible() ? 40 : 0;
  double x = x0;
  Rect(out, 0, 0, w, kRow, kControlFace, kLightFrame);
  for (const ui::GridColumn& c : grid.Columns()) {
    Rect(out, x + 0.5, 0.5, c.width, kRow, kControlFace, kLightFrame);
    Text(out, c.name, font, kText, x + 4, 3);
    x += c.width;
  }
  for (std::size_t line = 0; line < grid.LineCount(); ++line) {
    const double y = kRow * (line + 1);
    if (y > h) break;
    if (grid.RowHeadersVisible()) {
      Rect(out, 0.5, y + 0.5, x0, kRow, kControlFace, kLightFrame);
      Text(out, grid.RowHeader(line), font, kText, 4, y + 3);
    }
    x = x0;
    for (std::size_t c = 0; c < grid.Columns().size(); ++c) {
      const ui::GridColumn& col = grid.Columns()[c];
      Rect(out, x + 0.5, y + 0.5, col.width, kRow, kWindow, kLightFrame);
      Text(out, grid.Text(line, c), col.font.value_or(font), kText, x + 4, y + 3);
      if (col.dropDown) {
        // A drop-down cell's button.
        Rect(out, x + col.width - 16, y + 2, 15, kRow - 3, kButtonFace, std::nullopt);
        out += "<polygon points=\"" + N(x + col.width - 12) + "," + N(y + kRow / 2 - 2) + " " +
               N(x + col.width - 5) + "," + N(y + kRow / 2 - 2) + " " + N(x + col.width - 8.5) +
               "," + N(y + kRow / 2 + 2) + "\" fill=\"#000000\"/>\n";
      }
      x += col.width;
    }
  }
}

void Draw(std::string& out, const Control& c);

void DrawChildren(std::string& out, const Control& c) {
  const Bounds client = c.ClientArea();
  out += "<g transform=\"translate(" + N(client.x) + "," + N(client.y) + ")\">\n";
  for (const auto& child : c.Children()) Draw(out, *child);
  out += "</g>\n";
}

void Draw(std::string& out, const Control& c) {
  if (!c.Visible()) return;
  const Bounds b = c.GetBounds();
  const double w = b.width;
  const double h = b.height;
  const ui::Font& font = c.GetFont();
  const ui::Rgb fore = c.Enabled() ? c.ForeColor().value_or(kText) : kGrayText;
  out += "<svg x=\"" + N(b.x) + "\" y=\"" + N(b.y) + "\" width=\"" + N(w) + "\" height=\"" + N(h) +
         "\" overflow=\"hidden\"><!-- " + geometry::SvgEscaped(c.Name()) + " -->\n";
  switch (c.Kind()) {
    case ControlKind::kForm:
      Rect(out, 0, 0, w, h, c.BackColor().value_or(kControlFace), std::nullopt);
      break;
    case ControlKind::kLabel: {
      if (c.BackColor()) Rect(out, 0, 0, w, h, c.BackColor(), std::nullopt);
      const std::vector<std::string_view> lines = Lines(c.Text());
      const double lineHeight = ui::EstimateTextHeight(font);
      double top = std::max(0.0, (h - lineHeight * static_cast<double>(lines.size())) / 2);
      const bool centred = static_cast<const ui::Label&>(c).Centred();
      for (std::string_view line : lines) {
        Text(out, line, font, fore, centred ? w / 2 : 0, top, centred ? "middle" : "start");
        top += lineHeight;
      }
      break;
    }
    case ControlKind::kButton:
      Rect(out, 0.5, 0.5, w - 1, h - 1, c.BackColor().value_or(kButtonFace),
           ui::Rgb{173, 173, 173});
      Text(out, c.Text(), font, fore, w / 2, (h - ui::EstimateTextHeight(font)) / 2 + 1, "middle");
      break;
    case ControlKind::kCheckBox: {
      const double top = (h - 13) / 2;
      Rect(out, 0.5, top + 0.5, 13, 13, kWindow, ui::Rgb{51, 51, 51});
      if (static_cast<const ui::CheckBox&>(c).Checked()) {
        out += "<polyline points=\"3," + N(top + 7) + " 6," + N(top + 10) + " 11," + N(top + 3) +
               "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"2\"/>\n";
      }
      Text(out, c.Text(), font, fore, 18, (h - ui::EstimateTextHeight(font)) / 2);
      break;
    }
    case ControlKind::kComboBox:
      Rect(out, 0.5, 0.5, w - 1, h - 1, c.BackColor().value_or(kWindow), kFrame);
      Text(out, c.Text(), font, fore, 4, (h - ui::EstimateTextHeight(font)) / 2);
      Rect(out, w - 18, 1, 17, h - 2, kButtonFace, std::nullopt);
      out += "<polygon points=\"" + N(w - 13) + "," + N(h / 2 - 2) + " " + N(w - 5) + "," +
             N(h / 2 - 2) + " " + N(w - 9) + "," + N(h / 2 + 2) + "\" fill=\"#000000\"/>\n";
      break;
    case ControlKind::kGroupBox: {
      Rect(out, 0.5, 8.5, w - 1, h - 9, std::nullopt, kLightFrame);
      const double tw = ui::EstimateTextWidth(c.Text(), font);
      Rect(out, 6, 0, tw + 4, 18, kControlFace, std::nullopt);
      Text(out, c.Text(), font, fore, 8, 1);
      break;
    }
    case ControlKind::kPictureBox: {
      const auto& box = static_cast<const ui::PictureBox&>(c);
      Rect(out, 0, 0, w, h, kWindow, std::nullopt);
      if (const geometry::Picture* p = box.Shown()) PictureIn(out, *p, w, h);
      Rect(out, 0.5, 0.5, w - 1, h - 1, std::nullopt, box.Border() ? kFrame : kLightFrame);
      break;
    }
    case ControlKind::kPanel:
      PictureIn(out, static_cast<const ui::Panel&>(c).Paint(), w, h);
      break;
    case ControlKind::kTabControl:
      DrawTabStrip(out, static_cast<const ui::TabControl&>(c), w, h);
      break;
    case ControlKind::kTabPage:
      Rect(out, 0, 0, w, h, c.BackColor().value_or(kControlFace), std::nullopt);
      break;
    case ControlKind::kTextBox: {
      const auto& box = static_cast<const ui::TextBox&>(c);
      const bool grey = box.ReadOnly() || !box.Enabled();
      Rect(out, 0.5, 0.5, w - 1, h - 1, grey ? kControlFace : kWindow, kFrame);
      const double lineHeight = font.points * kPixelsPerPoint * 1.15;
      if (box.Multiline()) {
        double y = 3;
        for (std::string_view line : Lines(box.Text())) {
          if (y > h) break;
          Text(out, line, font, fore, 3, y);
          y += lineHeight;
        }
        // Both scroll bars.
        Rect(out, w - 17, 1, 16, h - 2, kControlFace, std::nullopt);
        Rect(out, 1, h - 17, w - 2, 16, kControlFace, std::nullopt);
      } else {
        Text(out, box.Text(), font, fore, 3, (h - ui::EstimateTextHeight(font)) / 2);
      }
      break;
    }
    case ControlKind::kDataGrid:
      DrawGrid(out, static_cast<const ui::DataGrid&>(c), w, h);
      break;
  }
  DrawChildren(out, c);
  out += "</svg>\n";
}

}  // namespace

std::string FormToSvg(const ui::Form& form) {
  const Bounds b = form.GetBounds();
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(b.width) + "\" height=\"" +
         N(b.height) + "\" viewBox=\"0 0 " + N(b.width) + " " + N(b.height) + "\">\n";
  out += "<title>" + geometry::SvgEscaped(form.Title()) + "</title>\n";
  Draw(out, form);
  out += "</svg>\n";
  return out;
}

}  // namespace kelvora::dialogshot
