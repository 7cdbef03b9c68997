// The web window's view of the widget models: a form as JSON for the page to
// draw (every control with its kind, bounds, text, state and, by kind, items,
// pages, grid rows and picture), and the page's events applied to the models as
// the operator's own actions, so key filters, handlers and grid rules run as in
// the native window.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "text/outcome.h"
#include "ui/form.h"
#include "ui/text_box.h"

namespace kelvora::web {

// The rows of a grid the state carries, from the line it is scrolled to; the
// page pages through the rest. Keeps a long list's state small.
inline constexpr std::size_t kGridRowsShown = 200;

// Pictures change rarely and may be large, so the state names them by a number
// that changes with the picture; the page fetches the SVG only then.
class PictureVersions {
 public:
  // Starts counting the changes of every picture box and panel of `form`.
  void Watch(ui::Form& form);
  std::uint64_t Version(const ui::Control& control) const;

 private:
  std::map<const ui::Control*, std::uint64_t> versions_;
};

// The form and every control below it (hidden ones too, marked so: a page
// shown later needs them).
nlohmann::json FormToJson(ui::Form& form, const PictureVersions& pictures);

// The picture a picture box or panel shows, as SVG; empty when it shows none.
std::string PictureSvg(const ui::Control& control);

// One event from the page, applied to `form`:
//   {"type":"key", "name", "char": code point, "selStart", "selLength"}
//   {"type":"paste", "name", "text", "selStart", "selLength"}
//   {"type":"click", "name"}            buttons, check boxes, labels with a click
//   {"type":"select", "name", "index"}  drop-down item, tab page
//   {"type":"cell", "name", "row", "column", "text"}   a cell edited
//   {"type":"cellclick", "name", "row", "column"}      a cell made current
//   {"type":"sort", "name", "column"}   the column header clicked
// A malformed event, or one naming no control of that kind, is refused with the
// reason and changes nothing.
Outcome<void> ApplyEvent(ui::Form& form, const nlohmann::json& event, ui::Clipboard& clipboard);

}  // namespace kelvora::web
