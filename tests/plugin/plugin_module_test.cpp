#include "plugin/plugin_module.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "plugin/host_string.h"
#include "settings/profile_files.h"
#include "support/host_string_methods.h"
#include "text/gcode_dialect.h"
#include "text/utf16.h"

namespace kelvora::plugin {
namespace {

// The stored values the plug-in hands between the profile and the dialog.
using namespace settings;

// ---- A host of doubles ------------------------------------------------------

// What the host's callbacks saw, in order ("dro 800", "button 169", "load").
std::vector<std::string> g_calls;
std::map<std::int16_t, double> g_dros;

int FakeGetMenuRange(std::int16_t count) {
  g_calls.push_back("menu range " + std::to_string(count));
  return 500;
}
void FakeDoButton(std::int16_t code) {
  g_calls.push_back("button " + std::to_string(code));
}
double FakeGetDRO(std::int16_t code) {
  g_calls.push_back("dro " + std::to_string(code));
  return g_dros[code];
}

struct FakeMenu final : HostMenu {
  struct Item {
    std::string text;
    void* sub;
    bool readable = true;
  };
  std::map<void*, std::vector<Item>> menus;
  std::map<void*, void*> windows;
  std::vector<std::pair<std::uintptr_t, std::string>> appended;
  void* appendedTo = nullptr;

  void* GetMenu(void* window) override { return windows.count(window) ? windows[window] : nullptr; }
  int GetMenuItemCount(void* menu) override {
    return menus.count(menu) ? static_cast<int>(menus[menu].size()) : -1;
  }
  std::optional<MenuItemInfo> GetMenuItem(void* menu, int position) override {
    const Item& item = menus.at(menu).at(static_cast<std::size_t>(position));
    if (!item.readable) return std::nullopt;
    return MenuItemInfo{item.text, item.sub};
  }
  bool AppendMenuItem(void* menu, std::uintptr_t id, const std::string& text) override {
    appendedTo = menu;
    appended.emplace_back(id, text);
    return true;
  }
};

struct FakeAutomation final : AutomationService {
  bool running = true;
  AutomationResult scriptResult{kVtDispatch, this};
  HResult loadResult = kSOk;
  std::vector<std::u16string> loads;
  int lookups = 0;         // CreateObject calls
  int scriptRequests = 0;  // "GetScriptDispatch" calls

  HResult CreateObject(std::u16string_view progId, AutomationObject* object) override {
    ++lookups;
    *object = nullptr;
    if (!running || progId != kHostDocumentProgId) return kMkEUnavailable;
    *object = this;
    return kSOk;
  }
  HResult Invoke(AutomationObject, std::uint16_t, AutomationResult* result,
                 std::u16string_view member, const char*,
                 const std::vector<AutomationArg>& args) override {
    if (member == u"GetScriptDispatch") {
      ++scriptRequests;
      *result = scriptResult;
      return kSOk;
    }
    loads.push_back(std::get<std::u16string>(args.at(0)));
    g_calls.push_back("load");
    return loadResult;
  }
};

// Runs each thread when the test says so, so a test sees the moment between the
// start of a load and its end.
struct FakeThreads final : ThreadStarter {
  std::vector<std::pair<ThreadBody, void*>> pending;
  bool refuse = false;
  bool StartThread(ThreadBody body, void* context) override {
    if (refuse) return false;
    pending.emplace_back(body, context);
    return true;
  }
  void RunAll() {
    for (auto [body, context] : std::exchange(pending, {})) body(context);
  }
};

struct FakePaths final : HostPaths {
  std::filesystem::path LocalPath(std::string_view path) const override { return path; }
  std::optional<std::string> HostTextToUtf8(std::string_view text) const override {
    return std::string(text);
  }
  std::optional<std::u16string> HostTextToWide(std::string_view text) const override {
    return text::Utf8ToUtf16(text);
  }
};

struct FakeUdp final : UdpNetwork {
  std::unique_ptr<UdpSocket> Open(const std::string&, std::uint16_t) override { return nullptr; }
};

struct FakeFiles final : HostFiles {
  Outcome<void> ReplaceFileContent(const std::filesystem::path&, std::string_view) override {
    return {};
  }
};

// Memory that passes every check while `sound`, and none when not: a host whose
// status string does not have the expected layout.
struct FakeMemory final : HostMemory {
  bool sound = true;
  bool Readable(const void* address, std::size_t) const override {
    return sound && address != nullptr;
  }
  bool Writable(const void* address, std::size_t) const override {
    return sound && address != nullptr;
  }
  bool IsModuleCode(const void* address) const override { return sound && address != nullptr; }
};

struct FakeMessages final : HostMessages {
  std::vector<std::string> shown;
  void Message(std::string_view text, std::string_view) override { shown.emplace_back(text); }
};

struct FakeDialog final : PluginDialog {
  DialogWindowState state = DialogWindowState::kNormal;
  bool visible = false;
  bool paramLoaded = false;
  int loadParamCalls = 0;
  int showCalls = 0;
  bool throwOnShow = false;
  Settings loaded;
  Settings toSave;
  bool loadTrigger = false;
  bool closeTrigger = false;
  bool getAuto = false;
  std::string pointX, pointY;
  dialog::TeachPosition teach;
  std::vector<dialog::TeachAction> actions;
  std::string windowFailure;

  DialogWindowState WindowState() const override { return state; }
  std::string WindowFailure() const override { return windowFailure; }
  bool Visible() const override { return visible; }
  void ShowAndFocus() override {
    ++showCalls;
    if (throwOnShow) throw std::runtime_error("show failed");
    visible = true;
    if (state == DialogWindowState::kMinimised) state = DialogWindowState::kNormal;
  }
  bool ParamLoaded() const override { return paramLoaded; }
  void LoadParam(const Settings& settings) override {
    ++loadParamCalls;
    loaded = settings;
    paramLoaded = true;
  }
  Settings SaveParam() override { return toSave; }
  bool& LoadFileTrigger() override { return loadTrigger; }
  bool& closeFileTrigger() override { return closeTrigger; }
  bool GetAuto() const override { return getAuto; }
  void SetPointPosition(const std::string& x, const std::string& y) override {
    pointX = x;
    pointY = y;
  }
  void SetTeachPosition(const dialog::TeachPosition& position) override { teach = position; }
  void RunTeachAction(dialog::TeachAction action) override { actions.push_back(action); }
  std::function<motion::Machine()> machineSource;
  void SetMachineSource(std::function<motion::Machine()> source) override {
    machineSource = std::move(source);
  }
};

struct FakeDialogs final : PluginDialogs {
  FakeDialog* created = nullptr;
  int configShown = 0;
  std::string windowFailure;  // what the next dialog's window lacks
  std::unique_ptr<PluginDialog> CreateMainDialog() override {
    auto dialog = std::make_unique<FakeDialog>();
    dialog->windowFailure = windowFailure;
    created = dialog.get();
    return dialog;
  }
  motion::Machine configGiven;                  // the machine the last showing filled in
  std::optional<motion::Machine> configAnswer;  // what its OK read; nullopt: cancelled
  std::optional<motion::Machine> ShowConfigDialog(const motion::Machine& machine) override {
    ++configShown;
    configGiven = machine;
    return configAnswer;
  }
};

// The host's blocks and a status string of the framework's layout.
struct StatusManager {
  const void* table;
};
using StatusMethods = testing::HostStringMethods;

struct StatusTable {
  StringAllocateFn allocate;
  StringFreeFn free;
  StringReallocateFn reallocate;
  StringGetNilStringFn getNilString;
  StringCloneFn clone;
};
const StatusTable kStatusTable{&StatusMethods::Allocate, &StatusMethods::Free,
                               &StatusMethods::Reallocate, &StatusMethods::GetNil,
                               &StatusMethods::Clone};

class PluginModuleTest : public ::testing::Test {
 protected:
  PluginModuleTest()
      : platform_{menu_, automation_, threads_, paths_, udp_, messages_, files_, memory_},
        module_(platform_, dialogs_),
        engine_(kEngineMinSize + 64),
        planner_(kPlannerMinSize + 64),
        view_(kMachViewMinSize + 64),
        windowObject_(kMainWindowMinSize + 8) {
    g_calls.clear();
    g_dros.clear();
    manager_.table = &kStatusTable;
    void* header = StatusMethods::Allocate(&manager_, 0, 1);
    WriteHostPointer(planner_.data(), kPlannerStatusString, StringCharactersOf(header));
    // Host window with its menu bar: File, an unreadable item, PlugIn Control.
    WriteHostPointer(view_.data(), kMachViewMainWindow, windowObject_.data());
    WriteHostPointer(windowObject_.data(), kMainWindowHandle, &window_);
    menu_.windows[&window_] = &menuBar_;
    menu_.menus[&menuBar_] = {
        {"File", &fileMenu_}, {"", nullptr, false}, {"PlugIn Control", &plugInMenu_}};
    menu_.menus[&fileMenu_] = {};
    menu_.menus[&plugInMenu_] = {};
  }
  ~PluginModuleTest() override {
    threads_.RunAll();
    auto* characters = static_cast<char*>(ReadHostPointer(planner_.data(), kPlannerStatusString));
    std::free(StringHeaderOf(characters));
  }

  // The host's start-up order.
  void StartUp(const std::string& profile = "") {
    module_.GetMenuRange = &FakeGetMenuRange;
    module_.DoButton = &FakeDoButton;
    module_.GetDRO = &FakeGetDRO;
    EXPECT_STREQ(module_.piSetProName(profile.c_str()), "Kelvora");
    EXPECT_TRUE(module_.piInitControl(engine_.data(), nullptr, planner_.data(), view_.data()));
    module_.piPostInitControl();
    g_calls.clear();
  }
  FakeDialog& Dialog() { return *dialogs_.created; }
  // The dialog's Load raises its request; the host's next update serves it.
  void RequestLoad() {
    Dialog().loadTrigger = true;
    module_.piUpdate();
  }
  std::string Status() { return ReadHostString(planner_.data() + kPlannerStatusString).value(); }
  void SetStatus(std::string_view text) {
    ASSERT_TRUE(AssignHostString(planner_.data() + kPlannerStatusString, text, memory_));
  }
  // The texts the profile's Kelvora section holds; a null text: no such entry.
  static void ExpectStored(const std::string& profile,
                           std::initializer_list<std::pair<const char*, const char*>> texts) {
    XMLNetProfile stored(profile, "Kelvora", true);
    ASSERT_TRUE(stored.Load());
    for (const auto& [key, text] : texts) {
      if (text) {
        EXPECT_EQ(stored.ReadString(key), text) << key;
      } else {
        EXPECT_EQ(stored.FindEntry(key), nullptr) << key;
      }
    }
  }
  // The host jogging `axes`: each axis marked, and both jog flags raised.
  void StartJog(std::initializer_list<int> axes) {
    for (int axis : axes) WriteHostByte(engine_.data(), AxisByte(axis, kAxisJogging), 1);
    WriteHostByte(engine_.data(), kEngineJogFlag, 1);
    WriteHostByte(planner_.data(), kPlannerJogFlag, 1);
  }
  // A stopped jog has both jog flags lowered and the stop marked; a jog that goes
  // on keeps its flags and no stop.
  void ExpectJogStopped(bool stopped) {
    EXPECT_EQ(ReadHostByte(engine_.data(), kEngineJogFlag), stopped ? 0 : 1);
    EXPECT_EQ(ReadHostByte(planner_.data(), kPlannerJogFlag), stopped ? 0 : 1);
    EXPECT_EQ(ReadHostByte(engine_.data(), kEngineJogStopped), stopped ? 1 : 0);
  }

  FakeMenu menu_;
  FakeAutomation automation_;
  FakeThreads threads_;
  FakePaths paths_;
  FakeUdp udp_;
  FakeMessages messages_;
  FakeFiles files_;
  FakeMemory memory_;
  Platform platform_;
  FakeDialogs dialogs_;
  PluginModule module_;
  std::vector<unsigned char> engine_, planner_, view_, windowObject_;
  StatusManager manager_;
  int window_ = 0, menuBar_ = 0, fileMenu_ = 0, plugInMenu_ = 0;
};

// ---- Start-up and the menu ----------------------------------------------------

TEST_F(PluginModuleTest, StartUpReservesTwoIdsAndAppendsTheEntryToPlugInControl) {
  module_.GetMenuRange = &FakeGetMenuRange;
  module_.piSetProName("");
  module_.piInitControl(engine_.data(), nullptr, planner_.data(), view_.data());
  EXPECT_EQ(g_calls, std::vector<std::string>{"menu range 2"});
  EXPECT_EQ(module_.menuStart, 500);
  EXPECT_NE(module_.MyDevice, nullptr);
  EXPECT_EQ(module_.MyDevice->Loader().Script(), &automation_);
  EXPECT_EQ(dialogs_.created, nullptr);  // the dialog comes with PostInitControl
  module_.piPostInitControl();
  EXPECT_EQ(menu_.appendedTo, &plugInMenu_);
  ASSERT_EQ(menu_.appended.size(), 1u);
  EXPECT_EQ(menu_.appended[0], (std::pair<std::uintptr_t, std::string>{500, "Kelvora"}));
  ASSERT_NE(dialogs_.created, nullptr);
  EXPECT_FALSE(Dialog().visible);
}

TEST_F(PluginModuleTest, AHostWithoutPlugInControlGetsNoEntryAndNoMessage) {
  menu_.menus[&menuBar_] = {{"File", &fileMenu_}, {"Plugin Control", &plugInMenu_}};
  StartUp();
  EXPECT_TRUE(menu_.appended.empty());
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_NE(dialogs_.created, nullptr);
}

// ---- Notify -----------------------------------------------------------------

TEST_F(PluginModuleTest, OnlyTheOwnCommandShowsTheDialog) {
  StartUp();
  for (int id : {0, 499, 501 /* the second reserved id */, -500}) module_.piNotify(id);
  EXPECT_EQ(Dialog().showCalls, 0);
  EXPECT_EQ(Dialog().loadParamCalls, 0);
  module_.piNotify(500);
  EXPECT_TRUE(Dialog().visible);
}

TEST_F(PluginModuleTest, TheFirstOpeningReadsTheProfileOnce) {
  settings::testing::ProfileFolder folder;
  std::string profile =
      folder.Write("profile.xml", "<profile><Kelvora><CirR>12.5</CirR></Kelvora></profile>");
  StartUp(profile);
  module_.piNotify(500);
  EXPECT_EQ(Dialog().loadParamCalls, 1);
  EXPECT_EQ(Dialog().loaded.Double("CirR"), 12.5);
  Dialog().state = DialogWindowState::kMinimised;
  module_.piNotify(500);
  EXPECT_EQ(Dialog().loadParamCalls, 1);
  EXPECT_EQ(Dialog().state, DialogWindowState::kNormal);  // restored by the pick
  EXPECT_EQ(Dialog().showCalls, 2);
}

// Numbers stored with a decimal comma by other software: the defaults are shown,
// one message names the keys once, and a shutdown after the opening writes the
// defaults over the stored texts.
constexpr std::string_view kCommaProfile =
    "<profile><PlugIns><Kelvora>1</Kelvora></PlugIns><Kelvora><CirR>12,5</CirR>"
    "<Cirn>3</Cirn><GridXm>0,5</GridXm></Kelvora></profile>";

TEST_F(PluginModuleTest, UnreadableStoredNumbersAreNamedOnceAndReplacedAfterAnOpening) {
  settings::testing::ProfileFolder folder;
  const std::string profile = folder.Write("profile.xml", kCommaProfile);
  StartUp(profile);
  module_.piNotify(500);
  module_.piNotify(500);
  EXPECT_EQ(Dialog().loaded.Double("CirR"), 10);
  EXPECT_EQ(Dialog().loaded.Double("GridXm"), 1);
  EXPECT_EQ(Dialog().loaded.Int("Cirn"), 3);
  EXPECT_EQ(messages_.shown,
            std::vector<std::string>{
                "These settings could not be read and were set to their defaults: CirR, GridXm"});
  Dialog().toSave = Dialog().loaded;
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "10"}, {"GridXm", "1"}, {"Cirn", "3"}});
}

// Without an opening the window never showed the defaults: the texts stay.
TEST_F(PluginModuleTest, UnreadableStoredNumbersStayWithoutAnOpening) {
  settings::testing::ProfileFolder folder;
  const std::string profile = folder.Write("profile.xml", kCommaProfile);
  StartUp(profile);
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "12,5"}, {"GridXm", "0,5"}});
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PluginModuleTest, AFailedShowDefersTheReadToTheNextPick) {
  StartUp();
  Dialog().throwOnShow = true;
  module_.piNotify(500);
  EXPECT_EQ(Dialog().loadParamCalls, 0);
  Dialog().throwOnShow = false;
  module_.piNotify(500);
  EXPECT_EQ(Dialog().loadParamCalls, 1);
}

// ---- The update cycle -------------------------------------------------------

TEST_F(PluginModuleTest, AMinimisedDialogReadsNoDroAndServesNothingUntilRestored) {
  StartUp();
  Dialog().state = DialogWindowState::kMinimised;
  Dialog().loadTrigger = true;
  Dialog().closeTrigger = true;
  module_.piUpdate();
  threads_.RunAll();
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(Dialog().loadTrigger);
  EXPECT_TRUE(Dialog().closeTrigger);

  Dialog().state = DialogWindowState::kNormal;
  module_.piUpdate();
  // The loader thread started before the button was pressed; it runs afterwards.
  threads_.RunAll();
  ASSERT_GE(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0], "button 169");
  EXPECT_EQ(g_calls.back(), "load");
  EXPECT_EQ(threads_.pending.size(), 0u);
  EXPECT_FALSE(Dialog().loadTrigger);
  EXPECT_FALSE(Dialog().closeTrigger);
  EXPECT_EQ(automation_.loads, std::vector<std::u16string>{u"C:\\Mach3\\Plugins\\Gcode\\temp.tap"});
}

TEST_F(PluginModuleTest, TheLoadStartsBeforeTheCloseInOneUpdate) {
  StartUp();
  Dialog().loadTrigger = true;
  Dialog().closeTrigger = true;
  module_.piUpdate();
  // The worker was started (pending) when the button was pressed.
  ASSERT_EQ(threads_.pending.size(), 1u);
  EXPECT_EQ(g_calls.front(), "button 169");
  EXPECT_EQ(Status(), "script ok");
}

TEST_F(PluginModuleTest, TwoLoadsBetweenUpdatesGiveOneLoad) {
  StartUp();
  Dialog().loadTrigger = true;
  Dialog().loadTrigger = true;
  module_.piUpdate();
  module_.piUpdate();
  threads_.RunAll();
  EXPECT_EQ(automation_.loads.size(), 1u);
}

TEST_F(PluginModuleTest, AHiddenDialogIsStillServed) {
  StartUp();
  Dialog().visible = false;
  Dialog().closeTrigger = true;
  module_.piUpdate();
  EXPECT_EQ(g_calls.front(), "button 169");
}

TEST_F(PluginModuleTest, TheMachinePositionIsMirroredWithThreeDecimals) {
  StartUp();
  g_dros = {{800, 12.5}, {801, -0.0004}, {802, 1234.56789}, {803, -7}, {804, 0.0005}, {805, 1e6}};
  module_.piUpdate();
  EXPECT_EQ(Dialog().pointX, "12.500");
  EXPECT_EQ(Dialog().pointY, "0.000");  // an all-zero result has no minus sign
  EXPECT_EQ(Dialog().teach, (dialog::TeachPosition{"12.500", "0.000", "1234.568", "-7.000", "0.001",
                                                   "1000000.000"}));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"dro 800", "dro 801", "dro 800", "dro 801",
                                               "dro 802", "dro 803", "dro 804", "dro 805"}));
}

TEST_F(PluginModuleTest, TheInputSignalsActOncePerPressInAutomaticMode) {
  StartUp();
  using dialog::TeachAction;
  auto press = [&](std::size_t offset, std::uint8_t value) {
    WriteHostByte(engine_.data(), offset, value);
    module_.piUpdate();
  };
  press(kEngineSignalRecord, 1);  // manual mode: the signals are not looked at
  EXPECT_TRUE(Dialog().actions.empty());
  press(kEngineSignalRecord, 0);

  Dialog().getAuto = true;
  press(kEngineSignalRecord, 1);
  module_.piUpdate();          // still held
  press(kEngineSignalOp1, 1);  // a second signal while the first is held
  press(kEngineSignalRecord, 0);
  press(kEngineSignalOp1, 0);  // all released
  press(kEngineSignalOp3, 1);
  press(kEngineSignalOp2, 1);  // both held: the earlier in the order wins next time
  press(kEngineSignalOp3, 0);
  press(kEngineSignalOp2, 0);
  press(kEngineSignalOp2, 1);
  EXPECT_EQ(Dialog().actions, (std::vector<TeachAction>{TeachAction::kGetPos, TeachAction::kSetOp3,
                                                        TeachAction::kSetOp2}));

  Dialog().state = DialogWindowState::kMinimised;
  press(kEngineSignalOp2, 0);
  press(kEngineSignalRecord, 1);
  EXPECT_EQ(Dialog().actions.size(), 3u);
}

// ---- The hand-off's status ----------------------------------------------------

TEST_F(PluginModuleTest, FileLoadedIsWrittenOnlyAfterTheHostsCallReturned) {
  StartUp();
  RequestLoad();
  EXPECT_EQ(Status(), "script ok");
  module_.piUpdate();  // the worker has not run yet
  EXPECT_EQ(Status(), "script ok");
  threads_.RunAll();
  EXPECT_EQ(Status(), "script ok");  // the worker never touches the host's string
  module_.piUpdate();
  EXPECT_EQ(Status(), "File Loaded!");
}

TEST_F(PluginModuleTest, AFailedHostLoadIsReported) {
  automation_.loadResult = kEFail;
  StartUp();
  RequestLoad();
  threads_.RunAll();
  module_.piUpdate();
  EXPECT_EQ(Status(), "Load failed: 0x80004005");
}

TEST_F(PluginModuleTest, AWindowMadeInPartIsReportedAndTheDialogStillServes) {
  dialogs_.windowFailure = "control lstTch could not be created";
  StartUp();
  EXPECT_EQ(Status(), "Kelvora: control lstTch could not be created");
  module_.piNotify(module_.menuStart);
  EXPECT_TRUE(Dialog().visible);
  RequestLoad();
  EXPECT_EQ(Status(), "script ok");
}

TEST_F(PluginModuleTest, AWholeWindowLeavesTheStatusLineAlone) {
  StartUp();
  EXPECT_EQ(Status(), "");
}

TEST_F(PluginModuleTest, AThreadThatDoesNotStartIsReported) {
  threads_.refuse = true;
  StartUp();
  RequestLoad();
  EXPECT_EQ(Status(), "Load failed: the loader thread did not start");
}

TEST_F(PluginModuleTest, WithoutTheHostsScriptObjectEveryLoadSaysNotRegistered) {
  struct Case {
    const char* name;
    bool running;
    AutomationResult script;
  };
  const Case cases[] = {
      {"not running", false, {kVtDispatch, nullptr}},
      {"empty result", true, {kVtEmpty, nullptr}},
      {"integer result", true, {kVtI4, nullptr}},
      {"null dispatch", true, {kVtDispatch, nullptr}},
  };
  for (const Case& c : cases) {
    FakeAutomation automation;
    automation.running = c.running;
    automation.scriptResult = c.script;
    Platform platform{menu_, automation, threads_, paths_, udp_, messages_, files_, memory_};
    FakeDialogs dialogs;
    PluginModule module(platform, dialogs);
    module.piSetProName("");
    module.piInitControl(engine_.data(), nullptr, planner_.data(), view_.data());
    module.piPostInitControl();
    for (int load = 0; load < 2; ++load) {
      SetStatus("");
      dialogs.created->loadTrigger = true;
      module.piUpdate();
      EXPECT_EQ(Status(), "Mach3 not registered!") << c.name << " " << load;
      EXPECT_TRUE(threads_.pending.empty()) << c.name;
    }
    // Each Load looked again for what was missing, and only for that.
    EXPECT_EQ(automation.lookups, c.running ? 1 : 3) << c.name;
    EXPECT_EQ(automation.scriptRequests, c.running ? 3 : 0) << c.name;
  }
}

TEST_F(PluginModuleTest, AnObjectRegisteredAfterStartUpIsFoundAtTheNextLoad) {
  automation_.running = false;
  StartUp();
  EXPECT_EQ(automation_.lookups, 1);
  RequestLoad();
  // Looked for again at the Load, and still missing.
  EXPECT_EQ(automation_.lookups, 2);
  EXPECT_EQ(Status(), "Mach3 not registered!");
  EXPECT_TRUE(threads_.pending.empty());

  automation_.running = true;  // the host registers its object
  RequestLoad();
  EXPECT_EQ(automation_.lookups, 3);
  EXPECT_EQ(Status(), "script ok");
  threads_.RunAll();
  EXPECT_EQ(automation_.loads, std::vector<std::u16string>{u"C:\\Mach3\\Plugins\\Gcode\\temp.tap"});
  module_.piUpdate();
  EXPECT_EQ(Status(), "File Loaded!");

  // What was found is kept: later Loads look for nothing.
  RequestLoad();
  threads_.RunAll();
  EXPECT_EQ(automation_.lookups, 3);
  EXPECT_EQ(automation_.scriptRequests, 1);
  EXPECT_EQ(automation_.loads.size(), 2u);
}

TEST_F(PluginModuleTest, AFoundDocumentIsKeptWhileItsScriptObjectIsAskedForAgain) {
  automation_.scriptResult = {kVtEmpty, nullptr};
  StartUp();
  RequestLoad();
  EXPECT_EQ(Status(), "Mach3 not registered!");
  automation_.scriptResult = {kVtDispatch, &automation_};
  RequestLoad();
  EXPECT_EQ(Status(), "script ok");
  EXPECT_EQ(automation_.lookups, 1);
  EXPECT_EQ(automation_.scriptRequests, 3);
  threads_.RunAll();
  EXPECT_EQ(automation_.loads.size(), 1u);
}

TEST_F(PluginModuleTest, AStatusStringThatDoesNotLookAsExpectedIsSkippedAndTheLoadGoesOn) {
  StartUp();
  memory_.sound = false;
  RequestLoad();
  EXPECT_EQ(Status(), "");
  ASSERT_EQ(threads_.pending.size(), 1u);
  threads_.RunAll();
  EXPECT_EQ(automation_.loads.size(), 1u);
  module_.piUpdate();
  EXPECT_EQ(Status(), "");
  memory_.sound = true;  // the same string, now taken for sound, gets its text
  RequestLoad();
  EXPECT_EQ(Status(), "script ok");
}

// ---- JogOff -----------------------------------------------------------------

TEST_F(PluginModuleTest, JogOffOfTheLastJoggingAxisStopsTheJog) {
  StartUp();
  StartJog({2});
  module_.piJogOff(2);
  EXPECT_EQ(ReadHostByte(engine_.data(), AxisByte(2, kAxisJogDone)), 1);
  EXPECT_EQ(ReadHostByte(engine_.data(), AxisByte(2, kAxisJogging)), 0);
  ExpectJogStopped(true);
}

TEST_F(PluginModuleTest, JogOffOfOneOfSeveralAxesLeavesTheGlobalFlags) {
  StartUp();
  StartJog({0, 5});
  module_.piJogOff(0);
  EXPECT_EQ(ReadHostByte(engine_.data(), AxisByte(0, kAxisJogging)), 0);
  ExpectJogStopped(false);
}

TEST_F(PluginModuleTest, JogOffIgnoresAxesOutsideTheSix) {
  StartUp();
  const std::vector<unsigned char> before = engine_;
  for (std::int16_t axis : {-1, 6, 32767, -32768}) module_.piJogOff(axis);
  EXPECT_EQ(engine_, before);
}

// ---- Shutdown and configuration ------------------------------------------------

TEST_F(PluginModuleTest, ShutdownWritesTheDialogsValues) {
  settings::testing::ProfileFolder folder;
  std::string profile = folder.Write("profile.xml", "<profile><PlugIns/></profile>");
  StartUp(profile);
  module_.piNotify(500);
  Dialog().toSave.SetDouble("CirR", 42.25);
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "42.25"}, {"Dlg", "True"}});
}

TEST_F(PluginModuleTest, ShutdownWithoutAnOpeningWritesOnlyDlg) {
  settings::testing::ProfileFolder folder;
  std::string profile =
      folder.Write("profile.xml", "<profile><Kelvora><CirR>7</CirR></Kelvora></profile>");
  StartUp(profile);
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "7"}, {"Dlg", "False"}, {"CirXc", nullptr}});
}

TEST_F(PluginModuleTest, ShutdownLeavesAProfileThatDoesNotLoad) {
  settings::testing::ProfileFolder folder;
  const std::string bytes = "<profile><Kelvora>";
  std::string profile = folder.Write("profile.xml", bytes);
  StartUp(profile);
  module_.piNotify(500);
  module_.piStopPlug();
  EXPECT_EQ(settings::testing::ProfileFolder::Read(profile), bytes);
  EXPECT_FALSE(messages_.shown.empty());  // the warning was shown
}

// A machine the configuration dialog's OK could have read.
motion::Machine ConfiguredMachine() {
  motion::Machine m;
  m.axes[motion::kAxisX].maxVelocity = 999.5;
  m.axes[motion::kAxisZ].maxAcceleration = 55;
  m.hasA = false;
  m.stockTop = 3.25;
  m.dialect = text::Dialect::kGrbl;
  m.dwellMilliseconds = true;
  return m;
}

TEST_F(PluginModuleTest, ConfigShowsTheStoredMachineAndCancelChangesNothing) {
  settings::testing::ProfileFolder folder;
  const std::string profile = folder.Write(
      "profile.xml",
      "<profile><Kelvora><MachXVel>1200</MachXVel><MachZMin>1,5</MachZMin></Kelvora></profile>");
  StartUp(profile);
  module_.piConfig();
  EXPECT_EQ(dialogs_.configShown, 1);
  EXPECT_EQ(dialogs_.configGiven.axes[motion::kAxisX].maxVelocity, 1200);
  EXPECT_EQ(dialogs_.configGiven.minimum[motion::kAxisZ], -200);  // unreadable: the default
  EXPECT_EQ(module_.CurrentMachine().axes[motion::kAxisX].maxVelocity, 1200);
  ASSERT_TRUE(Dialog().machineSource);
  EXPECT_EQ(Dialog().machineSource().axes[motion::kAxisX].maxVelocity, 1200);
  // Cancelled, and the window never opened: the stored texts stay as they were.
  module_.piStopPlug();
  ExpectStored(profile, {{"MachXVel", "1200"}, {"MachZMin", "1,5"}, {"MachYVel", nullptr}});
}

TEST_F(PluginModuleTest, AConfiguredMachineSurvivesShutdownAndStartUp) {
  settings::testing::ProfileFolder folder;
  const std::string profile =
      folder.Write("profile.xml", "<profile><Kelvora><CirR>7</CirR></Kelvora></profile>");
  StartUp(profile);
  dialogs_.configAnswer = ConfiguredMachine();
  module_.piConfig();
  // The window asks anew after every program: it sees the change at once.
  EXPECT_EQ(Dialog().machineSource().axes[motion::kAxisX].maxVelocity, 999.5);
  // The window never opened: its settings stay, the machine is written.
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "7"},
                         {"CirXc", nullptr},
                         {"MachXVel", "999.5"},
                         {"MachZAcc", "55"},
                         {"MachHasA", "False"},
                         {"MachStockTop", "3.25"},
                         {"MachDialect", "GRBL"},
                         {"MachDwellMs", "True"}});

  // The next run starts with it, and shows it in the configuration dialog.
  FakeDialogs nextDialogs;
  PluginModule next(platform_, nextDialogs);
  next.piSetProName(profile.c_str());
  next.piPostInitControl();
  ASSERT_NE(nextDialogs.created, nullptr);
  const motion::Machine read = nextDialogs.created->machineSource();
  EXPECT_EQ(read.axes[motion::kAxisX].maxVelocity, 999.5);
  EXPECT_EQ(read.axes[motion::kAxisZ].maxAcceleration, 55);
  EXPECT_FALSE(read.hasA);
  EXPECT_EQ(read.stockTop, 3.25);
  EXPECT_EQ(read.dialect, text::Dialect::kGrbl);
  EXPECT_TRUE(read.dwellMilliseconds);
  next.piConfig();
  EXPECT_EQ(nextDialogs.configGiven.stockTop, 3.25);
  EXPECT_EQ(nextDialogs.configGiven.dialect, text::Dialect::kGrbl);
}

TEST_F(PluginModuleTest, TheConfiguredMachineWinsOverTheWindowsCopy) {
  settings::testing::ProfileFolder folder;
  const std::string profile = folder.Write(
      "profile.xml", "<profile><Kelvora><MachXVel>1200</MachXVel></Kelvora></profile>");
  StartUp(profile);
  module_.piNotify(500);
  // The window hands back what its first opening read, the old machine included.
  Dialog().toSave = Dialog().loaded;
  Dialog().toSave.SetDouble("CirR", 42.25);
  dialogs_.configAnswer = ConfiguredMachine();
  module_.piConfig();
  module_.piStopPlug();
  ExpectStored(profile, {{"CirR", "42.25"}, {"MachXVel", "999.5"}, {"MachStockTop", "3.25"}});
}

}  // namespace
}  // namespace kelvora::plugin
