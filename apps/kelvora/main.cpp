#include <iostream>
#include <string>
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
  return kelvora::cli::RunCli(args, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return kelvora::cli::RunCli(args, std::cout, std::cerr);
}

#endif
