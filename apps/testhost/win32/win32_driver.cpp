// The scenario runner's host on Windows: Kelvora.dll loaded with LoadLibrary,
// the host's start-up order, its main window and automation object, and the
// plug-in's native windows driven with window messages (hwnd_window.h); prompts
// are answered in the real message boxes and file dialogs.
// windows.h comes first: the others build on it.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "host_document.h"
#include "host_status_string.h"
#include "host_window.h"
#include "hwnd_window.h"
#include "platform/win32/automation.h"
#include "platform/win32/wide_text.h"
#include "plugin/host_interface.h"
#include "text/files.h"

namespace kelvora::testhost {

namespace {

using win32::Utf8FromWide;

constexpr wchar_t kFormClass[] = L"KelvoraForm";
constexpr std::chrono::seconds kThreadWait{10};

// What the host's callbacks and the prompt hooks reach (they carry no context).
struct HostState {
  std::vector<int> buttons;
  std::map<int, double> dros;
  std::vector<Prompt> prompts;
  std::deque<Answer> answers;
  std::vector<std::string> faults;
  std::set<HWND> answered;
  HHOOK hook = nullptr;
  HWND formToFill = nullptr;  // a modal form waiting for its answer
  Answer formAnswer;
};
HostState* g_state = nullptr;

int CbGetMenuRange(std::int16_t) {
  return kFirstCommandId;
}
void CbDoButton(std::int16_t code) {
  if (g_state) g_state->buttons.push_back(code);
}
void CbSetDRO(std::int16_t code, double value) {
  if (g_state) g_state->dros[code] = value;
}
double CbGetDRO(std::int16_t code) {
  return g_state ? g_state->dros[code] : 0.0;
}
bool CbGetLED(std::int16_t) {
  return false;
}
void CbSetLED(std::int16_t, bool) {}
void CbCode(const char*) {}

// Windows paths in steps: "/" as "\".
std::wstring WindowsPath(const std::filesystem::path& path) {
  std::wstring text = path.wstring();
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  return text;
}

// ---- Prompts -----------------------------------------------------------------
// The plug-in's calls of the boxes are seen on their way (its import table is
// pointed at these recorders, which call the real boxes), and the boxes, once
// shown, are answered by a hook on the host's thread as the operator would.

using MessageBoxFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
using FileDialogFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
MessageBoxFn g_messageBox = nullptr;
FileDialogFn g_openFile = nullptr;
FileDialogFn g_saveFile = nullptr;

// "a\0b\0c\0d\0\0" back to "a|b|c|d".
std::string FilterText(const wchar_t* filter) {
  std::wstring text;
  for (const wchar_t* part = filter; part && *part; part += std::wcslen(part) + 1) {
    if (!text.empty()) text += L'|';
    text += part;
  }
  return Utf8FromWide(text);
}

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (g_state) {
    const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
    g_state->prompts.push_back({yesNo ? PromptKind::kYesNo : PromptKind::kMessage,
                                Utf8FromWide(text ? text : L""),
                                Utf8FromWide(caption ? caption : L"")});
  }
  return g_messageBox(owner, text, caption, type);
}

BOOL WINAPI RecordOpenFile(LPOPENFILENAMEW request) {
  if (g_state)
    g_state->prompts.push_back({PromptKind::kOpenFile, FilterText(request->lpstrFilter), {}});
  return g_openFile(request);
}

BOOL WINAPI RecordSaveFile(LPOPENFILENAMEW request) {
  if (g_state)
    g_state->prompts.push_back({PromptKind::kSaveFile, FilterText(request->lpstrFilter), {}});
  return g_saveFile(request);
}

// Points the module's import of `function` from `dll` at `replacement`; returns
// what the slot held, or null when the module does not import it.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       import->Name != 0; ++import) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      DWORD old = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old)) {
        return nullptr;
      }
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
      return previous;
    }
  }
  return nullptr;
}

// The operator fills the modal form and ends it with its OK or Cancel button
// (the close box when it has none); run from the form's own modal loop.
void CALLBACK FillForm(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!g_state || !g_state->formToFill) return;
  HWND form = std::exchange(g_state->formToFill, nullptr);
  const Answer answer = g_state->formAnswer;
  HwndWindow window(form);
  for (const auto& [name, value] : answer.values) {
    if (std::string failure = window.Fill(name, value); !failure.empty())
      g_state->faults.push_back(NameOf(form) + ": " + failure);
  }
  HWND button = FindControl(form, answer.yes ? "btnOK" : "btnCancel");
  if (button)
    SendMessageW(button, BM_CLICK, 0, 0);
  else
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// A box becomes active: the oldest queued answer is given to it, through its
// own buttons and edit field, once its modal loop runs (hence posted).
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  // A modal form: a form of the plug-in whose owner it disabled.
  HWND owner = code == HCBT_ACTIVATE ? GetWindow(box, GW_OWNER) : nullptr;
  if (code == HCBT_ACTIVATE && g_state && ClassName(box) == kFormClass && owner &&
      !IsWindowEnabled(owner) && g_state->answered.insert(box).second) {
    // As the simulated system records it: the form's title, then its name.
    g_state->prompts.push_back(
        {PromptKind::kModalForm, Utf8FromWide(WindowText(box)), NameOf(box)});
    if (g_state->answers.empty() || g_state->answers.front().kind != PromptKind::kModalForm) {
      g_state->faults.push_back("a modal form was shown that no answer was queued for");
      PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      g_state->formAnswer = g_state->answers.front();
      g_state->answers.pop_front();
      g_state->formToFill = box;
      SetTimer(nullptr, 0, 0, &FillForm);
    }
  }
  if (code == HCBT_ACTIVATE && g_state && ClassName(box) == L"#32770" &&
      g_state->answered.insert(box).second) {
    const PromptKind shown =
        g_state->prompts.empty() ? PromptKind::kMessage : g_state->prompts.back().kind;
    if (g_state->answers.empty() || g_state->answers.front().kind != shown) {
      g_state->faults.push_back(g_state->answers.empty()
                                    ? "a prompt was shown that no answer was queued for"
                                    : "a prompt was shown of another kind than the answer queued");
      PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    } else {
      Answer answer = g_state->answers.front();
      g_state->answers.pop_front();
      WPARAM button = IDOK;
      if (shown == PromptKind::kYesNo) button = answer.yes ? IDYES : IDNO;
      if (shown == PromptKind::kOpenFile || shown == PromptKind::kSaveFile) {
        if (!answer.path) {
          button = IDCANCEL;
        } else {
          // The file name field: an edit box or a combo box, by the dialog's age.
          for (int field : {edt1, cmb13}) {
            if (HWND edit = GetDlgItem(box, field))
              SetWindowTextW(edit, WindowsPath(*answer.path).c_str());
          }
        }
      }
      PostMessageW(box, WM_COMMAND, button, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// "Mach4.Document" in the prefix's class registry, naming the host's class id,
// or absent (the object is then found by its class id alone).
std::string RegisterProgId(bool registered) {
  constexpr wchar_t kKey[] = L"Software\\Classes\\Mach4.Document";
  if (!registered) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      return "cannot remove the ProgID Mach4.Document";
    return {};
  }
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\CLSID").c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return "cannot register the ProgID Mach4.Document";
  }
  const std::wstring classId = win32::kHostClassId;
  const LSTATUS status =
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(classId.c_str()),
                     static_cast<DWORD>((classId.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string() : "cannot register the ProgID Mach4.Document";
}

template <typename F>
F Export(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The profile's path in the host's narrow code page, as the host hands it over;
// nullopt when that code page cannot hold it.
std::optional<std::string> NarrowPath(const std::wstring& wide) {
  // The UTF-8 code page takes no flags and reports no loss: it holds every path.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.c_str(), -1,
                                       nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
  if (size <= 0 || lossy) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, narrow.data(),
                      size, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(size) - 1);
  return narrow;
}

class Win32Driver final : public HostDriver {
 public:
  Win32Driver() { g_state = &state_; }
  ~Win32Driver() override {
    if (state_.hook) UnhookWindowsHookEx(state_.hook);
    g_state = nullptr;
    registration_.Revoke();
    if (document_) document_->Release();
    // The library stays loaded: the host unloads its plug-ins only when it ends.
  }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  // Calls of the host's object are marshalled into the host's thread.
  bool Can(Capability capability) const override { return capability == Capability::kLoadThread; }

  std::string Prepare(const std::filesystem::path&) override {
    // The plug-in's fixed G-code folder on drive C starts missing, as on a fresh
    // machine; the rest of the host's folder stays, so that a plug-in installed in
    // C:\Mach3\PlugIns (the package test's) is loaded from where it lies.
    std::error_code error;
    std::filesystem::remove_all(L"C:\\Mach3\\PlugIns\\Gcode", error);
    return {};
  }
  std::filesystem::path DrivePath(const std::string& windowsPath) const override {
    return text::PathFromUtf8(windowsPath);
  }

  std::string Start(const std::filesystem::path& library, const std::filesystem::path& profile,
                    const HostOptions& options) override;
  std::string Update() override;
  void Notify(int id) override {
    Export<void (*)(int)>(library_, "Notify")(id);
    HostWindow::PumpMessages();
  }
  void Config() override {
    Export<void (*)()>(library_, "Config")();
    HostWindow::PumpMessages();
  }
  void JogOff(std::int16_t axis) override {
    Export<void (*)(std::int16_t)>(library_, "JogOff")(axis);
  }
  std::string RegisterAutomationNow() override {
    if (options_.automation != AutomationSetup::kNotRunning)
      return "the automation object is registered already";
    options_.automation = AutomationSetup::kRegistered;
    if (std::string failure = RegisterProgId(true); !failure.empty()) return failure;
    return RegisterDocument();
  }
  std::string Shutdown() override {
    Export<void (*)()>(library_, "StopPlug")();
    HostWindow::PumpMessages();
    return {};
  }

  std::optional<int> MenuCommand(const std::string& top, const std::string& entry) const override {
    for (const auto& [text, id] : MenuEntries(top)) {
      if (text == entry) return static_cast<int>(id);
    }
    return std::nullopt;
  }
  std::vector<std::string> MenuTexts(const std::string& top) const override {
    std::vector<std::string> texts;
    for (auto& entry : MenuEntries(top)) texts.push_back(std::move(entry.first));
    return texts;
  }

  void SetDro(std::int16_t code, double value) override { state_.dros[code] = value; }
  bool SetEngineByte(std::size_t offset, std::uint8_t value) override {
    if (offset >= engine_.size()) return false;
    engine_[offset] = value;
    return true;
  }
  std::optional<std::uint8_t> EngineByte(std::size_t offset) const override {
    if (offset >= engine_.size()) return std::nullopt;
    return engine_[offset];
  }
  std::optional<std::string> Status() const override {
    if (!status_) return std::nullopt;
    return status_->Text();
  }
  std::vector<int> Buttons() const override { return state_.buttons; }
  std::vector<LoadCall> LoadCalls() const override {
    std::vector<LoadCall> calls;
    if (!document_) return calls;
    for (HostDocument::LoadCall& call : document_->load_calls()) {
      calls.push_back({std::move(call.path), std::move(call.bytes), call.threadId == hostThread_});
    }
    return calls;
  }
  int ScriptCalls() const override { return document_ ? document_->script_requests() : 0; }

  void QueueAnswer(Answer answer) override { state_.answers.push_back(std::move(answer)); }
  std::size_t PendingAnswers() const override { return state_.answers.size(); }
  std::vector<Prompt> TakePrompts() override { return std::exchange(state_.prompts, {}); }
  std::vector<std::string> TakeFaults() override {
    std::vector<std::string> faults = std::exchange(state_.faults, {});
    if (manager_) {
      // The string manager keeps what it saw; each is reported once.
      const auto& seen = manager_->faults();
      faults.insert(faults.end(), seen.begin() + static_cast<std::ptrdiff_t>(managerFaultsTaken_),
                    seen.end());
      managerFaultsTaken_ = seen.size();
    }
    return faults;
  }

  std::unique_ptr<PluginWindow> FindWindow(const std::string& name) override {
    HWND form = FindForm(name);
    if (form == nullptr) return nullptr;
    return std::make_unique<HwndWindow>(form);
  }

 private:
  // "Mach4.Document" made and put in the running-object table.
  std::string RegisterDocument();
  // The entries of every top-level menu of the host's menu bar named `top`,
  // with their command ids, found by their texts as the operator does.
  std::vector<std::pair<std::string, UINT>> MenuEntries(const std::string& top) const;

  HostOptions options_;
  HostState state_;
  HostWindow window_;
  std::vector<unsigned char> engine_ = std::vector<unsigned char>(plugin::kEngineMinSize);
  std::vector<unsigned char> setup_ = std::vector<unsigned char>(64 * 1024);
  std::vector<unsigned char> planner_ = std::vector<unsigned char>(plugin::kPlannerMinSize);
  std::vector<unsigned char> machView_ = std::vector<unsigned char>(plugin::kMachViewMinSize);
  std::vector<unsigned char> mainWindowObject_ =
      std::vector<unsigned char>(plugin::kMainWindowMinSize);
  std::unique_ptr<HostStringManager> manager_;
  std::unique_ptr<HostStatusString> status_;
  std::size_t managerFaultsTaken_ = 0;
  HostDocument* document_ = nullptr;
  RunningObjectEntry registration_;
  HMODULE library_ = nullptr;
  DWORD hostThread_ = 0;
};

std::string Win32Driver::Start(const std::filesystem::path& library,
                               const std::filesystem::path& profile, const HostOptions& options) {
  options_ = options;
  hostThread_ = GetCurrentThreadId();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HostWindowOptions windowOptions;
  windowOptions.withPlugInMenu = options.plugInMenu;
  windowOptions.fullMenuBar = true;
  if (!window_.Create(windowOptions)) return "cannot create the host's window";
  HWND handle = window_.handle();
  std::memcpy(mainWindowObject_.data() + plugin::kMainWindowHandle, &handle, sizeof handle);
  plugin::WriteHostPointer(machView_.data(), plugin::kMachViewMainWindow, mainWindowObject_.data());
  manager_ = std::make_unique<HostStringManager>();
  status_ =
      std::make_unique<HostStatusString>(planner_.data() + plugin::kPlannerStatusString, *manager_);
  const bool progId = options.automation == AutomationSetup::kRegistered;
  if (std::string failure = RegisterProgId(progId); !failure.empty()) return failure;
  if (options.automation != AutomationSetup::kNotRunning) {
    if (std::string failure = RegisterDocument(); !failure.empty()) return failure;
  }
  state_.hook = SetWindowsHookExW(WH_CBT, &AnswerBoxes, nullptr, GetCurrentThreadId());
  if (!state_.hook) return "cannot hook the host's thread";

  library_ = LoadLibraryW(WindowsPath(library).c_str());
  if (!library_) return "cannot load the plug-in " + library.string();
  for (std::string_view name : plugin::kExportNames) {
    if (!GetProcAddress(library_, std::string(name).c_str()))
      return "the plug-in does not export " + std::string(name);
  }
  g_messageBox = reinterpret_cast<MessageBoxFn>(PatchImport(
      library_, "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)));
  g_openFile = reinterpret_cast<FileDialogFn>(PatchImport(
      library_, "comdlg32.dll", "GetOpenFileNameW", reinterpret_cast<void*>(&RecordOpenFile)));
  g_saveFile = reinterpret_cast<FileDialogFn>(PatchImport(
      library_, "comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&RecordSaveFile)));
  if (!g_messageBox || !g_openFile || !g_saveFile) {
    return "the plug-in does not import MessageBoxW, GetOpenFileNameW and GetSaveFileNameW";
  }

  Export<void (*)(plugin::GetMenuRangeFn)>(library_, "SetGetMenuRange")(&CbGetMenuRange);
  Export<void (*)(plugin::DoButtonFn)>(library_, "SetDoButton")(&CbDoButton);
  Export<void (*)(plugin::SetDROFn)>(library_, "SetSetDRO")(&CbSetDRO);
  Export<void (*)(plugin::GetDROFn)>(library_, "SetGetDRO")(&CbGetDRO);
  Export<void (*)(plugin::GetLEDFn)>(library_, "SetGetLED")(&CbGetLED);
  Export<void (*)(plugin::SetLEDFn)>(library_, "SetSetLED")(&CbSetLED);
  Export<void (*)(plugin::CodeFn)>(library_, "SetCode")(&CbCode);
  // The host hands the profile's path over in its narrow code page.
  const auto narrowPath = NarrowPath(WindowsPath(profile));
  if (!narrowPath) {
    return "the profile's path cannot be written in the host's code page " +
           std::to_string(GetACP());
  }
  const char* name =
      Export<const char* (*)(const char*)>(library_, "SetProName")(narrowPath->c_str());
  if (name == nullptr || std::string_view(name) != plugin::kPluginName) {
    return "SetProName returned \"" + std::string(name ? name : "(null)") + "\"";
  }
  if (!Export<bool (*)(void*, void*, void*, void*)>(library_, "InitControl")(
          engine_.data(), setup_.data(), planner_.data(), machView_.data())) {
    return "InitControl returned false";
  }
  Export<void (*)()>(library_, "PostInitControl")();
  HostWindow::PumpMessages();
  return {};
}

std::string Win32Driver::RegisterDocument() {
  document_ = new HostDocument;
  document_->set_script_answer(
      options_.scriptResult == ScriptResult::kDispatch ? HostDocument::ScriptAnswer::kDispatch
      : options_.scriptResult == ScriptResult::kEmpty  ? HostDocument::ScriptAnswer::kEmpty
                                                       : HostDocument::ScriptAnswer::kNumber);
  document_->set_load_fails(options_.loadFails);
  if (FAILED(registration_.Register(document_))) return "cannot register Mach4.Document";
  return {};
}

std::string Win32Driver::Update() {
  const int before = HostWindow::ThreadCount();
  Export<void (*)()>(library_, "Update")();
  // A loader thread started by this cycle calls the host's object through the
  // host's thread, so messages are pumped until it has ended.
  const bool settled = HostWindow::PumpUntil([&] { return HostWindow::ThreadCount() <= before; },
                                             std::chrono::milliseconds(kThreadWait));
  HostWindow::PumpMessages();
  return settled ? std::string() : "a loader thread is still running";
}

std::vector<std::pair<std::string, UINT>> Win32Driver::MenuEntries(const std::string& top) const {
  std::vector<std::pair<std::string, UINT>> entries;
  HMENU bar = GetMenu(window_.handle());
  for (int i = 0; bar && i < GetMenuItemCount(bar); ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(bar, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    if (Utf8FromWide(text) != top) continue;
    HMENU menu = GetSubMenu(bar, i);
    for (int j = 0; menu && j < GetMenuItemCount(menu); ++j) {
      GetMenuStringW(menu, static_cast<UINT>(j), text, 256, MF_BYPOSITION);
      entries.emplace_back(Utf8FromWide(text), GetMenuItemID(menu, j));
    }
  }
  return entries;
}

}  // namespace

std::unique_ptr<HostDriver> MakeHostDriver() {
  return std::make_unique<Win32Driver>();
}

}  // namespace kelvora::testhost
