#include "plugin/plugin_module.h"

#include "settings/machine_settings.h"
#include "text/number_format.h"

namespace kelvora::plugin {

PluginModule::PluginModule(const Platform& platform, PluginDialogs& dialogs)
    : platform_(platform), dialogs_(dialogs) {}

settings::MessageSink PluginModule::Messages() {
  HostMessages& messages = platform_.messages;
  return [&messages](std::string_view text, std::string_view caption) {
    messages.Message(text, caption);
  };
}

const char* PluginModule::piSetProName(const char* hostPath) {
  // The host names the file in its own code page; everything after this point
  // works in UTF-8.
  auto path = platform_.paths.HostTextToUtf8(hostPath != nullptr ? hostPath : "");
  ProfileName = path.value_or(std::string());
  settings::StartUpResult startUp = settings::SettingsStartUp(ProfileName, Messages());
  MG.xyzDemoConfig = XYZDemoConfig{startUp.enableDlg};
  // The machine is read as the first opening reads every key: a value that does
  // not convert gives its default, which the first opening's message names. The
  // start-up has told of a profile that does not load already.
  machine_ = settings::MachineOf(settings::SettingsFirstOpening(ProfileName, {}).settings);
  return kPluginName;
}

bool PluginModule::piInitControl(void* engine, void* setup, void* planner, void* view) {
  blocks = HostBlocks{engine, setup, planner, view};
  menuStart = GetMenuRange != nullptr ? GetMenuRange(kMenuIdsReserved) : 0;
  MyDevice = std::make_unique<MyDeviceClass>(blocks, platform_);
  MyDevice->Loader().Start();
  return true;
}

void PluginModule::AddMenuEntry() {
  if (blocks.MachView == nullptr) return;
  void* mainWindow = ReadHostPointer(blocks.MachView, kMachViewMainWindow);
  if (mainWindow == nullptr) return;
  void* menuBar = platform_.menu.GetMenu(ReadHostPointer(mainWindow, kMainWindowHandle));
  if (menuBar == nullptr) return;
  void* plugInMenu = nullptr;
  const int count = platform_.menu.GetMenuItemCount(menuBar);
  for (int position = 0; position < count; ++position) {
    auto item = platform_.menu.GetMenuItem(menuBar, position);
    if (item && item->text == kPlugInMenuText) {
      plugInMenu = item->subMenu;
      break;
    }
  }
  // A host without the menu runs the plug-in without an entry.
  if (plugInMenu == nullptr) return;
  platform_.menu.AppendMenuItem(plugInMenu, static_cast<std::uintptr_t>(menuStart), kPluginName);
}

void PluginModule::piPostInitControl() {
  AddMenuEntry();
  MG.xyzDemoDialog = dialogs_.CreateMainDialog();
  if (MG.xyzDemoDialog) MG.xyzDemoDialog->SetMachineSource([this] { return machine_; });
  // A window that could not be made in full is told in the host's status line;
  // the host and the rest of the window go on.
  if (MG.xyzDemoDialog && MyDevice) {
    const std::string failure = MG.xyzDemoDialog->WindowFailure();
    if (!failure.empty()) MyDevice->SetMachError(std::string(kPluginName) + ": " + failure);
  }
}

void PluginModule::piNotify(int id) {
  if (id != menuStart || !MG.xyzDemoDialog) return;
  PluginDialog& dialog = *MG.xyzDemoDialog;
  try {
    dialog.ShowAndFocus();
  } catch (...) {
    // The settings are read at the next pick instead.
    return;
  }
  if (!dialog.ParamLoaded()) {
    settings::FirstOpeningRead read = settings::SettingsFirstOpening(ProfileName, Messages());
    dialog.LoadParam(read.settings);
    // Said once the window shows the defaults that took the unreadable values' place.
    if (const auto unreadable = settings::UnreadableSettingsMessage(read)) {
      platform_.messages.Message(*unreadable, settings::kProfileCaption);
    }
  }
}

void PluginModule::MirrorMachinePosition(PluginDialog& dialog) {
  if (GetDRO == nullptr) return;
  auto dro = [this](int axis) {
    return text::FormatNumber(GetDRO(static_cast<std::int16_t>(kDroMachineX + axis)),
                              text::NumberFormat::kF3);
  };
  std::string x = dro(0);
  std::string y = dro(1);
  dialog.SetPointPosition(x, y);
  dialog::TeachPosition position;
  for (int axis = 0; axis < kAxisCount; ++axis) position[axis] = dro(axis);
  dialog.SetTeachPosition(position);
}

void PluginModule::PollTeachSignals(PluginDialog& dialog) {
  if (blocks.Engine == nullptr) return;
  dialog::TeachSignals signals;
  signals.record = ReadHostByte(blocks.Engine, kEngineSignalRecord) != 0;
  signals.op1 = ReadHostByte(blocks.Engine, kEngineSignalOp1) != 0;
  signals.op2 = ReadHostByte(blocks.Engine, kEngineSignalOp2) != 0;
  signals.op3 = ReadHostByte(blocks.Engine, kEngineSignalOp3) != 0;
  if (auto action = GetBtn_pressed.Step(signals)) dialog.RunTeachAction(*action);
}

void PluginModule::piUpdate() {
  // What the loader threads report reaches the status line here, on the host's
  // thread; the workers never touch the host's string.
  if (MyDevice) MyDevice->ServeLoadReports();
  if (!MG.xyzDemoDialog) return;
  PluginDialog& dialog = *MG.xyzDemoDialog;
  if (dialog.WindowState() == DialogWindowState::kMinimised) return;
  if (dialog.LoadFileTrigger()) {
    dialog.LoadFileTrigger() = false;
    if (MyDevice) MyDevice->ThreadLoad(kTempTapName);
  }
  if (dialog.closeFileTrigger()) {
    if (DoButton != nullptr) DoButton(kButtonCloseProgram);
    dialog.closeFileTrigger() = false;
  }
  MirrorMachinePosition(dialog);
  if (dialog.GetAuto()) PollTeachSignals(dialog);
}

void PluginModule::piConfig() {
  if (auto machine = dialogs_.ShowConfigDialog(machine_)) {
    machine_ = *machine;
    machineChanged_ = true;
  }
}

void PluginModule::piStopPlug() {
  settings::ShutdownState state;
  std::optional<settings::Settings> saved;
  if (MG.xyzDemoDialog) {
    PluginDialog& dialog = *MG.xyzDemoDialog;
    state.dialogExists = true;
    state.dialogVisible = dialog.Visible();
    // A dialog never opened holds start values, not the stored ones: only "Dlg"
    // is written then.
    if (dialog.ParamLoaded()) {
      saved = dialog.SaveParam();
      state.settings = &*saved;
    }
  }
  // The machine is the plug-in's, not the window's: written with the window's
  // settings, and on its own when the configuration dialog changed it.
  if (state.settings || machineChanged_) state.machine = &machine_;
  settings::SettingsShutdown(ProfileName, state, Messages());
}

void PluginModule::piJogOff(std::int16_t axis) {
  if (MyDevice) MyDevice->JogOff(axis);
}

}  // namespace kelvora::plugin
