// What the scenario runner needs of a host: the host's side of the plug-in's
// interface (start-up, update cycles, menu, DROs, engine bytes, status line,
// automation calls, prompts) and the plug-in's window as the operator uses it.
// The simulated system and Win32 each implement it once; the runner reads the
// scenario and writes every expectation once, over either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora::testhost {

// The first command id the host hands out to a plug-in.
inline constexpr int kFirstCommandId = 1200;

enum class AutomationSetup { kRegistered, kClassIdOnly, kNotRunning };
enum class ScriptResult { kDispatch, kEmpty, kInteger };

// How the host is set up before it starts.
struct HostOptions {
  bool plugInMenu = true;
  AutomationSetup automation = AutomationSetup::kRegistered;
  ScriptResult scriptResult = ScriptResult::kDispatch;
  bool loadFails = false;
};

enum class PromptKind { kMessage, kYesNo, kOpenFile, kSaveFile, kModalForm };

// A box the plug-in showed: a file dialog's text is its filter, a modal form's
// text its name.
struct Prompt {
  PromptKind kind = PromptKind::kMessage;
  std::string text;
  std::string caption;
};

// A modal form's values, CONTROL=VALUE: typed into text boxes, "True"/"False"
// for check boxes.
using FormValues = std::vector<std::pair<std::string, std::string>>;

// How the operator answers the next box: OK, yes or no, a file (none: the
// dialog is cancelled), or a form filled and accepted or cancelled.
struct Answer {
  PromptKind kind = PromptKind::kMessage;
  bool yes = false;
  std::optional<std::filesystem::path> path;
  FormValues values;
};

// One call of "LoadGCodeFile": the path as passed, the file's bytes at that
// moment (nullopt when it could not be read), and whether it arrived on the
// host's own thread.
struct LoadCall {
  std::string path;
  std::optional<std::string> bytes;
  bool onHostThread = true;
};

// Checks only some hosts can make. The runner asks before it makes one.
enum class Capability {
  // Calls of the host's automation object arrive on the thread they belong to
  // (Windows marshals them into the host's apartment), so a load made from a
  // plug-in's worker thread can be told apart.
  kLoadThread,
};

enum class WindowState { kHidden, kNormal, kMinimised, kMaximised };
enum class WindowCommand { kMinimise, kRestore, kMaximise, kClose };

// A window of the plug-in, as the operator sees and uses it. Controls and grids
// are named as the plug-in names them; grid columns by their captions, rows in
// display order from 0. Actions return empty, or what went wrong.
class PluginWindow {
 public:
  virtual ~PluginWindow() = default;
  virtual WindowState State() const = 0;
  virtual void Command(WindowCommand command) = 0;

  // A control's text; a check box reads "True" or "False".
  virtual std::optional<std::string> ControlText(const std::string& control) const = 0;
  // A grid's rows, the new-row line not counted.
  virtual std::optional<std::size_t> RowCount(const std::string& grid) const = 0;
  virtual std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                              const std::string& column) const = 0;

  virtual std::string Type(const std::string& control, const std::string& text) = 0;
  virtual std::string Click(const std::string& control) = 0;
  virtual std::string SetChecked(const std::string& control, bool checked) = 0;
  // A click in a grid's cell; `line` counts from 0, the new-row line after the rows.
  virtual std::string ClickCell(const std::string& grid, std::size_t line,
                                const std::string& column) = 0;
  // An item of a drop-down list, or a page of a tab control, by its caption.
  virtual std::string Select(const std::string& control, const std::string& item) = 0;
};

class HostDriver {
 public:
  virtual ~HostDriver() = default;

  virtual bool Can(Capability capability) const = 0;

  // Readies what a run needs besides its emptied work folder (the plug-in's
  // drive C). Empty, or what failed.
  virtual std::string Prepare(const std::filesystem::path& work) = 0;
  // A "C:\..." path as the plug-in sees it, on this system.
  virtual std::filesystem::path DrivePath(const std::string& windowsPath) const = 0;

  // Loads the plug-in and runs the host's start-up order: the callbacks, the
  // profile path, the data blocks, the post-initialisation. Empty, or what failed.
  virtual std::string Start(const std::filesystem::path& library,
                            const std::filesystem::path& profile, const HostOptions& options) = 0;
  // One update cycle; afterwards the plug-in's loader threads have ended.
  virtual std::string Update() = 0;
  virtual void Notify(int id) = 0;
  virtual void Config() = 0;
  virtual void JogOff(std::int16_t axis) = 0;
  // The automation object registered only now; says why not when it is already.
  virtual std::string RegisterAutomationNow() = 0;
  virtual std::string Shutdown() = 0;

  // The host's menu bar: an entry's command id, a menu's entries.
  virtual std::optional<int> MenuCommand(const std::string& top,
                                         const std::string& entry) const = 0;
  virtual std::vector<std::string> MenuTexts(const std::string& top) const = 0;

  virtual void SetDro(std::int16_t code, double value) = 0;
  // The engine block's bytes; false or nullopt past its end.
  virtual bool SetEngineByte(std::size_t offset, std::uint8_t value) = 0;
  virtual std::optional<std::uint8_t> EngineByte(std::size_t offset) const = 0;
  // The status line; nullopt when the status string holds no buffer.
  virtual std::optional<std::string> Status() const = 0;
  virtual std::vector<int> Buttons() const = 0;
  virtual std::vector<LoadCall> LoadCalls() const = 0;
  virtual int ScriptCalls() const = 0;

  // Answers wait in order for the boxes they answer; they may be queued before
  // the host starts.
  virtual void QueueAnswer(Answer answer) = 0;
  virtual std::size_t PendingAnswers() const = 0;
  // Boxes shown since the last call.
  virtual std::vector<Prompt> TakePrompts() = 0;
  // Problems seen outside a step (a box nobody answered, a string header the
  // host did not hand out); cleared when taken.
  virtual std::vector<std::string> TakeFaults() = 0;

  // The plug-in's top-level window of that name, or null when it is not open.
  virtual std::unique_ptr<PluginWindow> FindWindow(const std::string& name) = 0;
};

// The host of this build's system.
std::unique_ptr<HostDriver> MakeHostDriver();

}  // namespace kelvora::testhost
