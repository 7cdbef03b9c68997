#include "platform/web/browser.h"

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
extern char** environ;
#endif

namespace kelvora::web {

std::string OpenBrowser(const std::string& address) {
#ifdef _WIN32
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) return "Cannot open the browser; open the address above yourself.";
  return {};
#else
#ifdef __APPLE__
  const char* opener = "open";
#else
  const char* opener = "xdg-open";
#endif
  // The address is one argument of its own: no shell ever reads it.
  std::string arg = address;
  char* args[] = {const_cast<char*>(opener), arg.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, args, environ) != 0) {
    return std::string("Cannot start ") + opener + "; open the address above yourself.";
  }
  // The opener hands the address to the browser and ends; it is reaped on a
  // thread of its own, so a browser that stays in its foreground never holds
  // the window up.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return {};
#endif
}

}  // namespace kelvora::web
