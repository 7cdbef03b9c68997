// The plug-in's windows on the posix platform: the dialog's models are the
// windows. Each form is made reachable through the simulated system by name, as a
// native window would be, and message boxes go to whoever answers them there.
#include <exception>
#include <memory>

#include "dialog/xyz_demo_dialog.h"
#include "platform/posix/sim_os.h"
#include "plugin/dialog_port.h"
#include "plugin/platform_dialogs.h"
#include "plugin/system.h"
#include "ui/data_grid.h"
#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::plugin {

namespace {

// A form and its controls, as the operator reaches them.
class FormWindow final : public simos::UiWindow {
 public:
  using Finder = std::function<ui::Control*(std::string_view)>;
  FormWindow(std::string name, ui::Form& form, Finder find)
      : name_(std::move(name)), form_(form), find_(std::move(find)) {
    simos::RegisterUiWindow(this);
  }
  ~FormWindow() override { simos::UnregisterUiWindow(this); }
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  std::string Name() const override { return name_; }
  bool Visible() const override { return form_.Visible(); }
  simos::WindowState State() const override {
    switch (form_.GetWindowState()) {
      case ui::WindowState::kMinimised:
        return simos::WindowState::kMinimised;
      case ui::WindowState::kMaximised:
        return simos::WindowState::kMaximised;
      case ui::WindowState::kNormal:
        break;
    }
    return simos::WindowState::kNormal;
  }
  void SetState(simos::WindowState state) override {
    Guard([&] {
      form_.SetWindowState(state == simos::WindowState::kMinimised   ? ui::WindowState::kMinimised
                           : state == simos::WindowState::kMaximised ? ui::WindowState::kMaximised
                                                                     : ui::WindowState::kNormal);
    });
  }
  void RequestClose() override {
    Guard([&] { form_.Close(ui::CloseReason::kUser); });
  }

  std::optional<std::string> ControlText(const std::string& name) const override {
    ui::Control* control = find_(name);
    if (control == nullptr) return std::nullopt;
    if (auto* check = dynamic_cast<ui::CheckBox*>(control)) {
      return check->Checked() ? "True" : "False";
    }
    return control->Text();
  }

  std::optional<std::size_t> RowCount(const std::string& name) const override {
    auto* grid = dynamic_cast<ui::DataGrid*>(find_(name));
    if (grid == nullptr) return std::nullopt;
    return grid->RowCount();
  }
  std::optional<std::string> CellText(const std::string& name, std::size_t row,
                                      const std::string& column) const override {
    auto* grid = dynamic_cast<ui::DataGrid*>(find_(name));
    if (grid == nullptr || row >= grid->RowCount()) return std::nullopt;
    auto index = grid->ColumnIndex(column);
    if (!index) return std::nullopt;
    return std::string(grid->Text(row, *index));
  }

  // The operator selects the box's text, deletes it and types, key by key.
  Outcome<void> Type(const std::string& name, const std::string& utf8) override {
    auto* box = dynamic_cast<ui::TextBox*>(find_(name));
    if (box == nullptr) return Refused("no text box " + name);
    if (!Reachable(*box)) return Refused(name + " is hidden or disabled");
    return Guard([&] {
      box->SelectAll();
      box->TypeChar(ui::kKeyBackspace);
      box->Type(utf8);
    });
  }

  Outcome<void> Click(const std::string& name) override {
    ui::Control* control = find_(name);
    if (control == nullptr) return Refused("no control " + name);
    if (!Reachable(*control)) return Refused(name + " is hidden or disabled");
    if (auto* button = dynamic_cast<ui::Button*>(control)) {
      return Guard([&] { button->Click(); });
    }
    if (auto* check = dynamic_cast<ui::CheckBox*>(control)) {
      return Guard([&] { check->Click(); });
    }
    return Refused(name + " cannot be clicked");
  }

  Outcome<void> SetChecked(const std::string& name, bool checked) override {
    auto* check = dynamic_cast<ui::CheckBox*>(find_(name));
    if (check == nullptr) return Refused("no check box " + name);
    if (!Reachable(*check)) return Refused(name + " is hidden or disabled");
    if (check->Checked() == checked) return {};
    return Guard([&] { check->Click(); });
  }

  Outcome<void> ClickCell(const std::string& name, std::size_t line,
                          const std::string& column) override {
    auto* grid = dynamic_cast<ui::DataGrid*>(find_(name));
    if (grid == nullptr) return Refused("no grid " + name);
    if (!Reachable(*grid)) return Refused(name + " is hidden or disabled");
    auto index = grid->ColumnIndex(column);
    if (!index) return Refused(name + " has no column " + column);
    bool clicked = false;
    const Outcome<void> done = Guard([&] { clicked = grid->SetCurrentCell({line, *index}); });
    if (!done || clicked) return done;
    return Refused(name + " has no line " + std::to_string(line + 1));
  }

  // A drop-down's item, or a tab control's page (by caption or name).
  Outcome<void> SelectItem(const std::string& name, const std::string& item) override {
    ui::Control* control = find_(name);
    if (auto* combo = dynamic_cast<ui::ComboBox*>(control)) {
      const auto& items = combo->Items();
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == item) return Guard([&] { combo->SetSelectedIndex(static_cast<int>(i)); });
      }
      return Refused(name + " has no item \"" + item + "\"");
    }
    if (auto* tabs = dynamic_cast<ui::TabControl*>(control)) {
      for (ui::TabPage* page : tabs->Pages()) {
        if (page->Text() == item || page->Name() == item) {
          return Guard([&] { tabs->SelectPage(*page); });
        }
      }
      return Refused(name + " has no page \"" + item + "\"");
    }
    return Refused("no drop-down or tab control " + name);
  }

 private:
  // Shown and enabled, with every control it lies in.
  static bool Reachable(const ui::Control& control) {
    for (const ui::Control* c = &control; c != nullptr; c = c->Parent()) {
      if (!c->Enabled()) return false;
      if (!c->Visible() && c->Kind() != ui::ControlKind::kForm &&
          c->Kind() != ui::ControlKind::kTabPage) {
        return false;
      }
    }
    return true;
  }

  // Runs an action of the operator's; a failure inside the dialog is reported to
  // the caller instead of ending the host.
  template <typename Action>
  static Outcome<void> Guard(Action action) {
    try {
      action();
      return {};
    } catch (const std::exception& e) {
      return Refused(std::string("the dialog failed: ") + e.what());
    }
  }

  std::string name_;
  ui::Form& form_;
  Finder find_;
};

ui::Control* FindInForm(ui::Form& form, std::string_view name) {
  ui::Control* found = nullptr;
  ui::ForEachControl(form, [&](ui::Control& control) {
    if (found == nullptr && control.Name() == name) found = &control;
  });
  return found;
}

// Message boxes and file dialogs, answered through the simulated system.
class SimPrompts final : public ui::Prompts {
 public:
  void Message(std::string_view text, std::string_view caption) override {
    simos::ShowPrompt({simos::PromptKind::kMessage, std::string(text), std::string(caption), {}});
  }
  bool YesNo(std::string_view text, std::string_view caption) override {
    return simos::ShowPrompt(
               {simos::PromptKind::kYesNo, std::string(text), std::string(caption), {}})
        .yes;
  }
  std::optional<std::string> OpenFile(std::string_view filter) override {
    return simos::ShowPrompt({simos::PromptKind::kOpenFile, {}, {}, std::string(filter)}).path;
  }
  std::optional<std::string> SaveFile(std::string_view filter) override {
    return simos::ShowPrompt({simos::PromptKind::kSaveFile, {}, {}, std::string(filter)}).path;
  }
  ui::DialogResult ShowModal(ui::Form& form) override {
    FormWindow window(form.Name(), form,
                      [&form](std::string_view name) { return FindInForm(form, name); });
    form.SetModalResult(ui::DialogResult::kNone);
    form.Show();
    simos::PromptAnswer answer =
        simos::ShowPrompt({simos::PromptKind::kModalForm, form.Title(), form.Name(), {}});
    if (answer.yes) {
      if (!form.PressEnter()) form.SetModalResult(ui::DialogResult::kOk);
    } else if (!form.PressEscape()) {
      form.SetModalResult(ui::DialogResult::kCancel);
    }
    form.Hide();
    return form.ModalResult();
  }
};

// The main dialog with its window registered for as long as it lives.
class WindowedDialog final : public XYZDemoDialogPort {
 public:
  explicit WindowedDialog(std::unique_ptr<dialog::XYZDemoDialog> dialog)
      : XYZDemoDialogPort(std::move(dialog)),
        window_("XYZDemoDialog", Dialog().GetForm(),
                [this](std::string_view name) { return Dialog().FindControl(name); }) {}

 private:
  FormWindow window_;
};

class PosixDialogs final : public PlatformDialogs<SimPrompts> {
 public:
  std::unique_ptr<PluginDialog> CreateMainDialog() override {
    return std::make_unique<WindowedDialog>(MakeMainDialog());
  }
};

}  // namespace

PluginDialogs& SystemDialogs() {
  static PosixDialogs dialogs;
  return dialogs;
}

}  // namespace kelvora::plugin
