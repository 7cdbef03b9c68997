// The simple controls of the dialog as models: captions, buttons, check boxes,
// drop-downs, group frames, picture boxes, paint panels, tab controls, timers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geometry/picture.h"
#include "ui/control.h"

namespace kelvora::ui {

class Label : public Control {
 public:
  explicit Label(std::string name, std::string text = {})
      : Control(ControlKind::kLabel, std::move(name), std::move(text)) {}

  // Each line centred in the label's width (otherwise from its left edge).
  bool Centred() const { return centred_; }
  void SetCentred(bool centred) {
    centred_ = centred;
    Notify(Change::kStyle);
  }

  // Clicks the label as the operator does: a hidden or disabled label, or one
  // without a handler, does nothing. Returns whether the click reached the handler.
  bool Click();
  // A label with a handler answers clicks (a link-like line); others ignore them.
  std::function<void(Label&)> onClick;

 private:
  bool centred_ = false;
};

class Button : public Control {
 public:
  explicit Button(std::string name, std::string text = {})
      : Control(ControlKind::kButton, std::move(name), std::move(text)) {}

  // Clicks the button as the operator does: a hidden or disabled button does
  // nothing. Returns whether the click reached the handler. A button with a
  // dialog result gives its form that result after the handler ran.
  bool Click();

  DialogResult GetDialogResult() const { return dialogResult_; }
  void SetDialogResult(DialogResult result) { dialogResult_ = result; }

  std::function<void(Button&)> onClick;

 private:
  DialogResult dialogResult_ = DialogResult::kNone;
};

class CheckBox : public Control {
 public:
  explicit CheckBox(std::string name, std::string text = {})
      : Control(ControlKind::kCheckBox, std::move(name), std::move(text)) {}

  bool Checked() const { return checked_; }
  // Raises onCheckedChanged when the state changes.
  void SetChecked(bool checked);
  // Clicking toggles the state (nothing when disabled or hidden).
  bool Click();

  std::function<void(CheckBox&)> onCheckedChanged;

 private:
  bool checked_ = false;
};

enum class ComboStyle {
  kDropDownList,  // the text is always one of the items
  kDropDown,      // the text may also be typed
};

class ComboBox : public Control {
 public:
  explicit ComboBox(std::string name, ComboStyle style = ComboStyle::kDropDownList)
      : Control(ControlKind::kComboBox, std::move(name)), style_(style) {}

  ComboStyle Style() const { return style_; }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  void AddItem(std::string item);

  // -1 when nothing is selected.
  int SelectedIndex() const { return selectedIndex_; }
  // Selects an item (its text becomes the text) and raises onSelectedIndexChanged
  // when the index changes. An index outside the items is ignored; -1 clears.
  void SetSelectedIndex(int index);

  std::function<void(ComboBox&)> onSelectedIndexChanged;

 private:
  ComboStyle style_;
  std::vector<std::string> items_;
  int selectedIndex_ = -1;
};

// A frame with a caption around a group of controls; the children lie in the
// frame's client area, below the caption.
class GroupBox : public Control {
 public:
  static constexpr int kCaptionHeight = 20;
  static constexpr int kBorder = 6;

  explicit GroupBox(std::string name, std::string text = {})
      : Control(ControlKind::kGroupBox, std::move(name), std::move(text)) {}

  Bounds ClientArea() const override;
};

// Shows a picture. Until a picture is set it shows its start drawing (the
// background), zoomed to fit; a set picture covers it.
class PictureBox : public Control {
 public:
  explicit PictureBox(std::string name) : Control(ControlKind::kPictureBox, std::move(name)) {}

  const std::optional<geometry::Picture>& Image() const { return image_; }
  void SetImage(geometry::Picture picture);
  void ClearImage();
  const std::optional<geometry::Picture>& BackgroundImage() const { return background_; }
  void SetBackgroundImage(geometry::Picture picture);
  // What the box shows now: the image, else the background, else nothing.
  const geometry::Picture* Shown() const;

  bool Border() const { return border_; }
  void SetBorder(bool border);

 private:
  std::optional<geometry::Picture> image_;
  std::optional<geometry::Picture> background_;
  bool border_ = false;
};

// A surface whose content is drawn on request: the paint handler returns the
// picture for the panel's current size.
class Panel : public Control {
 public:
  explicit Panel(std::string name) : Control(ControlKind::kPanel, std::move(name)) {}

  // The picture for the current size: the paint handler's, or a blank one.
  geometry::Picture Paint() const;
  // Asks the back-end to repaint.
  void Invalidate() { Notify(Change::kPicture); }

  std::function<geometry::Picture(int width, int height)> onPaint;
};

class TabPage : public Control {
 public:
  explicit TabPage(std::string name, std::string text = {})
      : Control(ControlKind::kTabPage, std::move(name), std::move(text)) {}
};

enum class TabAlignment { kTop, kBottom };

// Pages with their captions on a strip of tabs; one page is shown at a time.
// Removing a page takes it off the strip; the page and its controls live on,
// hidden, with the tab control that owns them.
class TabControl : public Control {
 public:
  static constexpr int kTabStripHeight = 26;
  static constexpr int kBorder = 3;

  explicit TabControl(std::string name) : Control(ControlKind::kTabControl, std::move(name)) {}

  TabPage& AddPage(std::string name, std::string caption);
  // The pages on the strip, in order.
  const std::vector<TabPage*>& Pages() const { return pages_; }
  std::optional<std::size_t> IndexOf(const TabPage& page) const;
  // Takes the page off the strip; false when it is not on it.
  bool RemovePage(const TabPage& page);

  int SelectedIndex() const { return selected_; }
  TabPage* SelectedPage() const;
  // Selects a page by position (ignored when out of range); raises
  // onSelectedIndexChanged when the selection changes.
  void SetSelectedIndex(int index);
  bool SelectPage(const TabPage& page);

  TabAlignment Alignment() const { return alignment_; }
  void SetAlignment(TabAlignment alignment);

  // The pages' area: the whole control but the strip of tabs and the border.
  Bounds ClientArea() const override;

  std::function<void(TabControl&)> onSelectedIndexChanged;

 protected:
  void BoundsChanged() override;

 private:
  void ShowSelected();

  std::vector<TabPage*> pages_;
  int selected_ = -1;
  TabAlignment alignment_ = TabAlignment::kTop;
};

// A timer as the dialog uses it: a back-end (or a test) calls Tick() every
// `Interval()` milliseconds; a disabled timer ignores ticks.
class Timer {
 public:
  explicit Timer(std::string name, int intervalMs = 100)
      : name_(std::move(name)), interval_(intervalMs) {}

  const std::string& Name() const { return name_; }
  int Interval() const { return interval_; }
  void SetInterval(int ms) { interval_ = ms; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void Start() { enabled_ = true; }
  void Stop() { enabled_ = false; }

  // One elapsed interval; returns whether the handler ran.
  bool Tick();

  std::function<void(Timer&)> onTick;

 private:
  std::string name_;
  int interval_;
  bool enabled_ = false;
};

}  // namespace kelvora::ui
