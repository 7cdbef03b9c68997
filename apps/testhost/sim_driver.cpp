// The scenario runner's host on the simulated system: the replacement host
// (host.h) loads the plug-in with dlopen, and the plug-in's windows are the
// simulated system's window models.
#include <cstdlib>

#include "host.h"
#include "platform/posix/posix_platform.h"
#include "scenario.h"
#include "text/files.h"

namespace kelvora::testhost {

namespace {

// The runner's prompt kinds and the simulated system's, in pairs.
constexpr std::pair<PromptKind, simos::PromptKind> kPromptKinds[] = {
    {PromptKind::kMessage, simos::PromptKind::kMessage},
    {PromptKind::kYesNo, simos::PromptKind::kYesNo},
    {PromptKind::kOpenFile, simos::PromptKind::kOpenFile},
    {PromptKind::kSaveFile, simos::PromptKind::kSaveFile},
    {PromptKind::kModalForm, simos::PromptKind::kModalForm}};

simos::PromptKind SimKind(PromptKind kind) {
  for (const auto& [ours, sim] : kPromptKinds) {
    if (ours == kind) return sim;
  }
  return simos::PromptKind::kMessage;
}

PromptKind KindOf(simos::PromptKind kind) {
  for (const auto& [ours, sim] : kPromptKinds) {
    if (sim == kind) return ours;
  }
  return PromptKind::kMessage;
}

class SimWindow final : public PluginWindow {
 public:
  explicit SimWindow(simos::UiWindow& window) : window_(window) {}

  WindowState State() const override {
    if (!window_.Visible()) return WindowState::kHidden;
    switch (window_.State()) {
      case simos::WindowState::kMinimised:
        return WindowState::kMinimised;
      case simos::WindowState::kMaximised:
        return WindowState::kMaximised;
      default:
        return WindowState::kNormal;
    }
  }
  void Command(WindowCommand command) override {
    switch (command) {
      case WindowCommand::kMinimise:
        return window_.SetState(simos::WindowState::kMinimised);
      case WindowCommand::kRestore:
        return window_.SetState(simos::WindowState::kNormal);
      case WindowCommand::kMaximise:
        return window_.SetState(simos::WindowState::kMaximised);
      case WindowCommand::kClose:
        return window_.RequestClose();
    }
  }
  std::optional<std::string> ControlText(const std::string& control) const override {
    return window_.ControlText(control);
  }
  std::optional<std::size_t> RowCount(const std::string& grid) const override {
    return window_.RowCount(grid);
  }
  std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                      const std::string& column) const override {
    return window_.CellText(grid, row, column);
  }
  std::string Type(const std::string& control, const std::string& text) override {
    return MessageOf(window_.Type(control, text));
  }
  std::string Click(const std::string& control) override {
    return MessageOf(window_.Click(control));
  }
  std::string SetChecked(const std::string& control, bool checked) override {
    return MessageOf(window_.SetChecked(control, checked));
  }
  std::string ClickCell(const std::string& grid, std::size_t line,
                        const std::string& column) override {
    return MessageOf(window_.ClickCell(grid, line, column));
  }
  std::string Select(const std::string& control, const std::string& item) override {
    return MessageOf(window_.SelectItem(control, item));
  }

 private:
  simos::UiWindow& window_;
};

class SimulatedDriver final : public HostDriver {
 public:
  // Calls of the host's object come straight from the caller's thread here.
  bool Can(Capability) const override { return false; }

  std::string Prepare(const std::filesystem::path& work) override {
    const std::filesystem::path driveC = work / "drive_c";
    std::error_code error;
    std::filesystem::create_directories(driveC, error);
    if (error) return "cannot prepare the work folder " + work.string();
    ::setenv("KELVORA_DRIVE_C", driveC.c_str(), 1);
    return {};
  }
  std::filesystem::path DrivePath(const std::string& windowsPath) const override {
    return platform::posix::MapWindowsPath(windowsPath);
  }

  std::string Start(const std::filesystem::path& library, const std::filesystem::path& profile,
                    const HostOptions& options) override {
    host_ = std::make_unique<TestHost>(options);
    for (Answer& answer : std::exchange(early_, {})) Queue(std::move(answer));
    return host_->Start(library, text::PathToUtf8(profile));
  }
  std::string Update() override { return host_->Update(); }
  void Notify(int id) override { host_->Notify(id); }
  void Config() override { host_->Config(); }
  void JogOff(std::int16_t axis) override { host_->JogOff(axis); }
  std::string RegisterAutomationNow() override { return host_->RegisterAutomationNow(); }
  std::string Shutdown() override { return host_->Shutdown(); }

  std::optional<int> MenuCommand(const std::string& top, const std::string& entry) const override {
    return host_->MenuCommand(top, entry);
  }
  std::vector<std::string> MenuTexts(const std::string& top) const override {
    return host_->MenuTexts(top);
  }

  void SetDro(std::int16_t code, double value) override { host_->SetDro(code, value); }
  bool SetEngineByte(std::size_t offset, std::uint8_t value) override {
    if (!host_ || offset >= kEngineBlockSize) return false;
    host_->SetEngineByte(offset, value);
    return true;
  }
  std::optional<std::uint8_t> EngineByte(std::size_t offset) const override {
    if (!host_ || offset >= kEngineBlockSize) return std::nullopt;
    return host_->EngineByte(offset);
  }
  std::optional<std::string> Status() const override { return host_->Status(); }
  std::vector<int> Buttons() const override { return host_->Buttons(); }
  std::vector<LoadCall> LoadCalls() const override { return host_->LoadCalls(); }
  int ScriptCalls() const override { return host_->ScriptCalls(); }

  void QueueAnswer(Answer answer) override {
    if (host_)
      Queue(std::move(answer));
    else
      early_.push_back(std::move(answer));
  }
  std::size_t PendingAnswers() const override {
    return early_.size() + (host_ ? host_->PendingAnswers() : 0);
  }
  std::vector<Prompt> TakePrompts() override {
    std::vector<Prompt> prompts;
    if (!host_) return prompts;
    for (ShownPrompt& shown : host_->TakePrompts()) {
      // A file dialog is known by its filter.
      const bool fileDialog =
          shown.kind == simos::PromptKind::kOpenFile || shown.kind == simos::PromptKind::kSaveFile;
      prompts.push_back({KindOf(shown.kind), std::move(fileDialog ? shown.filter : shown.text),
                         std::move(shown.caption)});
    }
    return prompts;
  }
  std::vector<std::string> TakeFaults() override {
    return host_ ? host_->TakeFaults() : std::vector<std::string>{};
  }

  std::unique_ptr<PluginWindow> FindWindow(const std::string& name) override {
    simos::UiWindow* window = simos::FindUiWindow(name);
    if (window == nullptr) return nullptr;
    return std::make_unique<SimWindow>(*window);
  }

 private:
  void Queue(Answer answer) {
    if (answer.kind == PromptKind::kModalForm) {
      host_->QueueFormAnswer(answer.yes, std::move(answer.values));
      return;
    }
    simos::PromptAnswer queued;
    queued.yes = answer.yes;
    if (answer.path) queued.path = answer.path->string();
    host_->QueueAnswer(SimKind(answer.kind), std::move(queued));
  }

  std::unique_ptr<TestHost> host_;
  std::vector<Answer> early_;  // answers given before the host started
};

}  // namespace

std::unique_ptr<HostDriver> MakeHostDriver() {
  return std::make_unique<SimulatedDriver>();
}

}  // namespace kelvora::testhost
