#include "plugin/host_interface.h"
#include "runner_steps.h"

namespace kelvora::testhost {

namespace run {

namespace {

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

// In the order of WindowCommand.
constexpr std::string_view kWindowCommands[] = {"minimise", "restore", "maximise", "close"};

}  // namespace

const StepRow Runner::kSteps[] = {
    {"host", 2, 2, When::kBeforeStart, &Runner::HostStep},
    {"profile", 1, 2, When::kBeforeStart, &Runner::ProfileStep},
    {"start", 0, 0, When::kBeforeStart, &Runner::StartStep},
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
    {"expect file", 2, 2, When::kAlways, &Runner::ExpectFile},
    {"expect file-text", 2, 2, When::kAlways, &Runner::ExpectFileText},
    {"expect no-file", 1, 1, When::kAlways, &Runner::ExpectNoFile},
    {"expect profile", 2, 2, When::kAlways, &Runner::ExpectProfile},
    {"expect no-profile-entry", 1, 1, When::kAlways, &Runner::ExpectNoProfileEntry},
    {"expect status", 1, 1, When::kStarted, &Runner::ExpectStatus},
    {"expect loads", 1, 1, When::kStarted, &Runner::ExpectLoads},
    {"expect loaded", 2, 2, When::kStarted, &Runner::ExpectLoaded},
    {"expect script-calls", 1, 1, When::kStarted, &Runner::ExpectScriptCalls},
    {"expect buttons", 0, kAnyCount, When::kStarted, &Runner::ExpectButtons},
    {"expect menu", 1, kAnyCount, When::kStarted, &Runner::ExpectMenu},
    {"expect prompt", 2, 3, When::kStarted, &Runner::ExpectPrompt},
    {"expect no-prompt", 0, 0, When::kStarted, &Runner::ExpectNoPrompt},
    {"expect engine", 2, 2, When::kStarted, &Runner::ExpectEngine},
    {"expect text", 2, 2, When::kStarted, &Runner::ExpectText},
    {"expect rows", 2, 2, When::kStarted, &Runner::ExpectRows},
    {"expect cell", 4, 4, When::kStarted, &Runner::ExpectCell},
    {"expect window", 1, 1, When::kStarted, &Runner::ExpectWindow},
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
  if (!text::WriteFileAtomic(profile_, kDefaultProfile)) {
    return Fail(0, "cannot write the profile");
  }

  for (const Step& step : *steps) {
    line_ = step.line;
    std::string failure = Take(step.words);
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

// Finds the step's row and hands it the words after its name. An expectation
// is named by its first two words ("expect rows").
std::string Runner::Take(const Words& w) {
  const bool expectation = w[0] == "expect";
  if (expectation && w.size() < 2) return "expect what?";
  const std::size_t nameWords = expectation ? 2 : 1;
  const std::string name = expectation ? "expect " + w[1] : w[0];
  const std::size_t words = w.size() - nameWords;
  for (const StepRow& row : kSteps) {
    if (row.name != name || words < row.minWords || words > row.maxWords) continue;
    switch (row.when) {
      case When::kAlways:
        break;
      case When::kBeforeStart:
        if (started_)
          return name == "start" ? "started already" : "host settings come before \"start\"";
        break;
      case When::kStarted:
      case When::kRunning:
        if (!started_) return "the host has not started (step \"start\")";
        if (row.when == When::kRunning && shutDown_) return "the host has shut down";
        break;
    }
    return (this->*(row.handler))(
        Words(w.begin() + static_cast<std::ptrdiff_t>(nameWords), w.end()));
  }
  return expectation ? "unknown expectation or wrong arguments: " + w[1]
                     : "unknown step or wrong arguments: " + w[0];
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
  return MessageOf(text::WriteFileAtomic(profile_, *bytes));
}

std::string Runner::StartStep(const Words&) {
  started_ = true;
  return driver_.Start(options_.library, profile_, hostOptions_);
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
  return MessageOf(text::WriteFileAtomic(FilePath(w[0]), w[1]));
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
  auto command = Named<WindowCommand>(kWindowCommands, w[0]);
  if (!command) return "window takes minimise, restore, maximise or close";
  return OnWindow([&](PluginWindow& window) {
    window.Command(*command);
    return std::string();
  });
}

std::string Runner::ClickCellStep(const Words& w) {
  // click-cell GRID ROW COLUMN: ROW counts from 1; the new-row line follows the rows.
  auto row = RowIndex(w[1]);
  if (!row) return "rows count from 1";
  return OnWindow([&](PluginWindow& window) { return window.ClickCell(w[0], *row, w[2]); });
}

std::string Runner::TypeStep(const Words& w) {
  return OnWindow([&](PluginWindow& window) { return window.Type(w[0], w[1]); });
}

std::string Runner::ClickStep(const Words& w) {
  return OnWindow([&](PluginWindow& window) { return window.Click(w[0]); });
}

std::string Runner::CheckStep(const Words& w) {
  if (w[1] != "True" && w[1] != "False") return "check takes a check box, then True or False";
  return OnWindow([&](PluginWindow& window) { return window.SetChecked(w[0], w[1] == "True"); });
}

std::string Runner::SelectStep(const Words& w) {
  return OnWindow([&](PluginWindow& window) { return window.Select(w[0], w[1]); });
}

}  // namespace run

bool RunScenario(const std::filesystem::path& file, const RunOptions& options, HostDriver& driver,
                 std::ostream& errors) {
  return run::Runner(file, options, driver, errors).Run();
}

}  // namespace kelvora::testhost
