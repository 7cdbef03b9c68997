#include "runner.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <string_view>

#include "plugin/host_interface.h"
#include "plugin/xml_net_profile.h"
#include "text/files.h"

namespace kelvora::testhost {

namespace {

constexpr char kMainDialog[] = "XYZDemoDialog";
constexpr std::size_t kAnyCount = std::numeric_limits<std::size_t>::max();

using Words = std::vector<std::string>;

// When a step or expectation may be taken.
enum class When {
  kAlways,
  kBeforeStart,  // host settings and the start itself
  kStarted,      // the host has started (it may have shut down since)
  kRunning,      // the host has started and not shut down
};

class Runner;

// A step ("update 3") or an expectation ("expect rows GRID 3"): its name, how
// many words follow the name, when it may be taken, and what takes it. A
// handler gets the words after the name and returns empty, or what failed.
struct StepRow {
  std::string_view name;
  std::size_t minWords;
  std::size_t maxWords;
  When when;
  std::string (Runner::*handler)(const Words& w);
};

// A host setting's value and what it sets.
struct HostSetting {
  std::string_view setting;
  std::string_view value;
  void (*apply)(HostOptions& options);
};

constexpr HostSetting kHostSettings[] = {
    {"plugin-menu", "on", [](HostOptions& o) { o.plugInMenu = true; }},
    {"plugin-menu", "off", [](HostOptions& o) { o.plugInMenu = false; }},
    {"automation", "registered",
     [](HostOptions& o) { o.automation = AutomationSetup::kRegistered; }},
    {"automation", "classid-only",
     [](HostOptions& o) { o.automation = AutomationSetup::kClassIdOnly; }},
    {"automation", "not-running",
     [](HostOptions& o) { o.automation = AutomationSetup::kNotRunning; }},
    {"script-result", "dispatch", [](HostOptions& o) { o.scriptResult = ScriptResult::kDispatch; }},
    {"script-result", "empty", [](HostOptions& o) { o.scriptResult = ScriptResult::kEmpty; }},
    {"script-result", "integer", [](HostOptions& o) { o.scriptResult = ScriptResult::kInteger; }},
    {"load-result", "ok", [](HostOptions& o) { o.loadFails = false; }},
    {"load-result", "fail", [](HostOptions& o) { o.loadFails = true; }},
};

constexpr std::pair<std::string_view, std::size_t> kSignals[] = {
    {"record", plugin::kEngineSignalRecord},
    {"op1", plugin::kEngineSignalOp1},
    {"op2", plugin::kEngineSignalOp2},
    {"op3", plugin::kEngineSignalOp3}};

constexpr std::pair<std::string_view, PromptKind> kPromptKinds[] = {
    {"message", PromptKind::kMessage},
    {"yesno", PromptKind::kYesNo},
    {"open", PromptKind::kOpenFile},
    {"save", PromptKind::kSaveFile},
    {"form", PromptKind::kModalForm}};

constexpr std::pair<std::string_view, WindowCommand> kWindowCommands[] = {
    {"minimise", WindowCommand::kMinimise},
    {"restore", WindowCommand::kRestore},
    {"maximise", WindowCommand::kMaximise},
    {"close", WindowCommand::kClose}};

constexpr std::pair<std::string_view, WindowState> kWindowStates[] = {
    {"hidden", WindowState::kHidden},
    {"normal", WindowState::kNormal},
    {"minimised", WindowState::kMinimised},
    {"maximised", WindowState::kMaximised}};

// The value a name stands for in a table of pairs, or nullptr.
template <typename Value, std::size_t N>
const Value* Lookup(const std::pair<std::string_view, Value> (&table)[N], std::string_view name) {
  for (const auto& [key, value] : table) {
    if (key == name) return &value;
  }
  return nullptr;
}

template <typename Value, std::size_t N>
std::string_view NameOf(const std::pair<std::string_view, Value> (&table)[N], Value value) {
  for (const auto& [key, entry] : table) {
    if (entry == value) return key;
  }
  return "?";
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : std::string(separator)) + part;
  return out;
}

// "on" or "off" as a byte, or nullopt.
std::optional<std::uint8_t> OnOff(const std::string& word) {
  if (word == "on") return 1;
  if (word == "off") return 0;
  return std::nullopt;
}

// A row as the scenario counts it (from 1), as an index from 0.
std::optional<std::size_t> RowIndex(const std::string& word) {
  auto row = ParseWhole(word);
  if (!row || *row < 1) return std::nullopt;
  return static_cast<std::size_t>(*row - 1);
}

// SECTION/KEY of the profile, split.
std::pair<std::string, std::string> ProfileEntry(const std::string& word) {
  const std::size_t cut = word.find('/');
  if (cut == std::string::npos) return {word, ""};
  return {word.substr(0, cut), word.substr(cut + 1)};
}

class Runner {
 public:
  Runner(std::filesystem::path file, const RunOptions& options, HostDriver& driver,
         std::ostream& errors)
      : file_(std::move(file)), options_(options), driver_(driver), errors_(errors) {}

  bool Run();

 private:
  static const StepRow kSteps[];
  static const StepRow kExpectations[];

  bool Fail(int line, const std::string& message) {
    errors_ << file_.string() << ":" << line << ": " << message << "\n";
    return false;
  }

  // A path in a step: "profile", "@data/..." or "@work/...", a "C:\..." path as
  // the plug-in sees it, or a local one.
  std::filesystem::path FilePath(const std::string& word) const {
    if (word == "profile") return profile_;
    if (word.rfind("@data/", 0) == 0) return options_.data / text::PathFromUtf8(word.substr(6));
    if (word.rfind("@work/", 0) == 0) return options_.work / text::PathFromUtf8(word.substr(6));
    if (word.size() >= 2 && word[1] == ':') return driver_.DrivePath(word);
    return text::PathFromUtf8(word);
  }

  std::string Take(const StepRow* rows, std::size_t count, const Words& w, std::size_t first,
                   std::string_view unknown);
  std::unique_ptr<PluginWindow> MainWindow(std::string& failure);
  std::string SetEngine(std::size_t offset, std::uint8_t value);

  // Steps.
  std::string HostStep(const Words& w);
  std::string ProfileStep(const Words& w);
  std::string StartStep(const Words& w);
  std::string ExpectStep(const Words& w);
  std::string AnswerStep(const Words& w);
  std::string RemoveStep(const Words& w);
  std::string WriteStep(const Words& w);
  std::string MenuStep(const Words& w);
  std::string NotifyStep(const Words& w);
  std::string ConfigStep(const Words& w);
  std::string UpdateStep(const Words& w);
  std::string DroStep(const Words& w);
  std::string SignalStep(const Words& w);
  std::string JogStep(const Words& w);
  std::string JogOffStep(const Words& w);
  std::string RegisterAutomationStep(const Words& w);
  std::string ShutdownStep(const Words& w);
  std::string WindowStep(const Words& w);
  std::string ClickCellStep(const Words& w);
  std::string TypeStep(const Words& w);
  std::string ClickStep(const Words& w);
  std::string CheckStep(const Words& w);
  std::string SelectStep(const Words& w);

  // Expectations.
  std::string ExpectFile(const Words& w);
  std::string ExpectFileText(const Words& w);
  std::string ExpectNoFile(const Words& w);
  std::string ExpectProfile(const Words& w);
  std::string ExpectNoProfileEntry(const Words& w);
  std::string ExpectStatus(const Words& w);
  std::string ExpectLoads(const Words& w);
  std::string ExpectLoaded(const Words& w);
  std::string ExpectScriptCalls(const Words& w);
  std::string ExpectButtons(const Words& w);
  std::string ExpectMenu(const Words& w);
  std::string ExpectPrompt(const Words& w);
  std::string ExpectNoPrompt(const Words& w);
  std::string ExpectEngine(const Words& w);
  std::string ExpectText(const Words& w);
  std::string ExpectRows(const Words& w);
  std::string ExpectCell(const Words& w);
  std::string ExpectWindow(const Words& w);

  std::filesystem::path file_;
  const RunOptions& options_;
  HostDriver& driver_;
  std::ostream& errors_;
  std::filesystem::path profile_;
  HostOptions hostOptions_;
  bool started_ = false;
  bool shutDown_ = false;
  int line_ = 0;
  std::vector<Prompt> pendingPrompts_;  // shown, not yet expected
};

const StepRow Runner::kSteps[] = {
    {"host", 2, 2, When::kBeforeStart, &Runner::HostStep},
    {"profile", 1, 2, When::kBeforeStart, &Runner::ProfileStep},
    {"start", 0, 0, When::kBeforeStart, &Runner::StartStep},
    {"expect", 0, kAnyCount, When::kAlways, &Runner::ExpectStep},
    {"answer", 1, kAnyCount, When::kAlways, &Runner::AnswerStep},
    {"remove", 1, 1, When::kAlways, &Runner::RemoveStep},
    {"write", 2, 2, When::kAlways, &Runner::WriteStep},
    {"menu", 2, 2, When::kRunning, &Runner::MenuStep},
    {"notify", 1, 1, When::kRunning, &Runner::NotifyStep},
    {"config", 0, 0, When::kRunning, &Runner::ConfigStep},
    {"update", 0, 1, When::kRunning, &Runner::UpdateStep},
    {"dro", 2, 2, When::kRunning, &Runner::DroStep},
    {"signal", 2, 2, When::kRunning, &Runner::SignalStep},
    {"jog", 2, 2, When::kRunning, &Runner::JogStep},
    {"jogoff", 1, 1, When::kRunning, &Runner::JogOffStep},
    {"register-automation", 0, 0, When::kRunning, &Runner::RegisterAutomationStep},
    {"shutdown", 0, 0, When::kRunning, &Runner::ShutdownStep},
    {"window", 1, 1, When::kRunning, &Runner::WindowStep},
    {"click-cell", 3, 3, When::kRunning, &Runner::ClickCellStep},
    {"type", 2, 2, When::kRunning, &Runner::TypeStep},
    {"click", 1, 1, When::kRunning, &Runner::ClickStep},
    {"check", 2, 2, When::kRunning, &Runner::CheckStep},
    {"select", 2, 2, When::kRunning, &Runner::SelectStep},
};

const StepRow Runner::kExpectations[] = {
    {"file", 2, 2, When::kAlways, &Runner::ExpectFile},
    {"file-text", 2, 2, When::kAlways, &Runner::ExpectFileText},
    {"no-file", 1, 1, When::kAlways, &Runner::ExpectNoFile},
    {"profile", 2, 2, When::kAlways, &Runner::ExpectProfile},
    {"no-profile-entry", 1, 1, When::kAlways, &Runner::ExpectNoProfileEntry},
    {"status", 1, 1, When::kStarted, &Runner::ExpectStatus},
    {"loads", 1, 1, When::kStarted, &Runner::ExpectLoads},
    {"loaded", 2, 2, When::kStarted, &Runner::ExpectLoaded},
    {"script-calls", 1, 1, When::kStarted, &Runner::ExpectScriptCalls},
    {"buttons", 0, kAnyCount, When::kStarted, &Runner::ExpectButtons},
    {"menu", 1, kAnyCount, When::kStarted, &Runner::ExpectMenu},
    {"prompt", 2, 3, When::kStarted, &Runner::ExpectPrompt},
    {"no-prompt", 0, 0, When::kStarted, &Runner::ExpectNoPrompt},
    {"engine", 2, 2, When::kStarted, &Runner::ExpectEngine},
    {"text", 2, 2, When::kStarted, &Runner::ExpectText},
    {"rows", 2, 2, When::kStarted, &Runner::ExpectRows},
    {"cell", 4, 4, When::kStarted, &Runner::ExpectCell},
    {"window", 1, 1, When::kStarted, &Runner::ExpectWindow},
};

bool Runner::Run() {
  auto script = text::ReadFileBytes(file_);
  if (!script) return Fail(0, "cannot read the scenario");
  auto steps = ParseScenario(*script);
  if (!steps) return Fail(std::stoi(steps.failure().detail), steps.failure().message);
  std::error_code error;
  std::filesystem::remove_all(options_.work, error);
  std::filesystem::create_directories(options_.work, error);
  if (error) return Fail(0, "cannot prepare the work folder " + options_.work.string());
  if (std::string failure = driver_.Prepare(options_.work); !failure.empty()) {
    return Fail(0, failure);
  }
  profile_ = options_.work / "profile.xml";
  if (!text::WriteFileAtomic(profile_, kDefaultProfile).empty()) {
    return Fail(0, "cannot write the profile");
  }

  for (const Step& step : *steps) {
    line_ = step.line;
    std::string failure = Take(kSteps, std::size(kSteps), step.words, 0, "step");
    if (failure.empty()) failure = Joined(driver_.TakeFaults(), "; ");
    if (!failure.empty()) return Fail(step.line, failure);
  }
  std::string failure;
  if (started_ && !shutDown_) failure = ShutdownStep({});
  if (failure.empty()) failure = Joined(driver_.TakeFaults(), "; ");
  if (!failure.empty()) return Fail(line_, "at the end: " + failure);
  if (driver_.PendingAnswers() != 0) return Fail(line_, "answers queued but never asked for");
  return true;
}

// Finds the row named by w[first] and hands it the words after the name.
std::string Runner::Take(const StepRow* rows, std::size_t count, const Words& w, std::size_t first,
                         std::string_view unknown) {
  const std::string& name = w[first];
  const std::size_t words = w.size() - first - 1;
  for (const StepRow* row = rows; row != rows + count; ++row) {
    if (row->name != name || words < row->minWords || words > row->maxWords) continue;
    switch (row->when) {
      case When::kAlways:
        break;
      case When::kBeforeStart:
        if (started_)
          return name == "start" ? "started already" : "host settings come before \"start\"";
        break;
      case When::kStarted:
      case When::kRunning:
        if (!started_) return "the host has not started (step \"start\")";
        if (row->when == When::kRunning && shutDown_) return "the host has shut down";
        break;
    }
    return (this->*(row->handler))(
        Words(w.begin() + static_cast<std::ptrdiff_t>(first) + 1, w.end()));
  }
  return "unknown " + std::string(unknown) + " or wrong arguments: " + name;
}

std::unique_ptr<PluginWindow> Runner::MainWindow(std::string& failure) {
  auto window = driver_.FindWindow(kMainDialog);
  if (!window) failure = "no window " + std::string(kMainDialog);
  return window;
}

std::string Runner::SetEngine(std::size_t offset, std::uint8_t value) {
  if (!driver_.SetEngineByte(offset, value))
    return "the engine block ends before byte " + std::to_string(offset);
  return {};
}

// ---- Steps -------------------------------------------------------------------

std::string Runner::HostStep(const Words& w) {
  std::string values;
  for (const HostSetting& row : kHostSettings) {
    if (row.setting != w[0]) continue;
    if (row.value == w[1]) {
      row.apply(hostOptions_);
      return {};
    }
    values += (values.empty() ? "" : ", ") + std::string(row.value);
  }
  if (values.empty()) return "unknown host setting";
  return w[0] + " takes " + values;
}

std::string Runner::ProfileStep(const Words& w) {
  if (w.size() == 2) {
    if (w[0] != "name") return "profile takes a file, none, or name NAME";
    // The profile under another file name (in the work folder), its content kept.
    std::filesystem::path renamed = options_.work / text::PathFromUtf8(w[1]);
    std::error_code error;
    std::filesystem::rename(profile_, renamed, error);
    if (error) return "cannot rename the profile: " + error.message();
    profile_ = renamed;
    return {};
  }
  if (w[0] == "none") {
    std::error_code error;
    std::filesystem::remove(profile_, error);
    return {};
  }
  auto bytes = text::ReadFileBytes(FilePath(w[0]));
  if (!bytes) return "cannot read " + w[0];
  return text::WriteFileAtomic(profile_, *bytes);
}

std::string Runner::StartStep(const Words&) {
  started_ = true;
  return driver_.Start(options_.library, profile_, hostOptions_);
}

std::string Runner::ExpectStep(const Words& w) {
  if (w.empty()) return "expect what?";
  return Take(kExpectations, std::size(kExpectations), w, 0, "expectation");
}

std::string Runner::AnswerStep(const Words& w) {
  static const std::string kUsage =
      "answer takes ok, yes, no, open/save with a file (none: cancelled), form ok/cancel";
  Answer answer;
  if (w[0] == "form" && w.size() >= 2 && (w[1] == "ok" || w[1] == "cancel")) {
    // answer form ok|cancel [CONTROL=VALUE ...]
    answer.kind = PromptKind::kModalForm;
    answer.yes = w[1] == "ok";
    for (std::size_t i = 2; i < w.size(); ++i) {
      auto cut = w[i].find('=');
      if (cut == std::string::npos) return "form values are written CONTROL=VALUE";
      answer.values.emplace_back(w[i].substr(0, cut), w[i].substr(cut + 1));
    }
  } else if (w[0] == "ok" && w.size() == 1) {
    answer.kind = PromptKind::kMessage;
  } else if ((w[0] == "yes" || w[0] == "no") && w.size() == 1) {
    answer.kind = PromptKind::kYesNo;
    answer.yes = w[0] == "yes";
  } else if ((w[0] == "open" || w[0] == "save") && w.size() <= 2) {
    answer.kind = w[0] == "open" ? PromptKind::kOpenFile : PromptKind::kSaveFile;
    if (w.size() == 2) answer.path = FilePath(w[1]);
  } else {
    return kUsage;
  }
  // Answers given before "start" wait for the host.
  driver_.QueueAnswer(std::move(answer));
  return {};
}

std::string Runner::RemoveStep(const Words& w) {
  // The operator (or another program) removes a file or folder.
  std::error_code error;
  std::filesystem::remove_all(FilePath(w[0]), error);
  if (error) return "cannot remove " + w[0] + ": " + error.message();
  return {};
}

std::string Runner::WriteStep(const Words& w) {
  // Another program writes a file.
  std::error_code error;
  std::filesystem::create_directories(FilePath(w[0]).parent_path(), error);
  return text::WriteFileAtomic(FilePath(w[0]), w[1]);
}

std::string Runner::MenuStep(const Words& w) {
  // The entry in the host's menu bar, found by its texts as the operator does.
  auto id = driver_.MenuCommand(w[0], w[1]);
  if (!id) return "no menu entry " + Shown(w[0]) + " / " + Shown(w[1]);
  driver_.Notify(*id);
  return {};
}

std::string Runner::NotifyStep(const Words& w) {
  // The host's reserved ids by position ("reserved+1"), or a number.
  std::optional<long> id;
  if (w[0].rfind("reserved+", 0) == 0) {
    if (auto offset = ParseWhole(w[0].substr(9))) id = kFirstCommandId + *offset;
  } else {
    id = ParseWhole(w[0]);
  }
  if (!id) return "notify takes a number or reserved+N";
  driver_.Notify(static_cast<int>(*id));
  return {};
}

std::string Runner::ConfigStep(const Words&) {
  driver_.Config();
  return {};
}

std::string Runner::UpdateStep(const Words& w) {
  auto count = w.size() == 1 ? ParseWhole(w[0]) : std::optional<long>(1);
  if (!count || *count < 0) return "update takes a count";
  for (long i = 0; i < *count; ++i) {
    if (std::string failure = driver_.Update(); !failure.empty()) return failure;
  }
  return {};
}

std::string Runner::DroStep(const Words& w) {
  auto code = ParseWhole(w[0]);
  auto value = ParseReal(w[1]);
  if (!code || !value) return "dro takes a code and a number";
  driver_.SetDro(static_cast<std::int16_t>(*code), *value);
  return {};
}

std::string Runner::SignalStep(const Words& w) {
  const std::size_t* offset = Lookup(kSignals, w[0]);
  auto on = OnOff(w[1]);
  if (!offset || !on) return "signal takes record, op1, op2 or op3, then on or off";
  return SetEngine(*offset, *on);
}

std::string Runner::JogStep(const Words& w) {
  // The host's engine starts or stops jogging an axis (0 to 5).
  auto axis = ParseWhole(w[0]);
  auto on = OnOff(w[1]);
  if (!on) return "jog takes an axis, then on or off";
  if (!axis || *axis < 0 || *axis >= plugin::kAxisCount) return "jog takes an axis 0 to 5";
  std::string failure =
      SetEngine(plugin::AxisByte(static_cast<int>(*axis), plugin::kAxisJogging), *on);
  if (failure.empty() && *on) failure = SetEngine(plugin::kEngineJogFlag, 1);
  return failure;
}

std::string Runner::JogOffStep(const Words& w) {
  auto axis = ParseWhole(w[0]);
  if (!axis) return "jogoff takes an axis number";
  driver_.JogOff(static_cast<std::int16_t>(*axis));
  return {};
}

std::string Runner::RegisterAutomationStep(const Words&) {
  // The host registers its automation object only now, after its plug-ins have
  // been initialised.
  return driver_.RegisterAutomationNow();
}

std::string Runner::ShutdownStep(const Words&) {
  shutDown_ = true;
  return driver_.Shutdown();
}

std::string Runner::WindowStep(const Words& w) {
  std::string failure;
  auto window = MainWindow(failure);
  if (!window) return failure;
  const WindowCommand* command = Lookup(kWindowCommands, w[0]);
  if (!command) return "window takes minimise, restore, maximise or close";
  window->Command(*command);
  return {};
}

std::string Runner::ClickCellStep(const Words& w) {
  // click-cell GRID ROW COLUMN: ROW counts from 1; the new-row line follows the rows.
  std::string failure;
  auto window = MainWindow(failure);
  if (!window) return failure;
  auto row = RowIndex(w[1]);
  if (!row) return "rows count from 1";
  return window->ClickCell(w[0], *row, w[2]);
}

std::string Runner::TypeStep(const Words& w) {
  std::string failure;
  auto window = MainWindow(failure);
  return window ? window->Type(w[0], w[1]) : failure;
}

std::string Runner::ClickStep(const Words& w) {
  std::string failure;
  auto window = MainWindow(failure);
  return window ? window->Click(w[0]) : failure;
}

std::string Runner::CheckStep(const Words& w) {
  if (w[1] != "True" && w[1] != "False") return "check takes a check box, then True or False";
  std::string failure;
  auto window = MainWindow(failure);
  return window ? window->SetChecked(w[0], w[1] == "True") : failure;
}

std::string Runner::SelectStep(const Words& w) {
  std::string failure;
  auto window = MainWindow(failure);
  return window ? window->Select(w[0], w[1]) : failure;
}

// ---- Expectations ------------------------------------------------------------

std::string Runner::ExpectFile(const Words& w) {
  // expect file PATH EXPECTED-FILE
  auto actual = text::ReadFileBytes(FilePath(w[0]));
  auto expected = text::ReadFileBytes(FilePath(w[1]));
  if (!expected) return "cannot read " + w[1];
  if (!actual) return w[0] + ": no such file";
  if (*actual != *expected) return w[0] + ": " + FirstDifference(*expected, *actual);
  return {};
}

std::string Runner::ExpectFileText(const Words& w) {
  auto actual = text::ReadFileBytes(FilePath(w[0]));
  if (!actual || *actual != w[1])
    return w[0] + ": expected " + Shown(w[1]) + ", got " + ShownBytes(actual);
  return {};
}

std::string Runner::ExpectNoFile(const Words& w) {
  if (std::filesystem::exists(FilePath(w[0]))) return w[0] + " exists";
  return {};
}

std::string Runner::ExpectProfile(const Words& w) {
  // expect profile SECTION/KEY "text"
  auto [section, key] = ProfileEntry(w[0]);
  plugin::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
  if (!profile.Load()) return "the profile does not load: " + profile.LastError();
  if (!profile.FindEntry(key)) return "the profile has no " + w[0];
  std::string actual = profile.ReadString(key);
  if (actual != w[1]) return w[0] + ": expected " + Shown(w[1]) + ", got " + Shown(actual);
  return {};
}

std::string Runner::ExpectNoProfileEntry(const Words& w) {
  auto [section, key] = ProfileEntry(w[0]);
  plugin::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
  profile.Load();
  if (profile.FindEntry(key) != nullptr) return "the profile has " + w[0];
  return {};
}

std::string Runner::ExpectStatus(const Words& w) {
  auto status = driver_.Status();
  if (!status) return "the status string holds no buffer";
  if (*status != w[0]) return "status: expected " + Shown(w[0]) + ", got " + Shown(*status);
  return {};
}

std::string Runner::ExpectLoads(const Words& w) {
  auto count = ParseWhole(w[0]);
  const std::size_t loads = driver_.LoadCalls().size();
  if (!count || static_cast<long>(loads) != *count)
    return "LoadGCodeFile calls: expected " + w[0] + ", got " + std::to_string(loads);
  return {};
}

std::string Runner::ExpectLoaded(const Words& w) {
  // expect loaded PATH EXPECTED-FILE: the last load's path and the file then.
  auto loads = driver_.LoadCalls();
  if (loads.empty()) return "LoadGCodeFile was not called";
  const LoadCall& last = loads.back();
  if (last.path != w[0])
    return "loaded path: expected " + Shown(w[0]) + ", got " + Shown(last.path);
  if (driver_.Can(Capability::kLoadThread) && !last.onHostThread)
    return "LoadGCodeFile ran on another thread than the host's";
  auto expected = text::ReadFileBytes(FilePath(w[1]));
  if (!expected) return "cannot read " + w[1];
  if (!last.bytes) return "the loaded file could not be read when it was loaded";
  if (*last.bytes != *expected) return "loaded file: " + FirstDifference(*expected, *last.bytes);
  return {};
}

std::string Runner::ExpectScriptCalls(const Words& w) {
  auto count = ParseWhole(w[0]);
  const int calls = driver_.ScriptCalls();
  if (!count || calls != *count)
    return "GetScriptDispatch calls: expected " + w[0] + ", got " + std::to_string(calls);
  return {};
}

std::string Runner::ExpectButtons(const Words& w) {
  std::vector<std::string> pressed;
  for (int code : driver_.Buttons()) pressed.push_back(std::to_string(code));
  const std::string expected = Joined(w, " ");
  const std::string actual = Joined(pressed, " ");
  if (expected != actual)
    return "buttons pressed: expected [" + expected + "], got [" + actual + "]";
  return {};
}

std::string Runner::ExpectMenu(const Words& w) {
  const std::vector<std::string> expected(w.begin() + 1, w.end());
  const auto actual = driver_.MenuTexts(w[0]);
  if (expected != actual) {
    std::string shown;
    for (const auto& text : actual) shown += " " + Shown(text);
    return "menu " + Shown(w[0]) + " holds" + (shown.empty() ? " nothing" : shown);
  }
  return {};
}

std::string Runner::ExpectPrompt(const Words& w) {
  // expect prompt KIND "text" ["caption"]: the oldest prompt not yet expected.
  for (Prompt& prompt : driver_.TakePrompts()) pendingPrompts_.push_back(std::move(prompt));
  if (pendingPrompts_.empty()) return "no prompt was shown";
  const Prompt prompt = pendingPrompts_.front();
  pendingPrompts_.erase(pendingPrompts_.begin());
  const PromptKind* kind = Lookup(kPromptKinds, w[0]);
  if (!kind) return "prompt kinds: message, yesno, open, save, form";
  if (prompt.kind != *kind || prompt.text != w[1] || (w.size() == 3 && prompt.caption != w[2])) {
    return "prompt: expected " + w[0] + " " + Shown(w[1]) +
           (w.size() == 3 ? " " + Shown(w[2]) : "") + ", got " +
           std::string(NameOf(kPromptKinds, prompt.kind)) + " " + Shown(prompt.text) + " caption " +
           Shown(prompt.caption);
  }
  return {};
}

std::string Runner::ExpectNoPrompt(const Words&) {
  for (Prompt& prompt : driver_.TakePrompts()) pendingPrompts_.push_back(std::move(prompt));
  if (pendingPrompts_.empty()) return {};
  std::string shown = Shown(pendingPrompts_.front().text);
  pendingPrompts_.clear();
  return "a prompt was shown: " + shown;
}

std::string Runner::ExpectEngine(const Words& w) {
  auto offset = ParseWhole(w[0]);
  auto value = ParseWhole(w[1]);
  if (!offset || !value || *offset < 0) return "expect engine OFFSET VALUE";
  auto actual = driver_.EngineByte(static_cast<std::size_t>(*offset));
  if (!actual) return "the engine block ends before byte " + w[0];
  if (*actual != *value)
    return "engine byte " + w[0] + ": expected " + w[1] + ", got " + std::to_string(*actual);
  return {};
}

std::string Runner::ExpectText(const Words& w) {
  std::string failure;
  auto window = MainWindow(failure);
  if (!window) return failure;
  auto text = window->ControlText(w[0]);
  if (!text) return "no control " + w[0];
  if (*text != w[1]) return w[0] + ": expected " + Shown(w[1]) + ", got " + Shown(*text);
  return {};
}

std::string Runner::ExpectRows(const Words& w) {
  // expect rows GRID N: the grid's rows, the new-row line not counted.
  std::string failure;
  auto window = MainWindow(failure);
  if (!window) return failure;
  auto count = ParseWhole(w[1]);
  auto rows = window->RowCount(w[0]);
  if (!rows) return "no grid " + w[0];
  if (!count || static_cast<long>(*rows) != *count)
    return w[0] + ": expected " + w[1] + " rows, got " + std::to_string(*rows);
  return {};
}

std::string Runner::ExpectCell(const Words& w) {
  // expect cell GRID ROW COLUMN "text": ROW counts from 1 in display order.
  std::string failure;
  auto window = MainWindow(failure);
  if (!window) return failure;
  auto row = RowIndex(w[1]);
  if (!row) return "rows count from 1";
  auto text = window->CellText(w[0], *row, w[2]);
  if (!text) return w[0] + " has no cell " + w[1] + "/" + w[2];
  if (*text != w[3])
    return w[0] + " " + w[1] + "/" + w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(*text);
  return {};
}

std::string Runner::ExpectWindow(const Words& w) {
  auto window = driver_.FindWindow(kMainDialog);
  const std::string actual(window ? NameOf(kWindowStates, window->State()) : "absent");
  if (actual != w[0]) return "window: expected " + w[0] + ", got " + actual;
  return {};
}

}  // namespace

bool RunScenario(const std::filesystem::path& file, const RunOptions& options, HostDriver& driver,
                 std::ostream& errors) {
  return Runner(file, options, driver, errors).Run();
}

}  // namespace kelvora::testhost
