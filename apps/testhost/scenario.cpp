#include "scenario.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "host.h"
#include "platform/posix/posix_platform.h"
#include "plugin/host_interface.h"
#include "plugin/xml_net_profile.h"
#include "text/files.h"

namespace kelvora::testhost {

namespace {

constexpr std::string_view kMainDialog = "XYZDemoDialog";

class Runner {
 public:
  Runner(std::filesystem::path file, const RunOptions& options, std::ostream& errors)
      : file_(std::move(file)), options_(options), errors_(errors) {}

  bool Run() {
    auto script = text::ReadFileBytes(file_);
    if (!script) return Fail(0, "cannot read the scenario");
    auto steps = ParseScenario(*script);
    if (!steps) return Fail(std::stoi(steps.failure().detail), steps.failure().message);
    std::error_code error;
    std::filesystem::remove_all(options_.work, error);
    std::filesystem::create_directories(options_.work / "drive_c", error);
    if (error) return Fail(0, "cannot prepare the work folder " + options_.work.string());
    ::setenv("KELVORA_DRIVE_C", (options_.work / "drive_c").c_str(), 1);
    profile_ = options_.work / "profile.xml";
    if (!text::WriteFileAtomic(profile_, kDefaultProfile)) {
      return Fail(0, "cannot write the profile");
    }

    for (const Step& step : *steps) {
      line_ = step.line;
      std::string failure = RunStep(step.words);
      if (failure.empty() && host_) {
        for (const std::string& fault : host_->TakeFaults()) {
          failure += (failure.empty() ? "" : "; ") + fault;
        }
      }
      if (!failure.empty()) return Fail(step.line, failure);
    }
    if (host_ && host_->Started() && !host_->ShutDown()) {
      std::string failure = host_->Shutdown();
      if (!failure.empty()) return Fail(line_, "at the end: " + failure);
    }
    if (host_) {
      for (const std::string& fault : host_->TakeFaults())
        return Fail(line_, "at the end: " + fault);
      if (host_->PendingAnswers() != 0) return Fail(line_, "answers queued but never asked for");
    }
    return true;
  }

 private:
  bool Fail(int line, const std::string& message) {
    errors_ << file_.string() << ":" << line << ": " << message << "\n";
    return false;
  }

  std::filesystem::path DataPath(const std::string& word) const {
    if (word.rfind("@data/", 0) == 0) return options_.data / word.substr(6);
    if (word.rfind("@work/", 0) == 0) return options_.work / word.substr(6);
    return word;
  }

  // A path in a step: "profile", a "C:\..." path, or a local one.
  std::filesystem::path FilePath(const std::string& word) const;

  simos::UiWindow* Window(const std::string& name, std::string& failure) const {
    simos::UiWindow* window = simos::FindUiWindow(name);
    if (window == nullptr) failure = "no window " + name;
    return window;
  }

  std::string RunStep(const std::vector<std::string>& w);
  std::string Setup(const std::vector<std::string>& w);
  std::string Expect(const std::vector<std::string>& w);
  std::string Answer(const std::vector<std::string>& w);

  std::filesystem::path file_;
  const RunOptions& options_;
  std::ostream& errors_;
  std::filesystem::path profile_;
  HostOptions hostOptions_;
  std::unique_ptr<TestHost> host_;
  int line_ = 0;
  std::vector<ShownPrompt> pendingPrompts_;
  std::vector<std::pair<simos::PromptKind, simos::PromptAnswer>> earlyAnswers_;
  std::vector<std::pair<bool, TestHost::FormValues>> earlyForms_;
};

std::filesystem::path Runner::FilePath(const std::string& word) const {
  if (word == "profile") return profile_;
  if (word.size() >= 2 && word[1] == ':') return platform::posix::MapWindowsPath(word);
  return DataPath(word);
}

std::string Runner::Setup(const std::vector<std::string>& w) {
  if (host_) return "host settings come before \"start\"";
  if (w.size() == 3 && w[0] == "profile" && w[1] == "name") {
    // The profile under another file name (in the work folder), its content kept.
    std::filesystem::path renamed = options_.work / text::PathFromUtf8(w[2]);
    std::error_code error;
    std::filesystem::rename(profile_, renamed, error);
    if (error) return "cannot rename the profile: " + error.message();
    profile_ = renamed;
    return {};
  }
  if (w.size() == 2 && w[0] == "profile") {
    if (w[1] == "none") {
      std::filesystem::remove(profile_);
      return {};
    }
    auto bytes = text::ReadFileBytes(DataPath(w[1]));
    if (!bytes) return "cannot read " + w[1];
    return MessageOf(text::WriteFileAtomic(profile_, *bytes));
  }
  if (w.size() == 3 && w[0] == "host") {
    if (w[1] == "plugin-menu" && (w[2] == "on" || w[2] == "off")) {
      hostOptions_.plugInMenu = w[2] == "on";
      return {};
    }
    if (w[1] == "automation") {
      if (w[2] == "registered")
        hostOptions_.automation = AutomationSetup::kRegistered;
      else if (w[2] == "classid-only")
        hostOptions_.automation = AutomationSetup::kClassIdOnly;
      else if (w[2] == "not-running")
        hostOptions_.automation = AutomationSetup::kNotRunning;
      else
        return "automation is registered, classid-only or not-running";
      return {};
    }
    if (w[1] == "script-result") {
      if (w[2] == "dispatch")
        hostOptions_.scriptResult = ScriptResult::kDispatch;
      else if (w[2] == "empty")
        hostOptions_.scriptResult = ScriptResult::kEmpty;
      else if (w[2] == "integer")
        hostOptions_.scriptResult = ScriptResult::kInteger;
      else
        return "script-result is dispatch, empty or integer";
      return {};
    }
    if (w[1] == "load-result" && (w[2] == "ok" || w[2] == "fail")) {
      hostOptions_.loadFails = w[2] == "fail";
      return {};
    }
  }
  return "unknown host setting";
}

std::string Runner::RunStep(const std::vector<std::string>& w) {
  const std::string& name = w[0];
  if (name == "host" || name == "profile") return Setup(w);
  if (name == "start") {
    if (host_) return "started already";
    host_ = std::make_unique<TestHost>(hostOptions_);
    for (auto& [kind, answer] : earlyAnswers_) {
      if (kind == simos::PromptKind::kModalForm) {
        host_->QueueFormAnswer(earlyForms_.front().first, std::move(earlyForms_.front().second));
        earlyForms_.erase(earlyForms_.begin());
      } else {
        host_->QueueAnswer(kind, std::move(answer));
      }
    }
    earlyAnswers_.clear();
    return host_->Start(options_.library, profile_.string());
  }
  if (name == "expect") return Expect(w);
  if (name == "answer") return Answer(w);
  if (name == "remove" && w.size() == 2) {
    // The operator (or another program) removes a file or folder.
    std::error_code error;
    std::filesystem::remove_all(FilePath(w[1]), error);
    if (error) return "cannot remove " + w[1] + ": " + error.message();
    return {};
  }
  if (name == "write" && w.size() == 3) {
    // Another program writes a file.
    std::error_code error;
    std::filesystem::create_directories(FilePath(w[1]).parent_path(), error);
    return MessageOf(text::WriteFileAtomic(FilePath(w[1]), w[2]));
  }
  if (!host_ || !host_->Started()) return "the host has not started (step \"start\")";
  if (host_->ShutDown()) return "the host has shut down";

  if (name == "menu" && w.size() == 3) {
    auto id = host_->MenuCommand(w[1], w[2]);
    if (!id) return "no menu entry " + Shown(w[1]) + " / " + Shown(w[2]);
    host_->Notify(*id);
    return {};
  }
  if (name == "notify" && w.size() == 2) {
    // The host's reserved ids by position ("reserved+1"), or a number.
    std::optional<long> id;
    if (w[1].rfind("reserved+", 0) == 0) {
      if (auto offset = ParseWhole(w[1].substr(9))) id = host_->reservedFirst() + *offset;
    } else {
      id = ParseWhole(w[1]);
    }
    if (!id) return "notify takes a number or reserved+N";
    host_->Notify(static_cast<int>(*id));
    return {};
  }
  if (name == "config" && w.size() == 1) {
    host_->Config();
    return {};
  }
  if (name == "update" && w.size() <= 2) {
    auto count = w.size() == 2 ? ParseWhole(w[1]) : std::optional<long>(1);
    if (!count || *count < 0) return "update takes a count";
    for (long i = 0; i < *count; ++i) {
      if (std::string failure = host_->Update(); !failure.empty()) return failure;
    }
    return {};
  }
  if (name == "dro" && w.size() == 3) {
    auto code = ParseWhole(w[1]);
    auto value = ParseReal(w[2]);
    if (!code || !value) return "dro takes a code and a number";
    host_->SetDro(static_cast<std::int16_t>(*code), *value);
    return {};
  }
  if (name == "signal" && w.size() == 3) {
    static const std::map<std::string, std::size_t> kSignals = {
        {"record", plugin::kEngineSignalRecord},
        {"op1", plugin::kEngineSignalOp1},
        {"op2", plugin::kEngineSignalOp2},
        {"op3", plugin::kEngineSignalOp3}};
    auto found = kSignals.find(w[1]);
    if (found == kSignals.end() || (w[2] != "on" && w[2] != "off")) {
      return "signal takes record, op1, op2 or op3, then on or off";
    }
    host_->SetEngineByte(found->second, w[2] == "on" ? 1 : 0);
    return {};
  }
  if (name == "jog" && w.size() == 3 && (w[2] == "on" || w[2] == "off")) {
    // The host's engine starts or stops jogging an axis (0 to 5).
    auto axis = ParseWhole(w[1]);
    if (!axis || *axis < 0 || *axis >= plugin::kAxisCount) return "jog takes an axis 0 to 5";
    const std::uint8_t on = w[2] == "on" ? 1 : 0;
    host_->SetEngineByte(plugin::AxisByte(static_cast<int>(*axis), plugin::kAxisJogging), on);
    if (on) host_->SetEngineByte(plugin::kEngineJogFlag, 1);
    return {};
  }
  if (name == "register-automation" && w.size() == 1) {
    // The host registers its automation object only now, after its plug-ins
    // have been initialised.
    return host_->RegisterAutomationNow();
  }
  if (name == "jogoff" && w.size() == 2) {
    auto axis = ParseWhole(w[1]);
    if (!axis) return "jogoff takes an axis number";
    host_->JogOff(static_cast<std::int16_t>(*axis));
    return {};
  }
  if (name == "shutdown" && w.size() == 1) return host_->Shutdown();

  // The plug-in's window, as the operator uses it.
  std::string failure;
  if (name == "window" && w.size() == 2) {
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    if (w[1] == "minimise")
      window->SetState(simos::WindowState::kMinimised);
    else if (w[1] == "restore")
      window->SetState(simos::WindowState::kNormal);
    else if (w[1] == "maximise")
      window->SetState(simos::WindowState::kMaximised);
    else if (w[1] == "close")
      window->RequestClose();
    else
      return "window takes minimise, restore, maximise or close";
    return {};
  }
  if (name == "click-cell" && w.size() == 4) {
    // click-cell GRID ROW COLUMN: ROW counts from 1; the new-row line follows the rows.
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    auto row = ParseWhole(w[2]);
    if (!row || *row < 1) return "rows count from 1";
    return MessageOf(window->ClickCell(w[1], static_cast<std::size_t>(*row - 1), w[3]));
  }
  if ((name == "type" || name == "click" || name == "check" || name == "select") && w.size() >= 2) {
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    if (name == "type" && w.size() == 3) return MessageOf(window->Type(w[1], w[2]));
    if (name == "click" && w.size() == 2) return MessageOf(window->Click(w[1]));
    if (name == "check" && w.size() == 3 && (w[2] == "True" || w[2] == "False")) {
      return MessageOf(window->SetChecked(w[1], w[2] == "True"));
    }
    if (name == "select" && w.size() == 3) return MessageOf(window->SelectItem(w[1], w[2]));
  }
  return "unknown step or wrong arguments: " + name;
}

std::string Runner::Answer(const std::vector<std::string>& w) {
  if (w.size() >= 3 && w[1] == "form" && (w[2] == "ok" || w[2] == "cancel")) {
    // answer form ok|cancel [CONTROL=VALUE ...]
    TestHost::FormValues values;
    for (std::size_t i = 3; i < w.size(); ++i) {
      auto cut = w[i].find('=');
      if (cut == std::string::npos) return "form values are written CONTROL=VALUE";
      values.emplace_back(w[i].substr(0, cut), w[i].substr(cut + 1));
    }
    if (host_) {
      host_->QueueFormAnswer(w[2] == "ok", std::move(values));
    } else {
      earlyForms_.emplace_back(w[2] == "ok", std::move(values));
      earlyAnswers_.emplace_back(simos::PromptKind::kModalForm, simos::PromptAnswer{});
    }
    return {};
  }
  if (w.size() == 2 || w.size() == 3) {
    simos::PromptAnswer answer;
    // Answers given before "start" wait for the host.
    auto queue = [this](simos::PromptKind kind, simos::PromptAnswer a) {
      if (host_) {
        host_->QueueAnswer(kind, std::move(a));
      } else {
        earlyAnswers_.emplace_back(kind, std::move(a));
      }
    };
    if (w[1] == "ok" && w.size() == 2) {
      queue(simos::PromptKind::kMessage, answer);
    } else if ((w[1] == "yes" || w[1] == "no") && w.size() == 2) {
      answer.yes = w[1] == "yes";
      queue(simos::PromptKind::kYesNo, answer);
    } else if (w[1] == "open" || w[1] == "save") {
      if (w.size() == 3) answer.path = FilePath(w[2]).string();
      queue(w[1] == "open" ? simos::PromptKind::kOpenFile : simos::PromptKind::kSaveFile, answer);
    } else {
      return "answer takes ok, yes, no, open/save with a file (none: cancelled), form ok/cancel";
    }
    return {};
  }
  return "answer takes ok, yes, no, open/save with a file (none: cancelled), form ok/cancel";
}

std::string Runner::Expect(const std::vector<std::string>& w) {
  if (w.size() < 2) return "expect what?";
  const std::string& what = w[1];
  if (what == "file" && w.size() == 4) {
    // expect file PATH EXPECTED-FILE
    auto actual = text::ReadFileBytes(FilePath(w[2]));
    auto expected = text::ReadFileBytes(DataPath(w[3]));
    if (!expected) return "cannot read " + w[3];
    if (!actual) return w[2] + ": no such file";
    if (*actual != *expected) return w[2] + ": " + FirstDifference(*expected, *actual);
    return {};
  }
  if (what == "file-text" && w.size() == 4) {
    auto actual = text::ReadFileBytes(FilePath(w[2]));
    if (!actual || *actual != w[3]) {
      return w[2] + ": expected " + Shown(w[3]) + ", got " + ShownBytes(actual);
    }
    return {};
  }
  if (what == "no-file" && w.size() == 3) {
    if (std::filesystem::exists(FilePath(w[2]))) return w[2] + " exists";
    return {};
  }
  if (what == "profile" && w.size() == 4) {
    // expect profile SECTION/KEY "text"
    std::string section = w[2].substr(0, w[2].find('/'));
    std::string key = w[2].find('/') == std::string::npos ? "" : w[2].substr(w[2].find('/') + 1);
    plugin::XMLNetProfile profile(profile_.string(), section, true);
    if (!profile.Load()) return "the profile does not load: " + profile.LastError();
    if (!profile.FindEntry(key)) return "the profile has no " + w[2];
    std::string actual = profile.ReadString(key);
    if (actual != w[3]) return w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(actual);
    return {};
  }
  if (what == "no-profile-entry" && w.size() == 3) {
    std::string section = w[2].substr(0, w[2].find('/'));
    std::string key = w[2].find('/') == std::string::npos ? "" : w[2].substr(w[2].find('/') + 1);
    plugin::XMLNetProfile profile(profile_.string(), section, true);
    profile.Load();
    if (key.empty() ? profile.FindEntry("") != nullptr : profile.FindEntry(key) != nullptr) {
      return "the profile has " + w[2];
    }
    return {};
  }
  if (!host_) return "the host has not started (step \"start\")";
  if (what == "status" && w.size() == 3) {
    auto status = host_->Status();
    if (!status) return "the status string holds no buffer";
    if (*status != w[2]) return "status: expected " + Shown(w[2]) + ", got " + Shown(*status);
    return {};
  }
  if (what == "loads" && w.size() == 3) {
    auto count = ParseWhole(w[2]);
    auto loads = host_->LoadCalls();
    if (!count || static_cast<long>(loads.size()) != *count) {
      return "LoadGCodeFile calls: expected " + w[2] + ", got " + std::to_string(loads.size());
    }
    return {};
  }
  if (what == "loaded" && w.size() == 4) {
    // expect loaded PATH EXPECTED-FILE: the last load's path and the file then.
    auto loads = host_->LoadCalls();
    if (loads.empty()) return "LoadGCodeFile was not called";
    const LoadCall& last = loads.back();
    if (last.path != w[2])
      return "loaded path: expected " + Shown(w[2]) + ", got " + Shown(last.path);
    auto expected = text::ReadFileBytes(DataPath(w[3]));
    if (!expected) return "cannot read " + w[3];
    if (!last.bytes) return "the loaded file could not be read when it was loaded";
    if (*last.bytes != *expected) return "loaded file: " + FirstDifference(*expected, *last.bytes);
    return {};
  }
  if (what == "script-calls" && w.size() == 3) {
    auto count = ParseWhole(w[2]);
    if (!count || host_->ScriptCalls() != *count) {
      return "GetScriptDispatch calls: expected " + w[2] + ", got " +
             std::to_string(host_->ScriptCalls());
    }
    return {};
  }
  if (what == "buttons") {
    std::string expected, actual;
    for (std::size_t i = 2; i < w.size(); ++i) expected += (i > 2 ? " " : "") + w[i];
    for (std::size_t i = 0; i < host_->Buttons().size(); ++i) {
      actual += (i > 0 ? " " : "") + std::to_string(host_->Buttons()[i]);
    }
    if (expected != actual)
      return "buttons pressed: expected [" + expected + "], got [" + actual + "]";
    return {};
  }
  if (what == "menu" && w.size() >= 3) {
    std::vector<std::string> expected(w.begin() + 3, w.end());
    auto actual = host_->MenuTexts(w[2]);
    if (expected != actual) {
      std::string shown;
      for (const auto& text : actual) shown += " " + Shown(text);
      return "menu " + Shown(w[2]) + " holds" + (shown.empty() ? " nothing" : shown);
    }
    return {};
  }
  if (what == "prompt" && (w.size() == 4 || w.size() == 5)) {
    // expect prompt KIND "text" ["caption"]: the oldest prompt not yet expected.
    if (pendingPrompts_.empty()) {
      for (auto& prompt : host_->TakePrompts()) pendingPrompts_.push_back(std::move(prompt));
    }
    if (pendingPrompts_.empty()) return "no prompt was shown";
    static const std::map<std::string, simos::PromptKind> kKinds = {
        {"message", simos::PromptKind::kMessage},
        {"yesno", simos::PromptKind::kYesNo},
        {"open", simos::PromptKind::kOpenFile},
        {"save", simos::PromptKind::kSaveFile},
        {"form", simos::PromptKind::kModalForm}};
    auto kindName = [&](simos::PromptKind k) {
      for (const auto& [name, value] : kKinds) {
        if (value == k) return name;
      }
      return std::string("?");
    };
    ShownPrompt prompt = pendingPrompts_.front();
    pendingPrompts_.erase(pendingPrompts_.begin());

    auto kind = kKinds.find(w[2]);
    if (kind == kKinds.end()) return "prompt kinds: message, yesno, open, save, form";
    // A file dialog is known by its filter.
    const bool fileDialog =
        prompt.kind == simos::PromptKind::kOpenFile || prompt.kind == simos::PromptKind::kSaveFile;
    if (fileDialog) prompt.text = prompt.filter;
    if (prompt.kind != kind->second || prompt.text != w[3] ||
        (w.size() == 5 && prompt.caption != w[4])) {
      return "prompt: expected " + w[2] + " " + Shown(w[3]) +
             (w.size() == 5 ? " " + Shown(w[4]) : "") + ", got " + kindName(prompt.kind) + " " +
             Shown(prompt.text) + " caption " + Shown(prompt.caption);
    }
    return {};
  }
  if (what == "no-prompt" && w.size() == 2) {
    for (auto& prompt : host_->TakePrompts()) pendingPrompts_.push_back(std::move(prompt));
    if (!pendingPrompts_.empty()) {
      std::string shown = Shown(pendingPrompts_.front().text);
      pendingPrompts_.clear();
      return "a prompt was shown: " + shown;
    }
    return {};
  }
  if (what == "engine" && w.size() == 4) {
    auto offset = ParseWhole(w[2]);
    auto value = ParseWhole(w[3]);
    if (!offset || !value || *offset < 0) return "expect engine OFFSET VALUE";
    auto actual = host_->EngineByte(static_cast<std::size_t>(*offset));
    if (actual != *value)
      return "engine byte " + w[2] + ": expected " + w[3] + ", got " + std::to_string(actual);
    return {};
  }
  std::string failure;
  if (what == "text" && w.size() == 4) {
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    auto text = window->ControlText(w[2]);
    if (!text) return "no control " + w[2];
    if (*text != w[3]) return w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(*text);
    return {};
  }
  if (what == "rows" && w.size() == 4) {
    // expect rows GRID N: the grid's rows, the new-row line not counted.
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    auto count = ParseWhole(w[3]);
    auto rows = window->RowCount(w[2]);
    if (!rows) return "no grid " + w[2];
    if (!count || static_cast<long>(*rows) != *count) {
      return w[2] + ": expected " + w[3] + " rows, got " + std::to_string(*rows);
    }
    return {};
  }
  if (what == "cell" && w.size() == 6) {
    // expect cell GRID ROW COLUMN "text": ROW counts from 1 in display order.
    simos::UiWindow* window = Window(std::string(kMainDialog), failure);
    if (!window) return failure;
    auto row = ParseWhole(w[3]);
    if (!row || *row < 1) return "rows count from 1";
    auto text = window->CellText(w[2], static_cast<std::size_t>(*row - 1), w[4]);
    if (!text) return w[2] + " has no cell " + w[3] + "/" + w[4];
    if (*text != w[5]) {
      return w[2] + " " + w[3] + "/" + w[4] + ": expected " + Shown(w[5]) + ", got " + Shown(*text);
    }
    return {};
  }
  if (what == "window" && w.size() == 3) {
    simos::UiWindow* window = simos::FindUiWindow(std::string(kMainDialog));
    std::string actual = "absent";
    if (window != nullptr) {
      if (!window->Visible())
        actual = "hidden";
      else if (window->State() == simos::WindowState::kMinimised)
        actual = "minimised";
      else if (window->State() == simos::WindowState::kMaximised)
        actual = "maximised";
      else
        actual = "normal";
    }
    if (actual != w[2]) return "window: expected " + w[2] + ", got " + actual;
    return {};
  }
  return "unknown expectation or wrong arguments: " + what;
}

}  // namespace

bool RunScenario(const std::filesystem::path& file, const RunOptions& options,
                 std::ostream& errors) {
  return Runner(file, options, errors).Run();
}

}  // namespace kelvora::testhost
