// The scenario runner over a recording host: what each step asks of the host,
// when a step may be taken, and how failures are reported.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/host_interface.h"
#include "runner.h"
#include "text/files.h"

namespace kelvora::testhost {
namespace {

// A host that records what it is asked and answers from what a case sets.
struct FakeHost final : HostDriver {
  bool loadThreadCapability = false;
  std::vector<std::string> calls;
  HostOptions options;
  std::vector<std::uint8_t> engine = std::vector<std::uint8_t>(16);
  std::vector<LoadCall> loads;
  std::vector<Prompt> prompts;
  std::vector<Answer> answers;
  std::vector<std::string> faults;
  std::map<std::string, std::string> controls;
  std::vector<std::vector<std::string>> rows;  // grid "g", columns "A" and "B"
  bool windowOpen = true;

  bool Can(Capability) const override { return loadThreadCapability; }
  std::filesystem::path drive;
  std::string Prepare(const std::filesystem::path& work) override {
    drive = work / "drive";
    return {};
  }
  // "C:\\a\\b" as the file "a\\b" in the work folder's "drive".
  std::filesystem::path DrivePath(const std::string& path) const override {
    return drive / path.substr(3);
  }
  std::string Start(const std::filesystem::path&, const std::filesystem::path&,
                    const HostOptions& given) override {
    options = given;
    calls.push_back("start");
    return {};
  }
  std::string Update() override {
    calls.push_back("update");
    return {};
  }
  void Notify(int id) override { calls.push_back("notify " + std::to_string(id)); }
  void Config() override { calls.push_back("config"); }
  void JogOff(std::int16_t axis) override { calls.push_back("jogoff " + std::to_string(axis)); }
  std::string RegisterAutomationNow() override { return "registered already"; }
  std::string Shutdown() override {
    calls.push_back("shutdown");
    return {};
  }
  std::optional<int> MenuCommand(const std::string& top, const std::string& entry) const override {
    if (top == "PlugIn Control" && entry == "Kelvora") return kFirstCommandId;
    return std::nullopt;
  }
  std::vector<std::string> MenuTexts(const std::string& top) const override {
    if (top == "PlugIn Control") return {"Config Plugins", "Kelvora"};
    return {};
  }
  void SetDro(std::int16_t code, double value) override {
    std::ostringstream call;
    call << "dro " << code << " " << value;
    calls.push_back(call.str());
  }
  bool SetEngineByte(std::size_t offset, std::uint8_t value) override {
    calls.push_back("engine " + std::to_string(offset) + "=" + std::to_string(value));
    return true;
  }
  std::optional<std::uint8_t> EngineByte(std::size_t offset) const override {
    if (offset >= engine.size()) return std::nullopt;
    return engine[offset];
  }
  std::optional<std::string> Status() const override { return "Ready"; }
  std::vector<int> Buttons() const override { return {1, 2}; }
  std::vector<LoadCall> LoadCalls() const override { return loads; }
  int ScriptCalls() const override { return 0; }
  void QueueAnswer(Answer answer) override { answers.push_back(std::move(answer)); }
  std::size_t PendingAnswers() const override { return answers.size(); }
  std::vector<Prompt> TakePrompts() override { return std::exchange(prompts, {}); }
  std::vector<std::string> TakeFaults() override { return std::exchange(faults, {}); }
  std::unique_ptr<PluginWindow> FindWindow(const std::string& name) override;
};

// The host's window "XYZDemoDialog": its controls' texts and grid "g" (columns
// "A" and "B") come from the host; actions are recorded with the host's calls.
class FakeWindow final : public PluginWindow {
 public:
  explicit FakeWindow(FakeHost& host) : host_(host) {}
  WindowState State() const override { return WindowState::kMinimised; }
  void Command(WindowCommand command) override {
    Record("window " + std::to_string(static_cast<int>(command)));
  }
  std::optional<std::string> ControlText(const std::string& control) const override {
    auto found = host_.controls.find(control);
    if (found == host_.controls.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::size_t> RowCount(const std::string& grid) const override {
    if (grid != "g") return std::nullopt;
    return host_.rows.size();
  }
  std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                      const std::string& column) const override {
    if (grid != "g" || row >= host_.rows.size() || (column != "A" && column != "B"))
      return std::nullopt;
    return host_.rows[row][column == "A" ? 0 : 1];
  }
  std::string Type(const std::string& control, const std::string& text) override {
    return Record("type " + control + " " + text);
  }
  std::string Click(const std::string& control) override { return Record("click " + control); }
  std::string SetChecked(const std::string& control, bool checked) override {
    return Record("check " + control + (checked ? " on" : " off"));
  }
  std::string ClickCell(const std::string& grid, std::size_t line,
                        const std::string& column) override {
    return Record("click-cell " + grid + " " + std::to_string(line) + " " + column);
  }
  std::string Select(const std::string& control, const std::string& item) override {
    return Record("select " + control + " " + item);
  }

 private:
  std::string Record(std::string call) {
    host_.calls.push_back(std::move(call));
    return {};
  }

  FakeHost& host_;
};

std::unique_ptr<PluginWindow> FakeHost::FindWindow(const std::string& name) {
  if (!windowOpen || name != "XYZDemoDialog") return nullptr;
  return std::make_unique<FakeWindow>(*this);
}

class RunnerTest : public ::testing::Test {
 protected:
  // Runs the script; returns what the runner reported, the file's path cut off.
  std::string Run(const std::string& script) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / "kelvora_runner_test";
    std::filesystem::create_directories(folder);
    const auto file = folder / "case.scn";
    EXPECT_TRUE(text::WriteFileAtomic(file, script));
    options_.work = folder / "work";
    options_.data = folder;
    std::ostringstream errors;
    const bool passed = RunScenario(file, options_, host_, errors);
    std::string report = errors.str();
    EXPECT_EQ(passed, report.empty()) << report;
    const std::string prefix = file.string() + ":";
    if (report.rfind(prefix, 0) == 0) report = report.substr(prefix.size());
    if (!report.empty() && report.back() == '\n') report.pop_back();
    return report;
  }

  FakeHost host_;
  RunOptions options_;
};

TEST_F(RunnerTest, StepsReachTheHostAsWritten) {
  const std::string kAxis1Jogging = std::to_string(plugin::AxisByte(1, plugin::kAxisJogging));
  struct Case {
    std::string script;
    std::vector<std::string> calls;  // after "start", before the closing shutdown
  };
  const std::vector<Case> cases = {
      {"menu \"PlugIn Control\" Kelvora", {"notify 1200"}},
      {"notify reserved+3\nnotify 7", {"notify 1203", "notify 7"}},
      {"update 3", {"update", "update", "update"}},
      {"update 0\nupdate", {"update"}},
      {"dro 800 1.5\njogoff 2\nconfig", {"dro 800 1.5", "jogoff 2", "config"}},
      {"signal record on\nsignal op3 off", {"engine 165192=1", "engine 165144=0"}},
      // Jogging an axis also raises the engine's jog flag; stopping leaves it.
      {"jog 1 on\njog 1 off",
       {"engine " + kAxis1Jogging + "=1", "engine 163908=1", "engine " + kAxis1Jogging + "=0"}},
      {"type txtR \"1 2\"\nclick btnOK\ncheck chkA True\ncheck chkA False",
       {"type txtR 1 2", "click btnOK", "check chkA on", "check chkA off"}},
      // Rows are written from 1 and reach the window from 0.
      {"click-cell g 1 A\nselect tabs Points", {"click-cell g 0 A", "select tabs Points"}},
      {"window minimise\nwindow close", {"window 0", "window 3"}},
  };
  for (const Case& c : cases) {
    host_ = FakeHost{};
    EXPECT_EQ(Run("start\n" + c.script + "\n"), "") << c.script;
    std::vector<std::string> expected = {"start"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    expected.push_back("shutdown");
    EXPECT_EQ(host_.calls, expected) << c.script;
  }
}

TEST_F(RunnerTest, HostSettingsReachTheStart) {
  EXPECT_EQ(Run("host plugin-menu off\nhost automation classid-only\n"
                "host script-result integer\nhost load-result fail\nstart\n"),
            "");
  EXPECT_FALSE(host_.options.plugInMenu);
  EXPECT_EQ(host_.options.automation, AutomationSetup::kClassIdOnly);
  EXPECT_EQ(host_.options.scriptResult, ScriptResult::kInteger);
  EXPECT_TRUE(host_.options.loadFails);
}

TEST_F(RunnerTest, RefusedStepsNameTheirLine) {
  struct Case {
    std::string script;
    std::string report;
  };
  const std::vector<Case> cases = {
      {"update", "1: the host has not started (step \"start\")"},
      {"expect status Ready", "1: the host has not started (step \"start\")"},
      {"start\nshutdown\nupdate", "3: the host has shut down"},
      {"start\nhost plugin-menu off", "2: host settings come before \"start\""},
      {"start\nstart", "2: started already"},
      {"host automation sometimes", "1: automation takes registered, classid-only, not-running"},
      {"host colour blue", "1: unknown host setting"},
      {"start\nupdate 1 2", "2: unknown step or wrong arguments: update"},
      {"start\njump", "2: unknown step or wrong arguments: jump"},
      {"start\nexpect", "2: expect what?"},
      {"start\nexpect rows g", "2: unknown expectation or wrong arguments: rows"},
      {"start\nupdate -1", "2: update takes a count"},
      {"start\njog 6 on", "2: jog takes an axis 0 to 5"},
      {"start\nsignal op4 on", "2: signal takes record, op1, op2 or op3, then on or off"},
      {"start\ncheck chkA yes", "2: check takes a check box, then True or False"},
      {"start\nmenu File Kelvora", "2: no menu entry \"File\" / \"Kelvora\""},
      {"start\nclick-cell g 0 A", "2: rows count from 1"},
      {"start\nwindow wobble", "2: window takes minimise, restore, maximise or close"},
      {"answer form ok txtR", "1: form values are written CONTROL=VALUE"},
      {"answer maybe",
       "1: answer takes ok, yes, no, open/save with a file (none: cancelled), form ok/cancel"},
      {"start\nanswer ok", "2: answers queued but never asked for"},
  };
  for (const Case& c : cases) {
    host_ = FakeHost{};
    EXPECT_EQ(Run(c.script + "\n"), c.report) << c.script;
  }
}

TEST_F(RunnerTest, ExpectationsReadTheHost) {
  struct Case {
    std::string expectation;
    std::string report;  // empty: it holds
  };
  const std::vector<Case> cases = {
      {"status Ready", ""},
      {"status Busy", "status: expected \"Busy\", got \"Ready\""},
      {"buttons 1 2", ""},
      {"buttons", "buttons pressed: expected [], got [1 2]"},
      {"menu \"PlugIn Control\" \"Config Plugins\" Kelvora", ""},
      {"menu Help", ""},
      {"menu \"PlugIn Control\"", "menu \"PlugIn Control\" holds \"Config Plugins\" \"Kelvora\""},
      {"engine 3 7", ""},
      {"engine 3 8", "engine byte 3: expected 8, got 7"},
      // Past the engine block: a failure, not a read of memory beyond it.
      {"engine 16 0", "the engine block ends before byte 16"},
      {"text txtR 12.5", ""},
      {"text txtR 12", "txtR: expected \"12\", got \"12.5\""},
      {"text txtQ 1", "no control txtQ"},
      {"rows g 2", ""},
      {"rows g 3", "g: expected 3 rows, got 2"},
      {"rows h 0", "no grid h"},
      {"cell g 2 B \"y 2\"", ""},
      {"cell g 2 A x", "g 2/A: expected \"x\", got \"x2\""},
      {"cell g 3 A x", "g has no cell 3/A"},
      {"cell g 0 A x", "rows count from 1"},
      {"window minimised", ""},
      {"window normal", "window: expected normal, got minimised"},
      {"loads 0", ""},
      {"loads 1", "LoadGCodeFile calls: expected 1, got 0"},
      {"loaded C:\\a.tap @a.tap", "LoadGCodeFile was not called"},
  };
  for (const Case& c : cases) {
    host_ = FakeHost{};
    host_.engine[3] = 7;
    host_.controls["txtR"] = "12.5";
    host_.rows = {{"x1", "y 1"}, {"x2", "y 2"}};
    const std::string report = Run("start\nexpect " + c.expectation + "\n");
    EXPECT_EQ(report, c.report.empty() ? "" : "2: " + c.report) << c.expectation;
  }
}

TEST_F(RunnerTest, TheWindowMustBeOpen) {
  host_.windowOpen = false;
  EXPECT_EQ(Run("start\nexpect window absent\n"), "");
  host_ = FakeHost{};
  host_.windowOpen = false;
  EXPECT_EQ(Run("start\ntype txtR 1\n"), "2: no window XYZDemoDialog");
}

TEST_F(RunnerTest, PromptsAreExpectedOldestFirst) {
  host_.prompts = {{PromptKind::kYesNo, "Save file? ", "Confirm!!!"},
                   {PromptKind::kSaveFile, "csv files (*.csv)|*.csv", ""},
                   {PromptKind::kMessage, "Saved", ""}};
  EXPECT_EQ(Run("start\nexpect prompt yesno \"Save file? \" \"Confirm!!!\"\n"
                "expect prompt save \"csv files (*.csv)|*.csv\"\n"
                "expect prompt message Saved wrong\n"),
            "4: prompt: expected message \"Saved\" \"wrong\", got message \"Saved\" caption \"\"");
  host_ = FakeHost{};
  host_.prompts = {{PromptKind::kMessage, "Hello", ""}};
  EXPECT_EQ(Run("start\nexpect no-prompt\n"), "2: a prompt was shown: \"Hello\"");
}

TEST_F(RunnerTest, AnswersCarryTheirKindAndFile) {
  EXPECT_EQ(Run("answer yes\nanswer save @work/out.csv\nanswer open\n"
                "answer form cancel chkA=True txtR=2\n"),
            "4: answers queued but never asked for");
  ASSERT_EQ(host_.answers.size(), 4u);
  EXPECT_EQ(host_.answers[0].kind, PromptKind::kYesNo);
  EXPECT_TRUE(host_.answers[0].yes);
  EXPECT_EQ(host_.answers[1].kind, PromptKind::kSaveFile);
  EXPECT_EQ(host_.answers[1].path, options_.work / "out.csv");
  EXPECT_EQ(host_.answers[2].kind, PromptKind::kOpenFile);
  EXPECT_FALSE(host_.answers[2].path);  // cancelled
  EXPECT_EQ(host_.answers[3].kind, PromptKind::kModalForm);
  EXPECT_FALSE(host_.answers[3].yes);
  EXPECT_EQ(host_.answers[3].values, (FormValues{{"chkA", "True"}, {"txtR", "2"}}));
}

TEST_F(RunnerTest, TheLoadThreadIsCheckedWhereTheHostCanTell) {
  const std::string script = "start\nexpect loaded C:\\a.tap @data/a.tap\n";
  ASSERT_TRUE(text::WriteFileAtomic(
      std::filesystem::path(::testing::TempDir()) / "kelvora_runner_test" / "a.tap", "G0\n"));
  for (bool capability : {false, true}) {
    host_ = FakeHost{};
    host_.loadThreadCapability = capability;
    host_.loads = {{"C:\\a.tap", "G0\n", false}};
    EXPECT_EQ(Run(script),
              capability ? "2: LoadGCodeFile ran on another thread than the host's" : "");
  }
}

TEST_F(RunnerTest, FaultsFailTheStepTheyFollow) {
  host_.faults = {"unanswered message \"x\"", "status string: bad free"};
  EXPECT_EQ(Run("start\n"), "1: unanswered message \"x\"; status string: bad free");
}

TEST_F(RunnerTest, DrivePathsAndProfileFilesAreFound) {
  const auto folder = std::filesystem::path(::testing::TempDir()) / "kelvora_runner_test";
  ASSERT_TRUE(text::WriteFileAtomic(folder / "stored.xml", "<profile/>"));
  EXPECT_EQ(Run("profile @data/stored.xml\nexpect file-text profile \"<profile/>\"\n"
                "write C:\\Mach3\\x.tap G1\nexpect file-text @work/drive/Mach3\\x.tap G1\n"),
            "");
}

}  // namespace
}  // namespace kelvora::testhost
