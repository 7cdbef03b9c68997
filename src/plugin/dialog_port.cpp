#include "plugin/dialog_port.h"

#include <system_error>

#include "dialog/teach_table.h"
#include "plugin/load_file_obj.h"
#include "plugin/settings_keys.h"
#include "text/files.h"
#include "ui/data_grid.h"
#include "ui/text_box.h"

namespace kelvora::plugin {

std::string GcodeFolderHandOff::WriteProgramFile(std::string_view bytes) {
  CreateGcodeFolder();
  return text::WriteFileAtomic(paths_.LocalPath(kTempTapPath), bytes);
}

void GcodeFolderHandOff::CreateGcodeFolder() {
  std::error_code ignored;  // a folder that cannot be made shows up as a failed Load
  std::filesystem::create_directories(paths_.LocalPath(kGcodeFolder), ignored);
}

XYZDemoDialogPort::XYZDemoDialogPort(std::unique_ptr<dialog::XYZDemoDialog> dialog)
    : dialog_(std::move(dialog)) {}

DialogWindowState XYZDemoDialogPort::WindowState() const {
  switch (dialog_->GetForm().GetWindowState()) {
    case ui::WindowState::kMinimised:
      return DialogWindowState::kMinimised;
    case ui::WindowState::kMaximised:
      return DialogWindowState::kMaximised;
    case ui::WindowState::kNormal:
      break;
  }
  return DialogWindowState::kNormal;
}

void XYZDemoDialogPort::LoadParam(const Settings& settings) {
  settings_ = settings;
  given_.clear();
  std::vector<dialog::StoredValue> values;
  for (const SettingsKey* key : FirstOpeningReadOrder()) {
    values.push_back(
        {std::string(key->key), std::string(key->control), settings.ControlText(key->key)});
    given_[values.back().key] = values.back().text;
  }
  dialog_->LoadParam(values);
}

Settings XYZDemoDialogPort::SaveParam() {
  std::vector<dialog::StoredValue> wanted;
  for (const SettingsKey& key : SettingsKeys()) {
    if (key.key == "Dlg") continue;
    wanted.push_back(
        {std::string(key.key), std::string(key.control), settings_.ControlText(key.key)});
  }
  Settings saved = settings_;
  for (const dialog::StoredValue& value : dialog_->SaveParam(std::move(wanted))) {
    // A value without a control of the main window that nothing changed keeps its
    // stored precision (its text went through a display pattern).
    const SettingsKey* key = FindSettingsKey(value.key);
    const bool mainWindowControl =
        key != nullptr && key->shownAs != ShownAs::kNone && key->shownAs != ShownAs::kAutoGen;
    auto given = given_.find(value.key);
    if (!mainWindowControl && given != given_.end() && given->second == value.text) continue;
    // A text that does not convert keeps the value the key had.
    saved.SetFromControlText(value.key, value.text);
  }
  return saved;
}

void XYZDemoDialogPort::SetBoxText(std::string_view name, const std::string& text) {
  if (auto* box = dialog_->Find<ui::TextBox>(name)) box->SetText(text);
}

void XYZDemoDialogPort::SetPointPosition(const std::string& x, const std::string& y) {
  SetBoxText("textBoxX", x);
  SetBoxText("textBoxY", y);
}

void XYZDemoDialogPort::SetTeachPosition(const dialog::TeachPosition& position) {
  static constexpr std::string_view kBoxes[] = {"txtTchX", "txtTchY", "txtTchZ",
                                                "txtTchA", "txtTchB", "txtTchC"};
  for (std::size_t i = 0; i < position.size(); ++i) SetBoxText(kBoxes[i], position[i]);
}

void XYZDemoDialogPort::RunTeachAction(dialog::TeachAction action) {
  auto* grid = dialog_->Find<ui::DataGrid>("dataGridView2");
  if (grid == nullptr) return;
  std::optional<std::string> message;
  if (action == dialog::TeachAction::kGetPos) {
    dialog::TeachPosition position;
    static constexpr std::string_view kBoxes[] = {"txtTchX", "txtTchY", "txtTchZ",
                                                  "txtTchA", "txtTchB", "txtTchC"};
    for (std::size_t i = 0; i < position.size(); ++i) {
      if (auto* box = dialog_->Find<ui::TextBox>(kBoxes[i])) position[i] = box->Text();
    }
    message = dialog::GetPos(*grid, position);
  } else {
    generators::TeachOpLists lists;
    lists.tempOpList = dialog_->tempOpList;
    const std::size_t definition = action == dialog::TeachAction::kSetOp1   ? 1
                                   : action == dialog::TeachAction::kSetOp2 ? 2
                                                                            : 3;
    message = dialog::SetOp(*grid, lists, definition);
  }
  if (message) dialog_->GetPrompts().Message(*message);
}

}  // namespace kelvora::plugin
