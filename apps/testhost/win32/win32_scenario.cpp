#include "win32_scenario.h"

// windows.h comes first: the others build on it.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <vector>

#include "host_document.h"
#include "host_status_string.h"
#include "host_window.h"
#include "platform/win32/automation.h"
#include "platform/win32/wide_text.h"
#include "plugin/host_interface.h"
#include "plugin/xml_net_profile.h"
#include "text/files.h"

namespace kelvora::testhost {

namespace {

using win32::Utf8FromWide;
using win32::WideFromUtf8;

constexpr int kFirstCommandId = 1200;
constexpr wchar_t kFormClass[] = L"KelvoraForm";
constexpr char kMainDialog[] = "XYZDemoDialog";
constexpr wchar_t kNameProperty[] = L"Kelvora.Name";
constexpr std::chrono::seconds kThreadWait{10};

enum class PromptKind { kMessage, kYesNo, kOpenFile, kSaveFile, kModalForm };

struct Prompt {
  PromptKind kind;
  std::string text;  // a file dialog's filter
  std::string caption;
};

struct Answer {
  PromptKind kind;
  bool yes = false;
  std::optional<std::wstring> path;  // a file dialog's choice; none: cancelled
  // A modal form's values, CONTROL=VALUE: typed, or "True"/"False" for check boxes.
  std::vector<std::pair<std::string, std::string>> values;
};

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
  Answer formAnswer{PromptKind::kModalForm, false, std::nullopt, {}};
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

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

HWND FindControl(HWND form, const std::string& name);
std::wstring WindowText(HWND window);
std::string NameOf(HWND window);
bool IsCheckBox(HWND window);
void TypeInto(HWND box, const std::string& text);
void ClickButton(HWND button) {
  SendMessageW(button, BM_CLICK, 0, 0);
}

// The operator fills the modal form and ends it with its OK or Cancel button
// (the close box when it has none); run from the form's own modal loop.
void CALLBACK FillForm(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!g_state || !g_state->formToFill) return;
  HWND form = std::exchange(g_state->formToFill, nullptr);
  const Answer answer = g_state->formAnswer;
  const std::string formName = NameOf(form);
  for (const auto& [name, value] : answer.values) {
    HWND control = FindControl(form, name);
    if (!control) {
      g_state->faults.push_back(formName + ": no control " + name);
    } else if (IsCheckBox(control)) {
      const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
      if (checked != (value == "True")) ClickButton(control);
    } else {
      TypeInto(control, value);
    }
  }
  HWND button = FindControl(form, answer.yes ? "btnOK" : "btnCancel");
  if (button)
    ClickButton(button);
  else
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// A box becomes active: the oldest queued answer is given to it, through its
// own buttons and edit field, once its modal loop runs (hence posted).
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  // A modal form: a form of the plug-in whose owner it disabled.
  HWND owner = code == HCBT_ACTIVATE ? GetWindow(box, GW_OWNER) : nullptr;
  if (code == HCBT_ACTIVATE && g_state && ClassName(box) == L"KelvoraForm" && owner &&
      !IsWindowEnabled(owner) && g_state->answered.insert(box).second) {
    g_state->prompts.push_back(
        {PromptKind::kModalForm, NameOf(box), Utf8FromWide(WindowText(box))});
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
            if (HWND edit = GetDlgItem(box, field)) SetWindowTextW(edit, answer.path->c_str());
          }
        }
      }
      PostMessageW(box, WM_COMMAND, button, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- The plug-in's window ---------------------------------------------------

struct NameSearch {
  std::wstring name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchName(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<NameSearch*>(data);
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(window, kNameProperty)));
  wchar_t text[256] = {};
  if (atom && GlobalGetAtomNameW(atom, text, 256) && search->name == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindControl(HWND form, const std::string& name) {
  NameSearch search{WideFromUtf8(name)};
  EnumChildWindows(form, &MatchName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string NameOf(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(window, kNameProperty)));
  wchar_t text[256] = {};
  if (!atom || !GlobalGetAtomNameW(atom, text, 256)) return {};
  return Utf8FromWide(text);
}

bool IsCheckBox(HWND window) {
  const LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
  return ClassName(window) == L"Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ||
                                            type == BS_3STATE || type == BS_AUTO3STATE);
}

// The operator selects the box's text and types over it, key by key.
void TypeInto(HWND box, const std::string& text) {
  SendMessageW(box, EM_SETSEL, 0, -1);
  for (wchar_t c : WideFromUtf8(text)) SendMessageW(box, WM_CHAR, c, 0);
}

// A grid as the operator sees it in its list view: columns by their captions
// (the row headers' column, when shown, is the first and has none), lines in
// display order, and last the new-row line: its row header starts with a star,
// or, with the row headers hidden, its cells are empty.
std::wstring ListText(HWND list, int line, int column) {
  wchar_t text[512] = {};
  LVITEMW request = {};
  request.iSubItem = column;
  request.pszText = text;
  request.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(line),
               reinterpret_cast<LPARAM>(&request));
  return text;
}

std::wstring HeaderCaption(HWND list, int column) {
  wchar_t text[256] = {};
  HDITEMW item = {};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(ListView_GetHeader(list), HDM_GETITEMW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&item));
  return text;
}

int ColumnCount(HWND list) {
  return Header_GetItemCount(ListView_GetHeader(list));
}

bool ShowsRowHeaders(HWND list) {
  return ColumnCount(list) > 0 && HeaderCaption(list, 0).empty();
}

// The list view's column of the table column `name`, or -1.
int GridColumn(HWND list, const std::string& name) {
  const std::wstring caption = WideFromUtf8(name);
  for (int i = ShowsRowHeaders(list) ? 1 : 0; i < ColumnCount(list); ++i) {
    if (HeaderCaption(list, i) == caption) return i;
  }
  return -1;
}

// The grid's rows, the new-row line not counted.
int GridRows(HWND list) {
  const int lines = ListView_GetItemCount(list);
  if (lines <= 0) return 0;
  const int last = lines - 1;
  if (ShowsRowHeaders(list)) return ListText(list, last, 0).rfind(L'*', 0) == 0 ? last : lines;
  for (int c = 0; c < ColumnCount(list); ++c) {
    if (!ListText(list, last, c).empty()) return lines;
  }
  return last;
}

// A left click in the middle of a cell, as the operator clicks it.
bool ClickListCell(HWND list, int line, int column) {
  ListView_EnsureVisible(list, line, FALSE);
  RECT r = {};
  r.top = column;
  r.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(line),
                    reinterpret_cast<LPARAM>(&r))) {
    return false;
  }
  // The first column's bounds are the whole line's: cut to its width.
  if (column == 0) r.right = r.left + ListView_GetColumnWidth(list, 0);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  return true;
}

// The plug-in's top-level form of that name (its main window or a modal form).
HWND FindForm(const std::string& name) {
  for (HWND form = FindWindowExW(nullptr, nullptr, kFormClass, nullptr); form;
       form = FindWindowExW(nullptr, form, kFormClass, nullptr)) {
    if (NameOf(form) == name) return form;
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
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

// Windows paths in steps: "/" as "\".
std::wstring WindowsPath(const std::filesystem::path& path) {
  std::wstring text = path.wstring();
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  return text;
}

class Runner {
 public:
  Runner(std::filesystem::path file, const RunOptions& options, std::ostream& errors)
      : file_(std::move(file)), options_(options), errors_(errors) {}
  ~Runner() {
    if (state_.hook) UnhookWindowsHookEx(state_.hook);
    g_state = nullptr;
    registration_.Revoke();
    if (document_) document_->Release();
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  bool Run() {
    auto script = text::ReadFileBytes(file_);
    if (!script) return Fail(0, "cannot read the scenario");
    auto steps = ParseScenario(*script);
    if (!steps) return Fail(std::stoi(steps.failure().detail), steps.failure().message);
    std::error_code error;
    std::filesystem::remove_all(options_.work, error);
    std::filesystem::create_directories(options_.work, error);
    // The plug-in's fixed G-code folder on drive C starts missing, as on a fresh
    // machine; the rest of the host's folder stays, so that a plug-in installed in
    // C:\Mach3\PlugIns (the package test's) is loaded from where it lies.
    std::filesystem::remove_all(L"C:\\Mach3\\PlugIns\\Gcode", error);
    profile_ = options_.work / "profile.xml";
    if (!text::WriteFileAtomic(profile_, kDefaultProfile)) {
      return Fail(0, "cannot write the profile");
    }
    g_state = &state_;

    for (const Step& step : *steps) {
      line_ = step.line;
      std::string failure = RunStep(step.words);
      if (failure.empty()) failure = TakeFaults();
      if (!failure.empty()) return Fail(step.line, failure);
    }
    if (library_ && !shutDown_) {
      Shutdown();
      if (std::string failure = TakeFaults(); !failure.empty())
        return Fail(line_, "at the end: " + failure);
    }
    if (!state_.answers.empty()) return Fail(line_, "answers queued but never asked for");
    return true;
  }

 private:
  bool Fail(int line, const std::string& message) {
    errors_ << file_.string() << ":" << line << ": " << message << "\n";
    return false;
  }

  std::string TakeFaults() {
    std::string failure;
    for (const std::string& fault : state_.faults) failure += (failure.empty() ? "" : "; ") + fault;
    state_.faults.clear();
    if (manager_) {
      for (const std::string& fault : manager_->faults()) {
        failure += (failure.empty() ? "" : "; ") + fault;
      }
    }
    return failure;
  }

  std::filesystem::path FilePath(const std::string& word) const {
    if (word == "profile") return profile_;
    if (word.rfind("@data/", 0) == 0) return options_.data / word.substr(6);
    if (word.rfind("@work/", 0) == 0) return options_.work / word.substr(6);
    return text::PathFromUtf8(word);
  }

  HWND Form(std::string& failure) const {
    HWND form = FindForm(kMainDialog);
    if (form == nullptr) failure = "the plug-in's window is not open";
    return form;
  }

  HWND Control(const std::string& name, std::string& failure) const {
    HWND form = Form(failure);
    if (!form) return nullptr;
    HWND control = FindControl(form, name);
    if (!control) failure = "no control " + name;
    return control;
  }

  std::string Start();
  // "Mach4.Document" made and put in the running-object table.
  std::string RegisterDocument();
  std::string Update();
  void Shutdown();
  std::string RunStep(const std::vector<std::string>& w);
  std::string Setup(const std::vector<std::string>& w);
  std::string Window(const std::vector<std::string>& w);
  std::string Expect(const std::vector<std::string>& w);
  std::string AnswerStep(const std::vector<std::string>& w);
  std::string Type(const std::string& name, const std::string& text);
  std::string Select(const std::string& name, const std::string& item);

  std::filesystem::path file_;
  const RunOptions& options_;
  std::ostream& errors_;
  std::filesystem::path profile_;
  int line_ = 0;

  HostWindowOptions windowOptions_;
  bool automation_ = true;
  bool progIdRegistered_ = true;
  bool loadFails_ = false;
  HostDocument::ScriptAnswer scriptAnswer_ = HostDocument::ScriptAnswer::kDispatch;

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
  HostDocument* document_ = nullptr;
  RunningObjectEntry registration_;
  HMODULE library_ = nullptr;
  bool shutDown_ = false;
  std::vector<Prompt> pendingPrompts_;
};

std::string Runner::Setup(const std::vector<std::string>& w) {
  if (library_) return "host settings come before \"start\"";
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
    auto bytes = text::ReadFileBytes(FilePath(w[1]));
    if (!bytes) return "cannot read " + w[1];
    return MessageOf(text::WriteFileAtomic(profile_, *bytes));
  }
  if (w.size() == 3 && w[0] == "host") {
    if (w[1] == "plugin-menu" && (w[2] == "on" || w[2] == "off")) {
      windowOptions_.withPlugInMenu = w[2] == "on";
      return {};
    }
    if (w[1] == "automation" &&
        (w[2] == "registered" || w[2] == "classid-only" || w[2] == "not-running")) {
      automation_ = w[2] != "not-running";
      progIdRegistered_ = w[2] == "registered";
      return {};
    }
    if (w[1] == "load-result" && (w[2] == "ok" || w[2] == "fail")) {
      loadFails_ = w[2] == "fail";
      return {};
    }
    if (w[1] == "script-result") {
      if (w[2] == "dispatch")
        scriptAnswer_ = HostDocument::ScriptAnswer::kDispatch;
      else if (w[2] == "empty")
        scriptAnswer_ = HostDocument::ScriptAnswer::kEmpty;
      else if (w[2] == "integer")
        scriptAnswer_ = HostDocument::ScriptAnswer::kNumber;
      else
        return "script-result is dispatch, empty or integer";
      return {};
    }
  }
  return "the Windows host cannot do this setting yet: " + w[0] + " " + (w.size() > 1 ? w[1] : "") +
         " " + (w.size() > 2 ? w[2] : "");
}

std::string Runner::Start() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  windowOptions_.fullMenuBar = true;
  if (!window_.Create(windowOptions_)) return "cannot create the host's window";
  HWND handle = window_.handle();
  std::memcpy(mainWindowObject_.data() + plugin::kMainWindowHandle, &handle, sizeof handle);
  plugin::WriteHostPointer(machView_.data(), plugin::kMachViewMainWindow, mainWindowObject_.data());
  manager_ = std::make_unique<HostStringManager>();
  status_ =
      std::make_unique<HostStatusString>(planner_.data() + plugin::kPlannerStatusString, *manager_);
  if (std::string failure = RegisterProgId(progIdRegistered_); !failure.empty()) return failure;
  if (automation_) {
    if (std::string failure = RegisterDocument(); !failure.empty()) return failure;
  }
  state_.hook = SetWindowsHookExW(WH_CBT, &AnswerBoxes, nullptr, GetCurrentThreadId());
  if (!state_.hook) return "cannot hook the host's thread";

  library_ = LoadLibraryW(WindowsPath(options_.library).c_str());
  if (!library_) return "cannot load the plug-in " + options_.library.string();
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
  const std::wstring widePath = WindowsPath(profile_);
  std::string narrowPath(widePath.size() * 4 + 1, '\0');
  BOOL lossy = FALSE;
  narrowPath.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, widePath.c_str(), -1, narrowPath.data(),
                          static_cast<int>(narrowPath.size()), nullptr, &lossy) -
      1));
  if (lossy) {
    return "the profile's path cannot be written in the host's code page " +
           std::to_string(GetACP());
  }
  const char* name =
      Export<const char* (*)(const char*)>(library_, "SetProName")(narrowPath.c_str());
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

std::string Runner::RegisterDocument() {
  document_ = new HostDocument;
  document_->set_script_answer(scriptAnswer_);
  document_->set_load_fails(loadFails_);
  if (FAILED(registration_.Register(document_))) return "cannot register Mach4.Document";
  return {};
}

std::string Runner::Update() {
  const int before = HostWindow::ThreadCount();
  Export<void (*)()>(library_, "Update")();
  // A loader thread started by this cycle calls the host's object through the
  // host's thread, so messages are pumped until it has ended.
  const bool settled = HostWindow::PumpUntil([&] { return HostWindow::ThreadCount() <= before; },
                                             std::chrono::milliseconds(kThreadWait));
  HostWindow::PumpMessages();
  return settled ? std::string() : "a loader thread is still running";
}

void Runner::Shutdown() {
  Export<void (*)()>(library_, "StopPlug")();
  HostWindow::PumpMessages();
  shutDown_ = true;
  // The library stays loaded: the host unloads its plug-ins only when it ends.
}

std::string Runner::Type(const std::string& name, const std::string& text) {
  std::string failure;
  HWND box = Control(name, failure);
  if (!box) return failure;
  // The operator selects the box's text and types over it.
  TypeInto(box, text);
  HostWindow::PumpMessages();
  return {};
}

std::string Runner::Select(const std::string& name, const std::string& item) {
  std::string failure;
  HWND control = Control(name, failure);
  if (!control) return failure;
  const std::wstring wide = WideFromUtf8(item);
  if (ClassName(control) == WC_TABCONTROLW) {
    const int count = static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t caption[256] = {};
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = caption;
      tab.cchTextMax = 256;
      SendMessageW(control, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
      if (wide != caption) continue;
      // As a click on the tab: the control changes its page and tells its parent.
      SendMessageW(control, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
      NMHDR header{control, static_cast<UINT_PTR>(GetDlgCtrlID(control)),
                   static_cast<UINT>(TCN_SELCHANGE)};
      SendMessageW(GetParent(control), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
      HostWindow::PumpMessages();
      return {};
    }
    return name + " has no page " + Shown(item);
  }
  const LRESULT index = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(wide.c_str()));
  if (index == CB_ERR) return name + " has no item " + Shown(item);
  SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(control), WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
  HostWindow::PumpMessages();
  return {};
}

std::string Runner::Window(const std::vector<std::string>& w) {
  std::string failure;
  HWND form = Form(failure);
  if (!form) return failure;
  // As from the title bar: the system commands the window's frame sends.
  WPARAM command = 0;
  if (w[1] == "minimise")
    command = SC_MINIMIZE;
  else if (w[1] == "restore")
    command = SC_RESTORE;
  else if (w[1] == "maximise")
    command = SC_MAXIMIZE;
  else if (w[1] == "close")
    command = SC_CLOSE;
  else
    return "window takes minimise, restore, maximise or close";
  SendMessageW(form, WM_SYSCOMMAND, command, 0);
  HostWindow::PumpMessages();
  return {};
}

std::string Runner::RunStep(const std::vector<std::string>& w) {
  const std::string& name = w[0];
  if (name == "host" || name == "profile") return Setup(w);
  if (name == "start" && w.size() == 1) {
    if (library_) return "started already";
    return Start();
  }
  if (name == "expect") return Expect(w);
  if (name == "answer") return AnswerStep(w);
  if (name == "remove" && w.size() == 2) {
    std::error_code error;
    std::filesystem::remove_all(FilePath(w[1]), error);
    if (error) return "cannot remove " + w[1] + ": " + error.message();
    return {};
  }
  if (name == "write" && w.size() == 3) {
    std::error_code error;
    std::filesystem::create_directories(FilePath(w[1]).parent_path(), error);
    return MessageOf(text::WriteFileAtomic(FilePath(w[1]), w[2]));
  }
  if (!library_) return "the host has not started (step \"start\")";
  if (shutDown_) return "the host has shut down";

  if (name == "menu" && w.size() == 3) {
    // The entry in the host's menu bar, found by its texts as the operator does.
    HMENU bar = GetMenu(window_.handle());
    for (int i = 0; bar && i < GetMenuItemCount(bar); ++i) {
      wchar_t text[256] = {};
      GetMenuStringW(bar, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
      if (Utf8FromWide(text) != w[1]) continue;
      HMENU menu = GetSubMenu(bar, i);
      for (int j = 0; menu && j < GetMenuItemCount(menu); ++j) {
        GetMenuStringW(menu, static_cast<UINT>(j), text, 256, MF_BYPOSITION);
        if (Utf8FromWide(text) != w[2]) continue;
        Export<void (*)(int)>(library_, "Notify")(static_cast<int>(GetMenuItemID(menu, j)));
        HostWindow::PumpMessages();
        return {};
      }
    }
    return "no menu entry " + Shown(w[1]) + " / " + Shown(w[2]);
  }
  if (name == "notify" && w.size() == 2) {
    std::optional<long> id;
    if (w[1].rfind("reserved+", 0) == 0) {
      if (auto offset = ParseWhole(w[1].substr(9))) id = kFirstCommandId + *offset;
    } else {
      id = ParseWhole(w[1]);
    }
    if (!id) return "notify takes a number or reserved+N";
    Export<void (*)(int)>(library_, "Notify")(static_cast<int>(*id));
    HostWindow::PumpMessages();
    return {};
  }
  if (name == "update" && w.size() <= 2) {
    auto count = w.size() == 2 ? ParseWhole(w[1]) : std::optional<long>(1);
    if (!count || *count < 0) return "update takes a count";
    for (long i = 0; i < *count; ++i) {
      if (std::string failure = Update(); !failure.empty()) return failure;
    }
    return {};
  }
  if (name == "dro" && w.size() == 3) {
    auto code = ParseWhole(w[1]);
    auto value = ParseReal(w[2]);
    if (!code || !value) return "dro takes a code and a number";
    state_.dros[static_cast<int>(*code)] = *value;
    return {};
  }
  if (name == "signal" && w.size() == 3) {
    static const std::map<std::string, std::size_t> kSignals = {
        {"record", plugin::kEngineSignalRecord},
        {"op1", plugin::kEngineSignalOp1},
        {"op2", plugin::kEngineSignalOp2},
        {"op3", plugin::kEngineSignalOp3}};
    auto found = kSignals.find(w[1]);
    if (found == kSignals.end() || (w[2] != "on" && w[2] != "off"))
      return "signal takes record, op1, op2 or op3, then on or off";
    engine_[found->second] = w[2] == "on" ? 1 : 0;
    return {};
  }
  if (name == "jog" && w.size() == 3 && (w[2] == "on" || w[2] == "off")) {
    auto axis = ParseWhole(w[1]);
    if (!axis || *axis < 0 || *axis >= plugin::kAxisCount) return "jog takes an axis 0 to 5";
    const unsigned char on = w[2] == "on" ? 1 : 0;
    engine_[plugin::AxisByte(static_cast<int>(*axis), plugin::kAxisJogging)] = on;
    if (on) engine_[plugin::kEngineJogFlag] = 1;
    return {};
  }
  if (name == "register-automation" && w.size() == 1) {
    // The host registers its automation object only now, after its plug-ins
    // have been initialised.
    if (automation_) return "the automation object is registered already";
    automation_ = progIdRegistered_ = true;
    if (std::string failure = RegisterProgId(true); !failure.empty()) return failure;
    return RegisterDocument();
  }
  if (name == "jogoff" && w.size() == 2) {
    auto axis = ParseWhole(w[1]);
    if (!axis) return "jogoff takes an axis number";
    Export<void (*)(std::int16_t)>(library_, "JogOff")(static_cast<std::int16_t>(*axis));
    return {};
  }
  if (name == "config" && w.size() == 1) {
    Export<void (*)()>(library_, "Config")();
    HostWindow::PumpMessages();
    return {};
  }
  if (name == "shutdown" && w.size() == 1) {
    Shutdown();
    return {};
  }
  if (name == "window" && w.size() == 2) return Window(w);
  if (name == "click-cell" && w.size() == 4) {
    // click-cell GRID ROW COLUMN: ROW counts from 1; the new-row line follows the rows.
    std::string failure;
    HWND list = Control(w[1], failure);
    if (!list) return failure;
    const int line = std::atoi(w[2].c_str()) - 1;
    if (line < 0) return "rows count from 1";
    const int column = GridColumn(list, w[3]);
    if (column < 0) return w[1] + " has no column " + w[3];
    if (line >= ListView_GetItemCount(list) || !ClickListCell(list, line, column)) {
      return w[1] + " has no line " + w[2];
    }
    HostWindow::PumpMessages();
    return {};
  }
  if (name == "type" && w.size() == 3) return Type(w[1], w[2]);
  if (name == "select" && w.size() == 3) return Select(w[1], w[2]);
  if ((name == "click" && w.size() == 2) ||
      (name == "check" && w.size() == 3 && (w[2] == "True" || w[2] == "False"))) {
    std::string failure;
    HWND button = Control(w[1], failure);
    if (!button) return failure;
    const bool wanted = w.size() == 3 && w[2] == "True";
    if (name == "click" || (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) != wanted) {
      SendMessageW(button, BM_CLICK, 0, 0);
    }
    HostWindow::PumpMessages();
    return {};
  }
  return "the Windows host cannot take this step yet: " + name;
}

std::string Runner::AnswerStep(const std::vector<std::string>& w) {
  Answer answer{PromptKind::kMessage, false, std::nullopt, {}};
  if (w.size() == 2 && w[1] == "ok") {
    answer.kind = PromptKind::kMessage;
  } else if (w.size() == 2 && (w[1] == "yes" || w[1] == "no")) {
    answer.kind = PromptKind::kYesNo;
    answer.yes = w[1] == "yes";
  } else if ((w.size() == 2 || w.size() == 3) && (w[1] == "open" || w[1] == "save")) {
    answer.kind = w[1] == "open" ? PromptKind::kOpenFile : PromptKind::kSaveFile;
    if (w.size() == 3) answer.path = WindowsPath(FilePath(w[2]));
  } else if (w.size() >= 3 && w[1] == "form" && (w[2] == "ok" || w[2] == "cancel")) {
    answer.kind = PromptKind::kModalForm;
    answer.yes = w[2] == "ok";
    for (std::size_t i = 3; i < w.size(); ++i) {
      auto cut = w[i].find('=');
      if (cut == std::string::npos) return "form values are written CONTROL=VALUE";
      answer.values.emplace_back(w[i].substr(0, cut), w[i].substr(cut + 1));
    }
  } else {
    return "the Windows host cannot give this answer yet: " + (w.size() > 1 ? w[1] : "");
  }
  state_.answers.push_back(std::move(answer));
  return {};
}

std::string Runner::Expect(const std::vector<std::string>& w) {
  if (w.size() < 2) return "expect what?";
  const std::string& what = w[1];
  if (what == "file" && w.size() == 4) {
    auto actual = text::ReadFileBytes(FilePath(w[2]));
    auto expected = text::ReadFileBytes(FilePath(w[3]));
    if (!expected) return "cannot read " + w[3];
    if (!actual) return w[2] + ": no such file";
    if (*actual != *expected) return w[2] + ": " + FirstDifference(*expected, *actual);
    return {};
  }
  if (what == "file-text" && w.size() == 4) {
    auto actual = text::ReadFileBytes(FilePath(w[2]));
    if (!actual || *actual != w[3])
      return w[2] + ": expected " + Shown(w[3]) + ", got " + ShownBytes(actual);
    return {};
  }
  if (what == "no-file" && w.size() == 3) {
    if (std::filesystem::exists(FilePath(w[2]))) return w[2] + " exists";
    return {};
  }
  if (what == "profile" && w.size() == 4) {
    std::string section = w[2].substr(0, w[2].find('/'));
    std::string key = w[2].find('/') == std::string::npos ? "" : w[2].substr(w[2].find('/') + 1);
    plugin::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
    if (!profile.Load()) return "the profile does not load: " + profile.LastError();
    if (!profile.FindEntry(key)) return "the profile has no " + w[2];
    std::string actual = profile.ReadString(key);
    if (actual != w[3]) return w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(actual);
    return {};
  }
  if (what == "no-profile-entry" && w.size() == 3) {
    std::string section = w[2].substr(0, w[2].find('/'));
    std::string key = w[2].find('/') == std::string::npos ? "" : w[2].substr(w[2].find('/') + 1);
    plugin::XMLNetProfile profile(text::PathToUtf8(profile_), section, true);
    profile.Load();
    if (profile.FindEntry(key) != nullptr) return "the profile has " + w[2];
    return {};
  }
  if (!library_) return "the host has not started (step \"start\")";
  if (what == "engine" && w.size() == 4) {
    auto offset = ParseWhole(w[2]);
    auto value = ParseWhole(w[3]);
    if (!offset || !value || *offset < 0 || static_cast<std::size_t>(*offset) >= engine_.size())
      return "expect engine OFFSET VALUE";
    const int actual = engine_[static_cast<std::size_t>(*offset)];
    if (actual != *value)
      return "engine byte " + w[2] + ": expected " + w[3] + ", got " + std::to_string(actual);
    return {};
  }
  if (what == "status" && w.size() == 3) {
    const std::string status = status_->Text();
    if (status != w[2]) return "status: expected " + Shown(w[2]) + ", got " + Shown(status);
    return {};
  }
  const auto loads = document_ ? document_->load_calls() : std::vector<HostDocument::LoadCall>{};
  if (what == "loads" && w.size() == 3) {
    auto count = ParseWhole(w[2]);
    if (!count || static_cast<long>(loads.size()) != *count) {
      return "LoadGCodeFile calls: expected " + w[2] + ", got " + std::to_string(loads.size());
    }
    return {};
  }
  if (what == "loaded" && w.size() == 4) {
    if (loads.empty()) return "LoadGCodeFile was not called";
    const HostDocument::LoadCall& last = loads.back();
    if (last.path != w[2])
      return "loaded path: expected " + Shown(w[2]) + ", got " + Shown(last.path);
    if (last.threadId != GetCurrentThreadId())
      return "LoadGCodeFile ran on another thread than the host's";
    auto expected = text::ReadFileBytes(FilePath(w[3]));
    if (!expected) return "cannot read " + w[3];
    if (!last.bytes) return "the loaded file could not be read when it was loaded";
    if (*last.bytes != *expected) return "loaded file: " + FirstDifference(*expected, *last.bytes);
    return {};
  }
  if (what == "script-calls" && w.size() == 3) {
    const int calls = document_ ? document_->script_requests() : 0;
    auto count = ParseWhole(w[2]);
    if (!count || calls != *count)
      return "GetScriptDispatch calls: expected " + w[2] + ", got " + std::to_string(calls);
    return {};
  }
  if (what == "buttons") {
    std::string expected, actual;
    for (std::size_t i = 2; i < w.size(); ++i) expected += (i > 2 ? " " : "") + w[i];
    for (std::size_t i = 0; i < state_.buttons.size(); ++i)
      actual += (i > 0 ? " " : "") + std::to_string(state_.buttons[i]);
    if (expected != actual)
      return "buttons pressed: expected [" + expected + "], got [" + actual + "]";
    return {};
  }
  if (what == "menu" && w.size() >= 3) {
    std::vector<std::string> expected(w.begin() + 3, w.end());
    std::vector<std::string> actual;
    HMENU bar = GetMenu(window_.handle());
    for (int i = 0; bar && i < GetMenuItemCount(bar); ++i) {
      wchar_t text[256] = {};
      GetMenuStringW(bar, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
      if (Utf8FromWide(text) != w[2]) continue;
      HMENU menu = GetSubMenu(bar, i);
      for (int j = 0; menu && j < GetMenuItemCount(menu); ++j) {
        GetMenuStringW(menu, static_cast<UINT>(j), text, 256, MF_BYPOSITION);
        actual.push_back(Utf8FromWide(text));
      }
    }
    if (expected != actual) {
      std::string shown;
      for (const auto& text : actual) shown += " " + Shown(text);
      return "menu " + Shown(w[2]) + " holds" + (shown.empty() ? " nothing" : shown);
    }
    return {};
  }
  if (what == "prompt" && (w.size() == 4 || w.size() == 5)) {
    for (auto& prompt : state_.prompts) pendingPrompts_.push_back(std::move(prompt));
    state_.prompts.clear();
    if (pendingPrompts_.empty()) return "no prompt was shown";
    static const std::map<std::string, PromptKind> kKinds = {{"message", PromptKind::kMessage},
                                                             {"yesno", PromptKind::kYesNo},
                                                             {"open", PromptKind::kOpenFile},
                                                             {"save", PromptKind::kSaveFile},
                                                             {"form", PromptKind::kModalForm}};
    auto kind = kKinds.find(w[2]);
    if (kind == kKinds.end()) return "the Windows host cannot expect this prompt yet: " + w[2];
    const Prompt prompt = pendingPrompts_.front();
    pendingPrompts_.erase(pendingPrompts_.begin());
    std::string kindName = "?";
    for (const auto& [n, value] : kKinds) {
      if (value == prompt.kind) kindName = n;
    }
    if (prompt.kind != kind->second || prompt.text != w[3] ||
        (w.size() == 5 && prompt.caption != w[4])) {
      return "prompt: expected " + w[2] + " " + Shown(w[3]) +
             (w.size() == 5 ? " " + Shown(w[4]) : "") + ", got " + kindName + " " +
             Shown(prompt.text) + " caption " + Shown(prompt.caption);
    }
    return {};
  }
  if (what == "no-prompt" && w.size() == 2) {
    for (auto& prompt : state_.prompts) pendingPrompts_.push_back(std::move(prompt));
    state_.prompts.clear();
    if (!pendingPrompts_.empty()) {
      std::string shown = Shown(pendingPrompts_.front().text);
      pendingPrompts_.clear();
      return "a prompt was shown: " + shown;
    }
    return {};
  }
  if (what == "text" && w.size() == 4) {
    std::string failure;
    HWND control = Control(w[2], failure);
    if (!control) return failure;
    // A check box reads as its state, as the model's text does.
    const std::string text =
        IsCheckBox(control)
            ? (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "True" : "False")
            : Utf8FromWide(WindowText(control));
    if (text != w[3]) return w[2] + ": expected " + Shown(w[3]) + ", got " + Shown(text);
    return {};
  }
  if (what == "rows" && w.size() == 4) {
    // expect rows GRID N: the grid's rows, the new-row line not counted.
    std::string failure;
    HWND list = Control(w[2], failure);
    if (!list) return failure;
    const std::string rows = std::to_string(GridRows(list));
    if (rows != w[3]) return w[2] + ": expected " + w[3] + " rows, got " + rows;
    return {};
  }
  if (what == "cell" && w.size() == 6) {
    // expect cell GRID ROW COLUMN "text": ROW counts from 1 in display order.
    std::string failure;
    HWND list = Control(w[2], failure);
    if (!list) return failure;
    const int line = std::atoi(w[3].c_str()) - 1;
    const int column = GridColumn(list, w[4]);
    if (line < 0 || line >= GridRows(list) || column < 0) {
      return w[2] + " has no cell " + w[3] + "/" + w[4] + " (" + std::to_string(GridRows(list)) +
             " rows)";
    }
    const std::string text = Utf8FromWide(ListText(list, line, column));
    if (text != w[5]) {
      return w[2] + " " + w[3] + "/" + w[4] + ": expected " + Shown(w[5]) + ", got " + Shown(text);
    }
    return {};
  }
  if (what == "window" && w.size() == 3) {
    HWND form = FindForm(kMainDialog);
    std::string actual = "absent";
    if (form != nullptr) {
      if (!IsWindowVisible(form))
        actual = "hidden";
      else if (IsIconic(form))
        actual = "minimised";
      else if (IsZoomed(form))
        actual = "maximised";
      else
        actual = "normal";
    }
    if (actual != w[2]) return "window: expected " + w[2] + ", got " + actual;
    return {};
  }
  return "the Windows host cannot check this yet: " + what;
}

}  // namespace

bool RunWindowsScenario(const std::filesystem::path& file, const RunOptions& options,
                        std::ostream& errors) {
  return Runner(file, options, errors).Run();
}

}  // namespace kelvora::testhost
