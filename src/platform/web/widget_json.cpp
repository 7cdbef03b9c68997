#include "platform/web/widget_json.h"

#include <string_view>

#include "geometry/svg.h"
#include "ui/data_grid.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::web {

using nlohmann::json;

namespace {

const char* KindName(ui::ControlKind kind) {
  switch (kind) {
    case ui::ControlKind::kLabel:
      return "label";
    case ui::ControlKind::kButton:
      return "button";
    case ui::ControlKind::kCheckBox:
      return "check";
    case ui::ControlKind::kComboBox:
      return "combo";
    case ui::ControlKind::kGroupBox:
      return "group";
    case ui::ControlKind::kPictureBox:
      return "picture";
    case ui::ControlKind::kPanel:
      return "panel";
    case ui::ControlKind::kTabControl:
      return "tabs";
    case ui::ControlKind::kTabPage:
      return "page";
    case ui::ControlKind::kTextBox:
      return "text";
    case ui::ControlKind::kDataGrid:
      return "grid";
    case ui::ControlKind::kForm:
      return "form";
  }
  return "";
}

std::string Css(geometry::Rgb c) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string s = "#";
  for (std::uint8_t v : {c.r, c.g, c.b}) {
    s += kDigits[v >> 4];
    s += kDigits[v & 0xf];
  }
  return s;
}

void GridToJson(const ui::DataGrid& grid, json& out) {
  json columns = json::array();
  for (const ui::GridColumn& c : grid.Columns()) {
    json col = {{"name", c.name}, {"width", c.width}};
    if (c.dropDown) col["items"] = c.items;
    columns.push_back(std::move(col));
  }
  out["columns"] = std::move(columns);
  out["rowCount"] = grid.RowCount();
  out["newRow"] = grid.AllowUserToAddRows();
  out["rowHeaders"] = grid.RowHeadersVisible();
  // A window of the lines, from the one the grid is scrolled to: a list of a
  // million rows is paged through rather than sent whole.
  const std::size_t lines = grid.LineCount();
  const std::size_t shown = std::min(lines, kGridRowsShown);
  const std::size_t first = std::min(grid.ShownLine().value_or(0), lines - shown);
  out["first"] = first;
  out["lineCount"] = lines;
  json rows = json::array();
  for (std::size_t line = first; line < first + shown; ++line) {
    json cells = json::array();
    for (std::size_t col = 0; col < grid.Columns().size(); ++col) {
      cells.push_back(std::string(grid.Text(line, col)));
    }
    rows.push_back(std::move(cells));
  }
  out["rows"] = std::move(rows);
  if (grid.RowHeadersVisible()) {
    json headers = json::array();
    for (std::size_t line = first; line < first + shown; ++line) {
      headers.push_back(std::string(grid.RowHeader(line)));
    }
    out["headers"] = std::move(headers);
  }
  if (const auto cell = grid.CurrentCell()) out["current"] = {cell->row, cell->column};
  json selected = json::array();
  for (const ui::CellPos& cell : grid.SelectedCells()) {
    if (cell.row >= first && cell.row < first + shown) selected.push_back({cell.row, cell.column});
  }
  out["selected"] = std::move(selected);
  if (grid.SortColumn()) {
    out["sort"] = {*grid.SortColumn(), grid.GetSortOrder() == ui::SortOrder::kDescending ? -1 : 1};
  }
}

json ControlToJson(ui::Control& c, const PictureVersions& pictures) {
  const ui::Bounds& b = c.GetBounds();
  json out = {{"kind", KindName(c.Kind())},
              {"name", c.Name()},
              {"bounds", {b.x, b.y, b.width, b.height}},
              {"text", c.Text()}};
  if (!c.Visible()) out["hidden"] = true;
  if (!c.Enabled()) out["disabled"] = true;
  const geometry::Font& font = c.GetFont();
  out["font"] = {font.family, font.points, font.bold};
  if (c.ForeColor()) out["fore"] = Css(*c.ForeColor());
  if (c.BackColor()) out["back"] = Css(*c.BackColor());
  const ui::Bounds client = c.ClientArea();
  if (client.x != 0 || client.y != 0) out["client"] = {client.x, client.y};

  switch (c.Kind()) {
    case ui::ControlKind::kLabel: {
      auto& label = static_cast<ui::Label&>(c);
      if (label.Centred()) out["centred"] = true;
      if (label.onClick) out["clickable"] = true;
      break;
    }
    case ui::ControlKind::kCheckBox:
      out["checked"] = static_cast<ui::CheckBox&>(c).Checked();
      break;
    case ui::ControlKind::kComboBox: {
      auto& combo = static_cast<ui::ComboBox&>(c);
      out["items"] = combo.Items();
      out["selected"] = combo.SelectedIndex();
      out["editable"] = combo.Style() == ui::ComboStyle::kDropDown;
      break;
    }
    case ui::ControlKind::kTabControl: {
      auto& tabs = static_cast<ui::TabControl&>(c);
      json pages = json::array();
      for (const ui::TabPage* p : tabs.Pages()) pages.push_back(p->Name());
      out["pages"] = std::move(pages);
      out["selected"] = tabs.SelectedIndex();
      out["bottom"] = tabs.Alignment() == ui::TabAlignment::kBottom;
      break;
    }
    case ui::ControlKind::kTextBox: {
      auto& box = static_cast<ui::TextBox&>(c);
      if (box.Multiline()) out["multiline"] = true;
      if (box.ReadOnly()) out["readOnly"] = true;
      out["sel"] = {box.SelectionStart(), box.SelectionLength()};
      break;
    }
    case ui::ControlKind::kPictureBox:
      if (static_cast<ui::PictureBox&>(c).Border()) out["border"] = true;
      [[fallthrough]];
    case ui::ControlKind::kPanel:
      out["picture"] = pictures.Version(c);
      break;
    case ui::ControlKind::kDataGrid:
      GridToJson(static_cast<ui::DataGrid&>(c), out);
      break;
    default:
      break;
  }
  if (!c.Children().empty()) {
    json children = json::array();
    for (const auto& child : c.Children()) children.push_back(ControlToJson(*child, pictures));
    out["children"] = std::move(children);
  }
  return out;
}

// A field of the event, of the type asked for; nullopt when missing or of
// another type.
std::optional<std::string> StringField(const json& e, const char* key) {
  const auto it = e.find(key);
  if (it == e.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<std::int64_t> IntField(const json& e, const char* key) {
  const auto it = e.find(key);
  if (it == e.end() || !it->is_number_integer()) return std::nullopt;
  return it->get<std::int64_t>();
}

std::optional<std::size_t> IndexField(const json& e, const char* key) {
  const auto v = IntField(e, key);
  if (!v || *v < 0) return std::nullopt;
  return static_cast<std::size_t>(*v);
}

Failure Malformed(std::string what) {
  return Failure{"Malformed event: " + std::move(what), {}};
}

// The control the event names, of the kind asked for, or null.
template <typename T>
T* Target(ui::Form& form, const json& e, ui::ControlKind kind) {
  const auto name = StringField(e, "name");
  if (!name || name->empty()) return nullptr;
  ui::Control* c = ui::FindByName(form, *name);
  if (c == nullptr || c->Kind() != kind) return nullptr;
  return static_cast<T*>(c);
}

// Puts the page's caret or selection into the box before a key reaches it.
void TakeSelection(ui::TextBox& box, const json& e) {
  const auto start = IndexField(e, "selStart");
  const auto length = IndexField(e, "selLength");
  if (start) box.Select(*start, length.value_or(0));
}

Outcome<void> ApplyKey(ui::Form& form, const json& e, ui::Clipboard& clipboard, bool paste) {
  auto* box = Target<ui::TextBox>(form, e, ui::ControlKind::kTextBox);
  if (!box) return Malformed("no text box of that name");
  std::optional<std::string> pasted;
  char32_t c = ui::kKeyPaste;
  if (paste) {
    pasted = StringField(e, "text");
    if (!pasted) return Malformed("a paste needs its text");
  } else {
    const auto code = IntField(e, "char");
    // Only characters: a code above Unicode's range or a surrogate is no key.
    if (!code || *code <= 0 || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF)) {
      return Malformed("a key needs a character code");
    }
    c = static_cast<char32_t>(*code);
  }
  TakeSelection(*box, e);
  box->SetClipboard(&clipboard);
  if (pasted) clipboard.SetText(*pasted);
  box->TypeChar(c);
  return {};
}

Outcome<void> ApplyClick(ui::Form& form, const json& e) {
  const auto name = StringField(e, "name");
  if (!name || name->empty()) return Malformed("a click needs a control");
  ui::Control* c = ui::FindByName(form, *name);
  if (c == nullptr) return Malformed("no control of that name");
  switch (c->Kind()) {
    case ui::ControlKind::kButton:
      static_cast<ui::Button*>(c)->Click();
      return {};
    case ui::ControlKind::kCheckBox:
      static_cast<ui::CheckBox*>(c)->Click();
      return {};
    case ui::ControlKind::kLabel:
      static_cast<ui::Label*>(c)->Click();
      return {};
    default:
      return Malformed("that control takes no click");
  }
}

Outcome<void> ApplySelect(ui::Form& form, const json& e) {
  const auto index = IntField(e, "index");
  if (!index) return Malformed("a choice needs an index");
  if (auto* combo = Target<ui::ComboBox>(form, e, ui::ControlKind::kComboBox)) {
    if (!combo->Visible() || !combo->Enabled()) return {};
    if (*index < -1 || *index >= static_cast<std::int64_t>(combo->Items().size())) {
      return Malformed("no item at that index");
    }
    combo->SetSelectedIndex(static_cast<int>(*index));
    return {};
  }
  if (auto* tabs = Target<ui::TabControl>(form, e, ui::ControlKind::kTabControl)) {
    if (*index < 0 || *index >= static_cast<std::int64_t>(tabs->Pages().size())) {
      return Malformed("no page at that index");
    }
    tabs->SetSelectedIndex(static_cast<int>(*index));
    return {};
  }
  return Malformed("no drop-down or tab control of that name");
}

Outcome<void> ApplyGrid(ui::Form& form, const json& e, std::string_view type) {
  auto* grid = Target<ui::DataGrid>(form, e, ui::ControlKind::kDataGrid);
  if (!grid) return Malformed("no grid of that name");
  if (type == "scroll" || type == "rowclick") {
    const auto line = IndexField(e, "row");
    if (!line || *line >= grid->LineCount()) return Malformed("no such row");
    if (type == "scroll") {
      grid->ScrollToLine(*line);
    } else {
      grid->SelectRow(*line);  // as a click on the row's header selects it
    }
    return {};
  }
  const auto column = IndexField(e, "column");
  if (!column || *column >= grid->Columns().size()) return Malformed("no such column");
  if (type == "sort") {
    const bool ascending =
        grid->SortColumn() != column || grid->GetSortOrder() != ui::SortOrder::kAscending;
    grid->Sort(*column, ascending ? ui::SortOrder::kAscending : ui::SortOrder::kDescending);
    return {};
  }
  const auto row = IndexField(e, "row");
  if (!row || *row >= grid->LineCount()) return Malformed("no such row");
  if (type == "cellclick") {
    grid->SetCurrentCell({*row, *column});
    return {};
  }
  const auto text = StringField(e, "text");
  if (!text) return Malformed("a cell edit needs its text");
  if (!grid->Visible() || !grid->Enabled()) return {};
  grid->SetCurrentCell({*row, *column});
  const std::size_t shownAt = grid->SetValue(*row, *column, *text);
  grid->SetCurrentCell({shownAt, *column});
  return {};
}

}  // namespace

void PictureVersions::Watch(ui::Form& form) {
  ui::ForEachControl(form, [this](ui::Control& c) {
    if (c.Kind() != ui::ControlKind::kPictureBox && c.Kind() != ui::ControlKind::kPanel) return;
    versions_[&c] = 1;
    // A panel is drawn for its size, so a resize is a new picture too.
    c.onChanged = [this](ui::Control& changed, ui::Change what) {
      if (what == ui::Change::kPicture || what == ui::Change::kBounds) ++versions_[&changed];
    };
  });
}

std::uint64_t PictureVersions::Version(const ui::Control& control) const {
  const auto it = versions_.find(&control);
  return it == versions_.end() ? 0 : it->second;
}

json FormToJson(ui::Form& form, const PictureVersions& pictures) {
  return ControlToJson(form, pictures);
}

std::string PictureSvg(const ui::Control& control) {
  geometry::Picture picture;
  if (control.Kind() == ui::ControlKind::kPictureBox) {
    const geometry::Picture* shown = static_cast<const ui::PictureBox&>(control).Shown();
    if (shown == nullptr) return {};
    picture = *shown;
  } else if (control.Kind() == ui::ControlKind::kPanel) {
    picture = static_cast<const ui::Panel&>(control).Paint();
  } else {
    return {};
  }
  // The document has its viewBox, so the page zooms it to its box keeping
  // proportions, as the native picture box does.
  return geometry::PictureToSvg(picture);
}

Outcome<void> ApplyEvent(ui::Form& form, const json& event, ui::Clipboard& clipboard) {
  if (!event.is_object()) return Malformed("not an object");
  const auto type = StringField(event, "type");
  if (!type) return Malformed("no type");
  if (*type == "key") return ApplyKey(form, event, clipboard, false);
  if (*type == "paste") return ApplyKey(form, event, clipboard, true);
  if (*type == "click") return ApplyClick(form, event);
  if (*type == "select") return ApplySelect(form, event);
  if (*type == "cell" || *type == "cellclick" || *type == "sort" || *type == "scroll" ||
      *type == "rowclick") {
    return ApplyGrid(form, event, *type);
  }
  return Malformed("unknown type " + *type);
}

}  // namespace kelvora::web
