#include "ui/widgets.h"

#include <algorithm>

#include "ui/form.h"

namespace kelvora::ui {

bool Label::Click() {
  if (!Visible() || !Enabled() || !onClick) return false;
  onClick(*this);
  return true;
}

bool Button::Click() {
  if (!Visible() || !Enabled()) return false;
  if (onClick) onClick(*this);
  if (dialogResult_ != DialogResult::kNone) {
    if (Form* form = FormOf(*this)) form->SetModalResult(dialogResult_);
  }
  return true;
}

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Notify(Change::kValue);
  if (onCheckedChanged) onCheckedChanged(*this);
}

bool CheckBox::Click() {
  if (!Visible() || !Enabled()) return false;
  SetChecked(!checked_);
  return true;
}

void ComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  Notify(Change::kItems);
  if (selectedIndex_ >= static_cast<int>(items_.size())) SetSelectedIndex(-1);
}

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Notify(Change::kItems);
}

void ComboBox::SetSelectedIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) return;
  if (index == selectedIndex_) return;
  selectedIndex_ = index;
  text_ = index < 0 ? std::string() : items_[static_cast<std::size_t>(index)];
  Notify(Change::kValue);
  if (onSelectedIndexChanged) onSelectedIndexChanged(*this);
}

Bounds GroupBox::ClientArea() const {
  const Bounds b = GetBounds();
  return {kBorder, kCaptionHeight, std::max(0, b.width - 2 * kBorder),
          std::max(0, b.height - kCaptionHeight - kBorder)};
}

void PictureBox::SetImage(geometry::Picture picture) {
  image_ = std::move(picture);
  Notify(Change::kPicture);
}

void PictureBox::ClearImage() {
  image_.reset();
  Notify(Change::kPicture);
}

void PictureBox::SetBackgroundImage(geometry::Picture picture) {
  background_ = std::move(picture);
  Notify(Change::kPicture);
}

const geometry::Picture* PictureBox::Shown() const {
  if (image_) return &*image_;
  if (background_) return &*background_;
  return nullptr;
}

void PictureBox::SetBorder(bool border) {
  border_ = border;
  Notify(Change::kStyle);
}

geometry::Picture Panel::Paint() const {
  const Bounds b = GetBounds();
  if (onPaint) return onPaint(b.width, b.height);
  geometry::Picture blank;
  blank.width = b.width;
  blank.height = b.height;
  return blank;
}

TabPage& TabControl::AddPage(std::string name, std::string caption) {
  TabPage& page = Add<TabPage>(std::move(name), std::move(caption));
  pages_.push_back(&page);
  const Bounds area = ClientArea();
  page.SetBounds({0, 0, area.width, area.height});
  if (selected_ < 0) selected_ = 0;
  ShowSelected();
  Notify(Change::kPages);
  return page;
}

std::optional<std::size_t> TabControl::IndexOf(const TabPage& page) const {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i] == &page) return i;
  }
  return std::nullopt;
}

bool TabControl::RemovePage(const TabPage& page) {
  const auto at = IndexOf(page);
  if (!at) return false;
  TabPage* const shown = SelectedPage();
  pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(*at));
  if (shown == &page) {
    // The page that followed the removed one (or the new last page) is shown.
    selected_ = pages_.empty() ? -1 : static_cast<int>(std::min(*at, pages_.size() - 1));
  } else if (shown) {
    selected_ = static_cast<int>(*IndexOf(*shown));
  }
  const_cast<TabPage&>(page).SetVisible(false);
  ShowSelected();
  Notify(Change::kPages);
  return true;
}

TabPage* TabControl::SelectedPage() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(pages_.size())) return nullptr;
  return pages_[static_cast<std::size_t>(selected_)];
}

void TabControl::SetSelectedIndex(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size()) || index == selected_) return;
  selected_ = index;
  ShowSelected();
  Notify(Change::kValue);
  if (onSelectedIndexChanged) onSelectedIndexChanged(*this);
}

bool TabControl::SelectPage(const TabPage& page) {
  const auto at = IndexOf(page);
  if (!at) return false;
  SetSelectedIndex(static_cast<int>(*at));
  return true;
}

void TabControl::SetAlignment(TabAlignment alignment) {
  alignment_ = alignment;
  BoundsChanged();
  Notify(Change::kStyle);
}

void TabControl::BoundsChanged() {
  // Every page fills the pages' area, removed ones included, so a page keeps its
  // layout whichever way it is shown again.
  const Bounds area = ClientArea();
  for (const auto& child : Children()) {
    if (child->Kind() == ControlKind::kTabPage) child->SetBounds({0, 0, area.width, area.height});
  }
}

Bounds TabControl::ClientArea() const {
  const Bounds b = GetBounds();
  const int top = alignment_ == TabAlignment::kTop ? kTabStripHeight : kBorder;
  return {kBorder, top, std::max(0, b.width - 2 * kBorder),
          std::max(0, b.height - kTabStripHeight - 2 * kBorder)};
}

void TabControl::ShowSelected() {
  const TabPage* shown = SelectedPage();
  for (TabPage* page : pages_) page->SetVisible(page == shown);
}

bool Timer::Tick() {
  if (!enabled_) return false;
  if (onTick) onTick(*this);
  return true;
}

}  // namespace kelvora::ui
