#include "dialog/generator_page.h"

#include <algorithm>

#include "dialog/key_filters.h"
#include "dialog/language_texts.h"
#include "dialog/page_measures.h"
#include "dialog/xyz_demo_dialog.h"
#include "ui/layout.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {

using namespace measures;

namespace {

// The program boxes' smaller font.
const ui::Font kProgramFont{"Microsoft Sans Serif", 8.25, false};

std::string DefaultLabelName(const std::string& boxName) {
  if (boxName.starts_with("txt")) return "lbl" + boxName.substr(3);
  return "lbl" + boxName;
}

// The widest text a label shows in any language.
int WidestCaption(const ui::Label& label) {
  int widest = ui::EstimateTextWidth(label.Text(), label.GetFont());
  for (const CaptionRow& row : LanguageCaptionRows()) {
    if (std::find(row.controls.begin(), row.controls.end(), label.Name()) == row.controls.end()) {
      continue;
    }
    for (std::string_view text : row.texts) {
      widest = std::max(widest, ui::EstimateTextWidth(text, label.GetFont()));
    }
  }
  return widest;
}

KeyFilter FilterOf(settings::Filter filter) {
  switch (filter) {
    case settings::Filter::kSigned:
      return KeyFilter::kSigned;
    case settings::Filter::kUnsigned:
      return KeyFilter::kUnsigned;
    case settings::Filter::kAnyText:
      break;
  }
  return KeyFilter::kNone;
}

InputSpec SpecOf(const settings::InputRow& row, std::string key) {
  return {std::string(row.control), std::move(key),         std::string(row.captionKey),
          std::string(row.caption), std::string(row.start), FilterOf(row.filter)};
}

}  // namespace

// Inputs that take one cell of a row: the areas' columns hold them side by side.
bool GeneratorPage::IsCell(ItemKind kind) {
  return kind == ItemKind::kPair || kind == ItemKind::kCheck || kind == ItemKind::kButton;
}

GeneratorPage::GeneratorPage(XYZDemoDialog& dlg, ui::TabPage& page) : dlg_(dlg), page_(page) {}

ui::PictureBox& GeneratorPage::Sketch(std::string name, geometry::Picture drawing) {
  auto& box = page_.Add<ui::PictureBox>(std::move(name));
  box.SetBackgroundImage(std::move(drawing));
  PlaceOnTop(TopSlot::kLeft, box);
  return box;
}

ui::PictureBox& GeneratorPage::Preview(std::string name, geometry::Picture startDrawing) {
  auto& box = page_.Add<ui::PictureBox>(std::move(name));
  box.SetBackgroundImage(std::move(startDrawing));
  PlaceOnTop(TopSlot::kMiddle, box);
  return box;
}

ui::TextBox& GeneratorPage::ProgramBox(std::string name) {
  auto& box = page_.Add<ui::TextBox>(std::move(name));
  box.SetMultiline(true);
  box.SetFont(kProgramFont);
  box.SetClipboard(&dlg_.GetClipboard());
  PlaceOnTop(TopSlot::kRight, box);
  return box;
}

void GeneratorPage::UnderProgram(ui::Control& control, std::function<int(int width)> fit) {
  underProgram_ = &control;
  underProgramFit_ = std::move(fit);
}

void GeneratorPage::PlaceOnTop(TopSlot slot, ui::Control& control) {
  top_[static_cast<int>(slot)] = &control;
}

ui::Label& GeneratorPage::Note(InputArea area, std::string name, std::string text) {
  ui::Label& label = Parent(area).Add<ui::Label>(std::move(name), std::move(text));
  Target(area).push_back({ItemKind::kNote, &label, nullptr, 1, {}});
  return label;
}

std::vector<GeneratorPage::Item>& GeneratorPage::Target(InputArea area) {
  Area& a = AreaOf(area);
  if (openGroup_ && groupArea_ == area) return a.items.back().children;
  return a.items;
}

ui::Control& GeneratorPage::Parent(InputArea area) {
  if (openGroup_ && groupArea_ == area) return *openGroup_;
  return page_;
}

ui::Label& GeneratorPage::MakeLabel(ui::Control& parent, const InputSpec& field) {
  const std::string name = field.label.empty() ? DefaultLabelName(field.name) : field.label;
  return parent.Add<ui::Label>(name, field.caption);
}

ui::TextBox& GeneratorPage::MakeBox(ui::Control& parent, const InputSpec& field) {
  ui::TextBox& box = parent.Add<ui::TextBox>(field.name, field.start);
  box.SetClipboard(&dlg_.GetClipboard());
  if (field.filter == KeyFilter::kSigned) AttachSignedFilter(box);
  if (field.filter == KeyFilter::kUnsigned) AttachUnsignedFilter(box);
  if (!field.key.empty()) dlg_.BindKey(field.key, field.name);
  return box;
}

ui::TextBox& GeneratorPage::Input(InputArea area, const InputSpec& field) {
  ui::Label& label = MakeLabel(Parent(area), field);
  ui::TextBox& box = MakeBox(Parent(area), field);
  Target(area).push_back({ItemKind::kPair, &box, &label, 1, {}});
  return box;
}

ui::CheckBox& GeneratorPage::Check(InputArea area, std::string name, std::string key,
                                   std::string caption, bool checked) {
  ui::CheckBox& box = Parent(area).Add<ui::CheckBox>(name, std::move(caption));
  box.SetChecked(checked);
  if (!key.empty()) dlg_.BindKey(key, name);
  Target(area).push_back({ItemKind::kCheck, &box, nullptr, 1, {}});
  return box;
}

ui::TextBox& GeneratorPage::MultiText(InputArea area, const InputSpec& field, int rows) {
  ui::Label* label = field.caption.empty() ? nullptr : &MakeLabel(Parent(area), field);
  ui::TextBox& box = MakeBox(Parent(area), field);
  box.SetMultiline(true);
  Target(area).push_back({ItemKind::kMulti, &box, label, std::max(1, rows), {}});
  return box;
}

void GeneratorPage::Rows(InputArea area, std::initializer_list<settings::JobInputs> jobs, int from,
                         int to) {
  const settings::Area wanted =
      area == InputArea::kPattern ? settings::Area::kPattern : settings::Area::kMachining;
  struct Placed {
    const settings::InputRow* row;
    bool stored;
  };
  std::vector<Placed> rows;
  for (settings::JobInputs job : jobs) {
    for (const settings::InputRow& row : settings::InputsOf(job)) {
      const settings::Place& p = row.place;
      if (p.area == wanted && p.order >= from && p.order < to) {
        rows.push_back({&row, settings::IsStored(job)});
      }
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Placed& a, const Placed& b) {
    return a.row->place.order < b.row->place.order;
  });
  for (const auto& [row, stored] : rows) {
    // Inputs that are not stored are read by the page itself, not by key.
    const std::string key = stored ? std::string(row->key) : std::string();
    if (row->shownAs == settings::ShownAs::kChecked) {
      Check(area, std::string(row->control), key, std::string(row->caption), row->start == "True");
      continue;
    }
    const InputSpec field = SpecOf(*row, key);
    if (row->place.lines > 1) {
      MultiText(area, field, row->place.lines);
    } else {
      Input(area, field);
    }
  }
}

ui::TextBox& GeneratorPage::LooseInput(ui::Control& parent, const settings::InputRow& row) {
  const InputSpec field = SpecOf(row, std::string(row.key));
  MakeLabel(parent, field);
  return MakeBox(parent, field);
}

ui::GroupBox& GeneratorPage::BeginGroup(InputArea area, std::string name, std::string caption) {
  ui::GroupBox& group = Parent(area).Add<ui::GroupBox>(std::move(name), std::move(caption));
  AreaOf(area).items.push_back({ItemKind::kGroup, &group, nullptr, 1, {}});
  openGroup_ = &group;
  groupArea_ = area;
  return group;
}

void GeneratorPage::EndGroup() {
  openGroup_ = nullptr;
}

ui::Button& GeneratorPage::AddButton(std::string name, std::string caption,
                                     std::function<void()> onClick) {
  ui::Button& button = page_.Add<ui::Button>(std::move(name), std::move(caption));
  if (onClick) button.onClick = [onClick](ui::Button&) { onClick(); };
  buttons_.push_back(&button);
  return button;
}

ui::Button& GeneratorPage::AreaButton(InputArea area, std::string name, std::string caption,
                                      std::function<void()> onClick) {
  ui::Button& button = Parent(area).Add<ui::Button>(std::move(name), std::move(caption));
  if (onClick) button.onClick = [onClick](ui::Button&) { onClick(); };
  Target(area).push_back({ItemKind::kButton, &button, nullptr, 1, {}});
  return button;
}

int GeneratorPage::LabelWidth(const std::vector<Item>& items) const {
  int widest = 0;
  for (const Item& item : items) {
    if (item.label) widest = std::max(widest, WidestCaption(*item.label));
    // A group's captions sit further right by its frame, so its boxes can line
    // up with the ones outside it.
    if (item.kind == ItemKind::kGroup) {
      widest = std::max(widest, LabelWidth(item.children) + ui::GroupBox::kBorder);
    }
  }
  return widest + 2;
}

int GeneratorPage::ItemsHeight(const std::vector<Item>& items, int columns) {
  int height = 0;
  int column = 0;
  for (const Item& item : items) {
    if (IsCell(item.kind)) {
      if (column == 0) height += kRowHeight;
      column = (column + 1) % columns;
      continue;
    }
    column = 0;
    if (item.kind == ItemKind::kMulti || item.kind == ItemKind::kNote) {
      height += item.rows * kRowHeight;
    }
    if (item.kind == ItemKind::kGroup) {
      height += ui::GroupBox::kCaptionHeight + ItemsHeight(item.children, columns) +
                ui::GroupBox::kBorder + 2;
    }
  }
  return height;
}

void GeneratorPage::PlaceItems(const std::vector<Item>& items, const ui::Bounds& area, int columns,
                               int labelWidth) {
  const int cellWidth = (area.width - kGap * (columns - 1)) / columns;
  // Long captions in two columns leave less room: the boxes narrow rather than
  // run into the next column.
  const int boxWidth = std::clamp(cellWidth - labelWidth - kLabelGap, kBoxWidth / 2, kBoxWidth);
  int y = area.y;
  int column = 0;
  const int textTop = (kRowHeight - ui::EstimateTextHeight(ui::kFormFont)) / 2;
  for (const Item& item : items) {
    if (IsCell(item.kind)) {
      const int x = area.x + column * (cellWidth + kGap);
      if (item.kind == ItemKind::kPair) {
        item.label->SetBounds({x, y + textTop, labelWidth, ui::EstimateTextHeight(ui::kFormFont)});
        item.control->SetBounds({x + labelWidth + kLabelGap, y + 3, boxWidth, kBoxHeight});
      } else if (item.kind == ItemKind::kButton) {
        // As high as the row allows, as wide as its caption needs.
        const int need = ButtonWidth(static_cast<const ui::Button&>(*item.control));
        item.control->SetBounds({x, y + 1, std::min(cellWidth, need), kRowHeight - 2});
      } else {
        const int need = ui::EstimateTextWidth(item.control->Text(), item.control->GetFont()) + 24;
        item.control->SetBounds({x, y + 3, std::min(cellWidth, need), kBoxHeight});
      }
      column = (column + 1) % columns;
      if (column == 0) y += kRowHeight;
      continue;
    }
    if (column != 0) {
      column = 0;
      y += kRowHeight;
    }
    if (item.kind == ItemKind::kNote) {
      item.control->SetBounds(
          {area.x, y + textTop, area.width, ui::EstimateTextHeight(item.control->GetFont())});
      y += kRowHeight;
    } else if (item.kind == ItemKind::kMulti) {
      int x = area.x;
      if (item.label) {
        item.label->SetBounds({x, y + textTop, labelWidth, ui::EstimateTextHeight(ui::kFormFont)});
        x += labelWidth + kLabelGap;
      }
      item.control->SetBounds({x, y + 3, area.Right() - x, item.rows * kRowHeight - 6});
      y += item.rows * kRowHeight;
    } else if (item.kind == ItemKind::kGroup) {
      const int h = ui::GroupBox::kCaptionHeight + ItemsHeight(item.children, columns) +
                    ui::GroupBox::kBorder + 2;
      item.control->SetBounds({area.x, y, area.width, h});
      const ui::Bounds inner = item.control->ClientArea();
      // The group's frame takes room on the left; its captions give up as much,
      // so its boxes line up with the boxes outside it.
      const int inside = labelWidth - inner.x;
      PlaceItems(item.children, {0, 0, inner.width, inner.height}, columns, inside);
      y += h;
    }
  }
}

int GeneratorPage::InputsHeight(InputArea area, int columns) {
  return ItemsHeight(AreaOf(area).items, columns);
}

void GeneratorPage::ArrangeInputs(InputArea area, const ui::Bounds& bounds, int columns) {
  const auto& items = AreaOf(area).items;
  PlaceItems(items, bounds, columns, LabelWidth(items));
}

void GeneratorPage::Arrange() {
  const ui::Bounds client = page_.ClientArea();
  const ui::Bounds area = ui::Inset(client, kMargin);
  const auto cols = ui::SplitColumns(area, {{patternWidth_, 0}, {0, 1}, {0, 1}}, kGap);

  const int patternHeight = ItemsHeight(pattern_.items, pattern_.columns);
  const int machiningHeight = ItemsHeight(machining_.items, machining_.columns);
  // Without a picture on the left the pattern inputs start at the top of their
  // column, and the preview's lower area is only as tall as the machining inputs.
  const bool patternOnTop = top_[0] == nullptr;
  const int inputs = patternOnTop ? machiningHeight : std::max(patternHeight, machiningHeight);
  const auto left = ui::SplitRows(cols[0], {{0, 1}, {inputs, 0}}, kGap);
  const auto middle = ui::SplitRows(cols[1], {{0, 1}, {inputs, 0}}, kGap);

  // With no inputs at all the upper areas fill their columns.
  if (top_[0]) top_[0]->SetBounds(inputs > 0 ? left[0] : cols[0]);
  if (top_[1]) top_[1]->SetBounds(inputs > 0 ? middle[0] : cols[1]);
  const ui::Bounds patternArea =
      patternOnTop ? ui::Bounds{cols[0].x, cols[0].y, cols[0].width, patternHeight} : left[1];
  PlaceItems(pattern_.items, patternArea, pattern_.columns, LabelWidth(pattern_.items));
  PlaceItems(machining_.items, middle[1], machining_.columns, LabelWidth(machining_.items));

  // Buttons: measure the rows they need at the right column's width, then
  // place them below the program box.
  const int buttonsHeight = ButtonsHeight(buttons_, cols[2].width);
  const auto right = ui::SplitRows(cols[2], {{0, 1}, {buttonsHeight, 0}}, kGap);
  ui::Bounds program = buttons_.empty() ? cols[2] : right[0];
  if (underProgram_) {
    // The line under the program box takes its room from the box's bottom.
    const auto rows = ui::SplitRows(program, {{0, 1}, {underProgramFit_(program.width), 0}}, 2);
    program = rows[0];
    underProgram_->SetBounds(rows[1]);
  }
  if (top_[2]) top_[2]->SetBounds(program);
  FlowButtons(buttons_, right[1]);
}

}  // namespace kelvora::dialog
