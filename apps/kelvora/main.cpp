#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace {

// Windows hands over the arguments as UTF-16; everything inside works in UTF-8.
std::string Utf8FromWide(const wchar_t* wide) {
  const int length = static_cast<int>(wcslen(wide));
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The program's bytes must be those of the Load button's file: a text-mode
  // stream would write CR LF line ends as CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8FromWide(argv[i]));
  if (!args.empty() && args[0] == "window") {
    std::cerr << "The web window is not part of the Windows package yet.\n";
    return 1;
  }
  return kelvora::cli::RunCli(args, std::cout, std::cerr);
}

#else

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// `kelvora window ...` runs the web window, a program of its own beside this
// one (kelvora-window), so the command line links nothing of the dialog.
int RunWindow(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string program = "kelvora-window";
  if (!ec) {
    const std::filesystem::path beside = self.parent_path() / program;
    if (std::filesystem::exists(beside, ec)) program = beside.string();
  }
  std::vector<char*> args;
  args.push_back(program.data());
  for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  execvp(program.c_str(), args.data());
  std::cerr << "Cannot start " << program << " (the web window): " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "window") return RunWindow(argc, argv);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return kelvora::cli::RunCli(args, std::cout, std::cerr);
}

#endif
