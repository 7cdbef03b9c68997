// The scenario runner's inside, shared by the files that hold its steps
// (runner.cpp) and its expectations (runner_expect.cpp).
#pragma once

#include <cstdint>
#include <limits>
#include <ostream>
#include <string_view>

#include "runner.h"
#include "text/files.h"

namespace kelvora::testhost::run {

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

// The value a name stands for in a table of pairs, or nullptr.
template <typename Value, std::size_t N>
const Value* Lookup(const std::pair<std::string_view, Value> (&table)[N], std::string_view name) {
  for (const auto& [key, value] : table) {
    if (key == name) return &value;
  }
  return nullptr;
}

// An enumeration's values by their names, listed in the enumeration's order.
template <typename Enum, std::size_t N>
std::optional<Enum> Named(const std::string_view (&names)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == name) return static_cast<Enum>(i);
  }
  return std::nullopt;
}

template <typename Enum, std::size_t N>
std::string NameOf(const std::string_view (&names)[N], Enum value) {
  const auto index = static_cast<std::size_t>(value);
  return index < N ? std::string(names[index]) : "?";
}

inline std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : std::string(separator)) + part;
  return out;
}

// "on" or "off" as a byte, or nullopt.
inline std::optional<std::uint8_t> OnOff(const std::string& word) {
  if (word == "on") return 1;
  if (word == "off") return 0;
  return std::nullopt;
}

// A row as the scenario counts it (from 1), as an index from 0.
inline std::optional<std::size_t> RowIndex(const std::string& word) {
  auto row = ParseWhole(word);
  if (!row || *row < 1) return std::nullopt;
  return static_cast<std::size_t>(*row - 1);
}

// SECTION/KEY of the profile, split.
inline std::pair<std::string, std::string> ProfileEntry(const std::string& word) {
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

  std::string Take(const Words& w);
  // Hands the plug-in's main window to `use`; fails when it is not open.
  template <typename Use>
  std::string OnWindow(Use use) {
    auto window = driver_.FindWindow(kMainDialog);
    if (!window) return "no window " + std::string(kMainDialog);
    return use(*window);
  }
  std::string SetEngine(std::size_t offset, std::uint8_t value);

  // The steps and expectations the table names.
  std::string HostStep(const Words& w);
  std::string ProfileStep(const Words& w);
  std::string StartStep(const Words& w);
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

}  // namespace kelvora::testhost::run
