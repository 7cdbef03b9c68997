// A top-level window as a model: title, client size, shown or hidden, window
// state, the close request that a handler may cancel, focus, and the result of a
// modal run with its accept and cancel buttons.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/picture.h"
#include "ui/control.h"
#include "ui/widgets.h"

namespace kelvora::ui {

enum class WindowState { kNormal, kMinimised, kMaximised };

enum class CloseReason {
  kUser,  // the window's close box
  kCode,  // the program asked
};

struct FormClosingEvent {
  CloseReason reason = CloseReason::kCode;
  bool cancel = false;  // a handler sets it to keep the form open
};

// The form's bounds are its client area: (0, 0, client width, client height).
// A form starts hidden.
class Form : public Control {
 public:
  Form(std::string name, std::string title, int clientWidth, int clientHeight);

  const std::string& Title() const { return Text(); }
  void SetClientSize(int width, int height);

  WindowState GetWindowState() const { return windowState_; }
  void SetWindowState(WindowState state);

  // Shows the form. The first show runs onLoad before the form becomes visible;
  // the show then completes, so a hide or close asked for during the form's own
  // Load step does not keep the first show from showing it.
  void Show();
  void Hide() { SetVisible(false); }
  bool Loaded() const { return loaded_; }

  // A close request: raises onFormClosing; unless a handler cancels it the form
  // is hidden and counts as closed. Returns whether it closed.
  bool Close(CloseReason reason = CloseReason::kCode);
  bool Closed() const { return closed_; }

  // Gives the form the keyboard focus (the back-end activates its window).
  void Focus();
  bool Focused() const { return focused_; }
  void SetFocused(bool focused) { focused_ = focused; }

  // Modal runs: the result a button or handler set; setting one other than
  // kNone while the form runs modally ends the run.
  DialogResult ModalResult() const { return modalResult_; }
  void SetModalResult(DialogResult result);
  Button* AcceptButton() const { return acceptButton_; }
  Button* CancelButton() const { return cancelButton_; }
  void SetAcceptButton(Button* button) { acceptButton_ = button; }
  void SetCancelButton(Button* button) { cancelButton_ = button; }
  // Enter and Escape as the operator presses them: they click the accept and
  // the cancel button. False when there is none.
  bool PressEnter();
  bool PressEscape();

  const std::optional<geometry::Picture>& Icon() const { return icon_; }
  void SetIcon(geometry::Picture icon) { icon_ = std::move(icon); }

  std::function<void(Form&)> onLoad;
  std::function<void(Form&, FormClosingEvent&)> onFormClosing;
  std::function<void(Form&)> onResize;

 protected:
  void BoundsChanged() override;

 private:
  WindowState windowState_ = WindowState::kNormal;
  bool loaded_ = false;
  bool closed_ = false;
  bool focused_ = false;
  DialogResult modalResult_ = DialogResult::kNone;
  Button* acceptButton_ = nullptr;
  Button* cancelButton_ = nullptr;
  std::optional<geometry::Picture> icon_;
};

// The form a control lies on, or null.
Form* FormOf(Control& control);

// The first control of that name below `root` (itself included), or null.
Control* FindByName(Control& root, std::string_view name);

// A modal form's "OK" and "Cancel" buttons (btnOK, btnCancel), made its accept
// and cancel buttons: OK runs `onOk`, which ends the run with OK when the form's
// boxes are sound; Cancel ends it with Cancel. The caller places them.
void AddOkCancel(Form& form, std::function<void()> onOk);

}  // namespace kelvora::ui
