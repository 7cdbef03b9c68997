#include "plugin/dialog_port.h"

#include <system_error>
#include <type_traits>
#include <variant>

#include "plugin/dialog_settings.h"
#include "plugin/load_file_obj.h"
#include "ui/text_box.h"

namespace kelvora::plugin {

Outcome<void> GcodeFolderHandOff::WriteProgramFile(std::string_view bytes) {
  CreateGcodeFolder();
  return files_.ReplaceFileContent(paths_.LocalPath(kTempTapPath), bytes);
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

void XYZDemoDialogPort::LoadParam(const settings::Settings& settings) {
  settings_ = settings;
  plugin::LoadParam(*dialog_, settings);
}

settings::Settings XYZDemoDialogPort::SaveParam() {
  settings::Settings saved = settings_;
  plugin::SaveParam(*dialog_, saved);
  // A value without a control of the main window travels as text through its
  // display pattern; when nothing changed it, it keeps its stored precision.
  for (const dialog::StoredValue& given : StoredValues(settings_)) {
    if (!given.control.empty()) continue;
    if (dialog_->MirrorValue(given.key) != given.text) continue;
    std::visit(
        [&](const auto& value) {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, bool>) saved.SetBool(given.key, value);
          if constexpr (std::is_same_v<T, int>) saved.SetInt(given.key, value);
          if constexpr (std::is_same_v<T, double>) saved.SetDouble(given.key, value);
          if constexpr (std::is_same_v<T, std::string>) saved.SetString(given.key, value);
        },
        settings_.Get(given.key));
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
  dialog_->RunTeachAction(action);
}

}  // namespace kelvora::plugin
