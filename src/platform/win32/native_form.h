// The native window back-end: mirrors a form's widget models into Win32
// windows and feeds what the operator does with them back into the models.
//
// One NativeForm per form. It creates the top-level window and one native
// control per model control (all children of the form's window, placed where
// the models lie), observes every model's changes and updates only what
// changed; clicks, selections, typed characters (through the text boxes' key
// filters, on WM_CHAR), minimising, restoring, resizing and the close box go to
// the models. Handles are void* so this header needs no Windows header.
#pragma once

#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/form.h"
#include "ui/widgets.h"

namespace kelvora::win32 {

class NativeForm {
 public:
  // Creates the window and its controls, shown as the model is. `owner` is the
  // HWND of an owner window (for modal forms) or null. A control that cannot be
  // created is left out and named in Failure(); the rest still works.
  explicit NativeForm(ui::Form& form, void* owner = nullptr);
  ~NativeForm();
  NativeForm(const NativeForm&) = delete;
  NativeForm& operator=(const NativeForm&) = delete;

  // The form's HWND, or null when the window could not be made.
  void* Handle() const;
  // The HWND that shows `control`, or null (tab pages have none).
  void* ControlHandle(const ui::Control& control) const;
  // What could not be created; empty when everything was.
  const std::string& Failure() const;

  // Brings the grids up to date with their tables and the timers with their
  // models (neither raises events).
  void RefreshGrids();

  // Runs `timer` while its model is enabled: a Win32 timer of the form's window
  // at the model's interval ticks it. Enabling and disabling are followed after
  // every event the back-end delivers and on RefreshGrids().
  void AddTimer(ui::Timer& timer);

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Keyboard navigation (Tab, Shift+Tab, Enter, Escape, arrow keys) inside the
// back-end's windows, for hosts whose message loop does not call
// IsDialogMessage: a message hook of the calling thread does it. Counted: the
// hook stays while any install is not matched by a remove.
bool InstallDialogMessageHook();
void RemoveDialogMessageHook();

}  // namespace kelvora::win32
