#include "host.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_platform.h"
#include "plugin/automation.h"
#include "plugin/host_interface.h"
#include "plugin/host_string.h"
#include "text/files.h"
#include "text/utf16.h"

namespace kelvora::testhost {

namespace {

using namespace kelvora::plugin;  // NOLINT: the host interface's names

TestHost* g_host = nullptr;  // the callbacks carry no context

constexpr std::chrono::seconds kThreadWait{10};

int CbGetMenuRange(std::int16_t) {
  return kFirstCommandId;
}
void CbDoButton(std::int16_t code) {
  g_host->PressButton(code);
}
void CbSetDRO(std::int16_t code, double value) {
  g_host->SetDro(code, value);
}
double CbGetDRO(std::int16_t code) {
  return g_host->ReadDro(code);
}
bool CbGetLED(std::int16_t) {
  return false;
}
void CbSetLED(std::int16_t, bool) {}
void CbCode(const char*) {}

template <typename Fn>
Fn Symbol(void* library, const char* name) {
  void* address = dlsym(library, name);
  Fn function = nullptr;
  std::memcpy(&function, &address, sizeof function);
  return function;
}

void WriteInt32(unsigned char* at, std::int32_t value) {
  std::memcpy(at, &value, sizeof value);
}

}  // namespace

// ---- The status string's manager -------------------------------------------

struct ManagerTable {
  StringAllocateFn allocate;
  StringFreeFn free;
  StringReallocateFn reallocate;
  StringGetNilStringFn getNilString;
  StringCloneFn clone;
};

struct TestHost::StringManager {
  const ManagerTable* table;  // first word: what the plug-in calls through
  TestHost* host;
  std::set<void*> headers;
  std::vector<unsigned char> nil;
};

namespace {

TestHost::StringManager* ManagerOf(void* manager) {
  return static_cast<TestHost::StringManager*>(manager);
}

KELVORA_BEGIN_HOST_MEMBERS
struct Mgr {
  static void* KELVORA_HOST_MEMBER MgrAllocate(void* manager, int allocLength, int charSize) {
    if (charSize != 1) {
      ManagerOf(manager)->host->Fault("status string: Allocate with character size " +
                                      std::to_string(charSize));
      return nullptr;
    }
    return ManagerOf(manager)->host->AllocateHeader(allocLength);
  }
  static void KELVORA_HOST_MEMBER MgrFree(void* manager, void* header) {
    ManagerOf(manager)->host->FreeHeader(header);
  }
  static void* KELVORA_HOST_MEMBER MgrReallocate(void* manager, void* header, int allocLength,
                                                 int) {
    TestHost* host = ManagerOf(manager)->host;
    void* fresh = host->AllocateHeader(allocLength);
    if (fresh == nullptr) return nullptr;
    std::int32_t length;
    std::memcpy(&length, static_cast<unsigned char*>(header) + kStringHeaderDataLength, 4);
    length = std::min(length, allocLength);
    std::memcpy(StringCharactersOf(fresh), StringCharactersOf(header),
                static_cast<std::size_t>(length));
    WriteInt32(static_cast<unsigned char*>(fresh) + kStringHeaderDataLength, length);
    host->FreeHeader(header);
    return fresh;
  }
  static void* KELVORA_HOST_MEMBER MgrGetNilString(void* manager) {
    return ManagerOf(manager)->nil.data();
  }
  static void* KELVORA_HOST_MEMBER MgrClone(void* manager) { return manager; }
};
KELVORA_END_HOST_MEMBERS

const ManagerTable kManagerTable{&Mgr::MgrAllocate, &Mgr::MgrFree, &Mgr::MgrReallocate,
                                 &Mgr::MgrGetNilString, &Mgr::MgrClone};

}  // namespace

void* TestHost::AllocateHeader(int allocLength) {
  if (allocLength < 0) {
    Fault("status string: Allocate with a negative length");
    return nullptr;
  }
  auto* header = static_cast<unsigned char*>(
      std::calloc(kStringHeaderSize + static_cast<std::size_t>(allocLength) + 1, 1));
  if (header == nullptr) return nullptr;
  void* manager = stringManager_.get();
  std::memcpy(header + kStringHeaderManager, &manager, sizeof manager);
  WriteInt32(header + kStringHeaderDataLength, 0);
  WriteInt32(header + kStringHeaderAllocLength, allocLength);
  WriteInt32(header + kStringHeaderRefs, 1);
  stringManager_->headers.insert(header);
  return header;
}

void TestHost::FreeHeader(void* header) {
  if (header == stringManager_->nil.data()) {
    Fault("status string: the nil string was freed");
    return;
  }
  if (stringManager_->headers.erase(header) == 0) {
    Fault("status string: Free of a header the host's manager did not hand out");
    return;
  }
  std::free(header);
}

void TestHost::InitStatusString() {
  stringManager_ = std::make_unique<StringManager>();
  stringManager_->table = &kManagerTable;
  stringManager_->host = this;
  stringManager_->nil.assign(kStringHeaderSize + 1, 0);
  void* manager = stringManager_.get();
  std::memcpy(stringManager_->nil.data() + kStringHeaderManager, &manager, sizeof manager);
  WriteInt32(stringManager_->nil.data() + kStringHeaderRefs, 2);  // never reaches zero
  char* characters = StringCharactersOf(stringManager_->nil.data());
  WriteHostPointer(planner_.data(), kPlannerStatusString, characters);
}

// ---- The automation object ------------------------------------------------

namespace {

constexpr HResult kDispEBadParamCount = static_cast<HResult>(0x8002000Eu);
constexpr HResult kDispETypeMismatch = static_cast<HResult>(0x80020005u);
constexpr HResult kDispEMemberNotFound = static_cast<HResult>(0x80020003u);

class ScriptObject final : public simos::Dispatch {
 public:
  HResult GetIDsOfNames(std::u16string_view, std::int32_t*) override { return kDispEUnknownName; }
  HResult Invoke(std::int32_t, std::uint16_t, std::vector<simos::Variant>&,
                 simos::Variant*) override {
    return kDispEMemberNotFound;
  }
};

}  // namespace

struct TestHost::Document final : simos::Dispatch {
  static constexpr std::int32_t kGetScriptDispatch = 1;
  static constexpr std::int32_t kLoadGCodeFile = 2;

  TestHost* host = nullptr;
  ScriptObject script;

  HResult GetIDsOfNames(std::u16string_view name, std::int32_t* id) override {
    if (name == u"GetScriptDispatch") {
      *id = kGetScriptDispatch;
    } else if (name == u"LoadGCodeFile") {
      *id = kLoadGCodeFile;
    } else {
      return kDispEUnknownName;
    }
    return kSOk;
  }

  HResult Invoke(std::int32_t id, std::uint16_t flags, std::vector<simos::Variant>& args,
                 simos::Variant* result) override {
    if (id == kGetScriptDispatch) {
      if (!(flags & kDispatchPropertyGet)) return kDispEMemberNotFound;
      host->RecordScriptCall();
      if (result != nullptr) {
        switch (host->options_.scriptResult) {
          case ScriptResult::kDispatch:
            result->vt = kVtDispatch;
            result->object = static_cast<simos::Dispatch*>(&script);
            break;
          case ScriptResult::kEmpty:
            result->vt = kVtEmpty;
            break;
          case ScriptResult::kInteger:
            result->vt = kVtI4;
            result->intValue = 1;
            break;
        }
      }
      return kSOk;
    }
    if (id == kLoadGCodeFile) {
      if (!(flags & kDispatchMethod)) return kDispEMemberNotFound;
      if (args.size() != 1) return kDispEBadParamCount;
      if (args[0].vt != kVtBstr) return kDispETypeMismatch;
      host->RecordLoad(args[0].text);
      return host->options_.loadFails ? kEFail : kSOk;
    }
    return kDispEMemberNotFound;
  }
};

void TestHost::RegisterAutomation() {
  document_ = std::make_unique<Document>();
  document_->host = this;
  const std::u16string classId(kHostDocumentClassId);
  switch (options_.automation) {
    case AutomationSetup::kRegistered:
      simos::RegisterProgId(std::u16string(kHostDocumentProgId), classId);
      simos::RegisterActiveObject(classId, document_.get());
      break;
    case AutomationSetup::kClassIdOnly:
      simos::RegisterActiveObject(classId, document_.get());
      break;
    case AutomationSetup::kNotRunning:
      break;
  }
}

std::string TestHost::RegisterAutomationNow() {
  if (options_.automation != AutomationSetup::kNotRunning) {
    return "the automation object is registered already";
  }
  options_.automation = AutomationSetup::kRegistered;
  RegisterAutomation();
  return {};
}

void TestHost::RecordLoad(const std::u16string& path) {
  LoadCall call;
  call.path = text::Utf16ToUtf8(path).value_or("<not UTF-16>");
  call.bytes = text::ReadFileBytes(platform::posix::MapWindowsPath(call.path));
  std::lock_guard lock(recordMutex_);
  loads_.push_back(std::move(call));
}

void TestHost::RecordScriptCall() {
  std::lock_guard lock(recordMutex_);
  ++scriptCalls_;
}

std::vector<LoadCall> TestHost::LoadCalls() const {
  std::lock_guard lock(recordMutex_);
  return loads_;
}

int TestHost::ScriptCalls() const {
  std::lock_guard lock(recordMutex_);
  return scriptCalls_;
}

// ---- Menu, prompts, faults ------------------------------------------------

void TestHost::BuildMenu() {
  menuBar_ = simos::CreateMenu();
  auto popup = [](std::initializer_list<const char*> entries) {
    simos::Menu* menu = simos::CreateMenu();
    std::uintptr_t id = 100;
    for (const char* entry : entries) simos::AppendMenuItem(menu, {entry, id++, nullptr});
    return menu;
  };
  simos::AppendMenuItem(menuBar_, {"File", 0, popup({"Load G-Code", "Exit"})});
  simos::AppendMenuItem(menuBar_, {"Config", 0, popup({"Ports and Pins", "Motor Tuning"})});
  // An item whose information cannot be read: the plug-in skips it.
  simos::AppendMenuItem(menuBar_, {"", 0, nullptr});
  simos::SetMenuItemUnreadable(menuBar_, 2);
  // A near miss: the walk compares the whole text, with case.
  simos::AppendMenuItem(menuBar_, {"Plugin Control", 0, popup({"Other"})});
  if (options_.plugInMenu) {
    simos::AppendMenuItem(menuBar_, {"PlugIn Control", 0, popup({"Config Plugins"})});
  }
  simos::AppendMenuItem(menuBar_, {"Help", 0, popup({"About"})});
  window_ = simos::CreateWindow("Host", menuBar_);
}

// The entries of every top-level menu named `top`, in order.
std::vector<simos::MenuItem> TestHost::MenuEntries(const std::string& top) const {
  std::vector<simos::MenuItem> entries;
  const int count = simos::MenuItemCount(menuBar_);
  for (int i = 0; i < count; ++i) {
    auto item = simos::GetMenuItem(menuBar_, i);
    if (!item || item->text != top || item->subMenu == nullptr) continue;
    const int subCount = simos::MenuItemCount(item->subMenu);
    for (int k = 0; k < subCount; ++k) {
      if (auto sub = simos::GetMenuItem(item->subMenu, k)) entries.push_back(std::move(*sub));
    }
  }
  return entries;
}

std::optional<int> TestHost::MenuCommand(const std::string& top, const std::string& entry) const {
  for (const simos::MenuItem& item : MenuEntries(top)) {
    if (item.text == entry) return static_cast<int>(item.id);
  }
  return std::nullopt;
}

std::vector<std::string> TestHost::MenuTexts(const std::string& top) const {
  std::vector<std::string> texts;
  for (simos::MenuItem& item : MenuEntries(top)) texts.push_back(std::move(item.text));
  return texts;
}

void TestHost::QueueAnswer(simos::PromptKind kind, simos::PromptAnswer answer) {
  std::lock_guard lock(faultMutex_);
  answers_.emplace_back(kind, std::move(answer));
}

namespace {

const char* KindName(simos::PromptKind kind) {
  switch (kind) {
    case simos::PromptKind::kMessage:
      return "message";
    case simos::PromptKind::kYesNo:
      return "yes/no question";
    case simos::PromptKind::kOpenFile:
      return "open-file dialog";
    case simos::PromptKind::kSaveFile:
      return "save-file dialog";
    case simos::PromptKind::kModalForm:
      return "modal form";
  }
  return "prompt";
}

}  // namespace

void TestHost::QueueFormAnswer(bool accept, FormValues values) {
  std::lock_guard lock(faultMutex_);
  simos::PromptAnswer answer;
  answer.yes = accept;
  answers_.emplace_back(simos::PromptKind::kModalForm, answer);
  formValues_.push_back(std::move(values));
}

simos::PromptAnswer TestHost::AnswerPrompt(const simos::PromptRequest& request) {
  simos::PromptAnswer answer;
  FormValues values;
  {
    std::lock_guard lock(faultMutex_);
    prompts_.push_back({request.kind, request.text, request.caption, request.filter});
    if (answers_.empty()) {
      faults_.push_back(std::string("unanswered ") + KindName(request.kind) + " \"" + request.text +
                        "\" (caption \"" + request.caption + "\")");
      return {};
    }
    auto [kind, queued] = answers_.front();
    answers_.pop_front();
    if (kind == simos::PromptKind::kModalForm && !formValues_.empty()) {
      values = std::move(formValues_.front());
      formValues_.pop_front();
    }
    if (kind != request.kind) {
      faults_.push_back(std::string("the answer was for a ") + KindName(kind) + ", but a " +
                        KindName(request.kind) + " came: \"" + request.text + "\"");
      return {};
    }
    answer = queued;
  }
  // The operator fills the form before ending it; its own prompts may come.
  if (!values.empty()) {
    simos::UiWindow* form = simos::FindUiWindow(request.caption);
    if (form == nullptr) {
      Fault("no window " + request.caption);
      return {};
    }
    for (const auto& [control, value] : values) {
      Outcome<void> done = form->Type(control, value);
      if (!done && done.failure().message.starts_with("no text box")) {
        done = form->SetChecked(control, value == "True");
      }
      // A drop-down: the item of that text chosen.
      if (!done && done.failure().message.starts_with("no check box")) {
        done = form->SelectItem(control, value);
      }
      if (!done) Fault(request.caption + ": " + done.failure().message);
    }
  }
  return answer;
}

std::vector<ShownPrompt> TestHost::TakePrompts() {
  std::lock_guard lock(faultMutex_);
  return std::exchange(prompts_, {});
}

void TestHost::Fault(std::string text) {
  std::lock_guard lock(faultMutex_);
  faults_.push_back(std::move(text));
}

std::vector<std::string> TestHost::TakeFaults() {
  std::lock_guard lock(faultMutex_);
  return std::exchange(faults_, {});
}

// ---- Life cycle -----------------------------------------------------------

TestHost::TestHost(HostOptions options)
    : options_(options),
      engine_(kEngineBlockSize),
      setup_(kSetupBlockSize),
      planner_(kPlannerBlockSize),
      machView_(kMachViewBlockSize),
      mainWindowObject_(kMainWindowObjectSize) {
  g_host = this;
}

TestHost::~TestHost() {
  simos::WaitForThreads(kThreadWait);
  if (library_ != nullptr) dlclose(library_);
  simos::SetPromptHandler({});
  simos::RevokeActiveObject(std::u16string(kHostDocumentClassId));
  simos::UnregisterProgId(std::u16string(kHostDocumentProgId));
  if (stringManager_) {
    for (void* header : stringManager_->headers) std::free(header);
  }
  g_host = nullptr;
}

std::string TestHost::Start(const std::filesystem::path& library, const std::string& profilePath) {
  library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) return std::string("cannot load the plug-in: ") + dlerror();
  for (std::string_view name : kExportNames) {
    if (dlsym(library_, std::string(name).c_str()) == nullptr) {
      return "the plug-in does not export " + std::string(name);
    }
  }

  BuildMenu();
  RegisterAutomation();
  InitStatusString();
  simos::SetPromptHandler(
      [this](const simos::PromptRequest& request) { return AnswerPrompt(request); });
  WriteHostPointer(machView_.data(), kMachViewMainWindow, mainWindowObject_.data());
  WriteHostPointer(mainWindowObject_.data(), kMainWindowHandle, window_);

  Symbol<void (*)(GetMenuRangeFn)>(library_, "SetGetMenuRange")(&CbGetMenuRange);
  Symbol<void (*)(DoButtonFn)>(library_, "SetDoButton")(&CbDoButton);
  Symbol<void (*)(SetDROFn)>(library_, "SetSetDRO")(&CbSetDRO);
  Symbol<void (*)(GetDROFn)>(library_, "SetGetDRO")(&CbGetDRO);
  Symbol<void (*)(GetLEDFn)>(library_, "SetGetLED")(&CbGetLED);
  Symbol<void (*)(SetLEDFn)>(library_, "SetSetLED")(&CbSetLED);
  Symbol<void (*)(CodeFn)>(library_, "SetCode")(&CbCode);
  const char* name =
      Symbol<const char* (*)(const char*)>(library_, "SetProName")(profilePath.c_str());
  if (name == nullptr || std::string_view(name) != kPluginName) {
    return "SetProName returned \"" + std::string(name != nullptr ? name : "(null)") +
           "\", not \"" + kPluginName + "\"";
  }
  bool initialised = Symbol<bool (*)(void*, void*, void*, void*)>(library_, "InitControl")(
      engine_.data(), setup_.data(), planner_.data(), machView_.data());
  if (!initialised) return "InitControl returned false";
  Symbol<void (*)()>(library_, "PostInitControl")();
  return {};
}

std::string TestHost::Update() {
  Symbol<void (*)()>(library_, "Update")();
  if (!simos::WaitForThreads(kThreadWait)) return "a loader thread is still running";
  return {};
}

void TestHost::Notify(int id) {
  Symbol<void (*)(std::int32_t)>(library_, "Notify")(id);
}

void TestHost::Config() {
  Symbol<void (*)()>(library_, "Config")();
}

void TestHost::JogOff(std::int16_t axis) {
  Symbol<void (*)(std::int16_t)>(library_, "JogOff")(axis);
}

std::string TestHost::Shutdown() {
  Symbol<void (*)()>(library_, "StopPlug")();
  shutDown_ = true;
  if (!simos::WaitForThreads(kThreadWait)) return "a loader thread is still running";
  return {};
}

void TestHost::PressButton(int code) {
  buttons_.push_back(code);
}

void TestHost::SetEngineByte(std::size_t offset, std::uint8_t value) {
  WriteHostByte(engine_.data(), offset, value);
}

std::uint8_t TestHost::EngineByte(std::size_t offset) const {
  return ReadHostByte(engine_.data(), offset);
}

std::optional<std::string> TestHost::Status() const {
  return ReadHostString(planner_.data() + kPlannerStatusString);
}

}  // namespace kelvora::testhost
