#include "ui/control.h"

namespace kelvora::ui {

Control::Control(ControlKind kind, std::string name, std::string text)
    : text_(std::move(text)), kind_(kind), name_(std::move(name)) {}

void Control::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Notify(Change::kText);
}

void Control::SetBounds(Bounds bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  BoundsChanged();
  Notify(Change::kBounds);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Notify(Change::kVisible);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify(Change::kEnabled);
}

const Font& Control::GetFont() const {
  if (font_) return *font_;
  if (parent_) return parent_->GetFont();
  return kFormFont;
}

void Control::SetFont(Font font) {
  font_ = std::move(font);
  Notify(Change::kStyle);
}

void Control::SetForeColor(std::optional<Rgb> color) {
  foreColor_ = color;
  Notify(Change::kStyle);
}

void Control::SetBackColor(std::optional<Rgb> color) {
  backColor_ = color;
  Notify(Change::kStyle);
}

void Control::Notify(Change change) {
  if (onChanged) onChanged(*this, change);
}

void Control::Adopt(std::unique_ptr<Control> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
}

void ForEachControl(Control& root, const std::function<void(Control&)>& visit) {
  visit(root);
  for (const auto& child : root.Children()) ForEachControl(*child, visit);
}

Bounds BoundsIn(const Control& control, const Control& ancestor) {
  Bounds b = control.GetBounds();
  for (const Control* p = control.Parent(); p; p = p->Parent()) {
    const Bounds client = p->ClientArea();
    b.x += client.x;
    b.y += client.y;
    if (p == &ancestor) break;
    b.x += p->GetBounds().x;
    b.y += p->GetBounds().y;
  }
  return b;
}

}  // namespace kelvora::ui
