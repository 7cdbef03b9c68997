#include "runner_steps.h"
#include "settings/xml_net_profile.h"

namespace kelvora::testhost::run {

namespace {

// In the order of PromptKind and of WindowState.
constexpr std::string_view kPromptKinds[] = {"message", "yesno", "open", "save", "form"};
constexpr std::string_view kWindowStates[] = {"hidden", "normal", "minimised", "maximised"};

}  // namespace

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
  settings::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
  if (!profile.Load()) return "the profile does not load: " + profile.LastError();
  if (!profile.FindEntry(key)) return "the profile has no " + w[0];
  std::string actual = profile.ReadString(key);
  if (actual != w[1]) return w[0] + ": expected " + Shown(w[1]) + ", got " + Shown(actual);
  return {};
}

std::string Runner::ExpectNoProfileEntry(const Words& w) {
  auto [section, key] = ProfileEntry(w[0]);
  settings::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
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
  auto kind = Named<PromptKind>(kPromptKinds, w[0]);
  if (!kind) return "prompt kinds: message, yesno, open, save, form";
  if (prompt.kind != *kind || prompt.text != w[1] || (w.size() == 3 && prompt.caption != w[2])) {
    return "prompt: expected " + w[0] + " " + Shown(w[1]) +
           (w.size() == 3 ? " " + Shown(w[2]) : "") + ", got " + NameOf(kPromptKinds, prompt.kind) +
           " " + Shown(prompt.text) + " caption " + Shown(prompt.caption);
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
  return OnWindow([&](PluginWindow& window) -> std::string {
    auto text = window.ControlText(w[0]);
    if (!text) return "no control " + w[0];
    if (*text != w[1]) return w[0] + ": expected " + Shown(w[1]) + ", got " + Shown(*text);
    return {};
  });
}

std::string Runner::ExpectRows(const Words& w) {
  // expect rows GRID N: the grid's rows, the new-row line not counted.
  return OnWindow([&](PluginWindow& window) -> std::string {
    auto count = ParseWhole(w[1]);
    auto rows = window.RowCount(w[0]);
    if (!rows) return "no grid " + w[0];
    if (!count || static_cast<long>(*rows) != *count)
      return w[0] + ": expected " + w[1] + " rows, got " + std::to_string(*rows);
    return {};
  });
}

std::string Runner::ExpectCell(const Words& w) {
  // expect cell GRID ROW COLUMN "text": ROW counts from 1 in display order.
  auto row = RowIndex(w[1]);
  if (!row) return "rows count from 1";
  return OnWindow([&](PluginWindow& window) -> std::string {
    auto text = window.CellText(w[0], *row, w[2]);
    if (!text) return w[0] + " has no cell " + w[1] + "/" + w[2];
    if (*text != w[3])
      return w[0] + " " + w[1] + "/" + w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(*text);
    return {};
  });
}

std::string Runner::ExpectWindow(const Words& w) {
  auto window = driver_.FindWindow(kMainDialog);
  const std::string actual(window ? NameOf(kWindowStates, window->State()) : "absent");
  if (actual != w[0]) return "window: expected " + w[0] + ", got " + actual;
  return {};
}

}  // namespace kelvora::testhost::run
