#include "ui/form.h"

namespace kelvora::ui {

Form::Form(std::string name, std::string title, int clientWidth, int clientHeight)
    : Control(ControlKind::kForm, std::move(name), std::move(title)) {
  SetBounds({0, 0, clientWidth, clientHeight});
  SetVisible(false);
}

void Form::SetClientSize(int width, int height) {
  SetBounds({GetBounds().x, GetBounds().y, width, height});
}

void Form::BoundsChanged() {
  if (onResize) onResize(*this);
}

void Form::SetWindowState(WindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  Notify(Change::kWindowState);
}

void Form::Show() {
  closed_ = false;
  if (!loaded_) {
    loaded_ = true;
    if (onLoad) onLoad(*this);
    closed_ = false;
  }
  SetVisible(true);
}

bool Form::Close(CloseReason reason) {
  FormClosingEvent e{reason};
  if (onFormClosing) onFormClosing(*this, e);
  if (e.cancel) return false;
  closed_ = true;
  SetVisible(false);
  return true;
}

void Form::Focus() {
  focused_ = true;
}

void Form::SetModalResult(DialogResult result) {
  modalResult_ = result;
}

bool Form::PressEnter() {
  return acceptButton_ && acceptButton_->Click();
}

bool Form::PressEscape() {
  return cancelButton_ && cancelButton_->Click();
}

Form* FormOf(Control& control) {
  for (Control* c = &control; c; c = c->Parent()) {
    if (c->Kind() == ControlKind::kForm) return static_cast<Form*>(c);
  }
  return nullptr;
}

Control* FindByName(Control& root, std::string_view name) {
  Control* found = nullptr;
  ForEachControl(root, [&](Control& c) {
    if (!found && c.Name() == name) found = &c;
  });
  return found;
}

void AddOkCancel(Form& form, std::function<void()> onOk) {
  auto& ok = form.Add<Button>("btnOK", "OK");
  ok.onClick = [onOk = std::move(onOk)](Button&) { onOk(); };
  auto& cancel = form.Add<Button>("btnCancel", "Cancel");
  cancel.SetDialogResult(DialogResult::kCancel);
  form.SetAcceptButton(&ok);
  form.SetCancelButton(&cancel);
}

}  // namespace kelvora::ui
