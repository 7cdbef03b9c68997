// The common part of every control model: its name, its place in its parent's
// client area, whether it is shown and usable, its font and colours, its caption
// or text, and the controls it contains. A back-end observes `onChanged` and
// mirrors the model into a native control; the dialog and the tests act on the
// models directly.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "geometry/picture.h"

namespace kelvora::ui {

using geometry::Font;
using geometry::Rgb;

// A rectangle in whole pixels.
struct Bounds {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  // True when `inner` lies wholly inside this rectangle.
  bool Contains(const Bounds& inner) const {
    return inner.x >= x && inner.y >= y && inner.Right() <= Right() && inner.Bottom() <= Bottom();
  }
  // True when the two rectangles share at least one pixel.
  bool Overlaps(const Bounds& o) const {
    return x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom();
  }
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

enum class ControlKind {
  kLabel,
  kButton,
  kCheckBox,
  kComboBox,
  kGroupBox,
  kPictureBox,
  kPanel,
  kTabControl,
  kTabPage,
  kTextBox,
  kDataGrid,
  kForm,
};

// What changed, so a back-end refreshes only that.
enum class Change {
  kText,         // caption or text
  kBounds,       // position or size
  kVisible,      //
  kEnabled,      //
  kStyle,        // font, colours, border, read-only, multi-line
  kValue,        // checked state, selected item, selected page
  kItems,        // the items of a drop-down
  kPages,        // pages added to or removed from a tab control
  kPicture,      // the picture shown, or a panel asks to be repainted
  kWindowState,  // normal, minimised, maximised
};

// The result of a modal form (and of the button that ends it).
enum class DialogResult { kNone, kOk, kCancel, kYes, kNo };

// The form font: every control uses it unless it sets its own.
inline const Font kFormFont{"Microsoft Sans Serif", 9.75, true};

class Control {
 public:
  Control(ControlKind kind, std::string name, std::string text = {});
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }

  // The caption (labels, buttons, check boxes, groups, pages, the form's title)
  // or the text (text boxes, editable drop-downs).
  const std::string& Text() const { return text_; }
  virtual void SetText(std::string text);

  const Bounds& GetBounds() const { return bounds_; }
  void SetBounds(Bounds bounds);
  // The area children are placed in, in this control's own coordinates. Plain
  // controls use their whole size; group boxes, tab controls and forms override.
  virtual Bounds ClientArea() const { return {0, 0, bounds_.width, bounds_.height}; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Own font if set, else the parent's, else the form font.
  const Font& GetFont() const;
  void SetFont(Font font);
  std::optional<Rgb> ForeColor() const { return foreColor_; }
  std::optional<Rgb> BackColor() const { return backColor_; }
  void SetForeColor(std::optional<Rgb> color);
  void SetBackColor(std::optional<Rgb> color);

  Control* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }

  // Creates a child control, owned by this one; returns it.
  template <typename T, typename... Args>
  T& Add(Args&&... args) {
    auto child = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *child;
    Adopt(std::move(child));
    return ref;
  }

  // Raised after every change of the model, with what changed.
  std::function<void(Control&, Change)> onChanged;

 protected:
  void Notify(Change change);
  // Called after the bounds changed, before observers hear of it.
  virtual void BoundsChanged() {}
  std::string text_;

 private:
  void Adopt(std::unique_ptr<Control> child);

  ControlKind kind_;
  std::string name_;
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::optional<Font> font_;
  std::optional<Rgb> foreColor_;
  std::optional<Rgb> backColor_;
  Control* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> children_;
};

// Calls `visit` for `root` and every control below it, parents first.
void ForEachControl(Control& root, const std::function<void(Control&)>& visit);

// Where a control lies relative to the top-left corner of `ancestor` (a form's
// bounds are its client area, so for a form these are client coordinates).
Bounds BoundsIn(const Control& control, const Control& ancestor);

}  // namespace kelvora::ui
