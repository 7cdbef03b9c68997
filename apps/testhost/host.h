// The replacement host: plays the host's part for a plug-in library. It loads the
// library, hands over callbacks backed by its own DROs, LEDs, buttons and status
// line, allocates the four data blocks at full size, shows a menu bar, registers
// its automation object, answers message boxes from a script, and records what
// the plug-in asked of it.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host_driver.h"
#include "platform/posix/sim_os.h"

namespace kelvora::testhost {

// Full sizes of the host's blocks: larger than every place the plug-in touches.
inline constexpr std::size_t kEngineBlockSize = 256 * 1024;
inline constexpr std::size_t kSetupBlockSize = 64 * 1024;
inline constexpr std::size_t kPlannerBlockSize = 1280 * 1024;
inline constexpr std::size_t kMachViewBlockSize = 256 * 1024;
inline constexpr std::size_t kMainWindowObjectSize = 256;

struct ShownPrompt {
  simos::PromptKind kind;
  std::string text;
  std::string caption;
  std::string filter;
};

class TestHost {
 public:
  explicit TestHost(HostOptions options);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // Loads the library and runs the host's start-up order: the callbacks, the
  // profile path, the data blocks, the post-initialisation. Empty, or what failed.
  std::string Start(const std::filesystem::path& library, const std::string& profilePath);
  // One update cycle; afterwards waits for the plug-in's loader threads to end,
  // so what they did is settled before the next step.
  std::string Update();
  void Notify(int id);
  void Config();
  void JogOff(std::int16_t axis);
  // Registers the automation object (ProgID and running object) after start-up;
  // says why not when it is registered already.
  std::string RegisterAutomationNow();
  // StopPlug, then the library is unloaded.
  std::string Shutdown();
  bool Started() const { return library_ != nullptr; }
  bool ShutDown() const { return shutDown_; }

  // The menu command id of the entry `entry` under the top-level menu `top`.
  std::optional<int> MenuCommand(const std::string& top, const std::string& entry) const;
  std::vector<std::string> MenuTexts(const std::string& top) const;

  // Host state the scenario sets and reads.
  void SetDro(std::int16_t code, double value) { dros_[code] = value; }
  void SetEngineByte(std::size_t offset, std::uint8_t value);
  std::uint8_t EngineByte(std::size_t offset) const;
  std::optional<std::string> Status() const;
  const std::vector<int>& Buttons() const { return buttons_; }
  std::vector<LoadCall> LoadCalls() const;
  int ScriptCalls() const;

  // Message boxes: answers queued by the script, prompts shown.
  void QueueAnswer(simos::PromptKind kind, simos::PromptAnswer answer);
  // A modal form: the values go into its controls (text boxes typed, check boxes
  // set from "True"/"False") before it is ended with its accept or cancel button.
  void QueueFormAnswer(bool accept, FormValues values);
  std::size_t PendingAnswers() const { return answers_.size(); }
  std::vector<ShownPrompt> TakePrompts();
  // Problems seen outside a step: a prompt nobody answered, a string header the
  // host's manager did not hand out. Cleared when taken.
  std::vector<std::string> TakeFaults();

  // Called from the host's callbacks and objects.
  void PressButton(int code);
  double ReadDro(std::int16_t code) { return dros_[code]; }
  void RecordLoad(const std::u16string& path);
  void RecordScriptCall();
  simos::PromptAnswer AnswerPrompt(const simos::PromptRequest& request);
  void Fault(std::string text);

  // The status string's manager (see plugin/host_string.h for the layout).
  struct StringManager;
  void* AllocateHeader(int allocLength);
  void FreeHeader(void* header);

 private:
  struct Document;

  void BuildMenu();
  std::vector<simos::MenuItem> MenuEntries(const std::string& top) const;
  void RegisterAutomation();
  void InitStatusString();

  HostOptions options_;
  std::vector<unsigned char> engine_;
  std::vector<unsigned char> setup_;
  std::vector<unsigned char> planner_;
  std::vector<unsigned char> machView_;
  std::vector<unsigned char> mainWindowObject_;
  simos::Window* window_ = nullptr;
  simos::Menu* menuBar_ = nullptr;

  std::map<std::int16_t, double> dros_;
  std::vector<int> buttons_;
  std::unique_ptr<Document> document_;
  std::unique_ptr<StringManager> stringManager_;

  mutable std::mutex recordMutex_;  // loads and script calls come from other threads
  std::vector<LoadCall> loads_;
  int scriptCalls_ = 0;

  std::mutex faultMutex_;
  std::vector<std::string> faults_;
  std::deque<std::pair<simos::PromptKind, simos::PromptAnswer>> answers_;
  std::deque<FormValues> formValues_;  // one per queued modal-form answer
  std::vector<ShownPrompt> prompts_;

  void* library_ = nullptr;
  bool shutDown_ = false;
};

}  // namespace kelvora::testhost
