#include "platform/posix/posix_platform.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <system_error>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/posix/sim_os.h"
#include "text/files.h"
#include "text/utf16.h"

namespace kelvora::platform::posix {

using plugin::AutomationArg;
using plugin::AutomationObject;
using plugin::AutomationResult;
using plugin::HResult;

std::filesystem::path DriveCRoot() {
  if (const char* root = std::getenv("KELVORA_DRIVE_C"); root != nullptr && *root != '\0') {
    return root;
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::filesystem::path(data) / "kelvora" / "drive_c";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "/tmp") / ".local" / "share" / "kelvora" /
         "drive_c";
}

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The entry of `folder` that `name` names on a file system that ignores case.
std::filesystem::path MatchEntry(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  if (std::filesystem::exists(folder / name, error)) return folder / name;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (SameIgnoringCase(entry.path().filename().string(), name)) return entry.path();
  }
  return folder / name;
}

}  // namespace

std::filesystem::path MapWindowsPath(std::string_view windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::filesystem::path(windowsPath);
  std::filesystem::path path = DriveCRoot();
  std::string_view rest = windowsPath.substr(2);
  while (!rest.empty()) {
    std::size_t cut = rest.find_first_of("\\/");
    std::string name(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (!name.empty()) path = MatchEntry(path, name);
  }
  return path;
}

namespace {

class PosixHostMenu final : public plugin::HostMenu {
 public:
  void* GetMenu(void* window) override {
    return simos::GetMenu(static_cast<simos::Window*>(window));
  }
  int GetMenuItemCount(void* menu) override {
    return simos::MenuItemCount(static_cast<simos::Menu*>(menu));
  }
  std::optional<plugin::MenuItemInfo> GetMenuItem(void* menu, int position) override {
    auto item = simos::GetMenuItem(static_cast<simos::Menu*>(menu), position);
    if (!item) return std::nullopt;
    return plugin::MenuItemInfo{item->text, item->subMenu};
  }
  bool AppendMenuItem(void* menu, std::uintptr_t id, const std::string& text) override {
    return simos::AppendMenuItem(static_cast<simos::Menu*>(menu),
                                 simos::MenuItem{text, id, nullptr});
  }
};

// Fills a VARIANT of `varType` from the argument; false when the argument is not
// of the kind the format letter names.
bool FillVariant(std::uint16_t varType, const AutomationArg& arg, simos::Variant& variant) {
  variant.vt = varType;
  if (!plugin::ArgumentFits(varType, arg)) return false;
  std::visit(
      [&variant](const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, bool>) {
          variant.boolValue = value;
        } else if constexpr (std::is_same_v<Value, AutomationObject>) {
          variant.object = value;
        } else if constexpr (std::is_same_v<Value, std::u16string>) {
          variant.text = value;
        } else if constexpr (std::is_floating_point_v<Value>) {
          variant.realValue = value;
        } else {
          variant.intValue = value;
        }
      },
      arg);
  return true;
}

class PosixAutomation final : public plugin::AutomationService {
 public:
  HResult CreateObject(std::u16string_view progId, AutomationObject* object) override {
    if (object == nullptr) return plugin::kEInvalidArg;
    *object = nullptr;
    std::u16string classId;
    HResult hr = simos::CLSIDFromProgID(progId, &classId);
    if (!plugin::Succeeded(hr)) {
      hr = simos::CLSIDFromString(plugin::kHostDocumentClassId, &classId);
      if (!plugin::Succeeded(hr)) return hr;
    }
    simos::Dispatch* found = nullptr;
    hr = simos::GetActiveObject(classId, &found);
    if (!plugin::Succeeded(hr)) return hr;
    *object = found;
    return plugin::kSOk;
  }

  HResult Invoke(AutomationObject object, std::uint16_t callKind, AutomationResult* result,
                 std::u16string_view member, const char* format,
                 const std::vector<AutomationArg>& args) override {
    if (object == nullptr) return plugin::kEInvalidArg;
    auto* dispatch = static_cast<simos::Dispatch*>(object);
    std::int32_t id = 0;
    HResult hr = dispatch->GetIDsOfNames(member, &id);
    if (!plugin::Succeeded(hr)) return hr;
    auto count = plugin::CountArgsInFormat(format);
    if (!count || static_cast<std::size_t>(*count) != args.size()) return plugin::kEInvalidArg;
    if ((callKind & plugin::kDispatchPropertyPut) && *count == 0) return plugin::kEInvalidArg;
    // The last argument of the call is the first VARIANT.
    std::vector<simos::Variant> variants;
    try {
      variants.resize(args.size());
    } catch (const std::bad_alloc&) {
      return plugin::kEOutOfMemory;
    }
    std::string_view formatText = format != nullptr ? format : "";
    std::size_t position = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
      auto step = plugin::GetNextVarType(formatText, position);
      if (!step || !FillVariant(step->varType, args[i], variants[args.size() - 1 - i])) {
        return plugin::kEInvalidArg;
      }
      position = step->next;
    }
    simos::Variant out;
    hr = dispatch->Invoke(id, callKind, variants, result != nullptr ? &out : nullptr);
    if (result != nullptr) {
      result->varType = out.vt;
      result->object = out.vt == plugin::kVtDispatch ? out.object : nullptr;
    }
    return hr;
  }
};

class PosixThreads final : public plugin::ThreadStarter {
 public:
  bool StartThread(plugin::ThreadBody body, void* context) override {
    return simos::StartThread(body, context);
  }
};

class PosixPaths final : public plugin::HostPaths {
 public:
  std::filesystem::path LocalPath(std::string_view windowsPath) const override {
    return MapWindowsPath(windowsPath);
  }
  // The host's narrow texts are UTF-8 here.
  std::optional<std::string> HostTextToUtf8(std::string_view hostText) const override {
    if (!text::Utf8ToUtf16(hostText)) return std::nullopt;
    return std::string(hostText);
  }
  std::optional<std::u16string> HostTextToWide(std::string_view hostText) const override {
    return text::Utf8ToUtf16(hostText);
  }
};

class PosixUdpSocket final : public plugin::UdpSocket {
 public:
  PosixUdpSocket(int fd, sockaddr_storage destination, socklen_t length)
      : fd_(fd), destination_(destination), length_(length) {}
  ~PosixUdpSocket() override { ::close(fd_); }
  bool Send(std::span<const std::uint8_t> bytes) override {
    ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                            reinterpret_cast<const sockaddr*>(&destination_), length_);
    return sent == static_cast<ssize_t>(bytes.size());
  }

 private:
  int fd_;
  sockaddr_storage destination_;
  socklen_t length_;
};

class PosixUdpNetwork final : public plugin::UdpNetwork {
 public:
  std::unique_ptr<plugin::UdpSocket> Open(const std::string& host, std::uint16_t port) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
      return nullptr;
    }
    sockaddr_storage destination{};
    std::memcpy(&destination, found->ai_addr, found->ai_addrlen);
    auto length = static_cast<socklen_t>(found->ai_addrlen);
    ::freeaddrinfo(found);

    int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) return nullptr;
    int reuse = 1;
    timeval sendTimeout{0, 10 * 1000};
    timeval receiveTimeout{0, 30 * 1000};
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &receiveTimeout, sizeof receiveTimeout) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixUdpSocket>(fd, destination, length);
  }
};

// Here a rename replaces a file whatever holds it open, and the simulated host
// never holds one: the replacement is always whole.
class PosixFiles final : public plugin::HostFiles {
 public:
  Outcome<void> ReplaceFileContent(const std::filesystem::path& path,
                                   std::string_view bytes) override {
    return text::WriteFileAtomic(path, bytes);
  }
};

// The process's mappings as the kernel lists them in /proc/self/maps.
struct Mapping {
  std::uintptr_t start = 0;
  std::uintptr_t end = 0;
  bool read = false;
  bool write = false;
  bool execute = false;
  bool file = false;  // backed by a file: the program or a library
};

std::optional<Mapping> ParseMapping(const std::string& line) {
  std::istringstream in(line);
  std::string range, permissions, offset, device, inode, name;
  if (!(in >> range >> permissions >> offset >> device >> inode)) return std::nullopt;
  std::getline(in >> std::ws, name);
  const std::size_t dash = range.find('-');
  if (dash == std::string::npos || permissions.size() < 3) return std::nullopt;
  Mapping mapping;
  const char* text = range.data();
  if (std::from_chars(text, text + dash, mapping.start, 16).ec != std::errc() ||
      std::from_chars(text + dash + 1, text + range.size(), mapping.end, 16).ec != std::errc()) {
    return std::nullopt;
  }
  mapping.read = permissions[0] == 'r';
  mapping.write = permissions[1] == 'w';
  mapping.execute = permissions[2] == 'x';
  mapping.file = !name.empty() && name.front() == '/';
  return mapping;
}

// In address order; empty when the list cannot be read, so nothing passes.
std::vector<Mapping> ReadMappings() {
  std::vector<Mapping> mappings;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (auto mapping = ParseMapping(line)) mappings.push_back(*mapping);
  }
  return mappings;
}

// Whether every byte of [address, address + size) lies in mappings that `allows`.
template <typename Allows>
bool Covered(const void* address, std::size_t size, Allows allows) {
  auto at = reinterpret_cast<std::uintptr_t>(address);
  std::uintptr_t end = 0;
  if (address == nullptr || size == 0 || __builtin_add_overflow(at, size, &end)) return false;
  for (const Mapping& mapping : ReadMappings()) {
    if (mapping.end <= at) continue;
    if (mapping.start > at || !allows(mapping)) return false;
    at = mapping.end;
    if (at >= end) return true;
  }
  return false;
}

// The checks made on the real process: the plug-in and the replacement host share
// it, so the host's blocks, string manager and methods are real memory and code.
class PosixMemory final : public plugin::HostMemory {
 public:
  bool Readable(const void* address, std::size_t size) const override {
    return Covered(address, size, [](const Mapping& m) { return m.read; });
  }
  bool Writable(const void* address, std::size_t size) const override {
    return Covered(address, size, [](const Mapping& m) { return m.read && m.write; });
  }
  bool IsModuleCode(const void* address) const override {
    return Covered(address, 1, [](const Mapping& m) { return m.execute && m.file; });
  }
};

class PosixMessages final : public plugin::HostMessages {
 public:
  void Message(std::string_view text, std::string_view caption) override {
    simos::ShowPrompt({simos::PromptKind::kMessage, std::string(text), std::string(caption), {}});
  }
};

}  // namespace

}  // namespace kelvora::platform::posix

namespace kelvora::plugin {

using namespace platform::posix;  // NOLINT: the classes above

const Platform& SystemPlatform() {
  static PosixHostMenu menu;
  static PosixAutomation automation;
  static PosixThreads threads;
  static PosixPaths paths;
  static PosixUdpNetwork udp;
  static PosixMessages messages;
  static PosixFiles files;
  static PosixMemory memory;
  static const Platform platform{menu, automation, threads, paths, udp, messages, files, memory};
  return platform;
}

}  // namespace kelvora::plugin
