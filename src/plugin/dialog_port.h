// The main dialog as the plug-in's entry points use it, and the program hand-off
// into the host's fixed G-code folder.
#pragma once

#include <memory>
#include <string>

#include "dialog/program_hand_off.h"
#include "dialog/xyz_demo_dialog.h"
#include "plugin/platform.h"
#include "plugin/plugin_dialog.h"

namespace kelvora::plugin {

// Writes temp.tap into "C:\Mach3\PlugIns\Gcode" (where that lies on this machine).
// The folder is made again when it is missing, so a folder removed while the host
// runs does not make every Load fail until the host restarts. The file is
// replaced whole where it can be; a host that still holds the file open but lets
// it be written gets it rewritten in place (HostFiles).
class GcodeFolderHandOff final : public dialog::ProgramHandOff {
 public:
  GcodeFolderHandOff(const HostPaths& paths, HostFiles& files) : paths_(paths), files_(files) {}
  Outcome<void> WriteProgramFile(std::string_view bytes) override;
  void CreateGcodeFolder() override;

 private:
  const HostPaths& paths_;
  HostFiles& files_;
};

// XYZDemoDialog behind the entry points' interface: settings go in and out by the
// key table, the machine position into its boxes, the automatic mode's actions to
// the teach table.
class XYZDemoDialogPort : public PluginDialog {
 public:
  explicit XYZDemoDialogPort(std::unique_ptr<dialog::XYZDemoDialog> dialog);

  dialog::XYZDemoDialog& Dialog() { return *dialog_; }

  DialogWindowState WindowState() const override;
  bool Visible() const override { return dialog_->Visible(); }
  void ShowAndFocus() override { dialog_->ShowAndFocus(); }
  bool ParamLoaded() const override { return dialog_->ParamLoaded(); }
  void LoadParam(const settings::Settings& settings) override;
  settings::Settings SaveParam() override;
  void SetMachineSource(std::function<motion::Machine()> source) override {
    dialog_->SetMachineSource(std::move(source));
  }
  bool& LoadFileTrigger() override { return dialog_->LoadFileTrigger; }
  bool& closeFileTrigger() override { return dialog_->closeFileTrigger; }
  bool GetAuto() const override { return dialog_->GetAuto; }
  void SetPointPosition(const std::string& x, const std::string& y) override;
  void SetTeachPosition(const dialog::TeachPosition& position) override;
  void RunTeachAction(dialog::TeachAction action) override;

 private:
  void SetBoxText(std::string_view name, const std::string& text);

  std::unique_ptr<dialog::XYZDemoDialog> dialog_;
  settings::Settings settings_;  // what the first opening read; shutdown starts from it
};

}  // namespace kelvora::plugin
