#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <process.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <type_traits>
#include <variant>

#include "platform/win32/automation.h"
#include "platform/win32/host_menu.h"
#include "platform/win32/udp_link.h"
#include "platform/win32/wide_text.h"
#include "plugin/system.h"
#include "text/files.h"

namespace kelvora::win32 {

namespace {

using plugin::AutomationArg;
using plugin::AutomationObject;
using plugin::AutomationResult;
using plugin::HResult;

class Win32HostMenu final : public plugin::HostMenu {
 public:
  void* GetMenu(void* window) override { return ::GetMenu(static_cast<HWND>(window)); }
  int GetMenuItemCount(void* menu) override { return ::GetMenuItemCount(static_cast<HMENU>(menu)); }
  std::optional<plugin::MenuItemInfo> GetMenuItem(void* menu, int position) override {
    std::optional<MenuItem> item = ReadMenuItem(static_cast<HMENU>(menu), position);
    if (!item) return std::nullopt;
    return plugin::MenuItemInfo{item->text, item->subMenu};
  }
  bool AppendMenuItem(void* menu, std::uintptr_t id, const std::string& text) override {
    if (!AppendCommand(static_cast<HMENU>(menu), id, text.c_str())) return false;
    // The changed menu is drawn anew when the bar is redrawn.
    return true;
  }
};

// An object the automation service handed out: the pointer, usable on the
// thread that obtained it, and its entry in the global interface table, from
// which any other thread takes its own proxy.
struct ObjectEntry {
  IDispatch* object = nullptr;
  DWORD cookie = 0;
  DWORD ownerThread = 0;
};

IGlobalInterfaceTable* OpenGlobalInterfaceTable() {
  IGlobalInterfaceTable* table = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table));
  return SUCCEEDED(hr) ? table : nullptr;
}

// Fills a VARIANT of `type` from an argument that fits it (plugin::ArgumentFits);
// false when a text cannot be copied. Object arguments must belong to this thread.
bool FillVariant(VARTYPE type, const AutomationArg& arg, VARIANT& variant) {
  V_VT(&variant) = type;
  return std::visit(
      [&](const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, bool>) {
          V_BOOL(&variant) = value ? VARIANT_TRUE : VARIANT_FALSE;
        } else if constexpr (std::is_same_v<Value, std::int16_t>) {
          V_I2(&variant) = value;
        } else if constexpr (std::is_same_v<Value, std::int32_t>) {
          V_I4(&variant) = value;  // an error code too
        } else if constexpr (std::is_same_v<Value, std::int64_t>) {
          V_CY(&variant).int64 = value;
        } else if constexpr (std::is_same_v<Value, float>) {
          V_R4(&variant) = value;
        } else if constexpr (std::is_same_v<Value, double>) {
          V_R8(&variant) = value;  // a date too
        } else if constexpr (std::is_same_v<Value, std::u16string>) {
          V_BSTR(&variant) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.data()),
                                               static_cast<UINT>(value.size()));
          if (!V_BSTR(&variant)) {
            V_VT(&variant) = VT_EMPTY;
            return false;
          }
        } else if (type & VT_BYREF) {
          V_BYREF(&variant) = value;
        } else if (type == VT_DISPATCH) {
          V_DISPATCH(&variant) = DispatchOfHandle(value);
        } else {
          V_UNKNOWN(&variant) = DispatchOfHandle(value);
        }
        return true;
      },
      arg);
}

class Win32Automation final : public plugin::AutomationService {
 public:
  HResult CreateObject(std::u16string_view progId, AutomationObject* object) override {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    // The host's thread has COM already; joining again only counts, so each
    // thread joins once however often the object is looked for.
    thread_local const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static_cast<void>(joined);
    const std::wstring name(progId.begin(), progId.end());
    IDispatch* found = nullptr;
    const HRESULT hr = win32::CreateObject(name.c_str(), &found);
    if (FAILED(hr)) return hr;
    *object = Adopt(found);
    return S_OK;
  }

  HResult Invoke(AutomationObject object, std::uint16_t callKind, AutomationResult* result,
                 std::u16string_view member, const char* format,
                 const std::vector<AutomationArg>& args) override {
    auto* entry = static_cast<ObjectEntry*>(object);
    if (!entry) return E_INVALIDARG;
    IDispatch* target = entry->object;
    IDispatch* proxy = nullptr;
    if (GetCurrentThreadId() != entry->ownerThread) {
      // Another thread never uses the pointer itself: it takes its own proxy.
      const HRESULT hr = TakeProxy(*entry, &proxy);
      if (FAILED(hr)) return hr;
      target = proxy;
    }
    const HRESULT hr = Call(target, callKind, result, member, format, args);
    if (proxy) proxy->Release();
    return hr;
  }

 private:
  // Keeps the object (and the reference handed over) for the plug-in's life.
  AutomationObject Adopt(IDispatch* object) {
    auto entry = std::make_unique<ObjectEntry>();
    entry->object = object;
    entry->ownerThread = GetCurrentThreadId();
    if (IGlobalInterfaceTable* table = OpenGlobalInterfaceTable()) {
      if (FAILED(table->RegisterInterfaceInGlobal(object, IID_IDispatch, &entry->cookie))) {
        entry->cookie = 0;
      }
      table->Release();
    }
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
    return entries_.back().get();
  }

  static HRESULT TakeProxy(const ObjectEntry& entry, IDispatch** proxy) {
    if (!entry.cookie) return RPC_E_WRONG_THREAD;
    IGlobalInterfaceTable* table = OpenGlobalInterfaceTable();
    if (!table) return CO_E_NOTINITIALIZED;
    const HRESULT hr =
        table->GetInterfaceFromGlobal(entry.cookie, IID_IDispatch, reinterpret_cast<void**>(proxy));
    table->Release();
    return hr;
  }

  HResult Call(IDispatch* target, std::uint16_t callKind, AutomationResult* result,
               std::u16string_view member, const char* format,
               const std::vector<AutomationArg>& args) {
    const std::wstring name(member.begin(), member.end());
    DISPID id;
    HRESULT hr = ResolveMember(target, name.c_str(), &id);
    if (FAILED(hr)) return hr;
    const std::optional<int> count = plugin::CountArgsInFormat(format);
    if (!count || static_cast<std::size_t>(*count) != args.size()) return E_INVALIDARG;
    // The last argument of the call is the first VARIANT.
    std::vector<VARIANT> variants(args.size());
    for (VARIANT& v : variants) VariantInit(&v);
    const std::string_view letters = format ? format : "";
    std::size_t position = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::optional<plugin::FormatStep> step = plugin::GetNextVarType(letters, position);
      if (!step || !plugin::ArgumentFits(step->varType, args[i])) {
        FreeArguments(variants);
        return E_INVALIDARG;
      }
      if (!FillVariant(step->varType, args[i], variants[args.size() - 1 - i])) {
        FreeArguments(variants);
        return E_OUTOFMEMORY;
      }
      position = step->next;
    }
    VARIANT out;
    VariantInit(&out);
    hr = CallMember(target, id, callKind, variants, result ? &out : nullptr, nullptr, nullptr);
    FreeArguments(variants);
    if (result) {
      *result = AutomationResult{};
      result->varType = V_VT(&out);
      if (IDispatch* dispatch = DispatchFromVariant(out)) {
        result->object = Adopt(dispatch);  // takes over the result's reference
      } else {
        VariantClear(&out);
      }
    }
    return hr;
  }

  std::mutex mutex_;
  std::deque<std::unique_ptr<ObjectEntry>> entries_;
};

// Threads are C runtime threads that join COM's multithreaded apartment, so a
// worker can take its own proxies of the host's objects.
class Win32Threads final : public plugin::ThreadStarter {
 public:
  bool StartThread(plugin::ThreadBody body, void* context) override {
    auto start = std::make_unique<Start>(Start{body, context});
    const uintptr_t handle = _beginthreadex(nullptr, 0, &Run, start.get(), 0, nullptr);
    if (handle == 0) return false;
    start.release();  // the thread owns it now
    // Nothing waits for the thread.
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    return true;
  }

 private:
  struct Start {
    plugin::ThreadBody body;
    void* context;
  };
  static unsigned __stdcall Run(void* argument) {
    const std::unique_ptr<Start> start(static_cast<Start*>(argument));
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    start->body(start->context);
    if (SUCCEEDED(joined)) CoUninitialize();
    return 0;
  }
};

std::optional<std::wstring> WideFromCodePage(std::string_view text, DWORD flags) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, flags, text.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, flags, text.data(), length, wide.data(), size);
  return wide;
}

class Win32Paths final : public plugin::HostPaths {
 public:
  // The fixed paths are this machine's paths as they stand.
  std::filesystem::path LocalPath(std::string_view windowsPath) const override {
    return text::PathFromUtf8(windowsPath);
  }
  // The host's narrow texts are in the system's ANSI code page.
  std::optional<std::string> HostTextToUtf8(std::string_view hostText) const override {
    const std::optional<std::wstring> wide = WideFromCodePage(hostText, MB_ERR_INVALID_CHARS);
    if (!wide) return std::nullopt;
    return Utf8FromWide(*wide);
  }
  std::optional<std::u16string> HostTextToWide(std::string_view hostText) const override {
    const std::optional<std::wstring> wide =
        WideFromCodePage(hostText, MB_PRECOMPOSED | MB_ERR_INVALID_CHARS);
    if (!wide) return std::nullopt;
    return std::u16string(wide->begin(), wide->end());
  }
};

class Win32UdpSocket final : public plugin::UdpSocket {
 public:
  explicit Win32UdpSocket(std::unique_ptr<UdpLink> link) : link_(std::move(link)) {}
  bool Send(std::span<const std::uint8_t> bytes) override {
    return link_->Send(bytes.data(), bytes.size());
  }

 private:
  std::unique_ptr<UdpLink> link_;
};

class Win32UdpNetwork final : public plugin::UdpNetwork {
 public:
  std::unique_ptr<plugin::UdpSocket> Open(const std::string& host, std::uint16_t port) override {
    auto link = std::make_unique<UdpLink>();
    if (!link->Open(host, port)) return nullptr;
    return std::make_unique<Win32UdpSocket>(std::move(link));
  }
};

// Writes all of `bytes` to a handle; false when any write fails.
bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr std::size_t kChunk = 1u << 20;
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), size, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Opens `path` for writing with `disposition`, letting others who hold it keep
// reading and writing, and writes `bytes` into it.
bool WriteWholeFile(const std::wstring& path, DWORD disposition, std::string_view bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(file, bytes);
  return CloseHandle(file) && written;
}

class Win32Files final : public plugin::HostFiles {
 public:
  Outcome<void> ReplaceFileContent(const std::filesystem::path& path,
                                   std::string_view bytes) override {
    const std::wstring target = path.wstring();
    const std::wstring temporary = target + L".kelvora-tmp";
    const Outcome<void> failure = Refused("Cannot write the file " + text::PathToUtf8(path));
    if (!WriteWholeFile(temporary, CREATE_ALWAYS, bytes)) {
      DeleteFileW(temporary.c_str());
      return failure;
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
    // A host that still has the file open without letting it be deleted refuses
    // the rename (sharing violation or access denied). If it lets the file be
    // written, it is emptied and written in place, as a plain write would.
    const DWORD refused = GetLastError();
    bool written = false;
    if (refused == ERROR_SHARING_VIOLATION || refused == ERROR_ACCESS_DENIED) {
      written = WriteWholeFile(target, TRUNCATE_EXISTING, bytes);
    }
    DeleteFileW(temporary.c_str());
    return written ? Outcome<void>() : failure;
  }
};

// Protections that allow reading, writing and running code.
constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kWritable =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kExecutable =
    PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Whether every byte of [address, address + size) lies in committed regions
// whose protection includes one of `wanted`, none of them a guard page.
bool RegionsAllow(const void* address, std::size_t size, DWORD wanted) {
  auto at = reinterpret_cast<std::uintptr_t>(address);
  const std::uintptr_t end = at + size;
  if (address == nullptr || size == 0 || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0) return false;
    if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
        (region.Protect & wanted) == 0) {
      return false;
    }
    at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

class Win32Memory final : public plugin::HostMemory {
 public:
  bool Readable(const void* address, std::size_t size) const override {
    return RegionsAllow(address, size, kReadable);
  }
  bool Writable(const void* address, std::size_t size) const override {
    return RegionsAllow(address, size, kWritable);
  }
  bool IsModuleCode(const void* address) const override {
    if (!RegionsAllow(address, 1, kExecutable)) return false;
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module) &&
           module != nullptr;
  }
};

class Win32Messages final : public plugin::HostMessages {
 public:
  void Message(std::string_view text, std::string_view caption) override {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), MB_OK);
  }
};

}  // namespace

IDispatch* DispatchOfHandle(plugin::AutomationObject handle) {
  const auto* entry = static_cast<const ObjectEntry*>(handle);
  return entry && entry->ownerThread == GetCurrentThreadId() ? entry->object : nullptr;
}

}  // namespace kelvora::win32

namespace kelvora::plugin {

const Platform& SystemPlatform() {
  static win32::Win32HostMenu menu;
  static win32::Win32Automation automation;
  static win32::Win32Threads threads;
  static win32::Win32Paths paths;
  static win32::Win32UdpNetwork udp;
  static win32::Win32Messages messages;
  static win32::Win32Files files;
  static win32::Win32Memory memory;
  static const Platform platform{menu, automation, threads, paths, udp, messages, files, memory};
  return platform;
}

}  // namespace kelvora::plugin
