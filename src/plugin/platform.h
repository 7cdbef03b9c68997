// The services the plug-in needs that differ by operating system, as small
// interfaces. Each platform folder implements them; tests use doubles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "plugin/automation.h"
#include "text/outcome.h"

namespace kelvora::plugin {

// The host window's menu bar.
struct MenuItemInfo {
  std::string text;
  void* subMenu = nullptr;
};
class HostMenu {
 public:
  virtual ~HostMenu() = default;
  // The menu bar of a window, or null.
  virtual void* GetMenu(void* window) = 0;
  // The number of items of a menu, or -1 when the menu is not valid.
  virtual int GetMenuItemCount(void* menu) = 0;
  // The text and submenu of the item at `position`, or nullopt when its
  // information cannot be read.
  virtual std::optional<MenuItemInfo> GetMenuItem(void* menu, int position) = 0;
  // Appends a command item with `id` and `text` to the end of the menu.
  virtual bool AppendMenuItem(void* menu, std::uintptr_t id, const std::string& text) = 0;
};

// Starts a thread that runs `body(context)` and is not waited for.
using ThreadBody = void (*)(void* context);
class ThreadStarter {
 public:
  virtual ~ThreadStarter() = default;
  virtual bool StartThread(ThreadBody body, void* context) = 0;
};

// The fixed Windows paths on this machine, and the host's narrow texts.
class HostPaths {
 public:
  virtual ~HostPaths() = default;
  // The local form of a fixed "C:\..." path.
  virtual std::filesystem::path LocalPath(std::string_view windowsPath) const = 0;
  // A narrow text of the host (its code page) as UTF-8; nullopt when it does not convert.
  virtual std::optional<std::string> HostTextToUtf8(std::string_view hostText) const = 0;
  // A narrow text of the host as UTF-16; nullopt when it does not convert.
  virtual std::optional<std::u16string> HostTextToWide(std::string_view hostText) const = 0;
};

// UDP datagrams to one host and port.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // Sends the whole buffer as one datagram.
  virtual bool Send(std::span<const std::uint8_t> bytes) = 0;
};
class UdpNetwork {
 public:
  virtual ~UdpNetwork() = default;
  // A socket bound to any local address and port (address reuse on, send time-out
  // 10 ms, receive time-out 30 ms) whose destination is the first address of
  // `host` at `port`; null when any step fails.
  virtual std::unique_ptr<UdpSocket> Open(const std::string& host, std::uint16_t port) = 0;
};

// Files that the host may hold open while the plug-in replaces them.
class HostFiles {
 public:
  virtual ~HostFiles() = default;
  // Replaces the file at `path` with `bytes`: they are written to a new file beside
  // it, which is then renamed over it, so the file is never seen half-written.
  // Where the rename is refused because another program holds the file open
  // without letting it be deleted, but lets it be written, the file's own content
  // is replaced instead (emptied, then written). A failure's message names the
  // file; no temporary file is left behind either way.
  virtual Outcome<void> ReplaceFileContent(const std::filesystem::path& path,
                                           std::string_view bytes) = 0;
};

// What may be done with an address the host handed over, asked before the plug-in
// reads, writes or calls through it: a guess about the host's memory that turns
// out wrong is then a skipped step, never a wild access.
class HostMemory {
 public:
  virtual ~HostMemory() = default;
  // Whether the `size` bytes at `address` are committed memory of this process
  // that may be read (Writable: read and written). Null is neither.
  virtual bool Readable(const void* address, std::size_t size) const = 0;
  virtual bool Writable(const void* address, std::size_t size) const = 0;
  // Whether `address` lies in executable code of a module (the program or a
  // library) loaded in this process.
  virtual bool IsModuleCode(const void* address) const = 0;
};

// Message boxes that the plug-in shows before and outside its dialog.
class HostMessages {
 public:
  virtual ~HostMessages() = default;
  virtual void Message(std::string_view text, std::string_view caption) = 0;
};

// Everything above, as one platform.
struct Platform {
  HostMenu& menu;
  AutomationService& automation;
  ThreadStarter& threads;
  HostPaths& paths;
  UdpNetwork& udp;
  HostMessages& messages;
  HostFiles& files;
  HostMemory& memory;
};

}  // namespace kelvora::plugin
