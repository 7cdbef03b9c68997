#include "platform/posix/sim_os.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace kelvora::simos {

namespace {

constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kClassString = static_cast<HResult>(0x800401F3u);
constexpr HResult kUnavailable = static_cast<HResult>(0x800401E3u);

}  // namespace

struct Menu {
  struct Entry {
    MenuItem item;
    bool readable = true;
  };
  std::vector<Entry> items;
};

struct Window {
  std::string title;
  Menu* menuBar = nullptr;
};

namespace {

// The system's state. Menus and windows live until the process ends, as a
// process's menus do until it destroys them.
struct System {
  std::mutex mutex;
  std::vector<std::unique_ptr<Menu>> menus;
  std::vector<std::unique_ptr<Window>> windows;
  std::map<std::u16string, std::u16string> progIds;
  std::map<std::u16string, Dispatch*> runningObjects;
  std::vector<UiWindow*> uiWindows;
  PromptHandler promptHandler;

  std::mutex threadMutex;
  std::condition_variable threadsDone;
  int runningThreads = 0;
};

System& TheSystem() {
  static System* system = new System;  // lives past every static destructor
  return *system;
}

Menu* ValidMenu(System& system, Menu* menu) {
  for (auto& owned : system.menus) {
    if (owned.get() == menu) return menu;
  }
  return nullptr;
}

}  // namespace

Menu* CreateMenu() {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.menus.push_back(std::make_unique<Menu>());
  return system.menus.back().get();
}

bool AppendMenuItem(Menu* menu, MenuItem item) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  if (!ValidMenu(system, menu)) return false;
  menu->items.push_back({std::move(item), true});
  return true;
}

int MenuItemCount(Menu* menu) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  if (!ValidMenu(system, menu)) return -1;
  return static_cast<int>(menu->items.size());
}

std::optional<MenuItem> GetMenuItem(Menu* menu, int position) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  if (!ValidMenu(system, menu) || position < 0 ||
      position >= static_cast<int>(menu->items.size())) {
    return std::nullopt;
  }
  const Menu::Entry& entry = menu->items[static_cast<std::size_t>(position)];
  if (!entry.readable) return std::nullopt;
  return entry.item;
}

bool SetMenuItemUnreadable(Menu* menu, int position) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  if (!ValidMenu(system, menu) || position < 0 ||
      position >= static_cast<int>(menu->items.size())) {
    return false;
  }
  menu->items[static_cast<std::size_t>(position)].readable = false;
  return true;
}

Window* CreateWindow(std::string title, Menu* menuBar) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.windows.push_back(std::make_unique<Window>(Window{std::move(title), menuBar}));
  return system.windows.back().get();
}

Menu* GetMenu(Window* window) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  for (auto& owned : system.windows) {
    if (owned.get() == window) return owned->menuBar;
  }
  return nullptr;
}

void RegisterProgId(std::u16string progId, std::u16string classId) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.progIds[std::move(progId)] = std::move(classId);
}

void UnregisterProgId(const std::u16string& progId) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.progIds.erase(progId);
}

HResult CLSIDFromProgID(std::u16string_view progId, std::u16string* classId) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  auto found = system.progIds.find(std::u16string(progId));
  if (found == system.progIds.end()) return kClassString;
  *classId = found->second;
  return 0;
}

HResult CLSIDFromString(std::u16string_view text, std::u16string* classId) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  static constexpr std::u16string_view kShape = u"{00000000-0000-0000-0000-000000000000}";
  if (text.size() != kShape.size()) return kClassString;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (kShape[i] == u'0') {
      bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
      if (!hex) return kClassString;
    } else if (c != kShape[i]) {
      return kClassString;
    }
  }
  std::u16string upper(text);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  *classId = upper;
  return 0;
}

void RegisterActiveObject(std::u16string classId, Dispatch* object) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.runningObjects[std::move(classId)] = object;
}

void RevokeActiveObject(const std::u16string& classId) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.runningObjects.erase(classId);
}

HResult GetActiveObject(const std::u16string& classId, Dispatch** object) {
  if (object == nullptr) return kInvalidArg;
  *object = nullptr;
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  auto found = system.runningObjects.find(classId);
  if (found == system.runningObjects.end()) return kUnavailable;
  *object = found->second;
  return 0;
}

bool StartThread(void (*body)(void*), void* context) {
  System& system = TheSystem();
  {
    std::lock_guard lock(system.threadMutex);
    ++system.runningThreads;
  }
  try {
    std::thread([body, context, &system] {
      body(context);
      std::lock_guard lock(system.threadMutex);
      --system.runningThreads;
      system.threadsDone.notify_all();
    }).detach();
  } catch (...) {
    std::lock_guard lock(system.threadMutex);
    --system.runningThreads;
    return false;
  }
  return true;
}

bool WaitForThreads(std::chrono::milliseconds timeout) {
  System& system = TheSystem();
  std::unique_lock lock(system.threadMutex);
  return system.threadsDone.wait_for(lock, timeout, [&] { return system.runningThreads == 0; });
}

void SetPromptHandler(PromptHandler handler) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.promptHandler = std::move(handler);
}

PromptAnswer ShowPrompt(const PromptRequest& request) {
  PromptHandler handler;
  {
    System& system = TheSystem();
    std::lock_guard lock(system.mutex);
    handler = system.promptHandler;
  }
  if (handler) return handler(request);
  return PromptAnswer{};
}

void RegisterUiWindow(UiWindow* window) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  system.uiWindows.push_back(window);
}

void UnregisterUiWindow(UiWindow* window) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  std::erase(system.uiWindows, window);
}

UiWindow* FindUiWindow(const std::string& name) {
  System& system = TheSystem();
  std::lock_guard lock(system.mutex);
  for (UiWindow* window : system.uiWindows) {
    if (window->Name() == name) return window;
  }
  return nullptr;
}

}  // namespace kelvora::simos
